#include "core/firmware/HexScan.h"

#include <QDir>
#include <QFile>

namespace zovax {

namespace {

// Four hexadecimal digits at content[at..at+3]; 0 when any is missing or not a digit.
uint16_t hex4(const QByteArray& content, qsizetype at)
{
    if (at < 0 || at + 4 > content.size())
        return 0;
    uint16_t v = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const char c = content[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return 0;
        v = uint16_t(v * 16 + d);
    }
    return v;
}

QString cantOpen(const QString& path)
{
    return QStringLiteral("Can't open ... ") + QDir::toNativeSeparators(path);
}

} // namespace

int sectorForAddress(uint32_t lastAddress)
{
    const int32_t a = int32_t(lastAddress);
    if (a < 0x0800C000)
        return 2;
    if (a < 0x08010000)
        return 3;
    if (a < 0x08020000)
        return 4;
    if (a < 0x08040000)
        return 5;
    if (a < 0x08060000)
        return 6;
    return 7;
}

HexExtent scanHexExtent(const QByteArray& content)
{
    HexExtent e;
    const qsizetype n = content.size();
    qsizetype i = 0;
    while ((i = content.indexOf(':', i)) >= 0) {
        if (i + 2 < n && content[i + 1] == '0' && content[i + 2] == '0')
            break; // end-of-file record
        const char typeDigit = i + 8 < n ? content[i + 8] : '\0';
        if (typeDigit == '4') {
            e.upper = hex4(content, i + 9);
            i += 13; // over the upper address digits
            continue;
        }
        if (typeDigit == '0')
            e.lower = hex4(content, i + 3);
        ++i;
    }
    e.lastSector = sectorForAddress(e.lastAddress());
    return e;
}

QString extentText(const HexExtent& e)
{
    return QString::asprintf("LastAdrs[0x%04X:%04X] EraseSector:%d", unsigned(e.upper), unsigned(e.lower),
                             e.lastSector);
}

bool readHexFile(const QString& path, QByteArray& content, QString& message)
{
    content.clear();
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        message = cantOpen(path);
        return false;
    }
    if (f.size() > kMaxHexFileBytes) {
        message = cantOpen(path) + QStringLiteral(" (too large)");
        return false;
    }
    content = f.read(kMaxHexFileBytes + 1);
    if (content.size() > kMaxHexFileBytes || f.error() != QFileDevice::NoError) {
        content.clear();
        message = cantOpen(path);
        return false;
    }
    return true;
}

HexFileScan scanHexFile(const QString& path)
{
    HexFileScan r;
    QByteArray content;
    if (!readHexFile(path, content, r.message))
        return r;
    r.ok = true;
    r.extent = scanHexExtent(content);
    r.message = extentText(r.extent);
    return r;
}

} // namespace zovax
