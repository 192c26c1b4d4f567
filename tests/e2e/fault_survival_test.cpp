// Every flow of the tool against the simulator with each of its faults: the
// window keeps processing events, the flow ends within a bound, the table (in
// memory and its file) is touched only by a flow that completed, a failure is
// named in a message, the receive log or a status panel, and nothing claims
// success after it.
#include "RegistrationRig.h"
#include "app/firmware/DownloadDialog.h"
#include "app/link/TcpDialog.h"
#include "app/main/ConnectionBinding.h"
#include "core/firmware/FirmwareUpdate.h"
#include "core/session/Session.h"
#include "core/table/TableCommands.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

using namespace zovax;
using namespace zovax::e2e;
using test::waitUntil;

namespace {

enum class Flow { Learn, Register, ReadBack, Fire, Console, NetUpdate, Firmware };
enum class Fault { Silence, Slow, Split, Garbage, Drop, EraseFails, DownloadError };
// What the flow must come to under the fault; Either: the flow may complete
// or fail, but what it shows must agree with what it did.
enum class Expect { Completes, Fails, Either };

struct Case {
    Flow flow;
    Fault fault;
    Expect expect;
};

const char* flowName(Flow f)
{
    static const char* const names[] = {"Learn", "Register", "ReadBack", "Fire", "Console", "NetUpdate", "Firmware"};
    return names[int(f)];
}
const char* faultName(Fault f)
{
    static const char* const names[] = {"Silence", "Slow", "Split", "Garbage", "Drop", "EraseFails", "DownloadError"};
    return names[int(f)];
}

// Commands of each flow on its connection before the link is dropped: the
// connect's "Ver" and "T" and then a point inside the flow.
int dropAfter(Flow f)
{
    switch (f) {
    case Flow::Learn: return 2 + 1;         // after "A", before "Lend:"
    case Flow::Register: return 2 + 2 + 13; // inside row 2's records
    case Flow::ReadBack: return 2 + 1 + 20; // at entry 20
    case Flow::Fire: return 2 + 4;          // inside the row's records
    case Flow::Console: return 2 + 1;       // after "C": "Quit" finds no link
    case Flow::NetUpdate: return 2 + 4;     // dialog's "Ver", "Ncnf", then inside Update
    case Flow::Firmware: return 3;          // each connection; the loader's: before the records
    }
    return 0;
}

// A fixed table of three rows, saved to a file, is in place before each flow.
class FaultSurvival : public RegistrationRig, public ::testing::WithParamInterface<Case> {
protected:
    static constexpr int kBoundMs = 30000; // a flow ends within this
    static constexpr int kLearnRow = 5;

    sim::BoardOptions boardOptions() const override
    {
        const Case& c = GetParam();
        sim::BoardOptions o;
        o.restartMs = 200;
        switch (c.fault) {
        case Fault::Silence: o.noAck = true; break;
        case Fault::Slow:
            // Longer than the waits that go on regardless (fire test 2 ms,
            // network settings 100 ms); the read-back's 250 requests less so.
            o.delayMs = c.flow == Flow::ReadBack ? 40 : 150;
            break;
        case Fault::Split:
            o.splitSegments = true;
            o.splitMaxBytes = 1;
            break;
        case Fault::Garbage: o.noiseEvery = 3; break;
        case Fault::Drop: o.dropAfter = dropAfter(c.flow); break;
        case Fault::EraseFails: o.eraseNever = true; break;
        case Fault::DownloadError: o.downloadErrorAt = 3; break;
        }
        return o;
    }

    void SetUp() override
    {
        RegistrationRig::SetUp();
        for (int r = 1; r <= 3; ++r)
            putEntry(r, synthEntry(380 + r, {{9000, 13500}, {560, 1120}, {560, 2250}}, {0, 1, 2, 1, r % 3, 2}));
        tablePath = dir.filePath("site.Txt");
        ASSERT_TRUE(w->session().tableCommands().saveTableFile(tablePath));
        table().SetModified(false);
        fileBefore = test::readFileBytes(tablePath);
        ASSERT_FALSE(fileBefore.isEmpty());
        before = snapshot();
        registration().waits = {1500, 1500, 1500, 1500, 1500};
        test::control<QPlainTextEdit>(*w, "memoRecv")->clear();
        prompts.asked.clear();
    }

