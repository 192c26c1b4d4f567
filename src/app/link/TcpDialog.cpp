#include "app/link/TcpDialog.h"

#include "app/widgets/Panels.h"
#include "core/link/LinkState.h"
#include "core/shell/Settings.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

namespace zovax {

const QString TcpDialog::kAddressMask = QStringLiteral("999.999.999.999; ");
const QString TcpDialog::kMacMask = QStringLiteral(">NN-NN-NN-NN-NN-NN; ");
const QColor TcpDialog::kSilver(192, 192, 192);

namespace {

// Fixed geometry of the dialog (pixels, client coordinates).
constexpr int kHostGroupTop = 8;
constexpr int kPcGroupTop = 92;
constexpr int kPcGroupHeight = 64;
constexpr int kButtonTop = 168;
constexpr int kButtonHeight = 28;
constexpr int kConfGroupLeft = 240;
constexpr int kConfGroupWidth = 340;
constexpr int kConfGroupHeight = 190;

QLabel* label(const QString& name, const QString& text, QWidget* parent, int x, int y, int w)
{
    auto* l = named<QLabel>(name, parent);
    l->setText(text);
    l->setGeometry(x, y, w, 16);
    return l;
}

QLineEdit* edit(const QString& name, QWidget* parent, const QString& mask, const QString& text, int x, int y, int w)
{
    auto* e = named<QLineEdit>(name, parent);
    if (!mask.isEmpty())
        e->setInputMask(mask);
    e->setText(text);
    e->setGeometry(x, y, w, 22);
    return e;
}

// Text colour of an edit in every state (an invalid colour: the normal one).
void setEditTextColour(QLineEdit* e, const QColor& c)
{
    QPalette p = e->palette();
    const QColor normal = QPalette().color(QPalette::Active, QPalette::WindowText);
    const QColor use = c.isValid() ? c : normal;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Text, use);
    e->setPalette(p);
}

void setButtonTextColour(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    const QColor use = c.isValid() ? c : QPalette().color(QPalette::ButtonText);
    p.setColor(QPalette::ButtonText, use);
    w->setPalette(p);
}

bool isUsableIpv4(const QHostAddress& a)
{
    return a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback();
}

} // namespace

QString PcAddressText(const QList<QHostAddress>& resolved, const QList<QHostAddress>& interfaces)
{
    for (const QHostAddress& a : resolved)
        if (isUsableIpv4(a))
            return a.toString();
    for (const QHostAddress& a : interfaces)
        if (isUsableIpv4(a))
            return a.toString();
    for (const QHostAddress& a : resolved)
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a.toString();
    return QStringLiteral("(unknown)");
}

TcpDialog::TcpDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTcp"));
    setWindowTitle(QStringLiteral("Network Settings"));
    setModal(true);
    buildUi();
    FormCreate();
}

