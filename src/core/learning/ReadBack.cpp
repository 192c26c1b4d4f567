#include "core/learning/ReadBack.h"

#include "core/learning/Analyser.h"
#include "core/learning/Catalogue.h"
#include "core/learning/CodeWalk.h"
#include "core/learning/LearnLines.h"
#include "core/learning/LearnView.h"
#include "core/learning/WaveStore.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/TextNumbers.h"
#include "core/table/CodeTable.h"

#include <QAbstractEventDispatcher>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <vector>

namespace zovax {

namespace {

// A record field at characters from..from+len-1 (1-based), read as a decimal
// number; digits that directly follow the field belong to it too, so that a
// value wider than its usual width ("Twb:4096") is read whole. nullopt when the
// field is not a number. `extra` receives the digits taken beyond the field.
std::optional<int> recordNumber(const QString& line, int from, int len, int* extra = nullptr)
{
    const qsizetype begin = from - 1;
    qsizetype end = begin + len;
    if (begin >= line.size())
        return std::nullopt;
    while (end < line.size() && isAsciiDigit(line[end]))
        ++end;
    if (extra)
        *extra = int(std::max<qsizetype>(0, end - begin - len));
    return parseDecimal(QStringView(line).mid(begin, end - begin));
}

int roundUpEven(int n)
{
    return n + (n & 1);
}

} // namespace

ReadBackDecoder::ReadBackDecoder(WaveStore& store, Analyser& analyser, CodeTable& table, DeviceLink& link,
                                 LearnView& view, Prompts& prompts, ReceiveLog& log)
    : store_(store), analyser_(analyser), table_(table), link_(link), view_(view), prompts_(prompts), log_(log)
{}

void ReadBackDecoder::badLine(const QString& line, const QString& why)
{
    log_.append(QStringLiteral("Read-back line not applied (%1): %2").arg(why, line));
}

void ReadBackDecoder::entryDone()
{
    link_.SetReplyAck();
    if (readBackRow == kLastRequestedRow) {
        link_.SendLine(QStringLiteral("KRV:off"));
        table_.SetModified(true);
    }
}

ReadBackDecoder::~ReadBackDecoder()
{
    QObject::disconnect(blockWatch_);
}

ReadBackDecoder::RecordTag ReadBackDecoder::recordTag(const QString& line)
{
    // The first tag in the order Twc, Twb, Twr, Twp, Twd that the line
    // contains decides, wherever it stands. One pass over the line finds them all.
    static constexpr char16_t kOrder[] = u"cbrpd";
    constexpr int kNone = 5;
    int best = kNone;
    const qsizetype n = line.size();
    for (qsizetype at = line.indexOf(QLatin1String("Tw")); at >= 0 && at + 3 < n;
         at = line.indexOf(QLatin1String("Tw"), at + 1)) {
        if (line[at + 3] != u':')
            continue;
        const char16_t c = line[at + 2].unicode();
        for (int k = 0; k < best; ++k) {
            if (kOrder[k] == c) {
                best = k;
                break;
            }
        }
        if (best == 0)
            break;
    }
    return best == kNone ? RecordTag::None : static_cast<RecordTag>(best + 1);
}

void ReadBackDecoder::setCollecting(bool on)
{
    if (on == collecting_)
        return;
    collecting_ = on;
    QObject::disconnect(blockWatch_);
    if (on) {
        // Right before the event loop waits, which is after the next request
        // has gone out.
        if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(link_.thread()))
            blockWatch_ = QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, &link_,
                                           [this] { takeCollectedLines(); });
    } else {
        takeCollectedLines();
    }
}

void ReadBackDecoder::takeCollectedLines()
{
    if (takingLines_)
        return;
    takingLines_ = true;
    // Lines collected while these are taken apart wait for the next round.
    while (!collected_.empty()) {
        const CollectedLine c = std::move(collected_.front());
        collected_.pop_front();
        handleLine(c.line, c.row, false, c.tag);
    }
    takingLines_ = false;
}

bool ReadBackDecoder::staleReply() const
{
    return CodeTable::validRow(readBackRow) && replyEntry_ != 0 && replyEntry_ != readBackRow;
}

