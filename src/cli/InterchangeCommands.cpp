#include "cli/InterchangeCommands.h"

#include "cli/CliCommon.h"
#include "cli/DecodeCommand.h"
#include "cli/TableCommand.h"
#include "core/interchange/Interchange.h"
#include "core/interchange/TableTransfer.h"
#include "core/learning/Explanation.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/table/TableFile.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

#include <deque>

namespace zovax::cli {

namespace {

// Questions answered from the command line's choices, in the order they come;
// a question beyond them is answered No. Every text is kept for the report.
class AnsweringPrompts : public Prompts {
public:
    std::deque<bool> answers;
    QStringList messages;
    MsgAnswer ask(const QString&, const QString& text, MsgIcon, MsgButtons buttons) override
    {
        messages << QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed();
        if (buttons != MsgButtons::YesNo && buttons != MsgButtons::OkCancel)
            return MsgAnswer::Ok;
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        if (buttons == MsgButtons::OkCancel)
            return yes ? MsgAnswer::Ok : MsgAnswer::Cancel;
        return yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
};

QString formatIds(bool writable)
{
    QStringList ids;
    for (const FormatInfo& f : formats()) {
        if (!writable || f.write)
            ids << QLatin1String(f.id);
    }
    return ids.join(QStringLiteral(", "));
}

// The format named by --to (or --format), or nullptr after the message.
const FormatInfo* formatOption(const ParsedArgs& a, const QString& option, bool writable, const Io& io)
{
    const QString id = a.value(option);
    const FormatInfo* f = findFormat(id);
    if (!f || (writable && !f->write)) {
        io.error(QStringLiteral("--%1 takes one of %2: %3").arg(option, formatIds(writable), id));
        return nullptr;
    }
    return f;
}

// Writes bytes to `path` whole or not at all, or to standard output for "" / "-".
bool writeOutput(const QString& path, const QByteArray& bytes, const Io& io)
{
    if (path.isEmpty() || path == QLatin1String("-")) {
        io.out->write(bytes);
        return true;
    }
    QSaveFile f(path);
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        io.error(QStringLiteral("%1: cannot write: %2").arg(path, f.errorString()));
        return false;
    }
    return true;
}

// "1,3,5-9" -> rows; false on anything else.
bool parseRowList(const QString& text, std::vector<int>& rows)
{
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        int first = 0, last = 0;
        if (ends.size() > 2 || !parseBounded(ends.at(0), 1, kTableRows, first))
            return false;
        last = first;
        if (ends.size() == 2 && (!parseBounded(ends.at(1), first, kTableRows, last)))
            return false;
        for (int r = first; r <= last; ++r)
            rows.push_back(r);
    }
    return true;
}

} // namespace

