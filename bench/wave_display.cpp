// Display cost of learning: a 4096-pair train fed line by line through the
// learner's OnWaveLine into the main window's wave image and the wave data
// list (both shown, offscreen), and zoom changes that redraw four full
// channels. Prints its figures; the last line is
//   wave_display: learn_ms=<n> zoom_ms=<n>
#include "app/FakePorts.h"
#include "app/learning/WaveListWindow.h"
#include "app/learning/WaveView.h"
#include "app/main/AppAssembly.h"
#include "app/main/LearningBinding.h"
#include "app/main/MainWindow.h"
#include "app/main/WaveBinding.h"
#include "core/irsig/Signals.h"
#include "core/learning/Learner.h"
#include "core/learning/LearningCore.h"
#include "core/learning/WaveStore.h"
#include "core/table/CodeTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using namespace zovax;

namespace {

constexpr int kPairs = 4096;

// A long train of a few pulse kinds with receiver-like jitter: no repeating
// frame and under 16 patterns, so that every line is stored, drawn and listed.
QStringList trainLines()
{
    const irsig::Pair kinds[] = {{560, 1120}, {560, 2250}, {9000, 13500}, {4500, 9000}, {560, 40000}};
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> jitter(-15, 15);
    QStringList lines;
    for (int i = 0; i < kPairs; ++i) {
        irsig::Pair p = kinds[i == kPairs - 1 ? 4 : pick(rng)];
        p.high += jitter(rng);
        p.width += jitter(rng);
        lines << QString::fromStdString(irsig::waveLine(i, p, true));
    }
    return lines;
}

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    zovax::prepareApplicationEnvironment(); // as the program itself runs
    QApplication app(argc, argv);
    applyTheme();

    QTemporaryDir dir;
    test::FakePrompts prompts;
    test::FakeSounds sounds;
    MainWindowOptions o;
    o.settingsPath = dir.filePath(QStringLiteral("bench.ini"));
    o.prompts = &prompts;
    o.sounds = &sounds;
    auto w = createAppWindows(o);
    LearningBinding* learning = &w.tool().learning();
    WaveBinding* wave = &w.tool().wave();
    if (!learning || !wave) {
        std::printf("wave_display: learning or wave display not wired\n");
        return 1;
    }
    Learner& learner = learning->core().learner();
    WaveStore& store = learning->core().store();

    w->resize(1000, 900);
    w->show();
    w->findChild<QPushButton*>(QStringLiteral("btnWaveData"))->click();
    w->findChild<QCheckBox*>(QStringLiteral("ckLearningMsg"))->setChecked(false);
    w->findChild<QLineEdit*>(QStringLiteral("edtLearningTime"))
        ->setText(QStringLiteral("60000")); // the whole train stays one learn
    QApplication::processEvents();

    const QStringList lines = trainLines();

    // Events are processed after every line, as when each line arrives in its
    // own read: every repaint of the image and the list is counted.
    QElapsedTimer t;
    double worstLineMs = 0;
    double inLine = 0;
    t.start();
    for (const QString& line : lines) {
        QElapsedTimer one;
        one.start();
        learner.OnWaveLine(line);
        inLine += msSince(one);
        QApplication::processEvents();
        worstLineMs = std::max(worstLineMs, msSince(one));
    }

    const double learnMs = msSince(t);
    const int channel = store.currentChannel;
    const int stored = store.hasCurrentChannel() ? store.current().lastIndex + 1 : 0;

    // The same train again with events processed every 32 lines (lines that
    // arrive together in one read).
    t.start();
    for (int i = 0; i < lines.size(); ++i) {
        learner.OnWaveLine(lines[i]);
        if (i % 32 == 31)
            QApplication::processEvents();
    }
    QApplication::processEvents();
    const double batchedMs = msSince(t);

    // While a train arrives the list's focus follows the newest pulse a few
    // times a second; each time the list scrolls and repaints.
    WaveListWindow& list = *w.tool().windows().frmWave;
    double followMs = 0;
    constexpr int kFollows = 100;
    for (int i = 0; i < kFollows; ++i) {
        t.start();
        list.selectCell(1 + 5 * (i % 4), 1 + (i * 37) % 4096);
        QApplication::processEvents();
        followMs += msSince(t);
    }

    // Four full channels with labels, then zoom changes.
    const WaveChannel learned = store.channels[size_t(store.currentChannel)];
    for (int c = 0; c < kWaveChannels; ++c) {
        store.channels[size_t(c)] = learned;
        store.channels[size_t(c)].channelRow = c + 1;
        w->session().table().setCell(kColResult, c + 1, QStringLiteral("Tm:Unknown    d:0123 4567"));
    }
    store.carrierTenths = 380;
    double zoomMs = 0;
    for (int item : {0, 21, 5, 16, 2}) {
        t.start();
        w->findChild<QComboBox*>(QStringLiteral("cmbZoom"))->setCurrentIndex(item);
        QApplication::processEvents(); // the queued repaint request
        QApplication::processEvents(); // and the repaint itself
        const double ms = msSince(t);
        zoomMs = std::max(zoomMs, ms);
        std::printf("zoom %-7s redraw of 4 x %d pairs with labels: %7.2f ms\n",
                    qPrintable(w->findChild<QComboBox*>(QStringLiteral("cmbZoom"))->currentText()), learned.lastIndex,
                    ms);
    }

    std::printf("learn of %d lines on channel %d (%d pairs stored, drawn and listed)\n", int(lines.size()), channel,
                stored);
    std::printf("  events after every line : %8.2f ms total, %6.3f ms per line, worst line %6.3f ms\n", learnMs,
                learnMs / lines.size(), worstLineMs);
    std::printf("  events every 32 lines   : %8.2f ms total\n", batchedMs);
    std::printf("  of which in OnWaveLine  : %8.2f ms (events after every line)\n", inLine);
    std::printf("list focus following a train: %.2f ms per scroll and repaint, at most %d per second\n",
                followMs / kFollows, 1000 / WaveListWindow::kFollowIntervalMs);
    std::printf("wave_display: learn_ms=%d zoom_ms=%d\n", int(std::lround(learnMs)), int(std::lround(zoomMs)));
    return stored == kPairs ? 0 : 2;
}
