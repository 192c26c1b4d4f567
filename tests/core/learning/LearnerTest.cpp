// Learning: switching, storing pairs into patterns, completion, the result line
// and Cursor Auto.
#include "LearnTestRig.h"

#include "core/learning/Learner.h"

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

// A frame of `n` pairs: a leader, n - 2 bits (alternating by `code`), and a
// stop pair whose Width fills the frame to `periodUs`.
std::vector<irsig::Pair> frame(int n, uint32_t code, int periodUs = 108000)
{
    std::vector<irsig::Pair> f{{9000, 13500}};
    int used = 13500;
    for (int i = 0; i < n - 2; ++i) {
        const bool one = (code >> (i % 32)) & 1u;
        f.push_back({560, one ? 2250 : 1120});
        used += f.back().width;
    }
    f.push_back({560, periodUs - used});
    return f;
}

std::vector<irsig::Pair> frames(int count, int n, uint32_t code)
{
    std::vector<irsig::Pair> all;
    for (int i = 0; i < count; ++i) {
        const auto f = frame(n, code);
        all.insert(all.end(), f.begin(), f.end());
    }
    return all;
}

irsig::Pair pairAt(const WaveChannel& ch, int i)
{
    return {ch.pulses[size_t(i)].high, ch.pulses[size_t(i)].width};
}

TEST(ToggleLearning, AsksToConnectFirst)
{
    LearnRig rig;
    rig.link.state().tcpConnected = false;
    rig.learner().ToggleLearning();
    ASSERT_EQ(rig.prompts.asked.size(), 1u);
    EXPECT_EQ(rig.prompts.asked[0].caption, "確認");
    EXPECT_EQ(rig.prompts.asked[0].text, "ZOVAX-Etherに接続して下さい");
    EXPECT_EQ(rig.prompts.asked[0].icon, MsgIcon::Exclamation);
    // The serial link in use but its port closed: the same.
    rig.link.state().tcpConnected = true;
    rig.view.serialMenu = true;
    rig.learner().ToggleLearning();
    EXPECT_EQ(rig.prompts.asked.size(), 2u);
    EXPECT_TRUE(rig.sent.isEmpty());
    EXPECT_FALSE(rig.view.indicatorLit);
}

TEST(ToggleLearning, RefusedWhileTheBoardRunsItsLoader)
{
    LearnRig rig;
    rig.link.state().boardInLoader = true;
    rig.learner().ToggleLearning();
    ASSERT_EQ(rig.prompts.asked.size(), 1u);
    EXPECT_EQ(rig.prompts.asked[0].text, boardInLoaderText());
    EXPECT_TRUE(rig.sent.isEmpty());
    EXPECT_FALSE(rig.view.indicatorLit);
}

TEST(ToggleLearning, SwitchesOnWithTheLearningTime)
{
    struct Case {
        QString typed;
        QString shown;
        QString lend;
        int64_t us;
    };
    for (const Case& c : {Case{"50", "100", "Lend:0100", 100000}, Case{"abc", "500", "Lend:0500", 500000},
                          Case{"1500", "1500", "Lend:1500", 1500000}, Case{"100", "100", "Lend:0100", 100000},
                          Case{"250000", "99999", "Lend:99999", 99999000}}) {
        LearnRig rig;
        rig.view.learningTime = c.typed;
        rig.log.append("old");
        rig.table.setCell(kColCarry, 1, "38.0kHz"); // row 1 is used
        rig.store().learn = {3, 4, 5};
        rig.learner().ToggleLearning();
        EXPECT_EQ(rig.sent, QStringList({"A", c.lend}));
        EXPECT_EQ(rig.view.learningTime, c.shown);
        EXPECT_EQ(rig.store().learnTimeUs, c.us);
        EXPECT_TRUE(rig.view.indicatorLit);
        EXPECT_TRUE(rig.log.lines.isEmpty());
        // Cursor Auto: all bands cleared, channel 0 next, the first empty row chosen.
        EXPECT_EQ(rig.view.clearedAreas, std::vector<int>{4});
        EXPECT_EQ(rig.store().currentChannel, 3);
        EXPECT_EQ(rig.view.row, 2);
        EXPECT_EQ(rig.view.column, 1);
        EXPECT_EQ(rig.store().learn.dataCount, 0);
        EXPECT_EQ(rig.store().learn.frameStart, 0);
    }
}

