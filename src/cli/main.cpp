// Program entry of the command-line tool: standard streams, then one subcommand.
#include "cli/Cli.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

int main(int argc, char** argv)
{
    // The plain event dispatcher: each wait for the board wakes up sooner
    // than with the GLib one.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zovax"));
    QFile in, out, err;
    in.open(stdin, QIODevice::ReadOnly);
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    zovax::cli::Context ctx;
    ctx.io = {&in, &out, &err, ::isatty(STDERR_FILENO) == 1, {}};
    ctx.programFolder = QCoreApplication::applicationDirPath();
    return zovax::cli::run(QCoreApplication::arguments().mid(1), ctx);
}
