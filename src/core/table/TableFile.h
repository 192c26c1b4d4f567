#pragma once
// Table files: the whole code table as text, one line per row.
//
//   ZOVAX Table File
//   [001],<Carry>,<Frames>,<Comments>,<Result>,Twc:380,Twb:036,Twr:000,
//         Twp:0:09000 013500, ... sixteen pairs ...,Twd:<one hex digit per symbol>,
//   ... 999 row lines, CR LF line ends (LF alone is read too) ...
//
// Cell texts are CP932, everything else ASCII. A two-digit label ("[01],")
// marks an older row layout without the Result field. Row lines have no length
// limit: an entry of 4096 symbols makes a line of about 4,400 characters.
#include "core/table/CodeTable.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace zovax {

class Prompts;
class ReceiveLog;

inline constexpr char kTableFileHeader[] = "ZOVAX Table File";

// A file larger than this is not a table file (999 full rows take about 4.5 MB);
// the limit also keeps a device or pipe chosen by mistake from being read forever.
inline constexpr qint64 kTableFileMaxBytes = 64 * 1024 * 1024;

// Cell text as it is written: leading and trailing blanks and control
// characters (every character up to U+0020) removed.
QString trimCellText(const QString& text);

// A cell whose text would not read back as it was written.
struct UnstorableCell {
    enum Reason { Comma, LineBreak, TagPrefix, NotInCodePage };
    int row = 0;    // 1..999
    int column = 0; // 1..4
    Reason reason = Comma;
    QString character; // NotInCodePage: the first character the file's code page lacks
};

// Every cell that cannot be stored: a comma ends a field on reading, a line
// break ends the row line, a Result text beginning with "Twc:", "Twb:",
// "Twr:", "Twp:" or "Twd:" would be read as that entry field, and a character
// the file's code page (CP932) lacks would be written as a substitute.
std::vector<UnstorableCell> findUnstorableCells(const CodeTable& table);

// The entry fields as written after the cells: "Twc:%03d,Twb:%03d,Twr:%03d,",
// the sixteen "Twp:%01X:%05d %06d," and "Twd:" with the data digits, without a
// comma after the digits. One digit per symbol for symbols 0..dataCount-1; an
// odd count repeats the last digit so that the count is even. dataCount is
// taken within 0..4096 and each symbol within 0..15.
void appendEntryFields(QByteArray& out, const TableEntry& e);

// One row line, without the line end.
QByteArray tableRowLine(int row, const std::array<QString, 4>& cells, const TableEntry& e);

// The whole file's bytes: header line and 999 row lines, each ending in CR LF.
QByteArray tableFileBytes(const CodeTable& table);

// Whether the first line contains the header text.
bool hasTableFileHeader(const QByteArray& bytes);

// Rows read from a file; the first line (the header, or whatever stands there)
// is never read as a row.
struct ParsedTable {
    bool ok = false;
    int errorLine = 0;                         // 1-based line of the file that could not be read
    QString errorText;                         // what is wrong with that line
    int rowCount = 0;                          // row lines read (0..999); the rest of the table is empty
    std::vector<std::array<QString, 4>> cells; // rowCount rows
    std::vector<TableEntry> entries;           // rowCount entries, flag 0
};

// Reads row lines from the second line on, up to 999 of them; reading stops at
// the end of the file or at the first line that does not begin with "[".
// Fails on a "Twp:" or "Twd:" field whose digits are not valid numbers.
ParsedTable parseTableFile(const QByteArray& bytes);

// The receive-log line listing an entry in trace mode: "[%03d] " and the
// entry fields.
QString traceEntryLine(int row, const TableEntry& e);

enum class TableLoadStatus {
    Loaded,    // the table holds the file's rows
    NotOpened, // the file could not be opened or read; nothing said
    Declined,  // no header and the user did not force it open
    Invalid,   // a field could not be read or the file is too large; message shown
};

struct TableLoadResult {
    TableLoadStatus status = TableLoadStatus::NotOpened;
    QString message; // the text shown, or why the file could not be opened
    bool ok() const { return status == TableLoadStatus::Loaded; }
};

// Reads the whole file first and changes the table only when every row line
// was read: then all rows are replaced (rows beyond the file's lines emptied),
// the receive log is cleared and, in trace mode, every row with a carrier is
// listed in it. A file without the header asks whether to open it anyway; an
// unreadable field shows a message naming the file and the line and leaves the
// table, the log and the modified marker as they were.
TableLoadResult LoadTableFile(CodeTable& table, const QString& path, Prompts& prompts, ReceiveLog& log, bool traceMode);

struct TableSaveResult {
    bool ok = false;
    QString message; // the text shown when the table was not saved
};

// Writes the table to a temporary file beside `path` and replaces `path` only
// when the whole table was written, then clears the modified marker. A cell
// that cannot be stored, or a file that cannot be written, shows a message
// (naming the cells, or the path and the reason); nothing is then written, the
// previous file stays as it was and the modified marker is unchanged.
TableSaveResult SaveTableFile(CodeTable& table, const QString& path, Prompts& prompts);

} // namespace zovax
