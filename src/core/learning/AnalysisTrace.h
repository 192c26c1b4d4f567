#pragma once
// What the analyser reports while it decides: the timing test of each
// candidate window by window, each structural rule it tests, and the verdict.
// The analyser and the read-back decoder report to an AnalysisObserver when
// one is attached; the explanation of a row (Explanation.h) is built from
// these reports, so it always says what the deciding code did.
#include "core/learning/WaveStore.h"

#include <QString>

#include <array>
#include <cstdint>

namespace zovax {

// Acceptance windows of the candidate being tried (bounds inclusive), us.
struct CandidateWindows {
    int leaderHighMin = 0, leaderHighMax = 0, leaderWidthMin = 0, leaderWidthMax = 0;
    int zeroHighMin = 0, zeroHighMax = 0, zeroWidthMin = 0, zeroWidthMax = 0;
    int oneHighMin = 0, oneHighMax = 0, oneWidthMin = 0, oneWidthMax = 0;
};

// The windows of candidate t (0..31) built from its nominal times; all 0 for
// t outside 0..31.
CandidateWindows candidateWindowsOf(int t);

enum class TimingWindow : uint8_t { LeaderHigh, LeaderWidth, ZeroHigh, ZeroWidth, OneHigh, OneWidth };
// "leader High", "zero-symbol Width", ...
const char* timingWindowName(TimingWindow w);
// "leader_high", "zero_width", ... (structured output)
const char* timingWindowKey(TimingWindow w);

// One window of a timing test: the mean of `pattern` against [min, max].
struct WindowCheck {
    TimingWindow window = TimingWindow::LeaderHigh;
    int pattern = 0;
    int measured = 0; // us
    int min = 0, max = 0;

    bool inside() const { return min <= measured && measured <= max; }
    // Distance to the bound crossed, us: negative below min, positive above
    // max, 0 inside.
    int outsideUs() const;
    // |outsideUs| in per cent of the bound crossed; 0 inside, -1 when that
    // bound is 0 (a candidate without timings).
    double outsidePercent() const;
};

// The timing test of one candidate: every window in the order tested (leader
// High and Width when the candidate has a leader, then zero-symbol High and
// Width, then one-symbol High and Width except for candidate 29). The test
// passes when all lie inside; the first outside one is where it failed.
struct TimingTest {
    std::array<WindowCheck, 6> checks{};
    int count = 0;
    int firstFailure = -1; // index into checks, -1 when passed
    bool passed() const { return firstFailure < 0; }
};
// `patterns` holds at least three pattern means (0..2 are read).
TimingTest testCandidateTiming(int t, const CandidateWindows& w, const PulsePair* patterns);

// One structural rule tested, with the values it looked at.
struct RuleCheck {
    bool stored = false; // a stored-entry rule (kStoredRules), else a learn rule (kLearnRules)
    int rule = 0;        // index into that table
    bool holds = false;
    // Learn rules: pattern numbers found at pairs a and b, the channel's last
    // pair index and the learn's data count. Stored rules: the entry's data
    // count and repeat.
    int foundA = 0, foundB = 0;
    int lastIndex = 0;
    int dataCount = 0;
    int repeat = 0;
};

// How the analysis of one signal or entry ended.
struct AnalysisVerdict {
    bool decided = true;   // false: the PCode listing replaced the analysis
    int candidate = 32;    // the candidate that ended the search; 32 = fallback
    int rule = -1;         // index of the rule that gave the format, -1 for the fallback
    int ruleFormat = 61;   // format the rules gave (before the custom-code refinement)
    int format = 61;       // final format number
    int pulses = 0;        // frame pulse count K
    int groupSize = 8;     // first group size G
    int zero = 0, one = 0; // zero and one symbols (pattern numbers)
    QString codeText;
    QString resultText; // exactly the Result text written
};

class AnalysisObserver {
public:
    virtual ~AnalysisObserver() = default;
    // A new analysis begins (one learned channel or one stored entry).
    virtual void analysisStarted() {}
    virtual void timingTested(int t, const TimingTest& test) = 0;
    virtual void ruleTested(int t, const RuleCheck& check) = 0;
    virtual void decided(const AnalysisVerdict& verdict) = 0;
};

} // namespace zovax
