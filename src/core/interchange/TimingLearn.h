#pragma once
// Signals given as durations (from a file, a pasted code, a typed list) turned
// into table rows exactly as learning the same signal through the board would:
// the durations become the board's wave lines for a press held longer than
// the learning time, and those lines run through the tool's own learning
// pipeline (learned-wave store, frame detection, analyser, code extraction).
//
// Units: microseconds; carrier in Hz.
#include "core/irsig/Signals.h"
#include "core/shell/Settings.h" // LearnParams: pattern tolerances and learning time
#include "core/table/TableEntry.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

namespace zovax {

// One signal as durations: mark, space, mark, space, ... (mark first, even
// count). `once` is sent first, then `repeat` again and again for as long as
// the button is held; an empty `repeat` means the signal is sent once only
// and the last space of `once` is followed by silence.
struct IrTiming {
    int carrierHz = 38000; // 0 = unmodulated
    std::vector<int> once;
    std::vector<int> repeat;
};

// Limits of what a row and the board's wave lines can hold.
constexpr int kMaxMarkUs = 99999;    // the High field of a wave line
constexpr int kMaxWidthUs = 9999999; // the Width field (mark + space) of the long layout
constexpr int kMinCarrierHz = 10000; // below: not a carrier (0 = unmodulated is allowed)
constexpr int kMaxCarrierHz = 500000;

// What is wrong with a timing ("" when it is fine): odd counts, durations of 0
// or above the limits, more pairs than a row holds, a carrier out of range.
// The text names the part and the position of the duration (1-based).
QString checkTiming(const IrTiming& t);

// The pairs the board reports for the signal held down: `once`, then copies
// of `repeat` until the press has lasted twice the learning time and at least
// six copies were sent (never more than the 4096 pairs a report holds); the
// last pair's space becomes the closing silence after the release (the
// learning time + 50 ms, at least 150 ms).
std::vector<irsig::Pair> heldPress(const IrTiming& t, int learnTimeMs);

// The board's report of that press: the wave lines and the "Ave.Carrier" line.
QStringList boardReport(const IrTiming& t, int learnTimeMs);

// The carrier as the board reports it, 0.1 kHz (38000 Hz -> 380).
int carrierTenthsOf(int carrierHz);

// A row as learning fills it.
struct LearnedRow {
    bool ok = false;
    QString error;                // why there is no row (checkTiming's text)
    std::array<QString, 4> cells; // Carry, Frames, Comments (empty), Result
    TableEntry entry;
};

// A learning pipeline of its own (store, analyser, learner and a one-row
// scratch table), reused from signal to signal: create one for many signals.
class TimingLearner {
public:
    explicit TimingLearner(const LearnParams& params = {});
    ~TimingLearner();
    TimingLearner(const TimingLearner&) = delete;
    TimingLearner& operator=(const TimingLearner&) = delete;

    LearnedRow learn(const IrTiming& t);

private:
    struct Pipeline;
    std::unique_ptr<Pipeline> p_;
};

// One signal through a fresh pipeline.
LearnedRow learnTiming(const IrTiming& t, const LearnParams& params = {});

} // namespace zovax
