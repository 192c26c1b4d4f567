// The network settings dialog and the main window's connection controls:
// the dialog's fields, masks and shapes, the Host IP group, closing, the
// connect buttons on both windows, the command line's Enter rules and the
// PC address shown.
#include "FakePorts.h"
#include "app/link/TcpDialog.h"
#include "app/main/AppAssembly.h"
#include "app/main/ConnectionBinding.h"
#include "app/main/MainWindow.h"
#include "app/widgets/Panels.h"
#include "core/link/DeviceLink.h"
#include "core/link/LoopbackBoard.h"
#include "core/shell/Settings.h"
#include "support/Controls.h"
#include "support/TestSupport.h"
#include "support/ToolFixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;
using test::waitUntil;

namespace {

struct ConnectionWidgets : ::testing::Test, test::ToolFixture {
    TcpDialog* dlg = nullptr;
    ConnectionBinding* binding = nullptr;
    // The dialog's controls, found by their names.
    struct Controls {
        QGroupBox* pnlHost;
        QGroupBox* pnlZVAXEconf;
        QGroupBox* pnlMyPcName;
        QComboBox* cmbSendHead;
        QComboBox* cmbSendDlmt;
        QLineEdit* edtHost;
        QLineEdit* edtSvIP;
        QLineEdit* edtNetMask;
        QLineEdit* edtGateway;
        QLineEdit* edtDNS;
        QLineEdit* edtMacAdrs;
        PanelStatusBar* sBar;
        QPushButton* btnClose;
        QPushButton* btnSetup;
        QLineEdit* edtPort;
        QToolButton* btnConnect;
        QLabel* lblSvMacAddress;
    } ui{};
    test::LoopbackBoard board;

    void SetUp() override
    {
        createTool();
        dlg = w.tool().windows().frmTcp;
        binding = &w.tool().connection();
        ASSERT_TRUE(dlg && binding);
        ui = {control<QGroupBox>(*dlg, "pnlHost"),     control<QGroupBox>(*dlg, "pnlZVAXEconf"),
              control<QGroupBox>(*dlg, "pnlMyPcName"), control<QComboBox>(*dlg, "cmbSendHead"),
              control<QComboBox>(*dlg, "cmbSendDlmt"), control<QLineEdit>(*dlg, "edtHost"),
              control<QLineEdit>(*dlg, "edtSvIP"),     control<QLineEdit>(*dlg, "edtNetMask"),
              control<QLineEdit>(*dlg, "edtGateway"),  control<QLineEdit>(*dlg, "edtDNS"),
              control<QLineEdit>(*dlg, "edtMacAdrs"),  control<PanelStatusBar>(*dlg, "sBar"),
              control<QPushButton>(*dlg, "btnClose"),  control<QPushButton>(*dlg, "btnSetup"),
              control<QLineEdit>(*dlg, "edtPort"),     control<QToolButton>(*dlg, "btnConnect"),
              control<QLabel>(*dlg, "lblSvMacAddress")};
        ASSERT_TRUE(board.start());
        w->session().settings().tcpip.Host = "127.000.000.001";
        w->session().settings().tcpip.Port = board.port();
    }
    void TearDown() override
    {
        if (dlg->isVisible())
            dlg->close();
    }
    LinkState& state() { return w->session().link().state(); }
    QColor textColour(QLineEdit* e) { return e->palette().color(QPalette::Disabled, QPalette::Text); }
};

TEST_F(ConnectionWidgets, DialogControlsCarryTheirNamesTextsAndMasks)
{
    EXPECT_EQ(dlg->objectName(), "frmTcp");
    EXPECT_EQ(dlg->windowTitle(), "Network Settings");
    struct Row {
        const char* name;
        const char* text;
    };
    const Row texts[] = {{"lblHostIP", "IP Address"},
                         {"edtHost", "192.168.000.100"},
                         {"lblHostPort", "Port Number"},
                         {"edtPort", "60000"},
                         {"lblSendHead", "Send Header"},
                         {"lblSendDlmt", "Send Delimit"},
                         {"lblMyIP", "PC IP:"},
                         {"btnConnect", "接続"},
                         {"btnClose", "閉じる"},
                         {"edtSvIP", "192.168.000.100"},
                         {"edtSvPort", "60000"},
                         {"edtNetMask", "255.255.255.000"},
                         {"edtGateway", "192.168.000.001"},
                         {"edtDNS", "192.168.000.001"},
                         {"lblSvMacAddress", "Mac Address"},
                         {"edtMacAdrs", "0A-3C-51-E0-00-00"},
                         {"edtLinkDown", "10"},
                         {"edtRecvTout", "180"},
                         {"btnSetup", "Update"}};
    for (const Row& r : texts) {
        QWidget* c = dlg->findChild<QWidget*>(r.name);
        ASSERT_TRUE(c) << r.name;
        QString t;
        if (auto* l = qobject_cast<QLabel*>(c))
            t = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(c))
            t = e->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(c))
            t = b->text();
        EXPECT_EQ(t, QString::fromUtf8(r.text)) << r.name;
    }
    EXPECT_EQ(ui.pnlHost->title(), "Host IP");
    EXPECT_EQ(ui.pnlZVAXEconf->title(), "ZOVAX-Ether Network Configuration");
    EXPECT_TRUE(ui.pnlMyPcName->title().startsWith("PC-Name: ") || ui.pnlMyPcName->title() == "PC Name:");
    EXPECT_EQ(ui.cmbSendHead->count(), 2);
    EXPECT_EQ(ui.cmbSendHead->itemText(1), "STX");
    EXPECT_EQ(ui.cmbSendDlmt->count(), 3);
    EXPECT_EQ(ui.cmbSendDlmt->itemText(2), "ETX");
    for (QLineEdit* e : {ui.edtHost, ui.edtSvIP, ui.edtNetMask, ui.edtGateway, ui.edtDNS})
        EXPECT_EQ(e->inputMask(), "999.999.999.999") << e->objectName().toStdString(); // blank: space
    EXPECT_EQ(ui.edtMacAdrs->inputMask(), ">NN-NN-NN-NN-NN-NN");
    EXPECT_EQ(ui.sBar->panelCount(), 2);
    EXPECT_EQ(ui.sBar->panel(0)->width(), 240);
}

