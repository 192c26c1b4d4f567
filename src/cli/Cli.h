#pragma once
// The command-line tool `zovax`: one entry that takes the arguments (without
// the program name) and the streams, runs one subcommand and returns its exit
// status. The program's main() and the tests both call it.
#include "cli/CliCommon.h"

namespace zovax::cli {

struct Context {
    Io io;
    // Folder of the executable: the settings file is looked for by the same
    // rule as the window tool's (beside it when writable, else per user).
    QString programFolder;
};

int run(const QStringList& args, Context& ctx);

} // namespace zovax::cli
