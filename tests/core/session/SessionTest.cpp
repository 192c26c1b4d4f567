// The session on its own: every shown-state setter reports a change once and
// only a change, link state changed inside the flows is reported when the
// event loop waits, and one headless run against an in-process board connects,
// learns, registers, reads back, fires and hangs up.
#include "core/session/Session.h"
#include "core/shell/DataLocations.h"
#include "sim/board/BoardSim.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace zovax;

namespace {

struct FlagCase {
    const char* name;
    void (Session::*set)(bool);
    bool (Session::*get)() const;
    void (Session::*changed)(bool);
};

class SessionFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(SessionFlags, SetterReportsOnlyChanges)
{
    const FlagCase c = GetParam();
    Session s;
    QSignalSpy spy(&s, c.changed);
    const bool start = (s.*c.get)();
    (s.*c.set)(start); // no change: no signal
    EXPECT_EQ(spy.count(), 0);
    (s.*c.set)(!start);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toBool(), !start);
    EXPECT_EQ((s.*c.get)(), !start);
}

INSTANTIATE_TEST_SUITE_P(
    All, SessionFlags,
    ::testing::Values(
        FlagCase{"trace", &Session::setTraceMode, &Session::traceMode, &Session::traceModeChanged},
        FlagCase{"cursorAuto", &Session::setCursorAuto, &Session::cursorAuto, &Session::cursorAutoChanged},
        FlagCase{"learningMsg", &Session::setLearningMsg, &Session::learningMsg, &Session::learningMsgChanged},
        FlagCase{"pcode", &Session::setPcode, &Session::pcode, &Session::pcodeChanged},
        FlagCase{"fullCode", &Session::setFullCode, &Session::fullCode, &Session::fullCodeChanged},
        FlagCase{"advanced", &Session::setAdvancedControls, &Session::advancedControls,
                 &Session::advancedControlsChanged},
        FlagCase{"serialMenu", &Session::setSerialMenuShown, &Session::serialMenuShown,
                 &Session::serialMenuShownChanged}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Session, ValueSettersReportOnlyChanges)
{
    Session s;
    QSignalSpy cursor(&s, &Session::cursorMoved);
    QSignalSpy status(&s, &Session::statusTextChanged);
    QSignalSpy host(&s, &Session::hostTextChanged);
    QSignalSpy texts(&s, &Session::learnParamTextsChanged);
    QSignalSpy outputs(&s, &Session::irOutputsChanged);

    s.setCursor(kColCarry, 7);
    s.setCursor(kColCarry, 7);
    s.setStatusText(2, QStringLiteral("x"));
    s.setStatusText(2, QStringLiteral("x"));
    s.setStatusText(3, QStringLiteral("no such panel"));
    s.setHostText(s.hostText());
    s.setHostText(QStringLiteral("127.0.0.1/60000"));
    s.setHRangeText(s.hRangeText());
    s.setLearningTimeText(QStringLiteral("700"));
    s.setIrOutput(1, false);
    s.setIrOutput(1, false);
    s.setIrOutput(4, false); // no such output

    EXPECT_EQ(cursor.count(), 1);
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(host.count(), 1);
    EXPECT_EQ(texts.count(), 1);
    EXPECT_EQ(outputs.count(), 1);
    EXPECT_EQ(s.irOutputs(), (IrOutputs{true, false, true, true}));
    EXPECT_EQ(s.statusText(3), QString());
}

TEST(Session, LinkStateChangedInsideTheFlowsIsReportedWhenTheLoopWaits)
{
    Session s;
    QSignalSpy tcp(&s, &Session::tcpConnectedChanged);
    QSignalSpy port(&s, &Session::portOpenChanged);
    QSignalSpy write(&s, &Session::tableWriteModeChanged);
    QSignalSpy read(&s, &Session::tableReadModeChanged);
    QSignalSpy net(&s, &Session::netConfigChanged);

    LinkState& st = s.link().state();
    st.tcpConnected = true;
    st.portOpen = true;
    st.tableWriteMode = TableWriteMode::Store;
    st.tableReadMode = true;
    s.settings().svcnf.SvPort = 6000;
    EXPECT_EQ(tcp.count(), 0);
    ASSERT_TRUE(test::waitUntil([&] { return net.count() == 1; }, 1000));
    EXPECT_EQ(tcp.count(), 1);
    EXPECT_EQ(port.count(), 1);
    ASSERT_EQ(write.count(), 1);
    EXPECT_EQ(write.at(0).at(0).value<TableWriteMode>(), TableWriteMode::Store);
    EXPECT_EQ(read.count(), 1);
    s.syncState(); // nothing new
    EXPECT_EQ(tcp.count(), 1);
    EXPECT_EQ(net.count(), 1);
}

TEST(Session, SettingsRoundTripThroughTheLearningTexts)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    {
        Session s({path});
        s.loadSettings(); // no file: defaults
        EXPECT_EQ(s.hRangeText(), QStringLiteral("20"));
        EXPECT_EQ(s.wRangeText(), QStringLiteral("15"));
        EXPECT_EQ(s.learningTimeText(), QStringLiteral("500"));
        EXPECT_EQ(s.hostText(), QStringLiteral("192.168.0.100/60000"));
        s.setHRangeText(QStringLiteral("25"));
        s.setWRangeText(QStringLiteral("not a number"));
        s.setLearningTimeText(QStringLiteral("50"));
        // A learn without the board runs at least as long as one through it.
        EXPECT_EQ(s.learnParamsAsTyped().learnTimeUs, 50000);
        EXPECT_EQ(s.learnParamsForLearning().learnTimeUs, 100000);
        s.setLearningTimeText(QStringLiteral(" 800 "));
        ASSERT_TRUE(s.saveSettings());
    }
    Session s({path});
    QSignalSpy changed(&s, &Session::settingsChanged);
    s.loadSettings();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(s.settings().learn.hRangePercent, 25);
    EXPECT_EQ(s.settings().learn.wRangePercent, 15);
    EXPECT_EQ(s.settings().learn.learnTimeUs, 800000);
    EXPECT_EQ(s.learningTimeText(), QStringLiteral("800"));
}

