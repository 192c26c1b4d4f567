// The main window: controls and captions, start-up values, resizing, the
// window-level toggles and the shutdown order.
#include "app/main/MainWindow.h"
#include "FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/widgets/Panels.h"
#include "app/widgets/QtPorts.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "support/Controls.h"
#include "support/TestSupport.h"
#include "support/ToolFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;

namespace {

struct Fixture : ::testing::Test, test::ToolFixture {
    void create() { createTool(); }
};

struct Caption {
    const char* name;
    const char* text;
};

const Caption kCaptions[] = {
    {"btnTest", "発射テスト"},
    {"ckTp1", "IR1"},
    {"ckTp2", "IR2"},
    {"ckTp3", "IR3"},
    {"ckTp4", "IR4"},
    {"ckCursor", "Cursor Auto"},
    {"btnTableWrite", "ZOVAX-Ether 登録"},
    {"btnConnect", "接続"},
    {"btnTableLoad", "ZOVAX-Ether 読込み"},
    {"ckLearningMsg", "学習確認"},
    {"lblZoom", "Zoom"},
    {"btnWaveData", "Data"},
    {"btnWaveClear", "Clear"},
    {"btnSend", "ZOVAX-Ether に送信"},
    {"ckPcode", "PCode"},
    {"ckFullCode", "Full Code"},
    {"btnRecvClear", "Clear"},
    {"pnlAnalyze", "学習 Off"},
};

// What the window system delivers for a double-click: press, release, the
// second press as a double-click event, release.
void doubleClick(QWidget* target, QPoint at = QPoint())
{
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    QTest::mouseRelease(target, Qt::LeftButton, {}, at);
}

// A point on the bar's own surface: no control under it, only the bar or
// the plain container that lays its controls out.
QPoint emptySpotOf(QWidget* bar)
{
    for (int x = bar->width() - 2; x > 0; --x) {
        for (int y : {2, bar->height() / 2}) {
            const QWidget* under = bar->childAt(x, y);
            if (!under || under->metaObject() == &QWidget::staticMetaObject)
                return {x, y};
        }
    }
    return {};
}

// A double-click on a free spot of the bar, delivered to what lies there.
void doubleClickOnSurface(QWidget* bar)
{
    const QPoint spot = emptySpotOf(bar);
    ASSERT_FALSE(spot.isNull()) << bar->objectName().toStdString();
    QWidget* under = bar->childAt(spot);
    QWidget* target = under ? under : bar;
    doubleClick(target, target->mapFrom(bar, spot));
}

QString textOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    return {};
}

} // namespace

TEST_F(Fixture, ControlsCarryTheirNamesAndCaptions)
{
    create();
    EXPECT_EQ(w->objectName(), "frmMain");
    EXPECT_EQ(w->windowTitle(), "KORVEN ZOVAX-Ether Pro Tool  [ Ver.20200608 ]");
    for (const Caption& c : kCaptions) {
        auto* child = w->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(child, nullptr) << c.name;
        EXPECT_EQ(textOf(child), QString::fromUtf8(c.text)) << c.name;
    }
    for (const char* n :
         {"pnlTop", "pnlHost", "sGrid", "pnlWave", "pnlCont", "cmbZoom", "pgBar", "pnlWaveData", "edtLearningTime",
          "edtHrange", "edtWrange", "imgWave", "scrBar", "pnlRecv", "cmbSendText", "memoRecv", "sBar"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(n)), nullptr) << n;

    const std::pair<const char*, const char*> menu[] = {
        {"mmCleate", "新規作成 (&New)"},
        {"mmFileOpen", "ファイルを開く (&Open)"},
        {"mmFileSave", "ファイルに保存 (&Save)"},
        {"mmFileCom", "通信設定 (&Com)"},
        {"mmFileTcp", "ネットワーク設定 (&IP Setup)"},
        {"mmZVAXupdate", "ファームウェアの更新(&Update)"},
        {"mmFileQuit", "終了 (&Quit)"},
    };
    for (const auto& [name, text] : menu) {
        auto* a = w->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), QString::fromUtf8(text));
    }
    EXPECT_FALSE(control<QAction>(*w, "mmFileCom")->isVisible());
    EXPECT_EQ(control<QComboBox>(*w, "cmbZoom")->count(), 22);
    EXPECT_EQ(control<QComboBox>(*w, "cmbZoom")->currentText(), "1/200");
    EXPECT_EQ(control<QProgressBar>(*w, "pgBar")->maximum(), 512);
    EXPECT_TRUE(control<QCheckBox>(*w, "ckTp1")->isChecked() && control<QCheckBox>(*w, "ckTp4")->isChecked()
                && control<QCheckBox>(*w, "ckCursor")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(*w, "ckLearningMsg")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(*w, "ckPcode")->isChecked());
    EXPECT_EQ(control<PanelStatusBar>(*w, "sBar")->panelCount(), 3);
}

