#include "app/table/InterchangeDialog.h"

#include "app/table/TableController.h"
#include "core/interchange/TableTransfer.h"
#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <set>

namespace zovax {

InterchangeDialog::InterchangeDialog(Mode mode, int selectedRows, QWidget* parent) : QDialog(parent), mode_(mode)
{
    const bool import = mode == Mode::Import;
    setObjectName(import ? QStringLiteral("frmImport") : QStringLiteral("frmExport"));
    setWindowTitle(import ? QStringLiteral("インポート") : QStringLiteral("エクスポート"));
    auto* grid = new QGridLayout(this);
    cmbFormat = new QComboBox(this);
    cmbFormat->setObjectName(QStringLiteral("cmbFormat"));
    if (import) {
        cmbFormat->addItem(QStringLiteral("自動判別"));
        choices_.push_back(nullptr);
    }
    for (const FormatInfo& f : formats()) {
        if (!import && !f.write)
            continue;
        cmbFormat->addItem(f.displayName);
        choices_.push_back(&f);
    }
    edtPath = new QLineEdit(this);
    edtPath->setObjectName(QStringLiteral("edtPath"));
    edtPath->setMinimumWidth(360);
    btnBrowse = new QPushButton(QStringLiteral("参照..."), this);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    grid->addWidget(new QLabel(QStringLiteral("形式"), this), 0, 0);
    grid->addWidget(cmbFormat, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("ファイル"), this), 1, 0);
    grid->addWidget(edtPath, 1, 1);
    grid->addWidget(btnBrowse, 1, 2);
    int row = 2;
    if (!import) {
        rbSelected = new QRadioButton(QStringLiteral("選択した行 (%1 行)").arg(selectedRows), this);
        rbSelected->setObjectName(QStringLiteral("rbSelected"));
        rbAll = new QRadioButton(QStringLiteral("テーブル全体"), this);
        rbAll->setObjectName(QStringLiteral("rbAll"));
        rbSelected->setEnabled(selectedRows > 0);
        (selectedRows > 1 ? rbSelected : rbAll)->setChecked(true);
        grid->addWidget(rbSelected, row, 1);
        grid->addWidget(rbAll, row + 1, 1);
        row += 2;
    }
    auto* buttons = new QHBoxLayout;
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, row, 0, 1, 3);

    connect(btnBrowse, &QPushButton::clicked, this, &InterchangeDialog::browse);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(edtPath, &QLineEdit::textChanged, this, &InterchangeDialog::updateOk);
    updateOk();
}

const FormatInfo* InterchangeDialog::format() const
{
    const int i = cmbFormat->currentIndex();
    return i >= 0 && i < int(choices_.size()) ? choices_[std::size_t(i)] : nullptr;
}

QString InterchangeDialog::path() const
{
    return edtPath->text().trimmed();
}

bool InterchangeDialog::selectedOnly() const
{
    return rbSelected && rbSelected->isChecked();
}

void InterchangeDialog::updateOk()
{
    btnOk->setEnabled(!path().isEmpty());
}

void InterchangeDialog::browse()
{
    QString filter;
    if (const FormatInfo* f = format()) {
        QStringList patterns;
        for (const QString& e : f->extensions)
            patterns << QStringLiteral("*.") + e;
        filter = f->displayName + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QStringLiteral(");;");
    }
    filter += QStringLiteral("すべてのファイル (*)");
    const QString p = mode_ == Mode::Import ? QFileDialog::getOpenFileName(this, windowTitle(), path(), filter)
                                            : QFileDialog::getSaveFileName(this, windowTitle(), path(), filter);
    if (!p.isEmpty())
        edtPath->setText(p);
}

InterchangeBinding::InterchangeBinding(QMenu* fileMenu, QMenu* rowMenu, QTableView* grid, CodeTable& table,
                                       Prompts& prompts, LearnParamsSource learnParams, QWidget* parent)
    : QObject(parent), grid_(grid), table_(table), prompts_(prompts), learnParams_(std::move(learnParams))
{
    fileMenu->addSeparator();
    mmFileImport = fileMenu->addAction(QStringLiteral("インポート (&Import)..."));
    mmFileImport->setObjectName(QStringLiteral("mmFileImport"));
    mmFileExport = fileMenu->addAction(QStringLiteral("エクスポート (&Export)..."));
    mmFileExport->setObjectName(QStringLiteral("mmFileExport"));
    ppCopyPronto = rowMenu->addAction(QStringLiteral("Pronto Hex でコピー (&Hex)"));
    ppCopyPronto->setObjectName(QStringLiteral("ppCopyPronto"));
    connect(mmFileImport, &QAction::triggered, this, &InterchangeBinding::importClick);
    connect(mmFileExport, &QAction::triggered, this, &InterchangeBinding::exportClick);
    connect(ppCopyPronto, &QAction::triggered, this, &InterchangeBinding::copyProntoClick);
    // Only a row that holds a code can be copied.
    connect(rowMenu, &QMenu::aboutToShow, this, [this] {
        const int row = TableController::cursorRow(grid_);
        ppCopyPronto->setEnabled(CodeTable::validRow(row) && table_.entry(row).dataCount > 0);
    });
}

std::vector<int> InterchangeBinding::selectedRows() const
{
    std::set<int> rows;
    if (grid_->selectionModel()) {
        for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes())
            rows.insert(i.row() + 1);
    }
    return {rows.begin(), rows.end()};
}

void InterchangeBinding::importClick()
{
    InterchangeDialog d(InterchangeDialog::Mode::Import, 0, grid_->window());
    if (runDialog(d) != QDialog::Accepted)
        return;
    QFile f(d.path());
    if (!f.open(QIODevice::ReadOnly) || f.size() > kImportFileMaxBytes) {
        prompts_.inform(QStringLiteral("警告"),
                        QStringLiteral("インポート出来ません。\n%1\n%2")
                            .arg(d.path(), f.isOpen() ? QStringLiteral("ファイルが大き過ぎます。") : f.errorString()),
                        MsgIcon::Warning);
        return;
    }
    const int from = std::max(1, TableController::cursorRow(grid_));
    const TransferOutcome o = importIntoTable(table_, from, d.path(), f.readAll(), d.format(), prompts_,
                                              learnParams_ ? learnParams_() : LearnParams{});
    if (o.ok && !o.rows.empty())
        TableController::moveCursor(grid_, kColCarry, o.rows.front());
}

void InterchangeBinding::exportClick()
{
    const std::vector<int> selected = selectedRows();
    InterchangeDialog d(InterchangeDialog::Mode::Export, int(selected.size()), grid_->window());
    if (runDialog(d) != QDialog::Accepted || !d.format())
        return;
    exportTable(table_, d.selectedOnly() ? selected : std::vector<int>{}, *d.format(), d.path(), prompts_);
}

void InterchangeBinding::copyProntoClick()
{
    const int row = TableController::cursorRow(grid_);
    if (!CodeTable::validRow(row) || table_.entry(row).dataCount <= 0)
        return;
    const std::vector<ExportRow> rows = exportRowsOf(table_, {row});
    if (!rows.empty())
        QGuiApplication::clipboard()->setText(prontoOf(rows.front()));
}

} // namespace zovax
