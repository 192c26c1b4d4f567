// The simulator over loopback: each operation's exchange with a plain TCP
// client, framing, restarts, persistence, serial, control and fault options.
#include "sim/board/BoardSim.h"
#include "SimClient.h"
#include "sim/board/SimProcess.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace zovax::sim;
using zovax::test::SimClient;
using zovax::test::waitUntil;

namespace {

struct Started {
    std::unique_ptr<BoardSim> sim;
    std::unique_ptr<SimClient> client;
};

Started startSim(const BoardOptions& o = {})
{
    Started s;
    s.sim = std::make_unique<BoardSim>(o);
    EXPECT_TRUE(s.sim->listen(QHostAddress::LocalHost, 0)) << s.sim->errorString().toStdString();
    s.client = std::make_unique<SimClient>();
    EXPECT_TRUE(s.client->connectTo(s.sim->serverPort()));
    EXPECT_TRUE(waitUntil([&] { return s.sim->hasClient(); }));
    return s;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

const QList<QByteArray> kEntry{
    "Twf:000",   "Twc:380", "Twb:005", "Twr:000", "Twp:0:09000,013500", "Twp:1:00560,001120", "Twp:2:00000,000000",
    "Twd:011022"};

void sendEntry(SimClient& c)
{
    for (const QByteArray& r : kEntry)
        c.send(r + "\r\n");
}

} // namespace

TEST(BoardSim, LearnExchangeReportsTheTrain)
{
    auto s = startSim();
    EXPECT_TRUE(s.sim->press("NEC").startsWith("ignored:"));
    EXPECT_EQ(s.client->exchange("A", 1), QStringList{"Analyze Mode"});
    EXPECT_EQ(s.client->exchange("Lend:0500", 1), QStringList{"Lend:0500"});
    const QString r = s.sim->press("NEC", "0x20DF10EF", 2);
    ASSERT_TRUE(r.startsWith("ok:")) << r.toStdString();

    const zovax::irsig::Protocol& nec = *zovax::irsig::findProtocol("NEC");
    const auto nominal = zovax::irsig::encodeNominal(nec, {0x20, 0xDF, 0x10, 0xEF}, 2);
    const QStringList got = s.client->take(static_cast<int>(nominal.size()) + 1);
    ASSERT_EQ(got.size(), static_cast<int>(nominal.size()) + 1);
    for (int i = 0; i < static_cast<int>(nominal.size()); ++i) {
        const auto f = zovax::irsig::parseWaveLine(got[i].toStdString());
        ASSERT_TRUE(f.has_value());
        EXPECT_EQ(f->index, i);
        EXPECT_NEAR(f->pair.high, nominal[static_cast<std::size_t>(i)].high + 40, 300);
        if (i + 1 < static_cast<int>(nominal.size()))
            EXPECT_NEAR(f->pair.width, nominal[static_cast<std::size_t>(i)].width, 3500);
        else
            EXPECT_GT(f->pair.width, 500000); // closing silence beyond the learning time
    }
    EXPECT_EQ(got.last(), "Ave.Carrier38.0kHz");
    // Still analysing until "T": a second press plays again.
    EXPECT_TRUE(s.sim->press("SONY12", "15 01").startsWith("ok:"));
    EXPECT_EQ(s.client->take(66).last(), "Ave.Carrier40.0kHz");
    EXPECT_EQ(s.client->exchange("T", 1), QStringList{"Trans Mode"});
    EXPECT_TRUE(s.sim->press("NEC").startsWith("ignored:"));
    EXPECT_TRUE(s.sim->press("NOPE").startsWith("error:"));
    EXPECT_TRUE(s.sim->press("NEC", "zz").startsWith("error:"));
}

TEST(BoardSim, AutoplayPressesAfterAnalyzeMode)
{
    BoardOptions o;
    o.autoplay = QStringList{"SONY12=1501", "JVC"};
    o.autoplayDelayMs = 10;
    auto s = startSim(o);
    EXPECT_EQ(s.client->exchange("A", 1), QStringList{"Analyze Mode"});
    EXPECT_EQ(s.client->take(66).last(), "Ave.Carrier40.0kHz"); // 5 Sony frames of 13 pairs
    EXPECT_EQ(s.client->exchange("A", 1), QStringList{"Analyze Mode"});
    const QStringList jvc = s.client->take(104);
    EXPECT_EQ(jvc.first().left(8), "[000]:08");
    EXPECT_EQ(jvc.last(), "Ave.Carrier38.0kHz");
    EXPECT_EQ(s.client->exchange("T", 1), QStringList{"Trans Mode"});
    EXPECT_TRUE(s.client->silentFor(100));
}

TEST(BoardSim, RegisterReadBackAndFire)
{
    auto s = startSim();
    SimClient& c = *s.client;
    EXPECT_EQ(c.exchange("KRV:on", 1), QStringList{"KRV:on"});
    EXPECT_EQ(c.exchange("Fe:7", 1), QStringList{"FLASH Sector:7 ... Erased"});
    sendEntry(c);
    EXPECT_EQ(c.exchange("Tws:003", 1), QStringList{"Tws:003 OK"});
    EXPECT_EQ(c.exchange("Twl:003", 8),
              (QStringList{"Twl:003", "Twc:380", "Twb:005", "Twr:000", "Twp:0:09000,013500", "Twp:1:00560,001120",
                           "Twp:2:00000,000000", "Twd:011022"}));
    EXPECT_EQ(c.exchange("Twl:004", 1), QStringList{"Twl:004 Error"});
    EXPECT_EQ(c.exchange("KRV:off", 1), QStringList{"KRV:off"});
    c.send("Tp:1000\r\n");
    sendEntry(c);
    EXPECT_EQ(c.exchange("Tf:003", 1), QStringList{"Fire IR1 format NEC, 5 symbols, 3 frames of 29 ms"});
    EXPECT_EQ(s.sim->commandTexts().mid(0, 3), (QStringList{"KRV:on", "Fe:7", "Twf:000"}));
}

TEST(BoardSim, EveryFramingIsAccepted)
{
    auto s = startSim();
    const QByteArray framings[] = {"Ver\r\n", "Ver\r", "Ver\n", "Ver\x03", "\x02Ver\r\n", "\x02Ver\x03", "\x02Ver\r"};
    for (const QByteArray& f : framings) {
        s.client->send(f);
        EXPECT_EQ(s.client->take(1), QStringList{"ZOVAX-Ether Ver.2.10 (board simulator)"}) << f.toHex().constData();
    }
    EXPECT_EQ(s.sim->commandTexts().count("Ver"), 7);
    for (const LoggedCommand& c : s.sim->commandLog())
        EXPECT_EQ(c.transport, "tcp");
    // A reply arrives whole: every line ends with CR LF.
    EXPECT_TRUE(s.client->raw.endsWith("\r\n"));
    EXPECT_EQ(s.client->raw.count("\r\n"), 7);
}

TEST(BoardSim, CommandLogFileHasTimeStampedLines)
{
    QTemporaryDir dir;
    BoardOptions o;
    o.logFile = dir.filePath("commands.log");
    auto s = startSim(o);
    s.client->exchange("Ver", 1);
    s.client->exchange("\x02Mode?\x03", 1);
    const QList<QByteArray> lines = zovax::test::readFileBytes(o.logFile).split('\n');
    ASSERT_GE(lines.size(), 2);
    const QRegularExpression form("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\+\\d+ms tcp (Ver|Mode\\?)$");
    EXPECT_TRUE(form.match(QString::fromUtf8(lines[0])).hasMatch()) << lines[0].constData();
    EXPECT_TRUE(lines[1].endsWith("tcp Mode?"));
    const auto log = s.sim->commandLog();
    ASSERT_EQ(log.size(), 2);
    EXPECT_LE(log[0].elapsedMs, log[1].elapsedMs);
}

TEST(BoardSim, OneClientAtATime)
{
    auto s = startSim();
    SimClient second;
    second.sock.connectToHost(QHostAddress::LocalHost, s.sim->serverPort());
    EXPECT_TRUE(second.waitClosed());
    EXPECT_EQ(s.client->exchange("Mode?", 1), QStringList{"Trans Mode"});
    s.client->sock.disconnectFromHost();
    EXPECT_TRUE(waitUntil([&] { return !s.sim->hasClient(); }));
    SimClient third;
    ASSERT_TRUE(third.connectTo(s.sim->serverPort()));
    EXPECT_EQ(third.exchange("Mode?", 1), QStringList{"Trans Mode"});
}

TEST(BoardSim, QuickReconnectIsAcceptedOnceTheOldClientIsGone)
{
    auto s = startSim();
    // Hang up and dial again at once: the board may see the new dial before the old close.
    s.client->sock.abort();
    SimClient next;
    ASSERT_TRUE(next.connectTo(s.sim->serverPort()));
    EXPECT_EQ(next.exchange("Mode?", 1), QStringList{"Trans Mode"});
}

TEST(BoardSim, RealtimePacesTheTrainLikeAReceiver)
{
    BoardOptions o;
    o.realtime = true;
    auto s = startSim(o);
    s.client->exchange("A", 1);
    s.client->exchange("Lend:0100", 1);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(s.sim->press("SONY12", "15 01", 2).startsWith("ok:"));
    EXPECT_TRUE(s.sim->press("SONY12").startsWith("ignored:")); // still reporting the first
    ASSERT_EQ(s.client->take(1).size(), 1);
    EXPECT_LT(clock.elapsed(), 100); // the leader is reported when it ends, not after the whole press
    EXPECT_EQ(s.client->take(39).last(), "Ave.Carrier40.0kHz");
    // Three frames 45 ms apart (about 110 ms), then 150 ms of closing silence.
    EXPECT_GE(clock.elapsed(), 250);
}

TEST(BoardSim, NetworkSaveRestartsOnTheSavedPort)
{
    BoardOptions o;
    o.restartMs = 300;
    auto s = startSim(o);
    SimClient& c = *s.client;
    const QStringList cnf = c.exchange("Ncnf", 8);
    ASSERT_EQ(cnf.size(), 8);
    EXPECT_EQ(cnf[1], "I:127.000.000.001");
    EXPECT_EQ(cnf[4], QStringLiteral("P:%1").arg(s.sim->serverPort(), 5, 10, QChar('0')));
    const quint16 newPort = freePort();
    EXPECT_EQ(c.exchange("Npno:" + QByteArray::number(newPort), 1),
              QStringList{QStringLiteral("P:%1").arg(newPort, 5, 10, QChar('0'))});
    EXPECT_EQ(c.exchange("Nmip:192.168.000.100", 2)[1], "I:127.000.000.001");
    EXPECT_EQ(c.exchange("Nsav", 1), QStringList{"System Reset"});
    EXPECT_TRUE(c.waitClosed());
    EXPECT_TRUE(s.sim->isRestarting());

    SimClient early; // refused while restarting
    EXPECT_FALSE(early.connectTo(newPort));
    ASSERT_TRUE(waitUntil([&] { return !s.sim->isRestarting(); }, 3000));
    EXPECT_EQ(s.sim->serverPort(), newPort);
    SimClient again;
    ASSERT_TRUE(again.connectTo(newPort));
    EXPECT_EQ(again.exchange("Ncnf", 8)[4], QStringLiteral("P:%1").arg(newPort, 5, 10, QChar('0')));
}

TEST(BoardSim, ConsoleDialogueSaveRestarts)
{
    BoardOptions o;
    o.restartMs = 100;
    auto s = startSim(o);
    SimClient& c = *s.client;
    const QStringList open = c.exchange("C", 10);
    ASSERT_EQ(open.size(), 10);
    EXPECT_TRUE(open.last().startsWith("CONFIG>"));
    EXPECT_EQ(c.exchange("L:007", 1), QStringList{"L:007"});
    EXPECT_EQ(c.exchange("Save", 1), QStringList{"System Reset"});
    EXPECT_TRUE(c.waitClosed());
    ASSERT_TRUE(waitUntil([&] { return !s.sim->isRestarting() && s.sim->serverPort() != 0; }));
    SimClient again;
    ASSERT_TRUE(again.connectTo(s.sim->serverPort()));
    EXPECT_EQ(again.exchange("Ncnf", 8)[6], "L:007");
}

TEST(BoardSim, FirmwareUpdateCourse)
{
    BoardOptions o;
    o.restartMs = 200;
    o.eraseMs = 1;
    auto s = startSim(o);
    const quint16 port = s.sim->serverPort();
    SimClient& c = *s.client;
    EXPECT_EQ(c.exchange("EtherDownload:127.000.000.001/" + QByteArray::number(port), 1),
              QStringList{"IP Config Saved"});
    EXPECT_EQ(c.exchange("Reset", 1), QStringList{"Reset"});
    EXPECT_TRUE(c.waitClosed());
    SimClient refused;
    EXPECT_FALSE(refused.connectTo(port));
    ASSERT_TRUE(waitUntil([&] { return s.sim->serverPort() == port; }, 3000));
    EXPECT_EQ(s.sim->phase(), Phase::Loader);

    SimClient l;
    ASSERT_TRUE(l.connectTo(port));
    const QString banner = l.exchange("Ver", 1).value(0);
    EXPECT_TRUE(banner.contains("Loader"));
    EXPECT_TRUE(banner.startsWith("\x1b[0;32m")); // ESC + exactly 6 characters
    EXPECT_EQ(l.exchange("3:Last Sector to Erase", 2),
              (QStringList{"FLASH Sector:2 ... Erased", "FLASH Sector:3 ... Erased"}));
    EXPECT_EQ(l.exchange("Download Ready ?", 1), QStringList{"Please send [.hex] file"});
    const QByteArray hex = ":020000040800F2\r\n"
                           ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                           ":10001000101112131415161718191A1B1C1D1E1F68\r\n"
                           ":00000001FF\r\n";
    l.send(hex);
    const QStringList acks = l.take(5);
    EXPECT_EQ(acks.mid(0, 4), (QStringList{".", ".", ".", "."}));
    EXPECT_TRUE(acks.value(4).startsWith("Download Complete: 2 data records, 32 bytes"));
    EXPECT_EQ(l.exchange("Reset", 1), QStringList{"Reset"});
    EXPECT_TRUE(l.waitClosed());
    ASSERT_TRUE(waitUntil([&] { return !s.sim->isRestarting(); }, 3000));
    SimClient back;
    ASSERT_TRUE(back.connectTo(port));
    EXPECT_EQ(back.exchange("Ver", 1), QStringList{"ZOVAX-Ether Ver.2.10 (board simulator)"});
    EXPECT_EQ(s.sim->flash().firmware().bytes, 32);
}

TEST(BoardSim, FlashSurvivesARestartOfTheSimulator)
{
    QTemporaryDir dir;
    BoardOptions o;
    o.flashFile = dir.filePath("flash.txt");
    o.restartMs = 50;
    {
        auto s = startSim(o);
        sendEntry(*s.client);
        EXPECT_EQ(s.client->exchange("Tws:042", 1), QStringList{"Tws:042 OK"});
        s.client->exchange("Nmac:02-00-00-00-00-42", 1);
        EXPECT_EQ(s.client->exchange("Nsav", 1), QStringList{"System Reset"});
        EXPECT_TRUE(s.client->waitClosed());
    }
    {
        BoardSim again(o);
        EXPECT_TRUE(again.startupProblems().isEmpty()) << again.startupProblems().join(';').toStdString();
        ASSERT_TRUE(again.listen(QHostAddress::LocalHost, 0));
        SimClient c;
        ASSERT_TRUE(c.connectTo(again.serverPort()));
        EXPECT_EQ(c.exchange("Twl:042", 8).last(), "Twd:011022");
        EXPECT_EQ(c.exchange("Ncnf", 8)[0], "M:02-00-00-00-00-42");
    }
    // A damaged file: bad lines are reported and skipped, the good ones kept.
    QByteArray text = zovax::test::readFileBytes(o.flashFile);
    text += "ENTRY 043 380 5 0 9000,13500 01X\nENTRY 1000 380 0 0 0,0 -\nBOGUS\nNET junk\n";
    ASSERT_TRUE(zovax::test::writeFileBytes(o.flashFile, text));
    BoardSim damaged(o);
    EXPECT_EQ(damaged.startupProblems().size(), 4);
    EXPECT_TRUE(damaged.flash().entry(42)->used);
    EXPECT_FALSE(damaged.flash().entry(43)->used);
    EXPECT_EQ(damaged.flash().savedConfig().mac, "02-00-00-00-00-42");

    ASSERT_TRUE(zovax::test::writeFileBytes(o.flashFile, "not a flash file\n"));
    BoardSim foreign(o);
    EXPECT_EQ(foreign.startupProblems().size(), 1);
    EXPECT_EQ(foreign.flash().usedEntries(), 0);
}

TEST(BoardSim, FaultNoAckAndEraseNeverStaySilent)
{
    BoardOptions o;
    o.noAck = true;
    auto s = startSim(o);
    s.client->send("Ver\r\nNcnf\r\n");
    EXPECT_TRUE(s.client->silentFor(200));
    EXPECT_TRUE(waitUntil([&] { return s.sim->commandTexts() == QStringList{"Ver", "Ncnf"}; }));

    BoardOptions e;
    e.eraseNever = true;
    auto t = startSim(e);
    EXPECT_EQ(t.client->exchange("KRV:on", 1), QStringList{"KRV:on"});
    t.client->send("Fe:7\r\n");
    EXPECT_TRUE(t.client->silentFor(200));
}

TEST(BoardSim, FaultDelayHoldsEveryReply)
{
    BoardOptions o;
    o.delayMs = 150;
    auto s = startSim(o);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(s.client->exchange("Mode?", 1), QStringList{"Trans Mode"});
    EXPECT_GE(clock.elapsed(), 150);
    o.delayMs = 0;
    o.eraseMs = 120; // the erase time adds to the reply of Fe:7 alone
    auto t = startSim(o);
    clock.restart();
    EXPECT_EQ(t.client->exchange("Fe:7", 1), QStringList{"FLASH Sector:7 ... Erased"});
    EXPECT_GE(clock.elapsed(), 120);
}

TEST(BoardSim, FaultSplitSegmentsCutsRepliesAnywhere)
{
    BoardOptions o;
    o.splitSegments = true;
    auto s = startSim(o);
    const QStringList cnf = s.client->exchange("Ncnf", 8);
    EXPECT_EQ(cnf.size(), 8);
    EXPECT_EQ(cnf.last(), "R:180");
    EXPECT_GT(s.client->chunks.size(), 8);
    int inside = 0; // chunks that end inside a line
    for (const QByteArray& chunk : s.client->chunks)
        inside += chunk.endsWith("\r\n") ? 0 : 1;
    EXPECT_GT(inside, 0);
}

TEST(BoardSim, FaultNoiseBytesBetweenLines)
{
    BoardOptions o;
    o.noiseEvery = 2;
    auto s = startSim(o);
    s.client->send("Ncnf\r\n");
    ASSERT_TRUE(waitUntil([&] { return s.client->raw.contains("R:180\r\n"); }));
    // 8 lines, every second one preceded by a stray byte and CR LF.
    EXPECT_EQ(s.client->raw.count("\r\n"), 12);
    const QStringList lines = s.client->take(12);
    EXPECT_EQ(lines.filter(QRegularExpression("^[MINGPDLR]:")).size(), 8);
    for (const QString& l : lines) {
        if (l.size() == 1) {
            EXPECT_TRUE(QString("\x06\x15\x11\xff").contains(l[0]) || l[0] == QChar(0)) << int(l[0].unicode());
        }
    }
}

TEST(BoardSim, FaultDropAfterClosesTheLinkEachConnection)
{
    BoardOptions o;
    o.dropAfter = 3;
    auto s = startSim(o);
    EXPECT_EQ(s.client->exchange("Ver", 1).size(), 1);
    EXPECT_EQ(s.client->exchange("Mode?", 1).size(), 1);
    EXPECT_EQ(s.client->exchange("T", 1), QStringList{"Trans Mode"}); // the third reply still arrives
    EXPECT_TRUE(s.client->waitClosed());
    SimClient again;
    ASSERT_TRUE(again.connectTo(s.sim->serverPort()));
    again.send("Ver\r\nVer\r\nVer\r\nVer\r\n");
    EXPECT_TRUE(again.waitClosed());
    EXPECT_EQ(again.take(4, 200).size(), 3);
}

TEST(BoardSim, FaultDownloadErrorAndLoaderEscapeSequences)
{
    BoardOptions o;
    o.restartMs = 50;
    o.downloadErrorAt = 2;
    o.noiseEvery = 1;
    auto s = startSim(o);
    s.client->send("EtherDownload:127.000.000.001/" + QByteArray::number(s.sim->serverPort()) + "\r\nReset\r\n");
    EXPECT_TRUE(s.client->waitClosed());
    ASSERT_TRUE(waitUntil([&] { return !s.sim->isRestarting(); }));
    SimClient l;
    ASSERT_TRUE(l.connectTo(s.sim->serverPort()));
    l.send("2:Last Sector to Erase\r\nDownload Ready ?\r\n:020000040800F2\r\n:020000040800F2\r\n");
    const QStringList r = l.take(4);
    ASSERT_EQ(r.size(), 4);
    for (const QString& line : r)
        EXPECT_TRUE(line.startsWith(QChar(0x1b)) && line.size() > 7 && line[6] == 'm') << line.toStdString();
    EXPECT_EQ(r[2].mid(7), ".");
    EXPECT_TRUE(r[3].mid(7).contains("error"));
}

TEST(BoardSim, SerialPseudoTerminal)
{
    BoardSim sim;
    const QString path = sim.openSerial();
    ASSERT_FALSE(path.isEmpty()) << sim.errorString().toStdString();
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    QByteArray got;
    auto readAll = [&] {
        char buf[512];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            got.append(buf, static_cast<qsizetype>(n));
    };
    auto write = [&](const QByteArray& b) { ASSERT_EQ(::write(fd, b.constData(), b.size()), b.size()); };
    write("Version\r");
    EXPECT_TRUE(waitUntil([&] {
        readAll();
        return got.endsWith("\r\n");
    }));
    EXPECT_EQ(got, "ZOVAX-Ether Ver.2.10 (board simulator)\r\n");
    got.clear();
    write("Mode?"); // no delimiter: the idle time ends the command
    EXPECT_TRUE(waitUntil([&] {
        readAll();
        return got.endsWith("\r\n");
    }));
    EXPECT_EQ(got, "Trans Mode\r\n");
    got.clear();
    write("\x02"
          "A\x03");
    EXPECT_TRUE(waitUntil([&] {
        readAll();
        return got.endsWith("\r\n");
    }));
    EXPECT_TRUE(sim.press("MITSUBISHI", "23 47", 0).startsWith("ok:"));
    EXPECT_TRUE(waitUntil([&] {
        readAll();
        return got.contains("Ave.");
    }));
    EXPECT_EQ(got.count("\r\n"), 1 + 17 + 1);
    ::close(fd);
    EXPECT_EQ(sim.commandLog().first().transport, "serial");
}

TEST(BoardSim, ControlChannel)
{
    BoardSim sim;
    ASSERT_TRUE(sim.listen());
    EXPECT_FALSE(sim.listen(QHostAddress("192.168.0.10"), 0));
    EXPECT_TRUE(sim.errorString().contains("loopback"));
    ASSERT_TRUE(sim.listen());
    EXPECT_TRUE(sim.control("status").contains(QStringLiteral("listening: 127.0.0.1:%1").arg(sim.serverPort())));
    EXPECT_TRUE(sim.control("protocols").contains("SONY20"));
    EXPECT_TRUE(sim.control("frobnicate").startsWith("error:"));
    EXPECT_TRUE(sim.control("press").startsWith("error:"));
    EXPECT_TRUE(sim.control("press NEC r=x").startsWith("error:"));
    EXPECT_TRUE(sim.control("press NEC").startsWith("ignored:"));

    QTemporaryDir dir;
    const QString file = dir.filePath("train.txt");
    zovax::test::writeFileBytes(file, "# recorded\ncarrier 367\n3456 5184\n[001]:00432,000864\n432 150000\n");
    SimClient c;
    ASSERT_TRUE(c.connectTo(sim.serverPort()));
    c.exchange("A", 1);
    EXPECT_TRUE(sim.control("play " + file).startsWith("ok:"));
    EXPECT_EQ(c.take(4),
              (QStringList{"[000]:03456,005184", "[001]:00432,000864", "[002]:00432,550432", "Ave.Carrier36.7kHz"}));
    zovax::test::writeFileBytes(file, "3456 5184\n500 400\n");
    EXPECT_TRUE(sim.control("play " + file).contains(":2:"));
    EXPECT_TRUE(sim.control("play /nonexistent/file").startsWith("error:"));

    ASSERT_TRUE(sim.listenControl(0));
    QTcpSocket ctl;
    ctl.connectToHost(QHostAddress::LocalHost, sim.controlPort());
    ctl.write("help\n");
    EXPECT_TRUE(waitUntil([&] { return ctl.bytesAvailable() > 0 && ctl.peek(4096).contains("quit"); }));
}

TEST(BoardSim, RunsOnItsOwnThread)
{
    QThread thread;
    auto* sim = new BoardSim;
    sim->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, sim, &QObject::deleteLater);
    thread.start();
    ASSERT_TRUE(sim->listen(QHostAddress::LocalHost, 0));
    SimClient c;
    ASSERT_TRUE(c.connectTo(sim->serverPort()));
    EXPECT_EQ(c.exchange("A", 1), QStringList{"Analyze Mode"});
    EXPECT_TRUE(sim->press("SAMSUNG", {}, 0).startsWith("ok:"));
    EXPECT_EQ(c.take(35).last(), "Ave.Carrier38.0kHz");
    EXPECT_EQ(sim->commandTexts(), QStringList{"A"});
    thread.quit();
    thread.wait();
}

