// Settings file: exact layout, defaults, fallbacks, CP932 text, failures.
#include "core/shell/Settings.h"
#include "core/shell/Cp932.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zovax;

namespace {

const char kDefaultFile[] = "[COMPORT]\r\n"
                            "PortName=COM3\r\n"
                            "BaudRate=115200\r\n"
                            "ByteSize=8\r\n"
                            "StopBits=1\r\n"
                            "Parity__=NONE\r\n"
                            "SendHead=\x96\xB3\x82\xB5\r\n" // "無し" in CP932
                            "SendDlmt=CRLF\r\n"
                            "RecvDlmt=CRLF\r\n"
                            "RecvTout=100\r\n"
                            "\r\n"
                            "[FILE]\r\n"
                            "HexFile_=\r\n"
                            "CsvFile_=\r\n"
                            "\r\n"
                            "[LEARN]\r\n"
                            "HRange__=20\r\n"
                            "WRange__=15\r\n"
                            "LTime___=500000\r\n"
                            "\r\n"
                            "[CLCNF]\r\n"
                            "Host____=192.168.000.100\r\n"
                            "Port____=60000\r\n"
                            "SendHead=NONE\r\n"
                            "SendDlmt=CRLF\r\n"
                            "\r\n"
                            "[SVCNF]\r\n"
                            "MacAdrs_=0A-3C-51-E0-01-00\r\n"
                            "SVIP____=192.168.000.100\r\n"
                            "SVPort__=60000\r\n"
                            "NetMask_=255.255.255.000\r\n"
                            "Gateway_=192.168.000.001\r\n"
                            "PrimDNS_=192.168.000.001\r\n"
                            "LinkDown=10\r\n"
                            "RecvTout=180\r\n";

} // namespace

TEST(Settings, DefaultsWrittenByteForByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tool.ini");
    ASSERT_TRUE(SaveSettings(LoadSettings(dir.filePath("missing.ini")), path));
    EXPECT_EQ(test::readFileBytes(path), QByteArray(kDefaultFile));
}

TEST(Settings, MissingFileGivesDefaults)
{
    const Settings s = LoadSettings("/nonexistent/dir/x.ini");
    EXPECT_EQ(s.tcpip.Host, "192.168.000.100");
    EXPECT_EQ(s.tcpip.Port, 60000);
    EXPECT_EQ(s.rs232c.PortName, "COM3");
    EXPECT_EQ(s.rs232c.BaudRate, 115200);
    EXPECT_EQ(s.rs232c.SendHead, QStringLiteral("無し"));
    EXPECT_EQ(s.learn.hRangePercent, 20);
    EXPECT_EQ(s.learn.wRangePercent, 15);
    EXPECT_EQ(s.learn.learnTimeUs, 500000);
    EXPECT_TRUE(s.tableFileName.isEmpty());
}

TEST(Settings, RoundTripKeepsEveryValue)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    Settings s;
    s.rs232c.PortName = "/dev/ttyUSB0";
    s.rs232c.BaudRate = 9600;
    s.rs232c.ByteSize = 7;
    s.rs232c.StopBits = 2;
    s.rs232c.Parity = "EVEN";
    s.rs232c.SendHead = "STX";
    s.rs232c.SendDlmt = "ETX";
    s.rs232c.RecvDlmt = QStringLiteral("無し");
    s.rs232c.RecvTout = 250;
    s.hexFileName = QStringLiteral("/tmp/ファーム.hex");
    s.tableFileName = QStringLiteral("/tmp/テーブル.Csv");
    s.learn = {25, 10, 300000};
    s.tcpip = {"010.001.002.003", 60001, "STX", "ETX"};
    s.svcnf = {"0A-3C-51-E0-01-99",
               "127.000.000.001",
               "255.000.000.000",
               "127.000.000.254",
               "127.000.000.253",
               60002,
               11,
               120};
    ASSERT_TRUE(SaveSettings(s, path));
    const Settings r = LoadSettings(path);
    EXPECT_EQ(settingsFileBytes(r), settingsFileBytes(s));
    EXPECT_EQ(r.tableFileName, s.tableFileName);
    EXPECT_EQ(r.rs232c.RecvDlmt, QStringLiteral("無し"));
    EXPECT_EQ(r.svcnf.RecvTout, 120);
    EXPECT_EQ(r.rs232c.RecvTout, 250); // same key name, other section
}

