// The command-line tool's exchanges with a board: `zovax register` of a full
// table (999 used rows) and `zovax readback` of 250 entries, run in-process
// against the board simulator in its own process on loopback, beside the same
// exchanges done by the minimal blocking client in the same run. Also the time
// `zovax decode` takes for a capture of 4096 pulse pairs. Prints its figures;
// no pass/fail.
#include "ExchangeRig.h"
#include "cli/Cli.h"
#include "cli/Decode.h"
#include "core/irsig/Signals.h"
#include "core/shell/Settings.h"
#include "core/table/TableFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace zovax;
using namespace zovax::bench;

namespace {

constexpr int kRounds = 9; // the best time of each exchange counts

// Runs `zovax args...` in-process; returns the milliseconds the whole command
// took, -1 on failure; `exchangeMs` gets the table exchange's own time.
double timeCli(const QStringList& args, double* exchangeMs)
{
    QByteArray inBytes, outBytes, errBytes;
    QBuffer in(&inBytes), out(&outBytes), err(&errBytes);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    cli::Context ctx;
    ctx.io = {&in, &out, &err, false, [exchangeMs](const char*, double ms) { *exchangeMs = ms; }};
    QElapsedTimer t;
    t.start();
    const int status = cli::run(args, ctx);
    const double ms = t.nsecsElapsed() / 1e6;
    if (status != 0) {
        std::printf("cli_exchange: zovax %s failed (%d): %s\n", qPrintable(args.join(' ')), status,
                    errBytes.constData());
        return -1;
    }
    return ms;
}

// The wave lines of a capture of `pairs` pulse pairs: NEC frames repeated
// (found repeating early), or a train of random bits without any repeat
// (frame detection runs on every line once the learning time has passed).
QStringList capture(bool repeating, int pairs)
{
    std::vector<irsig::Pair> p;
    if (repeating) {
        const irsig::Protocol* nec = irsig::findProtocol("NECF");
        p = irsig::encode(*nec, {0x20, 0xDF, 0x10, 0xEF}, 200, irsig::Noise{});
    } else {
        std::mt19937 rng(5);
        p.push_back({9000, 13500});
        while (int(p.size()) < pairs)
            p.push_back({560, rng() % 2 ? 2250 : 1120});
    }
    p.resize(size_t(pairs));
    p.back().width = 150000;
    QStringList lines;
    for (int i = 0; i < pairs; ++i)
        lines << QString::fromStdString(irsig::waveLine(i, p[size_t(i)], i > 999));
    lines << QStringLiteral("Ave.Carrier38.0kHz");
    return lines;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1"); // as the program itself runs
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // Decode first: no board needed.
    for (bool repeating : {true, false}) {
        const QStringList lines = capture(repeating, 4096);
        double best = 1e18;
        QString result;
        for (int round = 0; round < kRounds; ++round) {
            QElapsedTimer t;
            t.start();
            const auto d = cli::decodeWaveLines(lines, cli::DecodeOptions{});
            best = std::min(best, t.nsecsElapsed() / 1e6);
            result = d.empty() ? QString() : d[0].result;
        }
        std::printf("cli_decode: pairs=4096 %s decode_ms=%.1f (%s)\n", repeating ? "repeating" : "no-repeat", best,
                    qPrintable(result));
    }

    DetachedSimulator board;
    if (!board.start()) {
        std::printf("cli_exchange: the simulator did not start (%s)\n", ZOVAX_SIM_BIN);
        return 1;
    }
    std::printf("cli_exchange: %s\n", board.placeOnSeparateCpus(argc, argv).constData());
    QTemporaryDir dir;
    Settings s;
    s.tcpip.Host = QStringLiteral("127.000.000.001");
    s.tcpip.Port = board.port();
    const QString ini = dir.filePath(QStringLiteral("zovax-ether.ini"));
    CodeTable table;
    for (int r = 1; r <= kTableRows; ++r)
        table.setRow(r, {QStringLiteral("38.0kHz"), QStringLiteral("3"), QString(), QString()}, sampleEntry(r));
    const QString file = dir.filePath(QStringLiteral("full.Txt"));
    QFile f(file);
    if (!SaveSettings(s, ini) || !f.open(QIODevice::WriteOnly) || f.write(tableFileBytes(table)) < 0) {
        std::printf("cli_exchange: cannot write the scratch files\n");
        return 1;
    }
    f.close();
    const QString back = dir.filePath(QStringLiteral("back.Txt"));

    // The exchanges are timed as the minimal client's are, from the first
    // table-mode command to the board's confirmed end; the whole commands
    // (connecting, reading and writing the file, hanging up) are shown apart.
    double cliReg = 1e18, cliRead = 1e18, minReg = 1e18, minRead = 1e18, wholeReg = 1e18, wholeRead = 1e18;
    for (int round = 0; round < kRounds; ++round) {
        double reg = -1, read = -1;
        const double wReg = timeCli({QStringLiteral("register"), file, QStringLiteral("--settings"), ini}, &reg);
        pump(200); // the board serves one client at a time: let it see the tool leave
        const double wRead = timeCli(
            {QStringLiteral("readback"), QStringLiteral("-o"), back, QStringLiteral("--settings"), ini}, &read);
        pump(200);
        const double mreg = minimalRegister(board.port(), kTableRows);
        pump(100);
        const double mread = minimalReadBack(board.port(), 250);
        pump(200);
        if (wReg < 0 || wRead < 0 || reg < 0 || read < 0 || mreg < 0 || mread < 0) {
            std::printf("cli_exchange: an exchange failed (zovax %.1f / %.1f, minimal %.1f / %.1f)\n", reg, read, mreg,
                        mread);
            return 1;
        }
        wholeReg = std::min(wholeReg, wReg);
        wholeRead = std::min(wholeRead, wRead);
        cliReg = std::min(cliReg, reg);
        cliRead = std::min(cliRead, read);
        minReg = std::min(minReg, mreg);
        minRead = std::min(minRead, mread);
    }
    std::printf("cli_exchange: register  999 rows  zovax %8.1f ms (whole command %8.1f ms)   minimal client %8.1f ms\n",
                cliReg, wholeReg, minReg);
    std::printf("cli_exchange: read-back 250 rows  zovax %8.1f ms (whole command %8.1f ms)   minimal client %8.1f ms\n",
                cliRead, wholeRead, minRead);
    std::printf("cli_exchange: register_ratio=%.2f readback_ratio=%.2f\n", cliReg / minReg, cliRead / minRead);
    board.stop();
    return 0;
}
