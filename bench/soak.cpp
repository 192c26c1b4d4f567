// Soak: learns thousands of signals from the in-process board simulator in
// one run, Cursor Auto moving row after row, and watches the process's
// resident memory and the slowest learn. Prints
//   soak: learns=<n> rss_start_mb=<n> rss_end_mb=<n> max_learn_ms=<n>
// and fails (exit 1) when the memory grew by more than 10 MB or a learn was
// not classified.
// Argument: the number of learns (default 5000).
#include "core/learning/LearnTestRig.h"
#include "sim/board/BoardSim.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>

#include <algorithm>
#include <cstdio>

using namespace zovax;

namespace {

// Resident set size of this process in megabytes (from /proc/self/status).
double rssMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// The learn view with nothing kept per pulse or per message: the test view
// records every drawn pulse, which would grow by itself over a soak.
class LeanView : public test::FakeLearnView {
public:
    void DrawPulse(int, int) override {}
    void setLogicCell(int, int, const QString&) override {}
    bool showLearnMessage(const QString&, const QString&) override { return false; }
};

// Processes events until `done` holds or `ms` milliseconds have passed.
bool waitFor(const std::function<bool()>& done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int wanted = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;

    sim::BoardOptions options;
    options.autoplay = {QStringLiteral("NEC=20DF10EF"), QStringLiteral("SONY12=1501"), QStringLiteral("NECF=00FF10EF"),
                        QStringLiteral("MITSUBISHI=2347")};
    options.autoplayDelayMs = 1;
    sim::BoardSim board(options);
    if (!board.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "soak: simulator did not start\n");
        return 1;
    }

    test::LearnRig rig(board.serverPort());
    LeanView view;
    // The rig's learning subsystem is rebuilt on the lean view.
    rig.core = std::make_unique<LearningCore>(rig.link, rig.table, view, rig.prompts, rig.sounds, rig.log);
    rig.core->installHandlers(rig.link.handlers);
    view.learningMsgOn = false;
    view.cursorAutoOn = true;
    view.learningTime = QStringLiteral("100"); // the shortest the board takes
    if (!waitFor([&] { return rig.link.tcpSocket()->state() == QAbstractSocket::ConnectedState; })) {
        std::fprintf(stderr, "soak: not connected\n");
        return 1;
    }

    int learns = 0;
    int recognised = 0; // learns classified as one of the played formats
    qint64 maxLearnNs = 0;
    QElapsedTimer sinceLast;
    double rssStart = 0;
    const auto onResult = rig.link.handlers.OnAverageLine;
    rig.link.handlers.OnAverageLine = [&](const QString& line) {
        onResult(line);
        ++learns;
        const int row = rig.core->store().current().channelRow;
        if (rig.table.cell(kColResult, row).startsWith(QLatin1String("Tm:")))
            ++recognised;
        maxLearnNs = std::max(maxLearnNs, sinceLast.nsecsElapsed());
        sinceLast.start();
        if (learns == 50)
            rssStart = rssMb();           // after the first learns have warmed the caches up
        if (view.row >= kTableRows - 1) { // a full table: start a new one, as a user would
            rig.table.clearAll();
            view.row = 1;
        }
        // What the test rig keeps for inspection is dropped as it goes.
        rig.sent.clear();
        rig.log.lines.clear();
    };

    sinceLast.start();
    rig.learner().ToggleLearning();
    QElapsedTimer total;
    total.start();
    const bool done = waitFor([&] { return learns >= wanted; }, 110000);
    const double rssEnd = rssMb();
    std::printf("soak: learns=%d rss_start_mb=%.0f rss_end_mb=%.0f max_learn_ms=%.0f\n", learns, rssStart, rssEnd,
                maxLearnNs / 1e6);
    std::printf("soak: %.1f s in all, %.2f ms per learn, %d of them classified\n", total.elapsed() / 1000.0,
                learns ? double(total.elapsed()) / learns : 0.0, recognised);
    if (!done) {
        std::fprintf(stderr, "soak: only %d of %d learns within the time limit\n", learns, wanted);
        return 1;
    }
    return rssEnd - rssStart > 10.0 || recognised != learns ? 1 : 0;
}
