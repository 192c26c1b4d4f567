// Reply dispatch: every row of both dispatch tables, the order in which they
// win, the receive-log clearing rules and the acknowledgement wait.
#include "core/link/DeviceLink.h"
#include "support/LinkRig.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zovax;

namespace {

// Records which handler got which line.
struct Recorder {
    QStringList calls;
    bool lit = false;
    bool cursor = false;
    bool waveData = false;

    void install(DeviceLink& link)
    {
        auto& h = link.handlers;
        h.OnWaveLine = [this](const QString& l) { calls << "wave:" + l; };
        h.OnAverageLine = [this](const QString& l) { calls << "ave:" + l; };
        h.SetLearnIndicator = [this](bool on) { calls << (on ? "ind:on" : "ind:off"); };
        h.RearmLearning = [this] { calls << "rearm"; };
        h.HandleConfigLine = [this](const QString& l) { calls << "config:" + l; };
        h.OnReadBackLine = [this](const QString& l) { calls << "readback:" + l; };
        h.HandleDownloadData = [this](const QByteArray& b) { calls << "download:" + QString::fromLatin1(b); };
        h.learnIndicatorOn = [this] { return lit; };
        h.cursorAutoChecked = [this] { return cursor; };
        h.waveDataPanelVisible = [this] { return waveData; };
    }
};

enum class Mode { Normal, Write1, Write2, Read, NetConfig, Console };

struct TcpRow {
    Mode mode;
    const char* line;
    const char* call; // expected handler call, "" for none
    bool ack;
    bool logged;
};

const TcpRow kTcpRows[] = {
    // 1: registration erase phase: ack on three texts anywhere, always logged
    {Mode::Write1, "KRV:on", "", true, true},
    {Mode::Write1, "> KRV:on ok", "", true, true},
    {Mode::Write1, "FLASH Sector:7 ... Erased", "", true, true},
    {Mode::Write1, "FLASH Sector:6 ... Erased", "", false, true},
    {Mode::Write1, "Flash Erase Complete", "", true, true},
    {Mode::Write1, "[000]:09000,013500", "", false, true}, // wave lines do not reach learning
    // 2: write phase: ack on the eight tags as the first four characters
    {Mode::Write2, "Tws:003 OK", "", true, true},
    {Mode::Write2, "Twl:001", "", true, true},
    {Mode::Write2, "Twf:000", "", true, true},
    {Mode::Write2, "twf:000", "", false, true},
    {Mode::Write2, " Tws:003", "", false, true},
    {Mode::Write2, "KRV:on", "", false, true},
    // 3: read-back: everything to the decoder, nothing logged here
    {Mode::Read, "Twc:380", "readback:Twc:380", false, false},
    {Mode::Read, "Trans Mode", "readback:Trans Mode", false, false},
    // 4: network configuration and console configuration
    {Mode::NetConfig, "I:127.000.000.001", "config:I:127.000.000.001", false, false},
    {Mode::Console, "[000]:09000,013500", "config:[000]:09000,013500", false, false},
    // 5: normal: ack first, then by the first characters
    {Mode::Normal, "[000]:09000,013500", "wave:[000]:09000,013500", true, false},
    {Mode::Normal, "Ave.Carrier38.0kHz", "ave:Ave.Carrier38.0kHz", true, false},
    {Mode::Normal, "Trans Mode", "ind:off", true, false},
    {Mode::Normal, "Trans Mode 1", "ind:off", true, false},
    {Mode::Normal, "Analyze Mode", "ind:on", true, false},
    {Mode::Normal, "Lend:0500", "", true, true},
    {Mode::Normal, "Ver 1.00", "", true, true},
    {Mode::Normal, " 06h", "", true, true},
    {Mode::Normal, "Ave", "", true, true},
};

class TcpDispatch : public ::testing::TestWithParam<TcpRow>, public test::LinkRig {};

struct LinkFixture : ::testing::Test, test::LinkRig {};
using TcpDispatchOrder = LinkFixture;
using TcpDispatchLog = LinkFixture;
using TcpReceive = LinkFixture;
using DownloadMode = LinkFixture;
using WaitAck = LinkFixture;

void setMode(LinkState& s, Mode m)
{
    s.tableWriteMode = m == Mode::Write1 ? TableWriteMode::Erase
        : m == Mode::Write2              ? TableWriteMode::Store
                                         : TableWriteMode::Off;
    s.tableReadMode = m == Mode::Read;
    s.netConfigOpen = m == Mode::NetConfig;
    s.consoleConfigMode = m == Mode::Console;
}

// One row of the TCP table through the TCP dispatcher, or through the serial
// one with its lines routed like TCP lines.
void expectTcpRow(test::LinkRig& rig, const TcpRow& r, bool overSerial)
{
    DeviceLink& link = rig.link;
    link.setSerialRoutedLikeTcp(overSerial);
    Recorder rec;
    rec.install(link);
    rec.lit = rec.cursor = overSerial; // the serial-only re-arm does not apply
    setMode(link.state(), r.mode);
    if (overSerial)
        link.DispatchSerialLine(QString::fromLatin1(r.line));
    else
        link.DispatchLine(QString::fromLatin1(r.line));
    EXPECT_EQ(rec.calls, *r.call ? QStringList{QString::fromLatin1(r.call)} : QStringList{});
    EXPECT_EQ(link.state().replyAck, r.ack);
    EXPECT_EQ(rig.log.lines, r.logged ? QStringList{QString::fromLatin1(r.line)} : QStringList{});
}

} // namespace