void TcpDialog::buildUi()
{
    // --- Host IP ---
    pnlHost = named<QGroupBox>(QStringLiteral("pnlHost"), this);
    pnlHost->setTitle(QStringLiteral("Host IP"));
    pnlHost->setGeometry(8, kHostGroupTop, 224, 76);
    pnlHost->installEventFilter(this);
    lblHostIP = label(QStringLiteral("lblHostIP"), QStringLiteral("IP Address"), pnlHost, 12, 18, 120);
    edtHost = edit(QStringLiteral("edtHost"), pnlHost, kAddressMask, QStringLiteral("192.168.000.100"), 12, 34, 120);
    lblHostPort = label(QStringLiteral("lblHostPort"), QStringLiteral("Port Number"), pnlHost, 140, 18, 80);
    edtPort = edit(QStringLiteral("edtPort"), pnlHost, QString(), QStringLiteral("60000"), 140, 34, 72);
    lblSendHead = label(QStringLiteral("lblSendHead"), QStringLiteral("Send Header"), pnlHost, 12, 84, 96);
    cmbSendHead = named<QComboBox>(QStringLiteral("cmbSendHead"), pnlHost);
    cmbSendHead->addItems({QStringLiteral("NONE"), QStringLiteral("STX")});
    cmbSendHead->setGeometry(110, 80, 102, 22);
    lblSendDlmt = label(QStringLiteral("lblSendDlmt"), QStringLiteral("Send Delimit"), pnlHost, 12, 112, 96);
    cmbSendDlmt = named<QComboBox>(QStringLiteral("cmbSendDlmt"), pnlHost);
    cmbSendDlmt->addItems({QStringLiteral("CRLF"), QStringLiteral("CR"), QStringLiteral("ETX")});
    cmbSendDlmt->setGeometry(110, 108, 102, 22);

    // --- PC name and address ---
    pnlMyPcName = named<QGroupBox>(QStringLiteral("pnlMyPcName"), this);
    pnlMyPcName->setTitle(QStringLiteral("PC Name:"));
    pnlMyPcName->setGeometry(8, kPcGroupTop, 224, kPcGroupHeight);
    lblMyIP = label(QStringLiteral("lblMyIP"), QStringLiteral("PC IP:"), pnlMyPcName, 12, 30, 44);
    pnlMyIP = named<QLabel>(QStringLiteral("pnlMyIP"), pnlMyPcName);
    pnlMyIP->setText(QStringLiteral("192.168.000.100"));
    pnlMyIP->setFrameShape(QFrame::Panel);
    pnlMyIP->setFrameShadow(QFrame::Sunken);
    pnlMyIP->setAlignment(Qt::AlignCenter);
    QFont bold = pnlMyIP->font();
    bold.setBold(true);
    pnlMyIP->setFont(bold);
    pnlMyIP->setGeometry(60, 26, 152, 24);
    // The expanded Host IP group covers the PC group.
    pnlHost->setAutoFillBackground(true);
    pnlHost->raise();

    // --- buttons ---
    btnConnect = named<QToolButton>(QStringLiteral("btnConnect"), this);
    btnConnect->setText(QStringLiteral("接続"));
    btnConnect->setAutoRaise(true);
    btnConnect->setToolButtonStyle(Qt::ToolButtonTextOnly);
    btnConnect->setGeometry(8, kButtonTop, 108, kButtonHeight);
    btnClose = named<QPushButton>(QStringLiteral("btnClose"), this);
    btnClose->setText(QStringLiteral("閉じる"));
    btnClose->setAutoDefault(false);
    btnClose->setGeometry(124, kButtonTop, 108, kButtonHeight);

    // --- the board's network configuration ---
    pnlZVAXEconf = named<QGroupBox>(QStringLiteral("pnlZVAXEconf"), this);
    pnlZVAXEconf->setTitle(QStringLiteral("ZOVAX-Ether Network Configuration"));
    pnlZVAXEconf->setGeometry(kConfGroupLeft, 8, kConfGroupWidth, kConfGroupHeight);
    QWidget* g = pnlZVAXEconf;
    const int a = 12, b = 178;
    label(QStringLiteral("lblSvIP"), QStringLiteral("IP Address"), g, a, 18, 150);
    edtSvIP = edit(QStringLiteral("edtSvIP"), g, kAddressMask, QStringLiteral("192.168.000.100"), a, 34, 130);
    label(QStringLiteral("lblSvPort"), QStringLiteral("Port Number"), g, b, 18, 150);
    edtSvPort = edit(QStringLiteral("edtSvPort"), g, QString(), QStringLiteral("60000"), b, 34, 70);
    label(QStringLiteral("lblNetMask"), QStringLiteral("Subnet Mask"), g, a, 60, 150);
    edtNetMask = edit(QStringLiteral("edtNetMask"), g, kAddressMask, QStringLiteral("255.255.255.000"), a, 76, 130);
    lblSvMacAddress = label(QStringLiteral("lblSvMacAddress"), QStringLiteral("Mac Address"), g, b, 60, 150);
    lblSvMacAddress->installEventFilter(this);
    edtMacAdrs = edit(QStringLiteral("edtMacAdrs"), g, kMacMask, QStringLiteral("0A-3C-51-E0-00-00"), b, 76, 150);
    label(QStringLiteral("lblGateway"), QStringLiteral("Gateway"), g, a, 102, 150);
    edtGateway = edit(QStringLiteral("edtGateway"), g, kAddressMask, QStringLiteral("192.168.000.001"), a, 118, 130);
    label(QStringLiteral("lblLinkDown"), QStringLiteral("Link down Tout"), g, b, 102, 150);
    edtLinkDown = edit(QStringLiteral("edtLinkDown"), g, QString(), QStringLiteral("10"), b, 118, 50);
    label(QStringLiteral("lblLinkDownSec"), QStringLiteral("Sec"), g, b + 54, 122, 30);
    label(QStringLiteral("lblDNS"), QStringLiteral("Primary DNS"), g, a, 144, 150);
    edtDNS = edit(QStringLiteral("edtDNS"), g, kAddressMask, QStringLiteral("192.168.000.001"), a, 160, 130);
    label(QStringLiteral("lblRecvTout"), QStringLiteral("Receive Tout"), g, b, 144, 150);
    edtRecvTout = edit(QStringLiteral("edtRecvTout"), g, QString(), QStringLiteral("180"), b, 160, 50);
    label(QStringLiteral("lblRecvToutSec"), QStringLiteral("Sec"), g, b + 54, 164, 30);
    btnSetup = named<QPushButton>(QStringLiteral("btnSetup"), g);
    btnSetup->setText(QStringLiteral("Update"));
    btnSetup->setAutoDefault(false);
    btnSetup->setGeometry(262, 156, 66, 28);

    // --- status bar: panel 0 link state, panel 1 host-name problems ---
    sBar = new PanelStatusBar({240, 50}, this);
    sBar->setObjectName(QStringLiteral("sBar"));

    connect(btnConnect, &QToolButton::clicked, this, &TcpDialog::btnConnectClick);
    connect(btnClose, &QPushButton::clicked, this, &TcpDialog::btnCloseClick);
    connect(btnSetup, &QPushButton::clicked, this, &TcpDialog::btnSetupClick);
}

