#include "core/table/CodeTable.h"

#include <algorithm>

namespace zovax {

CodeTable::CodeTable(QObject* parent) : QObject(parent), cells_(kTableRows), entries_(kTableRows)
{}

QString CodeTable::cell(int column, int row) const
{
    if (!validRow(row) || column < 1 || column > 4)
        return QString();
    return cells_[row - 1][column - 1];
}

void CodeTable::setCell(int column, int row, const QString& text)
{
    if (!validRow(row) || column < 1 || column > 4)
        return;
    QString& c = cells_[row - 1][column - 1];
    if (c == text)
        return;
    c = text;
    emit rowsChanged(row, row);
}

TableEntry& CodeTable::entry(int row)
{
    return entries_[std::clamp(row, 1, kTableRows) - 1];
}

const TableEntry& CodeTable::entry(int row) const
{
    return entries_[std::clamp(row, 1, kTableRows) - 1];
}

void CodeTable::entryChanged(int row)
{
    if (validRow(row))
        emit rowsChanged(row, row);
}

void CodeTable::emptyRowRaw(int row)
{
    static const TableEntry kEmpty{}; // copied from, rather than built for every row
    for (QString& c : cells_[row - 1])
        c.clear();
    entries_[row - 1] = kEmpty;
}

void CodeTable::ClearEntry(int row)
{
    if (!validRow(row))
        return;
    entries_[row - 1] = TableEntry{};
    emit rowsChanged(row, row);
}

void CodeTable::copyRowRaw(int from, int to)
{
    cells_[to - 1] = cells_[from - 1];
    entries_[to - 1] = entries_[from - 1];
}

void CodeTable::CopyRow(int from, int to)
{
    if (!validRow(from) || !validRow(to) || from == to)
        return;
    copyRowRaw(from, to);
    emit rowsChanged(to, to);
}

void CodeTable::InsertLine(int row)
{
    if (!validRow(row))
        return;
    for (int k = kTableRows; k >= row + 1; --k)
        copyRowRaw(k - 1, k);
    emptyRowRaw(row);
    emit rowsChanged(row, kTableRows);
}

void CodeTable::DeleteLine(int row)
{
    if (!validRow(row))
        return;
    for (int k = row; k <= kTableRows - 1; ++k)
        copyRowRaw(k + 1, k);
    emptyRowRaw(kTableRows);
    emit rowsChanged(row, kTableRows);
}

void CodeTable::clearAll()
{
    for (int r = 1; r <= kTableRows; ++r)
        emptyRowRaw(r);
    emit rowsChanged(1, kTableRows);
}

void CodeTable::setRow(int row, const std::array<QString, 4>& cells, const TableEntry& e)
{
    if (!validRow(row))
        return;
    cells_[row - 1] = cells;
    entries_[row - 1] = e;
    emit rowsChanged(row, row);
}

void CodeTable::assignRows(const std::vector<std::array<QString, 4>>& cells, const std::vector<TableEntry>& entries)
{
    const int n = int(std::min({cells.size(), entries.size(), size_t(kTableRows)}));
    for (int i = 0; i < n; ++i) {
        cells_[i] = cells[i];
        entries_[i] = entries[i];
    }
    for (int r = n + 1; r <= kTableRows; ++r)
        emptyRowRaw(r);
    emit rowsChanged(1, kTableRows);
}

void CodeTable::SetModified(bool on)
{
    modified_ = on;
    emit modifiedChanged(on);
}

} // namespace zovax
