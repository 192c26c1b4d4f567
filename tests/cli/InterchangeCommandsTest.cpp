// Other IR formats on the command line: a captured press imported into a
// table file, converted and exported, decoded back from each form, and its
// analysis explained; bad files change nothing.
#include "cli/CliRun.h"
#include "core/irsig/Signals.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zovax;
using test::runCli;

TEST(CliInterchange, ImportConvertExportDecodeAndExplain)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("t.ini")), table = dir.filePath(QStringLiteral("t.Txt"));
    ASSERT_TRUE(test::writeFileBytes(ini, ""));
    // An NEC press held down, as a signed timing list.
    QStringList timing;
    for (const irsig::Pair& p : irsig::encodeNominal(*irsig::findProtocol("NEC"), {0x20, 0xDF, 0x10, 0xEF}, 9))
        timing << QStringLiteral("+%1 -%2").arg(p.high).arg(p.width - p.high);
    ASSERT_TRUE(test::writeFileBytes(dir.filePath(QStringLiteral("in.txt")), timing.join(QLatin1Char(' ')).toLatin1()));
    auto cli = [&](QStringList args) { return runCli(args + QStringList{QStringLiteral("--settings"), ini}); };
    const QString nec = QStringLiteral("38.0kHz\t3\tTm:NEC-32R    d:20DF 10EF");

    auto r = cli({QStringLiteral("table"), QStringLiteral("import"), table, dir.filePath(QStringLiteral("in.txt"))});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("0001\t38.0kHz\t3\t"))
                && r.out.endsWith(nec.section(QLatin1Char('\t'), 2) + QLatin1Char('\n')))
        << r.out.toStdString();

    const QString pronto = dir.filePath(QStringLiteral("p.txt"));
    ASSERT_EQ(cli({QStringLiteral("convert"), table, QStringLiteral("--to"), QStringLiteral("pronto"),
                   QStringLiteral("-o"), pronto})
                  .status,
              0);
    r = cli({QStringLiteral("decode"), pronto});
    EXPECT_EQ(r.out, nec + QLatin1Char('\n')) << testing::PrintToString(r);
    // Imported again: into the next empty row.
    r = cli({QStringLiteral("table"), QStringLiteral("import"), table, pronto});
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("0002\t38.0kHz"))) << testing::PrintToString(r);

    r = runCli({QStringLiteral("table"), QStringLiteral("export"), table, QStringLiteral("--to"),
                QStringLiteral("sendir"), QStringLiteral("--rows"), QStringLiteral("1-2")});
    EXPECT_EQ(r.out.count(QStringLiteral("sendir,")), 2) << r.out.toStdString();

    r = runCli({QStringLiteral("table"), QStringLiteral("explain"), table, QStringLiteral("1")});
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Row 1: "))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Result: Tm:NEC-32R    d:20DF 10EF")));
    r = cli({QStringLiteral("decode"), QStringLiteral("--explain"), QStringLiteral("--json"), pronto});
    const QJsonObject s = QJsonDocument::fromJson(r.out.toUtf8()).object()[QStringLiteral("signals")][0].toObject();
    EXPECT_TRUE(s[QStringLiteral("explanation")].toObject()[QStringLiteral("text")].toString().contains(
        QStringLiteral("Result: Tm:NEC-32R")))
        << r.out.toStdString();

    // Bad input: a usage error and the table file as it was.
    const QByteArray before = test::readFileBytes(table);
    ASSERT_TRUE(test::writeFileBytes(dir.filePath(QStringLiteral("bad.ir")),
                                     "Filetype: IR signals file\nVersion: 1\n#\nname: x\ntype: raw\nfrequency: 0\n"));
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{QStringLiteral("table"), QStringLiteral("import"), table, dir.filePath(QStringLiteral("bad.ir"))}, "bad.ir"},
        {{QStringLiteral("convert"), table, QStringLiteral("--to"), QStringLiteral("mode2")}, "--to takes one of"},
        {{QStringLiteral("table"), QStringLiteral("export"), table, QStringLiteral("--to"), QStringLiteral("lirc"),
          QStringLiteral("--rows"), QStringLiteral("3-1")},
         "--rows"},
    };
    for (const auto& c : cases) {
        r = runCli(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    }
    EXPECT_EQ(test::readFileBytes(table), before);
}
