#include "core/learning/LearnLines.h"

#include <algorithm>
#include <climits>

namespace zovax {

std::optional<int> parseDecimal(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= n)
        return std::nullopt;
    long long v = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        v = v * 10 + (c.unicode() - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX || v < INT_MIN)
        return std::nullopt;
    return static_cast<int>(v);
}

int parseIntOr(const QString& text, int fallback)
{
    return parseDecimal(QStringView(text).trimmed()).value_or(fallback);
}

int learnTimeUsFromBox(const QString& text)
{
    bool ok = false;
    const qlonglong ms = text.trimmed().toLongLong(&ok);
    if (!ok)
        return kDefaultLearningTimeMs * 1000;
    return int(std::clamp<qlonglong>(ms, 1, kMaxLearningTimeMs) * 1000);
}

namespace {
// Characters from..to (1-based, inclusive) as a number; 0 when not a number.
int fieldAt(const QString& line, int from, int to)
{
    return parseDecimal(QStringView(line).mid(from - 1, to - from + 1)).value_or(0);
}
} // namespace

WaveLineFields parseWaveLine(const QString& line)
{
    WaveLineFields f;
    if (line.size() >= 6 && line[5] == QLatin1Char(':')) {
        f.index = fieldAt(line, 2, 4);
        f.high = fieldAt(line, 7, 11);
        f.width = fieldAt(line, 13, 18);
    } else {
        f.index = fieldAt(line, 2, 5);
        f.high = fieldAt(line, 8, 12);
        f.width = fieldAt(line, 14, 20);
    }
    return f;
}

QString carrierTextOf(const QString& resultLine)
{
    constexpr int kFrom = 11; // character 12, 0-based
    const qsizetype khz = resultLine.indexOf(QLatin1String("kHz"));
    if (khz < kFrom)
        return resultLine.mid(kFrom, 4);
    return resultLine.mid(kFrom, khz - kFrom);
}

std::optional<int> parseCarrierTenths(const QString& text)
{
    const QStringView t = QStringView(text).trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negative = false;
    if (i < n && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    long long whole = 0;
    int wholeDigits = 0;
    while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
        whole = whole * 10 + (t[i].unicode() - '0');
        if (++wholeDigits > 9)
            return std::nullopt; // beyond any carrier; also keeps the tenths inside an int
        ++i;
    }
    int tenth = 0;
    int fractionDigits = 0;
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
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
