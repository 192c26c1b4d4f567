// The tool's windows against the board simulator on loopback: connecting from
// either button, hang-up and loss of the link, failed dials, reading and
// changing the board's network configuration, the console's configuration
// dialogue and the fire test.
#include "ToolAndBoard.h"
#include "app/FakePorts.h"
#include "app/link/TcpDialog.h"
#include "app/main/AppAssembly.h"
#include "app/main/ConnectionBinding.h"
#include "app/main/MainWindow.h"
#include "app/widgets/Panels.h"
#include "core/learning/Learner.h"
#include "core/link/DeviceLink.h"
#include "core/link/LoopbackBoard.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "sim/board/BoardSim.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;
using test::waitUntil;

namespace {

struct ConnectionE2E : ::testing::Test, e2e::ToolAndBoard {
    TcpDialog* dlg = nullptr;
    ConnectionBinding* binding = nullptr;
    // The dialog's controls, found by their names.
    struct Controls {
        QToolButton* btnConnect;
        QGroupBox* pnlZVAXEconf;
        QLineEdit* edtSvIP;
        QLineEdit* edtSvPort;
        QLineEdit* edtMacAdrs;
        QLineEdit* edtLinkDown;
        QLineEdit* edtRecvTout;
        QPushButton* btnSetup;
        PanelStatusBar* sBar;
        QLineEdit* edtGateway;
        QLineEdit* edtPort;
    } ui{};

