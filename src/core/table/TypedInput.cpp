#include "core/table/TypedInput.h"

namespace zovax {

namespace {

// Decimal digits only (after removing surrounding blanks), within lo..hi.
bool digitsWithin(const QString& text, int lo, int hi)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 6)
        return false;
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    const int v = t.toInt();
    return v >= lo && v <= hi;
}

} // namespace

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
