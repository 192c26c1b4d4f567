// The fire test: the exact command lines for the edge cases of an entry, and
// the run around them (not connected, blank Carry, trace echo, Cursor Auto).
#include "core/table/FireTest.h"
#include "app/FakePorts.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "support/LinkRig.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace zovax;

namespace {

TableEntry entryWith(std::initializer_list<std::pair<int, int>> pairs, std::initializer_list<int> data)
{
    TableEntry e;
    e.flag = 5;
    e.carrier = 380;
    e.repeat = 2;
    int i = 0;
    for (auto [h, w] : pairs) {
        e.high[i] = h;
        e.width[i] = w;
        ++i;
    }
    int k = 0;
    for (int d : data)
        e.data[k++] = uint8_t(d);
    e.dataCount = int(data.size());
    return e;
}

const IrOutputs kAll{true, true, true, true};

TEST(FireTestCommands, AFullEntryInOrder)
{
    const TableEntry e = entryWith({{9000, 13500}, {560, 1120}, {560, 2250}}, {0, 1, 2, 1});
    EXPECT_EQ(FireTestCommands(e, {true, true, false, true}, "3"),
              QStringList({"Tp:1101", "Twf:000", "Twc:380", "Twb:004", "Twr:002", "Twp:0:09000,013500",
                           "Twp:1:00560,001120", "Twp:2:00560,002250", "Twp:3:00000,000000", "Twd:0121", "Tf:003"}));
}

TEST(FireTestCommands, OutputSelections)
{
    const TableEntry e;
    const std::pair<IrOutputs, const char*> rows[] = {{{false, false, false, false}, "Tp:0000"},
                                                      {{true, false, false, false}, "Tp:1000"},
                                                      {{false, false, false, true}, "Tp:0001"},
                                                      {kAll, "Tp:1111"}};
    for (const auto& [outs, tp] : rows)
        EXPECT_EQ(FireTestCommands(e, outs, "").front(), tp);
}

// The pattern list ends after the first pair i whose high and the next high
// are both 0, and after pair 15 in any case.
struct PairRow {
    const char* name;
    std::vector<int> highs; // pairs 0.. (widths = high + 1000)
    int lines;
};

class PairListTest : public ::testing::TestWithParam<PairRow> {};

TEST_P(PairListTest, EndsWhereTheHighTimesStop)
{
    TableEntry e;
    for (size_t i = 0; i < GetParam().highs.size(); ++i) {
        e.high[i] = GetParam().highs[i];
        e.width[i] = GetParam().highs[i] ? GetParam().highs[i] + 1000 : 0;
    }
    const QStringList c = FireTestCommands(e, kAll, "");
    const QStringList twp = c.filter(QRegularExpression("^Twp:"));
    EXPECT_EQ(twp.size(), GetParam().lines);
    for (int i = 0; i < twp.size(); ++i)
        EXPECT_TRUE(twp[i].startsWith(QString::asprintf("Twp:%X:", i))) << twp[i].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pairs, PairListTest,
                         ::testing::Values(PairRow{"empty", {}, 1}, PairRow{"fourFilled", {900, 560, 560, 300}, 5},
                                           PairRow{"zeroThenNonZeroGoesOn", {900, 0, 560}, 4},
                                           PairRow{"zeroZeroInTheMiddle", {900, 560, 0, 0, 560}, 3},
                                           PairRow{"fifteenFilled", std::vector<int>(15, 500), 16},
                                           PairRow{"allSixteenFilled", std::vector<int>(16, 500), 16},
                                           PairRow{"lastButOneZero",
                                                   [] {
                                                       std::vector<int> v(16, 500);
                                                       v[14] = 0;
                                                       return v;
                                                   }(),
                                                   16}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(FireTestCommands, DataDigitsEvenInNumberAndBounded)
{
    struct Row {
        std::vector<int> data;
        int count; // dataCount as stored (may be out of range)
        const char* twb;
        const char* twd;
    };
    const Row rows[] = {
        {{}, 0, "Twb:000", "Twd:"},
        {{1, 2, 3}, 3, "Twb:003", "Twd:1233"},
        {{10, 11, 12, 13, 14, 15}, 6, "Twb:006", "Twd:ABCDEF"},
        {{5}, 1, "Twb:001", "Twd:55"},
        {{0x1F, 0x20}, 2, "Twb:002", "Twd:F0"}, // one hexadecimal digit per symbol
        {{}, -4, "Twb:000", "Twd:"},
    };
    for (const Row& r : rows) {
        TableEntry e;
        for (size_t k = 0; k < r.data.size(); ++k)
            e.data[k] = uint8_t(r.data[k]);
        e.dataCount = r.count;
        const QStringList c = FireTestCommands(e, kAll, "");
        EXPECT_TRUE(c.contains(r.twb)) << r.twb;
        EXPECT_EQ(c.last(), r.twd);
    }
    // A data count beyond the 4096 symbols reads no further than the entry.
    TableEntry big;
    big.dataCount = 5000;
    big.data.fill(7);
    const QStringList c = FireTestCommands(big, kAll, "");
    EXPECT_TRUE(c.contains("Twb:4096"));
    EXPECT_EQ(c.last(), "Twd:" + QString(4096, '7'));
}

TEST(FireTestCommands, FramesCell)
{
    const std::pair<const char*, const char*> rows[]
        = {{"1", "Tf:001"}, {"3", "Tf:003"},   {"12", "Tf:012"}, {"abc", "Tf:003"},
           {" ", "Tf:003"}, {" 7 ", "Tf:007"}, {"2x", "Tf:003"}};
    for (const auto& [cell, tf] : rows)
        EXPECT_EQ(FireTestCommands(TableEntry{}, kAll, cell).last(), tf) << cell;
    EXPECT_TRUE(FireTestCommands(TableEntry{}, kAll, "").last().startsWith("Twd:"))
        << "an empty Frames cell sends no Tf";
}

struct FakeFireView : FireTestView {
    IrOutputs outs = kAll;
    bool autoCursor = true;
    bool trace = false;
    int row = 1;
    QStringList selections;
    IrOutputs outputs() const override { return outs; }
    bool cursorAuto() const override { return autoCursor; }
    bool traceMode() const override { return trace; }
    int currentRow() const override { return row; }
    void selectCell(int column, int r) override
    {
        selections << QString("%1,%2").arg(column).arg(r);
        row = r;
    }
};

struct FireRunTest : ::testing::Test, test::LinkRig {
    CodeTable table;
    FireTest fire{link, table, prompts};
    FakeFireView view;
    QStringList indicator;

    void SetUp() override
    {
        link.handlers.SetLearnIndicator = [this](bool on) { indicator << (on ? "on" : "off"); };
        link.state().tcpConnected = true;
        // The board answers the emission command only, unless it is silent.
        QObject::connect(&link, &DeviceLink::tcpFrameSent, [this] {
            if (!silent && sent.last().startsWith("Tf:"))
                link.SetReplyAck();
        });
    }
    bool silent = false;
    void fillRow(int row, const QString& carry, const QString& frames)
    {
        table.setCell(kColCarry, row, carry);
        table.setCell(kColFrames, row, frames);
        table.entry(row) = entryWith({{600, 1200}}, {0, 0});
    }
};

TEST_F(FireRunTest, SendsTheRowAndMovesToTheNextRow)
{
    fillRow(5, "38.0", "2");
    view.row = 5;
    EXPECT_TRUE(fire.run(view));
    EXPECT_EQ(sent,
              QStringList({"Tp:1111", "Twf:000", "Twc:380", "Twb:002", "Twr:002", "Twp:0:00600,001200",
                           "Twp:1:00000,000000", "Twd:00", "Tf:002"}));
    EXPECT_EQ(table.entry(5).flag, 0) << "the record keeps the flag it was sent with";
    EXPECT_EQ(view.selections, QStringList({"1,5", "1,6"}));
    EXPECT_EQ(indicator, QStringList({"off"}));
    EXPECT_TRUE(log.lines.isEmpty()) << "no echo without trace mode";
}

// A board that stops answering: the receive log names the first command it left unanswered.
TEST_F(FireRunTest, UnansweredCommandIsNamedInTheLog)
{
    fillRow(5, "38.0", "2");
    view.row = 5;
    fire.answerWaitMs = 50;
    silent = true;
    fire.run(view);
    EXPECT_EQ(log.lines, QStringList{"Fire test: no answer to Tf:002"});
}

TEST_F(FireRunTest, TraceModeEchoesEveryCommand)
{
    fillRow(1, "38.0", "");
    view.trace = true;
    fire.run(view);
    EXPECT_EQ(log.lines, sent);
    EXPECT_FALSE(sent.isEmpty());
    EXPECT_FALSE(sent.last().startsWith("Tf:"));
}

TEST_F(FireRunTest, ABlankCarryCellSendsNothing)
{
    for (const char* carry : {"", "   "}) {
        sent.clear();
        indicator.clear();
        view.selections.clear();
        fillRow(7, carry, "3");
        view.row = 7;
        EXPECT_FALSE(fire.run(view));
        EXPECT_TRUE(sent.isEmpty());
        EXPECT_EQ(indicator, QStringList({"off"}));
        EXPECT_EQ(view.selections, QStringList({"1,7"}));
        EXPECT_EQ(table.entry(7).flag, 5) << "an entry not sent is not changed";
    }
}

TEST_F(FireRunTest, CursorAutoStopsAtTheLastRowAndCanBeOff)
{
    fillRow(999, "38.0", "1");
    view.row = 999;
    fire.run(view);
    EXPECT_EQ(view.selections, QStringList({"1,999"}));
    fillRow(3, "38.0", "1");
    view.row = 3;
    view.autoCursor = false;
    view.selections.clear();
    fire.run(view);
    EXPECT_EQ(view.selections, QStringList({"1,3"}));
}

TEST_F(FireRunTest, NotConnectedShowsTheMessage)
{
    link.state().tcpConnected = false;
    fillRow(1, "38.0", "1");
    EXPECT_FALSE(fire.run(view));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "確認");
    EXPECT_EQ(prompts.asked[0].text, "ZOVAX-Etherに接続して下さい");
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(indicator.isEmpty());
}

} // namespace
