#pragma once
// Frame detection: finding the repeating part of a learned pulse train in its
// pattern sequence p[0..N] (N = the channel's lastIndex) and deciding whether
// the learn is complete.
//
// The search: from start = 0 upwards, with a trial frame length L that starts
// at 1, walk pos from start while pos + 2L < N; when p[pos..pos+L-1] equals
// p[pos+L..pos+2L-1] advance pos by L and count a repeat, otherwise grow L and
// forget the repeats. The first start that ends with repeats wins. Only
// p[0..N-2] is ever read.
//
// searchFramesLiteral() recomputes this from scratch (quadratic per call).
// FrameSearch gives the same answer incrementally: the state (pos, L, repeats)
// of each start depends only on pairs that never change while a train grows,
// and running the walk with a larger bound simply continues it. So every start
// keeps its state and is advanced when the bound passes pos + 2L; each new
// pair costs at most one step per start. After a mismatch a start moves on
// directly to the next trial length whose first pair can match (p[pos + L] ==
// p[pos]): the lengths in between would each fail on their first pair, with no
// repeats, so the state at the next real comparison is the literal one.
//
// Only the starts up to the first one with repeats decide the outcome, so only
// a prefix of the starts is kept in step ("active"); a later start is brought
// up to the bound when every active one has lost its repeats. Without this a
// train of alike pairs (every start matching at L = 1) costs one step per start
// per pair, quadratic in the train's length.
#include "core/learning/WaveStore.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zovax {

struct FrameSearchOutcome {
    int start = 0;  // first start with repeats, or N when none has any
    int length = 1; // frame length L at that start (1 when none)
    int reps = 0;   // repeats counted at that start (0 when none)
    bool operator==(const FrameSearchOutcome& o) const
    {
        return start == o.start && length == o.length && reps == o.reps;
    }
};

// The search done from scratch on p[0..N].
FrameSearchOutcome searchFramesLiteral(const int32_t* p, int N);

// The same search, resumed pair by pair. push() appends p[size()] and brings
// every start up to the bound N = size() - 1; outcome() is then the answer for
// that N.
class FrameSearch {
public:
    void reset();
    void push(int32_t value);
    int size() const { return int(seq_.size()); }
    // Whether the pairs pushed so far are p[0..size()-1].
    bool isPrefixOf(const int32_t* p, int n) const { return size() <= n && std::equal(seq_.begin(), seq_.end(), p); }
    FrameSearchOutcome outcome() const;
    // Comparisons made since the last reset (the search's cost).
    int64_t steps() const { return steps_; }

private:
    void link(int start, int threshold);
    void step(int start);
    void activateUntilRepeats(int bound);

    std::vector<int32_t> seq_;
    std::vector<uint8_t> keys_; // low byte of each value: a fast filter for the next possible match
    // Per start: walk position, trial length, repeats, next start in the same bucket.
    std::vector<int32_t> pos_, len_, reps_, next_;
    // Starts waiting to be advanced, bucketed by pos + 2L (the bound that must be
    // exceeded before the next comparison): head_[threshold] -> start -> next_ ...
    std::vector<int32_t> head_;
    std::vector<uint64_t> repsBits_; // bit s set while active start s has repeats
    int active_ = 0;                 // starts 0..active_-1 are kept in step
    int activeWithReps_ = 0;         // active starts whose bit is set
    int64_t steps_ = 0;
};

// The decision after a search, for the channel's current lastIndex N.
struct FrameDecision {
    bool complete = false; // false: wait for more wave lines
    LearnState state;      // the learn state to store when complete
    bool operator==(const FrameDecision& o) const
    {
        return complete == o.complete
            && (!complete
                || (state.frameStart == o.state.frameStart && state.dataCount == o.state.dataCount
                    && state.frameCount == o.state.frameCount));
    }
};

// Trains whose repeating unit is a single pair with a mean Width below this are
// not repeats but one frame of alike pairs, us.
constexpr int kSinglePairRepeatMinWidthUs = 20000;
constexpr int kMinRepeatsForFrame = 4;

FrameDecision decideFrames(const FrameSearchOutcome& o, const WaveChannel& ch, int64_t learnTimeUs);

// Keeps a FrameSearch in step with one channel's train. When the train did not
// grow by exactly the next pair, the search goes on from the pairs it has as
// long as they are still the train's first ones, and starts afresh otherwise.
class FrameDetector {
public:
    enum class Engine { Fast, Literal };
    void setEngine(Engine e)
    {
        engine_ = e;
        valid_ = false;
    }
    Engine engine() const { return engine_; }

    // A pair was stored at `index` of `channel` (ch.lastIndex == index).
    void noteStored(const WaveChannel& ch, int channel, int index);
    // The search on ch for N = ch.lastIndex.
    FrameSearchOutcome search(const WaveChannel& ch, int channel);

private:
    Engine engine_ = Engine::Fast;
    FrameSearch fast_;
    int channel_ = -1;
    uint32_t revision_ = 0;
    bool valid_ = false;
};

} // namespace zovax
