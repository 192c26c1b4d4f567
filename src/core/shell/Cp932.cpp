#include "core/shell/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zovax {

namespace {

bool isAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

QByteArray toCp932(const QString& text)
{
    // Commands and most file texts are plain ASCII, which the code page keeps
    // byte for byte: no converter needed.
    if (isAscii(text))
        return text.toLatin1();
    QStringEncoder enc("CP932");
    if (!enc.isValid())
        return text.toLatin1();
    // Characters that Linux input methods produce for the code page's own
    // symbols (wave dash, double vertical line, minus sign, ...) are written as
    // those symbols instead of being lost.
    static const std::pair<char16_t, char16_t> kFold[] = {
        {0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D}, {0x00A2, 0xFFE0},
        {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x2014, 0x2015},
    };
    QString folded = text;
    for (const auto& [from, to] : kFold)
        folded.replace(QChar(from), QChar(to));
    return enc.encode(folded);
}

QString fromCp932(const QByteArray& bytes)
{
    bool ascii = true;
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder dec("CP932");
    if (!dec.isValid())
        return QString::fromLatin1(bytes);
    return dec.decode(bytes);
}

} // namespace zovax
