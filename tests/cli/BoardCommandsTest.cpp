// The board subcommands of the command-line tool against the board simulator:
// every subcommand end to end over TCP and over the simulator's
// pseudo-terminal, and the faults: no answer, a board that stops answering in
// the middle, a dropped link, bad arguments and files (nothing sent).
#include "cli/BoardCommands.h"
#include "cli/CliRun.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "core/table/TableFile.h"
#include "sim/board/BoardSim.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace zovax;
using test::runCli;

namespace {

// Stands between the tool and the board and passes everything on until the
// board has sent `answerLines` lines; after that the board's answers are
// swallowed (the tool's commands still reach the board): a board that stops
// answering in the middle.
class MutingProxy : public QObject {
public:
    MutingProxy(quint16 boardPort, int answerLines) : answersLeft_(answerLines)
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this, boardPort] {
            tool_ = server_.nextPendingConnection();
            board_ = new QTcpSocket(this);
            board_->connectToHost(QHostAddress::LocalHost, boardPort);
            QObject::connect(tool_, &QTcpSocket::readyRead, this, [this] { board_->write(tool_->readAll()); });
            QObject::connect(board_, &QTcpSocket::readyRead, this, [this] {
                const QByteArray bytes = board_->readAll();
                for (char c : bytes) {
                    if (answersLeft_ > 0)
                        tool_->write(&c, 1);
                    if (c == '\n')
                        --answersLeft_;
                }
            });
        });
    }
    quint16 port() const { return server_.serverPort(); }

private:
    QTcpServer server_;
    QTcpSocket* tool_ = nullptr;
    QTcpSocket* board_ = nullptr;
    int answersLeft_;
};

class CliBoard : public ::testing::Test {
public: // the serial cases' checks reach the board and the files
    QTemporaryDir dir;
    std::unique_ptr<sim::BoardSim> board;
    QString ini;

    void startBoard(sim::BoardOptions o = {})
    {
        o.restartMs = 100;
        o.autoplayDelayMs = 20;
        board = std::make_unique<sim::BoardSim>(o);
        ASSERT_TRUE(board->listen(QHostAddress::LocalHost, 0));
        aimAt(board->serverPort());
    }
    // The settings file names the target: the tool's defaults come from it.
    void aimAt(quint16 port)
    {
        Settings s;
        s.tcpip.Host = QStringLiteral("127.000.000.001");
        s.tcpip.Port = port;
        ini = dir.filePath(QStringLiteral("zovax-ether.ini"));
        ASSERT_TRUE(SaveSettings(s, ini));
    }
    test::CliResult cli(QStringList args)
    {
        // Defaults first: an option given again in args wins.
        return runCli(QStringList{QStringLiteral("--settings"), ini, QStringLiteral("--timeout"), QStringLiteral("400")}
                      + args);
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    // A table file with `rows` entries of a recognisable shape.
    QString writeTable(const char* name, int rows, int carrier = 380)
    {
        CodeTable t;
        for (int r = 1; r <= rows; ++r) {
            TableEntry e;
            e.carrier = carrier;
            e.dataCount = 5;
            e.repeat = 1;
            e.high[0] = 9000, e.width[0] = 13500, e.high[1] = 560, e.width[1] = 1120;
            e.high[2] = 560, e.width[2] = 2250;
            const uint8_t data[] = {0, 1, 2, 1, uint8_t(r % 3)};
            std::copy(std::begin(data), std::end(data), e.data.begin());
            t.setRow(r, {QStringLiteral("38.0kHz"), QStringLiteral("3"), QStringLiteral("row"), QString()}, e);
        }
        EXPECT_TRUE(test::writeFileBytes(path(name), tableFileBytes(t)));
        return path(name);
    }
};

} // namespace

