#include "core/learning/Analyser.h"

#include "core/learning/Catalogue.h"
#include "core/learning/CodeWalk.h"
#include "core/learning/LearnView.h"
#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"

#include <algorithm>

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
{
}

void Analyser::ClassifyLearn()
{
    if (!store_.hasCurrentChannel())
        return;
    if (view_.pcode()) {
        ShowPatternCode(store_.current().channelRow, store_.learn.dataCount);
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
    if (t < 0 || t >= kCandidateCount) {
        windows_ = {};
        return;
    }
    const CandidateTiming& c = kCandidateTimings[t];
    const int lo = c.symbolHighLoTenths;
    const int hi = c.symbolHighHiTenths;
    windows_.leaderHighMin = c.leaderHigh * 9 / 10;
    windows_.leaderHighMax = c.leaderHigh * 12 / 10;
    windows_.leaderWidthMin = c.leaderWidth * 9 / 10;
    windows_.leaderWidthMax = c.leaderWidth * 12 / 10;
    windows_.zeroHighMin = c.zeroHigh * lo / 10;
    windows_.zeroHighMax = c.zeroHigh * hi / 10;
    windows_.zeroWidthMin = c.zeroWidth * 8 / 10;
    windows_.zeroWidthMax = c.zeroWidth * 12 / 10;
    windows_.oneHighMin = c.oneHigh * lo / 10;
    windows_.oneHighMax = c.oneHigh * hi / 10;
    windows_.oneWidthMin = c.oneWidth * 8 / 10;
    windows_.oneWidthMax = c.oneWidth * 12 / 10;
}

bool Analyser::MatchCandidateTiming(int t) const
{
    if (!store_.hasCurrentChannel())
        return false;
    const auto& pat = store_.current().patterns;
    const CandidateWindows& w = windows_;
    auto inside = [](int v, int lo, int hi) { return lo <= v && v <= hi; };
    int k = 0;
    if (w.leaderHighMin > 0) {
        if (!inside(pat[0].high, w.leaderHighMin, w.leaderHighMax)
            || !inside(pat[0].width, w.leaderWidthMin, w.leaderWidthMax))
            return false;
        k = 1;
    }
    const bool sameMark = w.zeroHighMin == w.oneHighMin;
    const bool flag = sameMark ? pat[size_t(k)].width >= pat[size_t(k + 1)].width
                               : pat[size_t(k)].high >= pat[size_t(k + 1)].high;
    int zeroP = flag ? k + 1 : k;
    const int oneP = flag ? k : k + 1;
    if (t == 29)
        zeroP = 1;
    const PulsePair& z = pat[size_t(zeroP)];
    if (!inside(z.high, w.zeroHighMin, w.zeroHighMax) || !inside(z.width, w.zeroWidthMin, w.zeroWidthMax))
        return false;
    if (t == 29)
        return true;
    const PulsePair& o = pat[size_t(oneP)];
    return inside(o.high, w.oneHighMin, w.oneHighMax) && inside(o.width, w.oneWidthMin, w.oneWidthMax);
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
    if (t >= 0 && t < kCandidateCount) {
        for (const LearnRule& r : kLearnRules) {
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
            case LearnCond::DataCountBelow: break;
            }
            if (r.cond == LearnCond::DataCountBelow) {
                if (dataCount < r.x)
                    break; // no format from this candidate
                continue;
            }
            if (!holds)
                continue;
            f = r.format;
            K = r.pulses == kCountFromData ? dataCount : r.pulses;
            G = r.groupSize;
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
    ShowResult(store_.currentChannel, resultText(code.format, code.text));
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
    const QString label = QString::asprintf("No.%d: %2d.%dkHz", row, c / 10, c % 10) + QLatin1Char(' ')
        + table_.cell(kColResult, row);
    view_.drawLabel(channel, label);
}

} // namespace zovax
