#include "core/learning/AnalysisTrace.h"

#include "core/learning/Catalogue.h"

#include <cstdlib>

namespace zovax {

CandidateWindows candidateWindowsOf(int t)
{
    CandidateWindows w;
    if (t < 0 || t >= kCandidateCount)
        return w;
    const CandidateTiming& c = kCandidateTimings[t];
    const int lo = c.symbolHighLoTenths;
    const int hi = c.symbolHighHiTenths;
    w.leaderHighMin = c.leaderHigh * 9 / 10;
    w.leaderHighMax = c.leaderHigh * 12 / 10;
    w.leaderWidthMin = c.leaderWidth * 9 / 10;
    w.leaderWidthMax = c.leaderWidth * 12 / 10;
    w.zeroHighMin = c.zeroHigh * lo / 10;
    w.zeroHighMax = c.zeroHigh * hi / 10;
    w.zeroWidthMin = c.zeroWidth * 8 / 10;
    w.zeroWidthMax = c.zeroWidth * 12 / 10;
    w.oneHighMin = c.oneHigh * lo / 10;
    w.oneHighMax = c.oneHigh * hi / 10;
    w.oneWidthMin = c.oneWidth * 8 / 10;
    w.oneWidthMax = c.oneWidth * 12 / 10;
    return w;
}

const char* timingWindowName(TimingWindow w)
{
    switch (w) {
    case TimingWindow::LeaderHigh: return "leader High";
    case TimingWindow::LeaderWidth: return "leader Width";
    case TimingWindow::ZeroHigh: return "zero-symbol High";
    case TimingWindow::ZeroWidth: return "zero-symbol Width";
    case TimingWindow::OneHigh: return "one-symbol High";
    case TimingWindow::OneWidth: return "one-symbol Width";
    }
    return "";
}

const char* timingWindowKey(TimingWindow w)
{
    switch (w) {
    case TimingWindow::LeaderHigh: return "leader_high";
    case TimingWindow::LeaderWidth: return "leader_width";
    case TimingWindow::ZeroHigh: return "zero_high";
    case TimingWindow::ZeroWidth: return "zero_width";
    case TimingWindow::OneHigh: return "one_high";
    case TimingWindow::OneWidth: return "one_width";
    }
    return "";
}

int WindowCheck::outsideUs() const
{
    if (measured < min)
        return measured - min;
    if (measured > max)
        return measured - max;
    return 0;
}

double WindowCheck::outsidePercent() const
{
    const int d = outsideUs();
    if (d == 0)
        return 0;
    const int bound = d < 0 ? min : max;
    if (bound == 0)
        return -1;
    return std::abs(double(d)) * 100.0 / double(bound);
}

TimingTest testCandidateTiming(int t, const CandidateWindows& w, const PulsePair* pat)
{
    TimingTest test;
    auto add = [&](TimingWindow which, int pattern, int measured, int lo, int hi) {
        WindowCheck& c = test.checks[size_t(test.count)];
        c = {which, pattern, measured, lo, hi};
        if (test.firstFailure < 0 && !c.inside())
            test.firstFailure = test.count;
        ++test.count;
    };
    int k = 0;
    if (w.leaderHighMin > 0) {
        add(TimingWindow::LeaderHigh, 0, pat[0].high, w.leaderHighMin, w.leaderHighMax);
        add(TimingWindow::LeaderWidth, 0, pat[0].width, w.leaderWidthMin, w.leaderWidthMax);
        k = 1;
    }
    // Which of the two data patterns is the zero symbol: the shorter Width when
    // both symbols share their mark, else the shorter High (ties: the later one).
    const bool sameMark = w.zeroHighMin == w.oneHighMin;
    const bool flag = sameMark ? pat[k].width >= pat[k + 1].width : pat[k].high >= pat[k + 1].high;
    int zeroP = flag ? k + 1 : k;
    const int oneP = flag ? k : k + 1;
    if (t == 29)
        zeroP = 1;
    add(TimingWindow::ZeroHigh, zeroP, pat[zeroP].high, w.zeroHighMin, w.zeroHighMax);
    add(TimingWindow::ZeroWidth, zeroP, pat[zeroP].width, w.zeroWidthMin, w.zeroWidthMax);
    if (t == 29)
        return test; // the one symbol is not tested
    add(TimingWindow::OneHigh, oneP, pat[oneP].high, w.oneHighMin, w.oneHighMax);
    add(TimingWindow::OneWidth, oneP, pat[oneP].width, w.oneWidthMin, w.oneWidthMax);
    return test;
}

} // namespace zovax
