#pragma once
// The signal analyser: decides which catalogued IR format a learned channel
// belongs to by trying the 32 timing candidates in order (timing windows on the
// pattern table, then the structural rules on the pattern sequence), extracts
// the code and writes the result text "Tm:%-10s d:%s".
#include "core/learning/AnalysisTrace.h"
#include "core/learning/WaveStore.h"

#include <QString>

#include <array>

namespace zovax {

class CodeTable;
class LearnView;
class ReceiveLog;

// Zero and one symbols chosen from a pattern table.
struct ZeroOne {
    int zero = 0;
    int one = 0;
};
// Examines patterns 0.. while the index is below `count` and the Width is not 0;
// a pattern qualifies when its Width is at least 1.2 times its High. z is the
// qualifying pattern with the shortest Width, o the next longer one (the
// longest when none lies strictly between); both start at pattern 0.
ZeroOne chooseZeroOne(const PulsePair* patterns, int count);

// The result text written into the Result cell.
QString resultText(int format, const QString& codeText);

struct ExtractedCode {
    QString text;   // code text, trimmed
    int format = 0; // final format number (refined by custom code for candidate 3)
};

class Analyser {
public:
    Analyser(WaveStore& store, CodeTable& table, LearnView& view, ReceiveLog& log);

    // Analyses the current channel and writes the Result cell of its channelRow
    // (or, with PCode, the raw pattern listing into that row).
    void ClassifyLearn();

    void SetCandidateWindows(int t);
    // Whether the current channel's pattern table fits the windows of candidate t
    // (SetCandidateWindows(t) must have run).
    bool MatchCandidateTiming(int t) const;
    // Candidate t's learn rules; when they give a format (or t is 32) extracts
    // the code, shows the result and returns true.
    bool AnalyseCandidate(int t);
    // "Code(%3dbits): " and one hex digit per entry 0..count-1 of the current
    // channel's pattern sequence, into the Result cell of `row`.
    void ShowPatternCode(int row, int count);
    ExtractedCode ExtractCode(int t, int f, int K, int G, int z, int o);
    // Result cell of the channel's channelRow, and the channel's label.
    void ShowResult(int channel, const QString& text);

    const CandidateWindows& windows() const { return windows_; }

    // Receives every timing test, rule test and verdict of ClassifyLearn;
    // nullptr = none. Not owned.
    void setObserver(AnalysisObserver* observer) { observer_ = observer; }
    AnalysisObserver* observer() const { return observer_; }

private:
    WaveStore& store_;
    CodeTable& table_;
    LearnView& view_;
    ReceiveLog& log_;
    CandidateWindows windows_;
    AnalysisObserver* observer_ = nullptr;
};

} // namespace zovax
