#pragma once
// The TCP client side of the link: dialling and hanging up the board, what is
// sent when the link comes up, and the reactions to the socket's connect,
// disconnect and error events on every window that shows the link state.
#include "core/link/LinkState.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QTcpSocket;
class QTimer;

namespace zovax {

class DeviceLink;
class Prompts;
class Sounds;

// A window that shows the link state (the main window, the network dialog).
// Every method has an empty default so a view implements only what it shows.
class ConnectionView {
public:
    virtual ~ConnectionView() = default;
    // A dial to `address` (normalised dotted form) has started.
    virtual void onDialling(const QString& address) { (void)address; }
    // The link is up; `host` is the address the socket dialled.
    virtual void onConnected(const QString& host) { (void)host; }
    // The link is down (hung up, dropped by the board, or a dial that failed).
    virtual void onDisconnected() {}
    // A socket error ended the dial or the link (after onDisconnected).
    virtual void onSocketError() {}
};

class TcpConnection : public QObject {
    Q_OBJECT
public:
    // A dial that neither connects nor fails within this time ends as a socket
    // error (an address that does not answer would otherwise stay silent for
    // about two minutes).
    static constexpr int kDefaultDialTimeoutMs = 5000;
    static constexpr int kConnectWaitMs = 100; // wait after "Ver" and "T"

    TcpConnection(DeviceLink& link, Prompts& prompts, Sounds& sounds, QObject* parent = nullptr);
    ~TcpConnection() override;

    void addView(ConnectionView* view);
    void removeView(ConnectionView* view);

    // on = true: dial NormalizeIp(Host):Port (the outcome arrives later as the
    // connect or the error event). on = false: clear tcpConnected and close the
    // link; a link that was up or dialling raises the disconnect event at once.
    void ConnectTcp(bool on);

    void setDialTimeoutMs(int ms) { dialTimeoutMs_ = ms; }
    // The address of the last dial, normalised ("192.168.0.100").
    QString dialAddress() const { return dialAddress_; }
    // True from the start of a dial until its disconnect event.
    bool linkActive() const { return linkActive_; }
    // Why the last dial or link failed ("refused", "timed out", ...),
    // set before the views hear of the disconnect; empty after a hang-up or
    // an orderly close.
    QString failureReason() const { return failure_; }
    static QString reasonFor(QAbstractSocket::SocketError error);
    // A link the board closes this soon after it came up, before answering
    // anything, was refused by a board busy with another client.
    static constexpr int kBusyCloseMs = 1000;

signals:
    void linkUp();
    void linkDown();
    // While `LinkState::downloadMode` is set the firmware update drives the
    // link itself: a link that comes up sends nothing of its own and is handed
    // over here (after the views and linkUp); `host` is the address dialled.
    void downloadLinkUp(const QString& host);
    // A link (or dial) ended in download mode, after the views heard of it and
    // instead of the sound for a link the board ended; `dropped`: the link was
    // still marked connected (the board or the network ended it).
    void downloadLinkDown(bool dropped);

private:
    void onConnectEvent();
    void onDisconnectEvent();
    void onErrorEvent(QAbstractSocket::SocketError error);
    void closeSocketQuietly();
    void raiseDisconnectIfActive();

    DeviceLink& link_;
    QPointer<QTcpSocket> socket_; // the link's socket; null once the link is being destroyed
    Prompts& prompts_;
    Sounds& sounds_;
    std::vector<ConnectionView*> views_;
    QTimer* dialTimer_;
    int dialTimeoutMs_ = kDefaultDialTimeoutMs;
    QString dialAddress_;
    QString failure_;
    QElapsedTimer upSince_;   // since the link came up
    bool answered_ = false;   // the board has sent something on this link
    bool linkActive_ = false; // a dial or a link whose disconnect event is still due
    bool inError_ = false;    // error handling running (no second one from its own close)
    unsigned generation_ = 0; // bumped by every dial and hang-up; ends stale connect sequences
};

} // namespace zovax