// Tests reach the window's controls only by their design names: each is the
// window's own exactly once, never a same-named control of a dialog it parents.
TEST_F(Fixture, EveryControlIsReachedOnceByItsDesignName)
{
    create();
    for (const char* name :
         {"pnlTop",       "btnTest",       "ckTp1",           "ckTp2",         "ckTp3",        "ckTp4",
          "ckCursor",     "btnTableWrite", "btnConnect",      "pnlHost",       "btnTableLoad", "sGrid",
          "pnlWave",      "pnlCont",       "pnlAnalyze",      "ckLearningMsg", "lblZoom",      "cmbZoom",
          "pgBar",        "pnlWaveData",   "edtLearningTime", "edtHrange",     "edtWrange",    "btnWaveData",
          "btnWaveClear", "waveClip",      "imgWave",         "scrBar",        "splitter",     "pnlRecv",
          "pnlSend",      "btnSend",       "cmbSendText",     "ckPcode",       "ckFullCode",   "btnRecvClear",
          "memoRecv",     "sBar",          "mmFile",          "mmCleate",      "mmFileOpen",   "mmFileSave",
          "mmFileCom",    "mmFileTcp",     "mmSepUpdate",     "mmZVAXupdate",  "mmFileQuit"})
        EXPECT_NO_THROW(control<QObject>(*w, name)) << name;
    for (const char* shared : {"btnConnect", "sBar"}) {
        auto* own = control<QWidget>(*w, shared);
        EXPECT_EQ(own->window(), w.get()) << shared;
        EXPECT_GT(w->findChildren<QWidget*>(QString::fromLatin1(shared)).size(), 1) << "a dialog has one too";
    }
}

TEST_F(Fixture, WindowsAreCreatedWithTheirCaptions)
{
    create();
    const std::pair<const char*, const char*> dialogs[] = {
        {"frmDownload", "Firmware Download"},
        {"frmTcp", "Network Settings"},
        {"frmTws", "ZOVAX Learning Table Write"},
        {"frmWave", "Wave Data"},
        {"frmWaveEdit", "Wave Info."},
        {"frmMsgBox", ""},
    };
    for (const auto& [name, title] : dialogs) {
        auto* d = w->findChild<QDialog*>(QString::fromLatin1(name));
        ASSERT_NE(d, nullptr) << name;
        EXPECT_EQ(d->windowTitle(), QString::fromLatin1(title)) << name;
        EXPECT_FALSE(d->isVisible());
    }
}

TEST_F(Fixture, StartUpValuesComeFromTheSettings)
{
    Settings s;
    s.tcpip.Host = "010.001.002.003";
    s.tcpip.Port = 60001;
    s.learn = {25, 12, 300000};
    ASSERT_TRUE(SaveSettings(s, iniPath()));
    create();
    EXPECT_EQ(control<QLabel>(*w, "pnlHost")->text(), "10.1.2.3/60001");
    EXPECT_EQ(control<QLineEdit>(*w, "edtHrange")->text(), "25");
    EXPECT_EQ(control<QLineEdit>(*w, "edtWrange")->text(), "12");
    EXPECT_EQ(control<QLineEdit>(*w, "edtLearningTime")->text(), "300");
    EXPECT_TRUE(w->statusText(2).endsWith("/Dat/"));
    EXPECT_FALSE(w->session().link().state().consoleConfigMode);
}

