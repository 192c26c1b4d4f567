// The board's network configuration: the reply markers with their order and
// widths, the record and dialog updates, the adoption of the board's address,
// the Update sequence and the text rules of the masked fields.
#include "core/link/NetConfig.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "support/LinkRig.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

using namespace zovax;

namespace {

struct FakeConfigView : NetConfigView {
    std::map<ConfigField, QString> fields;
    QStringList calls; // ShowConfigGroup, caption, MAC, host group
    QString host, port;

    QString fieldText(ConfigField f) const override
    {
        auto it = fields.find(f);
        return it == fields.end() ? QString() : it->second;
    }
    void setFieldText(ConfigField f, const QString& t) override { fields[f] = t; }
    void ShowConfigGroup(bool on) override { calls << (on ? "show" : "hide"); }
    void setUpdateCaption(const QString& c) override { calls << "caption " + c; }
    void enableMacField() override { calls << "mac enabled"; }
    void fillHostGroup() override { calls << "host group"; }
    void setTargetHost(const QString& h) override { host = h; }
    void setTargetPort(int p) override { port = QString::number(p); }
};

struct NetConfigTest : ::testing::Test, test::LinkRig {
    FakeConfigView view;
    QString hostPanel;
    QString commandLine;
    NetConfig nc{link, [this] { return commandLine; }};
    QStringList hangUps;

