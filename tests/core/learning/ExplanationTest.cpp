// The analysis explained: recorded from the analyser as it decides, for learned
// channels and stored entries; its verdict is always the Result written.
#include "LearnTestRig.h"

#include "core/learning/Catalogue.h"
#include "core/learning/Explanation.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <random>

namespace zovax::test {
namespace {

// A view that draws nothing: keeps the property test fast.
class QuietView : public FakeLearnView {
public:
    void setLogicCell(int, int, const QString&) override {}
    void drawLabel(int, const QString&) override {}
};

// Random pattern tables near a random candidate's timings (most of them miss
// by a little), with pattern sequences that sometimes carry that candidate's
// structural marks.
struct RandomSignal {
    std::mt19937 rng;
    explicit RandomSignal(uint32_t seed) : rng(seed) {}

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    int spreadLo = 70, spreadHi = 135; // per cent of the nominal time
    int near(int nominal) { return nominal * uniform(spreadLo, spreadHi) / 100 / 10 * 10; }

    void fill(WaveChannel& ch, LearnState& learn)
    {
        const int t = uniform(0, kCandidateCount - 1);
        const CandidateTiming& c = kCandidateTimings[t];
        const bool tight = uniform(0, 1);
        spreadLo = tight ? 90 : 70;
        spreadHi = tight ? 110 : 135;
        ch.patterns.fill(PulsePair{});
        int n = 0;
        if (c.leaderHigh > 0 && uniform(0, 9) > 0)
            ch.patterns[size_t(n++)] = {near(c.leaderHigh), near(c.leaderWidth)};
        ch.patterns[size_t(n++)] = {near(c.zeroHigh ? c.zeroHigh : 560), near(c.zeroWidth ? c.zeroWidth : 1120)};
        ch.patterns[size_t(n++)] = {near(c.oneHigh ? c.oneHigh : 560), near(c.oneWidth ? c.oneWidth : 2250)};
        if (uniform(0, 1))
            std::swap(ch.patterns[size_t(n - 1)], ch.patterns[size_t(n - 2)]);
        const int extra = uniform(0, 4);
        for (int i = 0; i < extra && n < kMaxPatterns; ++i)
            ch.patterns[size_t(n++)] = {uniform(0, 1) ? near(c.zeroHigh + 300) : uniform(0, 12000), uniform(0, 60000)};
        if (uniform(0, 30) == 0)
            ch.patterns[size_t(uniform(0, n - 1))] = {};
        ch.patternCount = n;

        const int dataCount = uniform(0, 3) == 0 ? uniform(0, 40) : uniform(10, 190);
        const int last = std::min(kPulseSlots - 2, dataCount + uniform(0, dataCount * 2 + 2));
        for (int i = 0; i <= last + 1; ++i)
            ch.patternIndex[size_t(i)]
                = uniform(0, 5) == 0 ? uniform(0, n - 1) : uniform(n > 2 ? 1 : 0, std::min(2, n - 1));
        // Structural marks of one of the candidate's rules, at their positions.
        for (const LearnRule& r : kLearnRules) {
            if (r.candidate != t || uniform(0, 2) == 0)
                continue;
            if (r.a > 0 && r.a < kPulseSlots)
                ch.patternIndex[size_t(r.a)] = r.x + (r.cond == LearnCond::PosAboveAndPosEq ? uniform(0, 2) : 0);
            if (r.b > 0 && r.b < kPulseSlots && r.cond != LearnCond::PosEqOrLastIndex)
                ch.patternIndex[size_t(r.b)] = r.y;
            break;
        }
        ch.lastIndex = last;
        learn.dataCount = dataCount;
        learn.frameStart = uniform(0, dataCount);
        learn.frameCount = uniform(1, 3);
    }

