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

// Characters that Linux input methods produce for the code page's own
// symbols (wave dash, double vertical line, minus sign, ...) are written as
// those symbols instead of being lost. One UTF-16 unit each way.
QString foldForCp932(const QString& text)
{
    static const std::pair<char16_t, char16_t> kFold[] = {
        {0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D}, {0x00A2, 0xFFE0},
        {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x2014, 0x2015},
    };
    QString folded = text;
    for (const auto& [from, to] : kFold)
        folded.replace(QChar(from), QChar(to));
    return folded;
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
    return enc.encode(foldForCp932(text));
}

QString firstNonCp932(const QString& text)
{
    if (isAscii(text))
        return QString();
    // Opened once per thread: a table check runs this for every non-ASCII cell.
    thread_local QStringEncoder enc("CP932");
    thread_local QStringDecoder dec("CP932");
    if (!enc.isValid() || !dec.isValid())
        return QString();
    auto roundTrips = [](const QString& s) {
        enc.resetState();
        dec.resetState();
        return QString(dec.decode(QByteArray(enc.encode(s)))) == s;
    };
    const QString folded = foldForCp932(text);
    if (roundTrips(folded))
        return QString();
    // One code point at a time, to name the one that is replaced.
    for (qsizetype i = 0; i < folded.size();) {
        const qsizetype n = folded.at(i).isHighSurrogate() && i + 1 < folded.size() ? 2 : 1;
        const QString one = folded.mid(i, n);
        if (one.at(0).unicode() >= 0x80 && !roundTrips(one))
            return text.mid(i, n); // folding keeps the length
        i += n;
    }
    return QString();
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
