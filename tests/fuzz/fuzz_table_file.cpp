// Table files. Property: what was read and written once reads back and writes
// to the same bytes again (writing is a fixed point after one round).
#include "FuzzSupport.h"

#include "core/table/TableFile.h"

using namespace zovax;

namespace {
QByteArray rowsBytes(const ParsedTable& t)
{
    QByteArray out(kTableFileHeader);
    out.append("\r\n");
    for (int i = 0; i < t.rowCount; ++i) {
        out.append(tableRowLine(i + 1, t.cells[size_t(i)], t.entries[size_t(i)]));
        out.append("\r\n");
    }
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)hasTableFileHeader(bytes);
    const ParsedTable first = parseTableFile(bytes);
    fuzz::require(first.ok == (first.errorLine == 0));
    fuzz::require(size_t(first.rowCount) == first.cells.size() && first.cells.size() == first.entries.size());
    if (!first.ok)
        return 0;
    for (int i = 0; i < first.rowCount; ++i)
        (void)traceEntryLine(i + 1, first.entries[size_t(i)]);
    // A cell that saving refuses (a Result read as " Twp:..." that the written
    // file would read as a tag) is reported when the table is saved; the
    // property holds for the tables that can be saved.
    static CodeTable& table = *new CodeTable;
    static int rowsInTable = 0;
    for (int r = first.rowCount + 1; r <= rowsInTable; ++r)
        table.setRow(r, {}, TableEntry{});
    for (int i = 0; i < first.rowCount; ++i)
        table.setRow(i + 1, first.cells[size_t(i)], first.entries[size_t(i)]);
    rowsInTable = first.rowCount;
    if (!findUnstorableCells(table).empty())
        return 0;
    const QByteArray once = rowsBytes(first);
    const ParsedTable second = parseTableFile(once);
    fuzz::require(second.ok && second.rowCount == first.rowCount);
    fuzz::require(rowsBytes(second) == once);
    return 0;
}
