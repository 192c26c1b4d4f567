// Classification, the zero/one choice and code extraction on hand-built
// pattern tables and sequences.
#include "LearnTestRig.h"

#include "core/learning/Analyser.h"
#include "core/learning/Catalogue.h"
#include "core/learning/CodeWalk.h"

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

// Bits of bytes, least significant first, as pattern numbers.
std::vector<int> bitsOf(std::initializer_list<int> bytes, int zero, int one, int bitsPerByte = 8)
{
    std::vector<int> v;
    for (int b : bytes)
        for (int k = 0; k < bitsPerByte; ++k)
            v.push_back((b >> k) & 1 ? one : zero);
    return v;
}

struct Channel {
    std::vector<PulsePair> patterns;
    std::vector<int> seq;
    int dataCount = 0;
    int frameStart = 0;
    int row = 1;
};

void load(LearnRig& rig, const Channel& c, int channel = 0)
{
    WaveStore& s = rig.store();
    s.currentChannel = channel;
    WaveChannel& ch = s.channels[size_t(channel)];
    for (size_t i = 0; i < c.patterns.size(); ++i)
        ch.patterns[i] = c.patterns[i];
    ch.patternCount = int(c.patterns.size());
    for (size_t i = 0; i < c.seq.size(); ++i)
        ch.patternIndex[i] = c.seq[i];
    ch.lastIndex = int(c.seq.size()) - 1;
    ch.channelRow = c.row;
    s.learn = {c.frameStart, c.dataCount, 4};
    s.carrierTenths = 380;
}

std::vector<int> concat(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> v;
    for (const auto& p : parts)
        v.insert(v.end(), p.begin(), p.end());
    return v;
}

// NEC with repeat codes: leader, 32 bits, stop, then repeat leader + stop pairs.
Channel necRepeat(std::initializer_list<int> bytes)
{
    Channel c;
    c.patterns = {{9000, 13500}, {560, 1120}, {560, 2250}, {560, 40000}, {9000, 11250}, {560, 96000}};
    c.seq = concat({{0}, bitsOf(bytes, 1, 2), {3, 4, 5, 4, 5, 4, 5, 4, 5, 4, 5}});
    c.dataCount = 36;
    c.frameStart = 34;
    return c;
}

// NEC with whole frames repeated.
Channel necFrames(std::initializer_list<int> bytes, int frames)
{
    Channel c;
    c.patterns = {{9000, 13500}, {560, 1120}, {560, 2250}, {560, 40000}};
    for (int f = 0; f < frames; ++f)
        c.seq = concat({c.seq, {0}, bitsOf(bytes, 1, 2), {3}});
    c.dataCount = 34;
    return c;
}

TEST(Classify, Nec32RWorkedExample)
{
    LearnRig rig;
    load(rig, necRepeat({0x20, 0xDF, 0x10, 0xEF}));
    rig.analyser().ClassifyLearn();
    EXPECT_EQ(rig.resultCell(1), "Tm:NEC-32R    d:20DF 10EF");
    EXPECT_EQ(rig.view.labels[0], "No.1: 38.0kHz Tm:NEC-32R    d:20DF 10EF");
    // Each data bit is marked in the wave list; leader and stop are not.
    EXPECT_EQ(rig.view.logic.size(), 32u);
    EXPECT_EQ(rig.view.logic[std::make_pair(0, 1)], "0 ");
    EXPECT_EQ(rig.view.logic[std::make_pair(0, 6)], "1 ");
    EXPECT_EQ(rig.view.logic.count(std::make_pair(0, 0)), 0u);
}

TEST(Classify, NecCustomCodeRefinements)
{
    struct Case {
        Channel ch;
        const char* result;
    };
    const Case cases[] = {
        {necRepeat({0x00, 0xFF, 0x10, 0xEF}), "Tm:KANON-Rep  d:00FF 10EF"},
        {necFrames({0x00, 0xFF, 0x10, 0xEF}, 3), "Tm:KANON-ALL  d:00FF 10EF"},
        {necFrames({0x83, 0x41, 0x10, 0xEF}, 3), "Tm:KORVEN     d:8341 10EF"},
        {necRepeat({0x83, 0x41, 0x10, 0xEF}), "Tm:NEC-32R    d:8341 10EF"},
        {necRepeat({0x04, 0xFB, 0x10, 0xEF}), "Tm:SAMSUNG-R  d:04FB 10EF"},
        {necFrames({0x04, 0xFB, 0x10, 0xEF}, 3), "Tm:SAMSUNG-A  d:04FB 10EF"},
        {necFrames({0xB8, 0x00, 0x10, 0xEF}, 3), "Tm:KENWOOD    d:B800 10EF"},
    };
    for (const Case& c : cases) {
        LearnRig rig;
        load(rig, c.ch);
        rig.analyser().ClassifyLearn();
        EXPECT_EQ(rig.resultCell(1), c.result);
    }
}