TEST(ToggleLearning, SwitchesOffWhenLit)
{
    LearnRig rig;
    rig.view.indicatorLit = true;
    rig.view.progressVisible = true;
    rig.learner().ToggleLearning();
    EXPECT_EQ(rig.sent, QStringList{"T"});
    EXPECT_FALSE(rig.view.indicatorLit);
    EXPECT_EQ(rig.view.indicatorColourOffCalls, 1);
    EXPECT_FALSE(rig.view.progressVisible);
}

TEST(ToggleLearning, WithoutCursorAutoClearsTheCurrentBandOnly)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.store().currentChannel = 2;
    rig.learner().ToggleLearning();
    EXPECT_EQ(rig.view.clearedAreas, std::vector<int>{2});
    EXPECT_EQ(rig.store().currentChannel, 2);
}

TEST(WaveLines, GroupPairsIntoPatternWindows)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    // 562 with 20 %: window 449..674, mean 561 -> 560. 1125 with 15 %: 956..1293 -> 1120.
    const auto pairs = pairsOf({{562, 1125}, {674, 1125}, {600, 1200}, {562, 1125}});
    const WaveChannel& ch = rig.store().channels[0];
    auto line = [&](int i) { return QString::fromStdString(irsig::waveLine(i, pairs[size_t(i)], false)); };
    rig.learner().OnWaveLine(line(0));
    EXPECT_EQ(rig.store().currentChannel, 0); // "none" wraps to channel 0 even without Cursor Auto
    EXPECT_EQ(ch.patterns[0].high, 560);
    EXPECT_EQ(ch.patterns[0].width, 1120);
    // High exactly on the window's bound (674 = Hmax) starts a new pattern.
    rig.learner().OnWaveLine(line(1));
    EXPECT_EQ(ch.patternIndex[1], 1);
    // 600/1200 lies inside pattern 0's window: it joins it and widens it.
    rig.learner().OnWaveLine(line(2));
    EXPECT_EQ(ch.patternIndex[2], 0);
    const PatternWindow& w = rig.store().patternWindow[0];
    EXPECT_EQ(w.hMin, 449);
    EXPECT_EQ(w.hMax, 720);
    EXPECT_EQ(w.wMin, 956);
    EXPECT_EQ(w.wMax, 1380);
    // Mean of the widened window averaged with the old mean, rounded to 10:
    // ((449 + 720) / 2 + 560) / 2 = 572 -> 570; ((956 + 1380) / 2 + 1120) / 2 = 1144 -> 1140.
    EXPECT_EQ(ch.patterns[0].high, 570);
    EXPECT_EQ(ch.patterns[0].width, 1140);
    // Another member: the window stays, the mean moves on: (584 + 570) / 2 = 577 -> 580.
    rig.learner().OnWaveLine(line(3));
    EXPECT_EQ(ch.patterns[0].high, 580);
    EXPECT_EQ(ch.patterns[0].width, 1150);
    EXPECT_EQ(ch.patternCount, 2);
    EXPECT_EQ(ch.lastIndex, 3);
    EXPECT_EQ(ch.patternIndex[4], 0);
    EXPECT_EQ(rig.store().totalWidth, 1125 * 3 + 1200);
    EXPECT_EQ(rig.view.progress, 4);
    EXPECT_EQ(rig.view.drawn.size(), 4u);
}

