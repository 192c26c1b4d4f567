#include "core/learning/Explanation.h"

#include "core/learning/Catalogue.h"
#include "core/learning/ReadBack.h"
#include "core/shell/TextNumbers.h"
#include "core/table/CodeTable.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace zovax {

namespace {

QString percentText(double p)
{
    return p < 0 ? QStringLiteral("n/a") : QString::number(p, 'f', 1) + QStringLiteral(" %");
}

bool hasTimings(int t)
{
    if (t < 0 || t >= kCandidateCount)
        return false;
    const CandidateTiming& c = kCandidateTimings[t];
    return c.leaderHigh || c.leaderWidth || c.zeroHigh || c.zeroWidth || c.oneHigh || c.oneWidth;
}

// The formats candidate t's rules can give, in rule order without repeats.
QStringList candidateFormats(int t, bool stored)
{
    QStringList names;
    auto add = [&](int f) {
        const QString n = FormatName(f);
        if (f != kFormatUnknown && !names.contains(n))
            names << n;
    };
    if (stored) {
        for (const StoredRule& r : kStoredRules)
            if (r.candidate == t)
                add(r.format);
    } else {
        for (const LearnRule& r : kLearnRules)
            if (r.candidate == t)
                add(r.format);
    }
    return names;
}

QString candidateLabel(int t, bool stored)
{
    QString s = QStringLiteral("candidate %1").arg(t);
    const QStringList f = candidateFormats(t, stored);
    if (!f.isEmpty())
        s += QStringLiteral(" (") + f.join(QStringLiteral(", ")) + QLatin1Char(')');
    return s;
}

// "leader High of P0 is 11700 us, above 10800 by 900 us (8.3 %)"
QString windowFailure(const WindowCheck& c)
{
    const int d = c.outsideUs();
    return QStringLiteral("%1 of P%2 is %3 us, %4 %5 by %6 us (%7)")
        .arg(QLatin1String(timingWindowName(c.window)))
        .arg(c.pattern)
        .arg(c.measured)
        .arg(d < 0 ? QStringLiteral("below") : QStringLiteral("above"))
        .arg(d < 0 ? c.min : c.max)
        .arg(std::abs(d))
        .arg(percentText(c.outsidePercent()));
}

// "leader High at most 10800 us (measured 11700 us)"
QString windowNeed(const WindowCheck& c)
{
    const int d = c.outsideUs();
    return QStringLiteral("%1 of P%2 %3 %4 us (measured %5 us)")
        .arg(QLatin1String(timingWindowName(c.window)))
        .arg(c.pattern)
        .arg(d < 0 ? QStringLiteral("at least") : QStringLiteral("at most"))
        .arg(d < 0 ? c.min : c.max)
        .arg(c.measured);
}

double failingPercentSum(const TimingTest& test)
{
    double sum = 0;
    for (int i = 0; i < test.count; ++i) {
        const double p = test.checks[size_t(i)].outsidePercent();
        sum += p < 0 ? 0 : p;
    }
    return sum;
}

int ruleFormat(const RuleCheck& r)
{
    return r.stored ? kStoredRules[r.rule].format : kLearnRules[r.rule].format;
}

bool isCountGuard(const RuleCheck& r)
{
    return !r.stored && kLearnRules[r.rule].cond == LearnCond::DataCountBelow;
}

// Closest candidate, reference candidate and the quality flags.
void finish(AnalysisExplanation& x)
{
    x.closest = -1;
    x.closestPercent = 0;
    if (x.unknown()) {
        for (int t = 0; t < kCandidateCount && x.closest < 0; ++t) {
            if (hasTimings(t) && x.candidates[size_t(t)].timing.passed())
                x.closest = t;
        }
        if (x.closest < 0) {
            double best = 0;
            for (int t = 0; t < kCandidateCount; ++t) {
                if (!hasTimings(t) || !x.candidates[size_t(t)].tried)
                    continue;
                const double sum = failingPercentSum(x.candidates[size_t(t)].timing);
                if (x.closest < 0 || sum < best) {
                    x.closest = t;
                    best = sum;
                }
            }
            x.closestPercent = best;
        }
    }
    x.reference = x.verdict.decided && x.verdict.candidate < kCandidateCount ? x.verdict.candidate : x.closest;
    if (x.reference < 0)
        return;
    const TimingTest& test = x.candidates[size_t(x.reference)].timing;
    for (PatternQuality& q : x.quality) {
        q.exceeded.clear();
        if (!q.hasSpread)
            continue;
        for (int i = 0; i < test.count; ++i) {
            const WindowCheck& c = test.checks[size_t(i)];
            if (c.pattern != q.pattern)
                continue;
            const bool high = c.window == TimingWindow::LeaderHigh || c.window == TimingWindow::ZeroHigh
                || c.window == TimingWindow::OneHigh;
            const int lo = high ? q.minHigh : q.minWidth;
            const int hi = high ? q.maxHigh : q.maxWidth;
            if (lo < c.min)
                q.exceeded.push_back({c.window, c.pattern, lo, c.min, c.max});
            else if (hi > c.max)
                q.exceeded.push_back({c.window, c.pattern, hi, c.min, c.max});
        }
    }
}

void fillPatterns(AnalysisExplanation& x, const PulsePair* patterns, int count)
{
    x.patternCount = std::clamp(count, 0, kMaxPatterns);
    for (int i = 0; i < kMaxPatterns; ++i)
        x.patterns[size_t(i)] = patterns[i];
}

bool sameWave(const TableEntry& a, const TableEntry& b)
{
    if (a.carrier != b.carrier || a.dataCount != b.dataCount || a.repeat != b.repeat || a.high != b.high
        || a.width != b.width)
        return false;
    const int n = std::clamp(a.dataCount, 0, kDataSymbols);
    return std::equal(a.data.begin(), a.data.begin() + n, b.data.begin());
}

} // namespace

