// Frame detection: the resumable search against the literal one, and the
// completion decision.
#include "core/learning/FrameDetector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace zovax {
namespace {

// Feeds seq pair by pair and checks the resumable search against the literal
// one at every prefix from `firstChecked` on (or only at the end).
int compareAtPrefixes(const std::vector<int32_t>& seq, bool everyPrefix)
{
    FrameSearch fast;
    int mismatches = 0;
    for (size_t i = 0; i < seq.size(); ++i) {
        fast.push(seq[i]);
        if (!everyPrefix && i + 1 != seq.size())
            continue;
        const int N = int(i);
        const FrameSearchOutcome lit = searchFramesLiteral(seq.data(), N);
        const FrameSearchOutcome got = fast.outcome();
        // When no start has repeats only the repeat count matters.
        const bool same
            = lit.reps == got.reps && (lit.reps == 0 || (lit.start == got.start && lit.length == got.length));
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << "N=" << N << " literal (" << lit.start << "," << lit.length << "," << lit.reps
                          << ") fast (" << got.start << "," << got.length << "," << got.reps << ")";
        }
    }
    return mismatches;
}

std::vector<int32_t> randomSequence(std::mt19937& rng, int length, int alphabet)
{
    std::vector<int32_t> s(static_cast<size_t>(length));
    for (auto& v : s)
        v = int32_t(rng() % uint32_t(alphabet));
    return s;
}

// A prefix, a frame repeated a few times (sometimes with one symbol changed),
// then a tail: the shapes real remote controls produce.
std::vector<int32_t> periodicSequence(std::mt19937& rng, int maxLength)
{
    const int alphabet = 2 + int(rng() % 6);
    const int prefix = int(rng() % 6);
    const int period = 1 + int(rng() % 12);
    const int repeats = 1 + int(rng() % 7);
    std::vector<int32_t> s = randomSequence(rng, prefix, alphabet);
    const std::vector<int32_t> frame = randomSequence(rng, period, alphabet);
    for (int r = 0; r < repeats; ++r)
        s.insert(s.end(), frame.begin(), frame.end());
    if (rng() % 3 == 0 && !s.empty())
        s[rng() % s.size()] = int32_t(rng() % uint32_t(alphabet));
    const std::vector<int32_t> tail = randomSequence(rng, int(rng() % 4), alphabet);
    s.insert(s.end(), tail.begin(), tail.end());
    if (int(s.size()) > maxLength)
        s.resize(size_t(maxLength));
    if (s.empty())
        s.push_back(0);
    return s;
}

TEST(FrameSearch, LiteralExamples)
{
    // Period 1: every pair alike.
    const std::vector<int32_t> same(20, 1);
    const FrameSearchOutcome a = searchFramesLiteral(same.data(), 19);
    EXPECT_EQ(a.start, 0);
    EXPECT_EQ(a.length, 1);
    EXPECT_EQ(a.reps, 17); // pos 0..16 each matched its successor below the bound

    // Six frames of 36 pairs: four repeats (the last frame is never compared).
    std::vector<int32_t> six;
    for (int f = 0; f < 6; ++f)
        for (int i = 0; i < 36; ++i)
            six.push_back(i == 0 ? 0 : 1 + (i % 3 == 0 ? 1 : 0) + (i == 35 ? 2 : 0));
    const FrameSearchOutcome b = searchFramesLiteral(six.data(), int(six.size()) - 1);
    EXPECT_EQ(b.start, 0);
    EXPECT_EQ(b.length, 36);
    EXPECT_EQ(b.reps, 4);

    // No repeats at all: start runs to N.
    const std::vector<int32_t> distinct{0, 1, 2, 3, 4, 5, 6, 7};
    const FrameSearchOutcome c = searchFramesLiteral(distinct.data(), 7);
    EXPECT_EQ(c.reps, 0);
    EXPECT_EQ(c.start, 7);
}

