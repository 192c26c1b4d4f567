// The firmware update window against the board simulator on loopback: the
// whole course from the download request through the board's restart into
// its loader, the erase and the transfer, to the final "Reset"; a record the
// board rejects; a cancel during the transfer.
#include "ToolAndBoard.h"
#include "app/FakePorts.h"
#include "app/firmware/DownloadDialog.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "app/widgets/Panels.h"
#include "core/link/DeviceLink.h"
#include "sim/QtPrinters.h"
#include "sim/board/BoardSim.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

using namespace zovax;
using test::waitUntil;

namespace {

QString record(int type, int address, const QByteArray& data)
{
    int sum = data.size() + (address >> 8) + (address & 0xFF) + type;
    QString s = QString::asprintf(":%02X%04X%02X", int(data.size()), address, type);
    for (char b : data) {
        sum += static_cast<unsigned char>(b);
        s += QString::asprintf("%02X", static_cast<unsigned char>(b));
    }
    return s + QString::asprintf("%02X", (-sum) & 0xFF);
}

// An image from 0x08000000 whose last data record starts at 0x0801F0F0 (sector 4).
QByteArray image(int lowRecords)
{
    QStringList lines{record(4, 0, QByteArray::fromHex("0800"))};
    for (int i = 0; i < lowRecords; ++i)
        lines << record(0, 16 * i, QByteArray(16, char(i)));
    lines << record(4, 0, QByteArray::fromHex("0801"));
    for (int i = 0; i < 16; ++i)
        lines << record(0, 0xF000 + 16 * i, QByteArray(16, char(0xA5)));
    lines << record(1, 0, {});
    return lines.join("\r\n").toLatin1() + "\r\n";
}

struct FirmwareE2E : ::testing::Test, e2e::ToolAndBoard {
    QPointer<DownloadDialog> dlg; // null once the test has destroyed the tool
    QPushButton* btnDownload = nullptr;
    PanelStatusBar* sBar = nullptr;
    quint16 port = 0;

