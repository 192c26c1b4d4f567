// The wave data list window: its grid, the pulse rows written while a train
// arrives, clearing a channel, and the per-pattern summary boxes.
#include "app/learning/WaveListModel.h"
#include "app/learning/WaveListWindow.h"
#include "core/learning/WaveStore.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using zovax::test::control;

using namespace zovax;

namespace {

struct Pulse {
    int high;
    int width;
    int pno;
};

struct WaveListFixture : ::testing::Test {
    std::unique_ptr<WaveStore> store = std::make_unique<WaveStore>();
    WaveListWindow w;
    WaveListFixture() { w.setWaveStore(store.get()); }

    // Stores the pulses on the channel and lists them, as a learn does.
    void learn(int channel, const std::vector<Pulse>& pulses)
    {
        WaveChannel& ch = store->channels[size_t(channel)];
        for (size_t i = 0; i < pulses.size(); ++i) {
            ch.pulses[i] = {pulses[i].high, pulses[i].width};
            ch.patternIndex[i] = pulses[i].pno;
            ch.lastIndex = int(i);
            w.ShowPulseInList(channel, int(i));
        }
    }
    QString cell(int column, int row) const { return w.model().cellText(column, row); }
    // Summary box `b` (0..3): the label named `name` followed by the box's number.
    QLabel* box(const char* name, int b) const
    {
        return control<QLabel>(w, QByteArray(name).append(char('1' + b)).constData());
    }
    QStringList boxes(int b) const
    {
        return {box("pnlPno", b)->text(), box("pnlHmin", b)->text(), box("pnlHmax", b)->text(),
                box("pnlWmin", b)->text(), box("pnlWmax", b)->text()};
    }
};

TEST_F(WaveListFixture, GridHasTwentyColumnsOf4096PulsesWithTheirHeaders)
{
    const QAbstractItemModel* m = control<QTableView>(w, "sGridWave")->model();
    EXPECT_EQ(w.objectName(), "frmWave");
    EXPECT_EQ(w.windowTitle(), "Wave Data");
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(control<QTableView>(w, "sGridWave")->objectName(), "sGridWave");
    ASSERT_EQ(m->columnCount(), 20);
    ASSERT_EQ(m->rowCount(), 4096);
    const char* headers[] = {"Wno:%1 ", "High ", "Width ", "Pno ", "Logic"};
    const int widths[] = {50, 54, 54, 38, 38};
    for (int c = 0; c < 20; ++c) {
        QString h = QString::fromLatin1(headers[c % 5]);
        if (c % 5 == 0)
            h = h.arg(c / 5 + 1);
        EXPECT_EQ(m->headerData(c, Qt::Horizontal).toString(), h) << c;
        EXPECT_EQ(control<QTableView>(w, "sGridWave")->horizontalHeader()->sectionSize(c), widths[c % 5]) << c;
    }
    EXPECT_EQ(control<QTableView>(w, "sGridWave")->verticalHeader()->sectionSize(7), 16);
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), "[    0 ] ");
    EXPECT_EQ(m->data(m->index(4095, 15)).toString(), "[ 4095 ] ");
    EXPECT_EQ(m->data(m->index(3, 7), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_FALSE(m->flags(m->index(3, 7)) & Qt::ItemIsEditable);
    for (int b = 0; b < 4; ++b) {
        const QString n = QString::number(b + 1);
        auto* box = w.findChild<QGroupBox*>(QStringLiteral("pnlWaveData") + n);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title(), QStringLiteral("WaveData") + n);
        for (const char* name : {"pnlPno", "pnlHmin", "pnlHmax", "pnlWmin", "pnlWmax"}) {
            auto* l = box->findChild<QLabel*>(QString::fromLatin1(name) + n);
            ASSERT_NE(l, nullptr) << name << b;
            EXPECT_TRUE(l->text().isEmpty());
        }
    }
}