    struct Snapshot {
        std::vector<std::array<QString, 4>> cells;
        std::vector<TableEntry> entries;
        bool modified = false;
        bool operator==(const Snapshot& o) const
        {
            if (cells != o.cells || modified != o.modified || entries.size() != o.entries.size())
                return false;
            for (size_t i = 0; i < entries.size(); ++i)
                if (!sameEntry(entries[i], o.entries[i]))
                    return false;
            return true;
        }
    };
    static bool sameEntry(const TableEntry& a, const TableEntry& b)
    {
        return a.flag == b.flag && a.carrier == b.carrier && a.dataCount == b.dataCount && a.repeat == b.repeat
            && a.high == b.high && a.width == b.width
            && std::equal(a.data.begin(), a.data.begin() + std::clamp(a.dataCount, 0, int(a.data.size())),
                          b.data.begin());
    }
    // Rows 1 to 20 (the flows reach no further).
    Snapshot snapshot() const
    {
        Snapshot s;
        auto& t = const_cast<FaultSurvival*>(this)->table();
        for (int r = 1; r <= 20; ++r) {
            s.cells.push_back(
                {t.cell(kColCarry, r), t.cell(kColFrames, r), t.cell(kColComments, r), t.cell(kColResult, r)});
            s.entries.push_back(t.entry(r));
        }
        s.modified = t.modified();
        return s;
    }

    // Every text the tool shows where a failure or a success can be read:
    // message boxes, the receive log and the status panels of the windows.
    QStringList shownTexts() const
    {
        QStringList out = prompts.texts();
        out += test::control<QPlainTextEdit>(*w, "memoRecv")->toPlainText().split('\n', Qt::SkipEmptyParts);
        const DownloadDialog& frmDownload = *w.tool().windows().frmDownload;
        out += test::control<QPlainTextEdit>(frmDownload, "memoRecv")->toPlainText().split('\n', Qt::SkipEmptyParts);
        for (PanelStatusBar* bar :
             {test::control<PanelStatusBar>(*w, "sBar"), test::control<PanelStatusBar>(frmDownload, "sBar"),
              test::control<PanelStatusBar>(*w.tool().windows().frmTcp, "sBar")})
            for (int i = 0; i < bar->panelCount(); ++i)
                out << bar->panelText(i);
        return out;
    }

    // --- the flows; each returns whether it completed --------------------------

