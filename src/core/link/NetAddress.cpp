#include "core/link/NetAddress.h"

#include "core/shell/TextNumbers.h"

#include <array>

namespace zovax {

QString NormalizeIp(const QString& text)
{
    std::array<QString, 4> fields;
    int current = 0;
    for (const QChar ch : text) {
        if (isAsciiDigit(ch)) {
            if (current < 4)
                fields[current] += ch;
        } else {
            ++current; // past the fourth field everything is ignored
        }
    }
    QString out;
    for (int i = 0; i < 4; ++i) {
        if (i)
            out += QLatin1Char('.');
        out += QString::number(parseIntOr(fields[i], 0));
    }
    return out;
}

} // namespace zovax
