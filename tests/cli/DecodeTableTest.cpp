// The command-line tool without a board: decoding captured wave lines, table
// files, and the conventions every subcommand shares (help, exit statuses,
// errors on stderr).
#include "cli/CliRun.h"
#include "cli/Progress.h"
#include "core/irsig/Signals.h"
#include "core/table/CodeTable.h"
#include "core/table/TableFile.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zovax;
using test::runCli;

namespace {

// The board's wave lines of one press, optionally with its result line.
QByteArray waveLines(const char* protocol, const char* code, int carrierTenths = 0, uint32_t seed = 1)
{
    const irsig::Protocol* p = irsig::findProtocol(protocol);
    const auto pairs = irsig::encode(*p, *irsig::parseCode(code), 9, irsig::Noise{seed, 3, 40});
    QByteArray out;
    for (size_t i = 0; i < pairs.size(); ++i)
        out += QByteArray::fromStdString(irsig::waveLine(int(i), pairs[i], false)) + "\r\n";
    if (carrierTenths)
        out += QByteArray::fromStdString(irsig::averageLine(carrierTenths)) + "\r\n";
    return out;
}

struct CliDecode : ::testing::Test {
    QTemporaryDir dir;
    QString ini; // an empty settings file: default tolerances and learning time
    void SetUp() override
    {
        ini = dir.filePath(QStringLiteral("t.ini"));
        ASSERT_TRUE(test::writeFileBytes(ini, ""));
    }
    test::CliResult decode(const QByteArray& input, QStringList extra = {})
    {
        return runCli(QStringList{QStringLiteral("decode"), QStringLiteral("--settings"), ini} + extra, input);
    }
};

} // namespace

TEST_F(CliDecode, OneLinePerTrainWithCarrierFramesAndResult)
{
    // Two trains: the first with its result line, the second without (default
    // carrier unless --carrier), as a receive log with other lines between.
    const QByteArray input = "Analyze Mode\r\n" + waveLines("NEC", "20DF10EF", 380) + "Learning Completed !\r\n"
        + waveLines("NEC", "807F40BF");
    auto r = decode(input);
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out,
              QStringLiteral("38.0kHz\t3\tTm:NEC-32R    d:20DF 10EF\n"
                             "38.0kHz\t3\tTm:NEC-32R    d:807F 40BF\n"));
    r = decode(input, {QStringLiteral("--carrier"), QStringLiteral("36.7")});
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("36.7kHz\t3\tTm:NEC-32R    d:807F 40BF\n"))) << r.out.toStdString();
}

TEST_F(CliDecode, TimingListsSignedOrCommaSeparatedOnePerParagraph)
{
    // NEC 20DF10EF sent once: leader, 32 bits, stop mark and its gap.
    QStringList signedList{QStringLiteral("+9000 -4500")}, commaList{QStringLiteral("9000,4500")};
    for (int byte : {0x20, 0xDF, 0x10, 0xEF}) {
        for (int bit = 0; bit < 8; ++bit) {
            const int space = (byte >> bit) & 1 ? 1690 : 560;
            signedList << QStringLiteral("+560 -%1").arg(space);
            commaList << QStringLiteral("560,%1").arg(space);
        }
    }
    signedList << QStringLiteral("+560"); // ends with a mark: a closing space is added
    commaList << QStringLiteral("560,40000");
    const auto r = decode((QStringLiteral("-20000 ") + signedList.join(QLatin1Char(' ')) + QStringLiteral("\n\n")
                           + commaList.join(QStringLiteral(",\n")))
                              .toLatin1(),
                          {QStringLiteral("--carrier"), QStringLiteral("40")});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out, QStringLiteral("40.0kHz\t1\tTm:NEC-32A    d:20DF 10EF\n").repeated(2));

    const auto bad = decode("+9000 -4500 +5x0 -560\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("timing list 1: value 3 (\"+5x0\")"))) << bad.err.toStdString();
}

