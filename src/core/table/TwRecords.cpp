#include "core/table/TwRecords.h"

#include <algorithm>

namespace zovax {

int boundedDataCount(const TableEntry& e)
{
    return std::clamp(e.dataCount, 0, kDataSymbols);
}

QStringList entryHeadRecords(const TableEntry& e)
{
    return {QStringLiteral("Twf:000"), QString::asprintf("Twc:%03d", e.carrier),
            QString::asprintf("Twb:%03d", boundedDataCount(e)), QString::asprintf("Twr:%03d", e.repeat)};
}

QString twpRecord(int index, int32_t high, int32_t width)
{
    return QString::asprintf("Twp:%01X:%05d,%06d", unsigned(index) & 0x0Fu, high, width);
}

QString twdRecord(const TableEntry& e)
{
    static const char kHex[] = "0123456789ABCDEF";
    const int count = boundedDataCount(e);
    QByteArray line;
    line.reserve(4 + count + 1);
    line += "Twd:";
    for (int k = 0; k < count; ++k)
        line += kHex[e.data[size_t(k)] & 0x0F];
    if (count % 2)
        line += line.back(); // the board takes the digits two at a time
    return QString::fromLatin1(line);
}

int registrationPairCount(const TableEntry& e)
{
    for (int i = 0; i < kPatternPairs; ++i) {
        if (e.high[size_t(i)] == 0 && e.width[size_t(i)] == 0)
            return i + 1; // the all-zero pair ends the list and is sent too
    }
    return kPatternPairs;
}

QStringList registrationRecords(const TableEntry& e)
{
    QStringList out = entryHeadRecords(e);
    const int pairs = registrationPairCount(e);
    out.reserve(out.size() + pairs + 1);
    for (int i = 0; i < pairs; ++i)
        out << twpRecord(i, e.high[size_t(i)], e.width[size_t(i)]);
    out << twdRecord(e);
    return out;
}

QString twsRecord(int entryNumber)
{
    return QString::asprintf("Tws:%03d", entryNumber);
}

QString twlRecord(int entryNumber)
{
    return QString::asprintf("Twl:%03d", entryNumber);
}

} // namespace zovax