    bool learn()
    {
        TableController::moveCursor(test::control<QTableView>(*w, "sGrid"), kColCarry, kLearnRow);
        test::control<QCheckBox>(*w, "ckCursor")->setChecked(false);
        test::control<QCheckBox>(*w, "ckLearningMsg")->setChecked(false);
        QTest::mouseClick(test::control<QWidget>(*w, "pnlAnalyze"), Qt::LeftButton);
        if (waitUntil([&] { return board->analyzing(); }, 3000))
            board->press("NEC", "20DF10EF");
        const bool done = waitUntil([&] { return !table().cell(kColResult, kLearnRow).isEmpty(); }, 8000);
        if (board->analyzing() && state().tcpConnected) {
            QTest::mouseClick(test::control<QWidget>(*w, "pnlAnalyze"), Qt::LeftButton); // learning off
            waitUntil([&] { return !board->analyzing(); }, 2000);
        }
        return done;
    }
    bool registerRows()
    {
        registerTable();
        return prompts.texts().contains(Registration::writeCompleteText());
    }
    bool readBackTable()
    {
        prompts.answers = {MsgAnswer::Yes};
        readBack(kBoundMs);
        return prompts.texts().contains("読込み完了しました。  ");
    }
    bool fire()
    {
        TableController::moveCursor(test::control<QTableView>(*w, "sGrid"), kColCarry, 2);
        QTest::mouseClick(test::control<QPushButton>(*w, "btnTest"), Qt::LeftButton);
        // The fire test ends with "Tf:"; its answer (or its absence) is listed.
        waitUntil([&] { return board->commandTexts().contains("Tf:003") || !state().tcpConnected; }, 3000);
        QTest::qWait(FireTest::kAnswerWaitMs + 300);
        return state().tcpConnected && !shownTexts().join('|').contains("no answer");
    }
    bool console()
    {
        auto send = [&](const QString& text) {
            test::control<QComboBox>(*w, "cmbSendText")->setCurrentText(text);
            QTest::mouseClick(test::control<QPushButton>(*w, "btnSend"), Qt::LeftButton);
        };
        send("C");
        const bool report
            = waitUntil([&] { return !test::control<QPlainTextEdit>(*w, "memoRecv")->toPlainText().isEmpty(); }, 3000)
            && waitUntil([&] { return test::control<QPlainTextEdit>(*w, "memoRecv")->toPlainText().contains("R:"); },
                         3000);
        send("Quit");
        const bool ended = waitUntil([&] { return !state().consoleConfigMode; }, 3000);
        return report && ended && state().tcpConnected;
    }
    bool netUpdate()
    {
        TcpDialog* dlg = w.tool().windows().frmTcp;
        w->session().connectTcp(false);
        waitUntil([&] { return !state().tcpConnected && !board->hasClient(); }, 3000);
        board->clearCommandLog();
        dlg->show();
        QTest::mouseClick(test::control<QToolButton>(*dlg, "btnConnect"), Qt::LeftButton);
        const bool report
            = waitUntil([&] { return test::control<QGroupBox>(*dlg, "pnlZVAXEconf")->isEnabled(); }, 3000);
        if (!report)
            w.tool().connection().netConfig().ShowConfigGroup(true); // so that Update can be clicked
        test::control<QLineEdit>(*dlg, "edtLinkDown")->setText("20");
        QTest::mouseClick(test::control<QPushButton>(*dlg, "btnSetup"), Qt::LeftButton);
        waitUntil([&] { return board->commandTexts().contains("Nsav") || !state().tcpConnected; }, 5000);
        // The board saves and restarts ("System Reset"): the tool hangs up.
        const bool restarted = waitUntil([&] { return !state().tcpConnected; }, 3000);
        dlg->close();
        return report && restarted && !shownTexts().join('|').contains("no answer")
            && board->commandTexts().contains("Nsav");
    }
    bool firmware()
    {
        w->session().connectTcp(false);
        waitUntil([&] { return !state().tcpConnected && !board->hasClient(); }, 3000);
        board->clearCommandLog();
        DownloadDialog* dlg = w.tool().windows().frmDownload;
        w->session().settings().hexFileName = dir.filePath("fw.Hex");
        QStringList lines{":020000040800F2"};
        for (int i = 0; i < 8; ++i) {
            QByteArray rec
                = QByteArray::fromHex(QString::asprintf("10%04X00", 16 * i).toLatin1()) + QByteArray(16, 'Z');
            int sum = 0;
            for (char b : rec)
                sum += static_cast<unsigned char>(b);
            rec += char(-sum);
            lines << ":" + QString::fromLatin1(rec.toHex().toUpper());
        }
        lines << ":00000001FF";
        EXPECT_TRUE(test::writeFileBytes(w->session().settings().hexFileName, lines.join("\r\n").toLatin1() + "\r\n"));
        dlg->show();
        StepLimits& l = w->session().firmware().limits;
        l = {1500, 1500, 10000, 1500, 1500};
        prompts.asked.clear();
        auto* btnDownload = test::control<QPushButton>(*dlg, "btnDownload");
        QTest::mouseClick(btnDownload, Qt::LeftButton);
        waitUntil([&] { return !prompts.asked.empty(); }, kBoundMs);
        const bool done = !prompts.asked.empty() && prompts.asked.back().text == "Completed";
        waitUntil([&] { return !btnDownload->isChecked(); }, 3000);
        if (dlg->isVisible())
            dlg->close();
        return done;
    }

