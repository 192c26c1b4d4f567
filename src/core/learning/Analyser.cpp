#include "core/learning/Analyser.h"

#include "core/learning/Catalogue.h"
#include "core/learning/CodeWalk.h"
#include "core/learning/LearnView.h"
#include "core/shell/Ports.h"
#include "core/shell/TextNumbers.h"
#include "core/table/CodeTable.h"

#include <algorithm>
#include <iterator>

namespace zovax {

ZeroOne chooseZeroOne(const PulsePair* pat, int count)
{
    int n = 0;
    while (n < count && n < kMaxPatterns && pat[n].width != 0)
        ++n;
    auto qualifies = [&](int i) { return int64_t(pat[i].width) >= int64_t(pat[i].high) * 12 / 10; };
    ZeroOne zo;
    for (int i = 0; i < n; ++i) {
        if (!qualifies(i))
            continue;
        if (pat[i].width < pat[zo.zero].width)
            zo.zero = i;
        if (pat[i].width > pat[zo.one].width)
            zo.one = i;
    }
    for (int j = 0; j < n; ++j) {
        if (qualifies(j) && pat[zo.zero].width < pat[j].width && pat[j].width < pat[zo.one].width)
            zo.one = j;
    }
    return zo;
}

QString resultText(int format, const QString& codeText)
{
    return QString::asprintf("Tm:%-10s d:", formatNameLatin1(format)) + codeText;
}

Analyser::Analyser(WaveStore& store, CodeTable& table, LearnView& view, ReceiveLog& log)
    : store_(store), table_(table), view_(view), log_(log)
{}

void Analyser::ClassifyLearn()
{
    if (!store_.hasCurrentChannel())
        return;
    if (observer_)
        observer_->analysisStarted();
    if (view_.pcode()) {
        ShowPatternCode(store_.current().channelRow, store_.learn.dataCount);
        if (observer_) {
            AnalysisVerdict v;
            v.decided = false;
            v.pulses = store_.learn.dataCount;
            observer_->decided(v);
        }
        return;
    }
    for (int t = 0; t < kCandidateCount; ++t) {
        SetCandidateWindows(t);
        if (MatchCandidateTiming(t) && AnalyseCandidate(t))
            return;
    }
    AnalyseCandidate(kCandidateCount);
}

void Analyser::SetCandidateWindows(int t)
{
    windows_ = candidateWindowsOf(t);
}

bool Analyser::MatchCandidateTiming(int t) const
{
    if (!store_.hasCurrentChannel())
        return false;
    const TimingTest test = testCandidateTiming(t, windows_, store_.current().patterns.data());
    if (observer_)
        observer_->timingTested(t, test);
    return test.passed();
}

bool Analyser::AnalyseCandidate(int t)
{
    if (!store_.hasCurrentChannel())
        return false;
    WaveChannel& ch = store_.current();
    const auto p = [&](int i) { return i >= 0 && i < kPulseSlots ? ch.patternIndex[size_t(i)] : 0; };
    const int dataCount = store_.learn.dataCount;

    int f = kFormatUnknown;
    int K = dataCount;
    int G = 8;
    int decidingRule = -1;
    if (t >= 0 && t < kCandidateCount) {
        for (int ri = 0; ri < int(std::size(kLearnRules)); ++ri) {
            const LearnRule& r = kLearnRules[ri];
            if (r.candidate != t)
                continue;
            bool holds = false;
            switch (r.cond) {
            case LearnCond::Always: holds = true; break;
            case LearnCond::PosEq: holds = p(r.a) == r.x; break;
            case LearnCond::PosEqAndPosEq: holds = p(r.a) == r.x && p(r.b) == r.y; break;
            case LearnCond::PosAboveAndPosEq: holds = p(r.a) > r.x && p(r.b) == r.y; break;
            case LearnCond::PosEqOrLastIndex:
                holds = p(r.a) == r.x || ch.lastIndex == r.b || ch.lastIndex == r.y;
                break;
            case LearnCond::DataCountBelow: holds = dataCount < r.x; break;
            }
            if (observer_) {
                RuleCheck rc;
                rc.rule = ri;
                rc.holds = holds;
                rc.foundA = p(r.a);
                rc.foundB = p(r.b);
                rc.lastIndex = ch.lastIndex;
                rc.dataCount = dataCount;
                observer_->ruleTested(t, rc);
            }
            if (r.cond == LearnCond::DataCountBelow) {
                if (holds)
                    break; // no format from this candidate
                continue;
            }
            if (!holds)
                continue;
            f = r.format;
            K = r.pulses == kCountFromData ? dataCount : r.pulses;
            G = r.groupSize;
            decidingRule = ri;
            if (r.setFrameStart >= 0) {
                store_.learn.frameStart = r.setFrameStart;
                store_.learn.dataCount = r.setDataCount;
            }
            break;
        }
        if (t == kSonyCandidate)
            G = kSonyGroupSize;
    }
    if (f == kFormatUnknown && t < kCandidateCount)
        return false;

    const ZeroOne zo = chooseZeroOne(ch.patterns.data(), std::min(ch.patternCount, kMaxPatterns));
    const ExtractedCode code = ExtractCode(t, f, K, G, zo.zero, zo.one);
    const QString text = resultText(code.format, code.text);
    ShowResult(store_.currentChannel, text);
    if (observer_) {
        AnalysisVerdict v;
        v.candidate = t;
        v.rule = decidingRule;
        v.ruleFormat = f;
        v.format = code.format;
        v.pulses = K;
        v.groupSize = G;
        v.zero = zo.zero;
        v.one = zo.one;
        v.codeText = code.text;
        v.resultText = text;
        observer_->decided(v);
    }
    return true;
}

void Analyser::ShowPatternCode(int row, int count)
{
    if (!store_.hasCurrentChannel() || !CodeTable::validRow(row))
        return;
    const WaveChannel& ch = store_.current();
    QString text = QString::asprintf("Code(%3dbits): ", count);
    const int n = std::clamp(count, 0, kPulseSlots);
    for (int i = 0; i < n; ++i)
        text += QString::number(ch.patternIndex[size_t(i)] & 0xFF, 16).toUpper();
    table_.setCell(kColResult, row, text);
}

ExtractedCode Analyser::ExtractCode(int t, int f, int K, int G, int z, int o)
{
    ExtractedCode out{QString(), f};
    if (!store_.hasCurrentChannel())
        return out;
    const int channel = store_.currentChannel;
    const WaveChannel& ch = store_.current();
    CodeWalkParams w;
    w.candidate = t;
    w.format = f;
    w.pulses = K;
    w.groupSize = G;
    w.zero = z;
    w.one = o;
    w.fullCode = view_.fullCode();
    w.limit = w.fullCode ? ch.lastIndex + (t == kSonyCandidate ? 1 : 0) : K;
    w.zeroHighMax = windows_.zeroHighMax;
    std::array<int32_t, 16> highs{};
    for (int i = 0; i < kMaxPatterns; ++i)
        highs[size_t(i)] = ch.patterns[size_t(i)].high;
    CodeWalkSinks sinks;
    sinks.bit = [&](int index, bool one) {
        view_.setLogicCell(channel, index, one ? QStringLiteral("1 ") : QStringLiteral("0 "));
    };
    sinks.wordLine = [&](const QString& line) { log_.append(line); };
    out.text = walkCode(w, ch.patternIndex.data(), kPulseSlots, highs, sinks);
    if (t == kNecCandidate)
        out.format = refineByCodeText(out.text, f);
    return out;
}

void Analyser::ShowResult(int channel, const QString& text)
{
    if (channel < 0 || channel >= kWaveChannels)
        return;
    const int row = store_.channels[size_t(channel)].channelRow;
    if (!CodeTable::validRow(row))
        return;
    table_.setCell(kColResult, row, text);
    const int c = store_.carrierTenths;
    const QString label
        = QStringLiteral("No.%1: ").arg(row) + carrierText(c, 2) + QLatin1Char(' ') + table_.cell(kColResult, row);
    view_.drawLabel(channel, label);
}

} // namespace zovax
