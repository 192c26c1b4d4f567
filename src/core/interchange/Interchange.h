#pragma once
// Import and export of table rows in the formats other IR programs use: a
// registry of format modules, each a constant descriptor with its reader and
// (when the format can be written) its writer. Headless: the windows and the
// command-line tool both use it.
//
// Reading never touches a table: a reader turns a file into items (a signal
// as durations, or for the table's own JSON form a whole stored row), each
// either good or carrying the message that says what is wrong with it.
// importRows() then learns the good items into rows. Writing takes rows as
// they stand in the table.
#include "core/interchange/TimingLearn.h"
#include "core/table/TableEntry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace zovax {

class CodeTable;

// One signal read from a file.
struct ReadItem {
    QString name;    // the signal's name in the file (goes into Comments); may be empty
    int line = 0;    // 1-based line where the signal begins (0 when the format has no lines)
    QString error;   // set when the signal is bad: names the file, the line or signal and the field
    IrTiming timing; // the signal as durations (unless hasRow)
    // The table's own form carries the row as stored: taken as it is, not learned again.
    bool hasRow = false;
    int rowNumber = 0;            // the row it came from (1..999), 0 when not known
    std::array<QString, 4> cells; // Carry, Frames, Comments, Result
    TableEntry entry;
};

struct ReadResult {
    QString error;               // the file as a whole cannot be read (nothing usable in it)
    std::vector<ReadItem> items; // every signal found, good and bad, in file order
    int badCount() const;
};

// A table row to write.
struct ExportRow {
    int row = 0;                  // 1..999
    std::array<QString, 4> cells; // Carry, Frames, Comments, Result
    TableEntry entry;
};

using ReadFn = ReadResult (*)(const QString& fileName, const QByteArray& bytes);
using WriteFn = QByteArray (*)(const std::vector<ExportRow>& rows);

struct FormatInfo {
    const char* id;         // command-line name: "pronto", "sendir", "flipper", "lirc", "mode2", "timing", "json"
    QString displayName;    // shown in the windows' format choice
    QStringList extensions; // file name endings without the dot, the usual one first
    ReadFn read;            // every format can be read
    WriteFn write;          // nullptr: read only
};

// Every format, in the order the windows offer them.
const std::vector<FormatInfo>& formats();
// By id (case-insensitive); nullptr when unknown.
const FormatInfo* findFormat(const QString& id);
// The format a file is in, from its content first (Pronto words, "sendir,",
// the Flipper header, "begin remote", "pulse"/"space" lines, JSON braces,
// signed numbers) and its name ending second; nullptr when none fits.
const FormatInfo* detectFormat(const QString& fileName, const QByteArray& bytes);

// Reads a file of any known format (detected as above).
ReadResult readAny(const QString& fileName, const QByteArray& bytes);

// ---- Export ---------------------------------------------------------------

// The durations of a stored row: `once` is the entry's symbols before its
// repeat index, `repeat` those from the repeat index to the end of its data;
// a row learned as a single frame (Frames cell "1") is all `once` and is sent
// once only. Each symbol gives its pattern's mean mark and mean width - mark.
IrTiming timingOfRow(const TableEntry& e, const QString& framesCell);

// The rows worth writing: those of `rows` (all 999 when empty) whose entry
// holds data, in table order.
std::vector<ExportRow> exportRowsOf(const CodeTable& table, const std::vector<int>& rows = {});

// A row as one Pronto Hex line (for the clipboard): "0000 006D 0022 0002 ...".
QString prontoOf(const ExportRow& row);

// Signal names for formats that need a word: the Comments cell with every
// character outside [A-Za-z0-9_-] turned into "_", "ROW_<n>" when that leaves
// nothing, made unique with "_2", "_3"...
QStringList uniqueNames(const std::vector<ExportRow>& rows);

// ---- Import ---------------------------------------------------------------

// A learned row for every good item (stored rows of the JSON form are taken
// as they are), with the item's name in Comments. Items whose learning fails
// come back with ok = false and the learner's message.
struct ImportedRow {
    int item = 0; // index into ReadResult::items
    LearnedRow row;
};
std::vector<ImportedRow> importRows(const ReadResult& read, const LearnParams& params = {});

} // namespace zovax
