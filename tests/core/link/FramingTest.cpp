// Command framing on both transports, and SendLine over both links at once.
#include "core/link/Framing.h"
#include "core/link/DeviceLink.h"
#include "support/LinkRig.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace zovax;

namespace {

struct FrameCase {
    const char* head;
    const char* dlmt;
    const char* tcp;    // expected TCP frame of "Ver"
    const char* serial; // expected serial frame of "Ver"
};

const FrameCase kFrames[] = {
    {"NONE", "CRLF", "Ver\r\n", "Ver\r\n"}, {"STX", "CRLF", "\x02Ver\r\n", "\x02Ver\r\n"},
    {"NONE", "CR", "Ver\r", "Ver\r"},       {"NONE", "LF", "Ver\r\n", "Ver\n"},
    {"NONE", "ETX", "Ver\x03", "Ver\x03"},  {"STX", "ETX", "\x02Ver\x03", "\x02Ver\x03"},
    {"無し", "無し", "Ver\r\n", "Ver"},     {"stx", "crlf", "Ver\r\n", "Ver"}, // values are case-sensitive
};

class FramingTable : public ::testing::TestWithParam<FrameCase> {};

} // namespace

TEST_P(FramingTable, EachTransportUsesItsOwnSettings)
{
    const FrameCase& c = GetParam();
    TCPIP t;
    t.SendHead = QString::fromUtf8(c.head);
    t.SendDlmt = QString::fromUtf8(c.dlmt);
    RS232C r;
    r.SendHead = t.SendHead;
    r.SendDlmt = t.SendDlmt;
    EXPECT_EQ(tcpFrame("Ver", t), QByteArray(c.tcp));
    EXPECT_EQ(serialFrame("Ver", r), QByteArray(c.serial));
}

INSTANTIATE_TEST_SUITE_P(AllRows, FramingTable, ::testing::ValuesIn(kFrames));

namespace {
class RecordingSerial : public SerialTransport {
public:
    bool hasError() override { return error; }
    void write(const QByteArray& f) override { frames << f; }
    bool error = false;
    QList<QByteArray> frames;
};

struct LinkFixture : ::testing::Test, test::LinkRig {};
using SendLine = LinkFixture;
using SendTcpOnly = LinkFixture;
} // namespace

TEST_F(SendLine, BothLinksOpenGetOneWriteEachWithTheirOwnFraming)
{
    settings.tcpip.SendHead = "STX";
    settings.tcpip.SendDlmt = "CR";
    settings.rs232c.SendHead = QStringLiteral("無し");
    settings.rs232c.SendDlmt = "LF";
    RecordingSerial serial;
    link.setSerialTransport(&serial);
    link.state().tcpConnected = true;
    link.state().portOpen = true;
    link.state().replyAck = true;
    QSignalSpy tcp(&link, &DeviceLink::tcpFrameSent);
    link.SendLine("Twl:001");
    EXPECT_FALSE(link.state().replyAck);
    ASSERT_EQ(tcp.count(), 1);
    EXPECT_EQ(tcp.at(0).at(0).toByteArray(), QByteArray("\x02Twl:001\r"));
    ASSERT_EQ(serial.frames.size(), 1);
    EXPECT_EQ(serial.frames.at(0), QByteArray("Twl:001\n"));
}

TEST_F(SendLine, SerialErrorDropsTheCommandAndMarksTheLink)
{
    RecordingSerial serial;
    serial.error = true;
    link.setSerialTransport(&serial);
    link.state().portOpen = true;
    link.SendLine("T");
    EXPECT_TRUE(serial.frames.isEmpty());
    EXPECT_TRUE(link.state().commError);
}

TEST_F(SendLine, NoLinkSendsNothingButClearsTheFlag)
{
    QSignalSpy tcp(&link, &DeviceLink::tcpFrameSent);
    link.state().replyAck = true;
    link.SendLine("Ver");
    link.SendTcpOnly("Ver");
    EXPECT_EQ(tcp.count(), 0);
    EXPECT_FALSE(link.state().replyAck);
}

TEST_F(SendTcpOnly, LeavesTheAcknowledgementAlone)
{
    RecordingSerial serial;
    link.setSerialTransport(&serial);
    link.state().tcpConnected = true;
    link.state().portOpen = true;
    link.state().replyAck = true;
    QSignalSpy tcp(&link, &DeviceLink::tcpFrameSent);
    link.SendTcpOnly("Reset");
    EXPECT_TRUE(link.state().replyAck);
    EXPECT_EQ(tcp.count(), 1);
    EXPECT_TRUE(serial.frames.isEmpty());
}

// The connect-first guard: which link states let a flow send, and the one
// message every refused flow shows.
TEST_F(SendLine, ConnectFirstGuardByTheLinksAFlowNeeds)
{
    struct Row {
        bool tcp, port, serialShown;
        bool anyUp, tcpAndShownSerialUp;
    };
    const Row rows[] = {
        {false, false, false, false, false}, {true, false, false, true, true}, {false, true, false, true, false},
        {true, false, true, true, false},    {true, true, true, true, true},   {false, true, true, true, false},
    };
    for (const Row& r : rows) {
        link.state().tcpConnected = r.tcp;
        link.state().portOpen = r.port;
        for (const auto [need, up] :
             {std::pair{LinkNeed::Any, r.anyUp}, {LinkNeed::TcpAndShownSerial, r.tcpAndShownSerialUp}}) {
            prompts.asked.clear();
            EXPECT_EQ(requireLink(link.state(), need, r.serialShown, prompts, MsgIcon::Warning), up);
            ASSERT_EQ(prompts.asked.size(), up ? 0u : 1u);
            if (!up) {
                EXPECT_EQ(prompts.asked[0].caption, QStringLiteral("確認"));
                EXPECT_EQ(prompts.asked[0].text, QStringLiteral("ZOVAX-Etherに接続して下さい"));
                EXPECT_EQ(prompts.asked[0].icon, MsgIcon::Warning);
            }
        }
    }
}