// --- recording -------------------------------------------------------------

void ExplanationRecorder::analysisStarted()
{
    explanation.candidates = {};
    explanation.verdict = {};
    hasVerdict = false;
}

void ExplanationRecorder::timingTested(int t, const TimingTest& test)
{
    if (t < 0 || t >= kCandidateCount)
        return;
    CandidateTrace& c = explanation.candidates[size_t(t)];
    c.tried = true;
    c.timing = test;
    c.rules.clear();
}

void ExplanationRecorder::ruleTested(int t, const RuleCheck& check)
{
    if (t >= 0 && t < kCandidateCount)
        explanation.candidates[size_t(t)].rules.push_back(check);
}

void ExplanationRecorder::decided(const AnalysisVerdict& verdict)
{
    explanation.verdict = verdict;
    hasVerdict = true;
}

bool hasWaveInformation(const TableEntry& e)
{
    if (e.dataCount > 0)
        return true;
    for (int i = 0; i < kPatternPairs; ++i)
        if (e.high[size_t(i)] != 0 || e.width[size_t(i)] != 0)
            return true;
    return false;
}

AnalysisExplanation explainStoredEntry(const TableEntry& e)
{
    ExplanationRecorder rec;
    AnalysisExplanation& x = rec.explanation;
    x.carrierTenths = e.carrier;
    x.dataCount = e.dataCount;
    x.frameStart = e.repeat;
    if (!hasWaveInformation(e)) {
        x.source = ExplanationSource::NoWave;
        x.verdict.decided = false;
        return x;
    }
    x.source = ExplanationSource::Stored;
    // The pattern table as the read-back decoder loads it: pairs up to and
    // including the first empty one.
    std::array<PulsePair, kMaxPatterns> patterns{};
    int used = 0;
    for (int i = 0; i < kPatternPairs; ++i) {
        patterns[size_t(i)] = {e.high[size_t(i)], e.width[size_t(i)]};
        if (e.high[size_t(i)] == 0 && e.width[size_t(i)] == 0)
            break;
        used = i + 1;
    }
    decodeStored(e, patterns.data(), &rec);
    fillPatterns(x, patterns.data(), used);
    std::array<int, kMaxPatterns> counts{};
    const int c = std::clamp(e.dataCount, 0, kDataSymbols);
    for (int j = 0; j < c; ++j)
        if (e.data[size_t(j)] < kMaxPatterns)
            ++counts[e.data[size_t(j)]];
    for (int p = 0; p < used; ++p) {
        PatternQuality q;
        q.pattern = p;
        q.count = counts[size_t(p)];
        q.meanHigh = patterns[size_t(p)].high;
        q.meanWidth = patterns[size_t(p)].width;
        x.quality.push_back(q);
    }
    finish(x);
    return x;
}