TEST_P(TcpDispatch, Row)
{
    expectTcpRow(*this, GetParam(), false);
}

INSTANTIATE_TEST_SUITE_P(AllRows, TcpDispatch, ::testing::ValuesIn(kTcpRows));

TEST_F(TcpDispatchOrder, WriteModeWinsOverReadAndConfig)
{
    Recorder rec;
    rec.install(link);
    link.state().tableWriteMode = TableWriteMode::Store;
    link.state().tableReadMode = true;
    link.state().netConfigOpen = true;
    link.DispatchLine("Tws:001");
    EXPECT_TRUE(rec.calls.isEmpty());
    EXPECT_TRUE(link.state().replyAck);
    link.state().tableWriteMode = TableWriteMode::Off;
    link.DispatchLine("I:127.000.000.001");
    EXPECT_EQ(rec.calls, QStringList{"readback:I:127.000.000.001"});
    link.state().tableReadMode = false;
    link.DispatchLine("I:127.000.000.001");
    EXPECT_EQ(rec.calls.last(), "config:I:127.000.000.001");
}

TEST_F(TcpDispatchLog, ClearedAbove1000LinesOnlyForOrdinaryLines)
{
    for (int i = 0; i < 1001; ++i)
        log.append(QString::number(i));
    link.DispatchLine("Lend:0500"); // an end-time echo never clears
    EXPECT_EQ(log.lineCount(), 1002);
    link.DispatchLine("Ver 1.00");
    EXPECT_EQ(log.lines, QStringList{"Ver 1.00"});

    log.lines.clear();
    for (int i = 0; i < 1000; ++i)
        log.append(QString::number(i));
    link.DispatchLine("x");
    EXPECT_EQ(log.lineCount(), 1001); // exactly 1000 is not "more than 1000"
}

TEST_F(TcpReceive, SplitReplyDispatchedOnceWhole)
{
    Recorder rec;
    rec.install(link);
    link.onTcpBytes("Analyze Mo");
    EXPECT_TRUE(rec.calls.isEmpty());
    link.onTcpBytes("de\r\n");
    EXPECT_EQ(rec.calls, QStringList{"ind:on"});
}