TEST_F(CliBoard, EverySubcommandOverTcp)
{
    sim::BoardOptions o;
    o.autoplay = QStringList{QStringLiteral("NEC=20DF10EF*9"), QStringLiteral("SONY12=1501*20")};
    ASSERT_NO_FATAL_FAILURE(startBoard(o));

    auto r = cli({QStringLiteral("version")});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("ZOVAX-Ether Ver."))) << r.out.toStdString();

    r = cli({QStringLiteral("send"), QStringLiteral("Ncnf"), QStringLiteral("--wait"), QStringLiteral("100")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("I:127.000.000.001"))) << r.out.toStdString();

    // Learn two presses into rows 1 and 2 of a new file.
    const QString learned = path("learned.Txt");
    r = cli({QStringLiteral("learn"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("-o"), learned});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out,
              QStringLiteral("0001\t38.0kHz\t3\t\tTm:NEC-32R    d:20DF 10EF\n"
                             "0002\t40.0kHz\t3\t\tTm:SONY12     d:0115\n"));
    EXPECT_EQ(runCli({QStringLiteral("table"), QStringLiteral("show"), learned}).out, r.out);
    EXPECT_EQ(board->commandTexts().last(), QStringLiteral("T")); // learning switched off

    r = cli({QStringLiteral("register"), learned});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    r = cli({QStringLiteral("verify"), learned});
    EXPECT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_TRUE(r.out.isEmpty());

    const QString back = path("back.Txt");
    r = cli({QStringLiteral("readback"), QStringLiteral("-o"), back});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_TRUE(runCli({QStringLiteral("table"), QStringLiteral("show"), back})
                    .out.startsWith(QStringLiteral("0001\t38.0kHz\t3\tNEC-32R\tTm:NEC-32R    d:20DF 10EF\n")));

    board->clearCommandLog();
    r = cli({QStringLiteral("fire"), learned, QStringLiteral("2"), QStringLiteral("--out"), QStringLiteral("1,3")});
    EXPECT_EQ(r.status, 0) << testing::PrintToString(r);
    const QStringList fired = board->commandTexts();
    EXPECT_TRUE(fired.contains(QStringLiteral("Tp:1010")));
    EXPECT_TRUE(fired.contains(QStringLiteral("Twc:400")));
    EXPECT_EQ(fired.last(), QStringLiteral("Tf:003"));

    r = cli({QStringLiteral("netconfig"), QStringLiteral("show"), QStringLiteral("--json")});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).object()[QStringLiteral("ip")].toString(),
              QStringLiteral("127.000.000.001"));
    r = cli({QStringLiteral("netconfig"), QStringLiteral("set"), QStringLiteral("linkdown=25"),
             QStringLiteral("dns=127.0.0.9")});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_TRUE(board->commandTexts().contains(QStringLiteral("Nlnk:25")));
    EXPECT_EQ(board->commandTexts().last(), QStringLiteral("Nsav"));
    ASSERT_TRUE(test::waitUntil([&] { return !board->isRestarting() && board->serverPort() != 0; }));
    aimAt(board->serverPort());
    r = cli({QStringLiteral("netconfig"), QStringLiteral("show")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("linkdown  25\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("dns       127.000.000.009\n"))) << r.out.toStdString();
}

TEST_F(CliBoard, VerifyNamesEachDifferenceAndFailsWithStatus1)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    ASSERT_EQ(cli({QStringLiteral("register"), writeTable("a.Txt", 3)}).status, 0);
    const QString other = writeTable("b.Txt", 4, 400);
    const auto r = cli({QStringLiteral("verify"), other, QStringLiteral("--json")});
    EXPECT_EQ(r.status, 1);
    const auto diffs = QJsonDocument::fromJson(r.out.toUtf8()).object()[QStringLiteral("differences")].toArray();
    ASSERT_EQ(diffs.size(), 4) << r.out.toStdString(); // the carrier of rows 1-3, row 4 missing on the board
    EXPECT_EQ(diffs[0].toObject()[QStringLiteral("field")].toString(), QStringLiteral("carrier"));
    EXPECT_EQ(diffs[3].toObject()[QStringLiteral("row")].toInt(), 4);
    EXPECT_EQ(diffs[3].toObject()[QStringLiteral("board")].toString(), QStringLiteral("empty"));
}

TEST_F(CliBoard, SerialLinkCommandsAndOptionsThatDoNotGoTogether)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    const QString pty = board->openSerial();
    ASSERT_FALSE(pty.isEmpty());
    auto r = cli({QStringLiteral("version"), QStringLiteral("--serial"), pty});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("ZOVAX-Ether Ver.")));
    board->clearCommandLog();
    r = cli({QStringLiteral("fire"), writeTable("s.Txt", 1), QStringLiteral("1"), QStringLiteral("--serial"), pty});
    EXPECT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_EQ(board->commandTexts().last(), QStringLiteral("Tf:003"));
    r = cli({QStringLiteral("register"), path("s.Txt"), QStringLiteral("--serial"), pty, QStringLiteral("--port"),
             QStringLiteral("60000")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("cannot be combined with --host or --port")));
    r = cli({QStringLiteral("readback"), QStringLiteral("--serial"), QString()});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--serial takes the serial port's device path")));
    r = cli({QStringLiteral("version"), QStringLiteral("--serial"), path("no-such-tty")});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("cannot open the serial port")));
}

