#pragma once
// Import into the code table and export from it, with the questions the user
// is asked on the way. Headless: the windows add the file and format choice.
#include "core/interchange/Interchange.h"

#include <QString>

#include <vector>

namespace zovax {

class CodeTable;
class Prompts;

// A row with no cell text and no code.
bool rowIsEmpty(const CodeTable& table, int row);

// Where `count` imported rows go from `fromRow` downward: the consecutive rows
// (overwrite) or only the empty ones. Empty when they do not fit above row 999.
std::vector<int> targetRows(const CodeTable& table, int fromRow, int count, bool overwrite);

struct TransferOutcome {
    bool ok = false;       // rows were written (table or file)
    std::vector<int> rows; // the table rows written (import) or exported
    QString message;       // what went wrong (already shown), or "" when declined
};

// Reads `bytes` (named `fileName` in messages) as `format` (nullptr: detected)
// and learns the signals into rows from `fromRow` downward. Asks before it
// imports only the good signals of a file with bad ones (naming them) and
// before it overwrites rows that are not empty ("いいえ": empty rows only).
// The table changes only when everything fits; then it is marked modified.
TransferOutcome importIntoTable(CodeTable& table, int fromRow, const QString& fileName, const QByteArray& bytes,
                                const FormatInfo* format, Prompts& prompts, const LearnParams& params = {});

// Writes the rows of `rows` that hold a code (all rows when empty) in `format`
// to `path`. Tells the user when there is nothing to write or the file cannot
// be written.
TransferOutcome exportTable(const CodeTable& table, const std::vector<int>& rows, const FormatInfo& format,
                            const QString& path, Prompts& prompts);

// A file read for import: at most this many bytes.
inline constexpr qint64 kImportFileMaxBytes = 64 * 1024 * 1024;

} // namespace zovax
