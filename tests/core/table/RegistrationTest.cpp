// Registration and the read-back request against a scripted board on the
// device link: the command sequences, and how every way of ending (complete,
// cancelled, unanswered preamble, unanswered row, stop, silent last entry,
// unconfirmed end) leaves table mode and what the user is told.
#include "core/table/Registration.h"
#include "app/FakePorts.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "sim/QtPrinters.h"
#include "support/LinkRig.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

#include <set>

using namespace zovax;

namespace {

// Answers the tool's commands like the board, one event-loop turn later.
// `silent` commands get no answer at all.
class ScriptedBoard : public QObject {
public:
    explicit ScriptedBoard(DeviceLink& link) : link_(link)
    {
        connect(&link, &DeviceLink::tcpFrameSent, this, [this](const QByteArray& frame) {
            const QString text = QString::fromLatin1(frame.chopped(2));
            received << text;
            if (silent.count(text) || silentFrom(text))
                return;
            const QStringList lines = answer(text);
            if (lines.isEmpty())
                return;
            QTimer::singleShot(0, this, [this, lines] {
                QByteArray bytes;
                for (const QString& l : lines)
                    bytes += l.toLatin1() + "\r\n";
                link_.onTcpBytes(bytes);
            });
        });
    }

    QStringList answer(const QString& c) const
    {
        if (c == "KRV:on" || c == "KRV:off")
            return {c};
        if (c == "Fe:7")
            return {"FLASH Sector:7 ... Erased"};
        if (c.startsWith("Tws:"))
            return {c + " OK"};
        if (c.startsWith("Twl:")) {
            if (errorEntries.count(c.mid(4).toInt()))
                return {c + " Error"};
            return {c, "Twc:380", "Twb:002", "Twr:000", "Twp:0:00560,001120", "Twp:1:00000,000000", "Twd:01"};
        }
        return {};
    }
    bool silentFrom(const QString& c) const
    {
        return silentRequestsFrom > 0 && c.startsWith("Twl:") && c.mid(4).toInt() >= silentRequestsFrom;
    }

    QStringList received;
    std::set<QString> silent;
    std::set<int> errorEntries;
    int silentRequestsFrom = 0; // "Twl:" of this entry and later unanswered

private:
    DeviceLink& link_;
};

class FakeRegistrationView : public RegistrationView {
public:
    void selectCell(int column, int row) override { cursor.emplace_back(column, row); }
    void showStoreCommand(const QString& text) override { panel0 << text; }
    bool cancelRequested() const override { return cancelled; }

    std::vector<std::pair<int, int>> cursor;
    QStringList panel0;
    bool cancelled = false;
};

class FakeReadBackView : public ReadBackView {
public:
    bool serialMenuVisible() const override { return serialMenu; }
    bool newTable() override
    {
        ++newCalls;
        return newAnswer;
    }
    void selectCell(int column, int row) override { cursor.emplace_back(column, row); }
    void setReadBackRow(int row) override { readBackRow = row; }
    void readBackStarted() override { ++started; }
    void readBackProgress(int entry, int unanswered) override
    {
        lastEntry = entry;
        lastUnanswered = unanswered;
        if (onProgress)
            onProgress(entry);
    }
    void readBackEnded() override { ++ended; }
    void tableFileRestored(const QString& path) override { restoredFile = path; }

    std::optional<QString> restoredFile;
    bool serialMenu = false;
    bool newAnswer = true;
    int newCalls = 0;
    int readBackRow = 0;
    int started = 0, ended = 0, lastEntry = 0, lastUnanswered = 0;
    std::function<void(int)> onProgress;
    std::vector<std::pair<int, int>> cursor;
};

struct RegistrationFixture : ::testing::Test, test::LinkRig {
    CodeTable table;
    ScriptedBoard board{link};
    Registration reg{link, table, prompts};
    FakeRegistrationView view;
    FakeReadBackView rbView;
    int learnOff = 0;

