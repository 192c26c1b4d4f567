// Reply latency of the board simulator on loopback, so that the tool's own
// benchmarks can rely on it: command round trips, a long learned train and
// the encoder's speed. Prints its figures; no pass/fail.
#include "core/irsig/Signals.h"
#include "sim/board/BoardSim.h"
#include "sim/board/SimProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Round trips of one command; returns the sorted times in microseconds.
std::vector<double> roundTrips(quint16 port, const QByteArray& command, int count)
{
    QTcpSocket s;
    s.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(3000))
        return {};
    std::vector<double> us;
    QElapsedTimer t;
    QByteArray buf;
    for (int i = 0; i < count; ++i) {
        QEventLoop loop;
        buf.clear();
        auto c = QObject::connect(&s, &QTcpSocket::readyRead, [&] {
            buf += s.readAll();
            if (buf.endsWith("\r\n"))
                loop.quit();
        });
        t.start();
        s.write(command + "\r\n");
        s.flush();
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        us.push_back(t.nsecsElapsed() / 1000.0);
        QObject::disconnect(c);
    }
    std::sort(us.begin(), us.end());
    return us;
}

void print(const char* what, const std::vector<double>& us)
{
    if (us.empty()) {
        std::printf("%-40s no connection\n", what);
        return;
    }
    std::printf("%-40s median %7.1f us   p99 %7.1f us   max %7.1f us  (%zu round trips)\n", what, us[us.size() / 2],
                us[us.size() * 99 / 100], us.back(), us.size());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    using namespace zovax;

    // Separate process: the tool's tests and benchmarks use it this way.
    {
        sim::SimProcess proc(QStringLiteral(ZOVAX_SIM_BIN));
        if (proc.start({"--no-stdin"})) {
            print("process: Ver", roundTrips(proc.port(), "Ver", 2000));
            print("process: Ncnf (8 lines, last awaited)", roundTrips(proc.port(), "Ncnf", 500));
        } else {
            std::printf("process: %s\n", qPrintable(proc.errorString()));
        }
    }

    // In-process server on this thread, driven by the same event loop as the client.
    sim::BoardSim board;
    board.listen();
    print("in-process: Ver", roundTrips(board.serverPort(), "Ver", 2000));

    // A press of 4096 pairs: time until the client has every line.
    {
        QEventLoop settle; // the board serves one client at a time: let it see the last one leave
        QTimer::singleShot(100, &settle, &QEventLoop::quit);
        settle.exec();
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, board.serverPort());
        s.waitForConnected(3000);
        QByteArray buf;
        QEventLoop loop;
        QObject::connect(&s, &QTcpSocket::readyRead, [&] {
            buf += s.readAll();
            if (buf.contains("Ave."))
                loop.quit();
        });
        s.write("A\r\n");
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        buf.clear();
        std::vector<irsig::Pair> pairs(4096, {560, 1120});
        QElapsedTimer t;
        t.start();
        board.pressPairs(pairs, 380);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        std::printf("%-40s %7.2f ms for %d lines (%lld bytes)\n", "in-process: 4096-pair learned train",
                    t.nsecsElapsed() / 1e6, static_cast<int>(buf.count("\r\n")), static_cast<long long>(buf.size()));
    }

    // Encoder speed.
    {
        const irsig::Protocol& nec = *irsig::findProtocol("NEC");
        QElapsedTimer t;
        t.start();
        std::size_t pairs = 0;
        const int rounds = 20000;
        for (int i = 0; i < rounds; ++i)
            pairs += irsig::encode(nec, nec.exampleCode, 5, irsig::Noise{static_cast<uint32_t>(i), 3, 40}).size();
        std::printf("%-40s %7.2f us per press (%zu pairs each)\n", "encoder: NEC with 5 repeat codes",
                    t.nsecsElapsed() / 1000.0 / rounds, pairs / rounds);
    }
    return 0;
}
