#pragma once
// Framing of one command: optional header byte, the command text, delimiter.
#include <QByteArray>
#include <QString>

namespace zovax {

struct TCPIP;
struct RS232C;

QByteArray tcpFrame(const QByteArray& text, const TCPIP& tcp);
QByteArray serialFrame(const QByteArray& text, const RS232C& serial);

} // namespace zovax
