#include "core/firmware/HexCheck.h"

#include "core/shell/TextNumbers.h"

#include <vector>

namespace zovax {

namespace {

// Checks one non-empty line; on a fault returns false with `why` set.
// `base` is the address the type 02/04 records have set so far.
bool checkRecord(const QByteArray& line, uint32_t& base, bool& end, int& dataRecords, QString& why)
{
    if (line[0] != ':') {
        why = QStringLiteral("not a record (does not start with \":\")");
        return false;
    }
    const qsizetype digits = line.size() - 1;
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(digits / 2));
    for (qsizetype i = 1; i < line.size(); i += 2) {
        const int hi = hexDigitValue(line[i]);
        const int lo = i + 1 < line.size() ? hexDigitValue(line[i + 1]) : 0;
        if (hi < 0 || lo < 0) {
            const qsizetype at = hi < 0 ? i : i + 1;
            why = QStringLiteral("not a hexadecimal digit at column %1").arg(at + 1);
            return false;
        }
        bytes.push_back(uint8_t(hi * 16 + lo));
    }
    if (digits % 2 != 0) {
        why = QStringLiteral("odd number of digits");
        return false;
    }
    if (bytes.size() < 5) {
        why = QStringLiteral("record too short");
        return false;
    }
    const int count = bytes[0];
    if (size_t(count) + 5 != bytes.size()) {
        why = QStringLiteral("byte count %1 does not match the %2 data bytes").arg(count).arg(bytes.size() - 5);
        return false;
    }
    unsigned sum = 0;
    for (uint8_t b : bytes)
        sum += b;
    if ((sum & 0xFF) != 0) {
        const unsigned expected = (0x100 - ((sum - bytes.back()) & 0xFF)) & 0xFF;
        why = QString::asprintf("checksum %02X, the record's bytes give %02X", unsigned(bytes.back()), expected);
        return false;
    }
    const uint32_t offset = (uint32_t(bytes[1]) << 8) | bytes[2];
    const int type = bytes[3];
    auto needs = [&](int n) {
        if (count == n)
            return true;
        why = QStringLiteral("record type %1 needs %2 data bytes, has %3")
                  .arg(type, 2, 10, QLatin1Char('0'))
                  .arg(n)
                  .arg(count);
        return false;
    };
    switch (type) {
    case 0x00: {
        if (count == 0) {
            why = QStringLiteral("data record without data");
            return false;
        }
        const uint64_t first = uint64_t(base) + offset;
        const uint64_t last = first + uint64_t(count) - 1;
        if (first < kFlashFirst || last > kFlashLast) {
            why = QString::asprintf("address 0x%08llX lies outside the board's flash (0x%08X to 0x%08X)",
                                    static_cast<unsigned long long>(first < kFlashFirst ? first : last), kFlashFirst,
                                    kFlashLast);
            return false;
        }
        ++dataRecords;
        return true;
    }
    case 0x01:
        if (!needs(0))
            return false;
        end = true;
        return true;
    case 0x02:
        if (!needs(2))
            return false;
        base = ((uint32_t(bytes[4]) << 8) | bytes[5]) << 4;
        return true;
    case 0x04:
        if (!needs(2))
            return false;
        base = ((uint32_t(bytes[4]) << 8) | bytes[5]) << 16;
        return true;
    case 0x05: return needs(4);
    default:
        why = QString::asprintf("record type %02X is not taken (00, 01, 02, 04, 05)", unsigned(type));
        return false;
    }
}

} // namespace

HexCheck checkHexImage(const QByteArray& content)
{
    HexCheck r;
    uint32_t base = 0;
    bool end = false;
    int lineNo = 0;
    const qsizetype n = content.size();
    qsizetype pos = 0;
    while (pos < n) {
        qsizetype stop = pos;
        while (stop < n && content[stop] != '\r' && content[stop] != '\n')
            ++stop;
        ++lineNo;
        const QByteArray line = content.mid(pos, stop - pos);
        // One line end: CR, LF or CR LF.
        pos = stop;
        if (pos < n && content[pos] == '\r')
            ++pos;
        if (pos < n && content[pos] == '\n')
            ++pos;
        if (line.isEmpty())
            continue;
        if (end) {
            r.line = lineNo;
            r.reason = QStringLiteral("text after the end-of-file record");
            return r;
        }
        QString why;
        if (!checkRecord(line, base, end, r.dataRecords, why)) {
            r.line = lineNo;
            r.reason = why;
            return r;
        }
        ++r.records;
    }
    if (!end) {
        r.line = lineNo + 1;
        r.reason = QStringLiteral("no end-of-file record");
        return r;
    }
    if (r.dataRecords == 0) {
        r.line = lineNo;
        r.reason = QStringLiteral("no data records");
        return r;
    }
    r.ok = true;
    r.extent = scanHexExtent(content);
    return r;
}

QString hexCheckText(const HexCheck& check)
{
    if (check.ok)
        return QStringLiteral("File check OK: %1 records").arg(check.records);
    return QStringLiteral("File check failed: line %1: %2").arg(check.line).arg(check.reason);
}

} // namespace zovax