    void start(const sim::BoardOptions& o, int lowRecords)
    {
        ASSERT_NO_FATAL_FAILURE(startToolAndBoard(o));
        dlg = w.tool().windows().frmDownload;
        ASSERT_TRUE(dlg);
        btnDownload = test::control<QPushButton>(*dlg, "btnDownload");
        sBar = test::control<PanelStatusBar>(*dlg, "sBar");
        port = board->serverPort();
        w->session().settings().hexFileName = dir.filePath("fw.Hex");
        ASSERT_TRUE(test::writeFileBytes(w->session().settings().hexFileName, image(lowRecords)));
        dlg->show();
        ASSERT_TRUE(w->session().link().state().downloadMode);
    }
    void TearDown() override
    {
        if (dlg && dlg->isVisible())
            dlg->close();
        if (w)
            w->session().connectTcp(false);
    }
    QStringList commands() const { return board->commandTexts(); }
    // Clicks btnDownload and waits for the result box.
    QString runUpdate(int ms = 20000)
    {
        QTest::mouseClick(btnDownload, Qt::LeftButton);
        waitUntil([&] { return !prompts.asked.empty(); }, ms);
        return prompts.asked.empty() ? QString() : prompts.asked.back().text;
    }
    int chimes() const { return int(std::count(sounds.played.begin(), sounds.played.end(), Sound::Chime)); }
};

TEST_F(FirmwareE2E, GoodFileCompletesThroughRestartAndReconnect)
{
    sim::BoardOptions o;
    o.restartMs = 1300; // the first reconnect, one second after the drop, is refused
    o.noiseEvery = 3;   // escape sequences from the loader
    start(o, 40);
    EXPECT_EQ(runUpdate(), "Completed");
    EXPECT_EQ(prompts.asked.size(), 1u) << "no socket error box while the window is open";
    EXPECT_EQ(prompts.asked[0].caption, "Information");
    EXPECT_GE(chimes(), 3); // two reconnects and the transfer start

    const QStringList c = commands();
    ASSERT_GE(c.size(), 6);
    EXPECT_EQ(c.mid(0, 3), QStringList({"Ver", QString("EtherDownload:127.000.000.001/%1").arg(port), "Reset"}));
    EXPECT_EQ(c.mid(3, 3), QStringList({"Ver", "4:Last Sector to Erase", "Download Ready ?"}));
    const QStringList records = QString::fromLatin1(image(40)).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(c.mid(6, records.size()), records);
    EXPECT_EQ(c.size(), 6 + records.size() + 1);
    EXPECT_EQ(c.last(), "Reset");
    EXPECT_TRUE(waitUntil([&] { return board->flash().firmware().records == 56; }, 3000));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(w->session().link().state().downloadMode);
}

// A record the board rejects, or a cancel click once the board has taken five
// records: the transfer stops short of the end record, the board installs
// nothing, and it is still sent "Reset".
TEST_F(FirmwareE2E, RejectedRecordOrCancelStopsTheTransferAndResets)
{
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancel" : "rejected record");
        sim::BoardOptions o;
        o.restartMs = 200;
        o.downloadErrorAt = cancel ? 0 : 5;
        o.splitSegments = !cancel; // replies cut at random byte positions
        prompts.asked.clear();
        start(o, 200);
        int records = 0;
        QObject::connect(board.get(), &sim::BoardSim::commandReceived, dlg, [&](const QString& t) {
            if (cancel && t.startsWith(':') && ++records == 5)
                QTest::mouseClick(btnDownload, Qt::LeftButton);
        });
        EXPECT_EQ(runUpdate(), cancel ? "Cancel" : "Failure");
        EXPECT_TRUE(sBar->panelText(2).startsWith(prompts.asked.back().text));
        if (!cancel)
            EXPECT_EQ(sBar->panelText(2), "Failure: Record 5 error: flash write failed (record 5)");
        EXPECT_EQ(commands().last(), "Reset");
        EXPECT_FALSE(commands().contains(":00000001FF"));
        EXPECT_EQ(board->flash().firmware().records, 0);
        EXPECT_FALSE(btnDownload->isChecked());
        w.reset();
        board.reset();
    }
}

} // namespace

namespace {

// A board left in its loader by a failed update is brought back by one press
// of Download: its answer to "Ver" leads straight to the loader's step.
TEST_F(FirmwareE2E, BoardLeftInLoaderIsRecoveredByOnePress)
{
    sim::BoardOptions o;
    o.restartMs = 200;
    start(o, 20);
    board->engine().forcePhase(sim::Phase::Loader); // as an interrupted update leaves it
    EXPECT_EQ(runUpdate(), "Completed");
    const QStringList c = commands();
    EXPECT_EQ(c.mid(0, 3), QStringList({"Ver", "4:Last Sector to Erase", "Download Ready ?"}));
    EXPECT_FALSE(c.join('|').contains("EtherDownload"));
    EXPECT_TRUE(waitUntil([&] { return board->phase() == sim::Phase::Firmware; }, 3000));
}

// A board that never finishes erasing: the update stops with the step named
// and the window is ready for another start.
TEST_F(FirmwareE2E, EraseThatNeverEndsStopsWithTheStepNamed)
{
    sim::BoardOptions o;
    o.restartMs = 200;
    o.eraseNever = true;
    start(o, 4);
    w->session().firmware().limits.eraseMs = 1500;
    EXPECT_EQ(runUpdate(),
              "Timeout: the board did not complete the erase (\"FLASH Sector:4 ... Erased\") within 1.5 s");
    EXPECT_EQ(commands().last(), "4:Last Sector to Erase");
    EXPECT_FALSE(btnDownload->isChecked());
    EXPECT_TRUE(test::control<QPushButton>(*dlg, "btnFile")->isEnabled());
    EXPECT_TRUE(dlg->isVisible());
}

} // namespace
