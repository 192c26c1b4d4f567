#pragma once
// Binds the learning subsystem (learning, analysis, read-back decoding) to the
// main window: the window's controls, grid cursor, wave display, wave data list
// and end-of-learning message box serve as its LearnView, and the learning
// indicator pnlAnalyze switches learning on and off.
#include "core/learning/LearnView.h"

#include <QObject>

#include <memory>

namespace zovax {

class LearningCore;
class MainWindow;
class MsgBox;
class WaveBinding;

class LearningBinding : public QObject, public LearnView {
    Q_OBJECT
public:
    LearningBinding(MainWindow& main, WaveBinding& wave, MsgBox& box);
    ~LearningBinding() override;
    static LearningBinding* of(const MainWindow& main);

    LearningCore& core() { return *core_; }

    // LearnView
    bool cursorAuto() const override;
    bool learningMsg() const override;
    void setLearningMsg(bool on) override;
    bool pcode() const override;
    bool fullCode() const override;
    bool traceMode() const override;
    bool serialMenuVisible() const override;
    bool waveDataPanelVisible() const override;
    QString hRangeText() const override;
    QString wRangeText() const override;
    QString learningTimeText() const override;
    void setLearningTimeText(const QString& text) override;
    bool learnIndicatorLit() const override;
    void setLearnIndicatorLook(bool on) override;
    void setLearnIndicatorColourOff() override;
    void processEventsOnce() override;
    void showProgress() override;
    void setProgress(int position) override;
    void hideProgress() override;
    int currentRow() const override;
    int currentColumn() const override;
    void selectCell(int column, int row) override;
    void focusGrid() override;
    void DrawPulse(int channel, int index) override;
    void ShowPulseInList(int channel, int index) override;
    void ClearWaveArea(int channel) override;
    void clearWaveListView(int channel) override;
    void setLogicCell(int channel, int index, const QString& text) override;
    void drawLabel(int channel, const QString& label) override;
    bool showLearnMessage(const QString& caption, const QString& text) override;
    bool learnMessageShowing() const override;

private:
    MainWindow& main_;
    WaveBinding& wave_;
    MsgBox& box_;
    std::unique_ptr<LearningCore> core_;
};

// Creates the binding for a main window whose windows and wave binding exist.
LearningBinding* bindLearning(MainWindow& main);

} // namespace zovax
