#pragma once
// Why a row decoded as it did. The explanation is recorded from the analyser's
// own reports (AnalysisTrace.h) while it decides: for a row learned in this
// run from the learned channel, for any other row by decoding its stored wave
// information with the stored-entry rules the read-back decoder uses. It
// carries, per timing candidate, the timing test window by window and the
// structural rules tested; the verdict; for "Unknown" the closest candidate;
// and a learn-quality summary (carrier, frames, per-pattern count, mean and
// spread). explanationText() is the text the analysis window shows,
// explanationJson() the same content structured.
#include "core/learning/AnalysisTrace.h"
#include "core/table/TableEntry.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace zovax {

class CodeTable;

enum class ExplanationSource {
    Learned, // recorded while the learned channel was analysed
    Stored,  // the row's stored wave information, decoded with the stored-entry rules
    NoWave,  // the row carries no wave information
};

// What one timing candidate went through.
struct CandidateTrace {
    bool tried = false;
    TimingTest timing;
    std::vector<RuleCheck> rules; // in the order tested (only when the timing passed)
};

// One pattern of the learn-quality summary.
struct PatternQuality {
    int pattern = 0;
    int count = 0;                   // pulse pairs of the received train (stored: data symbols of the frame)
    int meanHigh = 0, meanWidth = 0; // the pattern means the analyser worked on, us
    bool hasSpread = false;          // wave data available
    int minHigh = 0, maxHigh = 0, minWidth = 0, maxWidth = 0;
    // Windows of the reference candidate that the spread leaves; `measured` is
    // the extreme lying outside.
    std::vector<WindowCheck> exceeded;
};

struct AnalysisExplanation {
    ExplanationSource source = ExplanationSource::NoWave;
    int row = 0;
    int channel = -1;   // learned: the wave channel
    QString resultCell; // the row's Result cell when the explanation was asked for
    int carrierTenths = 0;
    int frameCount = -1;   // learned: frames found by the learn; -1 unknown
    int dataCount = 0;     // pulse pairs of the frame
    int frameStart = 0;    // where the repeating part begins (stored: the entry's repeat)
    int pairsReceived = 0; // learned: pulse pairs received
    int patternCount = 0;  // patterns in use
    std::array<PulsePair, 16> patterns{};
    std::vector<PatternQuality> quality;
    std::array<CandidateTrace, 32> candidates{};
    AnalysisVerdict verdict;
    // "Unknown" only: the candidate that came closest (-1 none): the first whose
    // timing passed, else the one whose failing windows lie least far outside
    // (smallest sum of per cent outside); candidates without timings never.
    int closest = -1;
    double closestPercent = 0; // that sum
    // The candidate whose windows the quality flags use: the deciding one, else
    // the closest one.
    int reference = -1;

    bool unknown() const { return verdict.decided && verdict.candidate >= 32; }
};

// Records an analysis as the analyser reports it.
class ExplanationRecorder : public AnalysisObserver {
public:
    void analysisStarted() override;
    void timingTested(int t, const TimingTest& test) override;
    void ruleTested(int t, const RuleCheck& check) override;
    void decided(const AnalysisVerdict& verdict) override;

    AnalysisExplanation explanation;
    bool hasVerdict = false;
};

// Whether an entry carries wave information (a data count or a pattern pair).
bool hasWaveInformation(const TableEntry& e);

// The explanation of a stored entry (source Stored, or NoWave). Row and Result
// cell are left to the caller.
AnalysisExplanation explainStoredEntry(const TableEntry& e);

// The explanations of the learned channels, recorded while ClassifyLearn runs:
// attach with Analyser::setObserver(). `store` must outlive it.
class LearnedExplanations : public AnalysisObserver {
public:
    explicit LearnedExplanations(const WaveStore& store);

    void analysisStarted() override;
    void timingTested(int t, const TimingTest& test) override;
    void ruleTested(int t, const RuleCheck& check) override;
    void decided(const AnalysisVerdict& verdict) override;

    // The explanation recorded for `row` when that row still holds the wave
    // information it was learned with (`current` is its entry now); the most
    // recent learn when several channels went to the row. nullptr otherwise.
    const AnalysisExplanation* forRow(int row, const TableEntry& current) const;

private:
    struct Slot {
        bool valid = false;
        unsigned sequence = 0;
        AnalysisExplanation explanation;
        TableEntry entry; // the entry as the learn fills it
    };
    const WaveStore& store_;
    ExplanationRecorder recorder_;
    std::array<Slot, kWaveChannels> slots_{};
    unsigned sequence_ = 0;
};

// The explanation of a code-table row: the learned one when the row still
// holds its learn (`learned` may be nullptr), else from its stored wave
// information. Fills row and Result cell.
AnalysisExplanation explainRow(const CodeTable& table, int row, const LearnedExplanations* learned);

// The text shown by the analysis window (lines separated by "\n").
QString explanationText(const AnalysisExplanation& x);
// The same content, structured.
QJsonObject explanationJson(const AnalysisExplanation& x);

// Text of one structural rule ("pair 35 is P5") with what was found.
QString ruleText(const RuleCheck& r);

} // namespace zovax