TEST_F(WaveListFixture, ShowingSizesTheClientArea)
{
    w.show();
    EXPECT_EQ(w.height(), 600);
    EXPECT_EQ(w.width(), (WaveListWindow::kSummaryWidth + 4) * 4 + 30);
    EXPECT_EQ(control<QGroupBox>(w, "pnlWaveData1")->width(), WaveListWindow::kSummaryWidth);
    w.hide();
}

TEST_F(WaveListFixture, PulsesAreListedInTheirChannelsColumnsAndTheHighCellFollows)
{
    learn(2, {{9000, 13500, 0}, {560, 1120, 1}, {560, 2250, 2}});
    EXPECT_EQ(cell(11, 2), "    560 ");
    EXPECT_EQ(cell(12, 2), "   1120 ");
    EXPECT_EQ(cell(13, 2), "   1 ");
    EXPECT_EQ(cell(11, 1), "   9000 ");
    EXPECT_EQ(cell(12, 3), "   2250 ");
    EXPECT_EQ(cell(14, 3), "");
    EXPECT_EQ(cell(1, 1), ""); // other channels untouched
    EXPECT_EQ(w.currentColumn(), 11);
    EXPECT_EQ(w.currentRow(), 3);

    w.setLogicCell(2, 1, QStringLiteral("1 "));
    EXPECT_EQ(cell(14, 2), "1 ");
}

TEST_F(WaveListFixture, WhileShownTheFocusFollowsAFastTrainWithoutScrollingForEveryPulse)
{
    w.show();
    std::vector<Pulse> train(300, Pulse{560, 1120, 0});
    learn(1, train);
    // The newest pulse counts as the focus cell at once; the list catches up shortly.
    EXPECT_EQ(w.currentRow(), 300);
    EXPECT_EQ(w.currentColumn(), 6);
    EXPECT_NE(control<QTableView>(w, "sGridWave")->currentIndex().row(), 299);
    EXPECT_TRUE(
        test::waitUntil([&] { return control<QTableView>(w, "sGridWave")->currentIndex().row() == 299; }, 2000));
    EXPECT_EQ(control<QTableView>(w, "sGridWave")->currentIndex().column(), 6);

    // An explicit selection wins over a pending follow.
    learn(1, {{600, 1200, 0}, {600, 1200, 0}});
    w.selectCell(3, 1);
    QTest::qWait(3 * WaveListWindow::kFollowIntervalMs);
    EXPECT_EQ(w.currentRow(), 1);
    EXPECT_EQ(control<QTableView>(w, "sGridWave")->currentIndex().column(), 3);
    w.hide();
}

TEST_F(WaveListFixture, IndicesOutsideTheListAreIgnored)
{
    learn(0, {{560, 1120, 0}});
    w.ShowPulseInList(0, 4096);
    w.ShowPulseInList(0, -1);
    w.ShowPulseInList(4, 0);
    w.setLogicCell(0, 4096, QStringLiteral("1 "));
    w.setLogicCell(-1, 0, QStringLiteral("1 "));
    EXPECT_EQ(w.currentRow(), 1);
    EXPECT_EQ(cell(4, 1), "");
}

TEST_F(WaveListFixture, ClearingAChannelEmptiesItsCellsAndSummaryOnly)
{
    learn(1, {{560, 1120, 0}, {560, 1120, 0}, {560, 1120, 0}});
    learn(3, {{600, 1200, 0}, {600, 1200, 0}});
    w.setLogicCell(1, 0, QStringLiteral("0 "));
    w.sGridWaveSelectCell(8, 1);
    w.sGridWaveSelectCell(18, 1);
    ASSERT_EQ(boxes(1).at(0), "0");

    w.clearWaveListView(1);
    for (int col = 6; col <= 9; ++col)
        for (int row = 1; row <= 3; ++row)
            EXPECT_EQ(cell(col, row), "") << col << "," << row;
    EXPECT_EQ(cell(5, 1), "[    0 ] ");
    EXPECT_EQ(boxes(1), QStringList({"", "", "", "", ""}));
    EXPECT_EQ(cell(16, 1), "    600 ");
    EXPECT_EQ(boxes(3).at(1), "600");
    EXPECT_EQ(w.currentColumn(), 6);
    EXPECT_EQ(w.currentRow(), 1);

    w.clearWaveListView(4);
    EXPECT_EQ(cell(16, 1), "");
    EXPECT_EQ(w.currentColumn(), 1);
}