LearnedExplanations::LearnedExplanations(const WaveStore& store) : store_(store)
{}

void LearnedExplanations::analysisStarted()
{
    recorder_.analysisStarted();
}
void LearnedExplanations::timingTested(int t, const TimingTest& test)
{
    recorder_.timingTested(t, test);
}
void LearnedExplanations::ruleTested(int t, const RuleCheck& check)
{
    recorder_.ruleTested(t, check);
}

void LearnedExplanations::decided(const AnalysisVerdict& verdict)
{
    recorder_.decided(verdict);
    if (!store_.hasCurrentChannel())
        return;
    const int channel = store_.currentChannel;
    const WaveChannel& ch = store_.current();
    Slot& slot = slots_[size_t(channel)];
    AnalysisExplanation& x = slot.explanation;
    x = recorder_.explanation;
    x.source = ExplanationSource::Learned;
    x.row = ch.channelRow;
    x.channel = channel;
    x.carrierTenths = store_.carrierTenths;
    x.frameCount = store_.learn.frameCount;
    x.dataCount = store_.learn.dataCount;
    x.frameStart = store_.learn.frameStart;
    const int last = std::clamp(ch.lastIndex, 0, kPulseSlots - 1);
    x.pairsReceived = last + 1;
    fillPatterns(x, ch.patterns.data(), ch.patternCount);

    // Count and spread of each pattern over the whole received train.
    std::array<PatternQuality, kMaxPatterns> q{};
    for (int i = 0; i <= last; ++i) {
        const int p = ch.patternIndex[size_t(i)];
        if (p < 0 || p >= kMaxPatterns)
            continue;
        const PulsePair& pair = ch.pulses[size_t(i)];
        PatternQuality& s = q[size_t(p)];
        if (s.count == 0) {
            s.minHigh = s.maxHigh = pair.high;
            s.minWidth = s.maxWidth = pair.width;
        }
        ++s.count;
        s.minHigh = std::min(s.minHigh, pair.high);
        s.maxHigh = std::max(s.maxHigh, pair.high);
        s.minWidth = std::min(s.minWidth, pair.width);
        s.maxWidth = std::max(s.maxWidth, pair.width);
    }
    x.quality.clear();
    for (int p = 0; p < x.patternCount; ++p) {
        PatternQuality s = q[size_t(p)];
        s.pattern = p;
        s.meanHigh = ch.patterns[size_t(p)].high;
        s.meanWidth = ch.patterns[size_t(p)].width;
        s.hasSpread = s.count > 0;
        x.quality.push_back(s);
    }
    finish(x);

    // The entry exactly as the learn fills it, to know later whether the row
    // still holds this learn.
    TableEntry& e = slot.entry;
    e = TableEntry{};
    e.carrier = store_.carrierTenths;
    e.dataCount = std::clamp(store_.learn.dataCount, 0, kDataSymbols);
    e.repeat = store_.learn.frameStart;
    for (int i = 0; i < kPatternPairs; ++i) {
        e.high[size_t(i)] = ch.patterns[size_t(i)].high;
        e.width[size_t(i)] = ch.patterns[size_t(i)].width;
    }
    for (int j = 0; j < e.dataCount; ++j)
        e.data[size_t(j)] = uint8_t(ch.patternIndex[size_t(j)] & 0xFF);
    slot.valid = true;
    slot.sequence = ++sequence_;
}

const AnalysisExplanation* LearnedExplanations::forRow(int row, const TableEntry& current) const
{
    const Slot* best = nullptr;
    for (const Slot& s : slots_) {
        if (!s.valid || s.explanation.row != row || !sameWave(s.entry, current))
            continue;
        if (!best || s.sequence > best->sequence)
            best = &s;
    }
    return best ? &best->explanation : nullptr;
}

AnalysisExplanation explainRow(const CodeTable& table, int row, const LearnedExplanations* learned)
{
    AnalysisExplanation x;
    if (!CodeTable::validRow(row)) {
        x.verdict.decided = false;
        return x;
    }
    const TableEntry& e = table.entry(row);
    const AnalysisExplanation* l = learned ? learned->forRow(row, e) : nullptr;
    x = l ? *l : explainStoredEntry(e);
    x.row = row;
    x.resultCell = table.cell(kColResult, row);
    return x;
}