TEST(Classify, Sony12WorkedExample)
{
    LearnRig rig;
    Channel c;
    c.patterns = {{2400, 3000}, {1200, 1800}, {600, 1200}, {600, 42000}};
    // Command 0x15 (7 bits) then address 0x01 (5 bits); the last bit carries the gap.
    std::vector<int> frame = concat({{0}, bitsOf({0x15}, 2, 1, 7), bitsOf({0x01}, 2, 1, 5)});
    frame.back() = 3;
    c.seq = concat({frame, frame, frame});
    c.dataCount = 13;
    load(rig, c);
    rig.analyser().ClassifyLearn();
    EXPECT_EQ(rig.resultCell(1), "Tm:SONY12     d:0115");
}

TEST(Classify, Msw7430OverwritesTheLearnState)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.learningMsgOn = false;
    // Leader 2000/4000, 16 bits, a gap pair, twice: p[17] = 3 and p[18] = 0.
    std::vector<irsig::Pair> pairs;
    for (int f = 0; f < 6; ++f) {
        pairs.push_back({2000, 4000});
        for (int k = 0; k < 16; ++k)
            pairs.push_back({520, (0x5AC3 >> k) & 1 ? 1500 : 1000});
        pairs.push_back({520, 20000});
    }
    rig.learn(pairs);
    EXPECT_EQ(rig.resultCell(1), "Tm:MSW7430    d:C35A C35A");
    EXPECT_EQ(rig.store().learn.frameStart, 18);
    EXPECT_EQ(rig.store().learn.dataCount, 36);
    EXPECT_EQ(rig.table.entry(1).repeat, 18);
    EXPECT_EQ(rig.table.entry(1).dataCount, 36);
}

TEST(Classify, PatternCodeListsTheRawSymbols)
{
    LearnRig rig;
    rig.view.pcodeOn = true;
    Channel c = necFrames({0x20, 0xDF, 0x10, 0xEF}, 2);
    load(rig, c);
    rig.analyser().ClassifyLearn();
    EXPECT_EQ(rig.resultCell(1),
              "Code( 34bits): 0"
              "11111211"
              "22222122"
              "11112111"
              "22221222"
              "3");
    EXPECT_TRUE(rig.view.labels.empty());
}

TEST(Classify, UnknownWhenNoCandidateFits)
{
    LearnRig rig;
    Channel c;
    c.patterns = {{1500, 3500}, {1000, 3000}, {2000, 3000}, {1000, 41000}};
    c.seq = concat({{0}, bitsOf({0xA5}, 1, 2), {3}});
    c.dataCount = 10;
    load(rig, c);
    rig.analyser().ClassifyLearn();
    EXPECT_TRUE(rig.resultCell(1).startsWith("Tm:Unknown    d:")) << rig.resultCell(1).toStdString();
}

TEST(Classify, NecTimingWithTooFewPairsFallsThrough)
{
    LearnRig rig;
    Channel c = necFrames({0x20, 0xDF, 0x10, 0xEF}, 1);
    c.seq.resize(20); // no stop pair where a later candidate's rule would look
    c.dataCount = 20;
    load(rig, c);
    rig.analyser().SetCandidateWindows(3);
    EXPECT_TRUE(rig.analyser().MatchCandidateTiming(3));
    EXPECT_FALSE(rig.analyser().AnalyseCandidate(3));
    rig.analyser().ClassifyLearn();
    EXPECT_TRUE(rig.resultCell(1).startsWith("Tm:Unknown")) << rig.resultCell(1).toStdString();
}

TEST(Classify, NoRowNoResult)
{
    LearnRig rig;
    Channel c = necRepeat({0x20, 0xDF, 0x10, 0xEF});
    c.row = 0;
    load(rig, c);
    rig.analyser().ClassifyLearn();
    for (int r = 1; r <= 3; ++r)
        EXPECT_TRUE(rig.resultCell(r).isEmpty());
    EXPECT_TRUE(rig.view.labels.empty());
}

struct TimingCase {
    int candidate;
    std::vector<PulsePair> patterns;
    bool fits;
    const char* why;
};

class CandidateTimingTest : public ::testing::TestWithParam<TimingCase> {};

