#pragma once
// Runs the command-line tool in-process with buffers for its streams.
#include "cli/Cli.h"

#include <QBuffer>
#include <QString>
#include <QStringList>

#include <ostream>

namespace zovax::test {

struct CliResult {
    int status = -1;
    QString out, err;
};

inline void PrintTo(const CliResult& r, std::ostream* os)
{
    *os << "status " << r.status << "\nstdout:\n" << r.out.toStdString() << "stderr:\n" << r.err.toStdString();
}

inline CliResult runCli(const QStringList& args, const QByteArray& input = {}, const QString& programFolder = {})
{
    QByteArray inBytes = input, outBytes, errBytes;
    QBuffer in(&inBytes), out(&outBytes), err(&errBytes);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    cli::Context ctx;
    ctx.io = {&in, &out, &err, false, {}};
    ctx.programFolder = programFolder;
    CliResult r;
    r.status = cli::run(args, ctx);
    r.out = QString::fromUtf8(outBytes);
    r.err = QString::fromUtf8(errBytes);
    return r;
}

} // namespace zovax::test
