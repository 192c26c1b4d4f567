#pragma once
// The subcommands that talk to a board over TCP or a serial port.
#include <QString>

namespace zovax {
struct Settings;
}

namespace zovax::cli {

struct Io;
struct ParsedArgs;

int boardCommand(const QString& name, const ParsedArgs& a, const Io& io, Settings& settings);

} // namespace zovax::cli
