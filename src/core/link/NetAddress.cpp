#include "core/link/NetAddress.h"

#include <array>

namespace zovax {

QString NormalizeIp(const QString& text)
{
    std::array<QString, 4> fields;
    int current = 0;
    for (const QChar ch : text) {
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            if (current < 4)
                fields[current] += ch;
        } else {
            ++current; // past the fourth field everything is ignored
        }
    }
    QString out;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        int v = fields[i].toInt(&ok, 10);
        if (!ok)
            v = 0;
        if (i)
            out += QLatin1Char('.');
        out += QString::number(v);
    }
    return out;
}

} // namespace zovax