// Saving creates the per-user settings folder (and no other), and a learning
// time typed beyond the limit is kept as the limit, computed without overflow.
TEST(Session, SaveCreatesOnlyTheUserFolderAndKeepsALongLearningTime)
{
    QTemporaryDir dir;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    {
        Session s({userDataFolder() + QStringLiteral("/zovax-ether.ini")});
        s.setLearningTimeText(QStringLiteral("9999999")); // beyond the box: the most the board takes
        EXPECT_TRUE(s.saveSettings());
        EXPECT_EQ(s.settings().learn.learnTimeUs, int64_t(99999) * 1000);
        EXPECT_TRUE(QFileInfo::exists(s.settingsPath()));
    }
    Session other({dir.filePath(QStringLiteral("missing/zovax-ether.ini"))});
    EXPECT_FALSE(other.saveSettings());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST(Session, FlowsThatNeedALinkAskToConnectFirst)
{
    Session s;
    QSignalSpy messages(&s, &Session::messageShown);
    s.toggleLearning();
    EXPECT_EQ(s.registerTable().outcome, Registration::WriteOutcome::Busy);
    EXPECT_EQ(s.readBack(), Registration::ReadBackOutcome::NotConnected);
    ASSERT_EQ(messages.count(), 3);
    for (const auto& m : messages)
        EXPECT_EQ(m.at(1).toString(), QStringLiteral("ZOVAX-Etherに接続して下さい"));
}

// One headless run of every flow against the board.
TEST(SessionWithBoard, ConnectLearnRegisterReadBackFireHangUp)
{
    sim::BoardSim board;
    ASSERT_TRUE(board.listen(QHostAddress::LocalHost, 0));
    Session s;
    s.settings().tcpip.Host = QStringLiteral("127.000.000.001");
    s.settings().tcpip.Port = board.serverPort();
    s.setLearningMsg(false);
    s.setCursorAuto(false);

    QSignalSpy connected(&s, &Session::tcpConnectedChanged);
    s.connectTcp(true);
    ASSERT_TRUE(test::waitUntil([&] { return s.tcpConnected() && board.hasClient(); }));
    ASSERT_TRUE(test::waitUntil([&] { return board.commandTexts().contains(QStringLiteral("T")); }));
    QTest::qWait(150);
    EXPECT_GE(connected.count(), 1);
    EXPECT_TRUE(s.statusText(0).startsWith(QStringLiteral("Connect: ")));

    // Learn one press into row 3.
    s.setCursor(kColCarry, 3);
    QSignalSpy indicator(&s, &Session::learnIndicatorChanged);
    s.toggleLearning();
    ASSERT_TRUE(test::waitUntil([&] { return board.analyzing(); }, 3000));
    EXPECT_TRUE(s.learnIndicatorLit());
    ASSERT_TRUE(board.press(QStringLiteral("NEC"), QStringLiteral("20DF10EF")).startsWith(QStringLiteral("ok")));
    ASSERT_TRUE(test::waitUntil([&] { return !s.table().cell(kColResult, 3).isEmpty(); }));
    s.toggleLearning();
    ASSERT_TRUE(test::waitUntil([&] { return !board.analyzing(); }, 2000));
    EXPECT_GE(indicator.count(), 2);
    const TableEntry learned = s.table().entry(3);
    const QString carry = s.table().cell(kColCarry, 3);

    // Register, then read back into a fresh table.
    QSignalSpy writeMode(&s, &Session::tableWriteModeChanged);
    EXPECT_EQ(s.registerTable().outcome, Registration::WriteOutcome::Completed);
    EXPECT_EQ(s.tableWriteMode(), TableWriteMode::Off);
    EXPECT_GE(writeMode.count(), 2);
    QSignalSpy progress(&s, &Session::readBackProgress);
    s.table().SetModified(false);
    EXPECT_EQ(s.readBack(), Registration::ReadBackOutcome::Requested);
    ASSERT_TRUE(test::waitUntil([&] { return !s.tableReadMode(); }, 20000));
    EXPECT_EQ(progress.count(), Registration::kReadBackEntries);
    EXPECT_EQ(s.table().cell(kColCarry, 3), carry);
    EXPECT_EQ(s.table().entry(3).dataCount, learned.dataCount);

    // Fire row 3 on IR2 only.
    for (int i = 0; i < 4; ++i)
        s.setIrOutput(i, i == 1);
    s.setCursor(kColCarry, 3);
    board.clearCommandLog();
    EXPECT_TRUE(s.fire());
    ASSERT_TRUE(test::waitUntil([&] { return board.commandTexts().contains(QStringLiteral("Tp:0100")); }));

    QSignalSpy down(&s, &Session::linkDisconnected);
    s.connectTcp(false);
    EXPECT_FALSE(s.tcpConnected());
    EXPECT_EQ(down.count(), 1);
    EXPECT_EQ(s.statusText(0), QStringLiteral("Disconnect"));
}

} // namespace
