#pragma once
// What the exchange benchmarks share: the sample entry, event-loop helpers,
// the minimal blocking client (what the link and the simulator allow at best)
// and the simulator started in a process of its own.
#include "core/table/CodeTable.h"
#include "core/table/TwRecords.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>

#include <sched.h>

namespace zovax::bench {

// An NEC-style entry of 36 symbols with four pattern pairs.
inline TableEntry sampleEntry(int row)
{
    TableEntry e;
    e.carrier = 380;
    e.repeat = 36;
    const int pairs[][2] = {{9000, 13500}, {560, 1120}, {560, 2250}, {560, 40000}};
    for (int i = 0; i < 4; ++i) {
        e.high[size_t(i)] = pairs[i][0];
        e.width[size_t(i)] = pairs[i][1];
    }
    e.dataCount = 36;
    e.data[0] = 0;
    for (int k = 1; k < 34; ++k)
        e.data[size_t(k)] = uint8_t(1 + ((row >> (k % 10)) & 1));
    e.data[34] = 3;
    e.data[35] = 3;
    return e;
}

inline void pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Processes events until `done` holds, checking after every event rather than
// every millisecond, so that the time taken is measured to the event.
inline bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    QTimer wake; // bounds each blocking turn
    wake.start(1);
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// ------------------------------------------------------------ minimal client

class MinimalClient {
public:
    bool open(quint16 port)
    {
        s_.connectToHost(QHostAddress::LocalHost, port);
        if (!s_.waitForConnected(3000))
            return false;
        s_.setSocketOption(QAbstractSocket::LowDelayOption, 1); // takes effect on a connected socket only
        return true;
    }
    void close()
    {
        s_.disconnectFromHost();
        if (s_.state() != QAbstractSocket::UnconnectedState)
            s_.waitForDisconnected(1000);
    }
    // One write per command, as the tool sends them.
    void send(const QByteArray& line)
    {
        s_.write(line + "\r\n");
        s_.flush();
    }
    // Reads reply lines until one satisfies `accept`; false on time-out.
    bool until(const std::function<bool(const QByteArray&)>& accept, int ms = 7000)
    {
        s_.flush();
        for (;;) {
            int at;
            while ((at = buf_.indexOf("\r\n")) >= 0) {
                const QByteArray line = buf_.left(at);
                buf_.remove(0, at + 2);
                if (accept(line))
                    return true;
            }
            if (!s_.waitForReadyRead(ms))
                return false;
            buf_ += s_.readAll();
        }
    }

private:
    QTcpSocket s_;
    QByteArray buf_;
};

// Times one stay in table mode: "KRV:on", what `inMode` sends and awaits,
// then "KRV:off", each answer awaited. -1 when anything goes unanswered.
inline double minimalTableMode(quint16 port, const std::function<bool(MinimalClient&)>& inMode)
{
    MinimalClient c;
    if (!c.open(port))
        return -1;
    QElapsedTimer t;
    t.start();
    c.send("KRV:on");
    if (!c.until([](const QByteArray& l) { return l.contains("KRV:on"); }) || !inMode(c))
        return -1;
    c.send("KRV:off");
    if (!c.until([](const QByteArray& l) { return l == "KRV:off"; }))
        return -1;
    const double ms = t.nsecsElapsed() / 1e6;
    c.close();
    return ms;
}

inline double minimalRegister(quint16 port, int rows)
{
    return minimalTableMode(port, [rows](MinimalClient& c) {
        c.send("Fe:7");
        if (!c.until([](const QByteArray& l) { return l.contains("Erased"); }))
            return false;
        for (int r = 1; r <= rows; ++r) {
            for (const QString& rec : registrationRecords(sampleEntry(r)))
                c.send(rec.toLatin1());
            c.send(twsRecord(r).toLatin1());
            if (!c.until([](const QByteArray& l) { return l.startsWith("Tws:"); }))
                return false;
        }
        return true;
    });
}

inline double minimalReadBack(quint16 port, int entries)
{
    return minimalTableMode(port, [entries](MinimalClient& c) {
        for (int n = 1; n <= entries; ++n) {
            c.send(twlRecord(n).toLatin1());
            if (!c.until([](const QByteArray& l) { return l.startsWith("Twd:") || l.contains("Error"); }))
                return false;
        }
        return true;
    });
}

// The simulator in a process of its own, started detached: the tool's event
// loop then watches its link alone, as in use, and not the pipes and exit of a
// child process as well (the minimal client waits on its socket only anyway).
class DetachedSimulator {
public:
    ~DetachedSimulator() { stop(); }
    bool start()
    {
        for (int attempt = 0; attempt < 5 && pid_ == 0; ++attempt) {
            QTcpServer probe; // a free loopback port, handed to the simulator
            if (!probe.listen(QHostAddress::LocalHost, 0))
                continue;
            port_ = probe.serverPort();
            probe.close();
            QProcess p;
            p.setProgram(QStringLiteral(ZOVAX_SIM_BIN));
            p.setArguments({"--no-stdin", "--port", QString::number(port_)});
            p.setStandardInputFile(QProcess::nullDevice());
            p.setStandardOutputFile(QProcess::nullDevice());
            p.setStandardErrorFile(QProcess::nullDevice());
            qint64 pid = 0;
            if (!p.startDetached(&pid))
                return false;
            pid_ = pid;
            if (!listening()) {
                stop();
                pid_ = 0;
            }
        }
        return pid_ != 0;
    }
    void stop()
    {
        if (pid_ > 0) {
            ::kill(pid_t(pid_), SIGTERM);
            pid_ = -1;
        }
    }
    quint16 port() const { return port_; }

    // Gives the simulator a CPU of its own and keeps this process (and the
    // processes it starts) on another, as a board is a device of its own.
    // Left to the scheduler, a ping-pong pair of processes ends up sometimes
    // on one CPU (each wake-up a plain task switch) and sometimes on two (each
    // wake-up an idle CPU woken, which costs tens of microseconds in a virtual
    // machine), by chance and differently for each client: the ratios would
    // measure that chance instead of the clients. Returns the placement for
    // the report; "--shared-cpus" on the command line leaves it to chance.
    QByteArray placeOnSeparateCpus(int argc, char** argv) const
    {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], "--shared-cpus") == 0)
                return "left to the scheduler (--shared-cpus)";
        cpu_set_t allowed;
        CPU_ZERO(&allowed);
        if (pid_ <= 0 || sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2)
            return "left to the scheduler (fewer than two CPUs)";
        int first = -1, last = -1;
        for (int c = 0; c < CPU_SETSIZE; ++c) {
            if (CPU_ISSET(c, &allowed)) {
                if (first < 0)
                    first = c;
                last = c;
            }
        }
        cpu_set_t board, clients;
        CPU_ZERO(&board);
        CPU_ZERO(&clients);
        CPU_SET(first, &board);
        CPU_SET(last, &clients);
        if (sched_setaffinity(pid_t(pid_), sizeof board, &board) != 0
            || sched_setaffinity(0, sizeof clients, &clients) != 0)
            return "left to the scheduler (the CPUs could not be set)";
        return QByteArray("simulator on CPU ") + QByteArray::number(first) + ", clients on CPU "
            + QByteArray::number(last);
    }

private:
    bool listening() const
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port_);
            if (s.waitForConnected(200)) {
                s.disconnectFromHost();
                pump(100); // the board serves one client at a time: let it see this one leave
                return true;
            }
            pump(50);
        }
        return false;
    }

    qint64 pid_ = 0;
    quint16 port_ = 0;
};

} // namespace zovax::bench
