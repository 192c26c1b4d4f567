// The wave information editor in the assembled windows: opened from the code
// table's Wave Info item, edited, converted with Enter and filed with OK.
#include "app/FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/main/WaveEditBinding.h"
#include "app/table/TableController.h"
#include "app/wavetools/WaveEditDialog.h"
#include "core/table/CodeTable.h"

#include "support/Controls.h"
#include "support/TestSupport.h"
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;

namespace {

struct WaveEditWindow : ::testing::Test {
    QTemporaryDir dir;
    test::FakePrompts prompts;
    ToolHandle w;
    WaveEditDialog* dlg = nullptr;
    // The dialog's controls, found by their names.
    struct Controls {
        QTableWidget* sGrid;
        QLineEdit* edtCarry;
        QLineEdit* edtDataBits;
        QLineEdit* edtRepeatBit;
        QLineEdit* edtPcode;
        QLabel* lblPcode;
        QLineEdit* edtByteCode;
        QPushButton* btnOk;
    } ui{};
    TableEntry nec;

    void SetUp() override
    {
        MainWindowOptions o;
        o.settingsPath = dir.filePath("tool.ini");
        o.prompts = &prompts;
        w = createAppWindows(o);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        dlg = w.tool().windows().frmWaveEdit;
        ASSERT_TRUE(dlg && &w.tool().waveEdit());
        ui = {control<QTableWidget>(*dlg, "sGrid"),    control<QLineEdit>(*dlg, "edtCarry"),
              control<QLineEdit>(*dlg, "edtDataBits"), control<QLineEdit>(*dlg, "edtRepeatBit"),
              control<QLineEdit>(*dlg, "edtPcode"),    control<QLabel>(*dlg, "lblPcode"),
              control<QLineEdit>(*dlg, "edtByteCode"), control<QPushButton>(*dlg, "btnOk")};
        nec.carrier = 380;
        nec.dataCount = 4;
        nec.repeat = 2;
        nec.high = {9000, 560, 560, 0, 300}; // pair 4 hidden behind the zero high of pair 3
        nec.width = {13500, 1120, 2250, 0, 600};
        nec.data = {0, 1, 2, 1};
    }
    void TearDown() override { dlg->close(); }
    void openOn(int row)
    {
        TableController::moveCursor(control<QTableView>(*w, "sGrid"), 3, row);
        w->tableController().ppWaveEdit->trigger();
    }
    QString pair(int row, int column) const { return ui.sGrid->item(row, column)->text(); }
};

TEST_F(WaveEditWindow, OpenConvertAndOkIntoTheNextBlankRow)
{
    w->session().table().setRow(3, {"38.0kHz", "3", "テレビ", "Tm:NEC-32     d:10 EF 20 DF"}, nec);
    openOn(3);
    ASSERT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), "Wave Info.");
    EXPECT_EQ(ui.edtCarry->text(), "380");
    EXPECT_EQ(ui.edtDataBits->text(), "4") << "the pattern code's length";
    EXPECT_EQ(ui.edtRepeatBit->text(), "   2");
    EXPECT_EQ(ui.edtPcode->text(), "0121");
    EXPECT_EQ(ui.lblPcode->text(), "0---");
    EXPECT_EQ(pair(2, 0), " Pcode:2");
    EXPECT_EQ(pair(2, 1), "  560");
    EXPECT_EQ(pair(2, 2), "  2250");
    EXPECT_EQ(pair(4, 1), "") << "pairs after a zero high are not shown";
    EXPECT_EQ(ui.edtByteCode->text(), "10 EF 20 DF");
    EXPECT_EQ(ui.edtByteCode->width(), 88);
    EXPECT_EQ(dlg->width(), WaveEditDialog::kClientWidth);
    EXPECT_EQ(ui.btnOk->geometry().right() + 1 + 8, WaveEditDialog::kClientWidth);
    auto* sGrid = control<QTableView>(*w, "sGrid");
    const QModelIndex frames = sGrid->model()->index(2, 2);
    EXPECT_EQ(dlg->pos(), sGrid->viewport()->mapToGlobal(sGrid->visualRect(frames).topLeft()));

    ui.edtByteCode->clear();
    QTest::keyClicks(ui.edtByteCode, "01");
    QTest::keyClick(ui.edtByteCode, Qt::Key_Return);
    EXPECT_EQ(ui.edtPcode->text(), "0211111113");
    EXPECT_EQ(ui.edtDataBits->text(), "10");
    EXPECT_TRUE(dlg->isVisible()) << "Enter converts and does not press a button";
    ui.edtCarry->setText("400");
    ui.btnOk->click();

    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(TableController::cursorRow(sGrid), 4);
    EXPECT_EQ(w->session().table().entry(3), nec) << "the edited row stays as it was";
    EXPECT_EQ(w->session().table().entry(4).carrier, 400);
    EXPECT_EQ(w->session().table().entry(4).data[1], 2);
    EXPECT_EQ(w->session().table().cell(kColResult, 4), "Tm:NEC-32     d:01");
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(WaveEditWindow, OkTargetRow)
{
    struct Row {
        const char* name;
        int filledUpTo; // rows 1..filledUpTo hold an entry
        int cursor;
        int target;
    };
    const Row rows[] = {
        {"blankRowBelow", 6, 2, 7},
        {"cursorRowItselfBlank", 6, 9, 9},
        {"noBlankRowBeforeTheLast", kTableRows - 1, 5, 5}, // row 999 is never chosen
    };
    for (const Row& r : rows) {
        w->session().table().clearAll();
        for (int row = 1; row <= r.filledUpTo; ++row)
            w->session().table().setRow(row, {"38.0kHz", "3", QString::number(row), "d:00"}, nec);
        openOn(r.cursor);
        ui.edtRepeatBit->setText("77");
        ui.btnOk->click();
        EXPECT_EQ(w->session().table().entry(r.target).repeat, 77) << r.name;
        EXPECT_EQ(TableController::cursorRow(control<QTableView>(*w, "sGrid")), r.target) << r.name;
        if (r.target != r.cursor) {
            EXPECT_EQ(w->session().table().entry(r.cursor).repeat, 2) << r.name;
        }
    }
}