// --- text --------------------------------------------------------------------

QString ruleText(const RuleCheck& r)
{
    if (r.stored) {
        const StoredRule& s = kStoredRules[r.rule];
        switch (s.cond) {
        case StoredCond::CountEq: return QStringLiteral("data count %1 (found %2)").arg(s.x).arg(r.dataCount);
        case StoredCond::CountMinus2By8:
            return QStringLiteral("data count 2 + a multiple of 8 (found %1)").arg(r.dataCount);
        case StoredCond::CountEqRepeatEq:
            return QStringLiteral("data count %1 and repeat %2 (found %3 and %4)")
                .arg(s.x)
                .arg(s.y)
                .arg(r.dataCount)
                .arg(r.repeat);
        case StoredCond::CountAbove: return QStringLiteral("data count above %1 (found %2)").arg(s.x).arg(r.dataCount);
        case StoredCond::HalfCountEq:
            return QStringLiteral("half the data count %1 (found %2)").arg(s.x).arg(r.dataCount / 2);
        }
        return QString();
    }
    const LearnRule& l = kLearnRules[r.rule];
    switch (l.cond) {
    case LearnCond::Always: return QStringLiteral("always");
    case LearnCond::PosEq: return QStringLiteral("pair %1 is P%2 (found P%3)").arg(l.a).arg(l.x).arg(r.foundA);
    case LearnCond::PosEqAndPosEq:
    case LearnCond::PosAboveAndPosEq:
        return QStringLiteral("pair %1 is %2P%3 and pair %4 is P%5 (found P%6 and P%7)")
            .arg(l.a)
            .arg(QLatin1String(l.cond == LearnCond::PosAboveAndPosEq ? "above " : ""))
            .arg(l.x)
            .arg(l.b)
            .arg(l.y)
            .arg(r.foundA)
            .arg(r.foundB);
    case LearnCond::PosEqOrLastIndex:
        return QStringLiteral("pair %1 is P%2, or the last pair index is %3 or %4 (found P%5, last index %6)")
            .arg(l.a)
            .arg(l.x)
            .arg(l.b)
            .arg(l.y)
            .arg(r.foundA)
            .arg(r.lastIndex);
    case LearnCond::DataCountBelow:
        return QStringLiteral("a frame of at least %1 pulse pairs (found %2)").arg(l.x).arg(r.dataCount);
    }
    return QString();
}

