// The download side of the firmware update: cutting the board's bytes into
// lines, the reactions to the loader's lines, starting, cancelling and the
// transfer of the file.
#include "core/firmware/FirmwareUpdate.h"

#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "support/LinkRig.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using namespace zovax;

namespace {

struct ReceiveCase {
    const char* name;
    std::vector<QByteArray> blocks;
    QStringList lines;
};

class ReceiverCases : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(ReceiverCases, CutsLines)
{
    DownloadReceiver r;
    QStringList got;
    for (const QByteArray& b : GetParam().blocks)
        got << r.feed(b);
    EXPECT_EQ(got, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ReceiverCases,
    ::testing::Values(ReceiveCase{"SeveralLinesInOneBlock", {"abc\r\ndef\r\n"}, {"abc", "def"}},
                      ReceiveCase{"LineSplitAcrossBlocks", {"ab", "c\r", "\nd\r\n"}, {"abc", "d"}},
                      ReceiveCase{"CrAloneEndsALine", {"a\rb\r"}, {"a", "b"}},
                      ReceiveCase{"TextWithoutCrWaits", {"abc"}, {}}, ReceiveCase{"EmptyLine", {"\r\n"}, {""}},
                      ReceiveCase{"EscSequencesRemoved", {"\x1b[0;32mLoader\x1b[0;00m\r\n"}, {"Loader"}},
                      ReceiveCase{"EscSequenceSplitAcrossBlocks", {"x\x1b[0;", "32my\r\n"}, {"xy"}},
                      ReceiveCase{"OverlongRunTakenAsLine", {QByteArray(4100, 'a')}, {QString(4096, 'a')}}),
    [](const ::testing::TestParamInfo<ReceiveCase>& i) { return std::string(i.param.name); });

class FakeView : public DownloadView {
public:
    void appendLog(const QString& line) override { log << line; }
    void clearLog() override { log.clear(); }
    void showStatus(int panel, const QString& text) override { status[panel] = text; }
    bool downloadButtonDown() const override { return down; }
    void setDownloadButtonDown(bool d) override { down = d; }
    void setFileButtonEnabled(bool e) override { fileEnabled = e; }
    void showPreparing(bool s) override { preparing = s; }
    void showProgress(int m) override { progressMax = m; }
    void setProgress(int) override {}
    void hideProgress() override {}
    bool logRowShown() const override { return false; }
    void closeWindow() override { ++closed; }
    void showFileCheck(const QString& text, bool) override { check = text; }
    QString check;
    QStringList log;
    QString status[3];
    bool down = false, fileEnabled = true, preparing = false;
    int progressMax = -1, closed = 0;
};

class Boxes : public Prompts, public Sounds {
public:
    MsgAnswer ask(const QString& caption, const QString& text, MsgIcon, MsgButtons) override
    {
        boxes << caption + QLatin1Char('/') + text;
        return MsgAnswer::Ok;
    }
    void play(Sound s) override
    {
        chimes += s == Sound::Chime;
        chords += s == Sound::Chord;
    }
    QStringList boxes;
    int chimes = 0, chords = 0;
};

const QByteArray kFile = ":020000040800F2\n:10000000000102030405060708090A0B0C0D0E0F78\n"
                         ":101C0000000102030405060708090A0B0C0D0E0F5C\n:00000001FF\n";
const QStringList kRecords = QString::fromLatin1(kFile).split('\n');
const QByteArray kSector4 = ":020000040801F1\n:10F00000000102030405060708090A0B0C0D0E0F88\n:00000001FF\n";

struct UpdateRig : ::testing::Test, test::LinkRig {
    QTemporaryDir dir;
    FakeView view;
    Boxes ui;
    FirmwareUpdate fw{link, ui, ui};
    QStringList dials; // ConnectTcp calls
    std::function<void(const QString&)> onSent;