    void SetUp() override
    {
        link.state().tcpConnected = true; // frames are reported, the socket itself is not used
        link.handlers.SetLearnIndicator = [this](bool on) {
            if (!on)
                ++learnOff;
        };
        // A stand-in for the read-back decoder: acknowledges "KRV:on" and
        // complete entries, ends the read-back after the last one.
        link.handlers.OnReadBackLine = [this](const QString& line) {
            if (line == "KRV:on") {
                link.SetReplyAck();
            } else if (line == "KRV:off") {
                link.state().tableReadMode = false;
            } else if (line.startsWith("Twc:")) {
                table.setCell(kColCarry, rbView.readBackRow, "38.0kHz");
            } else if (line.startsWith("Twd:") || line.contains("Error")) {
                link.SetReplyAck();
                if (rbView.readBackRow == Registration::kReadBackEntries)
                    link.SendLine("KRV:off");
            }
        };
        reg.waits = {300, 300, 300, 300, 300};
    }

    void useRow(int r, int carrier = 380)
    {
        table.setCell(kColCarry, r, "38.0kHz");
        TableEntry& e = table.entry(r);
        e.carrier = carrier;
        e.dataCount = 2;
        e.high[0] = 560;
        e.width[0] = 1120;
        e.data[0] = 0;
        e.data[1] = 1;
    }
    QStringList rowRecords(int r) const
    {
        return {"Twf:000",
                "Twc:" + QString::number(table.entry(r).carrier),
                "Twb:002",
                "Twr:000",
                "Twp:0:00560,001120",
                "Twp:1:00000,000000",
                "Twd:01",
                QString::asprintf("Tws:%03d", r)};
    }
    QString lastMessage() const { return prompts.asked.empty() ? QString() : prompts.asked.back().text; }
};

// ------------------------------------------------------------ registration

TEST_F(RegistrationFixture, OnlyUsedRowsAreSentAndStoredUnderTheirNumbers)
{
    useRow(3, 380);
    useRow(7, 400);
    table.entry(7).flag = 999;          // from an earlier read-back
    table.setCell(kColCarry, 5, "   "); // blanks only: unused
    ASSERT_TRUE(reg.beginRegistration());
    EXPECT_EQ(link.state().tableWriteMode, TableWriteMode::Erase);
    const auto res = reg.WriteTableToBoard(view);
    EXPECT_EQ(res.outcome, Registration::WriteOutcome::Completed);
    EXPECT_EQ(res.rowsStored, 2);

    QStringList expected{"KRV:on", "Fe:7"};
    expected << rowRecords(3) << rowRecords(7) << "KRV:off";
    EXPECT_EQ(board.received, expected);
    EXPECT_EQ(table.entry(7).flag, 0);
    EXPECT_EQ(view.panel0, QStringList({"Tws:003", "Tws:007"}));
    const std::vector<std::pair<int, int>> cursor{{1, 1}, {1, 3}, {1, 7}, {1, 1}};
    EXPECT_EQ(view.cursor, cursor);
    EXPECT_EQ(lastMessage(), Registration::writeCompleteText());
    EXPECT_EQ(prompts.asked.back().caption, "確認");
    EXPECT_EQ(link.state().tableWriteMode, TableWriteMode::Off);
    EXPECT_EQ(learnOff, 1);
}

TEST_F(RegistrationFixture, RowsAboveTheReadBackRangeAreNamedInTheEndMessage)
{
    for (int r : {3, 250, 251, 999})
        useRow(r);
    ASSERT_TRUE(reg.beginRegistration());
    EXPECT_EQ(reg.WriteTableToBoard(view).rowsBeyondReadBack, 2);
    EXPECT_EQ(lastMessage(),
              Registration::writeCompleteText() + "\n250 行目より後の 2 行は ZOVAX-Ether 読込みでは読み戻せません。");
}

TEST_F(RegistrationFixture, NoLinkNoRegistration)
{
    link.state().tcpConnected = false;
    EXPECT_FALSE(reg.beginRegistration());
    EXPECT_EQ(lastMessage(), "ZOVAX-Etherに接続して下さい");
    EXPECT_TRUE(board.received.isEmpty());
    EXPECT_EQ(link.state().tableWriteMode, TableWriteMode::Off);
}

TEST_F(RegistrationFixture, SerialOnlyLinkGetsTFirstAndTheLogIsCleared)
{
    struct Port : SerialTransport {
        QStringList frames;
        bool hasError() override { return false; }
        void write(const QByteArray& f) override { frames << QString::fromLatin1(f); }
    } port;
    link.state().tcpConnected = false;
    link.state().portOpen = true;
    link.setSerialTransport(&port);
    log.append("old");
    ASSERT_TRUE(reg.beginRegistration());
    EXPECT_EQ(port.frames, QStringList({"T\r\n"}));
    EXPECT_TRUE(log.lines.isEmpty());
    reg.endRegistration();
    EXPECT_EQ(link.state().tableWriteMode, TableWriteMode::Off);
}

struct SilentCase {
    const char* silentCommand;
    QStringList sent;
};

class PreambleUnanswered : public RegistrationFixture, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(PreambleUnanswered, TellsTheUserAndLeavesTableMode)
{
    useRow(1);
    board.silent.insert(GetParam().silentCommand);
    reg.beginRegistration();
    const auto res = reg.WriteTableToBoard(view);
    EXPECT_EQ(res.outcome, Registration::WriteOutcome::NoAnswer);
    EXPECT_EQ(board.received, GetParam().sent);
    EXPECT_TRUE(lastMessage().contains(GetParam().silentCommand)) << lastMessage().toStdString();
    EXPECT_TRUE(lastMessage().contains("応答がありません"));
    EXPECT_EQ(link.state().tableWriteMode, TableWriteMode::Off);
}

INSTANTIATE_TEST_SUITE_P(Cases, PreambleUnanswered,
                         ::testing::Values(SilentCase{"KRV:on", {"KRV:on", "KRV:off"}},
                                           SilentCase{"Fe:7", {"KRV:on", "Fe:7", "KRV:off"}}));

TEST_F(RegistrationFixture, AnUnansweredStoreStopsAtThatRowAndSaysSo)
{
    useRow(3);
    useRow(7);
    useRow(9);
    board.silent.insert("Tws:007");
    const auto res = reg.WriteTableToBoard(view);
    EXPECT_EQ(res.outcome, Registration::WriteOutcome::RowUnanswered);
    EXPECT_EQ(res.stoppedAtRow, 7);
    EXPECT_EQ(res.rowsStored, 1);
    QStringList expected{"KRV:on", "Fe:7"};
    expected << rowRecords(3) << rowRecords(7) << "KRV:off";
    EXPECT_EQ(board.received, expected);
    EXPECT_NE(lastMessage(), Registration::writeCompleteText());
    EXPECT_TRUE(lastMessage().contains("7 行目で登録を中断しました")) << lastMessage().toStdString();
    EXPECT_EQ(prompts.asked.size(), 1u);
}

struct CancelCase {
    const char* name;
    QString cancelWhen; // the command during whose wait Cancel is pressed
    QStringList tail;   // what is sent after "KRV:on"
};

class CancelDuringWrite : public RegistrationFixture, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelDuringWrite, FinishesTheStepThenStops)
{
    useRow(3);
    useRow(7);
    QObject::connect(&link, &DeviceLink::tcpFrameSent, &board, [this](const QByteArray& f) {
        if (QString::fromLatin1(f.chopped(2)) == GetParam().cancelWhen)
            view.cancelled = true;
    });
    const auto res = reg.WriteTableToBoard(view);
    EXPECT_EQ(res.outcome, Registration::WriteOutcome::Cancelled);
    QStringList expected{"KRV:on"};
    for (const QString& t : GetParam().tail)
        expected << (t.startsWith("row") ? rowRecords(t.mid(3).toInt()) : QStringList{t});
    EXPECT_EQ(board.received, expected);
    EXPECT_EQ(lastMessage(), Registration::writeCancelledText());
}

