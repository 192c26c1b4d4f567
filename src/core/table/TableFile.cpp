#include "core/table/TableFile.h"

#include "core/shell/Cp932.h"
#include "core/shell/Ports.h"
#include "core/shell/TextNumbers.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zovax {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// Entry field tags in their order within a row line; a tag's place is its
// column counter value (Result is place 4).
const char* const kTags[] = {"Twc:", "Twb:", "Twr:", "Twp:", "Twd:"};
constexpr int kPlaceResult = 4;
constexpr int kPlaceTwc = 5;
constexpr int kPlaceTwb = 6;
constexpr int kPlaceTwr = 7;
constexpr int kPlaceTwp = 8;
constexpr int kPlaceTwd = 9;

const QString kCaptionWarning = QStringLiteral("警告");

const char* const kColumnNames[] = {"No.", "Carry", "Frames", "Comments", "Result"};

// A view of bytes [b, e) of one line.
struct Span {
    const char* b = nullptr;
    const char* e = nullptr;
    int size() const { return int(e - b); }
    bool startsWith(const char* s) const
    {
        const int n = int(std::strlen(s));
        return size() >= n && std::memcmp(b, s, size_t(n)) == 0;
    }
    Span mid(int from) const { return from >= size() ? Span{e, e} : Span{b + from, e}; }
};

// Decimal integer with an optional sign and nothing else; false when the text
// is empty, holds other characters or does not fit 32 bits.
bool parseStrictInt(Span s, int32_t& out)
{
    const std::optional<int> v = parseDecimal(s.b, s.e);
    if (v)
        out = *v;
    return v.has_value();
}

// "Twc:", "Twb:" and "Twr:" values: the decimal number, surrounding blanks
// allowed; 0 when it is not a number.
int32_t parseLenientInt(Span s)
{
    while (s.b < s.e && *s.b == ' ')
        ++s.b;
    while (s.e > s.b && s.e[-1] == ' ')
        --s.e;
    int32_t v = 0;
    return parseStrictInt(s, v) ? v : 0;
}

QString decodeCell(Span s)
{
    for (const char* p = s.b; p < s.e; ++p) {
        if (uchar(*p) >= 0x80)
            return fromCp932(QByteArray(s.b, s.size()));
    }
    return QString::fromLatin1(s.b, s.size());
}

QByteArray encodeCell(const QString& text)
{
    const QString t = trimCellText(text);
    for (QChar c : t) {
        if (c.unicode() >= 0x80)
            return toCp932(t);
    }
    return t.toLatin1();
}

// Fixed-width decimal as printf's "%0*d".
void appendNumber(QByteArray& out, int width, int32_t value)
{
    char buf[24];
    const int n = std::snprintf(buf, sizeof buf, "%0*d", width, int(value));
    out.append(buf, n);
}

