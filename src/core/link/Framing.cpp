#include "core/link/Framing.h"

#include "core/shell/Settings.h"

namespace zovax {

namespace {
const QByteArray kStx("\x02", 1);
const QByteArray kEtx("\x03", 1);
const QByteArray kCr("\r", 1);
const QByteArray kLf("\n", 1);
const QByteArray kCrLf("\r\n", 2);
} // namespace

QByteArray tcpFrame(const QByteArray& text, const TCPIP& tcp)
{
    QByteArray f;
    f.reserve(text.size() + 3);
    if (tcp.SendHead == QLatin1String("STX"))
        f += kStx;
    f += text;
    // TCP always ends a command: anything but CR and ETX is sent as CR LF.
    if (tcp.SendDlmt == QLatin1String("CR"))
        f += kCr;
    else if (tcp.SendDlmt == QLatin1String("ETX"))
        f += kEtx;
    else
        f += kCrLf;
    return f;
}

QByteArray serialFrame(const QByteArray& text, const RS232C& serial)
{
    QByteArray f;
    f.reserve(text.size() + 3);
    if (serial.SendHead == QLatin1String("STX"))
        f += kStx;
    f += text;
    if (serial.SendDlmt == QLatin1String("CRLF"))
        f += kCrLf;
    else if (serial.SendDlmt == QLatin1String("CR"))
        f += kCr;
    else if (serial.SendDlmt == QLatin1String("LF"))
        f += kLf;
    else if (serial.SendDlmt == QLatin1String("ETX"))
        f += kEtx;
    return f; // anything else ("無し"): no delimiter
}

} // namespace zovax
