#include "app/table/TableModel.h"

#include "core/table/TypedInput.h"

#include "core/table/CodeTable.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QPalette>

#include <algorithm>

namespace zovax {

namespace {
const char* const kHeaders[TableModel::kColumns] = {"No.", "Carry", "Frames", "Comments", "Result"};
} // namespace

TableModel::TableModel(CodeTable& table, std::function<bool()> traceMode, QObject* parent)
    : QAbstractTableModel(parent), table_(table), traceMode_(std::move(traceMode))
{
    // The cells are read from the table itself, so the model is always current;
    // only the views' notice is gathered: a read-back or a learn changes a row
    // several times in a row, and one notice per row and event-loop turn is
    // enough. It goes out before the loop next waits (no event is posted).
    connect(&table_, &CodeTable::rowsChanged, this, [this](int first, int last) {
        first = std::max(first, 1);
        last = std::min(last, kTableRows);
        if (first > last)
            return;
        if (changedFirst_ == 0) {
            changedFirst_ = first;
            changedLast_ = last;
        } else {
            changedFirst_ = std::min(changedFirst_, first);
            changedLast_ = std::max(changedLast_, last);
        }
    });
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(thread()))
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &TableModel::flushChanges);
}

void TableModel::holdChanges(bool hold)
{
    held_ = hold;
    if (!hold)
        flushChanges();
}

void TableModel::flushChanges()
{
    if (changedFirst_ == 0 || held_)
        return;
    const int first = changedFirst_;
    const int last = changedLast_;
    changedFirst_ = changedLast_ = 0;
    emit dataChanged(index(first - 1, kColCarry), index(last - 1, kColResult));
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kTableRows;
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int column = index.column();
    if (column == kColLabel) {
        switch (role) {
        case Qt::DisplayRole: return QString::asprintf("%04d", row);
        case Qt::BackgroundRole: return QApplication::palette().brush(QPalette::Button);
        case Qt::ForegroundRole: return QApplication::palette().brush(QPalette::ButtonText);
        case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
        default: return {};
        }
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return table_.cell(column, row);
    return {};
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < kColumns ? QString::fromLatin1(kHeaders[section]) : QVariant();
    return QString::asprintf("%04d", section + 1);
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == kColLabel)
        return Qt::ItemIsEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() != kColCarry || (traceMode_ && traceMode_()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString text = value.toString();
    if (index.column() == kColFrames) {
        const QString why = checkTypedFrames(text);
        if (!why.isEmpty()) {
            // The old value stays; the message comes once the editor has closed.
            QMetaObject::invokeMethod(
                this, [this, why] { emit refused(why); }, Qt::QueuedConnection);
            return false;
        }
    }
    if (text == table_.cell(index.column(), index.row() + 1))
        return true; // an edit that changes nothing leaves the marker alone
    table_.setCell(index.column(), index.row() + 1, text);
    table_.SetModified(true);
    return true;
}

} // namespace zovax