TEST(FrameSearch, MatchesLiteralOnManyRandomAndPeriodicSequences)
{
    std::mt19937 rng(20240611);
    int sequences = 0;
    int mismatches = 0;
    // Short sequences, compared at every prefix.
    for (int n = 0; n < 100000 && mismatches < 5; ++n, ++sequences) {
        std::vector<int32_t> s;
        switch (n % 5) {
        case 0: s = randomSequence(rng, 1 + int(rng() % 40), 1 + int(rng() % 3)); break;
        case 1: s = randomSequence(rng, 1 + int(rng() % 40), 2 + int(rng() % 16)); break;
        case 2: // values that share their low byte: the search must still tell them apart
            s = periodicSequence(rng, 48);
            for (auto& v : s)
                v = (v & 1) | ((v >> 1) << 8);
            break;
        default: s = periodicSequence(rng, 48); break;
        }
        mismatches += compareAtPrefixes(s, true);
    }
    // Longer ones, compared at the end only.
    for (int n = 0; n < 3000 && mismatches < 5; ++n, ++sequences) {
        const std::vector<int32_t> s
            = n % 2 ? randomSequence(rng, 100 + int(rng() % 300), 2 + int(rng() % 4)) : periodicSequence(rng, 400);
        mismatches += compareAtPrefixes(s, false);
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GE(sequences, 100000);
}

TEST(FrameSearch, ResetStartsAfresh)
{
    FrameSearch fast;
    for (int v : {1, 1, 1, 1, 1, 1, 1})
        fast.push(v);
    EXPECT_GT(fast.outcome().reps, 0);
    fast.reset();
    for (int v : {0, 1, 2, 3})
        fast.push(v);
    EXPECT_EQ(fast.outcome().reps, 0);
    EXPECT_EQ(fast.outcome().start, 3);
}

// Full-length trains whose answer is decided by their first starts: the
// search stays linear in the train's length (it was one step per start per
// pair on alike pairs, some 8 million comparisons for 4,096 pairs) and keeps
// the literal answer.
TEST(FrameSearch, FullLengthTrainsCostLinearSteps)
{
    const int n = kPulseSlots - 1;
    std::vector<int32_t> alike(size_t(n), 3);
    std::vector<int32_t> leadThenAlike = alike; // one odd pair, then alike ones
    leadThenAlike[0] = 7;
    std::vector<int32_t> frames; // a 36-pair frame over and over
    frames.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        frames.push_back(i % 36 == 0 ? 0 : 1 + (i % 3 == 0 ? 1 : 0));
    for (const auto* seq : {&alike, &leadThenAlike, &frames}) {
        FrameSearch fast;
        for (int32_t v : *seq)
            fast.push(v);
        EXPECT_LE(fast.steps(), 4 * int64_t(n));
        EXPECT_EQ(fast.outcome(), searchFramesLiteral(seq->data(), n - 1));
    }
}

// A channel whose sequence and Widths the decision reads.
std::unique_ptr<WaveChannel> channelOf(const std::vector<int32_t>& seq, int width, int lastWidth)
{
    auto ch = std::make_unique<WaveChannel>();
    for (size_t i = 0; i < seq.size(); ++i) {
        ch->patternIndex[i] = seq[i];
        ch->pulses[i] = {500, width};
    }
    ch->lastIndex = int(seq.size()) - 1;
    ch->pulses[size_t(ch->lastIndex)].width = lastWidth;
    return ch;
}

FrameDecision decide(const WaveChannel& ch, int64_t learnTimeUs)
{
    return decideFrames(searchFramesLiteral(ch.patternIndex.data(), ch.lastIndex), ch, learnTimeUs);
}

TEST(FrameDecision, SinglePairRunsNeedTheClosingSilence)
{
    const std::vector<int32_t> same(30, 0);
    // Short pairs: one frame of all pairs, but only once the press has ended.
    auto ch = channelOf(same, 1000, 1000);
    ch->patterns[0] = {500, 1000};
    EXPECT_FALSE(decide(*ch, 500000).complete);
    ch->pulses[29].width = 500000;
    FrameDecision d = decide(*ch, 500000);
    ASSERT_TRUE(d.complete);
    EXPECT_EQ(d.state.frameStart, 0);
    EXPECT_EQ(d.state.dataCount, 30);
    EXPECT_EQ(d.state.frameCount, 1);
    // Long pairs (mean Width 20000 or more) are repeats of one pair.
    ch->patterns[0] = {500, 20000};
    d = decide(*ch, 500000);
    ASSERT_TRUE(d.complete);
    EXPECT_EQ(d.state.frameStart, 0);
    EXPECT_EQ(d.state.dataCount, 1);
    EXPECT_EQ(d.state.frameCount, 27);
    // The 17th pattern has no stored mean: it counts as Width 0.
    auto ch17 = channelOf(std::vector<int32_t>(30, 16), 30000, 600000);
    d = decide(*ch17, 500000);
    ASSERT_TRUE(d.complete);
    EXPECT_EQ(d.state.dataCount, 30);
    EXPECT_EQ(d.state.frameCount, 1);
}

TEST(FrameDecision, FewRepeatsWaitForTheClosingSilence)
{
    std::vector<int32_t> seq;
    for (int f = 0; f < 4; ++f) // four frames: two repeats compared
        for (int v : {0, 1, 2, 1, 2, 3})
            seq.push_back(v);
    auto ch = channelOf(seq, 1000, 1000);
    EXPECT_FALSE(decide(*ch, 100000).complete);
    ch->pulses[size_t(ch->lastIndex)].width = 100000; // exactly the learning time
    const FrameDecision d = decide(*ch, 100000);
    ASSERT_TRUE(d.complete);
    EXPECT_EQ(d.state.frameStart, 0);
    EXPECT_EQ(d.state.dataCount, int(seq.size()));
    EXPECT_EQ(d.state.frameCount, 1);
    // A single pair: one frame as soon as its Width reaches the learning time.
    auto one = channelOf({0}, 1000, 100000);
    EXPECT_EQ(decide(*one, 100000).state.dataCount, 1);
}

TEST(FrameDetector, FollowsATrainAndStartsAfreshWhenItJumps)
{
    auto ch = std::make_unique<WaveChannel>();
    FrameDetector det;
    std::mt19937 rng(7);
    auto store = [&](int index, int v) {
        ch->patternIndex[size_t(index)] = v;
        ch->patternIndex[size_t(index) + 1] = 0;
        ch->lastIndex = index;
        det.noteStored(*ch, 2, index);
    };
    auto check = [&] {
        const FrameSearchOutcome lit = searchFramesLiteral(ch->patternIndex.data(), ch->lastIndex);
        const FrameSearchOutcome got = det.search(*ch, 2);
        EXPECT_EQ(lit.reps, got.reps);
        if (lit.reps > 0) {
            EXPECT_EQ(lit.start, got.start);
            EXPECT_EQ(lit.length, got.length);
        }
    };
    for (int i = 0; i < 60; ++i) {
        store(i, int(rng() % 3));
        check();
    }
    // The board skips an index, repeats one, then a new train begins.
    store(62, 1);
    check();
    store(62, 2);
    check();
    store(63, 2);
    check();
    store(0, 1);
    store(1, 1);
    check();
    // Another writer changes the sequence: its revision tells.
    ch->patternIndex[0] = 2;
    ++ch->sequenceRevision;
    check();
    // A different channel's train is not mixed in.
    EXPECT_EQ(det.search(*ch, 3).reps, searchFramesLiteral(ch->patternIndex.data(), ch->lastIndex).reps);
    // Indices that jump ahead over old pairs, go back or repeat, at random: the
    // search goes on from what is still in place or starts afresh.
    for (int n = 0; n < 3000 && !HasFailure(); ++n) {
        const int next = ch->lastIndex + 1;
        const int index = rng() % 4 ? next : int(rng() % uint32_t(next + 12));
        store(std::min(index, 300), int(rng() % 3));
        check();
    }
}

} // namespace
} // namespace zovax
