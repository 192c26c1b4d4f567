// Why a learn decoded as it did, end to end: the simulator's no-match signal
// and a jittered NEC press are learned from the board simulator, and the
// analysis window opened from the pop-up menu explains each.
#include "ToolAndBoard.h"
#include "app/learning/AnalysisWindow.h"
#include "app/table/TableController.h"
#include "app/widgets/Panels.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;
using test::waitUntil;

namespace {

struct AnalysisE2E : ::testing::Test, e2e::ToolAndBoard {
    void SetUp() override
    {
        sim::BoardOptions o;
        o.jitterPercent = 8;
        o.noiseSeed = 7;
        ASSERT_NO_FATAL_FAILURE(startToolAndBoard(o));
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        control<QCheckBox>(*w, "ckLearningMsg")->setChecked(false);
        control<QToolButton>(*w, "btnConnect")->click();
        ASSERT_TRUE(waitUntil([&] { return w->session().link().state().tcpConnected && board->hasClient(); }));
    }
    void TearDown() override
    {
        if (AnalysisWindow* a = w.tool().windows().frmAnalysis)
            a->close();
    }

    void learn(int row, const char* protocol)
    {
        ASSERT_TRUE(waitUntil([&] { return board->analyzing(); }));
        const QString answer = board->press(QString::fromLatin1(protocol));
        ASSERT_TRUE(answer.startsWith("ok:")) << answer.toStdString();
        ASSERT_TRUE(waitUntil([&] { return !w->session().table().cell(kColResult, row).isEmpty(); }, 10000)) << row;
    }
    void openFromMenu(int row)
    {
        QWidget* vp = control<QTableView>(*w, "sGrid")->viewport();
        const QPoint at = control<QTableView>(*w, "sGrid")
                              ->visualRect(control<QTableView>(*w, "sGrid")->model()->index(row - 1, kColComments))
                              .center();
        QTest::mouseClick(vp, Qt::LeftButton, {}, at);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, vp->mapToGlobal(at));
        QCoreApplication::sendEvent(vp, &menuEvent);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w->tableController().ppMenu));
        QTest::keyClick(w->tableController().ppMenu, Qt::Key_A);
    }
};

TEST_F(AnalysisE2E, NoMatchAndJitteredLearnsAreExplained)
{
    TableController::moveCursor(control<QTableView>(*w, "sGrid"), kColComments, 1);
    emit control<ClickPanel>(*w, "pnlAnalyze")
        ->clicked(); // learning on; Cursor Auto moves to the next row after each learn
    learn(1, "NOMATCH");
    learn(2, "NEC");
    ASSERT_TRUE(w->session().table().cell(kColResult, 1).startsWith("Tm:Unknown"))
        << w->session().table().cell(kColResult, 1).toStdString();

    openFromMenu(1);
    AnalysisWindow* a = w.tool().windows().frmAnalysis;
    ASSERT_TRUE(a && a->isVisible());
    const QString unknown = control<QPlainTextEdit>(*a, "txtExplain")->toPlainText();
    EXPECT_TRUE(unknown.startsWith("Row 1: learned in this run (wave channel 1)\nResult: Tm:Unknown"))
        << unknown.toStdString();
    EXPECT_TRUE(unknown.contains("\nNo candidate accepted the signal: Unknown")) << unknown.toStdString();
    EXPECT_TRUE(unknown.contains("\nClosest: candidate ")) << unknown.toStdString();
    EXPECT_TRUE(unknown.contains("\nWould have had to differ: ")) << unknown.toStdString();
    EXPECT_TRUE(unknown.contains("Carrier 56.0 kHz"));

    QTest::keyClick(control<QTableView>(*w, "sGrid"), Qt::Key_Down);
    ASSERT_TRUE(waitUntil([&] {
        return control<QPlainTextEdit>(*a, "txtExplain")
            ->toPlainText()
            .startsWith("Row 2: learned in this run (wave channel 2)");
    }));
    const QString nec = control<QPlainTextEdit>(*a, "txtExplain")->toPlainText();
    EXPECT_TRUE(nec.contains("Result: " + w->session().table().cell(kColResult, 2) + "\n")) << nec.toStdString();
    EXPECT_TRUE(nec.contains("\nDecided by candidate 3: timing passed")) << nec.toStdString();
    EXPECT_TRUE(nec.contains("  P1 ")) << "the pattern spread of the jittered press";
}

} // namespace
