#pragma once
// frmWave "Wave Data": the learned pulses of the four channels as numbers, one
// list row per pulse pair, five columns per channel (label, High, Width,
// pattern number, logic value), and below the list one summary box per
// channel with the smallest and largest High and Width among the pulses of a
// picked pattern number. Modeless; stays on top of the main window.
#include <QDialog>

#include <array>

class QGroupBox;
class QLabel;
class QTableView;
class QTimer;

namespace zovax {

struct WaveStore;
class WaveListModel;

class WaveListWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientHeight = 600; // px, set on every showing
    static constexpr int kSummaryHeight = 71; // px of the bottom panel
    static constexpr int kSummaryWidth = 230; // px of one summary group box
    static constexpr int kRowHeight = 16;     // px
    // While the window is shown, the focus follows newly listed pulses at most
    // this often (ms): scrolling the list for every pulse of a fast train
    // would repaint it thousands of times.
    static constexpr int kFollowIntervalMs = 100;

    explicit WaveListWindow(QWidget* parent = nullptr);
    ~WaveListWindow() override;

    // The learned pairs ShowPulseInList reads and whose last pulse index bounds
    // the summary (not owned; may be null: nothing is listed).
    void setWaveStore(const WaveStore* store) { store_ = store; }
    WaveListModel& model() { return *model_; }
    const WaveListModel& model() const { return *model_; }

    // Lists pulse pair `index` (0..4095) of `channel` (0..3) in row index + 1
    // and moves the list's focus to its High cell. Other values are ignored.
    void ShowPulseInList(int channel, int index);
    // Empties the channel's list cells and summary boxes (4 and above: every
    // channel) and moves the focus to row 1 of the (first) channel's High column.
    void clearWaveListView(int channel);
    // The logic cell of pulse `index`: "0 " or "1 ".
    void setLogicCell(int channel, int index, const QString& text);

    // The list's focus cell (column 0..19, row 1..4096). A cell that the
    // focus is about to follow to counts as the focus cell already.
    void selectCell(int column, int row);
    int currentColumn() const;
    int currentRow() const;

    // Runs when the list's focus moves to a cell: a filled pattern-number cell
    // picks that pattern for its channel's summary.
    void sGridWaveSelectCell(int column, int row);
    // Smallest and largest High and Width of the picked pattern over the
    // channel's pulses except its last one.
    void summarise(int channel);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void FormCreate();
    void FormShow();
    void clearSummary(int channel);
    void follow(int column, int row);
    void applyFollow();

    WaveListModel* model_;
    const WaveStore* store_ = nullptr;
    bool positioned_ = false;
    QTimer* followTimer_;
    int followColumn_ = -1; // pending focus cell, -1: none
    int followRow_ = 0;

    // Controls, named as in the window's design (tests find them by these object names).
    QTableView* sGridWave;
    std::array<QGroupBox*, 4> pnlWaveData{}; // objectNames pnlWaveData1..4
    std::array<QLabel*, 4> pnlPno{};         // pnlPno1..4
    std::array<QLabel*, 4> pnlHmin{};        // pnlHmin1..4
    std::array<QLabel*, 4> pnlHmax{};        // pnlHmax1..4
    std::array<QLabel*, 4> pnlWmin{};        // pnlWmin1..4
    std::array<QLabel*, 4> pnlWmax{};        // pnlWmax1..4
};

} // namespace zovax
