#pragma once
// Table files on the command line: reading one with the file and line named on
// failure, and the rows as text or JSON.
#include "core/table/CodeTable.h"

#include <QJsonObject>
#include <QString>

namespace zovax::cli {

struct Io;
struct ParsedArgs;

// Reads a table file into `table`. False with `error` naming the file (and the
// line) when it cannot be read, lacks the header or a field does not parse;
// the table is then unchanged.
bool readTableFile(const QString& path, CodeTable& table, QString& error);

// The subcommand's table file and row arguments: false after the message on
// standard error (a usage error for the caller).
bool readTableArg(const QString& path, CodeTable& table, const Io& io);
bool rowArg(const QString& text, int& row, const Io& io);
// The message for a table file that could not be written.
QString notWrittenText(const QString& path, const QString& why);

// Whether a row has anything in it (a cell or a carrier).
bool rowInUse(const CodeTable& table, int row);

// One row as a tab-separated line: "0001", Carry, Frames, Comments, Result.
QString rowLine(const CodeTable& table, int row);
// One row with its entry as JSON.
QJsonObject rowJson(const CodeTable& table, int row);

int tableShow(const ParsedArgs& a, const Io& io);
int tableGet(const ParsedArgs& a, const Io& io);

} // namespace zovax::cli
