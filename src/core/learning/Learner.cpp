#include "core/learning/Learner.h"

#include "core/learning/Analyser.h"
#include "core/learning/LearnLines.h"
#include "core/learning/LearnView.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"

#include <algorithm>
#include <climits>

namespace zovax {

namespace {
constexpr int kDefaultHRangePercent = LearnParams{}.hRangePercent;
constexpr int kDefaultWRangePercent = LearnParams{}.wRangePercent;
constexpr int kLendAckWaitMs = 500;

int32_t clampToInt(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

int64_t roundTo10(int64_t x)
{
    return (x + 5) / 10 * 10;
}
} // namespace

int FirstEmptyRow(const CodeTable& table, int fromRow)
{
    for (int r = std::max(fromRow, 1); r < kTableRows; ++r) {
        if (table.cell(kColCarry, r).trimmed().isEmpty())
            return r;
    }
    return 0;
}

void SelectFirstEmptyRow(const CodeTable& table, LearnView& view)
{
    const int r = FirstEmptyRow(table, view.currentRow());
    if (r == 0)
        return;
    view.selectCell(kColCarry, r);
    view.focusGrid();
}

Learner::Learner(WaveStore& store, Analyser& analyser, DeviceLink& link, CodeTable& table, LearnView& view,
                 Prompts& prompts, Sounds& sounds, ReceiveLog& log)
    : store_(store), analyser_(analyser), link_(link), table_(table), view_(view), prompts_(prompts), sounds_(sounds),
      log_(log)
{
    resultWait_.setSingleShot(true);
    resultWait_.callOnTimeout([this] { ResultWaitExpired(); });
}

void Learner::setResultPending(bool pending)
{
    resultPending_ = pending;
    if (!pending) {
        resultWait_.stop();
        return;
    }
    const int64_t ms = store_.learnTimeUs / 1000 + kResultMarginMs;
    resultWait_.start(int(std::min<int64_t>(ms, INT_MAX)));
}

void Learner::ResultWaitExpired()
{
    if (!resultPending_)
        return;
    log_.append(QStringLiteral("No result line from the board within %1 ms; the learn gets no result")
                    .arg(resultWait_.interval()));
    setResultPending(false);
    const bool deferred = rearmDeferred_;
    rearmDeferred_ = false;
    if (deferred || (view_.cursorAuto() && !view_.learnMessageShowing()))
        RearmLearning();
}

void Learner::readParameters()
{
    store_.hRangePercent = parseIntOr(view_.hRangeText(), kDefaultHRangePercent);
    store_.wRangePercent = parseIntOr(view_.wRangeText(), kDefaultWRangePercent);
    store_.learnTimeUs = int64_t(parseIntOr(view_.learningTimeText(), kDefaultLearningTimeMs)) * 1000;
}

void Learner::ToggleLearning()
{
    const LinkState& ls = link_.state();
    if (!requireLink(ls, LinkNeed::TcpAndShownSerial, view_.serialMenuVisible(), prompts_, MsgIcon::Exclamation))
        return;
    if (ls.boardInLoader && !view_.learnIndicatorLit()) {
        // The board runs its loader (an interrupted firmware update): it has no
        // firmware that could learn; the firmware update brings it back.
        prompts_.inform(QStringLiteral("確認"), boardInLoaderText(), MsgIcon::Exclamation);
        return;
    }
    if (view_.learnIndicatorLit()) {
        // The caption follows when the board answers "Trans Mode".
        switchedOffByUser_ = true;
        view_.setLearnIndicatorColourOff();
        link_.SendLine(QStringLiteral("T"));
        view_.setProgress(0);
        view_.hideProgress();
        return;
    }
    SetLearnIndicator(true);
    link_.SendLine(QStringLiteral("A"));
    log_.clear();
    store_.hRangePercent = parseIntOr(view_.hRangeText(), kDefaultHRangePercent);
    store_.wRangePercent = parseIntOr(view_.wRangeText(), kDefaultWRangePercent);
    const int ms = std::clamp(parseIntOr(view_.learningTimeText(), kDefaultLearningTimeMs), kMinLearningTimeMs,
                              kMaxLearningTimeMs);
    view_.setLearningTimeText(QString::number(ms));
    store_.learnTimeUs = int64_t(ms) * 1000;
    const QString lend = QString::asprintf("Lend:%04d", ms);
    link_.SendLine(lend);
    if (!link_.WaitAck(kLendAckWaitMs)) {
        // A silent board: learning is not on, and the indicator says so.
        log_.append(lend + QStringLiteral(": no answer"));
        SetLearnIndicator(false);
        return;
    }

    if (view_.cursorAuto()) {
        view_.ClearWaveArea(kWaveChannels);
        store_.currentChannel = kWaveChannels - 1; // the first train goes to channel 0
        SelectFirstEmptyRow(table_, view_);
    } else {
        view_.ClearWaveArea(store_.currentChannel);
    }
    ResetLearnState();
}

void Learner::SetLearnIndicator(bool on)
{
    if (on)
        switchedOffByUser_ = false;
    view_.setLearnIndicatorLook(on);
    view_.hideProgress();
    view_.processEventsOnce();
}

void Learner::RearmLearning()
{
    if (switchedOffByUser_)
        return; // a late result after the user switched learning off
    SetLearnIndicator(true);
    link_.SendLine(QStringLiteral("A"));
    ResetLearnState();
    const int row = view_.currentRow();
    if (row < kTableRows)
        view_.selectCell(view_.currentColumn(), row + 1);
}

void Learner::ResetLearnState()
{
    store_.learn = LearnState{};
    setResultPending(false);
    rearmDeferred_ = false;
}

void Learner::ClearWaveList(int channel)
{
    view_.clearWaveListView(channel);
    if (channel >= 0 && channel < kWaveChannels) {
        store_.channels[size_t(channel)].lastIndex = 0;
    } else {
        for (WaveChannel& ch : store_.channels)
            ch.lastIndex = 0;
    }
}

void Learner::ClearAllWaves()
{
    log_.clear();
    view_.ClearWaveArea(kWaveChannels);
    ClearWaveList(kWaveChannels);
    store_.currentChannel = kWaveChannels;
}

void Learner::OnWaveLine(const QString& line)
{
    if (store_.learn.dataCount != 0) {
        // The learn is complete. While its train still runs, the wait for the
        // result line starts again from the latest line.
        if (resultPending_)
            resultWait_.start();
        return;
    }
    const WaveLineFields w = parseWaveLine(line);
    if (w.index < 0 || w.index > kMaxPulseIndex)
        return;

    if (w.index == 0) {
        // A new pulse train.
        if (view_.cursorAuto())
            ++store_.currentChannel;
        if (!store_.hasCurrentChannel())
            store_.currentChannel = 0;
        ClearWaveList(store_.currentChannel);
        readParameters();
        WaveChannel& ch = store_.current();
        ch.patterns.fill(PulsePair{});
        store_.patternWindow.fill(PatternWindow{});
        store_.learn.dataCount = 0;
        store_.totalWidth = 0;
        ch.patternCount = 0;
        view_.showProgress();
    } else if (!store_.hasCurrentChannel()) {
        return; // no train has begun on any channel
    }

    const int channel = store_.currentChannel;
    WaveChannel& ch = store_.current();
    const size_t index = size_t(w.index);
    ch.pulses[index] = {w.high, w.width};
    ch.lastIndex = w.index;
    store_.totalWidth += w.width;

    // Pattern search: the first pattern whose window holds the pair (strictly).
    const int n = std::min(ch.patternCount, kMaxPatterns);
    int i = n;
    for (int j = 0; j < n; ++j) {
        const PatternWindow& pw = store_.patternWindow[size_t(j)];
        if (pw.hMin < w.high && w.high < pw.hMax && pw.wMin < w.width && w.width < pw.wMax) {
            i = j;
            break;
        }
    }
    if (i < kMaxPatterns) {
        const int64_t h = w.high;
        const int64_t wd = w.width;
        const int64_t hr = store_.hRangePercent;
        const int64_t wr = store_.wRangePercent;
        const int64_t lowH = h * (100 - hr) / 100;
        const int64_t highH = h * (100 + hr) / 100;
        const int64_t lowW = wd * (100 - wr) / 100;
        const int64_t highW = wd * (100 + wr) / 100;
        PatternWindow& pw = store_.patternWindow[size_t(i)];
        if (pw.hMin == 0) {
            pw = {lowH, highH, lowW, highW};
        } else {
            pw.hMin = std::min(pw.hMin, lowH);
            pw.hMax = std::max(pw.hMax, highH);
            pw.wMin = std::min(pw.wMin, lowW);
            pw.wMax = std::max(pw.wMax, highW);
        }
        int64_t mH = (pw.hMin + pw.hMax) / 2;
        int64_t mW = (pw.wMin + pw.wMax) / 2;
        PulsePair& mean = ch.patterns[size_t(i)];
        if (i < n) {
            mH = (mH + mean.high) / 2;
            mW = (mW + mean.width) / 2;
        }
        mean = {clampToInt(roundTo10(mH)), clampToInt(roundTo10(mW))};
    }
    // else: a 17th pattern. No window or mean; the result line reports the failure.
    if (i == n)
        ++ch.patternCount;
    ch.patternIndex[index] = i;
    ch.patternIndex[index + 1] = 0;
    detector_.noteStored(ch, channel, w.index);

    view_.DrawPulse(channel, w.index);
    view_.ShowPulseInList(channel, w.index);
    view_.setProgress(w.index + 1);

    if (store_.totalWidth > store_.learnTimeUs)
        DetectFrames();
}

bool Learner::DetectFrames(bool notify)
{
    if (!store_.hasCurrentChannel())
        return false;
    const WaveChannel& ch = store_.current();
    const FrameDecision d = decideFrames(detector_.search(ch, store_.currentChannel), ch, store_.learnTimeUs);
    if (!d.complete)
        return false;
    store_.learn = d.state;
    if (notify) {
        setResultPending(true);
        NotifyLearnComplete();
    }
    return true;
}

bool Learner::NotifyLearnComplete()
{
    sounds_.play(Sound::Chime);
    if (!view_.learningMsg()) {
        log_.append(QStringLiteral("Learning Completed !"));
        return false;
    }
    QString caption = learnmsg::kCaptionConfirm;
    QString text = learnmsg::kReleaseButton;
    if (store_.totalWidth < store_.learnTimeUs && store_.learn.frameCount < 3) {
        caption = learnmsg::kCaptionWarning;
        text = learnmsg::kLowReliability;
    } else if (store_.learn.frameCount == 1) {
        text = learnmsg::kSingleFrame;
    }
    const bool dontShowAgain = view_.showLearnMessage(caption, text);
    view_.setLearningMsg(!dontShowAgain);
    if (!view_.cursorAuto())
        return false;
    if (resultPending_) {
        rearmDeferred_ = true; // the result line re-arms
        return false;
    }
    RearmLearning();
    return true;
}

void Learner::OnAverageLine(const QString& line)
{
    if (!store_.hasCurrentChannel()) {
        log_.append(QStringLiteral("Result line ignored, no wave has been learned: ") + line);
        return;
    }
    WaveChannel& ch = store_.current();
    if (ch.patternCount > kMaxPatterns) {
        prompts_.inform(QStringLiteral("警告"), QStringLiteral("学習出来ません。"), MsgIcon::Error);
        finishAbandonedResult();
        return;
    }
    const QString carried = carrierTextOf(line);
    const std::optional<int> tenths = parseCarrierTenths(carried);
    if (!tenths) {
        log_.append(QStringLiteral("Result line ignored, the carrier \"%1\" is not a number: %2").arg(carried, line));
        finishAbandonedResult();
        return;
    }
    // The row current when the result line arrived receives the result, even if
    // the completion notice below re-arms learning on the next row.
    const int row = view_.currentRow();
    if (!CodeTable::validRow(row)) {
        log_.append(QStringLiteral("Result line ignored, no table row is selected: ") + line);
        finishAbandonedResult();
        return;
    }
    setResultPending(false);
    store_.carrierTenths = *tenths;

    bool completedHere = false;
    if (store_.learn.dataCount == 0) {
        completedHere = DetectFrames(false);
        if (!completedHere)
            store_.learn.dataCount = ch.lastIndex + 1;
    }

    ch.channelRow = row;
    analyser_.ClassifyLearn();

    table_.setCell(kColCarry, row, carried + QStringLiteral("kHz"));
    table_.setCell(kColFrames, row, store_.learn.frameCount >= 3 ? QStringLiteral("3") : QStringLiteral("1"));
    view_.selectCell(kColComments, row);
    fillEntry(row);
    view_.hideProgress();
    table_.SetModified(true);
    if (view_.traceMode())
        traceListing(row);

    bool rearmed = false;
    if (completedHere)
        rearmed = NotifyLearnComplete();
    rearmDeferred_ = false;
    if (!rearmed && view_.cursorAuto() && !view_.learnMessageShowing())
        RearmLearning();
}

void Learner::finishAbandonedResult()
{
    // Nothing is written; a re-arm the message box left to this line still happens.
    setResultPending(false);
    if (rearmDeferred_) {
        rearmDeferred_ = false;
        RearmLearning();
    }
}

void Learner::fillEntry(int row)
{
    const WaveChannel& ch = store_.current();
    TableEntry& e = table_.entry(row);
    e.carrier = store_.carrierTenths;
    e.dataCount = std::clamp(store_.learn.dataCount, 0, kDataSymbols);
    e.repeat = store_.learn.frameStart;
    for (int i = 0; i < kPatternPairs; ++i) {
        e.high[size_t(i)] = ch.patterns[size_t(i)].high;
        e.width[size_t(i)] = ch.patterns[size_t(i)].width;
    }
    for (int j = 0; j < e.dataCount; ++j)
        e.data[size_t(j)] = uint8_t(ch.patternIndex[size_t(j)] & 0xFF);
    table_.entryChanged(row);
}

void Learner::traceListing(int row)
{
    const WaveChannel& ch = store_.current();
    const TableEntry& e = table_.entry(row);
    const LearnState& ls = store_.learn;
    log_.append(QStringLiteral("Carry:") + carrierText(e.carrier, 2)
                + QString::asprintf(", DataSize:%d, Repeat:%d, Frames:%d", e.dataCount, e.repeat, ls.frameCount));
    for (int i = 0; i < kPatternPairs; ++i)
        log_.append(QString::asprintf("W%01X:%5d %6d", i, e.high[size_t(i)], e.width[size_t(i)]));
    QString t;
    int limit = ls.dataCount;
    const int last = std::clamp(ch.lastIndex, 0, kPulseSlots - 1);
    for (int i = 0; i <= last; ++i) {
        if (i == limit) {
            log_.append(t + QLatin1Char(':') + QString::number(i));
            t.clear();
            limit += ls.dataCount - ls.frameStart;
        }
        t += QString::number(ch.patternIndex[size_t(i)], 16).toUpper();
    }
    if (!t.isEmpty())
        log_.append(t);
    QString code = QStringLiteral("Code: ");
    for (int j = 0; j < e.dataCount; ++j)
        code += QString::number(e.data[size_t(j)], 16).toUpper();
    log_.append(code);
    log_.append(QStringLiteral("-----"));
}

} // namespace zovax
