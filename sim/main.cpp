// zovax-board-sim: a stand-in ZOVAX-Ether board for development, tests and demos.
// See --help for the options and the control commands.
#include "sim/board/BoardSim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

using zovax::sim::BoardOptions;
using zovax::sim::BoardSim;

namespace {

void out(const QString& text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void err(const QString& text)
{
    std::fputs((QStringLiteral("zovax-board-sim: ") + text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

const char kDescription[]
    = "A stand-in ZOVAX-Ether board: it speaks the board's command interface over TCP (one client at a\n"
      "time) and, with --serial, over a pseudo-terminal; it keeps a flash table and a network\n"
      "configuration, runs the firmware loader with restart and reconnection, and while the tool learns\n"
      "it plays remote-control signals made from commonly published protocol timings.\n"
      "\n"
      "Board commands understood: Ver, Version, Mode?, T, A, Lend:NNNN, KRV:on, KRV:off, Fe:7,\n"
      "Twf: Twc: Twb: Twr: Twp: Twd: (entry records), Tws:NNN, Twl:NNN, Tp:NNNN, Tf:N, Ncnf, Nmac: Nmip:\n"
      "Npno: Nmsk: Ngip: Ndns: Nlnk: Nrcv:, Nmac:?, Nsav, C (configuration dialogue: M:/I:/N:/G:/P:/D:/L:/R:\n"
      "lines, Save, Q, Quit), EtherDownload:ADDR/PORT, Reset; in the loader: Ver, N:Last Sector to\n"
      "Erase, Download Ready ?, Intel HEX records, Reset. Replies end with CR LF; commands may carry an\n"
      "STX header and end with CR, LF, CR LF or ETX.\n"
      "\n"
      "Simulator restrictions: it only ever listens on and reports loopback addresses (127.x.x.x); an\n"
      "Nmip:/I: value or a download address outside 127.x.x.x is refused and the address stays as it was.\n"
      "The link-down and receive time-outs are stored and reported but not enforced.\n"
      "\n"
      "Printed on standard output at start: \"listening on 127.0.0.1:<port>\", with --serial \"serial on\n"
      "<device>\", with --control-port \"control on 127.0.0.1:<port>\". Notices go to standard error.\n"
      "\n";

bool intOption(const QCommandLineParser& p, const QString& name, int lo, int hi, int& value)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < lo || v > hi) {
        err(QStringLiteral("--%1 needs a number from %2 to %3, not \"%4\"")
                .arg(name)
                .arg(lo)
                .arg(hi)
                .arg(p.value(name)));
        return false;
    }
    value = v;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zovax-board-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromLatin1(kDescription) + BoardSim::controlHelp());
    p.addHelpOption();
    p.addVersionOption();
    const QList<QCommandLineOption> options{
        {"host", "Address to listen on; loopback only (default 127.0.0.1, or the saved address).", "addr"},
        {"port", "TCP port (default 60000, or the saved port); 0 = an ephemeral port.", "port"},
        {"serial", "Also serve a pseudo-terminal and print its device path."},
        {"flash", "Keep the flash (code table, network configuration) in this file across restarts.", "file"},
        {"log", "Append every command received, time-stamped, to this file.", "file"},
        {"autoplay",
         "After each \"Analyze Mode\" press the next item of this comma-separated playlist "
         "(PROTOCOL[=HEXCODE][*REPEATS], e.g. NEC=20DF10EF*9,SONY12=1501,AIRCON; REPEATS = "
         "frames after the first, default the protocol's own).",
         "list"},
        {"autoplay-delay-ms", "Pause between \"Analyze Mode\" and the automatic press (default 300).", "ms"},
        {"realtime", "Pace the wave lines like a real receiver instead of sending them at once."},
        {"four-digit", "Always use the 4-digit wave line layout \"[0000]:HHHHH,WWWWWWW\"."},
        {"seed", "Seed of the signal jitter (default 1; each press uses the next seed).", "n"},
        {"jitter", "Timing jitter of played signals in percent (default 3).", "percent"},
        {"mark-bias", "Receiver mark stretching in microseconds (default 40).", "us"},
        {"control-port", "Also accept control commands on this loopback port (0 = ephemeral).", "port"},
        {"no-stdin", "Do not read control commands from standard input."},
        {"restart-ms",
         "Restart time after Reset, Nsav and Save: link closed, connections refused "
         "(default 1500).",
         "ms"},
        {"erase-ms", "Time to erase one flash sector (default 20).", "ms"},
        {"serial-idle-ms", "A serial command without delimiter ends after this silence (default 50).", "ms"},
        {"no-ack", "Fault: never answer anything."},
        {"delay-ms", "Fault: delay every reply by this much.", "ms"},
        {"split-segments", "Fault: write replies in small TCP segments cut at random byte positions."},
        {"split-max-bytes", "Longest of the split segments (default 12; 1 = one byte each).", "n"},
        {"noise-bytes",
         "Fault: before every Nth reply line send a stray byte line (firmware) or an ESC "
         "sequence (loader).",
         "n"},
        {"drop-after", "Fault: close the link after N commands on each connection.", "n"},
        {"mute-after", "Fault: answer nothing after N commands on each connection (they still act).", "n"},
        {"erase-never", "Fault: flash erases (Fe:7, the loader's erase) never complete."},
        {"download-error-at", "Fault: answer the Nth HEX record of a download with an error.", "n"},
        {"fault-seed", "Seed of the random cut positions and stray bytes (default 7).", "n"},
    };
    p.addOptions(options);
    p.process(app);

    BoardOptions o;
    o.flashFile = p.value("flash");
    o.logFile = p.value("log");
    if (p.isSet("autoplay"))
        o.autoplay = p.value("autoplay").split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& item : o.autoplay) {
        const zovax::sim::AutoplayItem a = zovax::sim::parseAutoplayItem(item);
        if (!zovax::irsig::findProtocol(a.protocol.toStdString())) {
            err(QStringLiteral("--autoplay: unknown protocol \"%1\"").arg(a.protocol));
            return 2;
        }
        if (a.repeats == -2) {
            err(QStringLiteral("--autoplay: \"%1\": the repeat count after * is not a number").arg(item));
            return 2;
        }
    }
    o.realtime = p.isSet("realtime");
    o.fourDigitIndex = p.isSet("four-digit");
    o.noAck = p.isSet("no-ack");
    o.splitSegments = p.isSet("split-segments");
    o.eraseNever = p.isSet("erase-never");
    int seed = 1, faultSeed = 7, port = -1, controlPort = -1;
    const bool good = intOption(p, "autoplay-delay-ms", 0, 600000, o.autoplayDelayMs)
        && intOption(p, "seed", 0, 1 << 30, seed) && intOption(p, "jitter", 0, 50, o.jitterPercent)
        && intOption(p, "mark-bias", -500, 500, o.markBiasUs) && intOption(p, "restart-ms", 0, 600000, o.restartMs)
        && intOption(p, "split-max-bytes", 1, 4096, o.splitMaxBytes) && intOption(p, "erase-ms", 0, 600000, o.eraseMs)
        && intOption(p, "serial-idle-ms", 1, 60000, o.serialIdleMs) && intOption(p, "delay-ms", 0, 600000, o.delayMs)
        && intOption(p, "noise-bytes", 0, 1 << 30, o.noiseEvery) && intOption(p, "drop-after", 0, 1 << 30, o.dropAfter)
        && intOption(p, "mute-after", 0, 1 << 30, o.muteAfter)
        && intOption(p, "download-error-at", 0, 1 << 30, o.downloadErrorAt)
        && intOption(p, "fault-seed", 0, 1 << 30, faultSeed) && intOption(p, "port", 0, 65535, port)
        && intOption(p, "control-port", 0, 65535, controlPort);
    if (!good)
        return 2;
    o.noiseSeed = static_cast<uint32_t>(seed);
    o.faultSeed = static_cast<uint32_t>(faultSeed);

    BoardSim sim(o);
    for (const QString& problem : sim.startupProblems())
        err(problem);
    QObject::connect(&sim, &BoardSim::notice, [](const QString& t) { err(t); });
    QObject::connect(&sim, &BoardSim::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    const zovax::sim::NetConfig& saved = sim.flash().savedConfig();
    QHostAddress host = zovax::sim::toHostAddress(saved.ip);
    if (p.isSet("host")) {
        const auto ip = zovax::sim::parseIp(p.value("host"));
        if (!ip || !zovax::sim::isLoopback(*ip)) {
            err(QStringLiteral("--host must be a loopback address 127.x.x.x (the simulator never listens "
                               "elsewhere), not \"%1\"")
                    .arg(p.value("host")));
            return 2;
        }
        host = zovax::sim::toHostAddress(*ip);
    }
    const quint16 listenPort = static_cast<quint16>(port >= 0 ? port : saved.port);
    if (!sim.listen(host, listenPort)) {
        err(sim.errorString());
        return 1;
    }
    out(QStringLiteral("listening on %1:%2").arg(sim.serverAddress().toString()).arg(sim.serverPort()));
    if (p.isSet("serial")) {
        const QString path = sim.openSerial();
        if (path.isEmpty()) {
            err(sim.errorString());
            return 1;
        }
        out(QStringLiteral("serial on %1").arg(path));
    }
    if (controlPort >= 0) {
        if (!sim.listenControl(static_cast<quint16>(controlPort))) {
            err(sim.errorString());
            return 1;
        }
        out(QStringLiteral("control on 127.0.0.1:%1").arg(sim.controlPort()));
    }

    // Control commands on standard input, one per line.
    QByteArray stdinBuffer;
    QSocketNotifier* stdinNotifier = nullptr;
    if (!p.isSet("no-stdin")) {
        stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
        QObject::connect(stdinNotifier, &QSocketNotifier::activated, [&] {
            char buf[4096];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) {
                stdinNotifier->setEnabled(false); // end of input: keep serving the board
                return;
            }
            stdinBuffer.append(buf, static_cast<qsizetype>(n));
            int nl;
            while ((nl = stdinBuffer.indexOf('\n')) >= 0) {
                const QString line = QString::fromLocal8Bit(stdinBuffer.left(nl)).trimmed();
                stdinBuffer.remove(0, nl + 1);
                if (!line.isEmpty())
                    out(sim.control(line));
            }
        });
    }
    return app.exec();
}