namespace {

struct SerialRow {
    const char* line;
    bool lit;
    bool cursor;
    bool waveData;
    const char* call;
    bool logged;
};

const SerialRow kSerialRows[] = {
    {"[000]:09000,013500", false, false, false, "wave:[000]:09000,013500", false},
    {"Ave.Carrier38.0kHz", false, false, false, "ave:Ave.Carrier38.0kHz", false},
    {"Trans Mode", true, true, false, "rearm", false},
    {"Trans Mode", true, false, false, "ind:off", false},
    {"Trans Mode", false, true, false, "ind:off", false},
    {"Trans Mode 03h", true, true, false, "", true}, // not equal: logged
    {"Analyze Mode", false, false, false, "ind:on", false},
    {"Analyze Mode ", false, false, false, "", true},
    {"Lend:0500", false, false, true, "", true},
    {"Lend:0500", false, false, false, "", false},
    {"Ver 1.00", false, false, false, "", true},
};

class SerialDispatch : public ::testing::TestWithParam<SerialRow>, public test::LinkRig {};

} // namespace

TEST_P(SerialDispatch, Row)
{
    const SerialRow& r = GetParam();
    Recorder rec;
    rec.install(link);
    rec.lit = r.lit;
    rec.cursor = r.cursor;
    rec.waveData = r.waveData;
    // Link modes are not consulted on the serial side.
    link.state().tableReadMode = true;
    link.state().netConfigOpen = true;
    link.DispatchSerialLine(QString::fromLatin1(r.line));
    EXPECT_EQ(rec.calls, *r.call ? QStringList{QString::fromLatin1(r.call)} : QStringList{});
    EXPECT_FALSE(link.state().replyAck);
    EXPECT_EQ(log.lines, r.logged ? QStringList{QString::fromLatin1(r.line)} : QStringList{});
}

INSTANTIATE_TEST_SUITE_P(AllRows, SerialDispatch, ::testing::ValuesIn(kSerialRows));

TEST(SerialDispatchLog, ClearedAbove3000Lines)
{
    // Also when serial lines are routed like TCP lines.
    for (const bool likeTcp : {false, true}) {
        test::LinkRig rig;
        rig.link.setSerialRoutedLikeTcp(likeTcp);
        for (int i = 0; i < 3000; ++i)
            rig.log.append("l");
        rig.link.DispatchSerialLine("a");
        EXPECT_EQ(rig.log.lineCount(), 3001);
        rig.link.DispatchSerialLine("b");
        EXPECT_EQ(rig.log.lines, QStringList{"b"});
    }
}

// With serial lines routed like TCP lines, every row of the TCP table holds for
// a serial line as well.
class SerialRoutedLikeTcp : public ::testing::TestWithParam<TcpRow>, public test::LinkRig {};

TEST_P(SerialRoutedLikeTcp, Row)
{
    expectTcpRow(*this, GetParam(), true);
}

INSTANTIATE_TEST_SUITE_P(AllTcpRows, SerialRoutedLikeTcp, ::testing::ValuesIn(kTcpRows));

TEST(SerialRoutedLikeTcp, ReadBackReplyAcknowledgesOnlyWithTheOption)
{
    for (const bool likeTcp : {false, true}) {
        test::LinkRig rig;
        DeviceLink& link = rig.link;
        link.setSerialRoutedLikeTcp(likeTcp);
        Recorder rec;
        rec.install(link);
        // The read-back decoder acknowledges a record line it takes.
        link.handlers.OnReadBackLine = [&](const QString& l) {
            rec.calls << "readback:" + l;
            link.SetReplyAck();
        };
        link.state().tableReadMode = true;
        link.SendLine(QStringLiteral("Twl:001"));
        link.onSerialBytes("Twc:380\r\n");
        EXPECT_EQ(link.WaitAck(0), likeTcp);
        EXPECT_EQ(rec.calls, likeTcp ? QStringList{"readback:Twc:380"} : QStringList{});
        EXPECT_EQ(rig.log.lines, likeTcp ? QStringList{} : QStringList{"Twc:380"});
    }
}