TEST_F(CliDecode, CheckBoxOptionsAndJson)
{
    const QByteArray input = waveLines("NEC", "20DF10EF", 380);
    const auto pcode = decode(input, {QStringLiteral("--pcode")});
    EXPECT_TRUE(pcode.out.contains(QStringLiteral("\tCode( 36bits): "))) << pcode.out.toStdString();

    const auto json = decode(input, {QStringLiteral("--json")});
    ASSERT_EQ(json.status, 0);
    const QJsonObject s = QJsonDocument::fromJson(json.out.toUtf8()).object()[QStringLiteral("signals")][0].toObject();
    EXPECT_EQ(s[QStringLiteral("format")].toString(), QStringLiteral("NEC-32R"));
    EXPECT_EQ(s[QStringLiteral("code")].toString(), QStringLiteral("20DF 10EF"));
    EXPECT_EQ(s[QStringLiteral("carrierTenths")].toInt(), 380);
    EXPECT_EQ(s[QStringLiteral("dataCount")].toInt(), 36);
}

TEST_F(CliDecode, BadInputGivesAStatusAndAMessage)
{
    // Seventeen pairs far apart in High or Width cannot be learned.
    QByteArray seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen += QByteArray::fromStdString(irsig::waveLine(i, {500 << (i % 4), 1000 << (i / 4)}, false)) + "\n";
    const struct {
        QByteArray input;
        QStringList extra;
        int status;
        const char* message;
    } cases[] = {
        {seventeen + "Ave.Carrier38.0kHz\n", {}, 1, "学習出来ません。"},
        {"hello\n", {}, 2, "形式が分かりません"},
        {waveLines("NEC", "20DF10EF"), {QStringLiteral("--carrier"), QStringLiteral("abc")}, 2, "--carrier"},
        {{}, {dir.filePath(QStringLiteral("missing.txt"))}, 2, "missing.txt: cannot open"},
    };
    for (const auto& c : cases) {
        const auto r = decode(c.input, c.extra);
        EXPECT_EQ(r.status, c.status) << c.message;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    }
}

TEST(CliTable, ShowAndGetRowsOfATableFile)
{
    QTemporaryDir dir;
    CodeTable table;
    table.setCell(kColCarry, 2, QStringLiteral("38.0kHz"));
    table.setCell(kColFrames, 2, QStringLiteral("3"));
    table.setCell(kColComments, 2, QStringLiteral("電源"));
    table.setCell(kColResult, 2, QStringLiteral("Tm:NEC-32R    d:20DF 10EF"));
    TableEntry& e = table.entry(2);
    e.carrier = 380;
    e.dataCount = 3;
    e.high[0] = 9000;
    e.width[0] = 13500;
    e.data[1] = 1;
    const QString path = dir.filePath(QStringLiteral("t.Txt"));
    ASSERT_TRUE(test::writeFileBytes(path, tableFileBytes(table)));

    auto r = runCli({QStringLiteral("table"), QStringLiteral("show"), path});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out, QStringLiteral("0002\t38.0kHz\t3\t電源\tTm:NEC-32R    d:20DF 10EF\n"));

    r = runCli({QStringLiteral("table"), QStringLiteral("get"), path, QStringLiteral("2")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("Comments  電源\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Entry     Twc:380,Twb:003,Twr:000,Twp:0:09000 013500,")));
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("Twd:0100\n"))) << r.out.toStdString();

    r = runCli({QStringLiteral("table"), QStringLiteral("get"), path, QStringLiteral("2"), QStringLiteral("--json")});
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o[QStringLiteral("comments")].toString(), QStringLiteral("電源"));
    EXPECT_EQ(o[QStringLiteral("entry")][QStringLiteral("data")].toString(), QStringLiteral("010"));
    EXPECT_EQ(o[QStringLiteral("entry")][QStringLiteral("patterns")][0].toArray(), QJsonArray({9000, 13500}));
}

