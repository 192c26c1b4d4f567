// The command console: the history rules, the board's configuration dialogue
// ("C" / "Save", TCP only, exact texts) and the not-connected message.
#include "core/table/Console.h"
#include "app/FakePorts.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "support/LinkRig.h"
#include "support/TestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace zovax;

namespace {

struct FakeSerial : SerialTransport {
    QList<QByteArray> frames;
    bool hasError() override { return false; }
    void write(const QByteArray& f) override { frames << f; }
};

struct ConsoleTest : ::testing::Test, test::LinkRig {
    FakeSerial serial;
    Console console{link, prompts};
    QStringList listed; // the drop-down's items
    QStringList adopted;

    void SetUp() override
    {
        link.setSerialTransport(&serial);
        QObject::connect(&console, &Console::historyAdded, [this](const QString& t) { listed << t; });
        QObject::connect(&console, &Console::targetAdopted,
                         [this](const QString& h, int p) { adopted << h + "/" + QString::number(p); });
    }
};

TEST_F(ConsoleTest, HistoryKeepsEachTextOnceInTheOrderFirstEntered)
{
    link.state().tcpConnected = true;
    for (const char* t : {"Ver", "T", "Ver", "", "Ncnf", "T", "ver"}) {
        if (QString(t).isEmpty())
            console.EnterPressed(t);
        else
            console.Send(t);
    }
    const QStringList expected{"Ver", "T", "Ncnf", "ver"};
    EXPECT_EQ(console.history(), expected);
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(sent, QStringList({"Ver", "T", "Ver", "Ncnf", "T", "ver"}));
}

TEST_F(ConsoleTest, EnterAddsToTheHistoryButSendsNothing)
{
    link.state().tcpConnected = true;
    EXPECT_FALSE(console.EnterPressed(""));
    EXPECT_TRUE(console.history().isEmpty());
    EXPECT_TRUE(console.EnterPressed("Mode?"));
    EXPECT_TRUE(console.EnterPressed("Mode?"));
    EXPECT_EQ(console.history(), QStringList({"Mode?"}));
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(ConsoleTest, AnEmptyCommandLineSendsNothingOnEitherLink)
{
    link.state().tcpConnected = true;
    link.state().portOpen = true;
    console.Send("");
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(serial.frames.isEmpty());
    EXPECT_TRUE(console.history().isEmpty());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(ConsoleTest, NotConnectedShowsTheMessageAndSendsNothing)
{
    console.Send("Ver");
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "確認");
    EXPECT_EQ(prompts.asked[0].text, "ZOVAX-Etherに接続して下さい");
    EXPECT_EQ(prompts.asked[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(console.history().isEmpty());
    EXPECT_TRUE(sent.isEmpty());
}

// The configuration dialogue: which texts start and end it, on which link.
struct ModeRow {
    const char* name;
    bool tcp;        // else the serial port alone is open
    bool modeBefore; // consoleConfigMode when the text is sent
    const char* text;
    bool modeAfter;
    bool adopts; // the board's address becomes the target
};

class ConfigDialogueTest : public ConsoleTest, public ::testing::WithParamInterface<ModeRow> {};

TEST_P(ConfigDialogueTest, ExactTextsOnTcpOnly)
{
    const ModeRow& r = GetParam();
    link.state().tcpConnected = r.tcp;
    link.state().portOpen = !r.tcp;
    link.state().consoleConfigMode = r.modeBefore;
    settings.tcpip.Host = "127.000.000.001";
    settings.tcpip.Port = 60000;
    settings.svcnf.SvIP = "127.000.000.002";
    settings.svcnf.SvPort = 60002;
    console.Send(QString::fromLatin1(r.text));
    EXPECT_EQ(link.state().consoleConfigMode, r.modeAfter);
    if (r.adopts) {
        EXPECT_EQ(settings.tcpip.Host, "127.000.000.002");
        EXPECT_EQ(settings.tcpip.Port, 60002);
        EXPECT_EQ(adopted, QStringList({"127.000.000.002/60002"}));
    } else {
        EXPECT_EQ(settings.tcpip.Host, "127.000.000.001");
        EXPECT_EQ(settings.tcpip.Port, 60000);
        EXPECT_TRUE(adopted.isEmpty());
    }
    // The text itself is always sent, on the open link.
    if (r.tcp) {
        EXPECT_EQ(sent, QStringList({r.text}));
    } else {
        ASSERT_EQ(serial.frames.size(), 1);
        EXPECT_TRUE(serial.frames[0].startsWith(r.text));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ConfigDialogueTest,
                         ::testing::Values(ModeRow{"cStarts", true, false, "C", true, false},
                                           ModeRow{"lowerCDoesNot", true, false, "c", false, false},
                                           ModeRow{"cWithBlankDoesNot", true, false, "C ", false, false},
                                           ModeRow{"cOnSerialIsPlain", false, false, "C", false, false},
                                           ModeRow{"saveOutsideIsPlain", true, false, "Save", false, false},
                                           ModeRow{"saveEndsAndAdopts", true, true, "Save", false, true},
                                           ModeRow{"lowerSaveIsPlain", true, true, "save", true, false},
                                           ModeRow{"upperSaveIsPlain", true, true, "SAVE", true, false},
                                           ModeRow{"cInsideIsPlain", true, true, "C", true, false},
                                           ModeRow{"quitLeavesItToTheBoard", true, true, "Quit", true, false},
                                           ModeRow{"saveOnSerialIsPlain", false, true, "Save", true, false}),
                         [](const auto& i) { return std::string(i.param.name); });

} // namespace

namespace {

// A command no reply line follows is listed once its wait is over; one that
// is answered, or sent while the console is gone, is not.
TEST_F(ConsoleTest, AnUnansweredCommandIsListedAfterItsWait)
{
    link.state().tcpConnected = true;
    console.answerWaitMs = 20;
    console.Send("Ver");
    console.Send("Ncnf");
    link.onTcpBytes("Ver 1.0\r\n"); // answers both: a reply came after each was sent
    console.Send("Tp:0000");
    EXPECT_TRUE(test::waitUntil([&] { return log.lines.contains("Tp:0000: no answer"); }, 2000));
    EXPECT_EQ(log.lines.filter("no answer"), QStringList({"Tp:0000: no answer"}));

    auto gone = std::make_unique<Console>(link, prompts);
    gone->answerWaitMs = 20;
    gone->Send("T");
    gone.reset();
    QTest::qWait(60);
    EXPECT_EQ(log.lines.filter("no answer").size(), 1);
}

} // namespace
