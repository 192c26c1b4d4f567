// `zovax readback -o FILE` writes byte for byte the file the window tool saves
// after its own read-back of the same board.
#include "RegistrationRig.h"
#include "cli/CliRun.h"
#include "core/shell/Settings.h"
#include "core/table/TableFile.h"

using namespace zovax;

namespace {
class CliReadBackMatchesWindow : public e2e::RegistrationRig {};
} // namespace

TEST_F(CliReadBackMatchesWindow, SameBytesAsTheWindowsSavedFile)
{
    ASSERT_TRUE(learnInto(1, QStringLiteral("NEC"), QStringLiteral("20DF10EF"), 9));
    ASSERT_TRUE(learnInto(2, QStringLiteral("SONY12"), QStringLiteral("1501"), 20));
    ASSERT_TRUE(learnInto(5, QStringLiteral("AIRCON")));
    registerTable();
    table().SetModified(false);
    ASSERT_TRUE(readBack());
    const QString windowFile = dir.filePath(QStringLiteral("window.Txt"));
    ASSERT_TRUE(SaveTableFile(table(), windowFile, prompts).ok);
    w->session().connectTcp(false);
    ASSERT_TRUE(test::waitUntil([&] { return !board->hasClient(); }));

    Settings s;
    s.tcpip.Host = QStringLiteral("127.000.000.001");
    s.tcpip.Port = board->serverPort();
    const QString ini = dir.filePath(QStringLiteral("cli.ini"));
    ASSERT_TRUE(SaveSettings(s, ini));
    const QString cliFile = dir.filePath(QStringLiteral("cli.Txt"));
    const auto r
        = test::runCli({QStringLiteral("readback"), QStringLiteral("-o"), cliFile, QStringLiteral("--settings"), ini});
    ASSERT_EQ(r.status, 0) << testing::PrintToString(r);
    const QByteArray expected = test::readFileBytes(windowFile);
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(test::readFileBytes(cliFile), expected);
}
