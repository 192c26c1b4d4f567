#pragma once
// frmTcp "Network Settings": on the left the tool's target address ("Host IP"),
// the PC's own name and address and the connect button; on the right the
// board's own network configuration, shown only after it was read from the
// board.
#include "core/link/NetConfig.h"
#include "core/link/TcpConnection.h"

#include <QDialog>
#include <QHostAddress>
#include <QList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zovax {

class PanelStatusBar;
struct LinkState;
struct Settings;

// The PC address to show: the first IPv4 address the host name resolves to
// that is not a loopback address; else the first such address of the
// machine's interfaces; else the first resolved IPv4 address; else "(unknown)".
QString PcAddressText(const QList<QHostAddress>& resolved, const QList<QHostAddress>& interfaces);

class TcpDialog : public QDialog, public ConnectionView, public NetConfigView {
    Q_OBJECT
public:
    // Input masks of the address and MAC fields (required digits / letters or
    // digits, blanks shown as spaces; the literal dots and dashes are part of the text).
    static const QString kAddressMask;
    static const QString kMacMask;
    static const QColor kSilver; // text of the fields while the group is hidden

    explicit TcpDialog(QWidget* parent = nullptr);

    // Connects the dialog to the program's state; called once after creation.
    void bind(Settings& settings, LinkState& state, TcpConnection& connection, NetConfig& netConfig);

    int hostGroupMarker() const { return hostMarker_; } // 1 while the Host IP group is expanded

    // ConnectionView
    void onDialling(const QString& address) override;
    void onConnected(const QString& host) override;
    void onDisconnected() override;
    void onSocketError() override;

    // NetConfigView
    QString fieldText(ConfigField f) const override;
    void setFieldText(ConfigField f, const QString& text) override;
    void ShowConfigGroup(bool enabled) override;
    void setUpdateCaption(const QString& caption) override;
    void enableMacField() override;
    void fillHostGroup() override;
    void setTargetHost(const QString& host) override;
    void setTargetPort(int port) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

public slots:
    // Every way of closing ("閉じる", the window frame, Escape) ends the dialog's
    // hold on the TCP lines, so a closed dialog never captures them.
    void done(int r) override;

private:
    // Handlers.
    void btnConnectClick();
    void btnCloseClick();
    void pnlHostDblClick();
    void btnSetupClick();
    void lblSvMacAddressDblClick();
    void ShowPcAddress();

    void buildUi();
    void FormCreate();
    void centreOverMain();
    QLineEdit* field(ConfigField f) const;
    void setConnectCaption(bool connected, const QString& text);

    Settings* settings_ = nullptr;
    LinkState* state_ = nullptr;
    TcpConnection* connection_ = nullptr;
    NetConfig* netConfig_ = nullptr;
    int hostMarker_ = 0;

    // Controls, named as in the dialog's design (tests find them by these object
    // names). Nothing outside the dialog reaches them: it edits the settings and
    // the board's configuration through the session's objects it is bound to.
    QGroupBox* pnlHost;
    QLabel* lblHostIP;
    QLineEdit* edtHost;
    QLabel* lblHostPort;
    QLineEdit* edtPort;
    QLabel* lblSendHead;
    QComboBox* cmbSendHead;
    QLabel* lblSendDlmt;
    QComboBox* cmbSendDlmt;
    QGroupBox* pnlMyPcName;
    QLabel* lblMyIP;
    QLabel* pnlMyIP;
    QToolButton* btnConnect;
    QPushButton* btnClose;

    QGroupBox* pnlZVAXEconf;
    QLineEdit* edtSvIP;
    QLineEdit* edtSvPort;
    QLineEdit* edtNetMask;
    QLineEdit* edtGateway;
    QLineEdit* edtDNS;
    QLabel* lblSvMacAddress;
    QLineEdit* edtMacAdrs;
    QLineEdit* edtLinkDown;
    QLineEdit* edtRecvTout;
    QPushButton* btnSetup;

    PanelStatusBar* sBar;
};

} // namespace zovax
