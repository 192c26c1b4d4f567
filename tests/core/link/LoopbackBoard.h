#pragma once
// Loopback stand-ins for the board's TCP side in link tests: a tiny server that
// records the command lines it receives and answers them by a rule, and a
// listener that never answers a dial.
#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zovax::test {

class LoopbackBoard : public QObject {
public:
    // Answer to one received command line (without its CR LF); empty = none.
    std::function<QByteArray(const QString&)> reply;
    QStringList lines;   // every command line received, in order
    int connections = 0; // accepted connections

    bool start()
    {
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* c = server_.nextPendingConnection()) {
                ++connections;
                client_ = c;
                QObject::connect(c, &QTcpSocket::readyRead, this, [this, c] { onRead(c); });
            }
        });
        return server_.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return server_.serverPort(); }
    bool hasClient() const { return client_ && client_->state() == QAbstractSocket::ConnectedState; }
    // The board ends the link in an orderly way.
    void closeClient()
    {
        if (client_)
            client_->disconnectFromHost();
    }
    void send(const QByteArray& bytes)
    {
        if (client_)
            client_->write(bytes);
    }

private:
    void onRead(QTcpSocket* c)
    {
        buf_ += c->readAll();
        for (;;) {
            const int end = buf_.indexOf("\r\n");
            if (end < 0)
                break;
            const QString line = QString::fromLatin1(buf_.left(end));
            buf_.remove(0, end + 2);
            lines << line;
            if (reply) {
                const QByteArray r = reply(line);
                if (!r.isEmpty())
                    c->write(r);
            }
        }
    }

    QTcpServer server_;
    QTcpSocket* client_ = nullptr;
    QByteArray buf_;
};

// A loopback port on which a dial neither connects nor fails: a listener with
// a full accept queue that never accepts drops further connection requests,
// so the dialling side keeps waiting. Nothing leaves the machine.
class UnansweredPort {
public:
    UnansweredPort()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 0) != 0)
            return;
        socklen_t len = sizeof a;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        // Fill the accept queue (a backlog of 0 holds one connection).
        filler_ = ::socket(AF_INET, SOCK_STREAM, 0);
        ok_ = ::connect(filler_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~UnansweredPort()
    {
        if (filler_ >= 0)
            ::close(filler_);
        if (listener_ >= 0)
            ::close(listener_);
    }
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;
    bool ok() const { return ok_ && port_ != 0; }
    quint16 port() const { return port_; }

private:
    int listener_ = -1;
    int filler_ = -1;
    quint16 port_ = 0;
    bool ok_ = false;
};

// A loopback port with nothing listening (a dial is refused at once).
inline quint16 closedLoopbackPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 p = s.serverPort();
    s.close();
    return p;
}

} // namespace zovax::test
