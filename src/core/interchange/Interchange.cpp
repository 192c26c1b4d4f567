#include "core/interchange/Interchange.h"

#include "core/interchange/FormatParts.h"
#include "core/table/CodeTable.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace zovax {

int ReadResult::badCount() const
{
    return int(std::count_if(items.begin(), items.end(), [](const ReadItem& i) { return !i.error.isEmpty(); }));
}

const std::vector<FormatInfo>& formats()
{
    using namespace fmt;
    static const std::vector<FormatInfo> all{
        {"pronto",
         QStringLiteral("Pronto Hex"),
         {QStringLiteral("txt"), QStringLiteral("hex")},
         readPronto,
         writePronto},
        {"sendir", QStringLiteral("sendir"), {QStringLiteral("txt")}, readSendir, writeSendir},
        {"flipper", QStringLiteral("Flipper (.ir)"), {QStringLiteral("ir")}, readFlipper, writeFlipper},
        {"lirc",
         QStringLiteral("LIRC (lircd.conf)"),
         {QStringLiteral("conf"), QStringLiteral("lircd.conf")},
         readLirc,
         writeLirc},
        {"mode2", QStringLiteral("mode2"), {QStringLiteral("txt"), QStringLiteral("mode2")}, readMode2, nullptr},
        {"timing", QStringLiteral("タイミング列 (+9000 -4500 ...)"), {QStringLiteral("txt")}, readTimingList, nullptr},
        {"json", QStringLiteral("JSON"), {QStringLiteral("json")}, readJson, writeJson},
    };
    return all;
}

