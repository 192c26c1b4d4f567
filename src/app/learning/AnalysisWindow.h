#pragma once
// The analysis window: a read-only, non-modal window with the explanation of
// why the code table's current row decoded as it did (selectable text and a
// copy button). Opened from the grid's pop-up menu; while open it follows the
// grid's current row and refreshes when that row changes.
#include "core/learning/Explanation.h"

#include <QWidget>

#include <functional>

class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace zovax {

class CodeTable;
class MainWindow;

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    using Explain = std::function<AnalysisExplanation(int row)>;
    // `grid` shows `table`; `explain` gives the explanation of a row. All must
    // outlive the window.
    AnalysisWindow(QTableView* grid, CodeTable& table, Explain explain, QWidget* parent);

    // Shows the window on `row` (1..999) and brings it to the front.
    void open(int row);
    int row() const { return row_; }

    QPlainTextEdit* txtExplain = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnClose = nullptr;

private:
    void followCursor();
    void scheduleRefresh();
    void refresh();

    QTableView* grid_;
    CodeTable& table_;
    Explain explain_;
    int row_ = 0;
    bool refreshPending_ = false;
};

// Creates the analysis window of an assembled main window (after its learning
// binding) and opens it from the pop-up menu item.
AnalysisWindow* bindAnalysisWindow(MainWindow& main);
AnalysisWindow* analysisWindowOf(const MainWindow& main);

} // namespace zovax
