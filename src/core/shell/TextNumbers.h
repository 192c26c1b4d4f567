#pragma once
// The readers of numbers in board lines, file fields and typed boxes, and the
// carrier text. Every reader of a decimal or hexadecimal number in the tool
// goes through here, so that "what counts as a number" is decided once:
// ASCII digits only, an optional sign where a value may be negative, blanks
// only where a reader says so, and nothing that does not fit an int.
#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

namespace zovax {

// '0'..'9' only: a full-width or other Unicode digit is not a digit here.
inline bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Value of one hexadecimal digit (upper or lower case), -1 when c is none.
inline int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

inline int hexDigitValue(QChar c)
{
    return c.unicode() < 0x80 ? hexDigitValue(char(c.unicode())) : -1;
}

inline bool isHexDigit(QChar c)
{
    return hexDigitValue(c) >= 0;
}

// An optional sign, then decimal digits and nothing else, as an int; nullopt
// when the bytes are not such a number or it does not fit. For file fields
// read before their text is decoded.
std::optional<int> parseDecimal(const char* begin, const char* end);

// A decimal integer: leading blanks, an optional sign, then digits only.
// nullopt when the text is not such a number or does not fit an int.
std::optional<int> parseDecimal(QStringView text);

// A number typed into a box or written in a field (blanks and other white
// space around it allowed), or `fallback`.
int parseIntOr(QStringView text, int fallback);

// A number (white space around it allowed) within lo..hi; nullopt otherwise.
std::optional<int> parseBounded(QStringView text, int lo, int hi);

// Decimal digits only (no sign, at most six, white space around allowed) with a
// value within lo..hi. For boxes where a sign or an exponent must be refused.
bool digitsWithin(QStringView text, int lo, int hi);

// The carrier, kept in tenths of a kHz everywhere (380 = 38.0 kHz), as text:
// "38.0kHz". `wholeWidth` pads the whole kHz to that many characters with
// blanks (" 8.0kHz" for width 2), as the receive log aligns it.
QString carrierText(int tenths, int wholeWidth = 0);
// The number part alone ("38.0"), for texts that set the unit apart.
QString carrierNumber(int tenths, int wholeWidth = 0);

// A carrier text in kHz ("38", "38.0", "36.75") with "." as the point, times
// 10, truncated toward zero (36.75 -> 367). Blanks around it and a sign are
// allowed; nullopt when it is not such a number.
std::optional<int> parseCarrierTenths(QStringView text);

} // namespace zovax
