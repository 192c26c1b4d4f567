// Captured presses as text: mode2 output ("pulse N" / "space N" lines) and
// plain timing lists ("+9000 -4500 +560 ..."). Read only.
#include "core/interchange/FormatParts.h"

#include <QRegularExpression>
#include <QStringList>

namespace zovax::fmt {

namespace {

constexpr int kPressEndUs = 500000;    // a silence this long ends a press (the default learning time)
constexpr int kPlainCarrierHz = 38000; // a timing list has no carrier of its own

// Adds a mark (even index) or space (odd index) to a list, joining a duration
// of the same kind to the one before.
void add(std::vector<int>& d, bool mark, int us)
{
    if (d.empty() && !mark)
        return; // silence before the first mark
    if (!d.empty() && (d.size() % 2 == 1) == mark) {
        d.back() += us;
        return;
    }
    d.push_back(us);
}

} // namespace

ReadResult readMode2(const QString& fileName, const QByteArray& bytes)
{
    ReadResult r;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    int carrier = kPlainCarrierHz;
    ReadItem cur;
    auto finish = [&] {
        if (!cur.timing.once.empty() || !cur.error.isEmpty()) {
            cur.timing.carrierHz = carrier;
            cur.timing.once = closedDurations(std::move(cur.timing.once));
            cur.name = QStringLiteral("mode2 %1").arg(r.items.size() + 1);
            if (cur.error.isEmpty()) {
                const QString e = checkTiming(cur.timing);
                if (!e.isEmpty())
                    cur.error = lineMessage(fileName, cur.line, QString(), e);
            }
            r.items.push_back(cur);
        }
        cur = ReadItem{};
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList w = lines[i].simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.isEmpty() || w[0].startsWith(QLatin1Char('#')))
            continue;
        const QString k = w[0].toLower();
        const bool known = k == QLatin1String("pulse") || k == QLatin1String("space") || k == QLatin1String("timeout")
            || k == QLatin1String("carrier");
        if (!known)
            continue; // driver messages and other lines
        const auto v = w.size() == 2 ? parseDecimal(QStringView(w[1]).trimmed()) : std::nullopt;
        if (!v || *v < 0) {
            if (cur.error.isEmpty())
                cur.error
                    = lineMessage(fileName, i + 1, k,
                                  QStringLiteral("「%1」は数値ではありません").arg(w.mid(1).join(QLatin1Char(' '))));
            if (!cur.line)
                cur.line = i + 1;
            continue;
        }
        if (k == QLatin1String("carrier")) {
            carrier = *v;
            continue;
        }
        if (k == QLatin1String("timeout") || (k == QLatin1String("space") && *v >= kPressEndUs)) {
            finish();
            continue;
        }
        if (cur.timing.once.empty() && k == QLatin1String("space"))
            continue;
        if (!cur.line)
            cur.line = i + 1;
        if (*v == 0 && cur.error.isEmpty())
            cur.error = lineMessage(fileName, i + 1, k, QStringLiteral("時間が 0 です"));
        add(cur.timing.once, k == QLatin1String("pulse"), *v);
    }
    finish();
    if (r.items.empty())
        r.error = lineMessage(fileName, 0, QString(), QStringLiteral("pulse の行がありません"));
    return r;
}

ReadResult readTimingList(const QString& fileName, const QByteArray& bytes)
{
    ReadResult r;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList w
            = lines[i].simplified().split(QRegularExpression(QStringLiteral("[ ,]+")), Qt::SkipEmptyParts);
        if (w.isEmpty() || w[0].startsWith(QLatin1Char('#')))
            continue;
        ReadItem item;
        item.line = i + 1;
        item.name = QStringLiteral("%1 行目").arg(i + 1);
        item.timing.carrierHz = kPlainCarrierHz;
        for (int k = 0; k < w.size() && item.error.isEmpty(); ++k) {
            const QString& s = w[k];
            const bool signedWord = s.startsWith(QLatin1Char('+')) || s.startsWith(QLatin1Char('-'));
            const bool mark = signedWord ? s.startsWith(QLatin1Char('+')) : item.timing.once.size() % 2 == 0;
            const auto v = parseDecimal((signedWord ? QStringView(s).mid(1) : QStringView(s)).trimmed());
            if (!v || *v <= 0) {
                item.error
                    = lineMessage(fileName, i + 1, QStringLiteral("%1 番目").arg(k + 1),
                                  QStringLiteral("「%1」は時間 (+マーク / -スペース, us) ではありません").arg(s));
                break;
            }
            if (item.timing.once.empty() && !mark) {
                item.error = lineMessage(fileName, i + 1, QStringLiteral("1 番目"),
                                         QStringLiteral("マーク (+) で始まっていません"));
                break;
            }
            if ((item.timing.once.size() % 2 == 0) != mark) {
                item.error = lineMessage(fileName, i + 1, QStringLiteral("%1 番目").arg(k + 1),
                                         QStringLiteral("マークとスペースが交互になっていません"));
                break;
            }
            item.timing.once.push_back(*v);
        }
        if (item.error.isEmpty()) {
            item.timing.once = closedDurations(std::move(item.timing.once));
            const QString e = checkTiming(item.timing);
            if (!e.isEmpty())
                item.error = lineMessage(fileName, i + 1, QString(), e);
        }
        r.items.push_back(item);
    }
    if (r.items.empty())
        r.error = lineMessage(fileName, 0, QString(), QStringLiteral("時間の列がありません"));
    return r;
}

} // namespace zovax::fmt
