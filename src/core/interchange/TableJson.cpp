// The whole table as JSON: every row with its cells, its stored entry and the
// durations the entry stands for (for other programs; the entry is what is
// read back).
#include "core/interchange/FormatParts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace zovax::fmt {

namespace {

const char* const kFormatName = "ZOVAX-Ether table";

QJsonArray numbers(const std::vector<int>& v)
{
    QJsonArray a;
    for (int x : v)
        a.append(x);
    return a;
}

// An integer member within [lo, hi]; sets `error` (naming `path`) otherwise.
int integer(const QJsonObject& o, const char* key, int lo, int hi, const QString& path, QString& error)
{
    if (!error.isEmpty())
        return 0;
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble(-1e18);
    if (!v.isDouble() || d != double(qint64(d)) || d < lo || d > hi) {
        error = QStringLiteral("%1.%2: %3〜%4 の整数ではありません").arg(path, QLatin1String(key)).arg(lo).arg(hi);
        return 0;
    }
    return int(d);
}

std::vector<int> intList(const QJsonValue& v, const QString& path, QString& error)
{
    std::vector<int> out;
    if (!error.isEmpty())
        return out;
    if (!v.isArray()) {
        error = path + QStringLiteral(": 数値の配列ではありません");
        return out;
    }
    const QJsonArray a = v.toArray();
    for (int i = 0; i < a.size(); ++i) {
        const double d = a[i].toDouble(-1);
        if (!a[i].isDouble() || d != double(qint64(d)) || d <= 0 || d > kMaxWidthUs) {
            error = QStringLiteral("%1[%2]: 正の整数ではありません").arg(path).arg(i);
            return {};
        }
        out.push_back(int(d));
    }
    return out;
}

} // namespace

ReadResult readJson(const QString& fileName, const QByteArray& bytes)
{
    ReadResult r;
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &pe);
    if (pe.error != QJsonParseError::NoError) {
        const int line = int(bytes.left(pe.offset).count('\n')) + 1;
        r.error
            = lineMessage(fileName, line, QString(), QStringLiteral("JSON として読めません: %1").arg(pe.errorString()));
        return r;
    }
    const QJsonObject top = doc.object();
    if (!doc.isObject() || top.value(QLatin1String("format")).toString() != QLatin1String(kFormatName)
        || !top.value(QLatin1String("rows")).isArray()) {
        r.error = lineMessage(
            fileName, 0, QStringLiteral("format"),
            QStringLiteral("「%1」の JSON (\"format\" と \"rows\") ではありません").arg(QLatin1String(kFormatName)));
        return r;
    }
    if (top.value(QLatin1String("version")).toInt() != 1) {
        r.error = lineMessage(fileName, 0, QStringLiteral("version"), QStringLiteral("1 ではありません"));
        return r;
    }
    const QJsonArray rows = top.value(QLatin1String("rows")).toArray();
    QSet<int> seen;
    for (int i = 0; i < rows.size(); ++i) {
        const QString path = QStringLiteral("rows[%1]").arg(i);
        const QJsonObject o = rows[i].toObject();
        ReadItem item;
        QString error;
        if (!rows[i].isObject())
            error = path + QStringLiteral(": オブジェクトではありません");
        item.rowNumber = integer(o, "row", 1, kTableRows, path, error);
        if (error.isEmpty() && seen.contains(item.rowNumber))
            error = QStringLiteral("%1.row: 行 %2 が二度あります").arg(path).arg(item.rowNumber);
        seen.insert(item.rowNumber);
        const char* cellKeys[] = {"carry", "frames", "comments", "result"};
        for (int c = 0; c < 4 && error.isEmpty(); ++c) {
            const QJsonValue v = o.value(QLatin1String(cellKeys[c]));
            if (!v.isUndefined() && !v.isString())
                error = QStringLiteral("%1.%2: 文字列ではありません").arg(path, QLatin1String(cellKeys[c]));
            item.cells[std::size_t(c)] = v.toString();
        }
        item.name = item.cells[2];
        if (error.isEmpty() && o.contains(QLatin1String("entry"))) {
            const QString ep = path + QStringLiteral(".entry");
            const QJsonObject e = o.value(QLatin1String("entry")).toObject();
            item.hasRow = true;
            item.entry.carrier = integer(e, "carrier", 0, 9999, ep, error);
            item.entry.dataCount = integer(e, "dataCount", 0, kDataSymbols, ep, error);
            item.entry.repeat = integer(e, "repeat", 0, kDataSymbols, ep, error);
            const QJsonArray pats = e.value(QLatin1String("patterns")).toArray();
            if (error.isEmpty() && pats.size() != kPatternPairs)
                error = ep + QStringLiteral(".patterns: %1 組ではありません").arg(kPatternPairs);
            for (int k = 0; k < pats.size() && error.isEmpty(); ++k) {
                const QJsonArray hw = pats[k].toArray();
                const double h = hw.at(0).toDouble(-1), w = hw.at(1).toDouble(-1);
                if (hw.size() != 2 || h < 0 || h > kMaxMarkUs || w < 0 || w > kMaxWidthUs || h != double(int(h))
                    || w != double(int(w)))
                    error = QStringLiteral("%1.patterns[%2]: [マーク, 幅] (us) ではありません").arg(ep).arg(k);
                item.entry.high[std::size_t(k)] = int(h);
                item.entry.width[std::size_t(k)] = int(w);
            }
            const QString data = e.value(QLatin1String("data")).toString();
            if (error.isEmpty() && data.size() != item.entry.dataCount)
                error = ep
                    + QStringLiteral(".data: %1 桁ですが dataCount は %2 です")
                          .arg(data.size())
                          .arg(item.entry.dataCount);
            for (int k = 0; k < data.size() && error.isEmpty(); ++k) {
                bool ok = false;
                const int d = QString(data[k]).toInt(&ok, 16);
                if (!ok)
                    error = ep + QStringLiteral(".data: %1 桁目が 16 進数字ではありません").arg(k + 1);
                item.entry.data[std::size_t(k)] = uint8_t(d);
            }
            if (error.isEmpty() && item.entry.repeat > item.entry.dataCount)
                error = ep + QStringLiteral(".repeat: dataCount を超えています");
        } else if (error.isEmpty()) {
            const QString tp = path + QStringLiteral(".timing");
            const QJsonObject t = o.value(QLatin1String("timing")).toObject();
            if (!o.value(QLatin1String("timing")).isObject())
                error = path + QStringLiteral(": \"entry\" も \"timing\" もありません");
            item.timing.carrierHz = integer(t, "carrierHz", 0, kMaxCarrierHz, tp, error);
            item.timing.once = intList(t.value(QLatin1String("once")), tp + QStringLiteral(".once"), error);
            if (t.contains(QLatin1String("repeat")))
                item.timing.repeat = intList(t.value(QLatin1String("repeat")), tp + QStringLiteral(".repeat"), error);
            if (error.isEmpty()) {
                const QString e = checkTiming(item.timing);
                if (!e.isEmpty())
                    error = tp + QStringLiteral(": ") + e;
            }
        }
        if (!error.isEmpty())
            item.error = lineMessage(fileName, 0, QString(), error);
        r.items.push_back(item);
    }
    if (r.items.empty())
        r.error = lineMessage(fileName, 0, QStringLiteral("rows"), QStringLiteral("行がありません"));
    return r;
}

