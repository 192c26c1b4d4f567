// The serial settings dialog frmCom: its controls and first values, taking the
// fields over, refusing non-numeric numbers, and the hidden menu item that runs it.
#include "app/link/ComDialog.h"
#include "FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "support/Controls.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;

namespace {

struct ComDialogTest : ::testing::Test {
    test::FakePrompts prompts;
    RS232C rec;
    ComDialog dlg{rec, prompts};
    // The dialog's controls, found by their names.
    struct Controls {
        QComboBox* cmbPort;
        QComboBox* cmbBps;
        QComboBox* cmbSendHead;
        QComboBox* cmbSendDlmt;
        QComboBox* cmbRecvDlmt;
        QLineEdit* edtRecvTout;
        QComboBox* cmbDataBit;
        QComboBox* cmbStopBit;
        QComboBox* cmbParity;
        QPushButton* btnOn;
    } ui{control<QComboBox>(dlg, "cmbPort"),     control<QComboBox>(dlg, "cmbBps"),
         control<QComboBox>(dlg, "cmbSendHead"), control<QComboBox>(dlg, "cmbSendDlmt"),
         control<QComboBox>(dlg, "cmbRecvDlmt"), control<QLineEdit>(dlg, "edtRecvTout"),
         control<QComboBox>(dlg, "cmbDataBit"),  control<QComboBox>(dlg, "cmbStopBit"),
         control<QComboBox>(dlg, "cmbParity"),   control<QPushButton>(dlg, "btnOn")};
};

} // namespace

TEST_F(ComDialogTest, ShowsTheRecordInNamedControls)
{
    rec.PortName = "/dev/ttyUSB1";
    rec.BaudRate = 14400;
    rec.SendHead = "STX";
    rec.SendDlmt = "LF";
    rec.RecvDlmt = "xyz";
    rec.RecvTout = 250;
    dlg.show();
    EXPECT_EQ(dlg.objectName() + dlg.windowTitle(), "frmCom通信ﾊﾟﾗﾒｰﾀ設定");
    QStringList captions;
    for (const char* n : {"gbComPara", "gbSend", "gbRecv"})
        captions << dlg.findChild<QGroupBox*>(n)->title();
    for (const char* n : {"lblPort", "lblBps", "lblDataBit", "lblParity", "lblStopBit", "lblSendHead", "lblSendDlmt",
                          "lblRecvDlmt", "lblRecvTout"})
        captions << dlg.findChild<QLabel*>(n)->text();
    for (const char* n : {"btnOn", "btnOff", "btnCancel"})
        captions << dlg.findChild<QPushButton*>(n)->text();
    EXPECT_EQ(captions.join('|'),
              "通信ﾊﾟﾗﾒｰﾀ|送信条件|受信条件|接続ﾎﾟｰﾄ|ﾎﾞｰﾚｰﾄ|ﾃﾞｰﾀﾋﾞｯﾄ|ﾊﾟﾘﾃｨﾁｪｯｸ|ｽﾄｯﾌﾟﾋﾞｯﾄ|"
              "ﾍｯﾀﾞｰ|ﾃﾞﾘﾐﾀ|ﾃﾞﾘﾐﾀ|ﾀｲﾑｱｳﾄ|接続|切断|ｷｬﾝｾﾙ");
    // The devices that exist here are offered; the stored name stays as it is.
    QStringList offered;
    for (int i = 0; i < ui.cmbPort->count(); ++i)
        offered << ui.cmbPort->itemText(i);
    EXPECT_EQ(offered, ComDialog::offeredPorts());
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    for (const QString& d : devices)
        EXPECT_TRUE(offered.contains(d)) << d.toStdString();
#ifndef Q_OS_WIN
    EXPECT_EQ(offered.size(), devices.size()) << "no COM names on this system";
#endif
    EXPECT_EQ(QStringList({ui.cmbPort->currentText(), ui.cmbBps->currentText(), ui.cmbSendHead->currentText(),
                           ui.cmbSendDlmt->currentText(), ui.cmbRecvDlmt->currentText(), ui.edtRecvTout->text()}),
              QStringList({"/dev/ttyUSB1", "14400", "STX", "LF", "無し", "250"}));
}