TEST(BoardSim, ExecutableStartsOnAnEphemeralPortAndDocumentsItsOptions)
{
    SimProcess proc;
    ASSERT_TRUE(proc.start({"--restart-ms", "100", "--serial"})) << proc.errorString().toStdString();
    EXPECT_GT(proc.port(), 0);
    EXPECT_TRUE(proc.serialPath().startsWith("/dev/"));
    SimClient c;
    ASSERT_TRUE(c.connectTo(proc.port()));
    EXPECT_EQ(c.exchange("A", 1), QStringList{"Analyze Mode"});
    EXPECT_TRUE(proc.control("press NEC 20DF10EF r=0").startsWith("ok:"));
    EXPECT_EQ(c.take(35).last(), "Ave.Carrier38.0kHz");
    EXPECT_TRUE(proc.control("log").contains("tcp A"));
    proc.stop();
    EXPECT_FALSE(proc.isRunning());

    QProcess help;
    help.start(qEnvironmentVariable("ZOVAX_SIM_BIN"), {"--help"});
    ASSERT_TRUE(help.waitForFinished(5000));
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    for (const char* word : {"--host",
                             "--port",
                             "--serial",
                             "--flash",
                             "--autoplay",
                             "--realtime",
                             "--log",
                             "--control-port",
                             "--restart-ms",
                             "--erase-ms",
                             "--no-ack",
                             "--delay-ms",
                             "--split-segments",
                             "--noise-bytes",
                             "--drop-after",
                             "--erase-never",
                             "--download-error-at",
                             "press PROTOCOL",
                             "play FILE",
                             "status",
                             "quit",
                             "loopback"})
        EXPECT_TRUE(text.contains(word)) << word;

    QProcess bad;
    bad.start(qEnvironmentVariable("ZOVAX_SIM_BIN"), {"--host", "10.0.0.1", "--port", "0"});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.readAllStandardError().contains("loopback"));
}