    TableEntry entryOf(const WaveChannel& ch, const LearnState& learn)
    {
        TableEntry e;
        e.carrier = 380;
        e.dataCount = std::clamp(learn.dataCount, 0, kDataSymbols);
        // Stored data counts of the rules' forms turn up more often than at random.
        if (uniform(0, 3) == 0) {
            const StoredRule& r = kStoredRules[uniform(0, int(std::size(kStoredRules)) - 1)];
            e.dataCount = r.cond == StoredCond::HalfCountEq ? r.x * 2 + uniform(0, 1)
                                                            : r.x + (r.cond == StoredCond::CountAbove);
        }
        e.repeat = uniform(0, 3) == 0 ? 44 : learn.frameStart;
        for (int i = 0; i < kPatternPairs; ++i) {
            e.high[size_t(i)] = ch.patterns[size_t(i)].high;
            e.width[size_t(i)] = ch.patterns[size_t(i)].width;
        }
        for (int j = 0; j < kDataSymbols; ++j)
            e.data[size_t(j)] = uint8_t(ch.patternIndex[size_t(j)] & 0xFF);
        return e;
    }
};

// The verdict's candidate is the first whose timing passed and whose rules gave
// a format; every candidate before it failed one or the other.
void expectConsistentTrace(const AnalysisExplanation& x)
{
    const int v = x.verdict.candidate;
    for (int t = 0; t < std::min(v + 1, kCandidateCount); ++t)
        ASSERT_TRUE(x.candidates[size_t(t)].tried) << t;
    for (int t = v + 1; t < kCandidateCount; ++t)
        ASSERT_FALSE(x.candidates[size_t(t)].tried) << t;
    if (v < kCandidateCount) {
        ASSERT_TRUE(x.candidates[size_t(v)].timing.passed());
        ASSERT_GE(x.verdict.rule, 0);
    }
}

TEST(AnalysisExplanation, VerdictIsTheResultWrittenOverRandomPatternTables)
{
    LinkRig rig(LinkRig::Record::Nothing);
    QuietView view;
    CodeTable table;
    auto store = std::make_unique<WaveStore>();
    Analyser analyser(*store, table, view, rig.log);
    ReadBackDecoder readBack(*store, analyser, table, rig.link, view, rig.prompts, rig.log);
    ExplanationRecorder rec;
    analyser.setObserver(&rec);

    RandomSignal gen(20261209);
    std::array<int, kCandidateCount + 1> decidedBy{};
    constexpr int kTables = 100000;
    for (int i = 0; i < kTables; ++i) {
        const int channel = gen.uniform(0, kWaveChannels - 1);
        WaveChannel& ch = store->channels[size_t(channel)];
        gen.fill(ch, store->learn);
        const TableEntry entry = gen.entryOf(ch, store->learn);
        view.fullCodeOn = gen.uniform(0, 7) == 0;
        store->currentChannel = channel;
        ch.channelRow = 1;
        table.setCell(kColResult, 1, QString());
        analyser.ClassifyLearn();
        ASSERT_TRUE(rec.hasVerdict);
        ASSERT_EQ(rec.explanation.verdict.resultText, table.cell(kColResult, 1)) << "table " << i;
        expectConsistentTrace(rec.explanation);
        ++decidedBy[size_t(rec.explanation.verdict.candidate)];

        // The same table stored in a row, decoded as on read-back.
        table.entry(2) = entry;
        table.setCell(kColResult, 2, QString());
        readBack.DecodeStoredEntry(2);
        const AnalysisExplanation stored = explainStoredEntry(entry);
        ASSERT_EQ(stored.verdict.resultText, table.cell(kColResult, 2)) << "entry " << i;
        expectConsistentTrace(stored);
    }
    // The tables reach a good part of the candidates, not only the fallback.
    int reached = 0;
    for (int t = 0; t < kCandidateCount; ++t)
        reached += decidedBy[size_t(t)] > 0;
    EXPECT_GE(reached, 15);
    EXPECT_LT(decidedBy[kCandidateCount], kTables * 9 / 10);
}

// Learns one press through the wave and result lines and explains row 1.
struct Learned {
    LearnRig rig;
    AnalysisExplanation x;
    QString text;