TEST_F(ConnectionWidgets, MaskedFieldsShowWhatTheyAreGiven)
{
    ui.edtSvIP->setText("127.000.000.001");
    EXPECT_EQ(ui.edtSvIP->text(), "127.000.000.001");
    ui.edtMacAdrs->setText("0a-3c-51-e0-00-0f");
    EXPECT_EQ(ui.edtMacAdrs->text(), "0A-3C-51-E0-00-0F");
}

TEST_F(ConnectionWidgets, ConfigGroupHiddenUntilShownAndTheDialogFollowsIt)
{
    const int clientHeight = ui.btnClose->y() + ui.btnClose->height() + ui.sBar->sizeHint().height() + 8;
    // Hidden at creation: cut off to the left of the group, silver texts.
    EXPECT_FALSE(ui.pnlZVAXEconf->isEnabled());
    EXPECT_EQ(dlg->width(), ui.pnlZVAXEconf->x() - 2);
    EXPECT_EQ(dlg->height(), clientHeight);
    EXPECT_EQ(textColour(ui.edtSvIP), TcpDialog::kSilver);
    binding->netConfig().HandleConfigLine("R:180");
    EXPECT_TRUE(ui.pnlZVAXEconf->isEnabled());
    EXPECT_EQ(dlg->width(), ui.pnlZVAXEconf->x() + ui.pnlZVAXEconf->width() + 8);
    EXPECT_EQ(dlg->height(), clientHeight);
    EXPECT_NE(textColour(ui.edtSvIP), TcpDialog::kSilver);
    EXPECT_FALSE(ui.edtMacAdrs->isEnabled()) << "the MAC waits for its label's double-click";
    EXPECT_EQ(textColour(ui.edtMacAdrs), TcpDialog::kSilver);
    EXPECT_EQ(ui.btnSetup->text(), "Update");
    // Centred horizontally over the main window.
    EXPECT_EQ(dlg->x(), w->x() + (w->width() - dlg->width()) / 2);
}