TEST_F(WaveEditWindow, ANonHexPatternCodeIsRefusedAndNothingChanges)
{
    w->session().table().setRow(3, {"38.0kHz", "3", "", "d:01"}, nec);
    openOn(3);
    ui.edtPcode->setText("01Z1");
    ui.btnOk->click();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "パターンコードの3文字目「Z」は16進数ではありません。");
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(TableController::cursorRow(control<QTableView>(*w, "sGrid")), 3);
    EXPECT_EQ(w->session().table().entry(3), nec);
    EXPECT_TRUE(w->session().table().cell(kColCarry, 4).isEmpty());
}

TEST_F(WaveEditWindow, LongRulerWidensTheDialogAndAnEmptyEntryShowsNothing)
{
    TableEntry longOne = nec;
    longOne.dataCount = 90;
    w->session().table().setRow(2, {"38.0kHz", "1", "", "Tm:Unknown"}, longOne);
    openOn(2);
    EXPECT_EQ(ui.lblPcode->text().size(), 90);
    EXPECT_EQ(dlg->width(),
              ui.lblPcode->indent() + ui.lblPcode->fontMetrics().horizontalAdvance(ui.lblPcode->text()) + 32);
    EXPECT_EQ(ui.edtByteCode->width(), 0);

    openOn(5); // all zero
    EXPECT_TRUE(ui.edtPcode->text().isEmpty());
    EXPECT_TRUE(ui.lblPcode->text().isEmpty());
    EXPECT_EQ(ui.edtDataBits->text().trimmed(), "0");
    EXPECT_EQ(dlg->width(), WaveEditDialog::kClientWidth);
}

} // namespace

namespace {

// A Carry value typed in the box is checked there: refused with a message and
// put back to the value before; a good value is stored by OK.
TEST_F(WaveEditWindow, TypedCarryIsCheckedWhereItIsTyped)
{
    struct Case {
        const char* typed;
        int stored;
        bool refused;
    } cases[] = {{"abc", 380, true}, {"38.0", 380, true}, {"1000", 380, true}, {"400", 400, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        prompts.asked.clear();
        w->session().table().setRow(3, {"38.0kHz", "3", "", ""}, nec);
        openOn(3);
        ui.edtCarry->selectAll();
        QTest::keyClicks(ui.edtCarry, QString::fromLatin1(c.typed));
        QTest::keyClick(ui.edtCarry, Qt::Key_Return);
        test::waitUntil([&] { return !prompts.asked.empty(); }, c.refused ? 2000 : 50);
        ASSERT_EQ(prompts.asked.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(ui.edtCarry->text(), "380");
            EXPECT_TRUE(prompts.asked[0].text.startsWith("Carry は 100～999"));
        }
        ui.btnOk->click();
        EXPECT_EQ(w->session().table().entry(4).carrier, c.stored);
        w->session().table().setRow(4, {"", "", "", ""}, TableEntry{});
    }
}

} // namespace
