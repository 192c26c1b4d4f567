#include "core/shell/Settings.h"

#include "core/shell/Cp932.h"
#include "core/shell/TextNumbers.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringList>

namespace zovax {

namespace {

// Parsed file: section name (case-insensitive) -> key (case-insensitive) -> value.
using Section = QHash<QString, QString>;
using IniData = QHash<QString, Section>;

IniData parseIni(const QByteArray& bytes)
{
    IniData data;
    const QString text = fromCp932(bytes);
    QString current;
    bool inSection = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
            continue;
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            current = t.mid(1, t.size() - 2).trimmed().toUpper();
            inSection = true;
            continue;
        }
        if (!inSection)
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toUpper();
        Section& sec = data[current];
        if (!sec.contains(key)) // the first occurrence wins, as in the usual INI readers
            sec.insert(key, line.mid(eq + 1).trimmed());
    }
    return data;
}

QString readText(const IniData& d, const char* section, const char* key, const QString& def)
{
    const auto s = d.constFind(QString::fromLatin1(section).toUpper());
    if (s == d.constEnd())
        return def;
    const auto v = s->constFind(QString::fromLatin1(key).toUpper());
    return v == s->constEnd() ? def : *v;
}

int readInt(const IniData& d, const char* section, const char* key, int def)
{
    return parseIntOr(readText(d, section, key, QString()), def);
}

} // namespace

QString settingsPathFor(const QString& executablePath)
{
    const QFileInfo fi(executablePath);
    return fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".ini");
}

Settings LoadSettings(const QString& path)
{
    QFile f(path);
    return settingsFromBytes(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
}

Settings settingsFromBytes(const QByteArray& bytes)
{
    Settings s;
    const IniData d = parseIni(bytes);

    RS232C& c = s.rs232c;
    c.PortName = readText(d, "COMPORT", "PortName", c.PortName);
    c.BaudRate = readInt(d, "COMPORT", "BaudRate", c.BaudRate);
    c.ByteSize = readInt(d, "COMPORT", "ByteSize", c.ByteSize);
    c.StopBits = readInt(d, "COMPORT", "StopBits", c.StopBits);
    c.Parity = readText(d, "COMPORT", "Parity__", c.Parity);
    c.SendHead = readText(d, "COMPORT", "SendHead", c.SendHead);
    c.SendDlmt = readText(d, "COMPORT", "SendDlmt", c.SendDlmt);
    c.RecvDlmt = readText(d, "COMPORT", "RecvDlmt", c.RecvDlmt);
    c.RecvTout = readInt(d, "COMPORT", "RecvTout", c.RecvTout);

    s.hexFileName = readText(d, "FILE", "HexFile_", s.hexFileName);
    s.tableFileName = readText(d, "FILE", "CsvFile_", s.tableFileName);

    s.learn.hRangePercent = readInt(d, "LEARN", "HRange__", s.learn.hRangePercent);
    s.learn.wRangePercent = readInt(d, "LEARN", "WRange__", s.learn.wRangePercent);
    s.learn.learnTimeUs = readInt(d, "LEARN", "LTime___", s.learn.learnTimeUs);

    TCPIP& t = s.tcpip;
    t.Host = readText(d, "CLCNF", "Host____", t.Host);
    t.Port = readInt(d, "CLCNF", "Port____", t.Port);
    t.SendHead = readText(d, "CLCNF", "SendHead", t.SendHead);
    t.SendDlmt = readText(d, "CLCNF", "SendDlmt", t.SendDlmt);

    SVCNF& n = s.svcnf;
    n.MacAdrs = readText(d, "SVCNF", "MacAdrs_", n.MacAdrs);
    n.SvIP = readText(d, "SVCNF", "SVIP____", n.SvIP);
    n.SvPort = readInt(d, "SVCNF", "SVPort__", n.SvPort);
    n.NetMask = readText(d, "SVCNF", "NetMask_", n.NetMask);
    n.Gateway = readText(d, "SVCNF", "Gateway_", n.Gateway);
    n.PrimDNS = readText(d, "SVCNF", "PrimDNS_", n.PrimDNS);
    n.LinkDown = readInt(d, "SVCNF", "LinkDown", n.LinkDown);
    n.RecvTout = readInt(d, "SVCNF", "RecvTout", n.RecvTout);
    return s;
}

QByteArray settingsFileBytes(const Settings& s)
{
    QString out;
    auto section = [&out](const char* name) {
        if (!out.isEmpty())
            out += QStringLiteral("\r\n");
        out += QLatin1Char('[') + QLatin1String(name) + QStringLiteral("]\r\n");
    };
    auto text = [&out](const char* key, const QString& v) {
        out += QLatin1String(key) + QLatin1Char('=') + v + QStringLiteral("\r\n");
    };
    auto num = [&text](const char* key, int v) { text(key, QString::number(v)); };

    const RS232C& c = s.rs232c;
    section("COMPORT");
    text("PortName", c.PortName);
    num("BaudRate", c.BaudRate);
    num("ByteSize", c.ByteSize);
    num("StopBits", c.StopBits);
    text("Parity__", c.Parity);
    text("SendHead", c.SendHead);
    text("SendDlmt", c.SendDlmt);
    text("RecvDlmt", c.RecvDlmt);
    num("RecvTout", c.RecvTout);

    section("FILE");
    text("HexFile_", s.hexFileName);
    text("CsvFile_", s.tableFileName);

    section("LEARN");
    num("HRange__", s.learn.hRangePercent);
    num("WRange__", s.learn.wRangePercent);
    num("LTime___", s.learn.learnTimeUs);

    const TCPIP& t = s.tcpip;
    section("CLCNF");
    text("Host____", t.Host);
    num("Port____", t.Port);
    text("SendHead", t.SendHead);
    text("SendDlmt", t.SendDlmt);

    const SVCNF& n = s.svcnf;
    section("SVCNF");
    text("MacAdrs_", n.MacAdrs);
    text("SVIP____", n.SvIP);
    num("SVPort__", n.SvPort);
    text("NetMask_", n.NetMask);
    text("Gateway_", n.Gateway);
    text("PrimDNS_", n.PrimDNS);
    num("LinkDown", n.LinkDown);
    num("RecvTout", n.RecvTout);
    return toCp932(out);
}

bool SaveSettings(const Settings& s, const QString& path)
{
    // Written to a temporary file and renamed over the old one, so that a failure
    // never leaves a half-written settings file. A file marked read-only is left
    // alone even for a user (root) whom the system would let write it.
    const QFileInfo fi(path);
    if (fi.exists() && !(fi.permissions() & QFileDevice::WriteOwner))
        return false;
    QSaveFile f(path);
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = settingsFileBytes(s);
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QString unstorablePathsText(const Settings& s)
{
    QString lines;
    const std::pair<const char16_t*, const QString*> paths[] = {
        {u"テーブルファイル", &s.tableFileName},
        {u"ファームウェアファイル", &s.hexFileName},
    };
    for (const auto& [what, path] : paths) {
        if (!firstNonCp932(*path).isEmpty())
            lines += QString::fromUtf16(what) + QStringLiteral(": ") + *path + QLatin1Char('\n');
    }
    if (lines.isEmpty())
        return QString();
    return QStringLiteral("次のパスには設定ファイルの文字コード (Shift-JIS) にない文字があるため、"
                          "次回の起動時に自動では開かれません:\n")
        + lines;
}

} // namespace zovax
