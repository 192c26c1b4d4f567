#include "app/table/TableController.h"

#include "app/table/TableFileDialogs.h"
#include "app/table/TableModel.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "core/table/TableCommands.h"
#include "core/table/TableHost.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>

#include <algorithm>
#include <unordered_map>

namespace zovax {

namespace {
constexpr int kLabelWidth = 40;
constexpr int kCarryWidth = 64;
constexpr int kFramesWidth = 48;
constexpr int kGridMargin = 27;   // scroll bar and frame
constexpr int kMinFreeWidth = 24; // keeps Comments and Result visible in a tiny grid

// Grids whose cursor moves are held back, with the latest move asked for.
struct CursorHold {
    int column = 0;
    int row = 0; // 0: no move asked for since the last one made
    QMetaObject::Connection destroyed;
};

std::unordered_map<const QTableView*, CursorHold>& cursorHolds()
{
    static std::unordered_map<const QTableView*, CursorHold> holds;
    return holds;
}

const CursorHold* heldMove(const QTableView* grid)
{
    const auto& holds = cursorHolds();
    if (holds.empty())
        return nullptr;
    const auto it = holds.find(grid);
    return it != holds.end() && it->second.row > 0 ? &it->second : nullptr;
}

void makeCursorMove(QTableView* grid, const QModelIndex& i)
{
    grid->setCurrentIndex(i);
    grid->scrollTo(i);
}
} // namespace

TableController::TableController(QTableView* grid, CodeTable& table, Settings& settings, Prompts& prompts,
                                 ReceiveLog& log, TableHost& host, QWidget* parent)
    : QObject(parent), grid_(grid), table_(table), settings_(settings), prompts_(prompts), host_(host),
      dataFolder_(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Dat")))
{
    commands_ = new TableCommands(table, settings, prompts, log, host, this);
    init(parent);
}

TableController::TableController(QTableView* grid, TableCommands& commands, CodeTable& table, Settings& settings,
                                 Prompts& prompts, TableHost& host, QWidget* parent)
    : QObject(parent), grid_(grid), table_(table), settings_(settings), prompts_(prompts), host_(host),
      commands_(&commands), dataFolder_(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Dat")))
{
    init(parent);
}

void TableController::init(QWidget* parent)
{
    model_ = new TableModel(
        table_, [this] { return host_.traceMode(); }, this);
    connect(model_, &TableModel::refused, this,
            [this](const QString& message) { prompts_.inform(QStringLiteral("確認"), message, MsgIcon::Warning); });
    platformDialogs_ = std::make_unique<QtTableFileDialogs>(parent);

    grid_->setModel(model_);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { onCurrentChanged(current); });
    grid_->viewport()->installEventFilter(this);

    ppMenu = new QMenu(parent);
    ppMenu->setObjectName(QStringLiteral("ppMenu"));
    auto addItem = [this](const char* name, const QString& text, void (TableController::*slot)()) {
        QAction* a = ppMenu->addAction(text);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    ppCopy = addItem("ppCopy", commands_->copyCaption(), &TableController::ppCopyClick);
    ppPaste = addItem("ppPaste", QStringLiteral("貼付け・上書き (&Paste)"), &TableController::ppPasteClick);
    ppInsertPaste = addItem("ppInsertPaste", QStringLiteral("貼付け・挿入 (&Insert Paste)"),
                            &TableController::ppInsertPasteClick);
    ppNewline = addItem("ppNewline", QStringLiteral("行挿入 (&New Line)"), &TableController::ppNewlineClick);
    ppDelete = addItem("ppDelete", QStringLiteral("行削除 (&Delete Line)"), &TableController::ppDeleteClick);
    ppMenu->addSeparator();
    ppWaveEdit = addItem("ppWaveEdit", QStringLiteral("波形情報 (&Wave Info)"), &TableController::ppWaveEditClick);
    ppAnalysis = addItem("ppAnalysis", QStringLiteral("解析の詳細 (&Analysis)..."), &TableController::ppAnalysisClick);
    connect(ppMenu, &QMenu::aboutToShow, this, &TableController::ppMenuPopup);

    connect(commands_, &TableCommands::copyMarkChanged, this, [this](int row) {
        ppCopy->setText(commands_->copyCaption());
        if (row != 0) {
            ppPaste->setEnabled(true);
            ppInsertPaste->setEnabled(true);
        }
    });

    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this, &TableController::showMenu);

    InitTableGrid();
}

TableController::~TableController()
{
    // Destroyed before the grid (see MainWindow): the filter goes while the grid is whole.
    grid_->viewport()->removeEventFilter(this);
}

int TableController::cursorRow(const QTableView* grid)
{
    if (const CursorHold* held = heldMove(grid))
        return held->row;
    const QModelIndex i = grid->currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int TableController::cursorColumn(const QTableView* grid)
{
    if (const CursorHold* held = heldMove(grid))
        return held->column;
    const QModelIndex i = grid->currentIndex();
    return i.isValid() ? i.column() : 0;
}

void TableController::moveCursor(QTableView* grid, int column, int row)
{
    QAbstractItemModel* m = grid->model();
    if (!m || row < 1 || row > m->rowCount() || column < 0 || column >= m->columnCount())
        return;
    auto& holds = cursorHolds();
    if (!holds.empty()) {
        if (const auto it = holds.find(grid); it != holds.end()) {
            it->second.column = column;
            it->second.row = row;
            return;
        }
    }
    makeCursorMove(grid, m->index(row - 1, column));
}

void TableController::holdCursor(QTableView* grid, bool hold)
{
    auto& holds = cursorHolds();
    const auto it = holds.find(grid);
    if (hold) {
        if (it != holds.end())
            return;
        CursorHold h;
        h.destroyed = QObject::connect(grid, &QObject::destroyed, [grid] { cursorHolds().erase(grid); });
        holds.emplace(grid, std::move(h));
        return;
    }
    if (it == holds.end())
        return;
    applyHeldCursor(grid);
    QObject::disconnect(it->second.destroyed);
    holds.erase(grid);
}

void TableController::applyHeldCursor(QTableView* grid)
{
    const auto it = cursorHolds().find(grid);
    if (it == cursorHolds().end() || it->second.row == 0)
        return;
    const int column = it->second.column;
    const int row = it->second.row;
    it->second.row = 0;
    if (QAbstractItemModel* m = grid->model(); m && row <= m->rowCount() && column < m->columnCount())
        makeCursorMove(grid, m->index(row - 1, column));
}

void TableController::InitTableGrid()
{
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setMinimumSectionSize(1);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->setShowGrid(true);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                           | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grid_->setWordWrap(false);
    QHeaderView* h = grid_->horizontalHeader();
    h->setHighlightSections(false);
    h->resizeSection(kColLabel, kLabelWidth);
    h->resizeSection(kColCarry, kCarryWidth);
    h->resizeSection(kColFrames, kFramesWidth);
    const int w = grid_->width() - kGridMargin - kLabelWidth - kCarryWidth - kFramesWidth;
    h->resizeSection(kColComments, std::max(w - w / 3, kMinFreeWidth));
    h->resizeSection(kColResult, std::max(w / 3, kMinFreeWidth));
}

void TableController::resizeFreeColumns()
{
    QHeaderView* h = grid_->horizontalHeader();
    const int w = grid_->width() - kGridMargin - h->sectionSize(kColLabel) - h->sectionSize(kColCarry)
        - h->sectionSize(kColFrames);
    h->resizeSection(kColComments, std::max(w / 3, kMinFreeWidth));
    h->resizeSection(kColResult, std::max(w - w / 3, kMinFreeWidth));
}

void TableController::connectFileMenu(QAction* mmCleate, QAction* mmFileOpen, QAction* mmFileSave)
{
    if (mmCleate)
        connect(mmCleate, &QAction::triggered, this, &TableController::mmCleateClick);
    if (mmFileOpen)
        connect(mmFileOpen, &QAction::triggered, this, &TableController::mmFileOpenClick);
    if (mmFileSave)
        connect(mmFileSave, &QAction::triggered, this, &TableController::mmFileSaveClick);
}

TableFileDialogs& TableController::dialogs()
{
    return dialogsOverride_ ? *dialogsOverride_ : *platformDialogs_;
}

QString TableController::dialogStartDir() const
{
    return settings_.tableFileName.isEmpty() ? dataFolder_ : QString();
}

void TableController::mmCleateClick()
{
    commands_->mmCleateClick();
}

void TableController::mmFileOpenClick()
{
    if (!commands_->confirmDiscardBeforeOpen())
        return;
    const auto choice = dialogs().runOpen(dialogStartDir());
    if (!choice)
        return;
    commands_->openTableFile(choice->path);
}

void TableController::mmFileSaveClick()
{
    saveWithDialog();
}

bool TableController::saveWithDialog()
{
    const auto choice = dialogs().runSave(dialogStartDir());
    if (!choice)
        return false;
    if (choice->filterIndex == TableFileDialogs::kFilterBmp) {
        prompts_.ask(QStringLiteral("警告"), QStringLiteral("選択されたファイル形式では保存出来ません。"),
                     MsgIcon::Warning, MsgButtons::OkCancel);
        return false;
    }
    return commands_->saveTableFile(choice->path);
}

void TableController::ppMenuPopup()
{
    if (commands_->copyMark() != 0)
        return;
    ppPaste->setEnabled(false);
    ppInsertPaste->setEnabled(false);
    ppWaveEdit->setVisible(host_.waveDataPanelVisible());
}

void TableController::ppCopyClick()
{
    commands_->ppCopyClick();
}

void TableController::ppPasteClick()
{
    commands_->ppPasteClick();
}

void TableController::ppInsertPasteClick()
{
    commands_->ppInsertPasteClick();
}

void TableController::ppNewlineClick()
{
    commands_->ppNewlineClick();
}

void TableController::ppDeleteClick()
{
    commands_->ppDeleteClick();
}

void TableController::ppWaveEditClick()
{
    const int row = host_.currentRow();
    if (CodeTable::validRow(row))
        emit waveInfoRequested(row);
}

void TableController::ppAnalysisClick()
{
    const int row = host_.currentRow();
    if (CodeTable::validRow(row))
        emit analysisRequested(row);
}

bool TableController::applySelectionRule(int column)
{
    const auto behaviour
        = (column >= kColFrames || host_.traceMode()) ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows;
    if (grid_->selectionBehavior() == behaviour)
        return false;
    grid_->setSelectionBehavior(behaviour);
    return true;
}

void TableController::sGridSelectCell(int column, int /*row*/)
{
    applySelectionRule(column);
}

void TableController::onCurrentChanged(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    // A mouse press has already applied the rule before the move; a move by
    // keyboard or by program applies it here and fixes the selection to match.
    if (!applySelectionRule(current.column()))
        return;
    const auto flags = grid_->selectionBehavior() == QAbstractItemView::SelectRows
        ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
        : QItemSelectionModel::ClearAndSelect;
    grid_->selectionModel()->select(current, flags);
}

bool TableController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton) {
            const QModelIndex i = grid_->indexAt(me->position().toPoint());
            if (i.isValid())
                sGridSelectCell(i.column(), i.row() + 1);
        }
    }
    return QObject::eventFilter(watched, event);
}

void TableController::showMenu(const QPoint& pos)
{
    ppMenu->popup(grid_->viewport()->mapToGlobal(pos));
}

bool TableController::reopenLastTable()
{
    return commands_->reopenLastTable();
}

} // namespace zovax