    void start(sim::BoardOptions o = {})
    {
        o.restartMs = 200;
        ASSERT_NO_FATAL_FAILURE(startToolAndBoard(o));
        dlg = w.tool().windows().frmTcp;
        binding = &w.tool().connection();
        ASSERT_TRUE(dlg && binding);
        ui = {control<QToolButton>(*dlg, "btnConnect"), control<QGroupBox>(*dlg, "pnlZVAXEconf"),
              control<QLineEdit>(*dlg, "edtSvIP"),      control<QLineEdit>(*dlg, "edtSvPort"),
              control<QLineEdit>(*dlg, "edtMacAdrs"),   control<QLineEdit>(*dlg, "edtLinkDown"),
              control<QLineEdit>(*dlg, "edtRecvTout"),  control<QPushButton>(*dlg, "btnSetup"),
              control<PanelStatusBar>(*dlg, "sBar"),    control<QLineEdit>(*dlg, "edtGateway"),
              control<QLineEdit>(*dlg, "edtPort")};
    }
    void TearDown() override
    {
        if (dlg && dlg->isVisible())
            dlg->close();
    }
    LinkState& state() { return w->session().link().state(); }
    QStringList commands() const { return board->commandTexts(); }
    bool waitCommands(int n, int ms = 5000)
    {
        return waitUntil([&] { return commands().size() >= n; }, ms);
    }
    QStringList memoLines() const
    {
        return control<QPlainTextEdit>(*w, "memoRecv")->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    void pause(int ms)
    {
        test::waitUntil([] { return false; }, ms);
    }
    void sendFromConsole(const QString& text)
    {
        control<QComboBox>(*w, "cmbSendText")->setCurrentText(text);
        control<QPushButton>(*w, "btnSend")->click();
    }
    bool connectFromMainButton()
    {
        control<QToolButton>(*w, "btnConnect")->click();
        return waitUntil([&] { return state().tcpConnected && board->hasClient(); }) && waitCommands(2);
    }
};

TEST_F(ConnectionE2E, MainButtonConnectsSendsVerThenTAndShowsTheReplies)
{
    start();
    ASSERT_TRUE(connectFromMainButton());
    EXPECT_EQ(commands(), QStringList({"Ver", "T"}));
    EXPECT_EQ(control<QToolButton>(*w, "btnConnect")->text(), "接続中");
    EXPECT_EQ(w->statusText(0), "Connect: 127.0.0.1");
    EXPECT_EQ(control<QLabel>(*w, "pnlHost")->text(), QString("127.000.000.001/%1").arg(board->serverPort()));
    ASSERT_TRUE(waitUntil([&] { return !memoLines().isEmpty(); }));
    EXPECT_TRUE(memoLines().first().startsWith("ZOVAX-Ether")) << memoLines().first().toStdString();

    // Hanging up with the same button: no sound, no warning.
    control<QToolButton>(*w, "btnConnect")->click();
    EXPECT_EQ(control<QToolButton>(*w, "btnConnect")->text(), "接続");
    EXPECT_EQ(w->statusText(0), "Disconnect");
    ASSERT_TRUE(waitUntil([&] { return !board->hasClient(); }));
    pause(50);
    EXPECT_TRUE(sounds.played.empty());
    EXPECT_TRUE(prompts.asked.empty());
}

// A board left in its loader answers "Ver" from there: the main window says so.
TEST_F(ConnectionE2E, BoardInItsLoaderIsShownOnConnect)
{
    start();
    board->engine().forcePhase(sim::Phase::Loader);
    ASSERT_TRUE(connectFromMainButton());
    EXPECT_TRUE(waitUntil([&] { return state().boardInLoader; }, 3000));
    EXPECT_EQ(w->statusText(0), "Loader: 127.000.000.001");
    EXPECT_TRUE(memoLines().join('|').contains("ZOVAX-Ether Loader"))
        << memoLines().join('|').toStdString() << " / " << commands().join('|').toStdString();

    // Learning cannot be switched on against the loader.
    auto* analyze = w->findChild<QWidget*>(QStringLiteral("pnlAnalyze"));
    ASSERT_NE(analyze, nullptr);
    QTest::mouseClick(analyze, Qt::LeftButton);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, boardInLoaderText());
    pause(100);
    EXPECT_FALSE(commands().contains("A")) << commands().join('|').toStdString();
}

TEST_F(ConnectionE2E, TheBoardDroppingTheLinkPlaysTheSound)
{
    sim::BoardOptions o;
    o.dropAfter = 3; // closes the link after the third command
    start(o);
    ASSERT_TRUE(connectFromMainButton());
    sendFromConsole("Mode?");
    ASSERT_TRUE(waitUntil([&] { return !state().tcpConnected; }));
    EXPECT_EQ(sounds.played, std::vector<Sound>({Sound::Chord}));
    EXPECT_EQ(w->statusText(0), "Disconnect");
    EXPECT_EQ(control<QToolButton>(*w, "btnConnect")->text(), "接続");
    pause(50);
    EXPECT_TRUE(prompts.asked.empty()) << "an orderly close is not a socket error";
}

TEST_F(ConnectionE2E, RefusedAndUnansweredDialsEndAsSocketErrors)
{
    start();
    test::UnansweredPort silent;
    ASSERT_TRUE(silent.ok());
    binding->connection().setDialTimeoutMs(400);
    const QString reasons[] = {"refused", "timed out"};
    int k = 0;
    for (quint16 port : {test::closedLoopbackPort(), silent.port()}) {
        const QString reason = reasons[k++];
        prompts.asked.clear();
        w->session().settings().tcpip.Port = port;
        QElapsedTimer t;
        t.start();
        control<QToolButton>(*w, "btnConnect")->click();
        ASSERT_TRUE(waitUntil([&] { return !prompts.asked.empty(); }, 4000)) << port;
        EXPECT_LT(t.elapsed(), 3000);
        EXPECT_EQ(prompts.asked[0].caption, "Warning");
        EXPECT_EQ(prompts.asked[0].text, "Socket Error!");
        EXPECT_FALSE(state().tcpConnected);
        EXPECT_EQ(control<QToolButton>(*w, "btnConnect")->text(), "接続");
        EXPECT_EQ(w->statusText(0), "Disconnect: " + reason);
        EXPECT_EQ(memoLines().last(), QString("Socket Error! %1 (127.0.0.1/%2)").arg(reason).arg(port));
    }
    EXPECT_TRUE(commands().isEmpty());

    // A board busy with another client takes the link and drops it at once.
    w->session().settings().tcpip.Port = board->serverPort();
    QTcpSocket other;
    other.connectToHost(QHostAddress::LocalHost, board->serverPort());
    ASSERT_TRUE(waitUntil([&] { return board->hasClient(); }));
    control<QToolButton>(*w, "btnConnect")->click();
    ASSERT_TRUE(waitUntil([&] { return w->statusText(0).startsWith("Disconnect"); }, 3000));
    EXPECT_EQ(w->statusText(0), "Disconnect: board busy with another client");
}

// The dialog open: connect sends Ver and Ncnf, the answer fills and shows the
// group and moves the target to the board's reported address.
struct ConfigE2E : ConnectionE2E {
    void openAndConnect()
    {
        dlg->show();
        ui.btnConnect->click();
        ASSERT_TRUE(waitUntil([&] { return ui.pnlZVAXEconf->isEnabled(); }));
    }
};

TEST_F(ConfigE2E, DialogConnectReadsTheBoardsConfiguration)
{
    start();
    openAndConnect();
    EXPECT_EQ(commands(), QStringList({"Ver", "Ncnf"}));
    const QString port = QString::number(board->serverPort());
    EXPECT_EQ(ui.edtSvIP->text(), "127.000.000.001");
    EXPECT_EQ(ui.edtSvPort->text().toInt(), board->serverPort());
    EXPECT_EQ(ui.edtMacAdrs->text(), "0A-3C-51-E0-01-00");
    EXPECT_EQ(ui.edtLinkDown->text(), "010");
    EXPECT_EQ(ui.edtRecvTout->text(), "180");
    EXPECT_EQ(w->session().settings().svcnf.SvIP, "127.000.000.001");
    EXPECT_EQ(w->session().settings().svcnf.RecvTout, 180);
    EXPECT_EQ(control<QLabel>(*w, "pnlHost")->text(), "127.000.000.001/" + port);
    EXPECT_EQ(ui.btnSetup->text(), "Update");
    EXPECT_EQ(dlg->width(), ui.pnlZVAXEconf->x() + ui.pnlZVAXEconf->width() + 8);
    EXPECT_EQ(ui.sBar->panelText(0), "Connect: 127.0.0.1");
}

// Update sends the eight settings in order and "Nsav"; the board restarts on
// its new port ("System Reset": the tool hangs up), the tool's target follows
// it, and a new connection reads the saved values back.
TEST_F(ConfigE2E, UpdateChangesTheBoardAndTheToolFollowsIt)
{
    start();
    openAndConnect();
    board->clearCommandLog();
    const quint16 newPort = test::closedLoopbackPort();
    ui.edtSvPort->setText(QString::number(newPort));
    ui.edtLinkDown->setText("20");
    ui.edtRecvTout->setText("240");
    ui.edtGateway->setText("127.0.0.254");
    ui.btnSetup->click();
    const QString p = QString::number(newPort);
    ASSERT_TRUE(waitCommands(9));
    EXPECT_EQ(commands(),
              QStringList({"Nmac:0A-3C-51-E0-01-00", "Nmip:127.000.000.001", "Npno:" + p, "Nmsk:255.000.000.000",
                           "Ngip:127.000.000.254", "Ndns:127.000.000.001", "Nlnk:20", "Nrcv:240", "Nsav"}));
    ASSERT_TRUE(waitUntil([&] { return !state().tcpConnected; }));
    EXPECT_FALSE(ui.pnlZVAXEconf->isEnabled()) << "the group hides with the link";
    EXPECT_EQ(w->session().settings().tcpip.Port, newPort) << "the board's \"P:\" answer moved the target";
    EXPECT_EQ(ui.edtPort->text(), p);
    EXPECT_EQ(control<QLabel>(*w, "pnlHost")->text(), "127.000.000.001/" + p);
    EXPECT_EQ(w->session().settings().svcnf.LinkDown, 20);
    pause(50);
    EXPECT_TRUE(prompts.asked.empty());

    // After its restart the board listens on the new port; connect again.
    ASSERT_TRUE(waitUntil([&] { return board->serverPort() == newPort; }));
    board->clearCommandLog();
    ui.btnConnect->click();
    ASSERT_TRUE(waitUntil([&] { return ui.pnlZVAXEconf->isEnabled(); }));
    EXPECT_EQ(commands(), QStringList({"Ver", "Ncnf"}));
    EXPECT_EQ(ui.edtLinkDown->text(), "020");
    EXPECT_EQ(ui.edtRecvTout->text(), "240");
    EXPECT_EQ(ui.edtGateway->text(), "127.000.000.254");
    EXPECT_EQ(w->session().settings().svcnf.SvPort, newPort);
}

TEST_F(ConfigE2E, UpdateSendsNsavEvenWhenNothingAnswers)
{
    start();
    openAndConnect();
    board->clearCommandLog();
    // From here on the board stays silent.
    sim::BoardOptions silent;
    silent.noAck = true;
    board.reset(); // the link drops; connect to a silent board instead
    ASSERT_TRUE(waitUntil([&] { return !state().tcpConnected; }));
    board = std::make_unique<sim::BoardSim>(silent);
    ASSERT_TRUE(board->listen(QHostAddress::LocalHost, 0));
    w->session().settings().tcpip.Port = board->serverPort();
    ui.edtPort->setText(QString::number(board->serverPort()));
    ui.btnConnect->click();
    ASSERT_TRUE(waitCommands(2));
    binding->netConfig().ShowConfigGroup(true); // as after a report, so Update can be clicked
    QElapsedTimer t;
    t.start();
    ui.btnSetup->click();
    EXPECT_GE(t.elapsed(), 8 * 100 - 10);
    ASSERT_TRUE(waitCommands(11));
    const QStringList c = commands();
    QStringList heads;
    for (const QString& s : c.mid(2))
        heads << s.left(5);
    EXPECT_EQ(heads, QStringList({"Nmac:", "Nmip:", "Npno:", "Nmsk:", "Ngip:", "Ndns:", "Nlnk:", "Nrcv:", "Nsav"}));
    EXPECT_EQ(ui.btnSetup->text(), "...");
}

// The console's configuration dialogue on TCP: "C" routes the board's lines
// to the configuration handling (and lists them), "Save" adopts the board's
// address, "Quit" ends the mode when the board's report ends.
TEST_F(ConnectionE2E, ConsoleConfigurationDialogue)
{
    start();
    ASSERT_TRUE(connectFromMainButton());
    ASSERT_TRUE(waitUntil([&] { return !memoLines().isEmpty(); }));
    control<QToolButton>(*w, "btnRecvClear")->click();

    sendFromConsole("C");
    EXPECT_TRUE(state().consoleConfigMode);
    ASSERT_TRUE(waitUntil([&] { return memoLines().filter("R:").size() == 1; }));
    EXPECT_TRUE(memoLines().contains("P:" + QString::number(board->serverPort()).rightJustified(5, '0')));
    sendFromConsole("Quit");
    ASSERT_TRUE(waitUntil([&] { return !state().consoleConfigMode; }));

    // Change the port inside the dialogue, then save: the tool aims at it.
    const quint16 newPort = test::closedLoopbackPort();
    sendFromConsole("C");
    const QString p = QString::number(newPort);
    sendFromConsole("P:" + p);
    ASSERT_TRUE(waitUntil([&] { return w->session().settings().svcnf.SvPort == newPort; }));
    EXPECT_EQ(w->session().settings().tcpip.Port, board->serverPort()) << "only Save moves the target";
    sendFromConsole("Save");
    EXPECT_FALSE(state().consoleConfigMode);
    EXPECT_EQ(w->session().settings().tcpip.Port, newPort);
    EXPECT_EQ(w->session().settings().tcpip.Host, "127.000.000.001");
    EXPECT_EQ(ui.edtPort->text(), p);
    EXPECT_EQ(control<QLabel>(*w, "pnlHost")->text(), "127.000.000.001/" + p);
    // The board restarts and drops the link.
    ASSERT_TRUE(waitUntil([&] { return !state().tcpConnected; }));
    ASSERT_TRUE(waitUntil([&] { return board->serverPort() == newPort; }));
    board->clearCommandLog();
    ASSERT_TRUE(connectFromMainButton());
    EXPECT_EQ(commands(), QStringList({"Ver", "T"}));
    EXPECT_EQ(control<QComboBox>(*w, "cmbSendText")->count(), 4); // C, Quit, P:..., Save
}

// The fire test's exact lines for several rows, the Cursor Auto move, and a
// blank Carry cell that sends nothing.
TEST_F(ConnectionE2E, FireTestSendsTheRowsExactLines)
{
    start();
    CodeTable& t = w->session().table();
    TableEntry a; // odd data count, pairs list ending at pair 2
    a.carrier = 380;
    a.dataCount = 3;
    a.repeat = 1;
    a.high[0] = 9000, a.width[0] = 13500;
    a.high[1] = 560, a.width[1] = 1120;
    a.data[0] = 0, a.data[1] = 1, a.data[2] = 1;
    t.setRow(1, {"38.0", "abc", "", ""}, a);
    TableEntry b = a; // blank Frames: no Tf
    b.dataCount = 2;
    t.setRow(2, {"38.0", "", "", ""}, b);
    t.setRow(3, {"  ", "3", "", ""}, a); // blank Carry: nothing
    auto* sGrid = control<QTableView>(*w, "sGrid");
    sGrid->setCurrentIndex(sGrid->model()->index(0, 1));
    control<QCheckBox>(*w, "ckTp1")->setChecked(false);
    control<QCheckBox>(*w, "ckTp2")->setChecked(false);
    control<QCheckBox>(*w, "ckTp3")->setChecked(false);
    control<QCheckBox>(*w, "ckTp4")->setChecked(false);
    ASSERT_TRUE(connectFromMainButton());
    board->clearCommandLog();

    control<QPushButton>(*w, "btnTest")->click();
    ASSERT_TRUE(waitCommands(10));
    EXPECT_EQ(commands(),
              QStringList({"Tp:0000", "Twf:000", "Twc:380", "Twb:003", "Twr:001", "Twp:0:09000,013500",
                           "Twp:1:00560,001120", "Twp:2:00000,000000", "Twd:0111", "Tf:003"}));
    EXPECT_EQ(sGrid->currentIndex().row(), 1) << "Cursor Auto moved to row 2";

    board->clearCommandLog();
    control<QCheckBox>(*w, "ckTp2")->setChecked(true);
    control<QPushButton>(*w, "btnTest")->click();
    ASSERT_TRUE(waitCommands(9));
    pause(50);
    EXPECT_EQ(commands(),
              QStringList({"Tp:0100", "Twf:000", "Twc:380", "Twb:002", "Twr:001", "Twp:0:09000,013500",
                           "Twp:1:00560,001120", "Twp:2:00000,000000", "Twd:01"}));
    EXPECT_EQ(sGrid->currentIndex().row(), 2);

    board->clearCommandLog();
    control<QPushButton>(*w, "btnTest")->click();
    pause(50);
    EXPECT_TRUE(commands().isEmpty()) << "a blank Carry cell sends nothing";
    EXPECT_FALSE(memoLines().join('|').contains("no answer")) << memoLines().join('|').toStdString();
    EXPECT_EQ(sGrid->currentIndex().row(), 2);
    EXPECT_TRUE(prompts.asked.empty());
}

} // namespace

namespace {

// A board that answers nothing: the fire test ends with the first unanswered
// command named in the receive log.
TEST_F(ConnectionE2E, FireTestOnASilentBoardNamesTheUnansweredCommand)
{
    sim::BoardOptions o;
    o.noAck = true;
    start(o);
    TableEntry a;
    a.carrier = 380;
    a.dataCount = 2;
    a.high[0] = 560, a.width[0] = 1120;
    w->session().table().setRow(1, {"38.0", "2", "", ""}, a);
    control<QTableView>(*w, "sGrid")->setCurrentIndex(control<QTableView>(*w, "sGrid")->model()->index(0, 1));
    control<QToolButton>(*w, "btnConnect")->click();
    ASSERT_TRUE(waitUntil([&] { return state().tcpConnected && board->hasClient(); }));
    ASSERT_TRUE(waitCommands(2));
    control<QPushButton>(*w, "btnTest")->click();
    ASSERT_TRUE(waitUntil([&] { return memoLines().join('|').contains("Fire test"); }, 4000));
    EXPECT_EQ(memoLines().last(), "Fire test: no answer to Tf:002");
}

} // namespace
