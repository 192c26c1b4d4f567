#pragma once
// Small readers of numbers in board lines and file fields.
#include <QChar>

namespace zovax {

// Value of one hexadecimal digit (upper or lower case), -1 when c is none.
inline int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

} // namespace zovax