TEST(Settings, NonNumericIntegersFallBackTextsAreTakenAsTheyAre)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    ASSERT_TRUE(test::writeFileBytes(path,
                                     "[COMPORT]\nBaudRate=fast\nParity__=MARK\nStopBits=2x\n"
                                     "[CLCNF]\nPort____=\nHost____=10.0.0.1\n"
                                     "[LEARN]\nLTime___=12.5\nHRange__= 30 \n"
                                     "[SVCNF]\nLinkDown=-5\n"));
    const Settings s = LoadSettings(path);
    EXPECT_EQ(s.rs232c.BaudRate, 115200);
    EXPECT_EQ(s.rs232c.StopBits, 1);
    EXPECT_EQ(s.rs232c.Parity, "MARK");
    EXPECT_EQ(s.tcpip.Port, 60000);
    EXPECT_EQ(s.tcpip.Host, "10.0.0.1");
    EXPECT_EQ(s.learn.learnTimeUs, 500000);
    EXPECT_EQ(s.learn.hRangePercent, 30);
    EXPECT_EQ(s.svcnf.LinkDown, -5);
    EXPECT_EQ(s.svcnf.RecvTout, 180); // missing key
}

TEST(Settings, ReadOnlyFileIsNotReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ro.ini");
    ASSERT_TRUE(test::writeFileBytes(path, "[LEARN]\nHRange__=33\n"));
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    EXPECT_FALSE(SaveSettings(Settings{}, path));
    EXPECT_EQ(test::readFileBytes(path), QByteArray("[LEARN]\nHRange__=33\n"));
}

TEST(Settings, UnwritableFolderFails)
{
    EXPECT_FALSE(SaveSettings(Settings{}, "/nonexistent/dir/x.ini"));
}

TEST(Settings, PathBesideTheExecutable)
{
    EXPECT_EQ(settingsPathFor("/opt/tool/zovax-ether"), "/opt/tool/zovax-ether.ini");
    EXPECT_EQ(settingsPathFor("/opt/tool/Zovax.exe"), "/opt/tool/Zovax.ini");
}

TEST(Settings, PathsTheFileCannotHoldAreNamed)
{
    Settings s;
    s.tableFileName = QStringLiteral("/home/user/テーブル/t.Csv");
    s.hexFileName = QStringLiteral("/tmp/fw.hex");
    EXPECT_TRUE(unstorablePathsText(s).isEmpty());
    s.tableFileName = QStringLiteral("/home/josé/t.Csv");
    const QString text = unstorablePathsText(s);
    EXPECT_TRUE(text.contains(QStringLiteral("テーブルファイル: /home/josé/t.Csv\n"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("fw.hex")));
    s.hexFileName = QStringLiteral("/tmp/😀.hex");
    EXPECT_TRUE(unstorablePathsText(s).contains(QStringLiteral("ファームウェアファイル: /tmp/😀.hex")));
}

TEST(Cp932, RoundTripsJapanese)
{
    EXPECT_EQ(toCp932(QStringLiteral("無し")), QByteArray("\x96\xB3\x82\xB5"));
    EXPECT_EQ(fromCp932(toCp932(QStringLiteral("学習 On ﾃｷｽﾄ"))), QStringLiteral("学習 On ﾃｷｽﾄ"));
}

TEST(Cp932, InputMethodVariantsOfCodePageSymbolsSurvive)
{
    // U+301C (wave dash as typed on Linux) is stored as the code page's own 0x8160.
    EXPECT_EQ(toCp932(QString(QChar(0x301C))), QByteArray("\x81\x60"));
    EXPECT_EQ(toCp932(QString(QChar(0x2212))), QByteArray("\x81\x7C"));
}
