#pragma once
// `zovax decode`: captured signals to the cells learning would fill.
#include <QByteArray>
#include <QString>

namespace zovax {
struct Settings;
}

namespace zovax::cli {

struct Io;
struct ParsedArgs;

// Reads a named file, or standard input for "" and "-" (at most 64 MB).
bool readInput(const QString& name, const Io& io, QByteArray& bytes, QString& error);

int decodeCommand(const ParsedArgs& a, const Io& io, const Settings& settings);

} // namespace zovax::cli