TEST_F(WaveListFixture, RowsBeyondASkippedIndexAreClearedToo)
{
    // A train whose indices jump leaves empty rows in between.
    WaveChannel& ch = store->channels[0];
    ch.pulses[0] = {560, 1120};
    ch.pulses[5] = {560, 1120};
    w.ShowPulseInList(0, 0);
    w.ShowPulseInList(0, 5);
    w.clearWaveListView(0);
    EXPECT_EQ(cell(1, 6), "");
}

// --- summary boxes ---

TEST_F(WaveListFixture, OnlyFilledPnoCellsPickAPattern)
{
    learn(0, {{1000, 2000, 1}, {1010, 2010, 1}, {500, 900, 2}});
    for (int column : {0, 1, 2, 4, 5, 6}) {
        w.sGridWaveSelectCell(column, 1);
        EXPECT_EQ(boxes(0), QStringList({"", "", "", "", ""})) << column;
    }
    w.sGridWaveSelectCell(3, 10); // an empty Pno cell
    w.sGridWaveSelectCell(8, 1);  // channel 2's Pno cell, empty
    EXPECT_EQ(boxes(0), QStringList({"", "", "", "", ""}));
    EXPECT_EQ(boxes(1), QStringList({"", "", "", "", ""}));
    w.sGridWaveSelectCell(3, 2);
    EXPECT_EQ(boxes(0), QStringList({"1", "1000", "1010", "2000", "2010"}));
}

struct SummaryCase {
    const char* what;
    int channel;
    std::vector<Pulse> pulses;
    int pickRow;
    QStringList expected; // Pno, Hmin, Hmax, Wmin, Wmax
};

class Summary : public WaveListFixture, public ::testing::WithParamInterface<SummaryCase> {};

TEST_P(Summary, SmallestAndLargestOfThePickedPattern)
{
    const SummaryCase& c = GetParam();
    learn(c.channel, c.pulses);
    w.sGridWaveSelectCell(c.channel * 5 + 3, c.pickRow);
    EXPECT_EQ(boxes(c.channel), c.expected) << c.what;
    for (int b = 0; b < 4; ++b) {
        if (b == c.channel)
            continue;
        EXPECT_EQ(boxes(b), QStringList({"", "", "", "", ""})) << c.what << " box " << b;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Summary,
    ::testing::Values(
        SummaryCase{"995 and 1005",
                    0,
                    {{995, 2000, 1}, {1005, 1990, 1}, {560, 1120, 0}},
                    1,
                    {"1", "995", "1005", "1990", "2000"}},
        SummaryCase{"channel 3 only",
                    2,
                    {{995, 2000, 1}, {1005, 1990, 1}, {560, 1120, 0}},
                    2,
                    {"1", "995", "1005", "1990", "2000"}},
        SummaryCase{"the last pulse is left out",
                    1,
                    {{500, 1000, 3}, {510, 1010, 3}, {700, 90000, 3}},
                    1,
                    {"3", "500", "510", "1000", "1010"}},
        SummaryCase{"a pattern only on the last pulse", 3, {{500, 1000, 0}, {700, 90000, 4}}, 2, {"4", "", "", "", ""}},
        SummaryCase{"minimum and maximum move independently",
                    0,
                    {{1000, 2000, 2}, {900, 2100, 2}, {1100, 1900, 2}, {1050, 2050, 2}, {0, 0, 0}},
                    3,
                    {"2", "900", "1100", "1900", "2100"}}));

} // namespace
