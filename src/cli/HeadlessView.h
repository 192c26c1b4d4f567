#pragma once
// The learning subsystem's view of the windows, without windows: the switches
// come from the command line, the grid cursor is a plain row number, and every
// drawing call is dropped. Message boxes, sounds and the receive log are
// recorded so that a command can report what the windows would have shown.
#include "core/learning/LearnLines.h"
#include "core/learning/LearnView.h"
#include "core/shell/Ports.h"

#include <QStringList>

namespace zovax::cli {

class HeadlessView : public LearnView {
public:
    bool cursorAutoOn = true;
    bool pcodeOn = false;
    bool fullCodeOn = false;
    // The boxes as a fresh window shows them: the learning defaults.
    QString hRange = QString::number(LearnParams{}.hRangePercent);
    QString wRange = QString::number(LearnParams{}.wRangePercent);
    QString learningTime = QString::number(kDefaultLearningTimeMs);
    int row = 1, column = 1;
    bool indicatorLit = false;

    bool cursorAuto() const override { return cursorAutoOn; }
    bool learningMsg() const override { return false; } // no message box: the log line instead
    void setLearningMsg(bool) override {}
    bool pcode() const override { return pcodeOn; }
    bool fullCode() const override { return fullCodeOn; }
    bool traceMode() const override { return false; }
    bool serialMenuVisible() const override { return false; }
    bool waveDataPanelVisible() const override { return false; }
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
    QStringList messages;
    MsgAnswer ask(const QString& caption, const QString& text, MsgIcon, MsgButtons buttons) override
    {
        messages << caption + QStringLiteral(": ") + text.trimmed();
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
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

} // namespace zovax::cli