TEST(WaveLines, OutOfRangeAndLateLinesAreDropped)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.feed(pairsOf({{500, 1000}, {500, 2000}}));
    // Index 4096 (4-digit layout) and a negative index are ignored.
    rig.learner().OnWaveLine("[4096]:00500,0001000");
    rig.learner().OnWaveLine("[-01]:00500,001000");
    EXPECT_EQ(rig.store().channels[0].lastIndex, 1);
    rig.learner().OnWaveLine("[4095]:00500,0001000");
    EXPECT_EQ(rig.store().channels[0].lastIndex, 4095);
    EXPECT_EQ(rig.store().channels[0].patternIndex[4096], 0);
    // Once complete, further lines change nothing.
    rig.store().learn.dataCount = 5;
    rig.learner().OnWaveLine("[002]:00500,001000");
    EXPECT_EQ(rig.store().channels[0].lastIndex, 4095);
}

TEST(WaveLines, NoChannelBeforeTheFirstTrain)
{
    LearnRig rig;
    rig.learner().OnWaveLine("[005]:00500,001000");
    for (const WaveChannel& ch : rig.store().channels)
        EXPECT_EQ(ch.lastIndex, 0);
    EXPECT_TRUE(rig.view.drawn.empty());
}

TEST(Completion, SixFramesCompleteOnTheFourthRepeat)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.learningMsgOn = false;
    const auto pairs = frames(6, 36, 0x20DF10EFu);
    rig.feed(pairs);
    const LearnState& ls = rig.store().learn;
    EXPECT_EQ(ls.frameStart, 0);
    EXPECT_EQ(ls.dataCount, 36);
    EXPECT_EQ(ls.frameCount, 4);
    // Completed on the first line with four repeats, long before the last pair.
    EXPECT_EQ(rig.store().channels[0].lastIndex, 181);
    EXPECT_EQ(rig.log.lines, QStringList{"Learning Completed !"});
    EXPECT_EQ(rig.sounds.chimes, 1);
}

TEST(Completion, AlikePairsAreOneFrame)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.learningMsgOn = false;
    rig.view.learningTime = "100";
    std::vector<irsig::Pair> pairs(30, irsig::Pair{500, 1000});
    rig.feed(pairs);
    EXPECT_EQ(rig.store().learn.dataCount, 0); // waits for the end of the press
    pairs.push_back({500, 150000});
    rig.learner().OnWaveLine(QString::fromStdString(irsig::waveLine(30, pairs[30], false)));
    EXPECT_EQ(rig.store().learn.frameStart, 0);
    EXPECT_EQ(rig.store().learn.dataCount, 31);
    EXPECT_EQ(rig.store().learn.frameCount, 1);
}

struct MessageCase {
    int64_t totalWidth;
    int frameCount;
    const char* caption;
    QString text;
};

TEST(Completion, MessageBoxTexts)
{
    const MessageCase cases[] = {
        {400000, 1, "警告", "学習の信頼性が低いです。リモコンのボタンを１秒以上押して下さい。"},
        {400000, 3, "確認", "学習完了しました。\nリモコンのボタンを離して下さい。"},
        {600000, 1, "確認", "学習完了しました。\n但し繰返しフレームが1回なので、信頼性は低いです。"},
        {600000, 0, "確認", "学習完了しました。\nリモコンのボタンを離して下さい。"},
        {600000, 4, "確認", "学習完了しました。\nリモコンのボタンを離して下さい。"},
    };
    for (const MessageCase& c : cases) {
        LearnRig rig;
        rig.view.cursorAutoOn = false;
        rig.store().learnTimeUs = 500000;
        rig.store().totalWidth = c.totalWidth;
        rig.store().learn.frameCount = c.frameCount;
        EXPECT_FALSE(rig.learner().NotifyLearnComplete());
        ASSERT_EQ(rig.view.boxes.size(), 1u);
        EXPECT_EQ(rig.view.boxes[0].caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(rig.view.boxes[0].text, c.text);
        EXPECT_EQ(rig.sounds.chimes, 1);
        EXPECT_TRUE(rig.view.learningMsgOn);
    }
}

TEST(Completion, DontShowAgainSwitchesTheReportsOff)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.dontShowAgain = true;
    rig.learner().NotifyLearnComplete();
    EXPECT_FALSE(rig.view.learningMsgOn); // "学習確認" unchecked
    rig.learner().NotifyLearnComplete();
    EXPECT_EQ(rig.view.boxes.size(), 1u); // no second box
    EXPECT_EQ(rig.log.lines, QStringList{"Learning Completed !"});
    EXPECT_EQ(rig.sounds.chimes, 2);
    // Ticking "学習確認" again brings the box back.
    rig.view.learningMsgOn = true;
    rig.view.dontShowAgain = false;
    rig.learner().NotifyLearnComplete();
    EXPECT_EQ(rig.view.boxes.size(), 2u);
    EXPECT_TRUE(rig.view.learningMsgOn);
}

