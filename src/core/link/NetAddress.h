#pragma once
// Address text helpers for the TCP link.
#include <QString>

namespace zovax {

// "192.168.000.100" -> "192.168.0.100". Digits go into the current field; any
// other character moves to the next field. Only four fields are kept: text after
// the fourth field is ignored. Each field is read as a decimal number (so
// zero-padded parts are never octal), 0 when empty or out of range.
QString NormalizeIp(const QString& text);

} // namespace zovax