TEST_P(CandidateTimingTest, Windows)
{
    const TimingCase& c = GetParam();
    LearnRig rig;
    Channel ch;
    ch.patterns = c.patterns;
    ch.seq = {0};
    load(rig, ch);
    rig.analyser().SetCandidateWindows(c.candidate);
    EXPECT_EQ(rig.analyser().MatchCandidateTiming(c.candidate), c.fits) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Edges, CandidateTimingTest,
    ::testing::Values(
        TimingCase{3, {{9000, 13500}, {560, 1125}, {560, 2250}}, true, "NEC nominal"},
        TimingCase{3, {{9000, 13500}, {560, 900}, {560, 2250}}, true, "zero Width exactly 1125*8/10"},
        TimingCase{3, {{9000, 13500}, {560, 890}, {560, 2250}}, false, "zero Width below"},
        TimingCase{3, {{10800, 16200}, {672, 1350}, {448, 2700}}, true, "every bound inclusive"},
        TimingCase{3, {{10810, 13500}, {560, 1125}, {560, 2250}}, false, "leader High above"},
        TimingCase{3, {{9000, 13500}, {560, 2250}, {560, 1125}}, true, "one before zero"},
        TimingCase{24, {{9000, 13500}, {560, 1125}, {560, 2250}}, false, "an NEC leader is no 4500 leader"},
        TimingCase{24, {{4500, 9000}, {560, 1125}, {560, 2250}}, true, "Samsung leader"},
        TimingCase{10, {}, true, "all-zero table fits a candidate without timings"},
        TimingCase{10, {{560, 1125}}, false, "a real table does not"},
        TimingCase{8, {{180, 1060}, {480, 2000}}, true, "candidate 8: wide symbol High window"},
        TimingCase{25, {{180, 1060}, {480, 2000}}, false, "candidate 25: the same times, usual window"},
        TimingCase{0, {{2400, 3000}, {1200, 1800}, {600, 1200}}, true, "Sony: marks decide the order"},
        TimingCase{29, {{8000, 12000}, {500, 1000}, {9999, 9999}}, true, "candidate 29 checks only pattern 1"},
        TimingCase{29, {{8000, 12000}, {9999, 9999}, {500, 1000}}, false, "pattern 1 is its zero"}));

