// The serial port: line settings, failed opens and the loss of the device
// (exchanging lines and the idle time-out are run against the board simulator).
#include "core/link/SerialPort.h"

#include "app/FakePorts.h"
#include "core/shell/Settings.h"
#include "support/LinkRig.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

using namespace zovax;
using test::waitUntil;

namespace {

struct LineCase {
    int baud, byteSize, stopBits;
    const char* parity;
    qint32 expBaud;
    QSerialPort::DataBits expData;
    QSerialPort::StopBits expStop;
    QSerialPort::Parity expParity;
};

const LineCase kLines[] = {
    {115200, 8, 1, "NONE", 115200, QSerialPort::Data8, QSerialPort::OneStop, QSerialPort::NoParity},
    {14400, 7, 2, "ODD", 57600, QSerialPort::Data7, QSerialPort::TwoStop, QSerialPort::OddParity},
    {56000, 9, 0, "EVEN", 56000, QSerialPort::Data7, QSerialPort::TwoStop, QSerialPort::EvenParity},
    {76800, 8, 1, "even", 76800, QSerialPort::Data8, QSerialPort::OneStop, QSerialPort::NoParity},
    {0, 8, 1, "MARK", 57600, QSerialPort::Data8, QSerialPort::OneStop, QSerialPort::NoParity},
};

class LineSettingsTable : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineSettingsTable, MapsTheRecord)
{
    const LineCase& c = GetParam();
    RS232C r;
    r.BaudRate = c.baud;
    r.ByteSize = c.byteSize;
    r.StopBits = c.stopBits;
    r.Parity = QString::fromLatin1(c.parity);
    const SerialLineSettings s = lineSettingsFor(r);
    EXPECT_EQ(s.baudRate, c.expBaud);
    EXPECT_EQ(s.dataBits, c.expData);
    EXPECT_EQ(s.stopBits, c.expStop);
    EXPECT_EQ(s.parity, c.expParity);
}

INSTANTIATE_TEST_SUITE_P(Rows, LineSettingsTable, ::testing::ValuesIn(kLines));

// A pseudo-terminal whose slave the port opens; closing the master is the
// adapter being unplugged.
struct Pty {
    int master = -1;
    QString path;
    Pty()
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            ::close(slave);
            path = QString::fromLocal8Bit(name);
        }
    }
    ~Pty() { closeMaster(); }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
};

struct SerialPortTest : ::testing::Test, test::LinkRig {
    SerialPort port{link, prompts};
    QStringList indicator, panel;
    Pty pty;

    void SetUp() override
    {
        ASSERT_FALSE(pty.path.isEmpty());
        settings.rs232c.PortName = pty.path;
        link.handlers.SetLearnIndicator = [this](bool on) { indicator << (on ? "on" : "off"); };
        QObject::connect(&port, &SerialPort::portTextShown, [this](const QString& t) { panel << t; });
    }
    LinkState& st() { return link.state(); }
};

} // namespace

TEST_F(SerialPortTest, FailedOpensSayWhyAndLeaveThePortClosed)
{
    settings.rs232c.PortName = "COM3";
    EXPECT_FALSE(port.OpenPort(true));
    EXPECT_TRUE(st().commError);
    EXPECT_FALSE(st().portOpen || st().recvThreadRunning);
    EXPECT_EQ(indicator, QStringList({"off"}));
    EXPECT_TRUE(prompts.asked.empty()) << "no box before a device removal";
    EXPECT_EQ(panel, QStringList({"Can't Open COM3"}));
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].startsWith("Can't Open COM3: no such device")) << log.lines[0].toStdString();

    // A pseudo-terminal takes no 7-bit characters: refused, not run with other framing.
    settings.rs232c.PortName = pty.path;
    settings.rs232c.ByteSize = 7;
    EXPECT_FALSE(port.OpenPort(true));
    EXPECT_TRUE(port.lastOpenError().endsWith("does not accept 7 data bits"));
    settings.rs232c.ByteSize = 8;
    EXPECT_TRUE(port.OpenPort(true));
    EXPECT_EQ(panel.last(), pty.path + ":OFF") << "an earlier failure text is replaced";
}

TEST_F(SerialPortTest, ALostDeviceIsReportedOnceAndClosesThePort)
{
    ASSERT_TRUE(port.OpenPort(true));
    pty.closeMaster(); // the adapter is unplugged
    ASSERT_TRUE(waitUntil([&] { return !st().portOpen; }, 3000));
    waitUntil([] { return false; }, 100); // further error reports change nothing
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "確認");
    EXPECT_EQ(prompts.asked[0].text, pty.path + " が閉じられました。\n通信設定をやり直して下さい。");
    EXPECT_EQ(prompts.asked[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(port.portLost());
    EXPECT_FALSE(st().recvThreadRunning || st().commError);
    EXPECT_EQ(indicator, QStringList({"off"}));

    // After the loss a failed open warns in a box, and the port text is kept.
    EXPECT_FALSE(port.OpenPort(true));
    ASSERT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(prompts.asked[1].caption, "Warning");
    EXPECT_EQ(prompts.asked[1].text, "Can't Open " + pty.path + "    ");
    Pty second;
    settings.rs232c.PortName = second.path;
    ASSERT_TRUE(port.OpenPort(true));
    EXPECT_EQ(panel.last(), second.path + ":OFF");
    port.ClosePort();
    EXPECT_EQ(panel.last(), second.path);
}
