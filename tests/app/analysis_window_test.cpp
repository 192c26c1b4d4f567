// The analysis window in the assembled windows: opened from the grid's pop-up
// menu, read-only with a copy button, following the grid's current row.
#include "app/learning/AnalysisWindow.h"
#include "app/table/TableController.h"
#include "core/table/CodeTable.h"
#include "support/Controls.h"
#include "support/ToolFixture.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;

namespace {

// A stored NEC frame: leader, 32 bits of 20 DF 10 EF (least significant bit
// first), stop pair.
TableEntry necEntry()
{
    TableEntry e;
    e.carrier = 380;
    e.dataCount = 34;
    e.high = {9000, 560, 560, 560};
    e.width = {13500, 1120, 2250, 40000};
    int j = 0;
    e.data[size_t(j++)] = 0;
    for (uint8_t byte : {0x20, 0xDF, 0x10, 0xEF})
        for (int b = 0; b < 8; ++b)
            e.data[size_t(j++)] = (byte >> b) & 1 ? 2 : 1;
    e.data[size_t(j)] = 3;
    return e;
}

struct AnalysisWindowTest : ::testing::Test, test::ToolFixture {
    void SetUp() override
    {
        createTool();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        ASSERT_NE(analysis(), nullptr);
    }
    void TearDown() override { analysis()->close(); }
    AnalysisWindow* analysis() const { return w.tool().windows().frmAnalysis; }

    QPoint cellCentre(int column, int row) const
    {
        return control<QTableView>(*w, "sGrid")
            ->visualRect(control<QTableView>(*w, "sGrid")->model()->index(row - 1, column))
            .center();
    }
    // A click on the cell, then the pop-up menu at it and its Analysis item by key.
    void openFromMenu(int row)
    {
        QWidget* vp = control<QTableView>(*w, "sGrid")->viewport();
        const QPoint at = cellCentre(kColComments, row);
        QTest::mouseClick(vp, Qt::LeftButton, {}, at);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, vp->mapToGlobal(at));
        QCoreApplication::sendEvent(vp, &menuEvent);
        QMenu* menu = w->tableController().ppMenu;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::keyClick(menu, Qt::Key_A);
    }
};

TEST_F(AnalysisWindowTest, OpensFromThePopupMenuAndFollowsTheCurrentRow)
{
    w->session().table().setRow(3, {"38.0kHz", "3", "NEC-32A", "Tm:NEC-32A    d:20DF 10EF"}, necEntry());
    openFromMenu(3);
    AnalysisWindow* a = analysis();
    ASSERT_TRUE(a->isVisible());
    EXPECT_FALSE(a->isModal());
    EXPECT_EQ(a->windowTitle(), "解析の詳細 - No.3");
    const QString text = control<QPlainTextEdit>(*a, "txtExplain")->toPlainText();
    EXPECT_TRUE(text.startsWith(
        "Row 3: decoded from its stored wave information with the stored-entry rules\n"
        "Result: Tm:NEC-32A    d:20DF 10EF\n"
        "Decided by candidate 3: timing passed and the stored-entry rule \"data count 34 (found 34)\" held"))
        << text.toStdString();

    // Read-only, selectable, copied whole.
    QTest::keyClicks(control<QPlainTextEdit>(*a, "txtExplain"), "x");
    EXPECT_EQ(control<QPlainTextEdit>(*a, "txtExplain")->toPlainText(), text);
    EXPECT_TRUE(control<QPlainTextEdit>(*a, "txtExplain")->textInteractionFlags() & Qt::TextSelectableByMouse);
    QTest::mouseClick(control<QPushButton>(*a, "btnCopy"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);

    // The cursor moves in the main window while the window stays open.
    QTest::keyClick(control<QTableView>(*w, "sGrid"), Qt::Key_Down);
    QTest::keyClick(control<QTableView>(*w, "sGrid"), Qt::Key_Down);
    EXPECT_TRUE(QTest::qWaitFor([&] { return a->windowTitle() == QStringLiteral("解析の詳細 - No.5"); }, 2000));
    EXPECT_TRUE(
        control<QPlainTextEdit>(*a, "txtExplain")->toPlainText().startsWith("Row 5: this row has no wave information"));

    // A change to the row shown refreshes the window.
    w->session().table().setRow(5, {"38.0kHz", "3", "", ""}, necEntry());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return control<QPlainTextEdit>(*a, "txtExplain")
                ->toPlainText()
                .startsWith("Row 5: decoded from its stored wave");
        },
        2000));

    QTest::mouseClick(control<QPushButton>(*a, "btnClose"), Qt::LeftButton);
    EXPECT_FALSE(a->isVisible());
}

} // namespace