TEST(ZeroOne, Choice)
{
    struct Case {
        std::vector<PulsePair> p;
        int count;
        int z, o;
    };
    const Case cases[] = {
        {{{9000, 13500}, {560, 1120}, {560, 2250}, {560, 40000}}, 4, 1, 2}, // leader first: next longer is one
        {{{9000, 13500}, {560, 1120}, {560, 40000}}, 3, 1, 0},              // leader is the next longer
        {{{560, 1120}, {560, 2250}, {560, 0}, {560, 900}}, 4, 0, 1},        // stops at the first Width 0
        {{{900, 1000}, {560, 1200}, {560, 2250}}, 3, 0, 1},              // pattern 0 does not qualify but is shortest
        {{{560, 1120}, {560, 1120}, {560, 2250}, {560, 2250}}, 4, 0, 2}, // ties: the lowest number
        {{{560, 1120}, {560, 2250}, {560, 1000}}, 2, 0, 1},              // count limits the patterns examined
        {{}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<PulsePair> p = c.p;
        p.resize(16);
        const ZeroOne zo = chooseZeroOne(p.data(), c.count);
        EXPECT_EQ(zo.zero, c.z);
        EXPECT_EQ(zo.one, c.o);
    }
}

QString walk(CodeWalkParams w, const std::vector<int>& seq, std::array<int32_t, 16> highs = {},
             QStringList* log = nullptr)
{
    std::vector<int32_t> p(seq.begin(), seq.end());
    p.resize(4097);
    if (w.limit == 0)
        w.limit = w.pulses;
    CodeWalkSinks sinks;
    if (log)
        sinks.wordLine = [log](const QString& l) { *log << l; };
    return walkCode(w, p.data(), int(p.size()), highs, sinks);
}

TEST(CodeWalk, LeaderInsideAByteClosesIt)
{
    CodeWalkParams w;
    w.candidate = 7;
    w.format = kFmtJvcM16;
    w.pulses = 12;
    w.zero = 1;
    w.one = 2;
    // Three bits 0,1,1, then a leader: the byte closes early as 06.
    EXPECT_EQ(walk(w, {1, 2, 2, 0, 2, 2, 2, 2, 2, 2, 2, 2}), "06 FF");
    // A leader at a byte boundary is skipped.
    w.pulses = 9;
    EXPECT_EQ(walk(w, {0, 2, 2, 2, 2, 2, 2, 2, 2}), "FF");
}

TEST(CodeWalk, EqualWordsAreNotRepeated)
{
    CodeWalkParams w;
    w.candidate = 6;
    w.format = kFmtMitu16;
    w.pulses = 16; // (16 + 5) / 8 = 2 bytes per word
    w.limit = 34;
    w.zero = 0;
    w.one = 1;
    const std::vector<int> frame = concat({bitsOf({0x23, 0x47}, 0, 1), {2}});
    EXPECT_EQ(walk(w, concat({frame, frame})), "2347");
    EXPECT_EQ(walk(w, concat({frame, bitsOf({0x23, 0x48}, 0, 1), {2}})), "2347 2348");
}

TEST(CodeWalk, FullCodeListsEveryNecWord)
{
    CodeWalkParams w;
    w.candidate = 3;
    w.format = kFmtNec32A;
    w.pulses = 34;
    w.zero = 1;
    w.one = 2;
    const Channel c = necFrames({0x20, 0xDF, 0x10, 0xEF}, 3);
    EXPECT_EQ(walk(w, c.seq), "20DF 10EF");
    w.fullCode = true;
    w.limit = int(c.seq.size()) - 1;
    QStringList log;
    EXPECT_EQ(walk(w, c.seq, {}, &log), "20DF 10EF 20DF 10EF 20DF 10EF");
    EXPECT_EQ(log, QStringList({"fno:01 20DF 10EF", "fno:02 20DF 10EF", "fno:03 20DF 10EF"}));
}

TEST(CodeWalk, GroupSizes)
{
    // SHARP: 5 bits, then 8, then the walk jumps to the end of the frame.
    CodeWalkParams sharp;
    sharp.candidate = 8;
    sharp.format = kFmtSharp;
    sharp.pulses = 16;
    sharp.groupSize = 5;
    sharp.zero = 1;
    sharp.one = 0;
    const std::vector<int> frame = concat({bitsOf({0x01}, 1, 0, 5), bitsOf({0x4A}, 1, 0), {0, 1, 2}});
    EXPECT_EQ(walk(sharp, frame), "014A");
    // With Full Code the jump only ever goes forward: the walk ends.
    sharp.fullCode = true;
    sharp.limit = 64;
    const std::vector<int> four = concat({frame, frame, frame, frame});
    EXPECT_FALSE(walk(sharp, four).isEmpty());

    // MATU22: 5, 6, 5, 6 ...
    CodeWalkParams matu;
    matu.candidate = 2;
    matu.format = kFmtMatu22;
    matu.pulses = 23;
    matu.groupSize = 5;
    matu.zero = 1;
    matu.one = 2;
    // Bits: 5 ones, 6 zeros, 5 ones, 6 zeros after a leader.
    std::vector<int> bits{0};
    for (int n : {5, 6, 5, 6})
        for (int k = 0; k < n; ++k)
            bits.push_back(n == 5 ? 2 : 1);
    // (23 + 5) / 8 = 3 bytes per word; the fourth byte stays in the last word.
    EXPECT_EQ(walk(matu, bits), "1F00 1F 00");

    // SHARP12: 3 bits, then 8.
    CodeWalkParams s12;
    s12.candidate = 25;
    s12.format = kFmtSharp12;
    s12.pulses = 11;
    s12.groupSize = 3;
    s12.zero = 0;
    s12.one = 1;
    EXPECT_EQ(walk(s12, concat({bitsOf({0x05}, 0, 1, 3), bitsOf({0xA5}, 0, 1)})), "05A5");

    // "Unknown" skips forward to the next data symbol, never past the walk.
    CodeWalkParams unk;
    unk.candidate = 32;
    unk.format = kFormatUnknown;
    unk.pulses = 12;
    unk.zero = 1;
    unk.one = 2;
    EXPECT_EQ(walk(unk, {1, 1, 1, 1, 1, 1, 1, 2, 7, 7, 7, 7}), "80");
    EXPECT_EQ(walk(unk, {1, 1, 1, 1, 1, 1, 1, 2, 7, 7, 2, 1}), "8001");
}

TEST(CodeWalk, SonyLastBitAndStoredWords)
{
    CodeWalkParams sony;
    sony.candidate = 0;
    sony.format = kFmtSony20;
    sony.pulses = 21;
    sony.groupSize = 7;
    sony.zero = 2;
    sony.one = 1;
    sony.zeroHighMax = 720;
    std::array<int32_t, 16> highs{2400, 1200, 600, 1200, 600};
    // 7 + 8 + 5 bits; the last one (pattern 3, High 1200) reads as 1 and closes the byte.
    std::vector<int> seq = concat({{0}, bitsOf({0x15}, 2, 1, 7), bitsOf({0x3A}, 2, 1), bitsOf({0x09}, 2, 1, 5)});
    seq.back() = 3;
    seq.push_back(0);
    EXPECT_EQ(walk(sony, seq, highs), "3A19 15");
    // Read back, the Sony word rule keeps only complete two-byte words.
    sony.storedEntry = true;
    EXPECT_EQ(walk(sony, seq, highs), "3A15");
}

} // namespace
} // namespace zovax::test