INSTANTIATE_TEST_SUITE_P(Cases, CancelDuringWrite,
                         ::testing::Values(CancelCase{"tableMode", "KRV:on", {"KRV:off"}},
                                           CancelCase{"erase", "Fe:7", {"Fe:7", "KRV:off"}},
                                           CancelCase{"firstRow", "Tws:003", {"Fe:7", "row3", "KRV:off"}},
                                           CancelCase{"lastRow", "Tws:007", {"Fe:7", "row3", "row7", "KRV:off"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- read-back

TEST_F(RegistrationFixture, ReadBackRequestsEntriesOneToTwoHundredFifty)
{
    std::vector<int> rowsAtRequest;
    QObject::connect(&link, &DeviceLink::tcpFrameSent, &board, [&](const QByteArray& f) {
        if (f.startsWith("Twl:"))
            rowsAtRequest.push_back(rbView.readBackRow);
    });
    board.errorEntries = {17, 250};
    EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::Requested);
    QStringList expected{"KRV:on"};
    for (int n = 1; n <= 250; ++n)
        expected << QString::asprintf("Twl:%03d", n);
    expected << "KRV:off"; // sent by the decoder after the last entry
    EXPECT_EQ(board.received, expected);
    ASSERT_EQ(rowsAtRequest.size(), 250u);
    for (int n = 1; n <= 250; ++n)
        EXPECT_EQ(rowsAtRequest[size_t(n - 1)], n);
    EXPECT_FALSE(link.state().tableReadMode); // the request returns once the board confirmed the end
    EXPECT_EQ(rbView.started, 1);
    EXPECT_EQ(rbView.ended, 1);
    EXPECT_EQ(rbView.lastUnanswered, 0);
    EXPECT_EQ(learnOff, 1);
    ASSERT_EQ(prompts.asked.size(), 1u); // the question only; the decoder reports the end
    EXPECT_EQ(prompts.asked[0].text, Registration::readQuestionText());
    EXPECT_EQ(prompts.asked[0].buttons, MsgButtons::YesNo);
}

struct RefusalCase {
    const char* name;
    bool tcp, serialMenu, portOpen, newAnswer;
    MsgAnswer question;
    int newCalls;
    size_t messages;
};

class ReadBackRefused : public RegistrationFixture, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ReadBackRefused, NothingIsSent)
{
    const RefusalCase& c = GetParam();
    link.state().tcpConnected = c.tcp;
    link.state().portOpen = c.portOpen;
    link.state().tableReadMode = true; // left over: every request starts by clearing it
    rbView.serialMenu = c.serialMenu;
    rbView.newAnswer = c.newAnswer;
    prompts.answers = {c.question};
    const auto outcome = reg.RequestTableReadBack(rbView);
    EXPECT_TRUE(outcome == Registration::ReadBackOutcome::NotConnected
                || outcome == Registration::ReadBackOutcome::Declined);
    EXPECT_TRUE(board.received.isEmpty());
    EXPECT_FALSE(link.state().tableReadMode);
    EXPECT_EQ(rbView.newCalls, c.newCalls);
    EXPECT_EQ(prompts.asked.size(), c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadBackRefused,
    ::testing::Values(RefusalCase{"noTcp", false, false, true, true, MsgAnswer::Yes, 0, 1},
                      RefusalCase{"serialMenuWithoutPort", true, true, false, true, MsgAnswer::Yes, 0, 1},
                      RefusalCase{"newDeclined", true, false, false, false, MsgAnswer::Yes, 1, 0},
                      RefusalCase{"questionDeclined", true, false, false, true, MsgAnswer::No, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistrationFixture, ReadBackWithASilentBoardStopsAfterTableMode)
{
    board.silent.insert("KRV:on");
    link.settings().tableFileName = QStringLiteral("/x/kept.Txt");
    EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::NoAnswer);
    EXPECT_EQ(rbView.restoredFile, QStringLiteral("/x/kept.Txt")) << "the file name is shown again";
    EXPECT_EQ(board.received, QStringList({"KRV:on", "KRV:off"}));
    EXPECT_FALSE(link.state().tableReadMode);
    EXPECT_TRUE(lastMessage().contains("KRV:on"));
    EXPECT_EQ(rbView.ended, 1);
}

TEST_F(RegistrationFixture, StoppingAReadBackEndsTheWaitAtOnceAndEmptiesTheCutRow)
{
    board.silentRequestsFrom = 5;
    reg.waits.requestMs = 10000;
    rbView.onProgress = [this](int entry) {
        if (entry == 5) {
            QTimer::singleShot(50, &board, [this] {
                // A part of entry 5 arrived before the board fell silent.
                table.setCell(kColCarry, 5, "38.0kHz");
                table.entry(5).carrier = 380;
                // The read button pressed again.
                EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::StopAsked);
            });
        }
    };
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::Cancelled);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(board.received.last(), "KRV:off");
    EXPECT_EQ(board.received.filter("Twl:").size(), 5);
    EXPECT_FALSE(link.state().tableReadMode);
    EXPECT_FALSE(reg.readingBack());
    EXPECT_EQ(lastMessage(), Registration::readCancelledText());
    EXPECT_EQ(table.cell(kColCarry, 5), "");
    EXPECT_EQ(table.entry(5), TableEntry{});
    EXPECT_EQ(table.cell(kColCarry, 4), "38.0kHz");
    EXPECT_TRUE(table.modified());
}

TEST_F(RegistrationFixture, SilentEntriesAreLoggedEmptiedAndTheLastOneEndsTheMode)
{
    board.silentRequestsFrom = 248;
    reg.waits.requestMs = 50;
    EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::Requested);
    EXPECT_FALSE(link.state().tableReadMode);
    EXPECT_EQ(board.received.last(), "KRV:off");
    EXPECT_TRUE(log.lines.contains("Twl:249: no answer"));
    EXPECT_TRUE(lastMessage().contains("3 件")) << lastMessage().toStdString();
    EXPECT_EQ(table.cell(kColCarry, 247), "38.0kHz");
    EXPECT_EQ(table.cell(kColCarry, 248), "");
    EXPECT_TRUE(table.modified());
}

TEST_F(RegistrationFixture, TheEndOfAReadBackListsRequestsAnswersAndDroppedLateReplies)
{
    EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::Requested);
    EXPECT_EQ(log.lines.filter("Read-back:"), QStringList{"Read-back: entries 1 to 250 requested, 250 answered"});

    log.lines.clear();
    board.silentRequestsFrom = 249;
    reg.waits.requestMs = 50;
    link.handlers.ReadBackLateReplies = [] { return 1; }; // the decoder dropped one late reply
    EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::Requested);
    EXPECT_EQ(log.lines.filter("Read-back:"),
              QStringList{"Read-back: entries 1 to 250 requested, 248 answered, 1 late replies dropped"});
    EXPECT_EQ(lastMessage(),
              "読込みを終了しました。\nZOVAX-Etherから応答のなかったエントリが 2 件あります。\n"
              "待ち時間の後に届いたため破棄した応答が 1 件あります。");
}

