#include "app/link/ComDialog.h"

#include "app/widgets/Panels.h"
#include "core/link/SerialPort.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/shell/TextNumbers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace zovax {

namespace {

const QString kNone = QStringLiteral("無し");

QComboBox* combo(const QString& name, QWidget* parent, const QStringList& items, bool editable)
{
    auto* c = named<QComboBox>(name, parent);
    c->addItems(items);
    c->setEditable(editable);
    if (editable)
        c->setInsertPolicy(QComboBox::NoInsert); // Enter does not grow the list
    c->setMinimumWidth(110);
    return c;
}

// One row of a group: caption, field and an optional unit.
void addRow(QGridLayout* g, QLabel* caption, QWidget* field, const QString& unit = {})
{
    const int row = g->rowCount();
    g->addWidget(caption, row, 0);
    g->addWidget(field, row, 1);
    if (!unit.isEmpty())
        g->addWidget(new QLabel(unit, caption->parentWidget()), row, 2);
}

QLabel* caption(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = named<QLabel>(name, parent);
    l->setText(text);
    return l;
}

// Selects `value` when the list holds it, else the first item ("無し").
void selectOrNone(QComboBox* c, const QString& value)
{
    const int i = c->findText(value);
    c->setCurrentIndex(i > 0 ? i : 0);
}

} // namespace

ComDialog::ComDialog(RS232C& rs232c, Prompts& prompts, QWidget* parent)
    : QDialog(parent), rs232c_(rs232c), prompts_(prompts)
{
    setObjectName(QStringLiteral("frmCom"));
    setWindowTitle(QStringLiteral("通信ﾊﾟﾗﾒｰﾀ設定"));
    setModal(true);
    buildUi();
}

void ComDialog::buildUi()
{
    gbComPara = named<QGroupBox>(QStringLiteral("gbComPara"), this);
    gbComPara->setTitle(QStringLiteral("通信ﾊﾟﾗﾒｰﾀ"));
    auto* g = new QGridLayout(gbComPara);
    lblPort = caption(QStringLiteral("lblPort"), QStringLiteral("接続ﾎﾟｰﾄ"), gbComPara);
    cmbPort = combo(QStringLiteral("cmbPort"), gbComPara, offeredPorts(), true);
    addRow(g, lblPort, cmbPort);
    lblBps = caption(QStringLiteral("lblBps"), QStringLiteral("ﾎﾞｰﾚｰﾄ"), gbComPara);
    cmbBps = combo(QStringLiteral("cmbBps"), gbComPara,
                   {QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
                    QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"), QStringLiteral("76800"),
                    QStringLiteral("115200")},
                   true);
    addRow(g, lblBps, cmbBps);
    lblDataBit = caption(QStringLiteral("lblDataBit"), QStringLiteral("ﾃﾞｰﾀﾋﾞｯﾄ"), gbComPara);
    cmbDataBit = combo(QStringLiteral("cmbDataBit"), gbComPara, {QStringLiteral("7"), QStringLiteral("8")}, true);
    addRow(g, lblDataBit, cmbDataBit);
    lblParity = caption(QStringLiteral("lblParity"), QStringLiteral("ﾊﾟﾘﾃｨﾁｪｯｸ"), gbComPara);
    cmbParity = combo(QStringLiteral("cmbParity"), gbComPara,
                      {QStringLiteral("NONE"), QStringLiteral("ODD"), QStringLiteral("EVEN")}, true);
    addRow(g, lblParity, cmbParity);
    lblStopBit = caption(QStringLiteral("lblStopBit"), QStringLiteral("ｽﾄｯﾌﾟﾋﾞｯﾄ"), gbComPara);
    cmbStopBit = combo(QStringLiteral("cmbStopBit"), gbComPara, {QStringLiteral("1"), QStringLiteral("2")}, true);
    addRow(g, lblStopBit, cmbStopBit);

    const QStringList delimiters
        = {kNone, QStringLiteral("ETX"), QStringLiteral("CR"), QStringLiteral("LF"), QStringLiteral("CRLF")};
    gbSend = named<QGroupBox>(QStringLiteral("gbSend"), this);
    gbSend->setTitle(QStringLiteral("送信条件"));
    g = new QGridLayout(gbSend);
    lblSendHead = caption(QStringLiteral("lblSendHead"), QStringLiteral("ﾍｯﾀﾞｰ"), gbSend);
    cmbSendHead = combo(QStringLiteral("cmbSendHead"), gbSend, {kNone, QStringLiteral("STX")}, false);
    addRow(g, lblSendHead, cmbSendHead, QStringLiteral("Hex"));
    lblSendDlmt = caption(QStringLiteral("lblSendDlmt"), QStringLiteral("ﾃﾞﾘﾐﾀ"), gbSend);
    cmbSendDlmt = combo(QStringLiteral("cmbSendDlmt"), gbSend, delimiters, false);
    addRow(g, lblSendDlmt, cmbSendDlmt, QStringLiteral("Hex"));

    gbRecv = named<QGroupBox>(QStringLiteral("gbRecv"), this);
    gbRecv->setTitle(QStringLiteral("受信条件"));
    g = new QGridLayout(gbRecv);
    lblRecvDlmt = caption(QStringLiteral("lblRecvDlmt"), QStringLiteral("ﾃﾞﾘﾐﾀ"), gbRecv);
    cmbRecvDlmt = combo(QStringLiteral("cmbRecvDlmt"), gbRecv, delimiters, false);
    addRow(g, lblRecvDlmt, cmbRecvDlmt, QStringLiteral("Hex"));
    lblRecvTout = caption(QStringLiteral("lblRecvTout"), QStringLiteral("ﾀｲﾑｱｳﾄ"), gbRecv);
    edtRecvTout = named<QLineEdit>(QStringLiteral("edtRecvTout"), gbRecv);
    addRow(g, lblRecvTout, edtRecvTout, QStringLiteral("mSec"));

    btnOn = named<QPushButton>(QStringLiteral("btnOn"), this);
    btnOn->setText(QStringLiteral("接続"));
    btnOff = named<QPushButton>(QStringLiteral("btnOff"), this);
    btnOff->setText(QStringLiteral("切断"));
    btnCancel = named<QPushButton>(QStringLiteral("btnCancel"), this);
    btnCancel->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    for (QPushButton* b : {btnOn, btnOff, btnCancel})
        b->setAutoDefault(false); // Enter in a field does not connect by itself
    connect(btnOn, &QPushButton::clicked, this, &ComDialog::btnOnClick);
    connect(btnOff, &QPushButton::clicked, this, &ComDialog::btnOffClick);
    connect(btnCancel, &QPushButton::clicked, this, &ComDialog::btnCancelClick);

    auto* right = new QVBoxLayout;
    right->addWidget(gbSend);
    right->addWidget(gbRecv);
    right->addStretch();
    auto* groups = new QHBoxLayout;
    groups->addWidget(gbComPara);
    groups->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOn);
    buttons->addWidget(btnOff);
    buttons->addWidget(btnCancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(groups);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize); // fixed border
}

