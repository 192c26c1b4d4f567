#pragma once
// The one conversion point between the tool's Unicode strings and the board's
// and the files' single-byte code page (CP932, Shift-JIS).
#include <QByteArray>
#include <QString>

namespace zovax {

QByteArray toCp932(const QString& text);
QString fromCp932(const QByteArray& bytes);

// The first character of `text` (one code point, so possibly two UTF-16
// units) that toCp932 cannot write and would replace; empty when there is none.
QString firstNonCp932(const QString& text);

} // namespace zovax