void ReadBackDecoder::dropStaleLine(const QString& line, bool echo)
{
    if (echo && view_.traceMode())
        log_.append(line);
    if (dropReported_)
        return;
    dropReported_ = true;
    ++lateReplies_;
    log_.append(QStringLiteral("Read-back reply for entry %1 dropped: it came after its wait (entry %2 is being read)")
                    .arg(replyEntry_, 3, 10, QLatin1Char('0'))
                    .arg(readBackRow, 3, 10, QLatin1Char('0')));
}

void ReadBackDecoder::OnReadBackLine(const QString& line)
{
    std::optional<RecordTag> known; // a record line without "Twl:", classified once
    if (line != QLatin1String("KRV:on") && line != QLatin1String("KRV:off")
        && line.indexOf(QLatin1String("Twl:")) < 0) {
        const RecordTag tag = recordTag(line);
        if (tag != RecordTag::None)
            known = tag;
        if (tag != RecordTag::None && staleReply()) {
            takeCollectedLines();
            dropStaleLine(line, true);
            return;
        }
        if (collecting_ && tag != RecordTag::None) {
            // Collected with the row it belongs to; a complete entry is
            // acknowledged at once so that the next request goes out before
            // this one is taken apart.
            collected_.push_back({line, readBackRow, tag});
            if (tag == RecordTag::Twd && CodeTable::validRow(readBackRow))
                entryDone();
            return;
        }
    }
    takeCollectedLines(); // everything else comes after the lines before it
    handleLine(line, readBackRow, true, known);
}