TEST_F(Fixture, FirstShowEndsWithTraceOffAndForgetsAnUnreadableTable)
{
    Settings s;
    s.tableFileName = dir.filePath("gone.Csv");
    ASSERT_TRUE(SaveSettings(s, iniPath()));
    create();
    w->session().link().state().tcpConnected = true;
    w->show();
    EXPECT_TRUE(w->firstShowDone());
    EXPECT_TRUE(w->session().settings().tableFileName.isEmpty());
    EXPECT_TRUE(prompts.asked.empty()) << "forgotten silently at start-up";
    EXPECT_FALSE(w->session().traceMode());
    EXPECT_FALSE(w->session().link().state().tcpConnected);
    w->hide();
    w->session().settings().tableFileName = s.tableFileName;
    w->show(); // later shows do nothing: no second attempt forgets the name again
    EXPECT_EQ(w->session().settings().tableFileName, s.tableFileName);
}

TEST_F(Fixture, EmptyTableNameLoadsNothingAndKeepsTheDatFolder)
{
    create();
    w->show();
    EXPECT_FALSE(w->session().table().modified());
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_TRUE(w->statusText(2).endsWith("/Dat/"));
}

TEST_F(Fixture, ResizeSnapsToTheMinimumSize)
{
    create();
    w->show();
    w->resize(300, 200);
    EXPECT_GE(w->width(), 500);
    EXPECT_GE(w->height(), 400);
    EXPECT_LT(w->scrollExtent(), 0);
}

// The window opens within the screen's available area and is never narrower
// than the top bar's controls: the last one stays inside the bar.
TEST_F(Fixture, OpensWithinTheScreenAndKeepsTheTopBarReachable)
{
    create();
    w->show();
    const QRect avail = w->screen()->availableGeometry();
    EXPECT_LE(w->height(), avail.height());
    EXPECT_LE(w->width(), avail.width());
    for (int width : {300, 700, 1366}) {
        SCOPED_TRACE(width);
        w->resize(width, 600);
        QCoreApplication::processEvents();
        const QPoint right = control<QToolButton>(*w, "btnTableLoad")
                                 ->mapTo(control<BarFrame>(*w, "pnlTop"),
                                         QPoint(control<QToolButton>(*w, "btnTableLoad")->width(), 0));
        EXPECT_LE(right.x(), control<BarFrame>(*w, "pnlTop")->width());
        EXPECT_TRUE(control<QToolButton>(*w, "btnTableLoad")->isVisible());
        const int loadY
            = control<QToolButton>(*w, "btnTableLoad")->mapTo(control<BarFrame>(*w, "pnlTop"), QPoint()).y();
        const int testY = control<QPushButton>(*w, "btnTest")->mapTo(control<BarFrame>(*w, "pnlTop"), QPoint()).y();
        EXPECT_EQ(loadY > testY + 10, width < 1000)
            << "the board's buttons wrap to a second row only when the bar is narrow";
    }
}

