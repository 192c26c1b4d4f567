#pragma once
// A plain TCP client for the simulator tests: sends framed commands and
// collects the reply lines (CR LF ended) and the raw chunks as they arrived.
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

namespace zovax::test {

class SimClient {
public:
    SimClient()
    {
        QObject::connect(&sock, &QTcpSocket::readyRead, [this] {
            const QByteArray d = sock.readAll();
            chunks << d;
            raw += d;
            pending += d;
            int at;
            while ((at = pending.indexOf("\r\n")) >= 0) {
                lines << QString::fromLatin1(pending.left(at));
                pending.remove(0, at + 2);
            }
        });
    }
    bool connectTo(quint16 port, const QHostAddress& host = QHostAddress::LocalHost)
    {
        sock.connectToHost(host, port);
        return waitUntil(
                   [&] {
                       return sock.state() == QAbstractSocket::ConnectedState
                           || sock.state() == QAbstractSocket::UnconnectedState;
                   },
                   3000)
            && sock.state() == QAbstractSocket::ConnectedState;
    }
    void send(const QByteArray& bytes)
    {
        sock.write(bytes);
        sock.flush();
    }
    // Takes the first n reply lines (waiting up to ms); fewer on time-out.
    QStringList take(int n, int ms = 3000)
    {
        waitUntil([&] { return lines.size() >= n; }, ms);
        QStringList out = lines.mid(0, n);
        lines = lines.mid(out.size());
        return out;
    }
    QStringList exchange(const QByteArray& command, int replyLines, int ms = 3000)
    {
        send(command + "\r\n");
        return take(replyLines, ms);
    }
    // True when no reply line arrives within ms.
    bool silentFor(int ms)
    {
        const int before = lines.size();
        waitUntil([&] { return lines.size() > before; }, ms);
        return lines.size() == before;
    }
    bool waitClosed(int ms = 3000)
    {
        return waitUntil([&] { return sock.state() == QAbstractSocket::UnconnectedState; }, ms);
    }

    QTcpSocket sock;
    QStringList lines;        // complete lines not yet taken
    QByteArray pending;       // bytes of an unfinished line
    QByteArray raw;           // everything received
    QList<QByteArray> chunks; // as the reads delivered them
};

} // namespace zovax::test