void ReadBackDecoder::handleLine(const QString& line, int row, bool acknowledge, std::optional<RecordTag> knownTag)
{
    if (line == QLatin1String("KRV:on")) {
        replyEntry_ = 0;
        dropReported_ = false;
        lateReplies_ = 0;
        link_.SetReplyAck();
        return;
    }
    if (line == QLatin1String("KRV:off")) {
        replyEntry_ = 0;
        link_.state().tableReadMode = false;
        log_.append(QStringLiteral("End of Table Load"));
        if (link_.handlers.OnReadBackEnd)
            link_.handlers.OnReadBackEnd(); // the progress display goes before the message
        prompts_.inform(QStringLiteral("確認"), QStringLiteral("読込み完了しました。  "), MsgIcon::Exclamation);
        view_.selectCell(kColCarry, 1);
        return;
    }
    if (view_.traceMode())
        log_.append(line);

    // A collected line is known to be a record line without "Twl:".
    const qsizetype twl = knownTag ? -1 : line.indexOf(QLatin1String("Twl:"));
    if (twl >= 0) {
        const std::optional<int> n = parseDecimal(QStringView(line).mid(twl + 4, 3));
        if (!n) {
            badLine(line, QStringLiteral("entry number"));
            return;
        }
        if (*n == 0)
            return;
        if (!CodeTable::validRow(*n)) {
            badLine(line, QStringLiteral("entry number out of range"));
            return;
        }
        replyEntry_ = *n;
        dropReported_ = false;
        if (staleReply()) {
            dropStaleLine(line, false); // already listed in trace mode
            return;
        }
        if (line.contains(QLatin1String("Error"))) {
            link_.SetReplyAck();
            table_.entry(*n).flag = 999;
            table_.entryChanged(*n);
            if (*n == kLastRequestedRow) {
                link_.SendLine(QStringLiteral("KRV:off"));
                table_.SetModified(true);
            }
        } else if (!view_.traceMode()) {
            log_.append(line);
        }
        return;
    }

    const RecordTag tag = knownTag ? *knownTag : recordTag(line);
    if (tag == RecordTag::None)
        return;
    const bool twc = tag == RecordTag::Twc;
    const bool twb = tag == RecordTag::Twb;
    const bool twr = tag == RecordTag::Twr;
    const bool twp = tag == RecordTag::Twp;
    if (!CodeTable::validRow(row)) {
        badLine(line, QStringLiteral("no entry is being read"));
        return;
    }
    TableEntry& e = table_.entry(row);

    if (twc) {
        int extra = 0;
        const std::optional<int> v = recordNumber(line, 5, 3, &extra);
        if (!v) {
            badLine(line, QStringLiteral("carrier"));
            return;
        }
        view_.selectCell(view_.currentColumn(), row);
        e.flag = 0;
        e.carrier = *v;
        // The usual three digits show as written ("380" -> "38.0kHz"); a field of
        // another width is shown from its value.
        const QStringView digits = QStringView(line).mid(4, 3);
        const bool threeDigits
            = extra == 0 && digits.size() == 3 && std::all_of(digits.begin(), digits.end(), isAsciiDigit);
        const QString cell = threeDigits
            ? digits.left(2).toString() + QLatin1Char('.') + digits.mid(2).toString() + QStringLiteral("kHz")
            : carrierText(*v);
        table_.setCell(kColCarry, row, cell);
        table_.entryChanged(row);
        return;
    }
    if (twb) {
        const std::optional<int> v = recordNumber(line, 5, 3);
        if (!v || *v < 0 || *v > kDataSymbols) {
            badLine(line, QStringLiteral("data count"));
            return;
        }
        e.dataCount = *v;
        table_.setCell(kColFrames, row, *v < 60 ? QStringLiteral("3") : QStringLiteral("1"));
        table_.entryChanged(row);
        return;
    }
    if (twr) {
        const std::optional<int> v = recordNumber(line, 5, 3);
        if (!v) {
            badLine(line, QStringLiteral("repeat"));
            return;
        }
        e.repeat = *v;
        table_.entryChanged(row);
        return;
    }
    if (twp) {
        const int i = line.size() >= 5 ? hexDigitValue(line[4]) : -1;
        int extra = 0;
        const std::optional<int> high = recordNumber(line, 7, 5, &extra);
        const std::optional<int> width = recordNumber(line, 13 + extra, 6);
        if (i < 0 || !high || !width) {
            badLine(line, QStringLiteral("pattern pair"));
            return;
        }
        e.high[size_t(i)] = *high;
        e.width[size_t(i)] = *width;
        table_.entryChanged(row);
        return;
    }

    // "Twd:": one hex digit per data symbol from character 5, as many as the
    // data count rounded up to even (registration repeats an odd count's last one).
    const int wanted = roundUpEven(std::clamp(e.dataCount, 0, kDataSymbols));
    const int available = int(std::max<qsizetype>(0, line.size() - 4));
    const int n = std::min(wanted, available);
    std::vector<uint8_t> symbols(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j) {
        const int v = hexDigitValue(line[4 + j]);
        if (v < 0) {
            badLine(line, QStringLiteral("data symbol %1").arg(j));
            if (acknowledge)
                entryDone();
            return;
        }
        symbols[size_t(j)] = uint8_t(v);
    }
    std::copy(symbols.begin(), symbols.end(), e.data.begin());
    table_.entryChanged(row);
    if (n < wanted)
        log_.append(QStringLiteral("Read-back entry %1: %2 of %3 data symbols received").arg(row).arg(n).arg(wanted));
    DecodeStoredEntry(row);
    if (view_.traceMode())
        log_.append(QStringLiteral(" "));
    if (acknowledge)
        entryDone();
}

void ReadBackDecoder::DecodeStoredEntry(int row)
{
    if (!CodeTable::validRow(row))
        return;
    const TableEntry& e = table_.entry(row);
    store_.currentChannel = 0;
    WaveChannel& ch = store_.channels[0];
    for (int i = 0; i < kPatternPairs; ++i) {
        ch.patterns[size_t(i)] = {e.high[size_t(i)], e.width[size_t(i)]};
        if (e.high[size_t(i)] == 0 && e.width[size_t(i)] == 0)
            break;
    }
    const int c = std::clamp(e.dataCount, 0, kDataSymbols);
    if (view_.pcode()) {
        const int n = roundUpEven(c);
        for (int j = 0; j < n; ++j)
            ch.patternIndex[size_t(j)] = e.data[size_t(j)];
        ++ch.sequenceRevision;
        analyser_.ShowPatternCode(row, e.dataCount);
        return;
    }
    const StoredDecoding d = decodeStored(e, ch.patterns.data());
    analyser_.SetCandidateWindows(d.lastTried);
    table_.setCell(kColResult, row, d.resultText);
    table_.setCell(kColComments, row, FormatName(d.format));
}

