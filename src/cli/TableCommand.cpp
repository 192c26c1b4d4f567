#include "cli/TableCommand.h"

#include "cli/CliCommon.h"
#include "core/table/TableFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace zovax::cli {

bool readTableFile(const QString& path, CodeTable& table, QString& error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot open: %2").arg(path, f.errorString());
        return false;
    }
    if (f.size() > kTableFileMaxBytes) {
        error = QStringLiteral("%1: too large for a table file").arg(path);
        return false;
    }
    const QByteArray bytes = f.read(kTableFileMaxBytes + 1);
    if (bytes.size() > kTableFileMaxBytes) {
        error = QStringLiteral("%1: too large for a table file").arg(path);
        return false;
    }
    if (!hasTableFileHeader(bytes)) {
        error = QStringLiteral("%1:1: not a table file (no \"%2\" header)").arg(path, QLatin1String(kTableFileHeader));
        return false;
    }
    const ParsedTable parsed = parseTableFile(bytes);
    if (!parsed.ok) {
        error = QStringLiteral("%1:%2: %3").arg(path).arg(parsed.errorLine).arg(parsed.errorText);
        return false;
    }
    table.assignRows(parsed.cells, parsed.entries);
    return true;
}

bool readTableArg(const QString& path, CodeTable& table, const Io& io)
{
    QString error;
    if (readTableFile(path, table, error))
        return true;
    io.error(error);
    return false;
}

bool rowArg(const QString& text, int& row, const Io& io)
{
    if (parseBounded(text, 1, kTableRows, row))
        return true;
    io.error(QStringLiteral("row must be a number from 1 to %1: %2").arg(kTableRows).arg(text));
    return false;
}

QString notWrittenText(const QString& path, const QString& why)
{
    return QStringLiteral("%1: not written: %2").arg(path, QString(why).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

bool rowInUse(const CodeTable& table, int row)
{
    for (int c = kColCarry; c <= kColResult; ++c) {
        if (!table.cell(c, row).trimmed().isEmpty())
            return true;
    }
    return table.entry(row).carrier != 0;
}

QString rowLine(const CodeTable& table, int row)
{
    QStringList f{QString::asprintf("%04d", row)};
    for (int c = kColCarry; c <= kColResult; ++c)
        f << table.cell(c, row);
    return f.join(QLatin1Char('\t'));
}

QJsonObject rowJson(const CodeTable& table, int row)
{
    const TableEntry& e = table.entry(row);
    QJsonArray patterns;
    for (int i = 0; i < kPatternPairs; ++i)
        patterns.append(QJsonArray{e.high[size_t(i)], e.width[size_t(i)]});
    QString data;
    const int count = std::clamp(e.dataCount, 0, kDataSymbols);
    for (int j = 0; j < count; ++j)
        data += QString::number(e.data[size_t(j)] & 0xF, 16).toUpper();
    return QJsonObject{
        {QStringLiteral("row"), row},
        {QStringLiteral("carry"), table.cell(kColCarry, row)},
        {QStringLiteral("frames"), table.cell(kColFrames, row)},
        {QStringLiteral("comments"), table.cell(kColComments, row)},
        {QStringLiteral("result"), table.cell(kColResult, row)},
        {QStringLiteral("entry"),
         QJsonObject{{QStringLiteral("carrierTenths"), e.carrier},
                     {QStringLiteral("dataCount"), e.dataCount},
                     {QStringLiteral("repeat"), e.repeat},
                     {QStringLiteral("patterns"), patterns},
                     {QStringLiteral("data"), data}}},
    };
}

int tableShow(const ParsedArgs& a, const Io& io)
{
    CodeTable table;
    const QString path = a.positional.at(0);
    if (!readTableArg(path, table, io))
        return kExitUsage;
    QJsonArray rows;
    for (int r = 1; r <= kTableRows; ++r) {
        if (!rowInUse(table, r))
            continue;
        if (a.has(QStringLiteral("json")))
            rows.append(rowJson(table, r));
        else
            io.line(rowLine(table, r));
    }
    if (a.has(QStringLiteral("json")))
        io.print(QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("file"), path}, {QStringLiteral("rows"), rows}}).toJson()));
    return kExitOk;
}

int tableGet(const ParsedArgs& a, const Io& io)
{
    int row = 0;
    CodeTable table;
    if (!rowArg(a.positional.at(1), row, io) || !readTableArg(a.positional.at(0), table, io))
        return kExitUsage;
    if (a.has(QStringLiteral("json"))) {
        io.print(QString::fromUtf8(QJsonDocument(rowJson(table, row)).toJson()));
        return kExitOk;
    }
    const char* const names[] = {"No.", "Carry", "Frames", "Comments", "Result"};
    io.line(QStringLiteral("%1%2").arg(QLatin1String(names[0]), -10).arg(row, 4, 10, QLatin1Char('0')));
    for (int c = kColCarry; c <= kColResult; ++c)
        io.line(QStringLiteral("%1%2").arg(QLatin1String(names[c]), -10).arg(table.cell(c, row)));
    QByteArray fields;
    appendEntryFields(fields, table.entry(row));
    io.line(QStringLiteral("%1%2").arg(QStringLiteral("Entry"), -10).arg(QString::fromLatin1(fields)));
    return kExitOk;
}

} // namespace zovax::cli
