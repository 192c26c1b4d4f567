#pragma once
// The one conversion point between the tool's Unicode strings and the board's
// and the files' single-byte code page (CP932, Shift-JIS).
#include <QByteArray>
#include <QString>

namespace zovax {

QByteArray toCp932(const QString& text);
QString fromCp932(const QByteArray& bytes);

} // namespace zovax
