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

namespace zovax {

class CodeTable;

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    using Explain = std::function<AnalysisExplanation(int row)>;
    // `explain` gives the explanation of a row of `table`. Both must outlive
    // the window.
    AnalysisWindow(CodeTable& table, Explain explain, QWidget* parent);

    // Shows the window on `row` (1..999) and brings it to the front.
    void open(int row);
    int row() const { return row_; }
    // The grid's current row moved to `row`: an open window shows that row.
    void followRow(int row);

private:
    void scheduleRefresh();
    void refresh();

    CodeTable& table_;
    Explain explain_;
    int row_ = 0;
    bool refreshPending_ = false;

    // Controls, named as in the window's design (tests find them by these object names).
    QPlainTextEdit* txtExplain = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnClose = nullptr;
};

} // namespace zovax
