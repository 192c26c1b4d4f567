// Registration of a full table (999 used rows) and the read-back of 250
// entries, through the tool's own windows, against the board simulator in its
// own process on loopback; beside the same exchanges done by a minimal
// blocking client without any user interface, which is what the link and the
// simulator allow at best. Prints its figures; no pass/fail.
#include "app/FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "app/main/RegistrationBinding.h"
#include "app/table/TwsDialog.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"
#include "core/table/TwRecords.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>

using namespace zovax;

namespace {

constexpr int kRounds = 9; // each exchange is run this often; the best time counts

// An NEC-style entry of 36 symbols with four pattern pairs.
TableEntry sampleEntry(int row)
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

void pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Processes events until `done` holds, checking after every event rather than
// every millisecond, so that the time taken is measured to the event.
bool waitFor(const std::function<bool()>& done, int ms)
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
double minimalTableMode(quint16 port, const std::function<bool(MinimalClient&)>& inMode)
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

double minimalRegister(quint16 port, int rows)
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

double minimalReadBack(quint16 port, int entries)
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

// --------------------------------------------------------------------- tool

struct ToolRun {
    QTemporaryDir dir;
    test::FakePrompts prompts;
    test::FakeSounds sounds;
    ToolHandle w;

    bool open(quint16 port)
    {
        MainWindowOptions o;
        o.settingsPath = dir.filePath("tool.ini");
        o.prompts = &prompts;
        o.sounds = &sounds;
        w = createAppWindows(o);
        w->show();
        w->settings.tcpip.Host = QStringLiteral("127.000.000.001");
        w->settings.tcpip.Port = port;
        w->ConnectTcp(true);
        if (!waitFor([&] { return w->link().state().tcpConnected; }, 5000))
            return false;
        pump(300); // the connect sequence
        for (int r = 1; r <= kTableRows; ++r)
            w->table().setRow(r, {QStringLiteral("38.0kHz"), QStringLiteral("3"), QString(), QString()},
                              sampleEntry(r));
        w->table().SetModified(false);
        return true;
    }
    void close()
    {
        w->ConnectTcp(false);
        pump(100);
        w.reset();
    }

    double registerTable()
    {
        TwsDialog* dlg = w->windows().frmTws;
        prompts.asked.clear();
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [dlg, p = std::weak_ptr<std::function<void()>>(poll)] {
            if (dlg->isVisible())
                dlg->btnExecute->click();
            else if (auto f = p.lock())
                QTimer::singleShot(1, dlg, *f);
        };
        QTimer::singleShot(0, dlg, *poll);
        QElapsedTimer t;
        t.start();
        w->btnTableWrite->click(); // returns when the dialog has closed
        const double ms = t.nsecsElapsed() / 1e6;
        const bool ok = prompts.texts().contains(QStringLiteral("登録完了しました。  "));
        return ok ? ms : -1;
    }

    // The exchange is timed from the click to the board's confirmed end of
    // table mode, when the completion message appears. The window's redraw
    // that follows on the next turn of the event loop is timed apart.
    double readBack(double* redrawMs)
    {
        prompts.asked.clear();
        w->table().SetModified(false); // no question before New
        QElapsedTimer t;
        t.start();
        w->btnTableLoad->click(); // returns when the board has confirmed the end
        const bool ok = waitFor([&] { return !w->link().state().tableReadMode; }, 60000);
        const double ms = t.nsecsElapsed() / 1e6;
        t.start();
        // The receive log and the window are brought up to date over the next
        // turns of the event loop; timed until a turn finds nothing to do.
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        for (int turn = 0; turn < 20 && dispatcher->processEvents(QEventLoop::AllEvents); ++turn) {
        }
        *redrawMs = t.nsecsElapsed() / 1e6;
        return ok && prompts.texts().contains(QStringLiteral("読込み完了しました。  ")) ? ms : -1;
    }
};

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

void line(const char* what, int rows, double toolMs, double minMs)
{
    std::printf("board_exchange: %-9s %4d rows  tool %8.1f ms (%7.1f rows/s)   minimal client %8.1f ms (%7.1f rows/s)\n",
                what, rows, toolMs, rows * 1000.0 / toolMs, minMs, rows * 1000.0 / minMs);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    zovax::prepareApplicationEnvironment(); // as the program itself runs
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    DetachedSimulator board;
    if (!board.start()) {
        std::printf("board_exchange: the simulator did not start (%s)\n", ZOVAX_SIM_BIN);
        return 1;
    }
    const quint16 port = board.port();

    double toolReg = 1e18, toolRead = 1e18, minReg = 1e18, minRead = 1e18, redraw = 1e18;
    for (int round = 0; round < kRounds; ++round) {
        {
            ToolRun tool;
            if (!tool.open(port)) {
                std::printf("board_exchange: the tool did not connect\n");
                return 1;
            }
            const double reg = tool.registerTable();
            double redrawMs = 0;
            const double read = tool.readBack(&redrawMs);
            redraw = std::min(redraw, redrawMs);
            tool.close();
            if (reg < 0 || read < 0) {
                std::printf("board_exchange: the tool's exchange failed (register %.1f, read-back %.1f)\n", reg, read);
                return 1;
            }
            toolReg = std::min(toolReg, reg);
            toolRead = std::min(toolRead, read);
        }
        pump(200); // the board serves one client at a time: let it see the tool leave
        const double reg = minimalRegister(port, kTableRows);
        pump(100);
        const double read = minimalReadBack(port, 250);
        pump(200);
        if (reg < 0 || read < 0) {
            std::printf("board_exchange: the minimal client's exchange failed\n");
            return 1;
        }
        minReg = std::min(minReg, reg);
        minRead = std::min(minRead, read);
    }
    line("register", kTableRows, toolReg, minReg);
    line("read-back", 250, toolRead, minRead);
    std::printf("board_exchange: receive log and window redraw after the read-back %.1f ms (after the exchange, "
                "not in its time)\n",
                redraw);
    std::printf("board_exchange: register_ratio=%.2f readback_ratio=%.2f\n", toolReg / minReg, toolRead / minRead);
    board.stop();
    return 0;
}