TEST(ResultLine, FillsTheRowAndItsEntry)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.learningMsgOn = false;
    rig.view.row = 7;
    rig.table.entry(7).flag = 999; // left as it is
    const auto pairs = frames(6, 36, 0x20DF10EFu);
    rig.learn(pairs, 380);
    const TableEntry& e = rig.table.entry(7);
    EXPECT_EQ(rig.table.cell(kColCarry, 7), "38.0kHz");
    EXPECT_EQ(rig.table.cell(kColFrames, 7), "3");
    EXPECT_FALSE(rig.resultCell(7).isEmpty());
    EXPECT_EQ(rig.view.column, kColComments);
    EXPECT_EQ(e.flag, 999);
    EXPECT_EQ(e.carrier, 380);
    EXPECT_EQ(e.dataCount, 36);
    EXPECT_EQ(e.repeat, 0);
    const WaveChannel& ch = rig.store().channels[0];
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(e.high[size_t(i)], ch.patterns[size_t(i)].high);
        EXPECT_EQ(e.width[size_t(i)], ch.patterns[size_t(i)].width);
    }
    for (int j = 0; j < 36; ++j)
        EXPECT_EQ(e.data[size_t(j)], ch.patternIndex[size_t(j)]);
    EXPECT_EQ(e.data[36], 0);
    EXPECT_TRUE(rig.table.modified());
    EXPECT_FALSE(rig.view.progressVisible);
    EXPECT_EQ(ch.channelRow, 7);
    EXPECT_EQ(rig.store().carrierTenths, 380);
}

TEST(ResultLine, ForcedCompletionShowsOneFrame)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.learningMsgOn = false;
    rig.feed(frames(2, 36, 0x20DF10EFu)); // too short to be decided
    EXPECT_EQ(rig.store().learn.dataCount, 0);
    rig.result(400);
    EXPECT_EQ(rig.store().learn.dataCount, 72); // lastIndex + 1
    EXPECT_EQ(rig.store().learn.frameCount, 0);
    EXPECT_EQ(rig.table.cell(kColFrames, 1), "1");
    EXPECT_EQ(rig.table.cell(kColCarry, 1), "40.0kHz");
    EXPECT_TRUE(rig.view.boxes.empty());
    EXPECT_TRUE(rig.log.lines.isEmpty()); // no completion message either
}

TEST(ResultLine, SeventeenPatternsCannotBeLearned)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    std::vector<irsig::Pair> pairs;
    int width = 2000;
    for (int i = 0; i < 17; ++i, width = width * 14 / 10)
        pairs.push_back({500, width}); // each Width 1.4 times the last: a new pattern each
    rig.learn(pairs);
    const WaveChannel& ch = rig.store().channels[0];
    EXPECT_EQ(ch.patternCount, 17);
    EXPECT_EQ(ch.patternIndex[16], 16);
    EXPECT_EQ(ch.patterns[15].high, 500); // the 16th has its mean; the 17th none
    ASSERT_EQ(rig.prompts.asked.size(), 1u);
    EXPECT_EQ(rig.prompts.asked[0].caption, "警告");
    EXPECT_EQ(rig.prompts.asked[0].text, "学習出来ません。");
    EXPECT_EQ(rig.prompts.asked[0].icon, MsgIcon::Error);
    for (int c = 1; c <= 4; ++c)
        EXPECT_TRUE(rig.table.cell(c, 1).isEmpty());
    EXPECT_EQ(rig.table.entry(1), TableEntry{});
    EXPECT_FALSE(rig.table.modified());
}