TEST_F(ConnectionWidgets, ShowFillsTheHostGroupCollapsedAndCloseByFrameEndsTheHold)
{
    w->session().settings().tcpip.Port = 60005;
    w->session().settings().tcpip.SendHead = "STX";
    w->session().settings().tcpip.SendDlmt = "ETX";
    dlg->show();
    EXPECT_TRUE(state().netConfigOpen);
    EXPECT_EQ(ui.edtHost->text(), "127.000.000.001");
    EXPECT_EQ(ui.edtPort->text(), "60005");
    EXPECT_EQ(ui.cmbSendHead->currentText(), "STX");
    EXPECT_EQ(ui.cmbSendDlmt->currentText(), "ETX");
    EXPECT_EQ(dlg->hostGroupMarker(), 0);
    EXPECT_EQ(ui.pnlHost->height(), ui.edtHost->y() + ui.edtHost->height() + 20);
    EXPECT_FALSE(ui.cmbSendHead->isVisible());
    // Not connected: the board's fields come from the record, the group stays hidden.
    EXPECT_EQ(ui.edtSvIP->text(), w->session().settings().svcnf.SvIP);
    EXPECT_FALSE(ui.pnlZVAXEconf->isEnabled());

    // Double-clicks on the group expand it over the PC group and collapse it again.
    QTest::mouseDClick(ui.pnlHost, Qt::LeftButton, {}, QPoint(ui.pnlHost->width() - 4, 8));
    EXPECT_EQ(dlg->hostGroupMarker(), 1);
    EXPECT_EQ(ui.pnlHost->geometry().bottom(), ui.pnlMyPcName->geometry().bottom());
    EXPECT_TRUE(ui.cmbSendHead->isVisible());
    EXPECT_TRUE(ui.cmbSendDlmt->isVisible());
    QTest::mouseDClick(ui.pnlHost, Qt::LeftButton, {}, QPoint(ui.pnlHost->width() - 4, 8));
    EXPECT_EQ(dlg->hostGroupMarker(), 0);

    // A delimiter the list does not offer leaves the list as it was.
    dlg->close();
    EXPECT_FALSE(state().netConfigOpen) << "closing by the frame ends the hold on TCP lines";
    w->session().settings().tcpip.SendDlmt = "LF";
    dlg->show();
    EXPECT_EQ(ui.cmbSendDlmt->currentText(), "ETX");
    ui.btnClose->click();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(state().netConfigOpen);
}

TEST_F(ConnectionWidgets, DialogConnectUsesTheFieldsAndSendsVerThenNcnf)
{
    dlg->show();
    ui.edtHost->setText("127.0.0.1"); // as typed: groups not padded
    ui.edtPort->setText(QString::number(board.port()));
    ui.cmbSendHead->setCurrentIndex(1);
    ui.btnConnect->click();
    EXPECT_EQ(ui.btnConnect->text(), "...");
    EXPECT_EQ(w->statusText(0), "127.0.0.1");
    EXPECT_EQ(w->session().settings().tcpip.Host, "127.000.000.001");
    EXPECT_EQ(ui.edtHost->text(), "127.000.000.001");
    EXPECT_EQ(w->session().settings().tcpip.SendHead, "STX");
    ASSERT_TRUE(waitUntil([&] { return board.lines.size() >= 2; }));
    EXPECT_EQ(board.lines, QStringList({"\x02Ver", "\x02Ncnf"}));
    EXPECT_EQ(ui.btnConnect->text(), "接続中");
    EXPECT_EQ(ui.btnConnect->palette().color(QPalette::ButtonText), QColor(0, 0, 255));
    EXPECT_EQ(ui.sBar->panelText(0), "Connect: 127.0.0.1");
    EXPECT_EQ(control<QToolButton>(*w, "btnConnect")->text(), "接続中");
    EXPECT_EQ(w->statusText(0), "Connect: 127.0.0.1");
    EXPECT_EQ(control<QLabel>(*w, "pnlHost")->text(), QString("127.000.000.001/%1").arg(board.port()));

    ui.btnConnect->click(); // hangs up
    EXPECT_EQ(ui.btnConnect->text(), "接続");
    EXPECT_EQ(ui.sBar->panelText(0), "Disconnect");
    EXPECT_EQ(control<QToolButton>(*w, "btnConnect")->text(), "接続");
    EXPECT_EQ(w->statusText(0), "Disconnect");
    EXPECT_TRUE(sounds.played.empty());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(ConnectionWidgets, RefusedDialFromTheMainButtonWarnsAndPlaysTheSound)
{
    w->session().settings().tcpip.Port = test::closedLoopbackPort();
    control<QToolButton>(*w, "btnConnect")->click();
    ASSERT_TRUE(waitUntil([&] { return !prompts.asked.empty(); }));
    EXPECT_EQ(prompts.asked[0].caption, "Warning");
    EXPECT_EQ(prompts.asked[0].text, "Socket Error!");
    EXPECT_EQ(sounds.played, std::vector<Sound>({Sound::Chord}));
    EXPECT_EQ(control<QToolButton>(*w, "btnConnect")->text(), "接続");
    EXPECT_EQ(w->statusText(0), "Disconnect: refused");
    EXPECT_EQ(ui.btnConnect->text(), "接続");
    EXPECT_FALSE(state().tcpConnected);
}

TEST_F(ConnectionWidgets, EnterInTheCommandLineEntersTheHistoryAndASecondEnterSends)
{
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    control<QToolButton>(*w, "btnConnect")->click();
    ASSERT_TRUE(waitUntil([&] { return board.lines.size() >= 2; })); // Ver, T
    board.lines.clear();

    auto* cmbSendText = control<QComboBox>(*w, "cmbSendText");
    QLineEdit* line = cmbSendText->lineEdit();
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Return); // empty: nothing
    EXPECT_EQ(cmbSendText->count(), 0);
    EXPECT_TRUE(line->hasFocus());
    QTest::keyClicks(line, "Mode?");
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(cmbSendText->count(), 1);
    EXPECT_TRUE(control<QPushButton>(*w, "btnSend")->hasFocus());
    test::waitUntil([] { return false; }, 50);
    EXPECT_TRUE(board.lines.isEmpty()) << "the first Enter sends nothing";
    QTest::keyClick(control<QPushButton>(*w, "btnSend"), Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return board.lines.size() == 1; }));
    EXPECT_EQ(board.lines, QStringList({"Mode?"}));
    EXPECT_EQ(cmbSendText->currentText(), "Mode?") << "the command line keeps its text";
    EXPECT_EQ(cmbSendText->count(), 1);

    control<QPlainTextEdit>(*w, "memoRecv")->appendPlainText("something");
    control<QToolButton>(*w, "btnRecvClear")->click();
    EXPECT_TRUE(control<QPlainTextEdit>(*w, "memoRecv")->toPlainText().isEmpty());
}

