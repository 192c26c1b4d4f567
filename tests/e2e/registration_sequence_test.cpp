// Registration through frmTws against the simulator: the exact commands for
// the edge cases of an entry, the grid cursor and the dialog's status panel,
// Cancel while idle and while rows are written, and every failure (a silent
// board, an erase that never completes, a row the board rejects, a dropped
// link) reported and ending with the board out of table mode.
#include "RegistrationRig.h"

#include "core/table/TwRecords.h"
#include "support/Controls.h"

#include <QElapsedTimer>
#include <QItemSelectionModel>

using zovax::test::control;

using namespace zovax;
using namespace zovax::e2e;

namespace {

class RegistrationSequence : public RegistrationRig {
protected:
    void useSimpleRow(int row, int carrier = 380)
    {
        putEntry(row, synthEntry(carrier, {{9000, 13500}, {560, 1120}}, {0, 1, 1, 0}));
    }
    QStringList expectedRow(int row)
    {
        QStringList out = registrationRecords(table().entry(row));
        out << twsRecord(row);
        return out;
    }
};

TEST_F(RegistrationSequence, OnlyRowsThreeAndSevenAreSentAndTheCursorVisitsThem)
{
    useSimpleRow(3, 380);
    useSimpleRow(7, 400);
    std::vector<int> visited;
    QObject::connect(control<QTableView>(*w, "sGrid")->selectionModel(), &QItemSelectionModel::currentRowChanged,
                     [&](const QModelIndex& now) { visited.push_back(now.row() + 1); });
    registerTable();

    QStringList expected{"KRV:on", "Fe:7"};
    expected << expectedRow(3) << expectedRow(7) << "KRV:off";
    EXPECT_EQ(sentSinceClear(), expected);
    EXPECT_EQ(messages(), QStringList({"登録完了しました。  "}));
    EXPECT_EQ(prompts.asked.front().caption, "確認");
    EXPECT_NE(std::find(visited.begin(), visited.end(), 3), visited.end());
    EXPECT_NE(std::find(visited.begin(), visited.end(), 7), visited.end());
    EXPECT_EQ(TableController::cursorRow(control<QTableView>(*w, "sGrid")), 1);
    EXPECT_EQ(control<PanelStatusBar>(*tws, "sBar")->panelText(0), "Tws:007");
    EXPECT_FALSE(tws->isVisible());
    EXPECT_EQ(state().tableWriteMode, TableWriteMode::Off);
    EXPECT_TRUE(board->flash().entry(3)->used);
    EXPECT_TRUE(board->flash().entry(7)->used);
    EXPECT_EQ(board->flash().usedEntries(), 2);
}

struct EdgeEntry {
    const char* name;
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> data;
    int flag;
    QStringList twp; // the pattern lines expected
    const char* twd;
};

std::vector<std::pair<int, int>> sixteenPairs()
{
    std::vector<std::pair<int, int>> p;
    p.reserve(16);
    for (int i = 0; i < 16; ++i)
        p.emplace_back(400 + 10 * i, 900 + 20 * i);
    return p;
}

QStringList sixteenLines()
{
    QStringList out;
    for (int i = 0; i < 16; ++i)
        out << twpRecord(i, 400 + 10 * i, 900 + 20 * i);
    return out;
}

class RegistrationEdgeEntries : public RegistrationSequence, public ::testing::WithParamInterface<EdgeEntry> {};

TEST_P(RegistrationEdgeEntries, SendExactlyTheseRecordsAndTheBoardStoresThem)
{
    const EdgeEntry& c = GetParam();
    TableEntry e = synthEntry(380, c.pairs, c.data);
    e.flag = c.flag;
    putEntry(12, e);
    registerTable();
    QStringList expected{"KRV:on", "Fe:7", "Twf:000", "Twc:380", QString::asprintf("Twb:%03d", int(c.data.size())),
                         "Twr:001"};
    expected << c.twp << c.twd << "Tws:012"
             << "KRV:off";
    EXPECT_EQ(sentSinceClear(), expected);
    EXPECT_EQ(messages(), QStringList({"登録完了しました。  "}));
    EXPECT_EQ(table().entry(12).flag, 0);
    EXPECT_TRUE(board->flash().entry(12)->used);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistrationEdgeEntries,
    ::testing::Values(
        EdgeEntry{"firstPairZero", {}, {0, 0}, 0, {"Twp:0:00000,000000"}, "Twd:00"},
        EdgeEntry{"sixteenPairs", sixteenPairs(), {0, 15, 7, 1}, 0, sixteenLines(), "Twd:0F71"},
        EdgeEntry{
            "oddCount", {{560, 1120}}, {0, 1, 1, 0, 2}, 0, {"Twp:0:00560,001120", "Twp:1:00000,000000"}, "Twd:011022"},
        EdgeEntry{"noData", {{560, 1120}}, {}, 0, {"Twp:0:00560,001120", "Twp:1:00000,000000"}, "Twd:"},
        EdgeEntry{
            "flagFromReadBack", {{560, 1120}}, {1, 0}, 999, {"Twp:0:00560,001120", "Twp:1:00000,000000"}, "Twd:10"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistrationSequence, CancelWhileIdleClosesAndSendsNothing)
{
    useSimpleRow(1);
    whenDialogShown([this] {
        EXPECT_TRUE(control<QPushButton>(*tws, "btnExecute")->isEnabled());
        EXPECT_TRUE(control<QLabel>(*tws, "Lable2")->isVisible());
        EXPECT_EQ(state().tableWriteMode, TableWriteMode::Erase);
        control<QPushButton>(*tws, "btnCancel")->click();
    });
    control<QToolButton>(*w, "btnTableWrite")->click();
    EXPECT_FALSE(tws->isVisible());
    EXPECT_TRUE(sentSinceClear().isEmpty());
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(state().tableWriteMode, TableWriteMode::Off);
}

TEST_F(RegistrationSequence, CancelWhileWritingStopsAfterTheRowBeingSent)
{
    for (int r = 1; r <= 20; ++r)
        useSimpleRow(r);
    QObject::connect(board.get(), &sim::BoardSim::commandReceived, tws, [this](const QString& c) {
        if (c == "Tws:005")
            QTimer::singleShot(0, tws, [this] { control<QPushButton>(*tws, "btnCancel")->click(); });
    });
    registerTable();
    const QStringList sent = sentSinceClear();
    const QStringList stores = sent.filter("Tws:");
    ASSERT_GE(stores.size(), 5);
    ASSERT_LE(stores.size(), 6); // the click lands while row 5 or row 6 is waiting
    for (int i = 0; i < stores.size(); ++i)
        EXPECT_EQ(stores[i], twsRecord(i + 1));
    EXPECT_EQ(sent.last(), "KRV:off");
    EXPECT_EQ(sent.at(sent.size() - 2), stores.last()); // nothing after the last row but KRV:off
    EXPECT_EQ(messages(), QStringList({"登録を中止しました。  "}));
    EXPECT_EQ(board->flash().usedEntries(), stores.size());
    EXPECT_FALSE(tws->isVisible());
    EXPECT_EQ(state().tableWriteMode, TableWriteMode::Off);
}

TEST_F(RegistrationSequence, NoLinkNoDialog)
{
    w->session().connectTcp(false);
    ASSERT_TRUE(test::waitUntil([&] { return !state().tcpConnected; }));
    useSimpleRow(1);
    control<QToolButton>(*w, "btnTableWrite")->click();
    EXPECT_EQ(messages(), QStringList({"ZOVAX-Etherに接続して下さい"}));
    EXPECT_FALSE(tws->isVisible());
    EXPECT_EQ(state().tableWriteMode, TableWriteMode::Off);
}

TEST_F(RegistrationSequence, ARowTheBoardRejectsStopsRegistrationThere)
{
    for (int r = 1; r <= 8; ++r)
        useSimpleRow(r);
    table().entry(5).high[0] = 123456; // more than the five digits the board takes
    registration().waits.storeMs = 400;
    registerTable();
    const QStringList stores = sentSinceClear().filter("Tws:");
    EXPECT_EQ(stores.last(), "Tws:005");
    EXPECT_EQ(sentSinceClear().last(), "KRV:off");
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().first().contains("5 行目で登録を中断しました")) << messages().first().toStdString();
    EXPECT_NE(messages().first(), "登録完了しました。  ");
    EXPECT_EQ(board->flash().usedEntries(), 4);
    EXPECT_EQ(state().tableWriteMode, TableWriteMode::Off);
}

// ------------------------------------------------------------- board faults

class SilentBoard : public RegistrationSequence {
protected:
    sim::BoardOptions boardOptions() const override
    {
        sim::BoardOptions o;
        o.noAck = true;
        return o;
    }
    void SetUp() override
    {
        RegistrationSequence::SetUp();
        registration().waits = {300, 300, 300, 300, 300};
    }
};

TEST_F(SilentBoard, RegistrationSaysTheBoardDidNotAnswerAndLeavesTableMode)
{
    useSimpleRow(1);
    registerTable();
    EXPECT_EQ(sentSinceClear(), QStringList({"KRV:on", "KRV:off"}));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().first().contains("応答がありません（KRV:on）")) << messages().first().toStdString();
    EXPECT_FALSE(tws->isVisible());
    EXPECT_EQ(state().tableWriteMode, TableWriteMode::Off);
}

TEST_F(SilentBoard, ReadBackSaysTheBoardDidNotAnswerAndLeavesTableMode)
{
    ASSERT_TRUE(readBack(5000));
    EXPECT_EQ(sentSinceClear(), QStringList({"KRV:on", "KRV:off"}));
    EXPECT_TRUE(messages().last().contains("応答がありません（KRV:on）")) << messages().last().toStdString();
    EXPECT_FALSE(binding->readBackDialog().isVisible());
    EXPECT_FALSE(registration().readingBack());
}

class EraseNeverEnds : public RegistrationSequence {
protected:
    sim::BoardOptions boardOptions() const override
    {
        sim::BoardOptions o;
        o.eraseNever = true;
        return o;
    }
};

TEST_F(EraseNeverEnds, RegistrationSaysSoAndSendsNoRows)
{
    useSimpleRow(1);
    registration().waits.eraseMs = 400;
    registerTable();
    EXPECT_EQ(sentSinceClear(), QStringList({"KRV:on", "Fe:7", "KRV:off"}));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().first().contains("応答がありません（Fe:7）")) << messages().first().toStdString();
    EXPECT_EQ(board->flash().usedEntries(), 0);
}

class DroppedLink : public RegistrationSequence {
protected:
    // "Ver" and "T" of the connect, KRV:on, Fe:7, then nine commands per
    // row: the link goes down in the middle of row 4.
    sim::BoardOptions boardOptions() const override
    {
        sim::BoardOptions o;
        o.dropAfter = 2 + 2 + 9 * 3 + 4;
        return o;
    }
};

TEST_F(DroppedLink, RegistrationStopsAtOnceAndNamesTheRow)
{
    for (int r = 1; r <= 10; ++r)
        useSimpleRow(r);
    QElapsedTimer t;
    t.start();
    registerTable();
    EXPECT_LT(t.elapsed(), 1500); // no time-out per remaining row
    ASSERT_FALSE(messages().isEmpty());
    EXPECT_TRUE(
        messages().contains("ZOVAX-Etherとの接続が切れたため、4 行目で登録を中断しました。\n3 行を登録しました。"))
        << messages().join(" | ").toStdString();
    EXPECT_EQ(board->flash().usedEntries(), 3);
    EXPECT_EQ(state().tableWriteMode, TableWriteMode::Off);
    EXPECT_FALSE(tws->isVisible());
}

} // namespace