    void SetUp() override
    {
        settings.tcpip.Host = QStringLiteral("127.000.000.001");
        settings.tcpip.Port = 60000;
        link.state().tcpConnected = true; // frames are reported without a socket
        QObject::connect(&link, &DeviceLink::tcpFrameSent, [this] {
            if (onSent)
                onSent(sent.back());
        });
        fw.setView(&view);
        QObject::connect(&fw, &FirmwareUpdate::dialRequested, [this](bool on) {
            dials << (on ? "on" : "off");
            link.state().tcpConnected = link.state().tcpConnected && on;
        });
        useFile(kFile);
    }
    void useFile(const QByteArray& content)
    {
        QFile f(dir.filePath("fw.Hex"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        fw.setHexFile(f.fileName());
    }
    void board(const QByteArray& text) { fw.HandleDownloadData(text); }
};

struct Reaction {
    const char* line;
    bool down;
    QStringList sent, dials;
    int chimes;
    bool errorMark, logged;
};

class ReactionCases : public UpdateRig, public ::testing::WithParamInterface<Reaction> {};

TEST_P(ReactionCases, ReactsOnlyWhileButtonDown)
{
    const Reaction& r = GetParam();
    useFile(kSector4);
    view.down = r.down;
    link.state().replyAck = false;
    board(QByteArray(r.line) + "\r\n");
    EXPECT_EQ(sent, r.sent);
    EXPECT_EQ(dials, r.dials);
    EXPECT_EQ(ui.chimes, r.chimes);
    EXPECT_EQ(fw.errorMark(), r.errorMark);
    EXPECT_EQ(view.log.contains(QString::fromLatin1(r.line)), r.logged);
    EXPECT_EQ(link.state().replyAck, !r.logged); // only a lone "." acknowledges
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReactionCases,
    ::testing::Values(Reaction{"IP Config Saved", true, {"Reset"}, {}, 0, false, true},
                      Reaction{"Reset", true, {}, {"off"}, 0, false, true},
                      Reaction{"ZOVAX-Ether Loader Ver.1.00", true, {"4:Last Sector to Erase"}, {}, 0, false, true},
                      Reaction{"Please send [.hex] file", true, {}, {}, 1, false, true},
                      Reaction{"Record 3 error: checksum", true, {}, {}, 0, true, true},
                      Reaction{"IP Config Saved", false, {}, {}, 0, false, true},
                      Reaction{"Loader", false, {}, {}, 0, false, true},
                      Reaction{"Record 3 error: checksum", false, {}, {}, 0, false, true},
                      Reaction{".", true, {}, {}, 0, false, false}, Reaction{". ", true, {}, {}, 0, false, true}));

TEST_F(UpdateRig, LoaderLeadsToEraseAndReady)
{
    useFile(kSector4);
    view.down = true;
    board("\x1b[0;32mZOVAX-Ether Loader Ver.1.00\x1b[0;00m\r\n");
    EXPECT_EQ(fw.downloadStage(), DownloadStage::Requested);
    EXPECT_EQ(fw.expectedEraseLine(), QStringLiteral("FLASH Sector:4 ... Erased"));
    EXPECT_EQ(view.status[2], QStringLiteral("ZOVAX-Ether Loader Ver.1.00"));
    board("FLASH Sector:2 ... Erased\r\nFLASH Sector:3 ... Erased\r\n");
    EXPECT_EQ(sent, QStringList{"4:Last Sector to Erase"});
    board("FLASH Sector:4 ... Erased\r\nPlease send [.hex] file\r\n");
    EXPECT_EQ(sent.back(), QStringLiteral("Download Ready ?"));
    EXPECT_TRUE(fw.autoStartPending());
    EXPECT_EQ(fw.autoStartStep(), AutoStart::Transfer);
}

// While the window is open the update takes over every new link: it starts
// the course only with the button down, and a link that comes up again after
// the course began (the board's restart) only asks for the version.
TEST_F(UpdateRig, NewLinkInDownloadMode)
{
    struct Case {
        const char* name;
        bool down, courseBegun;
        QStringList sent;
        DownloadStage stage;
    } cases[] = {
        {"idle, button down", true, false, {"Ver"}, DownloadStage::Requested},
        {"idle, button up", false, false, {}, DownloadStage::Idle},
        {"course begun", true, true, {"Ver"}, DownloadStage::Requested},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw.windowShown();
        view.down = c.down;
        if (c.courseBegun)
            fw.btnDownloadClick();
        sent.clear();
        view.log.clear();
        fw.onLinkUp(QStringLiteral("127.0.0.1"));
        EXPECT_EQ(view.status[0], QStringLiteral("Connect: 127.0.0.1"));
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(view.log, c.courseBegun ? QStringList() : c.sent); // the course's own "Ver" is listed
        EXPECT_EQ(fw.downloadStage(), c.stage);
    }
    EXPECT_TRUE(link.state().downloadMode);
}

// A lost link with the button down re-dials a second later (while the board
// restarts); otherwise a link the board ended sounds the warning.
TEST_F(UpdateRig, LostLinkInDownloadMode)
{
    struct Case {
        const char* name;
        bool down, dropped;
        int chimes, chords;
        bool armed;
    } cases[] = {
        {"button down", true, true, 1, 0, true},
        {"dropped by the board", false, true, 0, 1, false},
        {"hung up", false, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw.windowShown();
        ui.chimes = ui.chords = 0;
        link.state().tcpConnected = false;
        view.down = c.down;
        if (c.down)
            fw.btnDownloadClick(); // dials: the lost link is the dial's
        fw.onLinkDown(c.dropped);
        EXPECT_EQ(view.status[0], QStringLiteral("Disconnect"));
        EXPECT_EQ(ui.chimes, c.chimes);
        EXPECT_EQ(ui.chords, c.chords);
        EXPECT_EQ(fw.autoStartPending(), c.armed);
        EXPECT_TRUE(ui.boxes.isEmpty());
    }
    fw.windowClosed();
    EXPECT_FALSE(fw.autoStartPending() || link.state().downloadMode);
}

// The link going down is the expected restart only after "Reset"; at any
// other step before the transfer it ends the update with the step named.
TEST_F(UpdateRig, LinkLostOutsideTheRestartEndsTheUpdate)
{
    useFile(kSector4);
    view.down = true;
    board("IP Config Saved\r\n");
    fw.ArmAutoStart(AutoStart::Reconnect); // the board restarting into its loader
    EXPECT_TRUE(fw.autoStartPending());
    EXPECT_TRUE(ui.boxes.isEmpty());

    board("\x1b[0;32mZOVAX-Ether Loader Ver.1.00\x1b[0;00m\r\n");
    fw.ArmAutoStart(AutoStart::Reconnect); // lost while erasing
    EXPECT_FALSE(fw.autoStartPending());
    EXPECT_FALSE(view.down);
    EXPECT_EQ(fw.downloadStage(), DownloadStage::Idle);
    EXPECT_EQ(ui.boxes,
              QStringList{"Information/Failure: the link to the board was lost while waiting for the erase "
                          "(\"FLASH Sector:4 ... Erased\")"});
}

TEST_F(UpdateRig, StartCancelAndRefusalWithoutFile)
{
    view.down = true;
    fw.btnDownloadClick();
    EXPECT_EQ(sent, QStringList{"Ver"});
    board("ZOVAX-Ether Ver.2.10\r\n"); // the firmware, not its loader
    EXPECT_EQ(sent, QStringList({"Ver", "EtherDownload:127.000.000.001/60000"}));
    EXPECT_EQ(fw.downloadStage(), DownloadStage::Requested);
    EXPECT_TRUE(view.preparing);
    // A cancel before the transfer drops the armed start and ends the update.
    fw.ArmAutoStart(AutoStart::Transfer);
    view.down = false;
    fw.btnDownloadClick();
    EXPECT_FALSE(fw.autoStartPending());
    EXPECT_EQ(fw.downloadStage(), DownloadStage::Idle);
    EXPECT_EQ(ui.boxes, QStringList{"Information/Cancel"});
    EXPECT_EQ(sent.back(), QStringLiteral("Reset"));
    EXPECT_EQ(dials, QStringList{"off"});

    // Not connected: dial; released again while the board cannot be reached: retries stop.
    view.down = true;
    fw.btnDownloadClick();
    fw.ArmAutoStart(AutoStart::Reconnect);
    view.down = false;
    fw.btnDownloadClick();
    EXPECT_EQ(dials, QStringList({"off", "on", "off"}));
    EXPECT_FALSE(fw.autoStartPending());

    // Without a readable file nothing goes to the board and the button comes up.
    sent.clear();
    link.state().tcpConnected = true;
    fw.setHexFile(dir.filePath("missing.Hex"));
    view.down = true;
    fw.btnDownloadClick();
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_FALSE(view.down);
    EXPECT_EQ(view.status[2], QStringLiteral("Can't open ... ") + dir.filePath("missing.Hex"));
    EXPECT_EQ(ui.boxes.back(), QStringLiteral("Warning/") + view.status[2]);
}

// Line ends CR LF, CR alone and LF alone give the same lines.
class TransferLineEnds : public UpdateRig, public ::testing::WithParamInterface<const char*> {};

TEST_P(TransferLineEnds, SendsUpToEndRecordThenResets)
{
    const QByteArray file = QByteArray(kFile).replace("\n", GetParam());
    useFile(file);
    view.down = true;
    fw.runTransfer();
    EXPECT_EQ(sent, kRecords.mid(0, 4) + QStringList{"Reset"});
    EXPECT_EQ(view.status[1], QStringLiteral("0x0800:1C00"));
    EXPECT_EQ(view.status[2], QStringLiteral("Completed"));
    EXPECT_EQ(ui.boxes, QStringList{"Information/Completed"});
    EXPECT_EQ(view.progressMax, file.size());
    EXPECT_TRUE(!view.down && view.fileEnabled && view.closed == 1 && fw.downloadStage() == DownloadStage::Idle);
}

INSTANTIATE_TEST_SUITE_P(Files, TransferLineEnds, ::testing::Values("\r\n", "\r", "\n"));

TEST_F(UpdateRig, TransferStopsOnErrorCancelLostLinkOrMissingFile)
{
    struct Case {
        const char* name;
        std::function<void()> atSecondRecord;
        const char* result;
        QStringList sent;
    } cases[] = {
        {"error", [&] { board("Record 2 error: flash write failed\r\n"); }, "Failure", kRecords.mid(0, 2) << "Reset"},
        {"error without record", [&] { board("write error\r\n"); }, "Failure", kRecords.mid(0, 2) << "Reset"},
        {"cancel",
         [&] {
             view.down = false;
             fw.btnDownloadClick();
         },
         "Cancel", kRecords.mid(0, 2) << "Reset"},
        {"link", [&] { link.state().tcpConnected = false; }, "Failure", kRecords.mid(0, 2)},
        {"file", nullptr, "Failure", {"Reset"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sent.clear();
        ui.boxes.clear();
        link.state().tcpConnected = true;
        view.down = true;
        if (!c.atSecondRecord)
            fw.setHexFile(dir.filePath("gone.Hex"));
        onSent = [&](const QString& s) {
            if (s == kRecords[1])
                c.atSecondRecord();
        };
        fw.runTransfer();
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(ui.boxes, QStringList{QStringLiteral("Information/") + c.result});
    }
    // The board's own error line and the record it refers to, in panel 2 and the log.
    const QString detail = QStringLiteral("Failure: write error (record 2)");
    onSent = [&](const QString& s) {
        if (s == kRecords[1])
            board("write error\r\n");
    };
    useFile(kFile);
    auto rerun = [&] {
        link.state().tcpConnected = true;
        view.down = true;
        fw.runTransfer();
    };
    rerun();
    EXPECT_EQ(view.status[2], detail);
    EXPECT_TRUE(view.log.contains(detail));
    onSent = [&](const QString& s) {
        if (s == kRecords[2])
            board("Record 2 error: checksum\r\n");
    };
    rerun();
    EXPECT_EQ(view.status[2], QStringLiteral("Failure: Record 2 error: checksum (record 2)"));
}

// A file that fails the check is refused with its line, before anything is
// sent; a file spoilt after it was chosen is refused at the transfer.
TEST_F(UpdateRig, FaultyFileRefusedBeforeAnythingIsSent)
{
    useFile(kFile + ":10200000000102030405060708090A0B0C0D0E0F58\n");
    view.down = true;
    fw.btnDownloadClick();
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_FALSE(view.down);
    EXPECT_EQ(ui.boxes, QStringList{"Warning/File check failed: line 5: text after the end-of-file record"});
    EXPECT_EQ(view.check, ui.boxes[0].mid(8));

    useFile(kFile);
    EXPECT_EQ(view.check, QStringLiteral("File check OK: 4 records"));
    QFile f(dir.filePath("fw.Hex"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(kFile).replace("0F78", "0F77"));
    f.close();
    fw.runTransfer();
    EXPECT_EQ(sent, QStringList{"Reset"});
    EXPECT_EQ(ui.boxes.back(), QStringLiteral("Information/Failure"));
}

// A board left in its loader answers "Ver" from there: the course goes on
// from the loader's step, without the download request.
TEST_F(UpdateRig, BoardInLoaderContinuesFromLastSector)
{
    useFile(kSector4);
    view.down = true;
    fw.btnDownloadClick();
    board("\x1b[0;32mZOVAX-Ether Loader Ver.1.00\x1b[0;00m\r\n");
    EXPECT_EQ(sent, QStringList({"Ver", "4:Last Sector to Erase"}));
    EXPECT_EQ(fw.waitingFor(), FirmwareUpdate::Step::Erase);
}

// Every wait for the board ends: the update stops with a message naming the
// step, sends nothing more and leaves the window ready.
TEST_F(UpdateRig, EveryWaitEndsWithTheStepNamed)
{
    fw.limits = StepLimits{40, 40, 40, 40, 40};
    useFile(kSector4);
    struct Case {
        const char* name;
        QByteArray lines; // the board's answers before it falls silent
        bool connected;
        const char* step;
    } cases[] = {
        {"ver", "", true, "the answer to \"Ver\""},
        {"prepare", "ZOVAX-Ether Ver.2.10\r\n", true, "the preparation (\"IP Config Saved\")"},
        {"restart", "ZOVAX-Ether Ver.2.10\r\nIP Config Saved\r\n", true, "the restart into its loader"},
        {"connect", "", false, "the connection"},
        {"erase", "Loader\r\nFLASH Sector:2 ... Erased\r\n", true, "the erase (\"FLASH Sector:4 ... Erased\")"},
        {"ready", "Loader\r\nFLASH Sector:4 ... Erased\r\n", true, "the download ready answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.state().tcpConnected = c.connected;
        view.down = true;
        ui.boxes.clear();
        dials.clear();
        fw.btnDownloadClick();
        board(c.lines);
        const int before = int(sent.size());
        ASSERT_TRUE(test::waitUntil([&] { return !ui.boxes.isEmpty(); }, 2000));
        EXPECT_TRUE(ui.boxes[0].startsWith(QStringLiteral("Information/Timeout: the board did not complete ")
                                           + QLatin1String(c.step)))
            << ui.boxes[0].toStdString();
        EXPECT_EQ(sent.size(), before);
        EXPECT_TRUE(!view.down && view.fileEnabled && !view.preparing && fw.downloadStage() == DownloadStage::Idle);
        EXPECT_EQ(view.status[2], ui.boxes[0].mid(12));
        EXPECT_FALSE(fw.autoStartPending());
    }
}

} // namespace