TEST(ResultLine, CarrierThatIsNotANumberWritesNothing)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.feed(frames(6, 36, 0x20DF10EFu));
    const int rowBefore = rig.view.row;
    const QStringList sentBefore = rig.sent;
    rig.log.lines.clear();
    rig.learner().OnAverageLine("Ave.Carrier3x.0kHz");
    ASSERT_EQ(rig.log.lines.size(), 1);
    EXPECT_TRUE(rig.log.lines[0].contains("3x.0")) << rig.log.lines[0].toStdString();
    for (int c = 1; c <= 4; ++c)
        EXPECT_TRUE(rig.table.cell(c, rowBefore).isEmpty());
    EXPECT_EQ(rig.table.entry(rowBefore), TableEntry{});
    EXPECT_FALSE(rig.table.modified());
    EXPECT_EQ(rig.sent, sentBefore); // not re-armed either
    EXPECT_EQ(rig.view.row, rowBefore);
}

TEST(ResultLine, WithoutAnyLearnIsReported)
{
    LearnRig rig;
    rig.learner().OnAverageLine("Ave.Carrier38.0kHz");
    EXPECT_EQ(rig.log.lines.size(), 1);
    EXPECT_TRUE(rig.table.cell(kColCarry, 1).isEmpty());
}

TEST(CursorAuto, FillsRowsAndChannelsInTurn)
{
    LearnRig rig;
    rig.view.learningMsgOn = false;
    rig.learner().ToggleLearning();
    rig.sent.clear();
    const auto pairs = frames(6, 36, 0x20DF10EFu);
    for (int n = 0; n < 6; ++n) {
        rig.learn(pairs);
        EXPECT_EQ(rig.store().currentChannel, n % 4) << n;
        EXPECT_EQ(rig.store().channels[size_t(n % 4)].channelRow, n + 1);
        EXPECT_FALSE(rig.table.cell(kColCarry, n + 1).isEmpty());
        EXPECT_EQ(rig.view.row, n + 2); // re-armed on the next row
        EXPECT_EQ(rig.store().learn.dataCount, 0);
        EXPECT_TRUE(rig.view.indicatorLit);
    }
    EXPECT_EQ(rig.sent, QStringList(6, "A"));
    EXPECT_TRUE(rig.table.cell(kColCarry, 7).isEmpty());
}

TEST(CursorAuto, ResultArrivingWhileTheBoxIsOpenAdvancesOnce)
{
    LearnRig rig;
    rig.learner().ToggleLearning();
    const auto pairs = frames(6, 36, 0x20DF10EFu);
    // The rest of the press and the result line are handled while the box is open.
    rig.view.whileShowing = [&] {
        for (size_t i = size_t(rig.store().channels[0].lastIndex) + 1; i < pairs.size(); ++i)
            rig.learner().OnWaveLine(QString::fromStdString(irsig::waveLine(int(i), pairs[i], false)));
        rig.result(380);
    };
    for (size_t i = 0; i < pairs.size() && rig.view.boxes.empty(); ++i)
        rig.learner().OnWaveLine(QString::fromStdString(irsig::waveLine(int(i), pairs[i], false)));
    EXPECT_EQ(rig.view.boxes.size(), 1u);
    EXPECT_FALSE(rig.table.cell(kColCarry, 1).isEmpty());
    EXPECT_EQ(rig.view.row, 2);
    EXPECT_EQ(rig.sent.count("A"), 2); // switch-on and one re-arm
}

TEST(CursorAuto, BoxClosedBeforeTheResultLineDefersTheRearm)
{
    LearnRig rig;
    rig.learner().ToggleLearning();
    const auto pairs = frames(6, 36, 0x20DF10EFu);
    // The user closes the box at once; the rest of the train and the result line
    // were still queued behind it.
    rig.feed(pairs);
    EXPECT_EQ(rig.view.boxes.size(), 1u);
    EXPECT_TRUE(rig.learner().resultPending());
    EXPECT_EQ(rig.view.row, 1);                 // not re-armed yet
    EXPECT_EQ(rig.store().learn.dataCount, 36); // the rest of the train was ignored
    rig.result(380);
    EXPECT_FALSE(rig.table.cell(kColCarry, 1).isEmpty());
    EXPECT_EQ(rig.store().channels[0].channelRow, 1);
    EXPECT_TRUE(rig.table.cell(kColCarry, 2).isEmpty());
    EXPECT_EQ(rig.view.row, 2);
    EXPECT_EQ(rig.sent.count("A"), 2);
    EXPECT_EQ(rig.view.boxes.size(), 1u);
}

