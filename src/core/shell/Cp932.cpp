#include "core/shell/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zovax {

QByteArray toCp932(const QString& text)
{
    QStringEncoder enc("CP932");
    if (!enc.isValid())
        return text.toLatin1();
    return enc.encode(text);
}

QString fromCp932(const QByteArray& bytes)
{
    QStringDecoder dec("CP932");
    if (!dec.isValid())
        return QString::fromLatin1(bytes);
    return dec.decode(bytes);
}

} // namespace zovax
