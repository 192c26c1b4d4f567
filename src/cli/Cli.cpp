#include "cli/Cli.h"

#include "cli/BoardCommands.h"
#include "cli/DecodeCommand.h"
#include "cli/InterchangeCommands.h"
#include "cli/TableCommand.h"
#include "core/shell/DataLocations.h"
#include "core/shell/Settings.h"
#include "core/table/Registration.h"

#include <QDir>
#include <QFileInfo>

namespace zovax::cli {

namespace {

const OptionSpec kJson{QStringLiteral("json"), {}, QStringLiteral("Print the result as JSON.")};
const OptionSpec kSettings{QStringLiteral("settings"), QStringLiteral("FILE"),
                           QStringLiteral("Settings file to read (default: the window tool's).")};
const OptionSpec kTimeout{QStringLiteral("timeout"), QStringLiteral("MS"),
                          QStringLiteral("Longest wait for any answer of the board, ms (default 2000).")};
const OptionSpec kHost{QStringLiteral("host"), QStringLiteral("HOST"),
                       QStringLiteral("Board address (default: the settings file's).")};
const OptionSpec kPort{QStringLiteral("port"), QStringLiteral("PORT"),
                       QStringLiteral("Board TCP port (default: the settings file's).")};
const OptionSpec kSerial{QStringLiteral("serial"), QStringLiteral("DEVICE"),
                         QStringLiteral("Use the serial port DEVICE instead of TCP.")};
const OptionSpec kOutput{QStringLiteral("output"), QStringLiteral("FILE"), QStringLiteral("Table file to write."),
                         QStringLiteral("o")};

std::vector<OptionSpec> boardOptions(std::vector<OptionSpec> extra)
{
    std::vector<OptionSpec> o{kHost, kPort, kSerial, kSettings, kTimeout};
    o.insert(o.end(), extra.begin(), extra.end());
    return o;
}

const QString kBoardDetails
    = QStringLiteral("The board is reached over TCP at --host/--port, by default the address in the\n"
                     "settings file the window tool uses, or over the serial port --serial DEVICE.\n"
                     "Exit status: 0 success, 1 the board reported a failure, 2 usage error,\n"
                     "3 the board could not be reached or stopped answering.");

std::vector<CommandSpec> commandSpecs()
{
    return {
        {QStringLiteral("decode"),
         QStringLiteral("[FILE|-]"),
         QStringLiteral("Decode a captured signal as learning through the board would."),
         QStringLiteral("Reads from FILE or standard input the board's wave lines (\"[000]:09000,013500\"\n"
                        "...) as they appear in the receive log, with the result line \"Ave.Carrier38.0kHz\"\n"
                        "when there is one, or a plain timing list of microseconds (\"+9000 -4500 +560 ...\"\n"
                        "or \"9000,4500,560,...\" from a mark; blank lines between signals), taken as the\n"
                        "press held down. Prints one line per signal: Carry, Frames and the Result cell,\n"
                        "separated by tabs. Tolerances and the learning time come from the settings file."),
         {{QStringLiteral("pcode"), {}, QStringLiteral("Show the raw pattern code (the PCode check box).")},
          {QStringLiteral("full-code"), {}, QStringLiteral("Code words of every frame (the Full Code check box).")},
          {QStringLiteral("explain"), {}, QStringLiteral("Explain why each signal decoded as it did.")},
          {QStringLiteral("carrier"), QStringLiteral("KHZ"),
           QStringLiteral("Carrier of a timing list or a train without result line (default 38.0).")},
          kSettings,
          kJson},
         0,
         1},
        {QStringLiteral("table show"),
         QStringLiteral("FILE"),
         QStringLiteral("List the rows of a table file in use."),
         QStringLiteral("One line per row: No., Carry, Frames, Comments and Result, separated by tabs."),
         {kJson},
         1,
         1},
        {QStringLiteral("table get"),
         QStringLiteral("FILE ROW"),
         QStringLiteral("Show one row of a table file with its stored entry."),
         {},
         {kJson},
         2,
         2},
        {QStringLiteral("table explain"),
         QStringLiteral("FILE ROW"),
         QStringLiteral("Explain why a row of a table file decoded as it did."),
         QStringLiteral("From the row's stored wave information, by the rules of the read-back decoder."),
         {kJson},
         2,
         2},
        {QStringLiteral("table import"),
         QStringLiteral("FILE IN"),
         QStringLiteral("Import the signals of IN into the table file FILE."),
         QStringLiteral("IN is any readable format (Pronto Hex, sendir, Flipper .ir, lircd.conf, mode2,\n"
                        "timing list, JSON table). The signals go into the empty rows from --row on;\n"
                        "FILE is created when it does not exist. Nothing changes when IN has a bad\n"
                        "signal, unless --skip-bad."),
         {{QStringLiteral("row"), QStringLiteral("ROW"), QStringLiteral("First row (default 1).")},
          {QStringLiteral("format"), QStringLiteral("FORMAT"), QStringLiteral("Format of IN (default: recognised).")},
          {QStringLiteral("overwrite"), {}, QStringLiteral("Fill consecutive rows even when they are not empty.")},
          {QStringLiteral("skip-bad"), {}, QStringLiteral("Import the good signals of a file with bad ones.")},
          kSettings},
         2,
         2},
        {QStringLiteral("table export"),
         QStringLiteral("FILE"),
         QStringLiteral("Export the rows of a table file in another format."),
         {},
         {{QStringLiteral("to"), QStringLiteral("FORMAT"), QStringLiteral("pronto, sendir, flipper, lirc or json.")},
          {QStringLiteral("rows"), QStringLiteral("LIST"),
           QStringLiteral("Rows to export, like 1,3,5-9 (default all).")},
          kOutput},
         1,
         1},
        {QStringLiteral("convert"),
         QStringLiteral("IN"),
         QStringLiteral("Convert a signal file (or a table file) into another format."),
         QStringLiteral("Signals given as durations are learned as the board would learn them, so the\n"
                        "result carries the same carrier, frames and code; written to -o or standard output."),
         {{QStringLiteral("to"), QStringLiteral("FORMAT"), QStringLiteral("pronto, sendir, flipper, lirc or json.")},
          {QStringLiteral("row"), QStringLiteral("N"),
           QStringLiteral("Only the Nth signal (the row N of a table file).")},
          kOutput,
          kSettings},
         1,
         1},
        {QStringLiteral("version"),
         {},
         QStringLiteral("Ask the board for its firmware version."),
         kBoardDetails,
         boardOptions({}),
         0,
         0},
        {QStringLiteral("fire"), QStringLiteral("TABLE ROW"),
         QStringLiteral("Fire a row of a table file on the board's IR outputs (the fire test)."), kBoardDetails,
         boardOptions({{QStringLiteral("out"), QStringLiteral("LIST"),
                        QStringLiteral("Outputs to use, a list of 1 to 4 (default 1,2,3,4).")}}),
         2, 2},
        {QStringLiteral("send"), QStringLiteral("TEXT"),
         QStringLiteral("Send a raw command to the board and print its reply lines."), kBoardDetails,
         boardOptions({{QStringLiteral("wait"), QStringLiteral("MS"),
                        QStringLiteral("How long to collect reply lines after the last one (default 300).")}}),
         1, 1},
        {QStringLiteral("register"), QStringLiteral("TABLE"),
         QStringLiteral("Register a table file in the board's flash."), kBoardDetails, boardOptions({}), 1, 1},
        {QStringLiteral("readback"),
         {},
         QStringLiteral("Read the board's table (rows 1 to %1) into a table file.").arg(Registration::kReadBackEntries),
         kBoardDetails
             + QStringLiteral("\nWithout -o the rows in use are listed. An existing file is replaced only by\n"
                              "a complete read-back."),
         boardOptions({kOutput, kJson}),
         0,
         0},
        {QStringLiteral("verify"), QStringLiteral("TABLE"),
         QStringLiteral("Read the board's table back and compare it with a table file."),
         kBoardDetails + QStringLiteral("\nPrints each row that differs; exit status 1 on any difference."),
         boardOptions({kJson}), 1, 1},
        {QStringLiteral("learn"),
         {},
         QStringLiteral("Learn signals through the board's receiver."),
         kBoardDetails
             + QStringLiteral("\nLearns COUNT signals into the empty rows from --row on (of the table file\n"
                              "-o when it exists) and writes the table file; waits up to 60 s for each\n"
                              "button press. Without -o the learned rows are listed."),
         boardOptions({{QStringLiteral("count"), QStringLiteral("N"), QStringLiteral("Signals to learn (default 1).")},
                       {QStringLiteral("row"), QStringLiteral("ROW"), QStringLiteral("First row (default 1).")},
                       kOutput,
                       kJson}),
         0,
         0},
        {QStringLiteral("netconfig show"),
         {},
         QStringLiteral("Show the board's network configuration."),
         kBoardDetails,
         boardOptions({kJson}),
         0,
         0},
        {QStringLiteral("netconfig set"), QStringLiteral("KEY=VALUE..."),
         QStringLiteral("Change the board's network configuration."),
         QStringLiteral("Keys: ip, mask, gateway, dns, port, mac, linkdown, timeout.\n") + kBoardDetails,
         boardOptions({}), 1, 16},
    };
}

QString toolHelp(const std::vector<CommandSpec>& specs)
{
    QString t = QStringLiteral("Usage: zovax COMMAND [arguments] [options]\n\n"
                               "Command-line tool for the ZOVAX-Ether IR remote-control board.\n\nCommands:\n");
    for (const CommandSpec& s : specs)
        t += QStringLiteral("  ") + (s.name + QLatin1Char(' ') + s.arguments).leftJustified(26) + QLatin1Char(' ')
            + s.summary.section(QLatin1Char('\n'), 0, 0) + QLatin1Char('\n');
    t += QStringLiteral("\n'zovax COMMAND --help' describes a command and its options.\n"
                        "Exit status: 0 success, 1 failure reported by the board or differences found,\n"
                        "2 usage error, 3 the board could not be reached or stopped answering.\n");
    return t;
}

} // namespace

QString settingsPathFor(const ParsedArgs& a, const Context& ctx)
{
    if (a.has(QStringLiteral("settings")))
        return a.value(QStringLiteral("settings"));
    return dataLocationsFor(ctx.programFolder, QLatin1String(kProgramBaseName), userDataFolder()).settingsPath;
}

// Options written before the command ("zovax --host H version") go after it.
QStringList commandFirst(const QStringList& args, const std::vector<CommandSpec>& specs)
{
    auto takesValue = [&](const QString& arg) {
        if (!arg.startsWith(QLatin1String("--")) || arg.contains(QLatin1Char('=')))
            return arg == QLatin1String("-o");
        for (const CommandSpec& s : specs) {
            for (const OptionSpec& o : s.options) {
                if (QStringLiteral("--") + o.name == arg)
                    return !o.valueName.isEmpty();
            }
        }
        return false;
    };
    int i = 0;
    while (i < args.size() && args.at(i).startsWith(QLatin1Char('-')))
        i += takesValue(args.at(i)) ? 2 : 1;
    if (i == 0 || i >= args.size())
        return args;
    const QString& first = args.at(i);
    const int words = (first == QLatin1String("table") || first == QLatin1String("netconfig")) ? 2 : 1;
    return args.mid(i, words) + args.mid(0, i) + args.mid(i + words);
}

int run(const QStringList& rawArgs, Context& ctx)
{
    const Io& io = ctx.io;
    const std::vector<CommandSpec> specs = commandSpecs();
    const QStringList args = commandFirst(rawArgs, specs);
    if (args.isEmpty() || args.at(0) == QLatin1String("--help") || args.at(0) == QLatin1String("-h")
        || args.at(0) == QLatin1String("help")) {
        (args.isEmpty() ? io.err : io.out)->write(toolHelp(specs).toUtf8());
        return args.isEmpty() ? kExitUsage : kExitOk;
    }
    // Commands of one or two words.
    const CommandSpec* spec = nullptr;
    int used = 0;
    for (const CommandSpec& s : specs) {
        const QStringList words = s.name.split(QLatin1Char(' '));
        if (args.size() >= words.size() && args.mid(0, words.size()) == words && words.size() > used) {
            spec = &s;
            used = int(words.size());
        }
    }
    if (!spec) {
        const QString& group = args.at(0);
        if (group == QLatin1String("table") || group == QLatin1String("netconfig"))
            io.error(QStringLiteral("'%1' needs a subcommand (%2)")
                         .arg(group,
                              group == QLatin1String("table") ? QStringLiteral("show, get, explain, import, export")
                                                              : QStringLiteral("show, set")));
        else
            io.error(QStringLiteral("unknown command '%1' (see zovax --help)").arg(group));
        return kExitUsage;
    }
    ParsedArgs a;
    QString error;
    if (!parseArgs(*spec, args.mid(used), a, error)) {
        io.error(QStringLiteral("%1: %2 (see zovax %1 --help)").arg(spec->name, error));
        return kExitUsage;
    }
    if (a.has(QStringLiteral("help"))) {
        io.print(helpText(*spec));
        return kExitOk;
    }
    const QString name = spec->name;
    if (name == QLatin1String("table show"))
        return tableShow(a, io);
    if (name == QLatin1String("table get"))
        return tableGet(a, io);
    if (name == QLatin1String("table explain"))
        return tableExplain(a, io);
    if (name == QLatin1String("table export"))
        return tableExport(a, io);
    const QString settingsPath = settingsPathFor(a, ctx);
    if (a.has(QStringLiteral("settings")) && !QFileInfo(settingsPath).isFile()) {
        io.error(QStringLiteral("settings file not found: %1").arg(settingsPath));
        return kExitUsage;
    }
    Settings settings = LoadSettings(settingsPath);
    if (name == QLatin1String("decode"))
        return decodeCommand(a, io, settings);
    if (name == QLatin1String("convert"))
        return convertCommand(a, io, settings);
    if (name == QLatin1String("table import"))
        return tableImport(a, io, settings);
    return boardCommand(name, a, io, settingsPath);
}

} // namespace zovax::cli