    Learned(const std::vector<irsig::Pair>& pairs, int carrierTenths)
    {
        rig.view.cursorAutoOn = false;
        rig.view.learningMsgOn = false;
        rig.learn(pairs, carrierTenths);
        x = rig.core->explainRow(1);
        text = explanationText(x);
    }
};

std::vector<irsig::Pair> nominal(const char* protocol, int repeats, const std::vector<uint8_t>& code = {})
{
    const irsig::Protocol* p = irsig::findProtocol(protocol);
    if (!p)
        return {};
    return irsig::encodeNominal(*p, code.empty() ? p->exampleCode : code, repeats);
}

TEST(AnalysisExplanation, EverySignalOfTheLibraryExplainsItsResult)
{
    for (const irsig::Protocol& p : irsig::catalogue()) {
        for (uint32_t seed : {1u, 2u}) {
            Learned l(irsig::encode(p, p.exampleCode, -1, irsig::Noise{seed, 3, 40}), p.carrierTenths);
            EXPECT_EQ(l.x.source, ExplanationSource::Learned) << p.name;
            EXPECT_EQ(l.x.verdict.resultText, l.rig.resultCell(1)) << p.name;
            expectConsistentTrace(l.x);
            // The stored entry decoded as on read-back, and its explanation.
            const AnalysisExplanation stored = explainStoredEntry(l.rig.table.entry(1));
            l.rig.readBack().DecodeStoredEntry(1);
            EXPECT_EQ(stored.verdict.resultText, l.rig.resultCell(1)) << p.name;
        }
    }
}

TEST(AnalysisExplanation, NecLeaderTooLongIsUnknownClosestToTheNecCandidate)
{
    std::vector<irsig::Pair> pairs = nominal("NEC", 3, {0x20, 0xDF, 0x10, 0xEF});
    for (irsig::Pair& p : pairs)
        if (p.high == 9000)
            p.high = 11700; // 30 % too long, the space shortened by as much
    Learned l(pairs, 380);
    ASSERT_TRUE(l.rig.resultCell(1).startsWith("Tm:Unknown")) << l.rig.resultCell(1).toStdString();
    ASSERT_TRUE(l.x.unknown());
    EXPECT_EQ(l.x.closest, kNecCandidate);
    EXPECT_TRUE(l.text.contains("Closest: candidate 3 (NEC-32A, NEC-32R"));
    EXPECT_TRUE(l.text.contains("leader High of P0 is 11700 us, above 10800 by 900 us (8.3 %)"))
        << l.text.toStdString();
    EXPECT_TRUE(l.text.contains("Would have had to differ: leader High of P0 at most 10800 us (measured 11700 us)"));
    // Candidates without timings never count as close.
    EXPECT_TRUE(l.text.contains("  10  timing failed: this candidate has no timings"));
}

TEST(AnalysisExplanation, SonyWithCarrierOffIsDecidedAndShowsTheCarrier)
{
    Learned l(nominal("SONY12", 3, {0x15, 0x01}), 561);
    EXPECT_EQ(l.rig.resultCell(1), "Tm:SONY12     d:0115");
    EXPECT_EQ(l.x.verdict.candidate, kSonyCandidate);
    EXPECT_EQ(l.x.carrierTenths, 561);
    EXPECT_TRUE(l.text.contains("Carrier 56.1 kHz (the carrier takes no part in choosing the format)"));
    EXPECT_TRUE(l.text.contains("Decided by candidate 0: timing passed and the learn rule \"pair 13 is P0 (found P0)\" "
                                "held: SONY12, frame 13 pulse pairs, first group 7 bits"))
        << l.text.toStdString();
}

TEST(AnalysisExplanation, Nec40ReadBackAsNec42ExplainsTheRuleThatChoseIt)
{
    Learned l(nominal("NEC40", 9, {0x20, 0xDF, 0x10, 0xEF, 0x5A}), 380);
    ASSERT_EQ(l.rig.resultCell(1), "Tm:NEC-40R    d:20DF 10EF 5A");
    // The learn's entry, opened again: the stored-entry rules decide.
    const TableEntry e = l.rig.table.entry(1);
    const AnalysisExplanation x = explainStoredEntry(e);
    const QString text = explanationText(x);
    EXPECT_EQ(FormatName(x.verdict.format), "NEC-42A");
    EXPECT_TRUE(text.contains(QStringLiteral("data count 44 and repeat 44 (found 44 and %1): no").arg(e.repeat)))
        << text.toStdString();
    EXPECT_TRUE(text.contains("stored-entry rule \"data count 44 (found 44)\" held: NEC-42A, frame 44 pulse pairs"));
}

TEST(AnalysisExplanation, TooFewPulsesNamesThePulseCount)
{
    std::vector<irsig::Pair> pairs = nominal("NECF", 0, {0x20, 0xDF, 0x10, 0xEF});
    pairs.resize(20);
    pairs.back().width = 150000; // the press ends early
    Learned l(pairs, 380);
    ASSERT_TRUE(l.x.unknown()) << l.rig.resultCell(1).toStdString();
    EXPECT_EQ(l.x.closest, kNecCandidate);
    EXPECT_TRUE(l.text.contains("a frame of at least 32 pulse pairs (found 20): no: too few pulse pairs"));
    EXPECT_TRUE(
        l.text.contains("Would have had to differ: the frame has 20 pulse pairs, the candidate needs at least 32."))
        << l.text.toStdString();
}

TEST(AnalysisExplanation, RowWithoutWaveInformationSaysSo)
{
    LearnRig rig;
    rig.table.setCell(kColResult, 7, "Tm:NEC-32R    d:20DF 10EF");
    const AnalysisExplanation x = rig.core->explainRow(7);
    EXPECT_EQ(x.source, ExplanationSource::NoWave);
    EXPECT_EQ(explanationText(x),
              "Row 7: this row has no wave information; there is no analysis to explain.\n"
              "Result cell: Tm:NEC-32R    d:20DF 10EF\n");
    EXPECT_EQ(explanationJson(x)["source"].toString(), "no_wave");
}

TEST(AnalysisExplanation, LearnedExplanationFollowsTheRowsWave)
{
    Learned l(nominal("NEC", 9, {0x20, 0xDF, 0x10, 0xEF}), 380);
    EXPECT_EQ(l.x.source, ExplanationSource::Learned);
    EXPECT_EQ(l.x.frameCount, l.rig.store().learn.frameCount);
    // Moved down by an inserted line: the row no longer holds the learn.
    l.rig.table.InsertLine(1);
    EXPECT_EQ(l.rig.core->explainRow(1).source, ExplanationSource::NoWave);
    const AnalysisExplanation moved = l.rig.core->explainRow(2);
    EXPECT_EQ(moved.source, ExplanationSource::Stored);
    EXPECT_EQ(moved.verdict.resultText, "Tm:NEC-32R    d:20DF 10EF");
}

TEST(AnalysisExplanation, JitteredPatternSpreadBeyondItsWindowIsFlagged)
{
    // Every fourth one-symbol Width stretched past the NEC one-symbol window
    // (1800..2700): the mean stays inside, so the signal still decodes.
    std::vector<irsig::Pair> pairs = nominal("NECF", 2, {0x20, 0xDF, 0x10, 0xEF});
    int n = 0;
    for (irsig::Pair& p : pairs)
        if (p.width == 2250 && ++n % 4 == 0)
            p.width = n % 8 == 4 ? 2550 : 2800; // the wider ones join once the narrower ones widened the pattern
    Learned l(pairs, 380);
    ASSERT_EQ(l.x.verdict.candidate, kNecCandidate) << l.rig.resultCell(1).toStdString();
    bool flagged = false;
    for (const PatternQuality& q : l.x.quality)
        for (const WindowCheck& w : q.exceeded)
            flagged |= w.window == TimingWindow::OneWidth && w.measured > w.max;
    EXPECT_TRUE(flagged) << l.text.toStdString();
    EXPECT_TRUE(l.text.contains("! spread leaves the one-symbol Width window 1800-2700 us of candidate 3"));
}

TEST(AnalysisExplanation, WindowDistanceInMicrosecondsAndPerCent)
{
    struct Case {
        int measured, min, max, us;
        double percent;
    };
    for (const Case& c :
         {Case{11700, 8100, 10800, 900, 900 * 100.0 / 10800}, Case{800, 900, 1350, -100, 100 * 100.0 / 900},
          Case{900, 900, 1350, 0, 0}, Case{1350, 900, 1350, 0, 0}, Case{560, 0, 0, 560, -1}}) {
        const WindowCheck w{TimingWindow::ZeroWidth, 1, c.measured, c.min, c.max};
        EXPECT_EQ(w.outsideUs(), c.us) << c.measured;
        EXPECT_DOUBLE_EQ(w.outsidePercent(), c.percent) << c.measured;
    }
}

TEST(AnalysisExplanation, JsonCarriesTheSameContent)
{
    Learned l(nominal("NEC", 3, {0x20, 0xDF, 0x10, 0xEF}), 380);
    const QJsonObject o = explanationJson(l.x);
    EXPECT_EQ(o["source"].toString(), "learned");
    EXPECT_EQ(o["verdict"]["result"].toString(), l.rig.resultCell(1));
    EXPECT_EQ(o["verdict"]["candidate"].toInt(), 3);
    EXPECT_EQ(o["text"].toString(), l.text);
    const QJsonArray c = o["candidates"].toArray();
    ASSERT_EQ(c.size(), kCandidateCount);
    EXPECT_EQ(c[0]["first_failure"].toString(), "leader_high");
    EXPECT_TRUE(c[3]["timing_passed"].toBool());
    EXPECT_FALSE(c[4]["tried"].toBool());
}

} // namespace
} // namespace zovax::test