// Reads one row line into cells and entry. Returns an empty string on success,
// otherwise what is wrong with the line.
QString parseRowLine(Span line, std::array<QString, 4>& cells, TableEntry& e)
{
    // The label's number is not used; a two-digit label "[01]," is four
    // characters before its comma, a three-digit one "[001]," five.
    const bool twoDigitLabel = line.size() >= 4 && line.b[3] == ']';
    const int firstField = twoDigitLabel ? 5 : 6;

    int column = 1;
    const char* p = line.size() > firstField ? line.b + firstField : line.e;
    while (p < line.e) {
        const char* comma = static_cast<const char*>(std::memchr(p, ',', size_t(line.e - p)));
        const Span field{p, comma ? comma : line.e};
        p = comma ? comma + 1 : line.e;

        if (column <= 3) {
            cells[column - 1] = decodeCell(field);
            ++column;
            if (column == 4 && twoDigitLabel)
                column = kPlaceTwc; // this layout has no Result field
            continue;
        }

        int place = column;
        Span value;
        bool tagged = false;
        for (int t = 0; t < 5; ++t) {
            if (field.startsWith(kTags[t])) {
                place = kPlaceTwc + t;
                tagged = true;
                break;
            }
        }
        if (place > kPlaceTwd)
            continue; // fields past the data are ignored
        if (!tagged && place == kPlaceResult) {
            cells[3] = decodeCell(field);
            column = kPlaceTwc;
            continue;
        }
        value = field.mid(4);

        switch (place) {
        case kPlaceTwc: e.carrier = parseLenientInt(value); break;
        case kPlaceTwb: e.dataCount = std::clamp(parseLenientInt(value), 0, kDataSymbols); break;
        case kPlaceTwr: e.repeat = parseLenientInt(value); break;
        case kPlaceTwp: {
            // "i:high width": one hexadecimal pair index, the two times in
            // decimal. Times wider than their printed columns are read whole.
            const int index = value.size() >= 1 ? hexDigitValue(value.b[0]) : -1;
            if (index < 0)
                return QStringLiteral("「Twp:」のパターン番号が正しくありません");
            const Span times = value.mid(2);
            const char* blank = static_cast<const char*>(std::memchr(times.b, ' ', size_t(times.size())));
            int32_t high = 0, width = 0;
            if (!blank || !parseStrictInt(Span{times.b, blank}, high)
                || !parseStrictInt(Span{blank + 1, times.e}, width))
                return QStringLiteral("「Twp:」の時間が数値ではありません");
            e.high[size_t(index)] = high;
            e.width[size_t(index)] = width;
            column = index == kPatternPairs - 1 ? kPlaceTwd : kPlaceTwp;
            continue;
        }
        case kPlaceTwd: {
            const int n = value.size();
            for (int i = 0; i < n; ++i) {
                const int v = hexDigitValue(value.b[i]);
                if (v < 0)
                    return QStringLiteral("「Twd:」のデータに16進数字でない文字があります");
                if (i < kDataSymbols) // digits beyond the entry's capacity are ignored
                    e.data[size_t(i)] = uint8_t(v);
            }
            break;
        }
        default: break;
        }
        column = place + 1;
    }
    return QString();
}

// Next line [b, e) starting at pos, its CR LF or LF removed; pos moves past it.
Span nextLine(const QByteArray& bytes, qsizetype& pos)
{
    const char* const data = bytes.constData();
    const char* const end = data + bytes.size();
    const char* b = data + pos;
    const char* nl = static_cast<const char*>(std::memchr(b, '\n', size_t(end - b)));
    const char* e = nl ? nl : end;
    pos = nl ? (nl - data) + 1 : bytes.size();
    if (e > b && e[-1] == '\r')
        --e;
    return Span{b, e};
}

bool readWholeFile(QFile& f, QByteArray& out, bool& tooLarge)
{
    tooLarge = false;
    out.clear();
    const qint64 size = f.isSequential() ? 0 : f.size();
    if (size > kTableFileMaxBytes) {
        tooLarge = true;
        return false;
    }
    out.reserve(qsizetype(size));
    char buf[1 << 16];
    for (;;) {
        const qint64 n = f.read(buf, sizeof buf);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(buf, qsizetype(n));
        if (out.size() > kTableFileMaxBytes) {
            tooLarge = true;
            return false;
        }
    }
}

QString reasonText(UnstorableCell::Reason r)
{
    switch (r) {
    case UnstorableCell::Comma: return QStringLiteral("「,」(カンマ)を含んでいます");
    case UnstorableCell::LineBreak: return QStringLiteral("改行を含んでいます");
    case UnstorableCell::TagPrefix: return QStringLiteral("「Twc:」「Twb:」「Twr:」「Twp:」「Twd:」で始まっています");
    case UnstorableCell::NotInCodePage: break; // named with its character in reasonText(const UnstorableCell&)
    }
    return QString();
}

