// The TCP connection against a loopback server: what is sent when the link
// comes up, hang-up versus loss of the link, refused and unanswered dials, and
// the hand-over to the firmware update in download mode.
#include "core/link/TcpConnection.h"
#include "app/FakePorts.h"
#include "core/link/DeviceLink.h"
#include "core/link/LoopbackBoard.h"
#include "core/link/NetAddress.h"
#include "core/shell/Settings.h"
#include "support/LinkRig.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace zovax;
using test::waitUntil;

namespace {

struct RecordingView : ConnectionView {
    QStringList events;
    void onDialling(const QString& a) override { events << "dialling " + a; }
    void onConnected(const QString& h) override { events << "connected " + h; }
    void onDisconnected() override { events << "disconnected"; }
    void onSocketError() override { events << "error"; }
};

struct TcpConnectionTest : ::testing::Test, test::LinkRig {
    test::FakeSounds sounds;
    TcpConnection conn{link, prompts, sounds};
    RecordingView view;
    test::LoopbackBoard board;
    QStringList learnIndicator;

    void SetUp() override
    {
        conn.addView(&view);
        ASSERT_TRUE(board.start());
        settings.tcpip.Host = "127.000.000.001";
        settings.tcpip.Port = board.port();
        link.handlers.SetLearnIndicator = [this](bool on) { learnIndicator << (on ? "on" : "off"); };
    }
    bool connectNow()
    {
        conn.ConnectTcp(true);
        return waitUntil([&] { return link.state().tcpConnected && board.hasClient(); });
    }
    int chords() const { return int(std::count(sounds.played.begin(), sounds.played.end(), Sound::Chord)); }
};

TEST_F(TcpConnectionTest, ConnectSendsVerThenTransmitMode)
{
    board.reply = [](const QString& l) -> QByteArray {
        if (l == "Ver")
            return "ZOVAX-Ether firmware 1.00\r\n";
        if (l == "T")
            return "Trans Mode\r\n";
        return {};
    };
    ASSERT_TRUE(connectNow());
    ASSERT_TRUE(waitUntil([&] { return board.lines.size() >= 2; }));
    EXPECT_EQ(board.lines, QStringList({"Ver", "T"}));
    ASSERT_TRUE(waitUntil([&] { return !learnIndicator.isEmpty(); }));
    EXPECT_EQ(learnIndicator, QStringList({"off"}));
    EXPECT_EQ(view.events, QStringList({"dialling 127.0.0.1", "connected 127.0.0.1"}));
    EXPECT_TRUE(log.lines.contains("ZOVAX-Ether firmware 1.00"));
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(TcpConnectionTest, WithTheNetworkDialogOpenConnectSendsVerThenNcnf)
{
    link.state().netConfigOpen = true;
    ASSERT_TRUE(connectNow());
    // No replies: both 100 ms waits run out and the sequence goes on.
    ASSERT_TRUE(waitUntil([&] { return board.lines.size() >= 2; }));
    test::waitUntil([] { return false; }, 50);
    EXPECT_EQ(board.lines, QStringList({"Ver", "Ncnf"}));
}

// Who ends an established link, and whether the warning sound plays.
struct EndRow {
    const char* name;
    bool dialledFromMainButton; // the main window's button sets tcpConnected before dialling
    bool boardCloses;           // else the tool hangs up
    int chords;
};

class LinkEndTest : public TcpConnectionTest, public ::testing::WithParamInterface<EndRow> {};

TEST_P(LinkEndTest, SoundOnlyWhenTheBoardEndsTheLink)
{
    const EndRow& r = GetParam();
    link.state().tcpConnected = r.dialledFromMainButton;
    ASSERT_TRUE(connectNow());
    view.events.clear();
    if (r.boardCloses) {
        board.closeClient();
        ASSERT_TRUE(waitUntil([&] { return !link.state().tcpConnected && !conn.linkActive(); }));
    } else {
        conn.ConnectTcp(false);
        // The disconnect event comes at once, inside the hang-up.
        EXPECT_FALSE(conn.linkActive());
    }
    EXPECT_EQ(view.events, QStringList({"disconnected"}));
    EXPECT_EQ(chords(), r.chords);
    EXPECT_FALSE(link.state().tcpConnected);
    test::waitUntil([] { return false; }, 30);
    EXPECT_TRUE(prompts.asked.empty()) << "an orderly end is no socket error";
}

INSTANTIATE_TEST_SUITE_P(Ends, LinkEndTest,
                         ::testing::Values(EndRow{"hangUp", false, false, 0},
                                           EndRow{"hangUpAfterMainButton", true, false, 0},
                                           EndRow{"boardCloses", false, true, 1},
                                           EndRow{"boardClosesAfterMainButton", true, true, 1}),
                         [](const auto& i) { return std::string(i.param.name); });

// Dials that fail: refused at once, or never answered (ended by the time-out).
struct FailRow {
    const char* name;
    bool unanswered;
    bool dialledFromMainButton;
    bool downloadMode;
};

class FailedDialTest : public TcpConnectionTest, public ::testing::WithParamInterface<FailRow> {};

TEST_P(FailedDialTest, EndsAsSocketErrorWithTheLinkDown)
{
    const FailRow& r = GetParam();
    test::UnansweredPort silent;
    if (r.unanswered) {
        ASSERT_TRUE(silent.ok());
        settings.tcpip.Port = silent.port();
        conn.setDialTimeoutMs(300);
    } else {
        settings.tcpip.Port = test::closedLoopbackPort();
    }
    link.state().downloadMode = r.downloadMode;
    link.state().tcpConnected = r.dialledFromMainButton;
    QElapsedTimer t;
    t.start();
    conn.ConnectTcp(true);
    ASSERT_TRUE(waitUntil([&] { return !conn.linkActive(); }, 4000));
    const qint64 took = t.elapsed();
    if (r.unanswered) {
        EXPECT_GE(took, 280);
    }
    EXPECT_LT(took, 3000);
    EXPECT_EQ(view.events, QStringList({"dialling 127.0.0.1", "disconnected", "error"}));
    EXPECT_FALSE(link.state().tcpConnected);
    EXPECT_EQ(chords(), r.dialledFromMainButton ? 1 : 0);
    test::waitUntil([] { return false; }, 30);
    if (r.downloadMode) {
        EXPECT_TRUE(prompts.asked.empty());
    } else {
        ASSERT_EQ(prompts.asked.size(), 1u);
        EXPECT_EQ(prompts.asked[0].caption, "Warning");
        EXPECT_EQ(prompts.asked[0].text, "Socket Error!");
        EXPECT_EQ(prompts.asked[0].icon, MsgIcon::Warning);
    }
    EXPECT_EQ(link.tcpSocket()->state(), QAbstractSocket::UnconnectedState);
}

INSTANTIATE_TEST_SUITE_P(Dials, FailedDialTest,
                         ::testing::Values(FailRow{"refused", false, false, false},
                                           FailRow{"refusedFromMainButton", false, true, false},
                                           FailRow{"refusedDuringDownload", false, false, true},
                                           FailRow{"unanswered", true, false, false},
                                           FailRow{"unansweredFromMainButton", true, true, false}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(TcpConnectionTest, HangingUpAPendingDialRaisesOneDisconnectAndNoError)
{
    test::UnansweredPort silent;
    ASSERT_TRUE(silent.ok());
    settings.tcpip.Port = silent.port();
    conn.setDialTimeoutMs(200);
    conn.ConnectTcp(true);
    EXPECT_TRUE(conn.linkActive());
    conn.ConnectTcp(false);
    EXPECT_FALSE(conn.linkActive());
    test::waitUntil([] { return false; }, 400); // past the dial time-out
    EXPECT_EQ(view.events, QStringList({"dialling 127.0.0.1", "disconnected"}));
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_TRUE(sounds.played.empty());
}

TEST_F(TcpConnectionTest, DiallingAgainWhileDiallingMakesOneConnection)
{
    conn.ConnectTcp(true);
    conn.ConnectTcp(true);
    ASSERT_TRUE(waitUntil([&] { return link.state().tcpConnected; }));
    test::waitUntil([] { return false; }, 100);
    // The replaced dial may have reached the board already; the tool sees one link.
    EXPECT_EQ(view.events, QStringList({"dialling 127.0.0.1", "dialling 127.0.0.1", "connected 127.0.0.1"}));
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(TcpConnectionTest, APortOutsideTheTcpRangeDialsTheDefaultPort)
{
    for (int bad : {0, -1, 65536, 125536}) {
        settings.tcpip.Port = bad;
        conn.ConnectTcp(true);
        EXPECT_EQ(settings.tcpip.Port, 60000) << bad;
        conn.ConnectTcp(false);
    }
}

TEST_F(TcpConnectionTest, ZeroPaddedHostIsDialledInDecimal)
{
    settings.tcpip.Host = "127.000.000.001";
    ASSERT_TRUE(connectNow());
    EXPECT_EQ(conn.dialAddress(), "127.0.0.1");
    EXPECT_EQ(link.tcpSocket()->peerAddress(), QHostAddress(QHostAddress::LocalHost));
}

// While the firmware window is up, a new link is handed to the firmware
// update: the usual sequence ("Ver", "T") is not sent.
TEST_F(TcpConnectionTest, DownloadModeHandsTheNewLinkToTheFirmwareUpdate)
{
    QStringList calls;
    QObject::connect(&conn, &TcpConnection::downloadLinkUp, [&](const QString& h) { calls << "up " + h; });
    link.state().downloadMode = true;
    ASSERT_TRUE(connectNow());
    test::waitUntil([] { return false; }, 250);
    EXPECT_EQ(calls, QStringList({"up 127.0.0.1"}));
    EXPECT_TRUE(board.lines.isEmpty());
    EXPECT_EQ(view.events, QStringList({"dialling 127.0.0.1", "connected 127.0.0.1"}));
}

// In download mode the loss of the link goes to the update (which re-dials or
// sounds it) instead of the sound; `dropped` says the board ended it.
TEST_F(TcpConnectionTest, DownloadButtonDownArmsTheRestartInsteadOfTheSound)
{
    for (const bool boardCloses : {true, false}) {
        SCOPED_TRACE(boardCloses ? "board closes" : "hung up");
        QList<bool> lost;
        const QMetaObject::Connection c
            = QObject::connect(&conn, &TcpConnection::downloadLinkDown, [&](bool dropped) { lost << dropped; });
        link.state().downloadMode = true;
        ASSERT_TRUE(connectNow());
        if (boardCloses)
            board.closeClient();
        else
            conn.ConnectTcp(false);
        ASSERT_TRUE(waitUntil([&] { return !conn.linkActive(); }));
        EXPECT_EQ(lost, QList<bool>{boardCloses});
        EXPECT_TRUE(sounds.played.empty());
        EXPECT_EQ(view.events.last(), "disconnected");
        QObject::disconnect(c);
    }
}

// The address text as typed (zero-padded, blanks left in the masked field, too
// many fields) is read as four decimal fields.
struct IpRow {
    const char* in;
    const char* out;
};

class NormalizeIpTest : public ::testing::TestWithParam<IpRow> {};

TEST_P(NormalizeIpTest, FourDecimalFields)
{
    EXPECT_EQ(NormalizeIp(QString::fromUtf8(GetParam().in)), QString::fromLatin1(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(Texts, NormalizeIpTest,
                         ::testing::Values(IpRow{"192.168.000.100", "192.168.0.100"},
                                           IpRow{"010.001.002.003", "10.1.2.3"}, IpRow{"008.009.010.011", "8.9.10.11"},
                                           IpRow{"1.2.3.4.5.6", "1.2.3.4"}, IpRow{"1.2.3.4.", "1.2.3.4"},
                                           IpRow{"1.2.3.4.999.999.999", "1.2.3.4"}, IpRow{"", "0.0.0.0"},
                                           IpRow{"...", "0.0.0.0"}, IpRow{"192.168..1", "192.168.0.1"},
                                           IpRow{"19 .168.0 .1", "19.0.168.0"}, IpRow{"99999999999.1.1.1", "0.1.1.1"},
                                           IpRow{"１２.1.1.1", "0.0.0.1"}, IpRow{"127.0.0.1", "127.0.0.1"}));

} // namespace

namespace {

// A host text whose fields make no address is never handed to a name lookup:
// the dial fails at once as a socket error.
TEST_F(TcpConnectionTest, AHostThatIsNoAddressFailsAsASocketError)
{
    settings.tcpip.Host = "300.001.002.003";
    conn.ConnectTcp(true);
    ASSERT_TRUE(waitUntil([&] { return !conn.linkActive(); }, 3000));
    ASSERT_TRUE(waitUntil([&] { return !prompts.asked.empty(); }, 1000));
    EXPECT_EQ(prompts.asked[0].text, "Socket Error!");
    EXPECT_EQ(view.events, QStringList({"dialling 300.1.2.3", "disconnected", "error"}));
    EXPECT_EQ(board.connections, 0);
}

} // namespace
