#pragma once
// What learning, analysis and read-back decoding need from the windows: the
// main window's controls, the code-table grid cursor, the wave display and the
// wave data list. The application implements it; tests use a fake.
#include <QString>

namespace zovax {

class LearnView {
public:
    virtual ~LearnView() = default;

    // Main-window check boxes and switches.
    virtual bool cursorAuto() const = 0;  // ckCursor "Cursor Auto"
    virtual bool learningMsg() const = 0; // ckLearningMsg "学習確認"
    virtual void setLearningMsg(bool on) = 0;
    virtual bool pcode() const = 0;                // ckPcode "PCode"
    virtual bool fullCode() const = 0;             // ckFullCode "Full Code"
    virtual bool traceMode() const = 0;            // status-bar diagnostic switch
    virtual bool serialMenuVisible() const = 0;    // mmFileCom shown (serial link in use)
    virtual bool waveDataPanelVisible() const = 0; // pnlWaveData shown

    // The learning parameter edits (texts as typed).
    virtual QString hRangeText() const = 0;       // edtHrange, per cent
    virtual QString wRangeText() const = 0;       // edtWrange, per cent
    virtual QString learningTimeText() const = 0; // edtLearningTime, ms
    virtual void setLearningTimeText(const QString& text) = 0;

    // Learning indicator pnlAnalyze: lime with "学習 On" / button face with "学習 Off".
    virtual bool learnIndicatorLit() const = 0;
    virtual void setLearnIndicatorLook(bool on) = 0; // colour and caption
    virtual void setLearnIndicatorColourOff() = 0;   // colour only (caption follows the board)
    virtual void processEventsOnce() = 0;

    // Progress bar pgBar (maximum 512).
    virtual void showProgress() = 0; // position 0, width fitted, visible
    virtual void setProgress(int position) = 0;
    virtual void hideProgress() = 0;

    // Code-table grid cursor (rows 1..999, columns 0..4).
    virtual int currentRow() const = 0;
    virtual int currentColumn() const = 0;
    virtual void selectCell(int column, int row) = 0;
    virtual void focusGrid() = 0;

    // Wave display (imgWave) and wave data list (frmWave).
    virtual void DrawPulse(int channel, int index) = 0;
    virtual void ShowPulseInList(int channel, int index) = 0;
    virtual void ClearWaveArea(int channel) = 0;                                // channel >= 4: all bands
    virtual void clearWaveListView(int channel) = 0;                            // the list's cells; channel >= 4: all
    virtual void setLogicCell(int channel, int index, const QString& text) = 0; // "0 " / "1 "
    virtual void drawLabel(int channel, const QString& label) = 0;

    // Message box frmMsgBox: shows the text modally with "次回から表示しない"
    // cleared; returns whether that box was ticked when it closed.
    virtual bool showLearnMessage(const QString& caption, const QString& text) = 0;
    virtual bool learnMessageShowing() const = 0;
};

} // namespace zovax