    bool run(Flow f)
    {
        switch (f) {
        case Flow::Learn: return learn();
        case Flow::Register: return registerRows();
        case Flow::ReadBack: return readBackTable();
        case Flow::Fire: return fire();
        case Flow::Console: return console();
        case Flow::NetUpdate: return netUpdate();
        case Flow::Firmware: return firmware();
        }
        return false;
    }

    QString tablePath;
    QByteArray fileBefore;
    Snapshot before;
};

TEST_P(FaultSurvival, FlowEndsAndTellsTheTruth)
{
    const Case c = GetParam();

    // A heartbeat on the window's event loop: the longest gap between beats is
    // how long the window stopped answering.
    QElapsedTimer clock;
    clock.start();
    qint64 lastBeat = 0, longestGap = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastBeat);
        lastBeat = clock.elapsed();
    });
    heartbeat.start(50);

    const bool completed = run(c.flow);
    const qint64 took = clock.elapsed();
    heartbeat.stop();
    RecordProperty("completed", completed ? "yes" : "no");
    const QStringList shown = shownTexts();
    const QString all = shown.join(" | ");
    SCOPED_TRACE(all.toStdString());

    EXPECT_LT(took, kBoundMs);
    EXPECT_LT(longestGap, 1000) << "the window stopped answering for " << longestGap << " ms";
    if (c.expect == Expect::Completes)
        EXPECT_TRUE(completed);
    if (c.expect == Expect::Fails)
        EXPECT_FALSE(completed);

    // The table file is written by no flow.
    EXPECT_EQ(test::readFileBytes(tablePath), fileBefore);
    // The table in memory: a completed learn fills its row, a completed
    // read-back replaces the table with the board's; otherwise it is as it was.
    Snapshot now = snapshot();
    if (completed && c.flow == Flow::Learn) {
        EXPECT_FALSE(now.cells[kLearnRow - 1][3].isEmpty());
        now.cells[kLearnRow - 1] = before.cells[kLearnRow - 1];
        now.entries[kLearnRow - 1] = before.entries[kLearnRow - 1];
        now.modified = before.modified;
    }
    if (!(completed && c.flow == Flow::ReadBack))
        EXPECT_TRUE(now == before) << "the table changed";

    if (!completed) {
        static const char* const failures[]
            = {"no answer", "応答がありません", "切れ",    "Disconnect", "Failure", "Timeout", "error", "中断",
               "中止",      "接続して下さい",   "学習出来"};
        EXPECT_TRUE(std::any_of(std::begin(failures), std::end(failures), [&](const char* f) {
            return all.contains(QString::fromUtf8(f));
        })) << "nothing names what failed";
        EXPECT_FALSE(all.contains("完了") || all.contains("Completed")) << "success reported after a failure";
    }
}

std::vector<Case> cases()
{
    std::vector<Case> out;
    for (Flow f :
         {Flow::Learn, Flow::Register, Flow::ReadBack, Flow::Fire, Flow::Console, Flow::NetUpdate, Flow::Firmware}) {
        out.push_back({f, Fault::Silence, Expect::Fails});
        out.push_back({f, Fault::Slow, Expect::Either});
        out.push_back({f, Fault::Split, Expect::Completes});
        out.push_back({f, Fault::Garbage, Expect::Either});
        out.push_back({f, Fault::Drop, Expect::Fails});
    }
    out.push_back({Flow::Register, Fault::EraseFails, Expect::Fails});
    out.push_back({Flow::Firmware, Fault::EraseFails, Expect::Fails});
    out.push_back({Flow::Firmware, Fault::DownloadError, Expect::Fails});
    return out;
}

INSTANTIATE_TEST_SUITE_P(EveryFlow, FaultSurvival, ::testing::ValuesIn(cases()), [](const auto& info) {
    return std::string(flowName(info.param.flow)) + "_" + faultName(info.param.fault);
});

} // namespace
