#pragma once
// The code table: 999 rows, each four text cells (Carry, Frames, Comments,
// Result) and one TableEntry. Cells and entries are one table: every operation
// that moves, copies or clears a row does it to both together.
#include "core/table/TableEntry.h"

#include <QObject>
#include <QString>

#include <array>
#include <vector>

namespace zovax {

// Grid columns as the user sees them; column 0 is the fixed row label.
enum TableColumn { kColLabel = 0, kColCarry = 1, kColFrames = 2, kColComments = 3, kColResult = 4 };

class CodeTable : public QObject {
    Q_OBJECT
public:
    explicit CodeTable(QObject* parent = nullptr);

    static bool validRow(int row) { return row >= 1 && row <= kTableRows; }

    // Cell text of column 1..4 of row 1..999; "" outside that range.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);

    TableEntry& entry(int row);             // row 1..999
    const TableEntry& entry(int row) const; // row 1..999
    // Call after changing entry(row) directly, so views can refresh.
    void entryChanged(int row);

    // Every field of the row's entry to 0, all 4096 data symbols included, so
    // that an emptied row never carries symbols of the entry that was there.
    void ClearEntry(int row);
    // Cells 1..4 and the whole entry of row `from` onto row `to`.
    void CopyRow(int from, int to);
    // Rows row..998 move one down (row 999's content is dropped); row is emptied.
    void InsertLine(int row);
    // Rows row+1..999 move one up; row 999 is emptied.
    void DeleteLine(int row);
    // Every row: cells empty and every entry field 0, all 4096 symbols included.
    void clearAll();
    // Cells and entry of a row replaced at once (used by file loading).
    void setRow(int row, const std::array<QString, 4>& cells, const TableEntry& e);
    // The whole table replaced at once: row r takes cells[r-1] and entries[r-1]
    // for r up to the shorter list's size (at most 999); the remaining rows are
    // emptied. Copies into the table's own arrays (references to entries stay valid).
    void assignRows(const std::vector<std::array<QString, 4>>& cells, const std::vector<TableEntry>& entries);

    // Modified marker ("変更" in the status bar while set).
    bool modified() const { return modified_; }
    void SetModified(bool on);

signals:
    // Cells or entries of rows first..last (inclusive) changed.
    void rowsChanged(int first, int last);
    void modifiedChanged(bool on);

private:
    void copyRowRaw(int from, int to);
    void emptyRowRaw(int row);

    std::vector<std::array<QString, 4>> cells_; // index row-1, column-1
    std::vector<TableEntry> entries_;           // one fixed array, index row-1
    bool modified_ = false;
};

} // namespace zovax
