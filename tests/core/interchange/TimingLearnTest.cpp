// Durations turned into rows through the learning pipeline without a board.
#include "core/interchange/TimingLearn.h"
#include "core/learning/LearnTestRig.h"

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

// A press captured as it is (sent once) gives the row that learning the same
// wave lines through the board gives, for every protocol of the library.
TEST(TimingLearn, SameRowAsLearningTheBoardLines)
{
    TimingLearner learner;
    for (const irsig::Protocol& p : irsig::catalogue()) {
        for (int jitter : {0, 3}) {
            const irsig::Noise noise{7, jitter, jitter ? 40 : 0};
            // The closing silence the board reports after a press (learning time + 50 ms).
            const auto pairs = irsig::encode(p, p.exampleCode, -1, noise, 550000);
            LearnRig rig;
            rig.view.cursorAutoOn = false;
            rig.view.learningMsgOn = false;
            rig.learn(pairs, p.carrierTenths);

            const LearnedRow row = learner.learn({p.carrierTenths * 100, durationsOf(pairs), {}});
            ASSERT_TRUE(row.ok) << p.name << " " << row.error.toStdString();
            EXPECT_EQ(row.cells[3], rig.resultCell(1)) << p.name;
            EXPECT_EQ(row.cells[0], rig.table.cell(kColCarry, 1)) << p.name;
            EXPECT_EQ(row.cells[1], rig.table.cell(kColFrames, 1)) << p.name;
            EXPECT_TRUE(row.entry == rig.table.entry(1)) << p.name << " jitter " << jitter;
        }
    }
}

// Once and repeat parts: the press is held, so the repeat part is found as
// the repeating frame.
TEST(TimingLearn, HeldPressRepeatsTheRepeatPart)
{
    const irsig::Protocol* nec = irsig::findProtocol("NEC");
    const auto frame = durationsOf(irsig::encodeNominal(*nec, {0x20, 0xDF, 0x10, 0xEF}, 0, 108000 - 67500));
    const LearnedRow row = learnTiming({38000, frame, {9000, 2250, 560, 108000 - 11250 - 560}});
    ASSERT_TRUE(row.ok) << row.error.toStdString();
    EXPECT_EQ(row.cells[3], QStringLiteral("Tm:NEC-32R    d:20DF 10EF"));
    EXPECT_EQ(row.cells[1], QStringLiteral("3"));
    EXPECT_EQ(row.cells[0], QStringLiteral("38.0kHz"));
    EXPECT_EQ(row.entry.repeat, 34);
    EXPECT_EQ(row.entry.dataCount, 36);
}

TEST(TimingLearn, RefusesWhatARowCannotHold)
{
    struct Bad {
        IrTiming t;
        const char* part;
    };
    const std::vector<int> tooMany(2 * (kDataSymbols + 1), 500);
    for (const Bad& b : std::vector<Bad>{
             {{38000, {}, {}}, "ありません"},
             {{38000, {500, 500, 500}, {}}, "先頭部: 時間が 3 個"},
             {{38000, {500, 0}, {}}, "先頭部の 2 番目"},
             {{38000, {500, 500}, {100000, 500}}, "繰返し部の 1 番目"},
             {{38000, {500, 9999999}, {}}, "先頭部の 2 番目"},
             {{3, {500, 500}, {}}, "搬送波周波数: 3 Hz"},
             {{600000, {500, 500}, {}}, "搬送波周波数"},
             {{38000, tooMany, {}}, "4097 組"},
         }) {
        const LearnedRow row = learnTiming(b.t);
        EXPECT_FALSE(row.ok);
        EXPECT_TRUE(row.error.contains(QString::fromUtf8(b.part))) << row.error.toStdString();
    }
}

} // namespace
} // namespace zovax::test
