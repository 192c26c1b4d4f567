#pragma once
// The subcommands that talk to a board over TCP or a serial port.
#include <QString>

#include "core/table/CodeTable.h"

#include <vector>

namespace zovax::cli {

struct Io;
struct ParsedArgs;

// A field of a row in which a table file and the board's table differ.
struct Difference {
    int row = 0;
    QString field, file, board;
};
// Rows 1..lastRow compared as registration stores them: carrier, data count,
// repeat, the pattern pairs up to the first empty one, the data symbols.
std::vector<Difference> compareTables(const CodeTable& file, const CodeTable& board, int lastRow);

// Runs one board subcommand; the settings file gives the link's defaults.
int boardCommand(const QString& name, const ParsedArgs& a, const Io& io, const QString& settingsPath);

} // namespace zovax::cli
