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

// Every key of the settings file in the order it is written: section, key and
// the field it holds (text or number). A key the file lacks, or a number key
// whose value is not a number, leaves the field at Settings' own default.
struct SettingKey {
    const char* section;
    const char* key;
    QString& (*text)(Settings&); // set for a text field
    int& (*number)(Settings&);   // set for a number field
};

const SettingKey kSettingKeys[] = {
    {"COMPORT", "PortName", [](Settings& s) -> QString& { return s.rs232c.PortName; }, nullptr},
    {"COMPORT", "BaudRate", nullptr, [](Settings& s) -> int& { return s.rs232c.BaudRate; }},
    {"COMPORT", "ByteSize", nullptr, [](Settings& s) -> int& { return s.rs232c.ByteSize; }},
    {"COMPORT", "StopBits", nullptr, [](Settings& s) -> int& { return s.rs232c.StopBits; }},
    {"COMPORT", "Parity__", [](Settings& s) -> QString& { return s.rs232c.Parity; }, nullptr},
    {"COMPORT", "SendHead", [](Settings& s) -> QString& { return s.rs232c.SendHead; }, nullptr},
    {"COMPORT", "SendDlmt", [](Settings& s) -> QString& { return s.rs232c.SendDlmt; }, nullptr},
    {"COMPORT", "RecvDlmt", [](Settings& s) -> QString& { return s.rs232c.RecvDlmt; }, nullptr},
    {"COMPORT", "RecvTout", nullptr, [](Settings& s) -> int& { return s.rs232c.RecvTout; }},
    {"FILE", "HexFile_", [](Settings& s) -> QString& { return s.hexFileName; }, nullptr},
    {"FILE", "CsvFile_", [](Settings& s) -> QString& { return s.tableFileName; }, nullptr},
    {"LEARN", "HRange__", nullptr, [](Settings& s) -> int& { return s.learn.hRangePercent; }},
    {"LEARN", "WRange__", nullptr, [](Settings& s) -> int& { return s.learn.wRangePercent; }},
    {"LEARN", "LTime___", nullptr, [](Settings& s) -> int& { return s.learn.learnTimeUs; }},
    {"CLCNF", "Host____", [](Settings& s) -> QString& { return s.tcpip.Host; }, nullptr},
    {"CLCNF", "Port____", nullptr, [](Settings& s) -> int& { return s.tcpip.Port; }},
    {"CLCNF", "SendHead", [](Settings& s) -> QString& { return s.tcpip.SendHead; }, nullptr},
    {"CLCNF", "SendDlmt", [](Settings& s) -> QString& { return s.tcpip.SendDlmt; }, nullptr},
    {"SVCNF", "MacAdrs_", [](Settings& s) -> QString& { return s.svcnf.MacAdrs; }, nullptr},
    {"SVCNF", "SVIP____", [](Settings& s) -> QString& { return s.svcnf.SvIP; }, nullptr},
    {"SVCNF", "SVPort__", nullptr, [](Settings& s) -> int& { return s.svcnf.SvPort; }},
    {"SVCNF", "NetMask_", [](Settings& s) -> QString& { return s.svcnf.NetMask; }, nullptr},
    {"SVCNF", "Gateway_", [](Settings& s) -> QString& { return s.svcnf.Gateway; }, nullptr},
    {"SVCNF", "PrimDNS_", [](Settings& s) -> QString& { return s.svcnf.PrimDNS; }, nullptr},
    {"SVCNF", "LinkDown", nullptr, [](Settings& s) -> int& { return s.svcnf.LinkDown; }},
    {"SVCNF", "RecvTout", nullptr, [](Settings& s) -> int& { return s.svcnf.RecvTout; }},
};

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
    for (const SettingKey& k : kSettingKeys) {
        if (k.text)
            k.text(s) = readText(d, k.section, k.key, k.text(s));
        else
            k.number(s) = readInt(d, k.section, k.key, k.number(s));
    }
    return s;
}

QByteArray settingsFileBytes(const Settings& settings)
{
    Settings s = settings; // the key table reaches the fields through a modifiable record
    QString out;
    const char* section = nullptr;
    for (const SettingKey& k : kSettingKeys) {
        if (!section || qstrcmp(section, k.section) != 0) {
            if (section)
                out += QStringLiteral("\r\n");
            section = k.section;
            out += QLatin1Char('[') + QLatin1String(section) + QStringLiteral("]\r\n");
        }
        out += QLatin1String(k.key) + QLatin1Char('=') + (k.text ? k.text(s) : QString::number(k.number(s)))
            + QStringLiteral("\r\n");
    }
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