TEST_F(RegistrationFixture, AnUnconfirmedEndOfTableModeIsEndedByTheTool)
{
    board.silent.insert("KRV:off");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::Requested);
    EXPECT_GE(clock.elapsed(), reg.waits.endMs - 10); // the board's KRV:off was awaited
    EXPECT_FALSE(link.state().tableReadMode);
    EXPECT_FALSE(reg.readingBack());
    EXPECT_EQ(rbView.ended, 1);
    EXPECT_TRUE(lastMessage().contains("KRV:off"));
    EXPECT_TRUE(log.lines.contains("KRV:off: no answer"));
}

TEST_F(RegistrationFixture, AStopWhileTheEndIsAwaitedEndsQuietly)
{
    board.silent.insert("KRV:off");
    reg.waits.endMs = 10000;
    QObject::connect(&link, &DeviceLink::tcpFrameSent, &board, [this](const QByteArray& f) {
        if (f.startsWith("KRV:off"))
            QTimer::singleShot(20, &board, [this] { reg.stopReadBack(); });
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(reg.RequestTableReadBack(rbView), Registration::ReadBackOutcome::Requested);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(link.state().tableReadMode);
    EXPECT_FALSE(reg.readingBack());
    EXPECT_EQ(rbView.ended, 1);
    EXPECT_TRUE(log.lines.contains("KRV:off: no answer"));
    ASSERT_EQ(prompts.asked.size(), 1u); // the question only: every entry was read
    EXPECT_EQ(table.cell(kColCarry, 250), "38.0kHz");
}

} // namespace
