#pragma once
// The learned-wave store: four wave channels of received pulse pairs with their
// patterns, and the state of the learn in progress. One store per program,
// owned by LearningCore and touched only on the user-interface thread.
// Times are microseconds.
#include "core/shell/Settings.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zovax {

constexpr int kWaveChannels = 4;     // channels 0..3; 4 means "none"
constexpr int kMaxPulseIndex = 4095; // highest index a wave line may carry
constexpr int kPulseSlots = 4097;    // pulses 0..4096 (index + 1 is written too)
constexpr int kMaxPatterns = 16;     // patterns with a stored mean; a 17th fails the learn

struct PulsePair {
    int32_t high = 0;  // mark time
    int32_t width = 0; // mark + following space (last pair: the closing silence)
};

// Acceptance window of one pattern; all 0 while unused. Bounds are exclusive.
struct PatternWindow {
    int64_t hMin = 0, hMax = 0, wMin = 0, wMax = 0;
};

struct WaveChannel {
    std::array<PulsePair, kPulseSlots> pulses{};
    int lastIndex = 0; // index of the most recently stored pair (0 when empty)
    // Mean High and Width of each pattern, multiples of 10; {0, 0} = unused.
    std::array<PulsePair, kMaxPatterns> patterns{};
    int patternCount = 0; // patterns created in the current learn; above 16 = failed
    // Pattern number of each stored pair (0..16): the data symbols of the entry.
    // Not cleared when a new train starts; zero at program start.
    std::array<int32_t, kPulseSlots> patternIndex{};
    int channelRow = 0; // code-table row that received this channel's last result (0 = none)
    // Bumped whenever patternIndex is written other than by appending the next
    // pair of a train, so that cached frame searches know to start afresh.
    uint32_t sequenceRevision = 0;

    // Mean Width of pattern p, or 0 for a pattern without a stored mean.
    int meanWidth(int p) const { return p >= 0 && p < kMaxPatterns ? patterns[std::size_t(p)].width : 0; }
    int meanHigh(int p) const { return p >= 0 && p < kMaxPatterns ? patterns[std::size_t(p)].high : 0; }
};

// Outcome of a learn: where the repeating part begins, the end (exclusive) of the
// first frame, and how many repeats were seen. dataCount != 0 marks the learn
// as complete; later wave lines are then ignored.
struct LearnState {
    int frameStart = 0;
    int dataCount = 0;
    int frameCount = 0;
};

struct WaveStore {
    std::array<WaveChannel, kWaveChannels> channels{};
    int currentChannel = kWaveChannels; // channel receiving the current learn; 4 = none

    // Shared by all channels for the learn in progress.
    std::array<PatternWindow, kMaxPatterns> patternWindow{};
    int64_t totalWidth = 0;                          // sum of Widths since the current train began
    int64_t learnTimeUs = LearnParams{}.learnTimeUs; // learning time
    int hRangePercent = LearnParams{}.hRangePercent; // High tolerance of a new pattern's window
    int wRangePercent = LearnParams{}.wRangePercent; // Width tolerance
    LearnState learn;
    int carrierTenths = 0; // carrier of the last learn, 0.1 kHz (380 = 38.0 kHz)

    bool hasCurrentChannel() const { return currentChannel >= 0 && currentChannel < kWaveChannels; }
    WaveChannel& current() { return channels[std::size_t(currentChannel)]; }
    const WaveChannel& current() const { return channels[std::size_t(currentChannel)]; }
};

} // namespace zovax
