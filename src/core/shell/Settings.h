#pragma once
// Persistent settings: the serial port, the TCP client, the board's own network
// configuration, the learning parameters and the two remembered file paths.
// Read once when the main window is created, written once when it closes.
#include <QString>

namespace zovax {

// Serial port settings (section "COMPORT").
struct RS232C {
    QString PortName = QStringLiteral("COM3");
    int BaudRate = 115200;
    int ByteSize = 8;
    int StopBits = 1;
    QString Parity = QStringLiteral("NONE");
    QString SendHead = QStringLiteral("無し");
    QString SendDlmt = QStringLiteral("CRLF");
    QString RecvDlmt = QStringLiteral("CRLF");
    int RecvTout = 100; // receive idle time-out, ms
};

// TCP client settings (section "CLCNF").
struct TCPIP {
    QString Host = QStringLiteral("192.168.000.100"); // zero-padded dotted form, as typed
    int Port = 60000;
    QString SendHead = QStringLiteral("NONE");
    QString SendDlmt = QStringLiteral("CRLF");
};

// The board's own network configuration, as last read or written (section "SVCNF").
struct SVCNF {
    QString MacAdrs = QStringLiteral("0A-3C-51-E0-01-00");
    QString SvIP = QStringLiteral("192.168.000.100");
    QString NetMask = QStringLiteral("255.255.255.000");
    QString Gateway = QStringLiteral("192.168.000.001");
    QString PrimDNS = QStringLiteral("192.168.000.001");
    int SvPort = 60000;
    int LinkDown = 10;  // s
    int RecvTout = 180; // s
};

// Learning parameters (section "LEARN").
struct LearnParams {
    int hRangePercent = 20;
    int wRangePercent = 15;
    int learnTimeUs = 500000;
};

struct Settings {
    RS232C rs232c;
    TCPIP tcpip;
    SVCNF svcnf;
    LearnParams learn;
    QString hexFileName;   // last firmware file (section "FILE", key "HexFile_")
    QString tableFileName; // last table file, reopened at start-up ("CsvFile_")
};

// The settings file of a program: its full path with the extension replaced by ".ini".
QString settingsPathFor(const QString& executablePath);

// Reads every key with its default; a missing file, section or key, or an integer
// key that is not an integer, yields the default. Never fails.
Settings LoadSettings(const QString& path);
// The same from the file's bytes.
Settings settingsFromBytes(const QByteArray& bytes);

// Writes every key in the file's fixed order (CP932, CR LF). Returns false when the
// file could not be written; the previous file is then left as it was.
bool SaveSettings(const Settings& s, const QString& path);

// The exact bytes SaveSettings writes.
QByteArray settingsFileBytes(const Settings& s);

// The remembered file paths (table, firmware) that the settings file, written
// in CP932, cannot hold as they are: such a path comes back changed and its
// file is not reopened. Empty when every path can be written. Otherwise the
// message for the user, one line per such path.
QString unstorablePathsText(const Settings& s);

} // namespace zovax