int convertCommand(const ParsedArgs& a, const Io& io, const Settings& settings)
{
    const FormatInfo* to = formatOption(a, QStringLiteral("to"), true, io);
    if (!to)
        return kExitUsage;
    int only = 0;
    if (a.has(QStringLiteral("row")) && !parseBounded(a.value(QStringLiteral("row")), 1, kTableRows, only)) {
        io.error(QStringLiteral("--row takes 1 to %1: %2").arg(kTableRows).arg(a.value(QStringLiteral("row"))));
        return kExitUsage;
    }
    const QString in = a.positional.at(0);
    QByteArray bytes;
    QString error;
    if (!readInput(in, io, bytes, error)) {
        io.error(error);
        return kExitUsage;
    }
    std::vector<ExportRow> rows;
    if (hasTableFileHeader(bytes)) {
        // A table file: its rows as they are stored.
        CodeTable table;
        if (!readTableArg(in, table, io))
            return kExitUsage;
        rows = exportRowsOf(table, only ? std::vector<int>{only} : std::vector<int>{});
    } else {
        const ReadResult read = readAny(in, bytes);
        if (!read.error.isEmpty()) {
            io.error(QString(read.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
            return kExitUsage;
        }
        if (only > int(read.items.size())) {
            io.error(QStringLiteral("%1 holds %2 signals: --row %3").arg(in).arg(read.items.size()).arg(only));
            return kExitUsage;
        }
        ReadResult chosen = read;
        if (only)
            chosen.items = {read.items[size_t(only - 1)]};
        if (chosen.badCount() > 0) {
            for (const ReadItem& item : chosen.items) {
                if (!item.error.isEmpty())
                    io.error(QString(item.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
            }
            return kExitUsage;
        }
        int n = 0;
        for (const ImportedRow& r : importRows(chosen, settings.learn)) {
            ++n;
            if (!r.row.ok) {
                io.error(QStringLiteral("%1: signal %2: %3").arg(in).arg(n).arg(r.row.error));
                return kExitFailure;
            }
            ExportRow e{n, r.row.cells, r.row.entry};
            if (e.cells[2].isEmpty())
                e.cells[2] = chosen.items[size_t(r.item)].name; // the name goes into Comments
            rows.push_back(e);
        }
    }
    if (rows.empty()) {
        io.error(QStringLiteral("%1: no signal to convert").arg(in));
        return kExitUsage;
    }
    return writeOutput(a.value(QStringLiteral("output")), to->write(rows), io) ? kExitOk : kExitFailure;
}

int tableImport(const ParsedArgs& a, const Io& io, const Settings& settings)
{
    const QString tablePath = a.positional.at(0);
    const QString in = a.positional.at(1);
    const FormatInfo* format = nullptr;
    if (a.has(QStringLiteral("format")) && !(format = formatOption(a, QStringLiteral("format"), false, io)))
        return kExitUsage;
    int fromRow = 1;
    if (a.has(QStringLiteral("row")) && !parseBounded(a.value(QStringLiteral("row")), 1, kTableRows, fromRow)) {
        io.error(QStringLiteral("--row takes 1 to %1: %2").arg(kTableRows).arg(a.value(QStringLiteral("row"))));
        return kExitUsage;
    }
    CodeTable table;
    if (QFileInfo::exists(tablePath) && !readTableArg(tablePath, table, io))
        return kExitUsage;
    QString error;
    QByteArray bytes;
    if (!readInput(in, io, bytes, error)) {
        io.error(error);
        return kExitUsage;
    }
    // The questions in their order: import the good signals of a file with bad
    // ones, then overwrite rows that are not empty.
    const ReadResult read = format ? format->read(in, bytes) : readAny(in, bytes);
    AnsweringPrompts prompts;
    if (read.badCount() > 0)
        prompts.answers.push_back(a.has(QStringLiteral("skip-bad")));
    prompts.answers.push_back(a.has(QStringLiteral("overwrite")));
    const TransferOutcome o = importIntoTable(table, fromRow, in, bytes, format, prompts, settings.learn);
    if (!o.ok) {
        for (const QString& m : prompts.messages)
            io.error(m);
        if (read.badCount() > 0 && !a.has(QStringLiteral("skip-bad")))
            io.error(QStringLiteral("nothing imported; --skip-bad imports the good signals only"));
        return kExitUsage;
    }
    AnsweringPrompts savePrompts;
    const TableSaveResult saved = SaveTableFile(table, tablePath, savePrompts);
    if (!saved.ok) {
        io.error(notWrittenText(tablePath, saved.message));
        return kExitFailure;
    }
    for (int r : o.rows)
        io.line(rowLine(table, r));
    return kExitOk;
}

int tableExport(const ParsedArgs& a, const Io& io)
{
    const FormatInfo* to = formatOption(a, QStringLiteral("to"), true, io);
    if (!to)
        return kExitUsage;
    std::vector<int> rows;
    if (a.has(QStringLiteral("rows")) && !parseRowList(a.value(QStringLiteral("rows")), rows)) {
        io.error(QStringLiteral("--rows takes rows 1 to %1 like 1,3,5-9: %2")
                     .arg(kTableRows)
                     .arg(a.value(QStringLiteral("rows"))));
        return kExitUsage;
    }
    CodeTable table;
    if (!readTableArg(a.positional.at(0), table, io))
        return kExitUsage;
    const QString out = a.value(QStringLiteral("output"));
    if (out.isEmpty() || out == QLatin1String("-")) {
        const std::vector<ExportRow> list = exportRowsOf(table, rows);
        if (list.empty()) {
            io.error(QStringLiteral("%1: no row with a code to export").arg(a.positional.at(0)));
            return kExitUsage;
        }
        io.out->write(to->write(list));
        return kExitOk;
    }
    AnsweringPrompts prompts;
    const TransferOutcome o = exportTable(table, rows, *to, out, prompts);
    if (!o.ok) {
        for (const QString& m : prompts.messages)
            io.error(m);
        return kExitUsage;
    }
    return kExitOk;
}

int tableExplain(const ParsedArgs& a, const Io& io)
{
    int row = 0;
    CodeTable table;
    if (!rowArg(a.positional.at(1), row, io) || !readTableArg(a.positional.at(0), table, io))
        return kExitUsage;
    const AnalysisExplanation x = explainRow(table, row, nullptr);
    if (a.has(QStringLiteral("json")))
        io.print(QString::fromUtf8(QJsonDocument(explanationJson(x)).toJson()));
    else
        io.print(explanationText(x));
    return kExitOk;
}

} // namespace zovax::cli