TEST_F(ConnectionWidgets, CommandLineTakesKeysAsTypedAndEnterMovesToTheSendButton)
{
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QComboBox* cmb = control<QComboBox>(*w, "cmbSendText");
    // Keys go to the drop-down, as when the user clicks into it.
    const auto enter = [&](const QString& text) {
        cmb->setFocus();
        cmb->setEditText(QString());
        QTest::keyClicks(cmb, text);
        QTest::keyClick(cmb, Qt::Key_Return);
    };
    enter("Quit");
    EXPECT_EQ(cmb->count(), 1);
    EXPECT_TRUE(control<QPushButton>(*w, "btnSend")->hasFocus());
    enter("Save");
    // A prefix of a history entry, in either case, stays what was typed.
    for (const char* typed : {"Q", "s", "Qu"}) {
        cmb->setFocus();
        cmb->setEditText(QString());
        QTest::keyClicks(cmb, typed);
        EXPECT_EQ(cmb->currentText(), typed);
    }
    EXPECT_EQ(cmb->count(), 2);
}

TEST_F(ConnectionWidgets, MacLabelDoubleClickEnablesTheFieldAndAsksTheBoard)
{
    dlg->show();
    ui.btnConnect->click();
    ASSERT_TRUE(waitUntil([&] { return board.lines.size() >= 2; })); // Ver, Ncnf
    binding->netConfig().HandleConfigLine("R:180");
    ASSERT_TRUE(ui.pnlZVAXEconf->isEnabled());
    QTest::mouseDClick(ui.lblSvMacAddress, Qt::LeftButton);
    EXPECT_TRUE(ui.edtMacAdrs->isEnabled());
    EXPECT_NE(ui.edtMacAdrs->palette().color(QPalette::Active, QPalette::Text), TcpDialog::kSilver);
    ASSERT_TRUE(waitUntil([&] { return board.lines.size() >= 3; }));
    EXPECT_EQ(board.lines.last(), "Nmac:?");
    // The next hiding disables it again.
    ui.btnConnect->click();
    EXPECT_FALSE(ui.edtMacAdrs->isEnabled());
}

TEST(PcAddress, PrefersAnAddressOthersCanReach)
{
    const QHostAddress lan("10.20.30.40"), lo("127.0.1.1"), lo6("::1"), v6("fe80::1"), lan2("172.16.0.9");
    EXPECT_EQ(PcAddressText({lan}, {}), "10.20.30.40");
    EXPECT_EQ(PcAddressText({lo6, lo, lan}, {lan2}), "10.20.30.40");
    EXPECT_EQ(PcAddressText({lo}, {lo, v6, lan2}), "172.16.0.9");
    EXPECT_EQ(PcAddressText({lo}, {lo}), "127.0.1.1");
    EXPECT_EQ(PcAddressText({}, {}), "(unknown)");
    EXPECT_EQ(PcAddressText({v6}, {lo6}), "(unknown)");
}

} // namespace
