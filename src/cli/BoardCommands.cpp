#include "cli/BoardCommands.h"

#include "cli/CliCommon.h"

namespace zovax::cli {

int boardCommand(const QString& name, const ParsedArgs&, const Io& io, Settings&)
{
    io.error(QStringLiteral("%1: not available yet").arg(name));
    return kExitFailure;
}

} // namespace zovax::cli
