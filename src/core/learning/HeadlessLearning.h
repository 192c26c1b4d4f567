#pragma once
// The learning subsystem without windows, for everything that learns from
// wave lines it makes or reads itself (the command-line decoder, the import of
// other IR formats, benchmarks): the switches and texts of the main window are
// plain fields, the grid cursor is a row and column, every drawing call is
// dropped, and message boxes and receive-log lines are recorded so that the
// caller can report what the windows would have shown. The link is never
// connected: the commands learning sends go nowhere.
#include "core/learning/LearnView.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"

#include <QStringList>

namespace zovax {

class HeadlessLearnView : public LearnView {
public:
    // The tolerance and learning-time texts from `p`; every switch off, the
    // cursor on the first row's Carry cell.
    explicit HeadlessLearnView(const LearnParams& p = {});

    bool cursorAutoOn = false;
    bool pcodeOn = false;
    bool fullCodeOn = false;
    bool waveDataPanel = false;
    QString hRange, wRange, learningTime;
    int row = 1, column = kColCarry;
    bool indicatorLit = false;

    bool cursorAuto() const override { return cursorAutoOn; }
    bool learningMsg() const override { return false; } // no message box: the log line instead
    void setLearningMsg(bool) override {}
    bool pcode() const override { return pcodeOn; }
    bool fullCode() const override { return fullCodeOn; }
    bool traceMode() const override { return false; }
    bool serialMenuVisible() const override { return false; }
    bool waveDataPanelVisible() const override { return waveDataPanel; }
    QString hRangeText() const override { return hRange; }
    QString wRangeText() const override { return wRange; }
    QString learningTimeText() const override { return learningTime; }
    void setLearningTimeText(const QString& t) override { learningTime = t; }
    bool learnIndicatorLit() const override { return indicatorLit; }
    void setLearnIndicatorLook(bool on) override { indicatorLit = on; }
    void setLearnIndicatorColourOff() override { indicatorLit = false; }
    void processEventsOnce() override {}
    void showProgress() override {}
    void setProgress(int) override {}
    void hideProgress() override {}
    int currentRow() const override { return row; }
    int currentColumn() const override { return column; }
    void selectCell(int c, int r) override
    {
        column = c;
        row = r;
    }
    void focusGrid() override {}
    void DrawPulse(int, int) override {}
    void ShowPulseInList(int, int) override {}
    void ClearWaveArea(int) override {}
    void clearWaveListView(int) override {}
    void setLogicCell(int, int, const QString&) override {}
    void drawLabel(int, const QString&) override {}
    bool showLearnMessage(const QString&, const QString&) override { return false; }
    bool learnMessageShowing() const override { return false; }
};

// Message boxes become recorded messages; questions are answered Yes.
class RecordingPrompts : public Prompts {
public:
    QStringList messages; // "caption: text", the text trimmed
    QString lastText;     // the text of the latest message as shown
    MsgAnswer ask(const QString& caption, const QString& text, MsgIcon, MsgButtons buttons) override;
};

class SilentSounds : public Sounds {
public:
    void play(Sound) override {}
};

class RecordingLog : public ReceiveLog {
public:
    QStringList lines;
    void append(const QString& line) override { lines << line; }
    void clear() override { lines.clear(); }
    int lineCount() const override { return int(lines.size()); }
};

// One learning subsystem with the headless parts around it and a scratch table.
struct HeadlessLearning {
    explicit HeadlessLearning(const LearnParams& p = {}) : view(p) {}

    Settings settings;
    RecordingLog log;
    HeadlessLearnView view;
    RecordingPrompts prompts;
    SilentSounds sounds;
    CodeTable table;
    DeviceLink link{settings, log};
    LearningCore core{link, table, view, prompts, sounds, log};
};

} // namespace zovax