    void SetUp() override
    {
        nc.setView(&view);
        QObject::connect(&nc, &NetConfig::hostPanelShown, [this](const QString& t) { hostPanel = t; });
        QObject::connect(&nc, &NetConfig::hangUpRequested, [this] { hangUps << "hang up"; });
        link.handlers.HandleConfigLine = [this](const QString& l) { nc.HandleConfigLine(l); };
    }
};

// One reply line and what it changes.
struct LineRow {
    const char* name;
    const char* line;
    bool dialogOpen;
    ConfigField field;
    const char* fieldText; // nullptr: no field changes
    bool ack;
};

class ConfigLineTest : public NetConfigTest, public ::testing::WithParamInterface<LineRow> {};

TEST_P(ConfigLineTest, FillsItsFieldAndAcknowledges)
{
    const LineRow& r = GetParam();
    link.state().netConfigOpen = r.dialogOpen;
    link.state().consoleConfigMode = !r.dialogOpen;
    link.DispatchLine(QString::fromLatin1(r.line));
    if (r.fieldText) {
        ASSERT_EQ(view.fields.size(), 1u);
        EXPECT_EQ(view.fields[r.field], QString::fromLatin1(r.fieldText));
    } else {
        EXPECT_TRUE(view.fields.empty());
    }
    EXPECT_EQ(link.state().replyAck, r.ack);
    // The console's dialogue lists every line; the dialog alone lists none.
    EXPECT_EQ(log.lines.size(), r.dialogOpen ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConfigLineTest,
    ::testing::Values(
        LineRow{"mac", "M:0a-3c-51-e0-00-09", true, ConfigField::MacAdrs, "0A-3C-51-E0-00-09", true},
        LineRow{"macWithTail", "M:0A-3C-51-E0-00-0912345", true, ConfigField::MacAdrs, "0A-3C-51-E0-00-09", true},
        LineRow{"ip", "I:192.168.001.050", true, ConfigField::SvIP, "192.168.001.050", true},
        LineRow{"ipAfterText", "Board I:127.000.000.001 ok", false, ConfigField::SvIP, "127.000.000.001", true},
        LineRow{"ipShort", "I:192.168", true, ConfigField::SvIP, "192.168.000.000", true},
        LineRow{"mask", "N:255.255.000.000", true, ConfigField::NetMask, "255.255.000.000", true},
        LineRow{"gateway", "G:010.000.000.001", true, ConfigField::Gateway, "010.000.000.001", true},
        LineRow{"port", "P:60001", true, ConfigField::SvPort, "60001", true},
        LineRow{"portFiveChars", "P:1234567", true, ConfigField::SvPort, "12345", true},
        LineRow{"dns", "D:008.008.008.008", true, ConfigField::PrimDNS, "008.008.008.008", true},
        LineRow{"linkDown", "L:030", true, ConfigField::LinkDown, "030", true},
        LineRow{"recv", "R:200", true, ConfigField::RecvTout, "200", true},
        // "M:" is tested first: a line with both markers is a MAC line.
        LineRow{"macBeforePort", "P:60001 M:0A-3C-51-E0-00-01", true, ConfigField::MacAdrs, "0A-3C-51-E0-00-01", true},
        LineRow{"noMarker", "ZOVAX-Ether firmware", true, ConfigField::MacAdrs, nullptr, false},
        LineRow{"noMarkerConsole", "Config>", false, ConfigField::MacAdrs, nullptr, false}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(NetConfigTest, NumberFieldsStoreTheirValueOrTheDefault)
{
    link.state().netConfigOpen = true;
    struct Row {
        const char* line;
        int SVCNF::*field;
        int expected;
    };
    const Row rows[] = {
        {"P:60001", &SVCNF::SvPort, 60001}, {"P:abcde", &SVCNF::SvPort, 60000}, {"P:00000", &SVCNF::SvPort, 60000},
        {"P:99999", &SVCNF::SvPort, 60000}, {"L:030", &SVCNF::LinkDown, 30},    {"L:x", &SVCNF::LinkDown, 10},
        {"L:-5", &SVCNF::LinkDown, 10},     {"R:200", &SVCNF::RecvTout, 200},   {"R:", &SVCNF::RecvTout, 180},
    };
    for (const Row& r : rows) {
        settings.svcnf.*r.field = -7;
        nc.HandleConfigLine(r.line);
        EXPECT_EQ(settings.svcnf.*r.field, r.expected) << r.line;
    }
}

TEST_F(NetConfigTest, TextFieldsStoreWhatTheFieldShows)
{
    nc.HandleConfigLine("M:0a:3c:51:e0:00:2f");
    nc.HandleConfigLine("N:255.255.255.0");
    nc.HandleConfigLine("G:10.0.0.1");
    nc.HandleConfigLine("D:8.8.8.8");
    EXPECT_EQ(settings.svcnf.MacAdrs, "0A-3C-51-E0-00-2F");
    EXPECT_EQ(settings.svcnf.NetMask, "255.255.255.000");
    EXPECT_EQ(settings.svcnf.Gateway, "010.000.000.001");
    EXPECT_EQ(settings.svcnf.PrimDNS, "008.008.008.008");
    EXPECT_EQ(view.fields[ConfigField::Gateway], settings.svcnf.Gateway);
}

TEST_F(NetConfigTest, TheBoardsNewAddressBecomesTheTargetWhileTheDialogIsOpen)
{
    link.state().netConfigOpen = true;
    settings.tcpip.Host = "127.000.000.001";
    settings.tcpip.Port = 60000;
    nc.HandleConfigLine("I:127.000.000.002");
    EXPECT_EQ(settings.svcnf.SvIP, "127.000.000.002");
    EXPECT_EQ(settings.tcpip.Host, "127.000.000.002");
    EXPECT_EQ(view.host, "127.000.000.002");
    EXPECT_EQ(hostPanel, "") << "the host panel changes with the port line";
    nc.HandleConfigLine("P:60005");
    EXPECT_EQ(settings.tcpip.Port, 60005);
    EXPECT_EQ(view.port, "60005");
    EXPECT_EQ(hostPanel, "127.000.000.002/60005");
}

TEST_F(NetConfigTest, TheConsoleDialogueAloneDoesNotMoveTheTarget)
{
    link.state().consoleConfigMode = true;
    settings.tcpip.Host = "127.000.000.001";
    settings.tcpip.Port = 60000;
    link.DispatchLine("I:127.000.000.009");
    link.DispatchLine("P:60009");
    EXPECT_EQ(settings.svcnf.SvIP, "127.000.000.009");
    EXPECT_EQ(settings.svcnf.SvPort, 60009);
    EXPECT_EQ(settings.tcpip.Host, "127.000.000.001");
    EXPECT_EQ(settings.tcpip.Port, 60000);
    EXPECT_TRUE(hostPanel.isEmpty());
    EXPECT_EQ(log.lines, QStringList({"I:127.000.000.009", "P:60009"}));
}

// "R:" ends the report: the group is shown, and the console's dialogue ends
// when the command line holds exactly "Q" or "Quit".
TEST_F(NetConfigTest, RecvLineShowsTheGroupAndEndsTheDialogueOnExactQuit)
{
    const std::pair<const char*, bool> rows[]
        = {{"Q", true}, {"Quit", true}, {"q", false}, {"quit", false}, {"Quit ", false}, {"", false}, {"QUIT", false}};
    for (const auto& [cmd, ends] : rows) {
        link.state().consoleConfigMode = true;
        commandLine = cmd;
        view.calls.clear();
        nc.HandleConfigLine("R:180");
        EXPECT_EQ(view.calls, QStringList({"show"})) << cmd;
        EXPECT_EQ(link.state().consoleConfigMode, !ends) << cmd;
    }
}

TEST_F(NetConfigTest, SystemResetHangsUp)
{
    link.state().netConfigOpen = true;
    nc.HandleConfigLine("System Reset");
    EXPECT_EQ(hangUps, QStringList({"hang up"}));
    EXPECT_FALSE(link.state().replyAck);
}

TEST_F(NetConfigTest, ShowingTheDialogAsksTheBoardWhenConnected)
{
    link.state().tcpConnected = true;
    EXPECT_TRUE(nc.FormShow());
    EXPECT_TRUE(link.state().netConfigOpen);
    EXPECT_EQ(sent, QStringList({"Ncnf"}));
    EXPECT_EQ(view.calls, QStringList({"host group"}));
    EXPECT_TRUE(view.fields.empty());
    // Shown again while still open: nothing happens.
    EXPECT_FALSE(nc.FormShow());
    EXPECT_EQ(sent.size(), 1);
    nc.FormClose();
    EXPECT_FALSE(link.state().netConfigOpen);
}

TEST_F(NetConfigTest, ShowingTheDialogUnconnectedFillsTheGroupFromTheRecord)
{
    settings.svcnf.SvIP = "10.1.2.3"; // a hand-edited settings file
    settings.svcnf.MacAdrs = "0a-3c-51-e0-01-00";
    settings.svcnf.SvPort = 60010;
    EXPECT_TRUE(nc.FormShow());
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(view.fields.size(), 8u);
    EXPECT_EQ(view.fields[ConfigField::SvIP], "010.001.002.003");
    EXPECT_EQ(settings.svcnf.SvIP, "010.001.002.003");
    EXPECT_EQ(view.fields[ConfigField::MacAdrs], "0A-3C-51-E0-01-00");
    EXPECT_EQ(view.fields[ConfigField::SvPort], "60010");
    EXPECT_EQ(view.fields[ConfigField::RecvTout], "180");
    EXPECT_FALSE(view.calls.contains("show")) << "the group stays hidden until the board answers";
}

struct UpdateTest : NetConfigTest {
    void fillView()
    {
        view.fields[ConfigField::MacAdrs] = "0A-3C-51-E0-00-07";
        view.fields[ConfigField::SvIP] = "127.0.0.1"; // as a masked field may read
        view.fields[ConfigField::SvPort] = "60002";
        view.fields[ConfigField::NetMask] = "255.255.255.000";
        view.fields[ConfigField::Gateway] = "127.000.000.254";
        view.fields[ConfigField::PrimDNS] = "127.000.000.053";
        view.fields[ConfigField::LinkDown] = "20";
        view.fields[ConfigField::RecvTout] = "300";
    }
};

TEST_F(UpdateTest, SendsTheEightSettingsInOrderThenNsavEvenWithoutReplies)
{
    link.state().tcpConnected = true;
    link.state().netConfigOpen = true;
    fillView();
    QElapsedTimer t;
    t.start();
    nc.Update();
    EXPECT_GE(t.elapsed(), 8 * 100 - 10) << "each setting waits up to 100 ms";
    EXPECT_EQ(sent,
              QStringList({"Nmac:0A-3C-51-E0-00-07", "Nmip:127.000.000.001", "Npno:60002", "Nmsk:255.255.255.000",
                           "Ngip:127.000.000.254", "Ndns:127.000.000.053", "Nlnk:20", "Nrcv:300", "Nsav"}));
    EXPECT_EQ(settings.svcnf.SvIP, "127.000.000.001");
    EXPECT_EQ(view.fields[ConfigField::SvIP], "127.000.000.001");
    EXPECT_EQ(settings.svcnf.SvPort, 60002);
    EXPECT_EQ(settings.svcnf.LinkDown, 20);
    EXPECT_EQ(settings.svcnf.RecvTout, 300);
    EXPECT_EQ(view.calls, QStringList({"caption ..."})) << "the caption stays until the group is shown";
    EXPECT_FALSE(nc.updateRunning());
    EXPECT_EQ(
        log.lines.filter(": no answer"),
        QStringList({"Nmac:0A-3C-51-E0-00-07: no answer", "Nmip:127.000.000.001: no answer", "Npno:60002: no answer",
                     "Nmsk:255.255.255.000: no answer", "Ngip:127.000.000.254: no answer",
                     "Ndns:127.000.000.053: no answer", "Nlnk:20: no answer", "Nrcv:300: no answer"}));
}

TEST_F(UpdateTest, NumbersThatAreNotNumbersAreSentAsTheDefaults)
{
    link.state().tcpConnected = true;
    fillView();
    view.fields[ConfigField::SvPort] = "6OOOO";
    view.fields[ConfigField::LinkDown] = "";
    view.fields[ConfigField::RecvTout] = "three";
    nc.Update();
    EXPECT_TRUE(sent.contains("Npno:60000"));
    EXPECT_TRUE(sent.contains("Nlnk:10"));
    EXPECT_TRUE(sent.contains("Nrcv:180"));
    EXPECT_EQ(settings.svcnf.SvPort, 60000);
    EXPECT_EQ(view.fields[ConfigField::SvPort], "60000");
}

// The board answers every setting with its marker line: the waits end early,
// the answers refresh the fields, and an "R:" during the update leaves the
// group (and the "..." caption) alone.
TEST_F(UpdateTest, RepliesEndTheWaitsAndRecvDuringUpdateKeepsTheGroup)
{
    link.state().tcpConnected = true;
    link.state().netConfigOpen = true;
    fillView();
    QObject::connect(&link, &DeviceLink::tcpFrameSent, &link, [this](const QByteArray& f) {
        const QString cmd = QString::fromLatin1(f).chopped(2);
        QString answer;
        if (cmd.startsWith("Nmip:"))
            answer = "I:" + cmd.mid(5);
        else if (cmd.startsWith("Npno:"))
            answer = "P:" + cmd.mid(5);
        else if (cmd.startsWith("Nrcv:"))
            answer = "R:" + cmd.mid(5);
        else if (cmd.startsWith("N") && cmd != "Nsav")
            answer = "OK";
        if (!answer.isEmpty())
            QTimer::singleShot(0, &link, [this, answer] { link.DispatchLine(answer); });
    });
    QElapsedTimer t;
    t.start();
    nc.Update();
    EXPECT_LT(t.elapsed(), 8 * 100 - 100) << "three answered settings do not wait";
    EXPECT_EQ(sent.size(), 9);
    EXPECT_EQ(log.lines.filter(": no answer").size(), 5) << "the answered ones are not listed";
    EXPECT_EQ(settings.tcpip.Host, "127.000.000.001");
    EXPECT_EQ(settings.tcpip.Port, 60002);
    EXPECT_EQ(hostPanel, "127.000.000.001/60002");
    EXPECT_EQ(view.calls, QStringList({"caption ..."}));
    // The next report shows the group again.
    nc.HandleConfigLine("R:300");
    EXPECT_EQ(view.calls, QStringList({"caption ...", "show"}));
}

TEST_F(UpdateTest, AClickDuringAnUpdateIsIgnored)
{
    link.state().tcpConnected = true;
    fillView();
    QTimer::singleShot(150, &link, [this] { nc.Update(); });
    nc.Update();
    EXPECT_EQ(sent.size(), 9);
    EXPECT_EQ(sent.count("Nsav"), 1);
}

TEST_F(NetConfigTest, MacLabelDoubleClickAsksTheBoard)
{
    link.state().tcpConnected = true;
    nc.MacLabelDblClick();
    EXPECT_EQ(view.calls, QStringList({"mac enabled"}));
    EXPECT_EQ(sent, QStringList({"Nmac:?"}));
}

struct FitRow {
    const char* in;
    const char* out;
};

class FitAddressTest : public ::testing::TestWithParam<FitRow> {};
TEST_P(FitAddressTest, FitsTheAddressMask)
{
    EXPECT_EQ(FitAddressText(QString::fromUtf8(GetParam().in)), QString::fromLatin1(GetParam().out));
}
INSTANTIATE_TEST_SUITE_P(Texts, FitAddressTest,
                         ::testing::Values(FitRow{"192.168.000.100", "192.168.000.100"},
                                           FitRow{"192.168.1.5", "192.168.001.005"}, FitRow{"", "000.000.000.000"},
                                           FitRow{"...", "000.000.000.000"}, FitRow{"10.1", "010.001.000.000"},
                                           FitRow{"1.2.3.4.5", "001.002.003.004"},
                                           FitRow{"0001.02.3.4", "001.002.003.004"},
                                           FitRow{"1234.1.1.1", "999.001.001.001"},
                                           FitRow{"192-168-0-1", "192.168.000.001"}));

class FitMacTest : public ::testing::TestWithParam<FitRow> {};
TEST_P(FitMacTest, FitsTheMacMask)
{
    EXPECT_EQ(FitMacText(QString::fromUtf8(GetParam().in)), QString::fromLatin1(GetParam().out));
}
INSTANTIATE_TEST_SUITE_P(Texts, FitMacTest,
                         ::testing::Values(FitRow{"0A-3C-51-E0-00-00", "0A-3C-51-E0-00-00"},
                                           FitRow{"0a:3c:51:e0:00:01", "0A-3C-51-E0-00-01"},
                                           FitRow{"0A3C51E00002", "0A-3C-51-E0-00-02"},
                                           FitRow{"0A-3C", "0A-3C-00-00-00-00"}, FitRow{"", "00-00-00-00-00-00"},
                                           FitRow{"0A-3C-51-E0-00-01-FF", "0A-3C-51-E0-00-01"},
                                           FitRow{"0A-3C-51-E0-00-0\xC3\xA9", "0A-3C-51-E0-00-00"}));

TEST(PortText, DecimalPortsInRangeElseTheDefault)
{
    EXPECT_EQ(PortFromText("60001"), 60001);
    EXPECT_EQ(PortFromText(" 8080 "), 8080);
    EXPECT_EQ(PortFromText("65535"), 65535);
    for (const char* bad : {"", "0", "65536", "-1", "0x10", "6OOOO", "99999999999"})
        EXPECT_EQ(PortFromText(bad), 60000) << bad;
}

} // namespace
