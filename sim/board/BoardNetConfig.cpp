#include "sim/board/BoardNetConfig.h"

#include <QStringList>

namespace zovax::sim {

bool NetConfig::operator==(const NetConfig& o) const
{
    return mac == o.mac && ip == o.ip && mask == o.mask && gateway == o.gateway && dns == o.dns && port == o.port
        && linkDownS == o.linkDownS && recvToutS == o.recvToutS;
}

QString NetConfig::macLine() const
{
    return QStringLiteral("M:") + mac;
}
QString NetConfig::ipLine() const
{
    return QStringLiteral("I:") + formatIp(ip);
}
QString NetConfig::maskLine() const
{
    return QStringLiteral("N:") + formatIp(mask);
}
QString NetConfig::gatewayLine() const
{
    return QStringLiteral("G:") + formatIp(gateway);
}
QString NetConfig::portLine() const
{
    return QStringLiteral("P:%1").arg(port, 5, 10, QLatin1Char('0'));
}
QString NetConfig::dnsLine() const
{
    return QStringLiteral("D:") + formatIp(dns);
}
QString NetConfig::linkDownLine() const
{
    return QStringLiteral("L:%1").arg(linkDownS, 3, 10, QLatin1Char('0'));
}
QString NetConfig::recvToutLine() const
{
    return QStringLiteral("R:%1").arg(recvToutS, 3, 10, QLatin1Char('0'));
}

QStringList NetConfig::lines() const
{
    return {macLine(), ipLine(), maskLine(), gatewayLine(), portLine(), dnsLine(), linkDownLine(), recvToutLine()};
}

QString formatIp(const Ipv4& ip)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ip[0], 3, 10, QLatin1Char('0'))
        .arg(ip[1], 3, 10, QLatin1Char('0'))
        .arg(ip[2], 3, 10, QLatin1Char('0'))
        .arg(ip[3], 3, 10, QLatin1Char('0'));
}

std::optional<Ipv4> parseIp(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    Ipv4 ip{};
    for (int i = 0; i < 4; ++i) {
        const QString f = parts[i].trimmed();
        if (f.isEmpty() || f.size() > 3)
            return std::nullopt;
        int v = 0;
        for (QChar c : f) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            v = v * 10 + (c.unicode() - '0');
        }
        if (v > 255)
            return std::nullopt;
        ip[static_cast<std::size_t>(i)] = v;
    }
    return ip;
}

QHostAddress toHostAddress(const Ipv4& ip)
{
    return QHostAddress(static_cast<quint32>((ip[0] << 24) | (ip[1] << 16) | (ip[2] << 8) | ip[3]));
}

std::optional<QString> parseMac(const QString& text)
{
    QString t = text.trimmed().toUpper();
    t.replace(QLatin1Char(':'), QLatin1Char('-'));
    const QStringList parts = t.split(QLatin1Char('-'));
    if (parts.size() != 6)
        return std::nullopt;
    for (const QString& p : parts) {
        if (p.size() != 2)
            return std::nullopt;
        for (QChar c : p) {
            const bool hex
                = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
            if (!hex)
                return std::nullopt;
        }
    }
    return parts.join(QLatin1Char('-'));
}

std::optional<int> parseDecimal(const QString& text)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

} // namespace zovax::sim
