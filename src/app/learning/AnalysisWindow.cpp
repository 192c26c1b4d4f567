#include "app/learning/AnalysisWindow.h"

#include "app/learning/LearningBinding.h"
#include "app/shell/MainWindow.h"
#include "app/table/TableController.h"
#include "core/learning/LearningCore.h"
#include "core/table/CodeTable.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace zovax {

AnalysisWindow::AnalysisWindow(QTableView* grid, CodeTable& table, Explain explain, QWidget* parent)
    : QWidget(parent, Qt::Window), grid_(grid), table_(table), explain_(std::move(explain))
{
    setObjectName(QStringLiteral("frmAnalysis"));
    setWindowTitle(QStringLiteral("解析の詳細"));
    resize(760, 520);

    txtExplain = new QPlainTextEdit(this);
    txtExplain->setObjectName(QStringLiteral("txtExplain"));
    txtExplain->setReadOnly(true);
    txtExplain->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtExplain->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtExplain->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    btnCopy = new QPushButton(QStringLiteral("コピー (&C)"), this);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnCopy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(txtExplain->toPlainText()); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCopy);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtExplain);
    layout->addLayout(buttons);

    if (grid_ && grid_->selectionModel())
        connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { followCursor(); });
    connect(&table_, &CodeTable::rowsChanged, this, [this](int first, int last) {
        if (isVisible() && first <= row_ && row_ <= last)
            scheduleRefresh();
    });
}

void AnalysisWindow::open(int row)
{
    if (!CodeTable::validRow(row))
        return;
    row_ = row;
    refresh();
    show();
    raise();
    activateWindow();
}

void AnalysisWindow::followCursor()
{
    if (!isVisible())
        return;
    const int row = TableController::cursorRow(grid_);
    if (!CodeTable::validRow(row) || row == row_)
        return;
    row_ = row;
    scheduleRefresh();
}

// Coalesces the many change notices of a bulk operation into one refresh.
void AnalysisWindow::scheduleRefresh()
{
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPending_ = false;
        if (isVisible())
            refresh();
    });
}

void AnalysisWindow::refresh()
{
    if (!CodeTable::validRow(row_))
        return;
    setWindowTitle(QStringLiteral("解析の詳細 - No.%1").arg(row_));
    const QString text = explanationText(explain_(row_));
    if (text == txtExplain->toPlainText())
        return; // keeps the reader's place and selection
    const bool sameRow = txtExplain->property("row").toInt() == row_;
    const int scroll = txtExplain->verticalScrollBar()->value();
    txtExplain->setPlainText(text);
    txtExplain->setProperty("row", row_);
    if (sameRow)
        txtExplain->verticalScrollBar()->setValue(scroll);
}

AnalysisWindow* bindAnalysisWindow(MainWindow& main)
{
    LearningBinding* learning = LearningBinding::of(main);
    if (!learning || !main.tableController)
        return nullptr;
    LearningCore& core = learning->core();
    auto* w = new AnalysisWindow(main.sGrid, main.table(), [&core](int row) { return core.explainRow(row); }, &main);
    QObject::connect(main.tableController, &TableController::analysisRequested, w, &AnalysisWindow::open);
    return w;
}

AnalysisWindow* analysisWindowOf(const MainWindow& main)
{
    return main.findChild<AnalysisWindow*>(QStringLiteral("frmAnalysis"), Qt::FindDirectChildrenOnly);
}

} // namespace zovax
