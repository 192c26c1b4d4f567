#include "app/learning/WaveDisplayRules.h"

#include "core/shell/TextNumbers.h"

#include <algorithm>
#include <climits>

namespace zovax {

int zoomDivisorOf(const QString& item)
{
    const int at = item.indexOf(QLatin1String("1/"));
    if (at < 0)
        return 1;
    return parseBounded(QStringView(item).mid(at + 2, 4), 1, INT_MAX).value_or(1);
}

int scrollLeft(int position, int scrollExtent, int maximum)
{
    if (maximum <= 0)
        maximum = 1;
    return int(int64_t(position) * scrollExtent / maximum);
}

Interval measureInterval(int cursorA, int x, int zoomDivisor, int rows, const std::function<ListPair(int row)>& rowAt)
{
    if (zoomDivisor < 1)
        zoomDivisor = 1;
    int64_t tA = 0;
    if (cursorA > 10) {
        const int64_t limit = int64_t(cursorA - 10) * zoomDivisor;
        for (int row = 1; row <= rows; ++row) {
            const int64_t w = rowAt(row).width;
            if (w == 0)
                break;
            tA += w;
            if (tA > limit)
                break;
        }
    }

    const int64_t limit = int64_t(x - 10) * zoomDivisor;
    int64_t tB = 0;
    int row = 1;
    for (; row <= rows; ++row) {
        const ListPair p = rowAt(row);
        if (p.width == 0)
            break;
        if (tB + p.width > limit) {
            // The pointer lies in this pair: its start, or the end of its mark.
            if (tB + p.high <= limit)
                tB += p.high;
            break;
        }
        tB += p.width;
    }
    Interval r;
    r.us = std::max<int64_t>(tB - tA, 0);
    r.row = std::clamp(row, 1, std::max(rows, 1));
    return r;
}

QString intervalText(int64_t us)
{
    return QString::asprintf("tw:%lld.%03dmS", static_cast<long long>(us / 1000), int(us % 1000));
}

std::optional<QString> commandFromLogText(QStringView text)
{
    if (!text.startsWith(QLatin1String("m:")))
        return std::nullopt;
    QString fields[3];
    qsizetype pos = 2;
    for (QString& field : fields) {
        if (pos >= text.size())
            break;
        const qsizetype comma = text.indexOf(QLatin1Char(','), pos);
        if (comma < 0)
            break;
        field = text.mid(pos, comma - pos).toString();
        pos = comma + 3; // past the comma and the next field's two-letter tag
    }
    return QStringLiteral("Tm:") + fields[0] + QStringLiteral(",d:") + fields[1] + QStringLiteral(",f:") + fields[2];
}

} // namespace zovax