TEST_F(Fixture, StatusBarDoubleClickTogglesTraceMode)
{
    create();
    w->show();
    ASSERT_FALSE(w->session().traceMode());
    auto* sBar = control<PanelStatusBar>(*w, "sBar");
    emit sBar->doubleClicked();
    EXPECT_TRUE(w->session().traceMode());
    EXPECT_EQ(sBar->panel(0)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    emit sBar->doubleClicked();
    EXPECT_FALSE(w->session().traceMode());
    EXPECT_NE(sBar->panel(0)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

TEST_F(Fixture, WaveBarDoubleClickTogglesTheAdvancedControlsAndRestoresWidths)
{
    create();
    w->show();
    QCoreApplication::processEvents();
    ASSERT_EQ(w->pnlContMarker(), 1);
    ASSERT_TRUE(control<QFrame>(*w, "pnlWaveData")->isVisible());
    auto* pgBar = control<QProgressBar>(*w, "pgBar");
    pgBar->show();
    QCoreApplication::processEvents();
    const int pg = pgBar->width();
    const int cmd = control<QComboBox>(*w, "cmbSendText")->width();
    emit control<BarFrame>(*w, "pnlCont")->doubleClicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->pnlContMarker(), 0);
    EXPECT_FALSE(control<QFrame>(*w, "pnlWaveData")->isVisible());
    EXPECT_FALSE(control<QCheckBox>(*w, "ckPcode")->isVisible());
    EXPECT_FALSE(control<QCheckBox>(*w, "ckFullCode")->isVisible());
    EXPECT_GT(pgBar->width(), pg);
    EXPECT_GT(control<QComboBox>(*w, "cmbSendText")->width(), cmd);
    emit control<BarFrame>(*w, "pnlCont")->doubleClicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(pgBar->width(), pg);
    EXPECT_EQ(control<QComboBox>(*w, "cmbSendText")->width(), cmd);
    EXPECT_TRUE(control<QCheckBox>(*w, "ckFullCode")->isVisible());
}

TEST_F(Fixture, TopBarDoubleClickShowsTheSerialItem)
{
    create();
    emit control<BarFrame>(*w, "pnlTop")->doubleClicked();
    EXPECT_TRUE(control<QAction>(*w, "mmFileCom")->isVisible());
    emit control<BarFrame>(*w, "pnlTop")->doubleClicked();
    EXPECT_FALSE(control<QAction>(*w, "mmFileCom")->isVisible());
}

TEST_F(Fixture, DoubleClickOnTheLearnPanelIsOneToggle)
{
    create();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const int marker = w->pnlContMarker();
    doubleClick(control<ClickPanel>(*w, "pnlAnalyze")); // not connected: each toggle asks to connect
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "ZOVAX-Etherに接続して下さい");
    EXPECT_EQ(w->pnlContMarker(), marker) << "the bar around the panel is not toggled";
}

TEST_F(Fixture, OnlyADoubleClickOnTheBarItselfTogglesIt)
{
    create();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    control<QProgressBar>(*w, "pgBar")->show();
    QCoreApplication::processEvents();
    const int cont = w->pnlContMarker();
    const bool com = control<QAction>(*w, "mmFileCom")->isVisible();
    for (QWidget* inside : {static_cast<QWidget*>(control<QLabel>(*w, "lblZoom")),
                            static_cast<QWidget*>(control<QProgressBar>(*w, "pgBar")),
                            static_cast<QWidget*>(control<QFrame>(*w, "pnlWaveData")),
                            static_cast<QWidget*>(control<QLabel>(*w, "pnlHost"))}) {
        doubleClick(inside);
        EXPECT_EQ(w->pnlContMarker(), cont) << inside->objectName().toStdString();
        EXPECT_EQ(control<QAction>(*w, "mmFileCom")->isVisible(), com) << inside->objectName().toStdString();
    }
    doubleClickOnSurface(control<BarFrame>(*w, "pnlCont"));
    EXPECT_NE(w->pnlContMarker(), cont);
    doubleClickOnSurface(control<BarFrame>(*w, "pnlTop"));
    EXPECT_NE(control<QAction>(*w, "mmFileCom")->isVisible(), com);
}

TEST_F(Fixture, ConnectButtonConnectsOrHangsUpByItsCaption)
{
    create();
    std::vector<bool> calls;
    // Only the request is watched: the session would dial the default board.
    QObject::disconnect(w.get(), &MainWindow::connectRequested, nullptr, nullptr);
    QObject::connect(w.get(), &MainWindow::connectRequested, [&](bool on) { calls.push_back(on); });
    QToolButton* connectButton = control<QToolButton>(*w, "btnConnect");
    connectButton->click();
    EXPECT_TRUE(w->session().link().state().tcpConnected);
    w->showConnected(true);
    EXPECT_EQ(connectButton->text(), "接続中");
    connectButton->click();
    EXPECT_FALSE(w->session().link().state().tcpConnected);
    EXPECT_EQ(calls, (std::vector<bool>{true, false}));
}

TEST_F(Fixture, CloseHangsUpThenWritesTheSettings)
{
    create();
    w->show();
    w->session().link().state().tcpConnected = true;
    bool fileExistedAtHangUp = true;
    QObject::disconnect(w.get(), &MainWindow::connectRequested, nullptr, nullptr);
    QObject::connect(w.get(), &MainWindow::connectRequested, [&](bool on) {
        EXPECT_FALSE(on);
        fileExistedAtHangUp = QFileInfo::exists(iniPath());
        w->session().link().state().tcpConnected = false;
    });
    int portClosed = 0;
    QObject::connect(w.get(), &MainWindow::closed, [&] { ++portClosed; });
    control<QLineEdit>(*w, "edtHrange")->setText("x");
    control<QLineEdit>(*w, "edtWrange")->setText("");
    control<QLineEdit>(*w, "edtLearningTime")->setText("7.5");
    w->close();
    EXPECT_FALSE(fileExistedAtHangUp);
    EXPECT_EQ(portClosed, 1);
    const Settings s = LoadSettings(iniPath());
    EXPECT_EQ(s.learn.hRangePercent, 20);
    EXPECT_EQ(s.learn.wRangePercent, 15);
    EXPECT_EQ(s.learn.learnTimeUs, 500000);
}

TEST_F(Fixture, LearningTimeBoxTakesUpToFiveDigits)
{
    create();
    w->show();
    auto* edtLearningTime = control<QLineEdit>(*w, "edtLearningTime");
    edtLearningTime->setFocus();
    edtLearningTime->selectAll();
    QTest::keyClicks(edtLearningTime, "12a-.34 56789");
    EXPECT_EQ(edtLearningTime->text(), "12345");
    edtLearningTime->selectAll();
    QTest::keyClicks(edtLearningTime, "50"); // raised when learning is switched on
    EXPECT_EQ(edtLearningTime->text(), "50");
}

TEST_F(Fixture, CloseSaysWhichRememberedPathCannotBeReopened)
{
    create();
    w->show();
    w->session().settings().tableFileName = dir.filePath(QStringLiteral("josé.Csv"));
    w->close();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_TRUE(prompts.asked[0].text.contains(QStringLiteral("josé.Csv"))) << prompts.asked[0].text.toStdString();
    EXPECT_TRUE(QFileInfo::exists(iniPath())); // written all the same, in its code page
}

TEST_F(Fixture, CloseWithAnUnwritableSettingsFileReportsNg)
{
    MainWindowOptions o;
    o.settingsPath = "/nonexistent/folder/tool.ini";
    o.prompts = &prompts;
    o.sounds = &sounds;
    w = createAppWindows(o);
    w->show();
    w->close();
    EXPECT_EQ(w->statusText(0), "NG ... /nonexistent/folder/tool.ini");
    EXPECT_TRUE(prompts.asked.empty());
}

TEST(MemoReceiveLogTest, BufferedLinesShowInOrderOnTheNextTurnAfterRelease)
{
    QPlainTextEdit memo;
    MemoReceiveLog log(&memo);
    log.append("a");
    log.setBuffered(true);
    log.append("b");
    log.setBuffered(false);
    log.append("c"); // before the collected lines are shown: after them
    EXPECT_EQ(memo.toPlainText(), "a");
    EXPECT_EQ(log.lineCount(), 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(memo.toPlainText(), "a\nb\nc");
    EXPECT_FALSE(log.buffered());
    log.append("d");
    EXPECT_EQ(memo.toPlainText(), "a\nb\nc\nd");

    // Buffering again before the release was carried out keeps it on.
    log.setBuffered(true);
    log.append("e");
    log.setBuffered(false);
    log.setBuffered(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.buffered());
    EXPECT_EQ(memo.toPlainText(), "a\nb\nc\nd");
    log.setBuffered(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(memo.toPlainText(), "a\nb\nc\nd\ne");
}
