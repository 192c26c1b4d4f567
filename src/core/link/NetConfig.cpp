#include "core/link/NetConfig.h"

#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/shell/TextNumbers.h"

#include <array>
#include <utility>

namespace zovax {

namespace {

bool isAsciiAlnum(QChar c)
{
    return isAsciiDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

// A reply line's marker, the field it fills and how many characters follow it.
struct Marker {
    const char* text;
    ConfigField field;
    int length;
};

constexpr std::array<Marker, 8> kMarkers{{
    {"M:", ConfigField::MacAdrs, 17},
    {"I:", ConfigField::SvIP, 15},
    {"N:", ConfigField::NetMask, 15},
    {"G:", ConfigField::Gateway, 15},
    {"P:", ConfigField::SvPort, 5},
    {"D:", ConfigField::PrimDNS, 15},
    {"L:", ConfigField::LinkDown, 3},
    {"R:", ConfigField::RecvTout, 3},
}};

// Update's command for each field, in sending order.
struct Setter {
    ConfigField field;
    const char* command;
};

constexpr std::array<Setter, kConfigFieldCount> kSetters{{
    {ConfigField::MacAdrs, "Nmac:"},
    {ConfigField::SvIP, "Nmip:"},
    {ConfigField::SvPort, "Npno:"},
    {ConfigField::NetMask, "Nmsk:"},
    {ConfigField::Gateway, "Ngip:"},
    {ConfigField::PrimDNS, "Ndns:"},
    {ConfigField::LinkDown, "Nlnk:"},
    {ConfigField::RecvTout, "Nrcv:"},
}};

bool isAddressField(ConfigField f)
{
    return f == ConfigField::SvIP || f == ConfigField::NetMask || f == ConfigField::Gateway
        || f == ConfigField::PrimDNS;
}

QString* addressRecord(SVCNF& r, ConfigField f)
{
    switch (f) {
    case ConfigField::SvIP: return &r.SvIP;
    case ConfigField::NetMask: return &r.NetMask;
    case ConfigField::Gateway: return &r.Gateway;
    case ConfigField::PrimDNS: return &r.PrimDNS;
    default: return nullptr;
    }
}

} // namespace

int ValidPortOr(int port, int fallback)
{
    return port >= 1 && port <= 65535 ? port : fallback;
}

int PortFromText(const QString& text, int fallback)
{
    const std::optional<int> v = parseDecimal(QStringView(text).trimmed());
    return v ? ValidPortOr(*v, fallback) : fallback;
}

int SecondsFromText(const QString& text, int fallback)
{
    const std::optional<int> v = parseDecimal(QStringView(text).trimmed());
    return v && *v >= 0 ? *v : fallback;
}

QString FitAddressText(const QString& text)
{
    std::array<QString, 4> groups;
    int current = 0;
    for (const QChar ch : text) {
        if (isAsciiDigit(ch)) {
            if (current < 4)
                groups[current] += ch;
        } else {
            ++current;
        }
    }
    QString out;
    for (int i = 0; i < 4; ++i) {
        // Leading zeros do not count towards the three digits; more than three
        // significant digits cannot be shown and read as 999.
        QString digits = groups[i];
        while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
            digits.remove(0, 1);
        const int v = digits.isEmpty() ? 0 : (digits.size() > 3 ? 999 : digits.toInt());
        if (i)
            out += QLatin1Char('.');
        out += QStringLiteral("%1").arg(v, 3, 10, QLatin1Char('0'));
    }
    return out;
}

QString FitMacText(const QString& text)
{
    QString chars;
    for (const QChar ch : text) {
        if (isAsciiAlnum(ch))
            chars += ch.toUpper();
        if (chars.size() == 12)
            break;
    }
    while (chars.size() < 12)
        chars += QLatin1Char('0');
    QString out;
    for (int i = 0; i < 6; ++i) {
        if (i)
            out += QLatin1Char('-');
        out += chars.mid(2 * i, 2);
    }
    return out;
}

NetConfig::NetConfig(DeviceLink& link, std::function<QString()> commandLineText)
    : link_(link), commandLineText_(std::move(commandLineText))
{}

bool NetConfig::FormShow()
{
    LinkState& st = link_.state();
    if (st.netConfigOpen)
        return false;
    st.netConfigOpen = true;
    if (view_)
        view_->fillHostGroup();
    if (link_.acknowledgingLinkUp())
        link_.SendLine(QStringLiteral("Ncnf"));
    else
        fillFromRecord();
    return true;
}

void NetConfig::FormClose()
{
    link_.state().netConfigOpen = false;
}

void NetConfig::fillFromRecord()
{
    const SVCNF& r = link_.settings().svcnf;
    putField(ConfigField::SvIP, r.SvIP);
    putField(ConfigField::SvPort, QString::number(r.SvPort));
    putField(ConfigField::NetMask, r.NetMask);
    putField(ConfigField::Gateway, r.Gateway);
    putField(ConfigField::PrimDNS, r.PrimDNS);
    putField(ConfigField::MacAdrs, r.MacAdrs);
    putField(ConfigField::LinkDown, QString::number(r.LinkDown));
    putField(ConfigField::RecvTout, QString::number(r.RecvTout));
}

void NetConfig::putField(ConfigField f, const QString& value)
{
    // The field shows the value (masked fields fitted to their mask) and the
    // record takes what the field shows; number fields store their value.
    SVCNF& r = link_.settings().svcnf;
    QString shown = value;
    if (f == ConfigField::MacAdrs) {
        shown = FitMacText(value);
        r.MacAdrs = shown;
    } else if (isAddressField(f)) {
        shown = FitAddressText(value);
        *addressRecord(r, f) = shown;
    } else if (f == ConfigField::SvPort) {
        r.SvPort = PortFromText(value, kDefaultPort);
    } else if (f == ConfigField::LinkDown) {
        r.LinkDown = SecondsFromText(value, kDefaultLinkDownS);
    } else if (f == ConfigField::RecvTout) {
        r.RecvTout = SecondsFromText(value, kDefaultRecvToutS);
    }
    if (view_)
        view_->setFieldText(f, shown);
}

QString recordFieldText(const SVCNF& r, ConfigField f)
{
    switch (f) {
    case ConfigField::MacAdrs: return r.MacAdrs;
    case ConfigField::SvIP: return r.SvIP;
    case ConfigField::SvPort: return QString::number(r.SvPort);
    case ConfigField::NetMask: return r.NetMask;
    case ConfigField::Gateway: return r.Gateway;
    case ConfigField::PrimDNS: return r.PrimDNS;
    case ConfigField::LinkDown: return QString::number(r.LinkDown);
    case ConfigField::RecvTout: return QString::number(r.RecvTout);
    }
    return QString();
}

QString NetConfig::readField(ConfigField f) const
{
    if (view_)
        return view_->fieldText(f);
    return recordFieldText(link_.settings().svcnf, f);
}

void NetConfig::HandleConfigLine(const QString& line)
{
    LinkState& st = link_.state();
    if (st.consoleConfigMode)
        link_.receiveLog().append(line);

    for (const Marker& m : kMarkers) {
        const int at = line.indexOf(QLatin1String(m.text));
        if (at < 0)
            continue;
        const QString value = line.mid(at + 2, m.length);
        putField(m.field, value);
        link_.SetReplyAck();

        Settings& s = link_.settings();
        if (m.field == ConfigField::SvIP && st.netConfigOpen) {
            // The board's new address becomes the tool's target.
            s.tcpip.Host = s.svcnf.SvIP;
            if (view_)
                view_->setTargetHost(s.tcpip.Host);
        } else if (m.field == ConfigField::SvPort && st.netConfigOpen) {
            s.tcpip.Port = s.svcnf.SvPort;
            if (view_)
                view_->setTargetPort(s.tcpip.Port);
            emit hostPanelShown(s.tcpip.Host + QLatin1Char('/') + QString::number(s.tcpip.Port));
        } else if (m.field == ConfigField::RecvTout) {
            // "R:" ends the board's configuration report.
            if (!updateRunning_)
                ShowConfigGroup(true);
            const QString cmd = commandLineText_ ? commandLineText_() : QString();
            if (cmd == QLatin1String("Q") || cmd == QLatin1String("Quit"))
                st.consoleConfigMode = false;
        }
        return;
    }
    if (line.contains(QLatin1String("System Reset"))) {
        // The board restarts: hang up (the group hides with the disconnect).
        emit hangUpRequested();
    }
}

void NetConfig::Update()
{
    if (updateRunning_)
        return;
    updateRunning_ = true;
    if (view_)
        view_->setUpdateCaption(QStringLiteral("..."));
    const SVCNF& r = link_.settings().svcnf;
    for (const Setter& set : kSetters) {
        // Store the field as the record takes it, then send the stored value.
        putField(set.field, readField(set.field));
        const QString value = recordFieldText(r, set.field);
        if (view_ && !isAddressField(set.field) && set.field != ConfigField::MacAdrs)
            view_->setFieldText(set.field, value); // a number field shows what was sent
        const QString command = QLatin1String(set.command) + value;
        link_.SendLine(command);
        // A missing reply is not an error: the sequence goes on. It is listed,
        // so that a board that took nothing is not mistaken for one that did.
        if (!link_.WaitAck(kReplyWaitMs))
            link_.receiveLog().append(command + QStringLiteral(": no answer"));
    }
    updateRunning_ = false;
    // The caption stays "..." until the group is shown again.
    link_.SendLine(QStringLiteral("Nsav"));
}

void NetConfig::MacLabelDblClick()
{
    if (view_)
        view_->enableMacField();
    link_.SendLine(QStringLiteral("Nmac:?"));
}

void NetConfig::ShowConfigGroup(bool enabled)
{
    if (enabled)
        updateRunning_ = false;
    if (view_)
        view_->ShowConfigGroup(enabled);
}

} // namespace zovax