TEST(CliTable, BadRowsAndFilesAreUsageErrorsNamingWhatFailed)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.Txt"));
    const QString bad = dir.filePath(QStringLiteral("bad.Txt"));
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    ASSERT_TRUE(test::writeFileBytes(good, tableFileBytes(CodeTable())));
    ASSERT_TRUE(test::writeFileBytes(bad, "ZOVAX Table File\r\n[001],,,,,Twc:380,Twp:0:9x000 013500,Twd:\r\n"));
    ASSERT_TRUE(test::writeFileBytes(plain, "just text\n"));
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{QStringLiteral("get"), good, QStringLiteral("0")}, "row must be a number from 1 to 999: 0"},
        {{QStringLiteral("get"), good, QStringLiteral("1000")}, "1000"},
        {{QStringLiteral("get"), good, QStringLiteral("x")}, "row must be"},
        {{QStringLiteral("show"), bad}, "bad.Txt:2: "},
        {{QStringLiteral("show"), plain}, "plain.txt:1: not a table file"},
        {{QStringLiteral("show"), dir.filePath(QStringLiteral("none"))}, "none: cannot open"},
        {{QStringLiteral("show")}, "missing argument"},
        {{QStringLiteral("drop"), good}, "'table' needs a subcommand"},
    };
    for (const auto& c : cases) {
        const auto r = runCli(QStringList{QStringLiteral("table")} + c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("zovax: ")) && r.err.contains(QString::fromUtf8(c.message)))
            << r.err.toStdString();
    }
}

TEST(CliConventions, HelpForTheToolAndEverySubcommand)
{
    const QStringList commands{
        QStringLiteral("decode"),       QStringLiteral("table show"),     QStringLiteral("table get"),
        QStringLiteral("version"),      QStringLiteral("fire"),           QStringLiteral("send"),
        QStringLiteral("register"),     QStringLiteral("readback"),       QStringLiteral("verify"),
        QStringLiteral("learn"),        QStringLiteral("netconfig show"), QStringLiteral("netconfig set"),
        QStringLiteral("convert"),      QStringLiteral("table import"),   QStringLiteral("table export"),
        QStringLiteral("table explain")};
    const auto top = runCli({QStringLiteral("--help")});
    EXPECT_EQ(top.status, 0);
    for (const QString& c : commands) {
        EXPECT_TRUE(top.out.contains(QStringLiteral("  ") + c + QLatin1Char(' '))) << c.toStdString();
        const auto r = runCli(c.split(QLatin1Char(' ')) + QStringList{QStringLiteral("--help")});
        EXPECT_EQ(r.status, 0) << c.toStdString();
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("Usage: zovax ") + c)) << r.out.toStdString();
    }
    EXPECT_EQ(runCli({}).status, 2); // no command: the help on stderr
    // Options may come before the command, a value option with its value.
    EXPECT_EQ(runCli({QStringLiteral("--json"), QStringLiteral("--carrier"), QStringLiteral("40"),
                      QStringLiteral("decode"), QStringLiteral("--help")})
                  .status,
              0);
    const auto unknown = runCli({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("unknown command 'frobnicate'")));
    const auto option = runCli({QStringLiteral("decode"), QStringLiteral("--bogus")});
    EXPECT_EQ(option.status, 2);
    EXPECT_TRUE(option.err.contains(QStringLiteral("unknown option --bogus")));
}

TEST(CliProgress, DrawnOnATerminalOnly)
{
    for (bool terminal : {false, true}) {
        QByteArray bytes;
        QBuffer err(&bytes);
        err.open(QIODevice::WriteOnly);
        {
            cli::Progress bar(&err, terminal, QStringLiteral("readback"), 250);
            bar.update(0);
            bar.update(125);
        }
        if (terminal)
            EXPECT_TRUE(bytes.endsWith(QByteArray("\rreadback [###############               ]  125/250\n")))
                << bytes.toStdString();
        else
            EXPECT_TRUE(bytes.isEmpty());
    }
}