TEST_F(CliBoard, BadArgumentsAndFilesSendNothing)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    const QString table = writeTable("t.Txt", 2);
    ASSERT_TRUE(
        test::writeFileBytes(path("bad.Txt"), "ZOVAX Table File\r\n[001],38.0kHz,3,,,Twc:380,Twp:0:x,Twd:\r\n"));
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{QStringLiteral("fire"), table, QStringLiteral("0")}, "row must be a number from 1 to 999"},
        {{QStringLiteral("fire"), table, QStringLiteral("3")}, "row 3 is empty"},
        {{QStringLiteral("fire"), table, QStringLiteral("1"), QStringLiteral("--out"), QStringLiteral("1,5")}, "--out"},
        {{QStringLiteral("fire"), table, QStringLiteral("1"), QStringLiteral("--out"), QStringLiteral("")}, "--out"},
        {{QStringLiteral("register"), path("bad.Txt")}, "bad.Txt:2: "},
        {{QStringLiteral("verify"), path("none.Txt")}, "none.Txt: cannot open"},
        {{QStringLiteral("register"), path("empty.Txt")}, "cannot open"},
        {{QStringLiteral("netconfig"), QStringLiteral("set"), QStringLiteral("ip=300.1.1.1")},
         "not a valid IP address"},
        {{QStringLiteral("netconfig"), QStringLiteral("set"), QStringLiteral("colour=red")}, "KEY=VALUE"},
        {{QStringLiteral("version"), QStringLiteral("--port"), QStringLiteral("70000")}, "--port"},
        {{QStringLiteral("version"), QStringLiteral("--timeout"), QStringLiteral("soon")}, "--timeout"},
    };
    for (const auto& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    }
    EXPECT_TRUE(board->commandTexts().isEmpty());
    EXPECT_FALSE(board->hasClient());
}

TEST_F(CliBoard, UnreachableOrSilentBoardGivesStatus3AndNoFile)
{
    sim::BoardOptions o;
    o.noAck = true;
    ASSERT_NO_FATAL_FAILURE(startBoard(o));
    const QString table = writeTable("t.Txt", 2);
    const QString out = path("out.Txt");
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{QStringLiteral("version")}, "did not answer \"Ver\""},
        {{QStringLiteral("register"), table}, "did not answer the start of registration"},
        {{QStringLiteral("readback"), QStringLiteral("-o"), out}, "did not answer the read-back request"},
        {{QStringLiteral("netconfig"), QStringLiteral("show")}, "did not report its network configuration"},
        {{QStringLiteral("send"), QStringLiteral("Ver")}, "no reply"},
    };
    for (const auto& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.status, 3) << c.message;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
    // Table mode is left as the windows leave it.
    EXPECT_EQ(board->commandTexts().filter(QStringLiteral("KRV:off")).size(), 2);

    board.reset(); // nothing listens any more
    const auto r = cli({QStringLiteral("version")});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("cannot reach the board at 127.000.000.001/"))) << r.err.toStdString();
}

// Each subcommand that waits for the board's table, learning or configuration
// answers, over the simulator's pseudo-terminal.
struct SerialCase {
    const char* name;
    bool registered; // the board holds the three rows of t.Txt first (registered over TCP)
    QStringList args;
    std::function<void(CliBoard&, const test::CliResult&)> check;
};

void PrintTo(const SerialCase& c, std::ostream* os)
{
    *os << c.name;
}

class CliBoardSerial : public CliBoard, public ::testing::WithParamInterface<SerialCase> {};