QByteArray writeJson(const std::vector<ExportRow>& rows)
{
    QJsonArray out;
    for (const ExportRow& row : rows) {
        QJsonObject o;
        o.insert(QStringLiteral("row"), row.row);
        o.insert(QStringLiteral("carry"), row.cells[0]);
        o.insert(QStringLiteral("frames"), row.cells[1]);
        o.insert(QStringLiteral("comments"), row.cells[2]);
        o.insert(QStringLiteral("result"), row.cells[3]);
        const TableEntry& e = row.entry;
        QJsonObject entry;
        entry.insert(QStringLiteral("carrier"), e.carrier);
        entry.insert(QStringLiteral("dataCount"), e.dataCount);
        entry.insert(QStringLiteral("repeat"), e.repeat);
        QJsonArray pats;
        for (int k = 0; k < kPatternPairs; ++k)
            pats.append(QJsonArray{e.high[std::size_t(k)], e.width[std::size_t(k)]});
        entry.insert(QStringLiteral("patterns"), pats);
        QString data;
        for (int k = 0; k < std::clamp(int(e.dataCount), 0, kDataSymbols); ++k)
            data += QString::number(e.data[std::size_t(k)] & 0x0F, 16).toUpper();
        entry.insert(QStringLiteral("data"), data);
        o.insert(QStringLiteral("entry"), entry);
        const IrTiming t = timingOfRow(e, row.cells[1]);
        o.insert(QStringLiteral("timing"),
                 QJsonObject{{QStringLiteral("carrierHz"), t.carrierHz},
                             {QStringLiteral("once"), numbers(t.once)},
                             {QStringLiteral("repeat"), numbers(t.repeat)}});
        out.append(o);
    }
    QJsonObject top{{QStringLiteral("format"), QLatin1String(kFormatName)},
                    {QStringLiteral("version"), 1},
                    {QStringLiteral("rows"), out}};
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

} // namespace zovax::fmt