void TcpDialog::FormCreate()
{
    ShowPcAddress();
    ShowConfigGroup(false);
}

void TcpDialog::bind(Settings& settings, LinkState& state, TcpConnection& connection, NetConfig& netConfig)
{
    settings_ = &settings;
    state_ = &state;
    connection_ = &connection;
    netConfig_ = &netConfig;
    netConfig.setView(this);
}

void TcpDialog::ShowPcAddress()
{
    const QString name = QHostInfo::localHostName();
    if (name.isEmpty()) {
        sBar->setPanelText(1, QStringLiteral("gethostname : Error"));
        pnlMyIP->setText(PcAddressText({}, QNetworkInterface::allAddresses()));
        return;
    }
    pnlMyPcName->setTitle(QStringLiteral("PC-Name: ") + name);
    // Resolved in the background: a slow resolver never holds up the start.
    QHostInfo::lookupHost(name, this, [this](const QHostInfo& info) {
        pnlMyIP->setText(PcAddressText(info.addresses(), QNetworkInterface::allAddresses()));
    });
}

void TcpDialog::showEvent(QShowEvent* e)
{
    if (!e->spontaneous())
        centreOverMain(); // the main window may have moved since the last showing
    QDialog::showEvent(e);
    // The first show after the dialog was closed initialises it; a show while
    // it is still open changes nothing.
    if (netConfig_ && netConfig_->FormShow())
        btnClose->setFocus();
}

void TcpDialog::done(int r)
{
    if (netConfig_)
        netConfig_->FormClose();
    QDialog::done(r);
}