const FormatInfo* findFormat(const QString& id)
{
    for (const FormatInfo& f : formats()) {
        if (id.compare(QLatin1String(f.id), Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

const FormatInfo* detectFormat(const QString& fileName, const QByteArray& bytes)
{
    // The first line that is not blank and not a comment decides.
    QByteArray first;
    QByteArray all = bytes.left(64 * 1024);
    for (const QByteArray& raw : all.split('\n')) {
        const QByteArray l = raw.trimmed();
        if (l.isEmpty() || (l.startsWith('#') && !l.startsWith("#!")))
            continue;
        first = l;
        break;
    }
    const QByteArray lower = first.toLower();
    if (lower.startsWith('{') || lower.startsWith('['))
        return findFormat(QStringLiteral("json"));
    if (lower.startsWith("filetype:"))
        return findFormat(QStringLiteral("flipper"));
    if (lower.startsWith("sendir,"))
        return findFormat(QStringLiteral("sendir"));
    if (lower.startsWith("begin remote") || all.contains("begin remote"))
        return findFormat(QStringLiteral("lirc"));
    if (lower.startsWith("pulse") || lower.startsWith("space") || lower.startsWith("carrier")
        || lower.startsWith("timeout"))
        return findFormat(QStringLiteral("mode2"));
    if (!lower.isEmpty() && (lower[0] == '+' || lower[0] == '-'))
        return findFormat(QStringLiteral("timing"));
    const QList<QByteArray> words = lower.simplified().split(' ');
    if (words.size() >= 4 && words[0].size() == 4) {
        bool hex = true;
        for (const QByteArray& w : words)
            hex = hex && w.size() == 4 && w.toUInt(nullptr, 16) <= 0xFFFF && !w.contains('x');
        if (hex)
            return findFormat(QStringLiteral("pronto"));
    }
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("ir"))
        return findFormat(QStringLiteral("flipper"));
    if (suffix == QLatin1String("conf"))
        return findFormat(QStringLiteral("lirc"));
    if (suffix == QLatin1String("json"))
        return findFormat(QStringLiteral("json"));
    return nullptr;
}

ReadResult readAny(const QString& fileName, const QByteArray& bytes)
{
    const FormatInfo* f = detectFormat(fileName, bytes);
    if (!f) {
        ReadResult r;
        r.error = QStringLiteral("%1: 形式が分かりません (Pronto Hex, sendir, Flipper .ir, lircd.conf, mode2, "
                                 "タイミング列, JSON のいずれでもありません)")
                      .arg(fileName);
        return r;
    }
    return f->read(fileName, bytes);
}

IrTiming timingOfRow(const TableEntry& e, const QString& framesCell)
{
    IrTiming t;
    t.carrierHz = fmt::carrierHzOf(e);
    const int count = std::clamp(int(e.dataCount), 0, kDataSymbols);
    const bool repeats = framesCell.trimmed() != QLatin1String("1");
    const int split = repeats ? std::clamp(int(e.repeat), 0, count) : count;
    for (int i = 0; i < count; ++i) {
        const int p = e.data[std::size_t(i)] & 0x0F;
        std::vector<int>& part = i < split ? t.once : t.repeat;
        part.push_back(e.high[std::size_t(p)]);
        part.push_back(e.width[std::size_t(p)] - e.high[std::size_t(p)]);
    }
    return t;
}

std::vector<ExportRow> exportRowsOf(const CodeTable& table, const std::vector<int>& rows)
{
    std::vector<int> wanted = rows;
    if (wanted.empty()) {
        for (int r = 1; r <= kTableRows; ++r)
            wanted.push_back(r);
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    std::vector<ExportRow> out;
    for (int r : wanted) {
        if (!CodeTable::validRow(r) || table.entry(r).dataCount <= 0)
            continue;
        ExportRow x;
        x.row = r;
        for (int c = 0; c < 4; ++c)
            x.cells[std::size_t(c)] = table.cell(c + 1, r);
        x.entry = table.entry(r);
        out.push_back(std::move(x));
    }
    return out;
}

QString prontoOf(const ExportRow& row)
{
    return QString::fromLatin1(fmt::writePronto({row})).trimmed();
}

QStringList uniqueNames(const std::vector<ExportRow>& rows)
{
    QStringList names;
    QSet<QString> used;
    for (const ExportRow& r : rows) {
        QString base;
        for (QChar c : r.cells[2].trimmed()) {
            const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                || c == QLatin1Char('_') || c == QLatin1Char('-');
            base += ok ? c : QLatin1Char('_');
        }
        if (base.count(QLatin1Char('_')) == base.size())
            base = QStringLiteral("ROW_%1").arg(r.row, 3, 10, QLatin1Char('0'));
        QString name = base;
        for (int k = 2; used.contains(name.toLower()); ++k)
            name = base + QStringLiteral("_%1").arg(k);
        used.insert(name.toLower());
        names << name;
    }
    return names;
}

std::vector<ImportedRow> importRows(const ReadResult& read, const LearnParams& params)
{
    std::vector<ImportedRow> out;
    std::unique_ptr<TimingLearner> learner;
    for (std::size_t i = 0; i < read.items.size(); ++i) {
        const ReadItem& item = read.items[i];
        if (!item.error.isEmpty())
            continue;
        ImportedRow r;
        r.item = int(i);
        if (item.hasRow) {
            r.row.ok = true;
            r.row.cells = item.cells;
            r.row.entry = item.entry;
        } else {
            if (!learner)
                learner = std::make_unique<TimingLearner>(params);
            r.row = learner->learn(item.timing);
            if (r.row.ok)
                r.row.cells[2] = item.name;
        }
        out.push_back(std::move(r));
    }
    return out;
}

namespace fmt {

QString lineMessage(const QString& fileName, int line, const QString& field, const QString& what)
{
    QString where = fileName;
    if (line > 0)
        where += QStringLiteral(" %1 行目").arg(line);
    if (!field.isEmpty())
        where += QStringLiteral(" (%1)").arg(field);
    return where + QStringLiteral(": ") + what;
}

QString signalMessage(const QString& fileName, const QString& signal, const QString& field, const QString& what)
{
    QString where = fileName + QStringLiteral(" 信号「%1」").arg(signal);
    if (!field.isEmpty())
        where += QStringLiteral(" (%1)").arg(field);
    return where + QStringLiteral(": ") + what;
}

std::vector<int> closedDurations(std::vector<int> d)
{
    if (d.size() % 2 == 1)
        d.push_back(kMaxMarkUs); // replaced by the closing silence when learned
    return d;
}

std::vector<int> heldDurations(const IrTiming& t)
{
    std::vector<int> d;
    for (const irsig::Pair& p : heldPress(t, 500)) {
        d.push_back(p.high);
        d.push_back(p.width - p.high);
    }
    if (!d.empty())
        d.pop_back();
    return d;
}

} // namespace fmt

} // namespace zovax
