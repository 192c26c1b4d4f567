#pragma once
// Fakes of the windows, message boxes, sounds and receive log, and a rig that
// wires them to a LearningCore with a device link connected to a local server.
#include "core/irsig/Signals.h"
#include "core/learning/HeadlessLearning.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "support/Fakes.h"
#include "support/LinkRig.h"

#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <ostream>

QT_BEGIN_NAMESPACE
// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace zovax::test {

// The window-less view with records of what the windows would show.
class FakeLearnView : public HeadlessLearnView {
public:
    FakeLearnView() { cursorAutoOn = true; }

    // Switches and texts, as a test sets them (cursorAutoOn, pcodeOn, fullCodeOn,
    // hRange, wRange and learningTime are the headless view's).
    bool learningMsgOn = true;
    bool traceOn = false;
    bool serialMenu = false;
    bool wavePanel = true;

    // What the windows show (the indicator and the cursor: indicatorLit, row
    // and column of the headless view).
    int indicatorColourOffCalls = 0;
    bool progressVisible = false;
    int progress = 0;
    int focusCalls = 0;
    std::map<int, QString> labels;                // channel -> label
    std::map<std::pair<int, int>, QString> logic; // (channel, index) -> "0 " / "1 "
    std::vector<std::pair<int, int>> drawn;       // (channel, index)
    std::vector<int> clearedAreas, clearedLists;

    // The message box: each showing is recorded; `dontShowAgain` is the state of
    // "次回から表示しない" when it closes; `whileShowing` runs inside it.
    struct Shown {
        QString caption, text;
    };
    std::vector<Shown> boxes;
    bool dontShowAgain = false;
    bool showing = false;
    std::function<void()> whileShowing;

    bool learningMsg() const override { return learningMsgOn; }
    void setLearningMsg(bool on) override { learningMsgOn = on; }
    bool traceMode() const override { return traceOn; }
    bool serialMenuVisible() const override { return serialMenu; }
    bool waveDataPanelVisible() const override { return wavePanel; }
    void setLearnIndicatorColourOff() override
    {
        indicatorLit = false;
        ++indicatorColourOffCalls;
    }
    void showProgress() override
    {
        progressVisible = true;
        progress = 0;
    }
    void setProgress(int p) override { progress = p; }
    void hideProgress() override { progressVisible = false; }
    void focusGrid() override { ++focusCalls; }
    void DrawPulse(int channel, int index) override { drawn.emplace_back(channel, index); }
    void ClearWaveArea(int channel) override { clearedAreas.push_back(channel); }
    void clearWaveListView(int channel) override { clearedLists.push_back(channel); }
    void setLogicCell(int channel, int index, const QString& text) override { logic[{channel, index}] = text; }
    void drawLabel(int channel, const QString& label) override { labels[channel] = label; }
    bool showLearnMessage(const QString& caption, const QString& text) override
    {
        boxes.push_back({caption, text});
        showing = true;
        if (whileShowing)
            whileShowing();
        showing = false;
        return dontShowAgain;
    }
    bool learnMessageShowing() const override { return showing; }
};

// A LearningCore with fakes; the link is "connected" to a local server so that
// sending works, and every command sent is recorded without its framing.
struct LearnRig : LinkRig {
    FakeLearnView view;
    FakeSounds sounds;
    CodeTable table;
    QTcpServer server;
    std::unique_ptr<LearningCore> core;
    bool ackLend = true; // answer "Lend:" at once, as the board's echo would

    // Connects to a local server of its own, or to `port` on 127.0.0.1 (a simulator).
    explicit LearnRig(quint16 port = 0)
    {
        if (port == 0) {
            server.listen(QHostAddress::LocalHost, 0);
            port = server.serverPort();
        } else {
            ackLend = false;
        }
        link.tcpSocket()->connectToHost(QHostAddress::LocalHost, port);
        link.tcpSocket()->waitForConnected(2000);
        link.state().tcpConnected = true;
        QObject::connect(&link, &DeviceLink::tcpFrameSent, [this] {
            if (ackLend && sent.back().startsWith(QLatin1String("Lend:")))
                link.SetReplyAck();
        });
        core = std::make_unique<LearningCore>(link, table, view, prompts, sounds, log);
        core->installHandlers(link.handlers);
    }

    WaveStore& store() { return core->store(); }
    Learner& learner() { return core->learner(); }
    Analyser& analyser() { return core->analyser(); }
    ReadBackDecoder& readBack() { return core->readBack(); }

    // Feeds pairs as wave lines from index 0 (through the dispatcher's handler).
    void feed(const std::vector<irsig::Pair>& pairs, bool fourDigit = false)
    {
        for (size_t i = 0; i < pairs.size(); ++i)
            link.handlers.OnWaveLine(QString::fromStdString(irsig::waveLine(int(i), pairs[i], fourDigit)));
    }
    void result(int carrierTenths)
    {
        link.handlers.OnAverageLine(QString::fromStdString(irsig::averageLine(carrierTenths)));
    }
    // A whole learn: pairs, then the result line.
    void learn(const std::vector<irsig::Pair>& pairs, int carrierTenths = 380)
    {
        feed(pairs);
        result(carrierTenths);
    }
    QString resultCell(int row) const { return table.cell(kColResult, row); }
};

// Pairs from (high, width) lists.
inline std::vector<irsig::Pair> pairsOf(std::initializer_list<std::pair<int, int>> list)
{
    std::vector<irsig::Pair> v;
    for (auto [h, w] : list)
        v.push_back({h, w});
    return v;
}

// Alternating mark and space durations (microseconds) of (high, width) pairs.
inline std::vector<int> durationsOf(const std::vector<irsig::Pair>& pairs)
{
    std::vector<int> d;
    for (const irsig::Pair& p : pairs) {
        d.push_back(p.high);
        d.push_back(p.width - p.high);
    }
    return d;
}

} // namespace zovax::test