namespace {

QString ruleOutcome(const RuleCheck& r, const AnalysisVerdict& v, int t)
{
    if (isCountGuard(r))
        return r.holds ? QStringLiteral("no: too few pulse pairs, no format from this candidate")
                       : QStringLiteral("yes");
    if (!r.holds)
        return QStringLiteral("no");
    QString s = QStringLiteral("held -> ") + FormatName(ruleFormat(r));
    if (v.decided && v.candidate == t && v.rule == r.rule)
        s += QStringLiteral(", frame %1 pulse pairs, first group %2 bits").arg(v.pulses).arg(v.groupSize);
    return s;
}

QString candidateLine(const AnalysisExplanation& x, int t)
{
    const CandidateTrace& c = x.candidates[size_t(t)];
    const bool stored = x.source == ExplanationSource::Stored;
    QString s = QString::asprintf("  %2d  ", t);
    if (!c.tried)
        return s + QStringLiteral("not tried");
    if (!c.timing.passed()) {
        if (!hasTimings(t))
            return s + QStringLiteral("timing failed: this candidate has no timings");
        return s + QStringLiteral("timing failed: ") + windowFailure(c.timing.checks[size_t(c.timing.firstFailure)]);
    }
    s += QStringLiteral("timing passed");
    if (c.rules.empty())
        return s + QStringLiteral("; no ") + (stored ? QStringLiteral("stored-entry") : QStringLiteral("learn"))
            + QStringLiteral(" rules, no format");
    QStringList parts;
    for (const RuleCheck& r : c.rules)
        parts << ruleText(r) + QStringLiteral(": ") + ruleOutcome(r, x.verdict, t);
    s += QStringLiteral("; rules: ") + parts.join(QStringLiteral("; "));
    const bool gave = x.verdict.decided && x.verdict.candidate == t;
    if (!gave && !(c.rules.back().holds && isCountGuard(c.rules.back())))
        s += QStringLiteral("; no rule held, no format");
    return s;
}

QString verdictLines(const AnalysisExplanation& x)
{
    const AnalysisVerdict& v = x.verdict;
    const bool stored = x.source == ExplanationSource::Stored;
    QString s;
    const QString shape = QStringLiteral("frame %1 pulse pairs, first group %2 bits; zero symbol P%3, one symbol P%4")
                              .arg(v.pulses)
                              .arg(v.groupSize)
                              .arg(v.zero)
                              .arg(v.one);
    if (v.candidate < kCandidateCount) {
        const RuleCheck* held = nullptr;
        for (const RuleCheck& r : x.candidates[size_t(v.candidate)].rules)
            if (r.rule == v.rule)
                held = &r;
        s += QStringLiteral("Decided by candidate %1: timing passed and the %2 rule \"%3\" held: %4, %5.\n")
                 .arg(v.candidate)
                 .arg(stored ? QStringLiteral("stored-entry") : QStringLiteral("learn"))
                 .arg(held ? ruleText(*held) : QString())
                 .arg(FormatName(v.ruleFormat), shape);
        if (v.format != v.ruleFormat)
            s += QStringLiteral("Custom code %1 turned %2 into %3.\n")
                     .arg(v.codeText.left(4), FormatName(v.ruleFormat), FormatName(v.format));
        return s;
    }
    s += QStringLiteral("No candidate accepted the signal: Unknown, code taken by the fallback (%1).\n").arg(shape);
    if (x.closest < 0) {
        s += QStringLiteral("No candidate with timings came close.\n");
        return s;
    }
    const CandidateTrace& c = x.candidates[size_t(x.closest)];
    s += QStringLiteral("Closest: ") + candidateLabel(x.closest, stored);
    if (c.timing.passed()) {
        s += QStringLiteral(": timing passed, but no rule gave a format.\n");
        const RuleCheck* guard = nullptr;
        QStringList needs;
        for (const RuleCheck& r : c.rules) {
            if (isCountGuard(r) && r.holds)
                guard = &r;
            else if (!isCountGuard(r))
                needs << ruleText(r);
        }
        if (guard)
            s += QStringLiteral(
                     "Would have had to differ: the frame has %1 pulse pairs, the candidate needs at least %2.\n")
                     .arg(guard->dataCount)
                     .arg(kLearnRules[guard->rule].x);
        else if (!needs.isEmpty())
            s += QStringLiteral("Would have had to differ: one of: ") + needs.join(QStringLiteral("; "))
                + QStringLiteral(".\n");
        return s;
    }
    QStringList fails, needs;
    for (int i = 0; i < c.timing.count; ++i) {
        const WindowCheck& w = c.timing.checks[size_t(i)];
        if (w.inside())
            continue;
        fails << windowFailure(w);
        needs << windowNeed(w);
    }
    s += QStringLiteral(": ") + fails.join(QStringLiteral("; ")) + QStringLiteral(".\n");
    s += QStringLiteral("Would have had to differ: ") + needs.join(QStringLiteral("; ")) + QStringLiteral(".\n");
    return s;
}

} // namespace