TEST(ToggleLearning, SilentBoardLeavesTheIndicatorOffAndSaysSo)
{
    LearnRig rig;
    rig.ackLend = false;
    rig.learner().ToggleLearning();
    EXPECT_EQ(rig.sent, QStringList({"A", "Lend:0500"}));
    EXPECT_EQ(rig.log.lines, QStringList({"Lend:0500: no answer"}));
    EXPECT_FALSE(rig.view.indicatorLit);
}

TEST(CursorAuto, MissingResultLineEndsTheWaitAndLearnsOnTheNextRow)
{
    LearnRig rig;
    rig.learner().ToggleLearning();
    const auto pairs = frames(6, 36, 0x20DF10EFu);
    rig.feed(pairs); // completes; the box is closed at once, the result line never comes
    ASSERT_TRUE(rig.learner().resultPending());
    EXPECT_TRUE(rig.learner().resultWait().isActive());
    EXPECT_EQ(rig.learner().resultWait().interval(), 500 + Learner::kResultMarginMs);
    rig.log.lines.clear();
    rig.learner().ResultWaitExpired();
    EXPECT_FALSE(rig.learner().resultPending());
    ASSERT_EQ(rig.log.lines.size(), 1);
    EXPECT_TRUE(rig.log.lines[0].startsWith("No result line")) << rig.log.lines[0].toStdString();
    EXPECT_EQ(rig.sent.count("A"), 2);
    EXPECT_EQ(rig.view.row, 2);
    EXPECT_TRUE(rig.view.indicatorLit);
    // The next press is learned again.
    rig.view.learningMsgOn = false;
    rig.learn(pairs);
    EXPECT_FALSE(rig.table.cell(kColCarry, 2).isEmpty());
}

TEST(CursorAuto, ResultAfterTheUserSwitchedOffIsWrittenWithoutRearming)
{
    LearnRig rig;
    rig.learner().ToggleLearning();
    rig.feed(frames(6, 36, 0x20DF10EFu));
    rig.learner().ToggleLearning(); // off, before the result line
    EXPECT_EQ(rig.sent.last(), "T");
    rig.result(380);
    EXPECT_FALSE(rig.table.cell(kColCarry, 1).isEmpty());
    EXPECT_EQ(rig.sent.last(), "T");
    EXPECT_FALSE(rig.view.indicatorLit);
    EXPECT_EQ(rig.view.row, 1);
}

TEST(CursorAuto, AFailedResultStillRearms)
{
    LearnRig rig;
    rig.learner().ToggleLearning();
    rig.feed(frames(6, 36, 0x20DF10EFu));
    EXPECT_EQ(rig.view.row, 1);
    rig.learner().OnAverageLine("Ave.CarrierkHz");
    EXPECT_TRUE(rig.table.cell(kColCarry, 1).isEmpty());
    EXPECT_EQ(rig.view.row, 2);
    EXPECT_EQ(rig.sent.count("A"), 2);
}

