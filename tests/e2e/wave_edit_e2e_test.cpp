// IR Out from the wave information editor against the board simulator: the
// exact command lines, the pair list ending at a silent pair, the listing in
// the receive log, the board's emission, and a table left untouched.
#include "app/FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/table/TableController.h"
#include "app/wavetools/WaveEditDialog.h"
#include "app/widgets/Panels.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"
#include "sim/board/BoardSim.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;
using test::waitUntil;

namespace {

TEST(WaveEditE2E, IrOutEmitsTheEditedWaveWithoutStoringIt)
{
    QTemporaryDir dir;
    test::FakePrompts prompts;
    test::FakeSounds sounds;
    sim::BoardSim board;
    ASSERT_TRUE(board.listen(QHostAddress::LocalHost, 0)) << board.errorString().toStdString();
    MainWindowOptions mo;
    mo.settingsPath = dir.filePath("tool.ini");
    mo.prompts = &prompts;
    mo.sounds = &sounds;
    ToolHandle w = createAppWindows(mo);
    w->session().settings().tcpip.Host = "127.000.000.001";
    w->session().settings().tcpip.Port = board.serverPort();
    WaveEditDialog* dlg = w.tool().windows().frmWaveEdit;

    TableEntry e;
    e.carrier = 380;
    e.dataCount = 4;
    e.repeat = 1;
    e.high = {9000, 560, 560, 600};
    e.width = {13500, 1120, 2250, 1200};
    e.data = {0, 1, 2, 3};
    w->session().table().setRow(2, {"38.0kHz", "3", "", "Tm:NEC d:01"}, e);
    TableController::moveCursor(control<QTableView>(*w, "sGrid"), 3, 2);
    w->tableController().ppWaveEdit->trigger();
    ASSERT_TRUE(dlg->isVisible());

    // Not connected yet: the warning, nothing sent.
    control<QPushButton>(*dlg, "btnIrOut")->click();
    ASSERT_EQ(prompts.texts(), QStringList({"ZOVAX-Etherに接続して下さい"}));

    control<QToolButton>(*w, "btnConnect")->click();
    ASSERT_TRUE(
        waitUntil([&] { return w->session().link().state().tcpConnected && board.commandTexts().size() >= 2; }));
    control<ClickPanel>(*w, "pnlAnalyze")->setText("学習 On");
    board.clearCommandLog();
    auto* memoRecv = control<QPlainTextEdit>(*w, "memoRecv");
    memoRecv->clear();

    control<QLineEdit>(*dlg, "edtPcode")->clear();
    control<QPushButton>(*dlg, "btnIrOut")->click(); // an empty pattern code: nothing happens
    EXPECT_TRUE(board.commandTexts().isEmpty());
    EXPECT_EQ(control<ClickPanel>(*w, "pnlAnalyze")->text(), "学習 On");

    control<QCheckBox>(*w, "ckTp2")->setChecked(false);
    control<QTableWidget>(*dlg, "sGrid")->item(2, 2)->setText("0"); // pair 2 = 560, 0 ends the list
    control<QLineEdit>(*dlg, "edtByteCode")->setText("01");
    QTest::keyClick(control<QLineEdit>(*dlg, "edtByteCode"), Qt::Key_Return);
    control<QPushButton>(*dlg, "btnIrOut")->click();

    const QStringList expected = {"Tp:1011",
                                  "Twf:000",
                                  "Twc:380",
                                  "Twb:010",
                                  "Twr:001",
                                  "Twp:0:09000,013500",
                                  "Twp:1:00560,001120",
                                  "Twp:2:00560,000000",
                                  "Twd:0211111113",
                                  "Tf:3"};
    ASSERT_TRUE(waitUntil([&] { return board.commandTexts().size() >= expected.size(); }));
    EXPECT_EQ(board.commandTexts(), expected);
    ASSERT_TRUE(waitUntil([&] { return memoRecv->toPlainText().contains("Fire IR1+IR3+IR4"); }))
        << memoRecv->toPlainText().toStdString();
    const QStringList logged = memoRecv->toPlainText().split('\n').filter(QRegularExpression("^T[wpf]"));
    EXPECT_EQ(logged, expected.mid(1, 8)) << "the Tw records are listed, Tp and Tf are not";
    EXPECT_EQ(control<ClickPanel>(*w, "pnlAnalyze")->text(), "学習 Off") << "the learning indicator is switched off";
    EXPECT_EQ(w->session().table().entry(2), e) << "IR Out stores nothing";
    EXPECT_EQ(w->session().table().cell(kColResult, 2), "Tm:NEC d:01");
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(prompts.asked.size(), 1u);
    dlg->close();
}

} // namespace