QString explanationText(const AnalysisExplanation& x)
{
    QString s;
    switch (x.source) {
    case ExplanationSource::Learned:
        s += QStringLiteral("Row %1: learned in this run (wave channel %2)\n").arg(x.row).arg(x.channel + 1);
        break;
    case ExplanationSource::Stored:
        s += QStringLiteral("Row %1: decoded from its stored wave information with the stored-entry rules\n")
                 .arg(x.row);
        break;
    case ExplanationSource::NoWave:
        s += QStringLiteral("Row %1: this row has no wave information; there is no analysis to explain.\n").arg(x.row);
        if (!x.resultCell.isEmpty())
            s += QStringLiteral("Result cell: ") + x.resultCell + QLatin1Char('\n');
        return s;
    }
    const AnalysisVerdict& v = x.verdict;
    if (!v.decided) {
        s += QStringLiteral("PCode was on: the raw pattern listing replaced the analysis; no format was decided.\n");
        s += QStringLiteral("Result cell: ") + x.resultCell + QLatin1Char('\n');
        return s;
    }
    s += QStringLiteral("Result: ") + v.resultText + QLatin1Char('\n');
    if (x.resultCell != v.resultText)
        s += QStringLiteral("(The Result cell shows \"%1\".)\n").arg(x.resultCell);
    s += verdictLines(x);

    s += QStringLiteral("\nLearn quality\n");
    s += QStringLiteral("  Carrier %1 (the carrier takes no part in choosing the format)\n")
             .arg(carrierNumber(x.carrierTenths) + QStringLiteral(" kHz"));
    if (x.source == ExplanationSource::Learned)
        s += QStringLiteral(
                 "  Frames found %1; frame %2 pulse pairs, repeating from pair %3; %4 pulse pairs received\n")
                 .arg(x.frameCount)
                 .arg(x.dataCount)
                 .arg(x.frameStart)
                 .arg(x.pairsReceived);
    else
        s += QStringLiteral("  Frame %1 pulse pairs, repeating from pair %2; no wave data (counts from the stored "
                            "symbols, no spread)\n")
                 .arg(x.dataCount)
                 .arg(x.frameStart);
    for (const PatternQuality& q : x.quality) {
        s += QString::asprintf("  P%-2d %4d pairs  mean %5d/%6d us", q.pattern, q.count, q.meanHigh, q.meanWidth);
        if (q.hasSpread)
            s += QString::asprintf("  High %d-%d  Width %d-%d", q.minHigh, q.maxHigh, q.minWidth, q.maxWidth);
        s += QLatin1Char('\n');
        for (const WindowCheck& w : q.exceeded)
            s += QStringLiteral("      ! spread leaves the %1 window %2-%3 us of candidate %4 (%5 us)\n")
                     .arg(QLatin1String(timingWindowName(w.window)))
                     .arg(w.min)
                     .arg(w.max)
                     .arg(x.reference)
                     .arg(w.measured);
    }

    s += QStringLiteral("\nTiming candidates (windows in us, bounds included)\n");
    int t = 0;
    while (t < kCandidateCount) {
        if (!x.candidates[size_t(t)].tried) {
            s += QString::asprintf("  %2d-%d  not tried\n", t, kCandidateCount - 1);
            break;
        }
        s += candidateLine(x, t) + QLatin1Char('\n');
        ++t;
    }
    return s;
}

// --- JSON --------------------------------------------------------------------

namespace {

QJsonObject windowJson(const WindowCheck& c)
{
    QJsonObject o;
    o[QStringLiteral("window")] = QLatin1String(timingWindowKey(c.window));
    o[QStringLiteral("pattern")] = c.pattern;
    o[QStringLiteral("measured")] = c.measured;
    o[QStringLiteral("min")] = c.min;
    o[QStringLiteral("max")] = c.max;
    o[QStringLiteral("inside")] = c.inside();
    o[QStringLiteral("outside_us")] = c.outsideUs();
    const double p = c.outsidePercent();
    o[QStringLiteral("outside_percent")] = p < 0 ? QJsonValue() : QJsonValue(std::round(p * 10) / 10);
    return o;
}

const char* sourceKey(ExplanationSource s)
{
    switch (s) {
    case ExplanationSource::Learned: return "learned";
    case ExplanationSource::Stored: return "stored";
    case ExplanationSource::NoWave: return "no_wave";
    }
    return "";
}

} // namespace

