#include "core/learning/FrameDetector.h"

#include <algorithm>
#include <cstring>

namespace zovax {

FrameSearchOutcome searchFramesLiteral(const int32_t* p, int N)
{
    int start = 0;
    int L = 1;
    int reps = 0;
    while (start < N) {
        int pos = start;
        while (pos + 2 * L < N) {
            if (std::equal(p + pos, p + pos + L, p + pos + L)) {
                pos += L;
                ++reps;
            } else {
                ++L;
                reps = 0;
            }
        }
        if (reps > 0)
            break;
        ++start;
        L = 1;
    }
    return {start, L, reps};
}

void FrameSearch::reset()
{
    seq_.clear();
    keys_.clear();
    pos_.clear();
    len_.clear();
    reps_.clear();
    next_.clear();
    std::fill(head_.begin(), head_.end(), -1);
    std::fill(repsBits_.begin(), repsBits_.end(), 0);
    active_ = 0;
    activeWithReps_ = 0;
    steps_ = 0;
}

void FrameSearch::link(int start, int threshold)
{
    if (threshold >= int(head_.size()))
        head_.resize(size_t(std::max(threshold + 1, 2 * int(head_.size()) + 64)), -1);
    next_[size_t(start)] = head_[size_t(threshold)];
    head_[size_t(threshold)] = start;
}

namespace {
// p[a..a+n-1] == p[b..b+n-1]. A plain loop: most trial lengths fail on their
// first pairs, where a call to the library's block compare costs more than it
// saves (and under the address checker it inspects all n pairs first).
bool sameRun(const int32_t* p, int a, int b, int n)
{
    for (int k = 0; k < n; ++k)
        if (p[a + k] != p[b + k])
            return false;
    return true;
}
} // namespace

void FrameSearch::step(int s)
{
    const size_t i = size_t(s);
    const int32_t* p = seq_.data();
    const int pos = pos_[i];
    const int L = len_[i];
    ++steps_;
    if (sameRun(p, pos, pos + L, L)) {
        pos_[i] = pos + L;
        if (reps_[i]++ == 0)
            ++activeWithReps_;
        repsBits_[i / 64] |= uint64_t(1) << (i % 64);
    } else {
        if (reps_[i] != 0)
            --activeWithReps_;
        reps_[i] = 0;
        repsBits_[i / 64] &= ~(uint64_t(1) << (i % 64));
        // The next length whose pairs known so far all match, the first pair
        // found through its low byte; when none is known yet, the first length
        // that reaches past them. Each length passed over fails on a pair that
        // is already known and never changes, so the walk would only reset the
        // repeats there and try the next length.
        const int known = size();
        const uint8_t key = keys_[size_t(pos)];
        int at = pos + L + 1; // pos + the next length to try
        int next = 0;
        while (next == 0) {
            const void* hit = at < known ? std::memchr(keys_.data() + at, key, size_t(known - at)) : nullptr;
            if (!hit) {
                next = std::max(at, known) - pos;
                break;
            }
            const int c = int(static_cast<const uint8_t*>(hit) - keys_.data()) - pos;
            int k = 0;
            while (k < c && pos + c + k < known && p[pos + k] == p[pos + c + k])
                ++k;
            if (k == c || pos + c + k == known)
                next = c;
            else
                at = pos + c + 1;
        }
        len_[i] = next;
    }
}

void FrameSearch::push(int32_t value)
{
    seq_.push_back(value);
    keys_.push_back(uint8_t(value & 0xFF));
    const int N = size() - 1;
    if (N == 0)
        return;
    // Start N - 1 becomes valid; its first comparison needs a bound above N + 1.
    const int s = N - 1;
    pos_.push_back(s);
    len_.push_back(1);
    reps_.push_back(0);
    next_.push_back(-1);
    if (size_t(s / 64) >= repsBits_.size())
        repsBits_.resize(size_t(s / 64) + 16, 0);
    repsBits_[size_t(s / 64)] &= ~(uint64_t(1) << (s % 64));
    // Every active start already satisfies pos + 2L >= N - 1; those at exactly
    // N - 1 take one step (after it pos + 2L >= N again). The new start waits
    // until it is needed.
    if (N - 1 < int(head_.size())) {
        int cur = head_[size_t(N - 1)];
        head_[size_t(N - 1)] = -1;
        while (cur >= 0) {
            const int nxt = next_[size_t(cur)];
            step(cur);
            link(cur, pos_[size_t(cur)] + 2 * len_[size_t(cur)]);
            cur = nxt;
        }
    }
    activateUntilRepeats(N);
}

void FrameSearch::activateUntilRepeats(int bound)
{
    // A waiting start still holds the state it was created with; the walk up to
    // the bound is the one it would have taken pair by pair.
    while (activeWithReps_ == 0 && active_ < bound) {
        const int s = active_++;
        while (pos_[size_t(s)] + 2 * len_[size_t(s)] < bound)
            step(s);
        link(s, pos_[size_t(s)] + 2 * len_[size_t(s)]);
    }
}

FrameSearchOutcome FrameSearch::outcome() const
{
    const int N = size() - 1;
    const int starts = std::max(N, 0);
    const int words = (starts + 63) / 64;
    for (int w = 0; w < words && w < int(repsBits_.size()); ++w) {
        const uint64_t bits = repsBits_[size_t(w)];
        if (bits == 0)
            continue;
        int bit = 0;
        while (((bits >> bit) & 1u) == 0)
            ++bit;
        const int s = w * 64 + bit;
        if (s >= starts)
            break;
        return {s, len_[size_t(s)], reps_[size_t(s)]};
    }
    return {starts, 1, 0};
}

FrameDecision decideFrames(const FrameSearchOutcome& o, const WaveChannel& ch, int64_t learnTimeUs)
{
    const int N = std::clamp(ch.lastIndex, 0, kPulseSlots - 1);
    const bool closingSilenceSeen = ch.pulses[size_t(N)].width >= learnTimeUs;
    FrameDecision d;
    if (o.reps >= kMinRepeatsForFrame) {
        if (o.length == 1) {
            // A run of one repeated pair: only decided once the press has ended,
            // and short pairs make one frame of all pairs rather than repeats.
            if (!closingSilenceSeen)
                return d;
            const int p = (o.start >= 0 && o.start < kPulseSlots) ? ch.patternIndex[size_t(o.start)] : 0;
            if (ch.meanWidth(p) < kSinglePairRepeatMinWidthUs) {
                d.complete = true;
                d.state = {0, N + 1, 1};
                return d;
            }
        }
        d.complete = true;
        d.state = {o.start, o.start + o.length, o.reps};
        return d;
    }
    if (!closingSilenceSeen)
        return d;
    d.complete = true;
    d.state = {0, N + 1, 1};
    return d;
}

void FrameDetector::noteStored(const WaveChannel& ch, int channel, int index)
{
    if (engine_ != Engine::Fast)
        return;
    if (index == 0) {
        fast_.reset();
        fast_.push(ch.patternIndex[0]);
        channel_ = channel;
        revision_ = ch.sequenceRevision;
        valid_ = true;
        return;
    }
    if (valid_ && channel_ == channel && revision_ == ch.sequenceRevision && fast_.size() == index
        && index < kPulseSlots) {
        fast_.push(ch.patternIndex[size_t(index)]);
        return;
    }
    valid_ = false;
}

FrameSearchOutcome FrameDetector::search(const WaveChannel& ch, int channel)
{
    const int N = std::clamp(ch.lastIndex, 0, kPulseSlots - 1);
    if (engine_ == Engine::Literal)
        return searchFramesLiteral(ch.patternIndex.data(), N);
    if (!(valid_ && channel_ == channel && revision_ == ch.sequenceRevision && fast_.size() == N + 1)) {
        // Not the train as it grew pair by pair: go on from the pairs still in
        // place (a train that jumped ahead), or start afresh.
        if (!fast_.isPrefixOf(ch.patternIndex.data(), N + 1))
            fast_.reset();
        for (int i = fast_.size(); i <= N; ++i)
            fast_.push(ch.patternIndex[size_t(i)]);
        channel_ = channel;
        revision_ = ch.sequenceRevision;
        valid_ = true;
    }
    return fast_.outcome();
}

} // namespace zovax
