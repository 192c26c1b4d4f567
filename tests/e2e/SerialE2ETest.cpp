// The serial link against the board simulator's pseudo-terminal: opening from
// the settings dialog, the greeting commands, the idle time-out completing
// replies without delimiter, a learn over serial, cancelling, closing and the
// main window's close.
#include "app/FakePorts.h"
#include "app/link/ComDialog.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "app/table/TableController.h"
#include "app/widgets/Panels.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"
#include "sim/board/BoardSim.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;
using test::waitUntil;

TEST(SerialE2E, OpensFromTheDialogCompletesIdleLinesLearnsAndCloses)
{
    sim::BoardSim board;
    const QString device = board.openSerial();
    ASSERT_FALSE(device.isEmpty()) << board.errorString().toStdString();
    QTemporaryDir dir;
    test::FakePrompts prompts;
    test::FakeSounds sounds;
    MainWindowOptions o;
    o.settingsPath = dir.filePath("tool.ini");
    o.prompts = &prompts;
    o.sounds = &sounds;
    ToolHandle w = createAppWindows(o);
    control<QCheckBox>(*w, "ckLearningMsg")->setChecked(false);
    emit control<BarFrame>(*w, "pnlTop")->doubleClicked(); // shows the hidden menu item
    const LinkState& state = w->session().link().state();
    auto runDialog = [&](const std::function<void(ComDialog&)>& act) {
        QTimer::singleShot(0, [act] { act(*qobject_cast<ComDialog*>(QApplication::activeModalWidget())); });
        control<QAction>(*w, "mmFileCom")->trigger();
    };
    auto connectTo = [&](const QString& recvDlmt, const QString& tout) {
        runDialog([&](ComDialog& d) {
            control<QComboBox>(d, "cmbPort")->setCurrentText(device);
            control<QComboBox>(d, "cmbRecvDlmt")->setCurrentText(recvDlmt);
            control<QLineEdit>(d, "edtRecvTout")->setText(tout);
            control<QPushButton>(d, "btnOn")->click();
        });
    };
    auto memoLines
        = [&] { return control<QPlainTextEdit>(*w, "memoRecv")->toPlainText().split('\n', Qt::SkipEmptyParts); };

    // Without a receive delimiter the replies end after 150 ms of silence: both
    // came in one burst, so one line with the CR LF bytes shown as codes.
    connectTo("無し", "150");
    ASSERT_TRUE(state.portOpen && state.recvThreadRunning);
    ASSERT_TRUE(waitUntil([&] { return board.commandTexts().size() >= 2; }));
    EXPECT_EQ(board.commandTexts(), QStringList({"Version", "Mode?"}));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return !memoLines().isEmpty(); }));
    EXPECT_GE(clock.elapsed(), 130);
    waitUntil([] { return false; }, 200);
    ASSERT_EQ(memoLines().size(), 1) << memoLines().join('|').toStdString();
    EXPECT_TRUE(memoLines()[0].startsWith("ZOVAX-Ether"));
    EXPECT_TRUE(memoLines()[0].endsWith(" 0Dh 0Ah Trans Mode 0Dh 0Ah")) << memoLines()[0].toStdString();

    // "接続" again reopens with CR LF lines; then a learn over the serial link alone.
    connectTo("CRLF", "100");
    ASSERT_TRUE(waitUntil([&] { return board.commandTexts().size() >= 4; }));
    TableController::moveCursor(control<QTableView>(*w, "sGrid"), 1, 1);
    control<QComboBox>(*w, "cmbSendText")->setCurrentText("A");
    control<QPushButton>(*w, "btnSend")->click();
    ASSERT_TRUE(
        waitUntil([&] { return board.analyzing() && control<ClickPanel>(*w, "pnlAnalyze")->text() == "学習 On"; }));
    const QString answer = board.press("NEC", "20DF10EF");
    ASSERT_TRUE(answer.startsWith("ok:")) << answer.toStdString();
    ASSERT_TRUE(waitUntil([&] { return !w->session().table().cell(kColResult, 1).isEmpty(); }, 10000));
    EXPECT_TRUE(w->session().table().cell(kColResult, 1).startsWith("Tm:NEC"))
        << w->session().table().cell(kColResult, 1).toStdString();

    // Cancelling keeps the port open (the greeting goes out again); "切断" closes it.
    board.clearCommandLog();
    runDialog([](ComDialog& d) { control<QPushButton>(d, "btnCancel")->click(); });
    EXPECT_TRUE(state.portOpen);
    ASSERT_TRUE(waitUntil([&] { return board.commandTexts().size() >= 2; }));
    runDialog([](ComDialog& d) { control<QPushButton>(d, "btnOff")->click(); });
    EXPECT_FALSE(state.portOpen || state.recvThreadRunning);
    w->session().link().SendLine("Mode?");
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(board.commandTexts(), QStringList({"Version", "Mode?"}));
    EXPECT_TRUE(prompts.asked.empty());

    connectTo("CRLF", "100");
    ASSERT_TRUE(state.portOpen);
    w->close(); // the main window's close closes the port
    EXPECT_FALSE(state.portOpen);
}