TEST_P(CliBoardSerial, WorksAsOverTcp)
{
    const SerialCase& c = GetParam();
    sim::BoardOptions o;
    o.autoplay = QStringList{QStringLiteral("NEC=20DF10EF*9")};
    ASSERT_NO_FATAL_FAILURE(startBoard(o));
    const QString pty = board->openSerial();
    ASSERT_FALSE(pty.isEmpty());
    const QString table = writeTable("t.Txt", 3);
    if (c.registered) {
        ASSERT_EQ(cli({QStringLiteral("register"), table}).status, 0);
    }
    QStringList args;
    for (const QString& a : c.args)
        args << (a.endsWith(QLatin1String(".Txt")) ? path(a.toUtf8().constData()) : a);
    board->clearCommandLog();
    const auto r = cli(args + QStringList{QStringLiteral("--serial"), pty});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_FALSE(board->hasClient()); // nothing went over TCP
    c.check(*this, r);
}

INSTANTIATE_TEST_SUITE_P(
    Subcommands, CliBoardSerial,
    ::testing::Values(
        SerialCase{"Register",
                   false,
                   {QStringLiteral("register"), QStringLiteral("t.Txt")},
                   [](CliBoard& t, const test::CliResult&) {
                       EXPECT_EQ(t.board->commandTexts().filter(QStringLiteral("Tws:")).size(), 3);
                       // What went in over the serial link reads back over TCP.
                       EXPECT_EQ(t.cli({QStringLiteral("verify"), t.path("t.Txt")}).status, 0);
                   }},
        SerialCase{"Verify",
                   true,
                   {QStringLiteral("verify"), QStringLiteral("t.Txt")},
                   [](CliBoard&, const test::CliResult& r) { EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString(); }},
        SerialCase{
            "Readback",
            true,
            {QStringLiteral("readback"), QStringLiteral("-o"), QStringLiteral("serial.Txt")},
            [](CliBoard& t, const test::CliResult&) {
                // Byte for byte the file a read-back over TCP writes.
                ASSERT_EQ(t.cli({QStringLiteral("readback"), QStringLiteral("-o"), t.path("tcp.Txt")}).status, 0);
                const QByteArray overTcp = test::readFileBytes(t.path("tcp.Txt"));
                EXPECT_TRUE(overTcp.contains("Twc:380"));
                EXPECT_EQ(test::readFileBytes(t.path("serial.Txt")), overTcp);
            }},
        SerialCase{
            "Learn",
            false,
            {QStringLiteral("learn"), QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("-o"),
             QStringLiteral("learned.Txt")},
            [](CliBoard& t, const test::CliResult& r) {
                EXPECT_EQ(r.out, QStringLiteral("0001\t38.0kHz\t3\t\tTm:NEC-32R    d:20DF 10EF\n"));
                EXPECT_EQ(runCli({QStringLiteral("table"), QStringLiteral("show"), t.path("learned.Txt")}).out, r.out);
                EXPECT_EQ(t.board->commandTexts().last(), QStringLiteral("T"));
            }},
        SerialCase{"NetconfigShow",
                   false,
                   {QStringLiteral("netconfig"), QStringLiteral("show")},
                   [](CliBoard&, const test::CliResult& r) {
                       EXPECT_TRUE(r.out.startsWith(QStringLiteral("mac       "))) << r.out.toStdString();
                       EXPECT_TRUE(r.out.contains(QStringLiteral("ip        127.000.000.001\n")));
                   }},
        SerialCase{"NetconfigSet",
                   false,
                   {QStringLiteral("netconfig"), QStringLiteral("set"), QStringLiteral("linkdown=25")},
                   [](CliBoard& t, const test::CliResult&) {
                       EXPECT_TRUE(t.board->commandTexts().contains(QStringLiteral("Nlnk:25")));
                       EXPECT_EQ(t.board->commandTexts().last(), QStringLiteral("Nsav"));
                       ASSERT_TRUE(test::waitUntil([&] { return !t.board->isRestarting(); }));
                       const auto shown = t.cli({QStringLiteral("netconfig"), QStringLiteral("show"),
                                                 QStringLiteral("--serial"), t.board->openSerial()});
                       EXPECT_TRUE(shown.out.contains(QStringLiteral("linkdown  25\n"))) << shown.out.toStdString();
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliBoard, SerialReadbackStopsWhenTheBoardStopsAnsweringAndWritesNoFile)
{
    sim::BoardOptions o;
    o.muteAfter = 100; // per link: the serial link answers its first 100 commands
    ASSERT_NO_FATAL_FAILURE(startBoard(o));
    const QString pty = board->openSerial();
    ASSERT_FALSE(pty.isEmpty());
    ASSERT_EQ(cli({QStringLiteral("register"), writeTable("t.Txt", 3)}).status, 0);
    const QString out = path("back.Txt");
    board->clearCommandLog();
    const auto r = cli({QStringLiteral("readback"), QStringLiteral("-o"), out, QStringLiteral("--serial"), pty});
    EXPECT_EQ(r.status, 3) << testing::PrintToString(r);
    EXPECT_TRUE(r.err.contains(QStringLiteral("stopped answering at entry"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    const QStringList sent = board->commandTexts();
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_EQ(sent.last(), QStringLiteral("KRV:off")); // table mode left as the windows leave it
}

struct MidwayFault {
    const char* name;
    bool drop; // the board closes the link (else it stops answering)
    int after; // commands (drop) or answer lines (stop) before the fault
    bool readback;
    const char* message;
};

class CliBoardMidway : public CliBoard, public ::testing::WithParamInterface<MidwayFault> {};

TEST_P(CliBoardMidway, StopsWithStatus3LeavesTheFileAndClosesTableMode)
{
    const MidwayFault& f = GetParam();
    sim::BoardOptions o;
    if (f.drop) {
        o.dropAfter = f.after;
    }
    ASSERT_NO_FATAL_FAILURE(startBoard(o));
    const QString table = writeTable("t.Txt", 40);
    std::unique_ptr<MutingProxy> proxy;
    if (!f.drop) {
        // Registration first (through no proxy) so that the read-back has rows to return.
        if (f.readback) {
            ASSERT_EQ(cli({QStringLiteral("register"), table}).status, 0);
        }
        proxy = std::make_unique<MutingProxy>(board->serverPort(), f.after);
        aimAt(proxy->port());
    }
    const QString out = path("old.Txt");
    ASSERT_TRUE(test::writeFileBytes(out, "an older file\n"));
    board->clearCommandLog();
    const auto r = f.readback ? cli({QStringLiteral("readback"), QStringLiteral("-o"), out})
                              : cli({QStringLiteral("register"), table});
    EXPECT_EQ(r.status, 3) << testing::PrintToString(r);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(f.message))) << r.err.toStdString();
    EXPECT_EQ(test::readFileBytes(out), QByteArray("an older file\n"));
    if (!f.drop) {
        EXPECT_TRUE(test::waitUntil([&] { return board->commandTexts().contains(QStringLiteral("KRV:off")); }, 2000));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliBoardMidway,
    ::testing::Values(MidwayFault{"RegisterStops", false, 20, false, "stopped answering at row"},
                      MidwayFault{"ReadbackStops", false, 200, true, "stopped answering at entry"},
                      MidwayFault{"RegisterDrops", true, 60, false, "went down during registration"},
                      MidwayFault{"ReadbackDrops", true, 30, true, "went down during the read-back"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliCompare, RowsAsRegistrationStoresThem)
{
    CodeTable file, board;
    auto put = [](CodeTable& t, int row, int carrier, std::vector<std::pair<int, int>> pairs, int count) {
        TableEntry e;
        e.carrier = carrier;
        e.dataCount = count;
        for (size_t i = 0; i < pairs.size(); ++i) {
            e.high[i] = pairs[i].first;
            e.width[i] = pairs[i].second;
        }
        t.setRow(row, {QStringLiteral("x"), {}, {}, {}}, e);
    };
    put(file, 1, 380, {{9000, 13500}, {0, 0}, {560, 1120}}, 3); // a pair after the empty one is not stored
    put(board, 1, 380, {{9000, 13500}}, 3);
    put(file, 2, 380, {{9000, 13500}}, 3);
    put(board, 2, 380, {{9000, 13600}}, 3);
    board.entry(2).data[1] = 4;
    put(board, 3, 380, {}, 0); // on the board only
    const auto d = cli::compareTables(file, board, 250);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].row, 2);
    EXPECT_EQ(d[0].field, QStringLiteral("pattern 0"));
    EXPECT_EQ(d[0].board, QStringLiteral("9000 13600"));
    EXPECT_EQ(d[1].field, QStringLiteral("data"));
    EXPECT_EQ(d[1].board, QStringLiteral("040"));
    EXPECT_EQ(d[2].row, 3);
}
