#pragma once
// What the code-table commands need from the main window besides the table,
// the settings, the message boxes and the receive log. The application's main
// window implements it; tests use a fake.
#include <QString>

namespace zovax {

class TableHost {
public:
    virtual ~TableHost() = default;

    // Grid cursor: the current data row 1..999, or 0 when none is current.
    virtual int currentRow() const = 0;
    // Moves the grid cursor to (column 0..4, row 1..999).
    virtual void selectCell(int column, int row) = 0;

    // Clears the drawing of all four wave bands.
    virtual void clearWaveArea() = 0;
    // Learn state back to nothing learned (frameStart, dataCount, frameCount 0).
    virtual void resetLearnState() = 0;

    // Main status-bar panel 0..2.
    virtual void setStatusPanel(int panel, const QString& text) = 0;

    // The status bar's diagnostic switch.
    virtual bool traceMode() const = 0;
    // Whether the advanced wave-data controls (pnlWaveData) are shown.
    virtual bool waveDataPanelVisible() const = 0;
};

} // namespace zovax
