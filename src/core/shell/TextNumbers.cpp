#include "core/shell/TextNumbers.h"

#include <climits>

namespace zovax {

namespace {

// The one decimal rule behind both character types: an optional sign, at least
// one ASCII digit, nothing else; the value must fit an int.
template <typename It, typename ToCode> std::optional<int> signedDecimal(It p, It end, ToCode code)
{
    bool negative = false;
    if (p != end && (code(*p) == '-' || code(*p) == '+')) {
        negative = code(*p) == '-';
        ++p;
    }
    if (p == end)
        return std::nullopt;
    long long v = 0;
    for (; p != end; ++p) {
        const unsigned c = code(*p);
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX || v < INT_MIN)
        return std::nullopt;
    return static_cast<int>(v);
}

} // namespace

std::optional<int> parseDecimal(const char* begin, const char* end)
{
    return signedDecimal(begin, end, [](char c) { return unsigned(uchar(c)); });
}

std::optional<int> parseDecimal(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    const QStringView t = text.mid(i);
    return signedDecimal(t.begin(), t.end(), [](QChar c) { return unsigned(c.unicode()); });
}

int parseIntOr(QStringView text, int fallback)
{
    return parseDecimal(text.trimmed()).value_or(fallback);
}

std::optional<int> parseBounded(QStringView text, int lo, int hi)
{
    const std::optional<int> v = parseDecimal(text.trimmed());
    if (!v || *v < lo || *v > hi)
        return std::nullopt;
    return v;
}

bool digitsWithin(QStringView text, int lo, int hi)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 6)
        return false;
    for (const QChar c : t) {
        if (!isAsciiDigit(c))
            return false;
    }
    const int v = *parseDecimal(t);
    return v >= lo && v <= hi;
}

QString carrierNumber(int tenths, int wholeWidth)
{
    // Sign apart, so that -5 reads "-0.5" and not "0.-5".
    const long long v = tenths;
    const long long a = v < 0 ? -v : v;
    QString whole = QString::number(a / 10);
    if (v < 0)
        whole.prepend(QLatin1Char('-'));
    return whole.rightJustified(wholeWidth, QLatin1Char(' ')) + QLatin1Char('.') + QChar(u'0' + int(a % 10));
}

QString carrierText(int tenths, int wholeWidth)
{
    return carrierNumber(tenths, wholeWidth) + QStringLiteral("kHz");
}

std::optional<int> parseCarrierTenths(QStringView text)
{
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negative = false;
    if (i < n && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    long long whole = 0;
    int wholeDigits = 0;
    while (i < n && isAsciiDigit(t[i])) {
        whole = whole * 10 + (t[i].unicode() - '0');
        if (++wholeDigits > 9)
            return std::nullopt; // beyond any carrier; also keeps the tenths inside an int
        ++i;
    }
    int tenth = 0;
    int fractionDigits = 0;
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isAsciiDigit(t[i])) {
            if (fractionDigits == 0)
                tenth = t[i].unicode() - '0';
            ++fractionDigits;
            ++i;
        }
    }
    if (i != n || wholeDigits + fractionDigits == 0)
        return std::nullopt;
    const long long v = whole * 10 + tenth;
    return static_cast<int>(negative ? -v : v);
}

} // namespace zovax