QJsonObject explanationJson(const AnalysisExplanation& x)
{
    QJsonObject o;
    o[QStringLiteral("row")] = x.row;
    o[QStringLiteral("source")] = QLatin1String(sourceKey(x.source));
    o[QStringLiteral("result_cell")] = x.resultCell;
    if (x.source == ExplanationSource::NoWave)
        return o;
    if (x.channel >= 0)
        o[QStringLiteral("channel")] = x.channel + 1;
    o[QStringLiteral("carrier_tenths")] = x.carrierTenths;
    o[QStringLiteral("frames_found")] = x.frameCount >= 0 ? QJsonValue(x.frameCount) : QJsonValue();
    o[QStringLiteral("data_count")] = x.dataCount;
    o[QStringLiteral("frame_start")] = x.frameStart;
    if (x.source == ExplanationSource::Learned)
        o[QStringLiteral("pairs_received")] = x.pairsReceived;

    const AnalysisVerdict& v = x.verdict;
    QJsonObject vo;
    vo[QStringLiteral("decided")] = v.decided;
    if (v.decided) {
        vo[QStringLiteral("candidate")] = v.candidate < kCandidateCount ? QJsonValue(v.candidate) : QJsonValue();
        vo[QStringLiteral("format")] = FormatName(v.format);
        vo[QStringLiteral("rule_format")] = FormatName(v.ruleFormat);
        const CandidateTrace* c = v.candidate < kCandidateCount ? &x.candidates[size_t(v.candidate)] : nullptr;
        QJsonValue rule;
        if (c)
            for (const RuleCheck& r : c->rules)
                if (r.rule == v.rule)
                    rule = ruleText(r);
        vo[QStringLiteral("rule")] = rule;
        vo[QStringLiteral("pulses")] = v.pulses;
        vo[QStringLiteral("group_size")] = v.groupSize;
        vo[QStringLiteral("zero")] = v.zero;
        vo[QStringLiteral("one")] = v.one;
        vo[QStringLiteral("code")] = v.codeText;
        vo[QStringLiteral("result")] = v.resultText;
    }
    o[QStringLiteral("verdict")] = vo;

    QJsonArray patterns;
    for (const PatternQuality& q : x.quality) {
        QJsonObject p;
        p[QStringLiteral("pattern")] = q.pattern;
        p[QStringLiteral("count")] = q.count;
        p[QStringLiteral("mean_high")] = q.meanHigh;
        p[QStringLiteral("mean_width")] = q.meanWidth;
        if (q.hasSpread) {
            p[QStringLiteral("min_high")] = q.minHigh;
            p[QStringLiteral("max_high")] = q.maxHigh;
            p[QStringLiteral("min_width")] = q.minWidth;
            p[QStringLiteral("max_width")] = q.maxWidth;
        }
        QJsonArray ex;
        for (const WindowCheck& w : q.exceeded)
            ex.append(windowJson(w));
        p[QStringLiteral("spread_exceeds")] = ex;
        patterns.append(p);
    }
    o[QStringLiteral("patterns")] = patterns;

    QJsonArray cands;
    for (int t = 0; t < kCandidateCount; ++t) {
        const CandidateTrace& c = x.candidates[size_t(t)];
        QJsonObject co;
        co[QStringLiteral("candidate")] = t;
        co[QStringLiteral("tried")] = c.tried;
        if (c.tried) {
            co[QStringLiteral("has_timings")] = hasTimings(t);
            co[QStringLiteral("timing_passed")] = c.timing.passed();
            QJsonArray ws;
            for (int i = 0; i < c.timing.count; ++i)
                ws.append(windowJson(c.timing.checks[size_t(i)]));
            co[QStringLiteral("windows")] = ws;
            co[QStringLiteral("first_failure")] = c.timing.passed()
                ? QJsonValue()
                : QJsonValue(QLatin1String(timingWindowKey(c.timing.checks[size_t(c.timing.firstFailure)].window)));
            QJsonArray rs;
            for (const RuleCheck& r : c.rules) {
                QJsonObject ro;
                ro[QStringLiteral("rule")] = ruleText(r);
                ro[QStringLiteral("holds")] = r.holds;
                ro[QStringLiteral("stops_candidate")] = isCountGuard(r) && r.holds;
                if (!isCountGuard(r))
                    ro[QStringLiteral("format")] = FormatName(ruleFormat(r));
                rs.append(ro);
            }
            co[QStringLiteral("rules")] = rs;
        }
        cands.append(co);
    }
    o[QStringLiteral("candidates")] = cands;

    if (x.unknown()) {
        QJsonObject cl;
        if (x.closest >= 0) {
            cl[QStringLiteral("candidate")] = x.closest;
            cl[QStringLiteral("timing_passed")] = x.candidates[size_t(x.closest)].timing.passed();
            cl[QStringLiteral("outside_percent_sum")] = std::round(x.closestPercent * 10) / 10;
        }
        o[QStringLiteral("closest")] = x.closest >= 0 ? QJsonValue(cl) : QJsonValue();
    }
    o[QStringLiteral("text")] = explanationText(x);
    return o;
}

} // namespace zovax