class NonNumeric : public ComDialogTest, public ::testing::WithParamInterface<int> {};

// A number field that is not a number stops "接続" with a message before anything
// is taken over; once corrected, every field is taken over.
TEST_P(NonNumeric, StopsTheTakeOverUntilCorrected)
{
    dlg.show();
    QComboBox* fields[] = {ui.cmbBps, ui.cmbDataBit, ui.cmbStopBit};
    ui.cmbPort->setCurrentText("/dev/ttyACM0");
    ui.cmbBps->setCurrentText("56000");
    ui.cmbDataBit->setCurrentText("7");
    ui.cmbParity->setCurrentText("EVEN");
    ui.cmbStopBit->setCurrentText("2");
    ui.cmbSendHead->setCurrentIndex(1);
    ui.cmbSendDlmt->setCurrentText("ETX");
    ui.cmbRecvDlmt->setCurrentText("無し");
    ui.edtRecvTout->setText("soon"); // not a number: 100
    const QString good = fields[GetParam()]->currentText();
    fields[GetParam()]->setCurrentText("8x");
    ui.btnOn->click();
    ASSERT_EQ(prompts.texts(), QStringList({"'8x' is not a valid integer value"}));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.btnOnMarker(), 0);
    EXPECT_EQ(rec.PortName + QString::number(rec.BaudRate), "COM3115200") << "no field is taken over";

    fields[GetParam()]->setCurrentText(good);
    ui.btnOn->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(std::make_tuple(dlg.btnOnMarker(), dlg.btnOffMarker(), dlg.btnCancelMarker()), std::make_tuple(1, 0, 0));
    EXPECT_EQ(std::tie(rec.BaudRate, rec.ByteSize, rec.StopBits, rec.RecvTout), std::make_tuple(56000, 7, 2, 100));
    EXPECT_EQ(QStringList({rec.PortName, rec.Parity, rec.SendHead, rec.SendDlmt, rec.RecvDlmt}),
              QStringList({"/dev/ttyACM0", "EVEN", "STX", "ETX", "無し"}));
}

INSTANTIATE_TEST_SUITE_P(Fields, NonNumeric, ::testing::Values(0, 1, 2));

TEST(ComMenu, CancelDisconnectAndAFailedConnectLeaveThePortClosed)
{
    QTemporaryDir dir;
    test::FakePrompts prompts;
    test::FakeSounds sounds;
    MainWindowOptions o;
    o.settingsPath = dir.filePath("tool.ini");
    o.prompts = &prompts;
    o.sounds = &sounds;
    ToolHandle w = createAppWindows(o);
    QList<QByteArray> sent;
    QObject::connect(&w->session().link(), &DeviceLink::serialFrameSent, [&](const QByteArray& f) { sent << f; });
    // Runs the menu item; `act` works the dialog while it is shown.
    auto runDialog = [&](const std::function<void(ComDialog&)>& act) {
        QTimer::singleShot(0, [act] { act(*qobject_cast<ComDialog*>(QApplication::activeModalWidget())); });
        control<QAction>(*w, "mmFileCom")->trigger();
        EXPECT_EQ(w->findChild<ComDialog*>(), nullptr) << "released after use";
    };

    w->session().setStatusText(0, "Disconnect");
    runDialog([&](ComDialog& d) {
        EXPECT_EQ(d.pos(), w->pos() + QPoint(8, 8));
        control<QComboBox>(d, "cmbPort")->setCurrentText("/dev/ttyUSB3");
        control<QPushButton>(d, "btnCancel")->click();
    });
    runDialog([](ComDialog& d) { d.close(); });
    runDialog([](ComDialog& d) { control<QPushButton>(d, "btnOff")->click(); });
    EXPECT_EQ(w->session().settings().rs232c.PortName, "COM3");
    EXPECT_EQ(w->statusText(0), "Disconnect");
    EXPECT_FALSE(w->session().link().state().portOpen || w->session().link().state().commError);

    runDialog([](ComDialog& d) { control<QPushButton>(d, "btnOn")->click(); }); // "COM3" has no device here
    EXPECT_FALSE(w->session().link().state().portOpen);
    EXPECT_EQ(w->statusText(0), "Can't Open COM3");
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_TRUE(sent.isEmpty());
}
