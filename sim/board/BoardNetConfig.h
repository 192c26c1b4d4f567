#pragma once
// The board's own network configuration and the text forms it uses on the
// wire: zero-padded dotted addresses ("127.000.000.001") and a MAC address of
// six hex pairs joined by "-".
#include <QHostAddress>
#include <QString>

#include <array>
#include <optional>

namespace zovax::sim {

using Ipv4 = std::array<int, 4>;

struct NetConfig {
    QString mac = QStringLiteral("0A-3C-51-E0-01-00");
    Ipv4 ip{127, 0, 0, 1};
    Ipv4 mask{255, 0, 0, 0};
    Ipv4 gateway{127, 0, 0, 1};
    Ipv4 dns{127, 0, 0, 1};
    int port = 60000;    // TCP port the board listens on
    int linkDownS = 10;  // link-down time-out, s (reported only)
    int recvToutS = 180; // receive time-out, s (reported only)

    bool operator==(const NetConfig& o) const;
    bool operator!=(const NetConfig& o) const { return !(*this == o); }

    // The eight reply lines "M:", "I:", "N:", "G:", "P:", "D:", "L:", "R:" in
    // that order, fixed widths (17, 15, 15, 15, 5, 15, 3, 3 characters).
    QStringList lines() const;
    QString macLine() const;
    QString ipLine() const;
    QString maskLine() const;
    QString gatewayLine() const;
    QString portLine() const;
    QString dnsLine() const;
    QString linkDownLine() const;
    QString recvToutLine() const;
};

// "127.000.000.001"
QString formatIp(const Ipv4& ip);
// Four decimal fields (leading zeros and surrounding blanks allowed, each
// 0..255) joined by "."; nullopt otherwise. Zero-padded fields are decimal.
std::optional<Ipv4> parseIp(const QString& text);
QHostAddress toHostAddress(const Ipv4& ip);
// The simulator only ever listens on and reports 127.x.x.x.
inline bool isLoopback(const Ipv4& ip)
{
    return ip[0] == 127;
}

// Six pairs of hex digits separated by "-" or ":"; returned upper case with "-".
std::optional<QString> parseMac(const QString& text);

// A plain non-negative decimal number of 1..9 digits (no sign, no blanks).
std::optional<int> parseDecimal(const QString& text);

} // namespace zovax::sim
