#include "core/link/TcpConnection.h"

#include "core/link/DeviceLink.h"
#include "core/link/NetAddress.h"
#include "core/link/NetConfig.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace zovax {

TcpConnection::TcpConnection(DeviceLink& link, Prompts& prompts, Sounds& sounds, QObject* parent)
    : QObject(parent), link_(link), socket_(link.tcpSocket()), prompts_(prompts), sounds_(sounds),
      dialTimer_(new QTimer(this))
{
    setObjectName(QStringLiteral("tcpConnection"));
    dialTimer_->setSingleShot(true);
    connect(dialTimer_, &QTimer::timeout, this, [this] { onErrorEvent(QAbstractSocket::SocketTimeoutError); });
    QTcpSocket* s = socket_;
    connect(s, &QTcpSocket::connected, this, &TcpConnection::onConnectEvent);
    connect(s, &QTcpSocket::disconnected, this, &TcpConnection::onDisconnectEvent);
    connect(s, &QTcpSocket::errorOccurred, this, &TcpConnection::onErrorEvent);
    connect(s, &QTcpSocket::readyRead, this, [this] { answered_ = true; });
    // A socket still connected when the program ends reports its disconnect
    // while it is destroyed, after the windows that show the link are gone:
    // stop listening as soon as the link starts to go.
    connect(&link_, &QObject::destroyed, this, [this] {
        if (socket_)
            socket_->disconnect(this);
        socket_ = nullptr;
        dialTimer_->stop();
        views_.clear();
    });
}

TcpConnection::~TcpConnection()
{
    if (socket_)
        socket_->disconnect(this);
}

void TcpConnection::addView(ConnectionView* view)
{
    if (view && std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
}

void TcpConnection::removeView(ConnectionView* view)
{
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void TcpConnection::ConnectTcp(bool on)
{
    QTcpSocket* s = socket_;
    if (!s)
        return;
    LinkState& st = link_.state();
    if (!on) {
        // Hang up: nothing is sent first; with tcpConnected already clear the
        // disconnect event plays no sound.
        st.tcpConnected = false;
        failure_.clear();
        ++generation_;
        dialTimer_->stop();
        s->abort(); // an established link raises its disconnect event here
        raiseDisconnectIfActive();
        return;
    }

    if (s->state() == QAbstractSocket::ConnectedState) {
        // Dialling again over a live link: end it as a hang-up first.
        const bool keep = st.tcpConnected;
        ConnectTcp(false);
        st.tcpConnected = keep;
    } else if (s->state() != QAbstractSocket::UnconnectedState) {
        closeSocketQuietly(); // a dial still pending is replaced by the new one
    }

    ++generation_;
    failure_.clear();
    upSince_.invalidate();
    answered_ = false;
    dialAddress_ = NormalizeIp(link_.settings().tcpip.Host);
    // A stored port outside 1..65535 would wrap round to some other port.
    int& port = link_.settings().tcpip.Port;
    port = ValidPortOr(port, kDefaultPort);
    for (ConnectionView* v : views_)
        v->onDialling(dialAddress_);
    linkActive_ = true;
    link_.resetTcpAssembly();
    dialTimer_->start(std::max(0, dialTimeoutMs_));
    // Dialled as an address, never looked up as a name: a field above 255
    // makes no address, and the dial fails as a socket error.
    s->connectToHost(QHostAddress(dialAddress_), quint16(port));
}

void TcpConnection::onConnectEvent()
{
    dialTimer_->stop();
    LinkState& st = link_.state();
    st.tcpConnected = true;
    st.boardInLoader = false; // until the board says otherwise
    upSince_.start();
    QTcpSocket* s = socket_;
    // Each command is a short line that waits for its answer: send it at once
    // instead of holding it back for the acknowledgement of the one before.
    s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const QString host = s->peerName().isEmpty() ? dialAddress_ : s->peerName();
    for (ConnectionView* v : views_)
        v->onConnected(host);
    emit linkUp();

    if (st.downloadMode) {
        emit downloadLinkUp(host); // the firmware update drives the link itself
        return;
    }

    // "Ver" first; then "T" (transmit mode) or, with the network dialog open,
    // "Ncnf" to read the board's configuration. Replies arrive during the waits.
    const unsigned gen = generation_;
    link_.SendLine(QStringLiteral("Ver"));
    link_.WaitAck(kConnectWaitMs);
    if (gen != generation_)
        return;
    if (!st.netConfigOpen)
        link_.SendLine(QStringLiteral("T"));
    link_.WaitAck(kConnectWaitMs);
    if (gen != generation_)
        return;
    if (st.netConfigOpen)
        link_.SendLine(QStringLiteral("Ncnf"));
}

void TcpConnection::onDisconnectEvent()
{
    if (!linkActive_)
        return; // one disconnect event per dial
    linkActive_ = false;
    ++generation_;
    dialTimer_->stop();
    LinkState& st = link_.state();
    if (failure_.isEmpty() && st.tcpConnected && upSince_.isValid() && !answered_ && upSince_.elapsed() < kBusyCloseMs)
        failure_ = QStringLiteral("board busy with another client");
    for (ConnectionView* v : views_)
        v->onDisconnected();
    if (st.downloadMode) {
        emit downloadLinkDown(st.tcpConnected); // the update re-dials or sounds the loss
    } else if (st.tcpConnected) {
        // Still marked connected: the board (or the network) ended the link.
        sounds_.play(Sound::Chord);
    }
    st.tcpConnected = false;
    emit linkDown();
}

void TcpConnection::onErrorEvent(QAbstractSocket::SocketError error)
{
    QTcpSocket* s = socket_;
    if (!s)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        // The board closed the link in an orderly way: that is a disconnect,
        // which the socket reports next. Make sure it is not lost.
        QTimer::singleShot(0, this, [this] {
            if (socket_ && socket_->state() == QAbstractSocket::UnconnectedState)
                raiseDisconnectIfActive();
        });
        return;
    }
    if (inError_ || (!linkActive_ && s->state() == QAbstractSocket::UnconnectedState))
        return;
    inError_ = true;
    dialTimer_->stop();
    failure_ = reasonFor(error);
    // Closing raises the disconnect event while tcpConnected keeps its value,
    // so a dial from the main window's button ends with the warning sound.
    s->abort();
    raiseDisconnectIfActive();
    LinkState& st = link_.state();
    st.tcpConnected = false;
    for (ConnectionView* v : views_)
        v->onSocketError();
    if (!st.downloadMode) {
        // Shown once the socket's own event has returned.
        QMetaObject::invokeMethod(
            this,
            [this] { prompts_.inform(QStringLiteral("Warning"), QStringLiteral("Socket Error!"), MsgIcon::Warning); },
            Qt::QueuedConnection);
    }
    inError_ = false;
}

QString TcpConnection::reasonFor(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return QStringLiteral("refused");
    case QAbstractSocket::SocketTimeoutError: return QStringLiteral("timed out");
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::NetworkError: return QStringLiteral("unreachable");
    case QAbstractSocket::RemoteHostClosedError: return QStringLiteral("closed by the board");
    default: break;
    }
    return QStringLiteral("socket error %1").arg(int(error));
}

void TcpConnection::closeSocketQuietly()
{
    QTcpSocket* s = socket_;
    if (!s)
        return;
    const QSignalBlocker block(s);
    s->abort();
}

void TcpConnection::raiseDisconnectIfActive()
{
    if (linkActive_)
        onDisconnectEvent();
}

} // namespace zovax
