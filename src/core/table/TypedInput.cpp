#include "core/table/TypedInput.h"

#include "core/shell/TextNumbers.h"

namespace zovax {

QString checkTypedFrames(const QString& text)
{
    if (text.trimmed().isEmpty() || digitsWithin(text, kMinFrames, kMaxFrames))
        return {};
    return QStringLiteral("Frames は %1～%2 の数字で入力して下さい。").arg(kMinFrames).arg(kMaxFrames);
}

QString checkTypedCarrier(const QString& text)
{
    if (digitsWithin(text, kMinCarrier, kMaxCarrier))
        return {};
    return QStringLiteral("Carry は %1～%2 (0.1kHz 単位、380 = 38.0kHz) の数字で入力して下さい。")
        .arg(kMinCarrier)
        .arg(kMaxCarrier);
}

} // namespace zovax
