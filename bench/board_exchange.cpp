// Registration of a full table (999 used rows) and the read-back of 250
// entries, through the tool's own windows, against the board simulator in its
// own process on loopback; beside the same exchanges done by a minimal
// blocking client without any user interface, which is what the link and the
// simulator allow at best. Prints its figures; no pass/fail.
#include "ExchangeRig.h"
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
#include <QProcess>
#include <QPushButton>
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
using namespace zovax::bench;

namespace {

constexpr int kRounds = 9; // each exchange is run this often; the best time counts

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
        w->session().settings().tcpip.Host = QStringLiteral("127.000.000.001");
        w->session().settings().tcpip.Port = port;
        w->session().connectTcp(true);
        if (!waitFor([&] { return w->session().link().state().tcpConnected; }, 5000))
            return false;
        pump(300); // the connect sequence
        for (int r = 1; r <= kTableRows; ++r)
            w->session().table().setRow(r, {QStringLiteral("38.0kHz"), QStringLiteral("3"), QString(), QString()},
                                        sampleEntry(r));
        w->session().table().SetModified(false);
        return true;
    }
    void close()
    {
        w->session().connectTcp(false);
        pump(100);
        w.reset();
    }

    double registerTable()
    {
        TwsDialog* dlg = w.tool().windows().frmTws;
        prompts.asked.clear();
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [dlg, p = std::weak_ptr<std::function<void()>>(poll)] {
            if (dlg->isVisible())
                dlg->findChild<QPushButton*>(QStringLiteral("btnExecute"))->click();
            else if (auto f = p.lock())
                QTimer::singleShot(1, dlg, *f);
        };
        QTimer::singleShot(0, dlg, *poll);
        QElapsedTimer t;
        t.start();
        w->findChild<QToolButton*>(QStringLiteral("btnTableWrite"))->click(); // returns when the dialog has closed
        const double ms = t.nsecsElapsed() / 1e6;
        // The end message may go on with a line about rows a read-back cannot reach.
        const QStringList texts = prompts.texts();
        const bool ok = std::any_of(texts.begin(), texts.end(), [](const QString& t) {
            return t.startsWith(QStringLiteral("登録完了しました。  "));
        });
        return ok ? ms : -1;
    }

    // The exchange is timed from the click to the board's confirmed end of
    // table mode, when the completion message appears. The window's redraw
    // that follows on the next turn of the event loop is timed apart.
    double readBack(double* redrawMs)
    {
        prompts.asked.clear();
        w->session().table().SetModified(false); // no question before New
        QElapsedTimer t;
        t.start();
        w->findChild<QToolButton*>(QStringLiteral("btnTableLoad"))
            ->click(); // returns when the board has confirmed the end
        const bool ok = waitFor([&] { return !w->session().link().state().tableReadMode; }, 60000);
        const double ms = t.nsecsElapsed() / 1e6;
        t.start();
        // The receive log and the window are brought up to date over the next
        // turns of the event loop; timed until a turn finds nothing to do.
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        for (int turn = 0; turn < 20 && dispatcher->processEvents(QEventLoop::AllEvents); ++turn) {}
        *redrawMs = t.nsecsElapsed() / 1e6;
        return ok && prompts.texts().contains(QStringLiteral("読込み完了しました。  ")) ? ms : -1;
    }
};

void line(const char* what, int rows, double toolMs, double minMs)
{
    std::printf(
        "board_exchange: %-9s %4d rows  tool %8.1f ms (%7.1f rows/s)   minimal client %8.1f ms (%7.1f rows/s)\n", what,
        rows, toolMs, rows * 1000.0 / toolMs, minMs, rows * 1000.0 / minMs);
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
    std::printf("board_exchange: %s\n", board.placeOnSeparateCpus(argc, argv).constData());

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