TEST(CursorAuto, CompletionAtTheResultLineWritesTheArrivalRow)
{
    LearnRig rig;
    rig.learner().ToggleLearning(); // Cursor Auto and "学習確認" both checked
    rig.view.row = 5;
    // Six short frames, 126 ms in all: below the learning time, so only the
    // result line decides the learn.
    std::vector<irsig::Pair> pairs;
    for (int f = 0; f < 6; ++f)
        for (auto p : pairsOf({{9000, 13500}, {560, 1120}, {560, 2250}, {560, 1120}, {560, 3000}}))
            pairs.push_back(p);
    rig.feed(pairs);
    EXPECT_EQ(rig.store().learn.dataCount, 0);
    const qsizetype sentBefore = rig.sent.size();
    rig.result(380);
    EXPECT_EQ(rig.store().channels[0].channelRow, 5);
    EXPECT_FALSE(rig.table.cell(kColCarry, 5).isEmpty());
    EXPECT_EQ(rig.table.cell(kColFrames, 5), "3");
    EXPECT_TRUE(rig.table.cell(kColCarry, 6).isEmpty());
    ASSERT_EQ(rig.view.boxes.size(), 1u); // the completion notice, after the row was filled
    EXPECT_EQ(rig.view.boxes[0].text, learnmsg::kReleaseButton);
    EXPECT_EQ(rig.view.row, 6); // advanced once
    EXPECT_EQ(rig.sent.size() - sentBefore, 1);
}

TEST(ResultLine, TraceListing)
{
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.learningMsgOn = false;
    rig.view.traceOn = true;
    rig.view.learningTime = "100";
    // Leader, 3 bits, stop; five frames of 5 pairs and one more pair.
    std::vector<irsig::Pair> pairs;
    for (int f = 0; f < 6; ++f)
        for (auto p : pairsOf({{9000, 13500}, {560, 1120}, {560, 2250}, {560, 1120}, {560, 30000}}))
            pairs.push_back(p);
    rig.feed(pairs);
    ASSERT_EQ(rig.store().learn.dataCount, 5);
    rig.log.lines.clear();
    rig.result(380);
    const QStringList& l = rig.log.lines;
    ASSERT_EQ(l.size(), 25);
    EXPECT_EQ(l[0], "Carry:38.0kHz, DataSize:5, Repeat:0, Frames:4");
    EXPECT_EQ(l[1], "W0: 9000  13500");
    EXPECT_EQ(l[2], "W1:  560   1120");
    EXPECT_EQ(l[16], "WF:    0      0");
    // The sequence, cut after the first frame and then every frame.
    const int n = rig.store().channels[0].lastIndex;
    EXPECT_EQ(l[17], "01213:5");
    EXPECT_EQ(l[18], "01213:10");
    EXPECT_EQ(l[21], "01213:25");
    EXPECT_EQ(l[22], "01");
    EXPECT_EQ(l[23], "Code: 01213");
    EXPECT_EQ(l[24], "-----");
    EXPECT_EQ(n, 26); // four repeats of 5 pairs are seen once pair 26 has arrived
}

TEST(GridCursor, FirstEmptyRow)
{
    CodeTable table;
    table.setCell(kColCarry, 1, "38.0kHz");
    table.setCell(kColCarry, 2, "  ");
    EXPECT_EQ(FirstEmptyRow(table, 1), 2);
    table.setCell(kColCarry, 2, "40.0kHz");
    EXPECT_EQ(FirstEmptyRow(table, 1), 3);
    for (int r = 1; r <= 998; ++r)
        table.setCell(kColCarry, r, "x");
    EXPECT_EQ(FirstEmptyRow(table, 1), 0); // the last row is never chosen
    FakeLearnView view;
    view.row = 4;
    view.column = 3;
    SelectFirstEmptyRow(table, view);
    EXPECT_EQ(view.row, 4); // stays
    EXPECT_EQ(view.column, 3);
}

TEST(WaveClear, NextLearnUsesChannelZero)
{
    LearnRig rig;
    rig.feed(frames(1, 36, 1));
    rig.log.append("x");
    rig.learner().ClearAllWaves();
    EXPECT_TRUE(rig.log.lines.isEmpty());
    EXPECT_EQ(rig.store().currentChannel, 4);
    EXPECT_EQ(rig.store().channels[0].lastIndex, 0);
    rig.feed(frames(1, 36, 1));
    EXPECT_EQ(rig.store().currentChannel, 0);
    EXPECT_EQ(pairAt(rig.store().channels[0], 0), (irsig::Pair{9000, 13500}));
}

} // namespace
} // namespace zovax::test