QString reasonText(const UnstorableCell& c)
{
    if (c.reason != UnstorableCell::NotInCodePage)
        return reasonText(c.reason);
    const char32_t u = c.character.isEmpty() ? 0 : c.character.toUcs4().value(0);
    return QStringLiteral("「%1」(U+%2) はテーブルファイルの文字コード (Shift-JIS) にない文字です")
        .arg(c.character, QString::number(uint(u), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

QString unstorableMessage(const std::vector<UnstorableCell>& cells)
{
    constexpr int kListed = 10;
    QString text = QStringLiteral("テーブルファイルに保存出来ません。\n"
                                  "次のセルの文字はテーブルファイルに書けません:\n");
    const int n = int(cells.size());
    for (int i = 0; i < std::min(n, kListed); ++i) {
        const UnstorableCell& c = cells[size_t(i)];
        text += QString::asprintf("[%03d] ", c.row) + QLatin1String(kColumnNames[c.column]) + QStringLiteral(": ")
            + reasonText(c) + QLatin1Char('\n');
    }
    if (n > kListed)
        text += QStringLiteral("ほか %1 個のセル\n").arg(n - kListed);
    text += QStringLiteral("セルを修正してから保存して下さい。");
    return text;
}

} // namespace

QString trimCellText(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    return (b == 0 && e == text.size()) ? text : text.mid(b, e - b);
}

std::vector<UnstorableCell> findUnstorableCells(const CodeTable& table)
{
    std::vector<UnstorableCell> found;
    for (int row = 1; row <= kTableRows; ++row) {
        for (int column = 1; column <= 4; ++column) {
            const QString text = table.cell(column, row);
            if (text.isEmpty())
                continue;
            const QString t = trimCellText(text);
            if (t.contains(QLatin1Char(',')))
                found.push_back({row, column, UnstorableCell::Comma});
            else if (t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r')))
                found.push_back({row, column, UnstorableCell::LineBreak});
            else if (column == kColResult && std::any_of(std::begin(kTags), std::end(kTags), [&t](const char* tag) {
                         return t.startsWith(QLatin1String(tag));
                     }))
                found.push_back({row, column, UnstorableCell::TagPrefix});
            else if (const QString c = firstNonCp932(t); !c.isEmpty())
                found.push_back({row, column, UnstorableCell::NotInCodePage, c});
        }
    }
    return found;
}

void appendEntryFields(QByteArray& out, const TableEntry& e)
{
    const int count = std::clamp<int>(e.dataCount, 0, kDataSymbols);
    out.append("Twc:");
    appendNumber(out, 3, e.carrier);
    out.append(",Twb:");
    appendNumber(out, 3, count);
    out.append(",Twr:");
    appendNumber(out, 3, e.repeat);
    out.append(',');
    for (int i = 0; i < kPatternPairs; ++i) {
        out.append("Twp:");
        out.append(kHexDigits[i]);
        out.append(':');
        appendNumber(out, 5, e.high[size_t(i)]);
        out.append(' ');
        appendNumber(out, 6, e.width[size_t(i)]);
        out.append(',');
    }
    out.append("Twd:");
    const qsizetype at = out.size();
    const int digits = count + (count & 1);
    out.resize(at + digits);
    char* d = out.data() + at;
    for (int i = 0; i < count; ++i)
        d[i] = kHexDigits[e.data[size_t(i)] & 0x0F];
    if (count & 1)
        d[count] = d[count - 1];
}

QByteArray tableRowLine(int row, const std::array<QString, 4>& cells, const TableEntry& e)
{
    QByteArray line;
    line.reserve(560 + std::clamp<int>(e.dataCount, 0, kDataSymbols));
    char label[16];
    line.append(label, std::snprintf(label, sizeof label, "[%03d],", row));
    for (const QString& c : cells) {
        line.append(encodeCell(c));
        line.append(',');
    }
    appendEntryFields(line, e);
    line.append(',');
    return line;
}

QByteArray tableFileBytes(const CodeTable& table)
{
    QByteArray out;
    out.reserve(600 * 1024);
    out.append(kTableFileHeader);
    out.append("\r\n");
    for (int row = 1; row <= kTableRows; ++row) {
        const std::array<QString, 4> cells{table.cell(1, row), table.cell(2, row), table.cell(3, row),
                                           table.cell(4, row)};
        out.append(tableRowLine(row, cells, table.entry(row)));
        out.append("\r\n");
    }
    return out;
}

bool hasTableFileHeader(const QByteArray& bytes)
{
    qsizetype pos = 0;
    const Span first = nextLine(bytes, pos);
    return QByteArrayView(first.b, first.size()).contains(QByteArrayView(kTableFileHeader));
}

ParsedTable parseTableFile(const QByteArray& bytes)
{
    ParsedTable result;
    qsizetype pos = 0;
    nextLine(bytes, pos); // the header line is never a row
    int lineNo = 1;
    // Every row line begins with '[': room for that many rows, not for a whole
    // table (an entry is 4 KB, a whole table's worth 4 MB).
    const size_t rowsAtMost = size_t(std::min<qsizetype>(kTableRows, bytes.count('[')));
    result.cells.reserve(rowsAtMost);
    result.entries.reserve(rowsAtMost);
    while (result.rowCount < kTableRows && pos < bytes.size()) {
        const Span line = nextLine(bytes, pos);
        ++lineNo;
        if (line.size() == 0 || *line.b != '[')
            break;
        result.cells.emplace_back();
        result.entries.emplace_back();
        const QString error = parseRowLine(line, result.cells.back(), result.entries.back());
        if (!error.isEmpty()) {
            result.errorLine = lineNo;
            result.errorText = error;
            result.cells.clear();
            result.entries.clear();
            result.rowCount = 0;
            return result;
        }
        ++result.rowCount;
    }
    result.ok = true;
    return result;
}

QString traceEntryLine(int row, const TableEntry& e)
{
    QByteArray line = QByteArray("[") + QByteArray::number(row).rightJustified(3, '0') + "] ";
    appendEntryFields(line, e);
    return QString::fromLatin1(line);
}

TableLoadResult LoadTableFile(CodeTable& table, const QString& path, Prompts& prompts, ReceiveLog& log, bool traceMode)
{
    TableLoadResult result;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        result.message = file.errorString();
        return result;
    }
    QByteArray bytes;
    bool tooLarge = false;
    const bool read = readWholeFile(file, bytes, tooLarge);
    file.close();
    if (tooLarge) {
        result.status = TableLoadStatus::Invalid;
        result.message = QStringLiteral("テーブルファイルを開けません。\n%1\n"
                                        "ファイルが大きすぎます(テーブルファイルではありません)。")
                             .arg(path);
        prompts.inform(kCaptionWarning, result.message, MsgIcon::Warning);
        return result;
    }
    if (!read) {
        result.message = file.errorString();
        return result;
    }

    if (!hasTableFileHeader(bytes)) {
        const MsgAnswer a = prompts.ask(
            kCaptionWarning, QStringLiteral("ZOVAX-Etherのテーブルファイルでは有りません。\n強制的に開きますか？"),
            MsgIcon::Warning, MsgButtons::OkCancel);
        if (a != MsgAnswer::Ok) {
            result.status = TableLoadStatus::Declined;
            return result;
        }
    }

    const ParsedTable parsed = parseTableFile(bytes);
    if (!parsed.ok) {
        result.status = TableLoadStatus::Invalid;
        result.message = QStringLiteral("テーブルファイルを読めません。\n%1\n%2 行目: %3。\n"
                                        "テーブルは変更していません。")
                             .arg(path)
                             .arg(parsed.errorLine)
                             .arg(parsed.errorText);
        prompts.inform(kCaptionWarning, result.message, MsgIcon::Warning);
        return result;
    }

    table.assignRows(parsed.cells, parsed.entries);
    log.clear();
    if (traceMode) {
        for (int row = 1; row <= parsed.rowCount; ++row) {
            const TableEntry& e = table.entry(row);
            if (e.carrier != 0)
                log.append(traceEntryLine(row, e));
        }
    }
    result.status = TableLoadStatus::Loaded;
    return result;
}

TableSaveResult SaveTableFile(CodeTable& table, const QString& path, Prompts& prompts)
{
    TableSaveResult result;
    const std::vector<UnstorableCell> bad = findUnstorableCells(table);
    if (!bad.empty()) {
        result.message = unstorableMessage(bad);
        prompts.inform(kCaptionWarning, result.message, MsgIcon::Warning);
        return result;
    }

    const QByteArray bytes = tableFileBytes(table);
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    QString reason;
    if (path.isEmpty())
        reason = QStringLiteral("ファイル名がありません");
    else if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (file.write(bytes) != bytes.size()) {
        reason = file.errorString();
        file.cancelWriting();
        file.commit();
    } else if (!file.commit())
        reason = file.errorString();

    if (!reason.isEmpty()) {
        result.message = QStringLiteral("テーブルファイルを保存出来ませんでした。\n%1\n%2").arg(path, reason);
        prompts.inform(kCaptionWarning, result.message, MsgIcon::Warning);
        return result;
    }
    table.SetModified(false);
    result.ok = true;
    return result;
}

} // namespace zovax