void ComDialog::showEvent(QShowEvent* e)
{
    if (!e->spontaneous())
        FormShow();
    QDialog::showEvent(e);
}

QStringList ComDialog::offeredPorts()
{
    // The serial devices that exist here; Windows names its ports COM1 and up.
    QStringList ports;
#ifdef Q_OS_WIN
    for (int i = 1; i <= 8; ++i)
        ports << QStringLiteral("COM%1").arg(i);
#endif
    for (const QString& p : availableSerialPorts()) {
        if (!ports.contains(p))
            ports << p;
    }
    return ports;
}

void ComDialog::FormShow()
{
    if (QWidget* main = parentWidget())
        move(main->window()->pos() + QPoint(8, 8));
    // Devices plugged in since the last showing are offered too; the stored
    // name (or a typed path) stands in the box as it is, listed or not.
    const QSignalBlocker block(cmbPort);
    cmbPort->clear();
    cmbPort->addItems(offeredPorts());
    cmbPort->setCurrentText(rs232c_.PortName);
    cmbBps->setCurrentText(QString::number(rs232c_.BaudRate));
    cmbDataBit->setCurrentText(QString::number(rs232c_.ByteSize));
    cmbStopBit->setCurrentText(QString::number(rs232c_.StopBits));
    cmbParity->setCurrentText(rs232c_.Parity);
    cmbSendHead->setCurrentIndex(rs232c_.SendHead == QLatin1String("STX") ? 1 : 0);
    selectOrNone(cmbSendDlmt, rs232c_.SendDlmt);
    selectOrNone(cmbRecvDlmt, rs232c_.RecvDlmt);
    edtRecvTout->setText(QString::number(rs232c_.RecvTout));
    btnOnMarker_ = btnOffMarker_ = btnCancelMarker_ = 0;
}

void ComDialog::btnOnClick()
{
    // The three numbers are checked before anything is taken over: a field that
    // is not a number is reported, focused, and the record stays as it was.
    int numbers[3] = {};
    QComboBox* const numeric[3] = {cmbBps, cmbDataBit, cmbStopBit};
    for (int i = 0; i < 3; ++i) {
        const QString text = numeric[i]->currentText();
        const std::optional<int> v = parseDecimal(QStringView(text).trimmed());
        numbers[i] = v.value_or(0);
        if (!v) {
            prompts_.inform(QStringLiteral("Warning"), QStringLiteral("'%1' is not a valid integer value").arg(text),
                            MsgIcon::Error);
            numeric[i]->setFocus();
            return;
        }
    }
    rs232c_.PortName = cmbPort->currentText();
    rs232c_.BaudRate = numbers[0];
    rs232c_.ByteSize = numbers[1];
    rs232c_.StopBits = numbers[2];
    rs232c_.Parity = cmbParity->currentText();
    rs232c_.SendHead = cmbSendHead->currentText();
    rs232c_.SendDlmt = cmbSendDlmt->currentText();
    rs232c_.RecvDlmt = cmbRecvDlmt->currentText();
    rs232c_.RecvTout = parseIntOr(edtRecvTout->text(), 100);
    btnOnMarker_ = 1;
    accept();
}

void ComDialog::btnOffClick()
{
    btnOffMarker_ = 1;
    accept();
}

void ComDialog::btnCancelClick()
{
    btnCancelMarker_ = 1;
    reject();
}

} // namespace zovax
