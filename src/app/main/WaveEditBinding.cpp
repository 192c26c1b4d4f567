#include "app/main/WaveEditBinding.h"

#include "app/main/MainWindow.h"
#include "app/table/TableController.h"
#include "app/wavetools/WaveEditDialog.h"
#include "core/learning/Learner.h"
#include "core/session/Session.h"
#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"
#include "core/table/WaveEdit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>

#include <algorithm>

namespace zovax {

WaveEditBinding::WaveEditBinding(Session& session, MainWindow& main, const MainControls& ui, WaveEditDialog& dialog)
    : session_(session), main_(main), ui_(ui), dialog_(dialog),
      irOut_(std::make_unique<IrOut>(session_.link(), session_.prompts()))
{
    connect(&main.tableController(), &TableController::waveInfoRequested, this, &WaveEditBinding::open);
    connect(&dialog_, &WaveEditDialog::byteCodeEntered, this, &WaveEditBinding::byteCodeEnter);
    connect(&dialog_, &WaveEditDialog::irOutRequested, this, &WaveEditBinding::btnIrOutClick);
    connect(&dialog_, &WaveEditDialog::okRequested, this, &WaveEditBinding::btnOkClick);
    connect(&dialog_, &WaveEditDialog::inputRefused, this, [this](const QString& message) {
        session_.prompts().inform(waveedit::kCaptionConfirm, message, MsgIcon::Warning);
    });
}

WaveEditBinding::~WaveEditBinding() = default;

int WaveEditBinding::workingRow() const
{
    const int row = TableController::cursorRow(ui_.sGrid);
    return CodeTable::validRow(row) ? row : openedRow_;
}

void WaveEditBinding::open(int row)
{
    if (!CodeTable::validRow(row))
        return; // the header row, or no row at all
    openedRow_ = row;
    const CodeTable& table = session_.table();
    const TableEntry& e = table.entry(row);
    dialog_.showFields(WaveEditFieldsOf(e, table.cell(kColResult, row)), std::clamp(e.dataCount, 0, kDataSymbols));
    placeAtFramesCell(row);
    dialog_.show();
    dialog_.raise();
    dialog_.activateWindow();
}

void WaveEditBinding::placeAtFramesCell(int row)
{
    // The dialog's top-left corner goes to the top-left corner of the row's
    // Frames cell, kept on the screen.
    QTableView* grid = ui_.sGrid;
    QPoint at = main_.mapToGlobal(QPoint(0, 0));
    if (QAbstractItemModel* m = grid->model()) {
        const QRect cell = grid->visualRect(m->index(row - 1, kColFrames));
        if (cell.isValid())
            at = grid->viewport()->mapToGlobal(cell.topLeft());
    }
    if (const QScreen* scr = main_.screen()) {
        const QRect avail = scr->availableGeometry();
        at.setX(std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - dialog_.width())));
        at.setY(std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - dialog_.height())));
    }
    dialog_.move(at);
}

void WaveEditBinding::byteCodeEnter()
{
    const int row = workingRow();
    if (!CodeTable::validRow(row))
        return;
    dialog_.setPcode(ByteCodeToPcode(dialog_.fields().byteCode, session_.table().entry(row)));
}

void WaveEditBinding::btnIrOutClick()
{
    const IrOutputs outputs = session_.irOutputs();
    irOut_->run(dialog_.fields(), outputs);
}

void WaveEditBinding::btnOkClick()
{
    const int source = workingRow();
    if (!CodeTable::validRow(source))
        return;
    const WaveEditFields f = dialog_.fields();
    // Checked before anything moves: a refused OK leaves the table and the
    // cursor as they were and the dialog open.
    QString error = WaveEditStoreError(f);
    if (error.isEmpty()) {
        CodeTable& table = session_.table();
        int target = source;
        if (const int blank = FirstEmptyRow(table, source)) {
            target = blank;
            TableController::moveCursor(ui_.sGrid, kColCarry, target);
            ui_.sGrid->setFocus();
        }
        error = StoreWaveEdit(table, source, target, f);
    }
    if (!error.isEmpty()) {
        session_.prompts().inform(waveedit::kCaptionWarning, error, MsgIcon::Warning);
        return;
    }
    dialog_.close();
}

} // namespace zovax