TEST_F(DownloadMode, RawBytesGoToTheDownloadHandler)
{
    Recorder rec;
    rec.install(link);
    link.state().downloadMode = true;
    // The socket route is exercised end to end elsewhere; here the assembler is bypassed.
    link.handlers.HandleDownloadData("Loader\r");
    EXPECT_EQ(rec.calls, QStringList{"download:Loader\r"});
}

TEST_F(WaitAck, ReturnsEarlyWhenAReplyAcknowledges)
{
    QTimer::singleShot(20, [&] { link.DispatchLine("Ver 1.00"); });
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(link.WaitAck(5000));
    EXPECT_LT(t.elapsed(), 2000);
}

TEST_F(WaitAck, FalseAfterItsTimeOut)
{
    link.state().tableWriteMode = TableWriteMode::Erase;
    QTimer::singleShot(5, [&] { link.DispatchLine("FLASH Sector:6 ... Erased"); });
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(link.WaitAck(50));
    EXPECT_GE(t.elapsed(), 45);
}

TEST_F(WaitAck, AlreadySetReturnsAtOnceAndNestedWaitsUnwind)
{
    link.SetReplyAck();
    EXPECT_TRUE(link.WaitAck(0));
    link.state().replyAck = false;
    bool inner = true;
    QTimer::singleShot(0, [&] {
        inner = link.WaitAck(10); // nothing acknowledges inside
        link.SetReplyAck();
    });
    EXPECT_TRUE(link.WaitAck(5000));
    EXPECT_FALSE(inner);
}

TEST_F(TcpReceive, LinesBehindAModalHandlerAreHandledInsideItsLoop)
{
    // A handler that opens a modal box (a nested event loop) on the first line
    // still sees the result line that arrived in the same read.
    QStringList seen;
    QStringList seenInsideBox;
    bool inBox = false;
    link.handlers.OnWaveLine = [&](const QString& l) {
        seen << l;
        if (seen.size() == 1) {
            inBox = true;
            QEventLoop box;
            QTimer::singleShot(50, &box, &QEventLoop::quit);
            box.exec();
            inBox = false;
        }
    };
    link.handlers.OnAverageLine = [&](const QString& l) {
        seen << l;
        if (inBox)
            seenInsideBox << l;
    };
    link.onTcpBytes("[000]:09000,013500\r\n[001]:00560,001125\r\nAve.Carrier38.0kHz\r\n");
    EXPECT_EQ(seen, (QStringList{"[000]:09000,013500", "[001]:00560,001125", "Ave.Carrier38.0kHz"}));
    EXPECT_EQ(seenInsideBox, QStringList{"Ave.Carrier38.0kHz"});
}

TEST_F(WaitAck, EndsEarlyOnInterruptOrWhenTheLinkGoesDown)
{
    QElapsedTimer t;

    QTimer::singleShot(10, [&] { link.interruptWait(); });
    t.start();
    EXPECT_FALSE(link.WaitAck(5000));
    EXPECT_LT(t.elapsed(), 2000);

    link.state().tcpConnected = true;
    QTimer::singleShot(10, [&] { link.state().tcpConnected = false; });
    t.start();
    EXPECT_FALSE(link.WaitAck(5000));
    EXPECT_LT(t.elapsed(), 2000);
}

TEST_F(WaitAck, AnAcknowledgementCountsEvenWhenItsHandlerSendsTheNextCommand)
{
    // A reply handler that answers with a command of its own clears the flag
    // again; the wait still saw the acknowledgement.
    link.handlers.OnReadBackLine = [&](const QString&) {
        link.SetReplyAck();
        link.SendLine("KRV:off");
    };
    link.state().tableReadMode = true;
    QTimer::singleShot(5, [&] { link.DispatchLine("Twd:0123"); });
    EXPECT_TRUE(link.WaitAck(5000));
    EXPECT_FALSE(link.state().replyAck);
}
