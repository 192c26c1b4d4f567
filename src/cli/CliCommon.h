#pragma once
// What every subcommand of the command-line tool shares: the exit statuses,
// the input and output streams, and a small option parser that produces the
// help text from the same table it parses with.
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

namespace zovax::cli {

// Exit statuses.
enum Exit : int {
    kExitOk = 0,
    kExitFailure = 1,     // the board reported a failure, verify found differences, a signal did not decode
    kExitUsage = 2,       // bad arguments or an input file that cannot be read
    kExitUnreachable = 3, // the board could not be reached or stopped answering
};

// The streams a run reads and writes. The program uses its standard streams;
// tests use buffers.
struct Io {
    QIODevice* in = nullptr;
    QIODevice* out = nullptr;
    QIODevice* err = nullptr;
    bool errIsTerminal = false; // progress bars only on a terminal
    // Told how long each table exchange with the board took ("register",
    // "readback"), from its first command to the board's confirmed end; for
    // benchmarks. May be empty.
    std::function<void(const char* exchange, double ms)> exchangeTimed;

    void print(const QString& text) const { out->write(text.toUtf8()); }
    void line(const QString& text) const { print(text + QLatin1Char('\n')); }
    void error(const QString& text) const
    {
        err->write((QStringLiteral("zovax: ") + text + QLatin1Char('\n')).toUtf8());
    }
};

// One option of a subcommand. An option with a value name takes a value
// ("--port 60000" or "--port=60000").
struct OptionSpec {
    QString name;      // without "--"
    QString valueName; // empty: a switch
    QString help;
    QString shortName = {}; // one letter, without "-"
};

struct CommandSpec {
    QString name;      // "decode", "table show", ...
    QString arguments; // synopsis of the positional arguments
    QString summary;   // one line
    QString details;   // further paragraphs, may be empty
    std::vector<OptionSpec> options;
    int minPositional = 0;
    int maxPositional = 0;
};

struct ParsedArgs {
    std::map<QString, QString> values; // option name -> value ("" for a switch)
    QStringList positional;
    bool has(const QString& name) const { return values.count(name) != 0; }
    QString value(const QString& name, const QString& fallback = {}) const
    {
        const auto it = values.find(name);
        return it == values.end() ? fallback : it->second;
    }
};

// Parses `args` against `spec` (plus --help). Returns false with `error` set on
// an unknown option, a missing value or a wrong number of positional arguments.
bool parseArgs(const CommandSpec& spec, const QStringList& args, ParsedArgs& out, QString& error);

// "Usage: zovax <name> <arguments> [options]", the summary, details and options.
QString helpText(const CommandSpec& spec);

// A whole number within [min, max], or nothing.
bool parseBounded(const QString& text, int min, int max, int& value);

} // namespace zovax::cli