std::optional<StoredDecoding> analyseStored(int t, const TableEntry& e, const CandidateWindows& windows,
                                            AnalysisObserver* observer)
{
    const int c = std::clamp(e.dataCount, 0, kDataSymbols);
    int f = kFormatUnknown;
    int K = c;
    int G = 8;
    int decidingRule = -1;
    if (t >= 0 && t < kCandidateCount) {
        for (int ri = 0; ri < int(std::size(kStoredRules)); ++ri) {
            const StoredRule& r = kStoredRules[ri];
            if (r.candidate != t)
                continue;
            bool holds = false;
            switch (r.cond) {
            case StoredCond::CountEq: holds = c == r.x; break;
            case StoredCond::CountMinus2By8: holds = (c - 2) % 8 == 0; break;
            case StoredCond::CountEqRepeatEq: holds = c == r.x && e.repeat == r.y; break;
            case StoredCond::CountAbove: holds = c > r.x; break;
            case StoredCond::HalfCountEq: holds = c / 2 == r.x; break;
            }
            if (observer) {
                RuleCheck rc;
                rc.stored = true;
                rc.rule = ri;
                rc.holds = holds;
                rc.dataCount = c;
                rc.repeat = e.repeat;
                observer->ruleTested(t, rc);
            }
            if (!holds)
                continue;
            f = r.format;
            K = r.pulses == kCountFromData ? c : r.pulses;
            G = r.groupSize;
            decidingRule = ri;
            break;
        }
        if (t == kSonyCandidate)
            G = kSonyGroupSize;
    }
    if (f == kFormatUnknown && t < kCandidateCount)
        return std::nullopt;

    PulsePair pairs[kPatternPairs];
    std::array<int32_t, 16> highs{};
    for (int i = 0; i < kPatternPairs; ++i) {
        pairs[i] = {e.high[size_t(i)], e.width[size_t(i)]};
        highs[size_t(i)] = e.high[size_t(i)];
    }
    const ZeroOne zo = chooseZeroOne(pairs, kPatternPairs);
    // The walk reads no further than K symbols.
    const int used = std::clamp(K, 0, kDataSymbols);
    std::vector<int32_t> symbols(e.data.begin(), e.data.begin() + used);

    CodeWalkParams w;
    w.candidate = t;
    w.format = f;
    w.pulses = K;
    w.groupSize = G;
    w.zero = zo.zero;
    w.one = zo.one;
    w.limit = K;
    w.zeroHighMax = windows.zeroHighMax;
    w.storedEntry = true;
    StoredDecoding d;
    d.candidate = t;
    d.codeText = walkCode(w, symbols.data(), int(symbols.size()), highs);
    d.format = t == kNecCandidate ? refineByCodeText(d.codeText, f) : f;
    d.resultText = resultText(d.format, d.codeText);
    if (observer) {
        AnalysisVerdict v;
        v.candidate = t;
        v.rule = decidingRule;
        v.ruleFormat = f;
        v.format = d.format;
        v.pulses = K;
        v.groupSize = G;
        v.zero = zo.zero;
        v.one = zo.one;
        v.codeText = d.codeText;
        v.resultText = d.resultText;
        observer->decided(v);
    }
    return d;
}

StoredDecoding decodeStored(const TableEntry& e, const PulsePair* patterns, AnalysisObserver* observer)
{
    if (observer)
        observer->analysisStarted();
    for (int t = 0; t < kCandidateCount; ++t) {
        const CandidateWindows w = candidateWindowsOf(t);
        const TimingTest test = testCandidateTiming(t, w, patterns);
        if (observer)
            observer->timingTested(t, test);
        if (!test.passed())
            continue;
        if (std::optional<StoredDecoding> d = analyseStored(t, e, w, observer)) {
            d->lastTried = t;
            return *d;
        }
    }
    StoredDecoding d = *analyseStored(kCandidateCount, e, candidateWindowsOf(kCandidateCount - 1), observer);
    d.lastTried = kCandidateCount - 1;
    return d;
}

} // namespace zovax