bool TcpDialog::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonDblClick) {
        if (watched == pnlHost) {
            pnlHostDblClick();
            return true;
        }
        if (watched == lblSvMacAddress) {
            lblSvMacAddressDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TcpDialog::fillHostGroup()
{
    if (!settings_)
        return;
    const TCPIP& t = settings_->tcpip;
    edtHost->setText(FitAddressText(t.Host));
    edtPort->setText(QString::number(t.Port));
    cmbSendHead->setCurrentIndex(t.SendHead == QLatin1String("STX") ? 1 : 0);
    const int d = cmbSendDlmt->findText(t.SendDlmt, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (d >= 0)
        cmbSendDlmt->setCurrentIndex(d); // any other value leaves the list as it was
    hostMarker_ = 1;
    pnlHostDblClick(); // collapses the group
}

void TcpDialog::pnlHostDblClick()
{
    const bool expand = hostMarker_ != 1;
    hostMarker_ = expand ? 1 : 0;
    const int h
        = expand ? pnlMyPcName->y() + pnlMyPcName->height() - pnlHost->y() : edtHost->y() + edtHost->height() + 20;
    pnlHost->resize(pnlHost->width(), h);
    for (QWidget* w : {static_cast<QWidget*>(lblSendHead), static_cast<QWidget*>(cmbSendHead),
                       static_cast<QWidget*>(lblSendDlmt), static_cast<QWidget*>(cmbSendDlmt)})
        w->setVisible(expand);
}

void TcpDialog::btnConnectClick()
{
    if (!settings_ || !state_ || !connection_)
        return;
    if (state_->tcpConnected) {
        connection_->ConnectTcp(false);
    } else {
        TCPIP& t = settings_->tcpip;
        // The host is kept as the field shows it (zero-padded).
        t.Host = FitAddressText(edtHost->text());
        edtHost->setText(t.Host);
        t.Port = PortFromText(edtPort->text(), kDefaultPort);
        connection_->ConnectTcp(true);
        t.SendHead = cmbSendHead->currentIndex() == 1 ? QStringLiteral("STX") : QStringLiteral("NONE");
        switch (cmbSendDlmt->currentIndex()) {
        case 1: t.SendDlmt = QStringLiteral("CR"); break;
        case 2: t.SendDlmt = QStringLiteral("ETX"); break;
        default: t.SendDlmt = QStringLiteral("CRLF"); break;
        }
    }
    btnClose->setFocus();
}

void TcpDialog::btnCloseClick()
{
    accept(); // done() ends netConfigOpen
}

void TcpDialog::btnSetupClick()
{
    if (netConfig_)
        netConfig_->Update();
}

void TcpDialog::lblSvMacAddressDblClick()
{
    if (netConfig_)
        netConfig_->MacLabelDblClick();
}

void TcpDialog::setConnectCaption(bool connected, const QString& text)
{
    btnConnect->setText(text);
    setButtonTextColour(btnConnect, connected ? connectedBlue() : QColor());
}

void TcpDialog::onDialling(const QString& address)
{
    (void)address;
    btnConnect->setText(QStringLiteral("..."));
}

void TcpDialog::onConnected(const QString& host)
{
    setConnectCaption(true, QStringLiteral("接続中"));
    sBar->setPanelText(0, QStringLiteral("Connect: ") + host);
}

void TcpDialog::onDisconnected()
{
    setConnectCaption(false, QStringLiteral("接続"));
    sBar->setPanelText(0, QStringLiteral("Disconnect"));
    if (netConfig_)
        netConfig_->ShowConfigGroup(false);
    else
        ShowConfigGroup(false);
}

void TcpDialog::onSocketError()
{
    setConnectCaption(false, QStringLiteral("接続"));
}

QLineEdit* TcpDialog::field(ConfigField f) const
{
    switch (f) {
    case ConfigField::MacAdrs: return edtMacAdrs;
    case ConfigField::SvIP: return edtSvIP;
    case ConfigField::SvPort: return edtSvPort;
    case ConfigField::NetMask: return edtNetMask;
    case ConfigField::Gateway: return edtGateway;
    case ConfigField::PrimDNS: return edtDNS;
    case ConfigField::LinkDown: return edtLinkDown;
    case ConfigField::RecvTout: return edtRecvTout;
    }
    return edtSvIP;
}

QString TcpDialog::fieldText(ConfigField f) const
{
    return field(f)->text();
}

void TcpDialog::setFieldText(ConfigField f, const QString& text)
{
    field(f)->setText(text);
}

void TcpDialog::ShowConfigGroup(bool enabled)
{
    pnlZVAXEconf->setEnabled(enabled);
    for (QLineEdit* e : {edtSvIP, edtSvPort, edtNetMask, edtGateway, edtDNS, edtLinkDown, edtRecvTout})
        setEditTextColour(e, enabled ? QColor() : kSilver);
    // The MAC is changed only after a double-click on its label.
    edtMacAdrs->setEnabled(false);
    setEditTextColour(edtMacAdrs, kSilver);

    const int clientWidth = enabled ? pnlZVAXEconf->x() + pnlZVAXEconf->width() + 8 : pnlZVAXEconf->x() - 2;
    if (enabled)
        btnSetup->setText(QStringLiteral("Update"));
    const int barHeight = sBar->sizeHint().height();
    const int clientHeight = btnClose->y() + btnClose->height() + barHeight + 8;
    setFixedSize(clientWidth, clientHeight);
    sBar->setGeometry(0, clientHeight - barHeight, clientWidth, barHeight);

    centreOverMain();
}

void TcpDialog::centreOverMain()
{
    // Horizontally centred over the main window; a dialog not yet on screen
    // is centred vertically too.
    if (QWidget* p = parentWidget()) {
        const QWidget* main = p->window();
        const int left = main->x() + (main->width() - width()) / 2;
        const int top = isVisible() ? y() : main->y() + (main->height() - height()) / 2;
        move(left, top);
    }
}

void TcpDialog::setUpdateCaption(const QString& caption)
{
    btnSetup->setText(caption);
}

void TcpDialog::enableMacField()
{
    edtMacAdrs->setEnabled(true);
    setEditTextColour(edtMacAdrs, QColor());
}

void TcpDialog::setTargetHost(const QString& host)
{
    edtHost->setText(host);
}

void TcpDialog::setTargetPort(int port)
{
    edtPort->setText(QString::number(port));
}

} // namespace zovax
