// The firmware update window: its state on showing, the log toggle, choosing
// the file, and download mode while it is visible.
#include "app/FakePorts.h"
#include "app/firmware/DownloadDialog.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "app/widgets/Panels.h"
#include "core/link/DeviceLink.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zovax;

TEST(FirmwareDialog, ShowingLogToggleFileChoiceAndClosing)
{
    QTemporaryDir dir;
    test::FakePrompts prompts;
    test::FakeSounds sounds;
    MainWindowOptions o;
    o.settingsPath = dir.filePath("tool.ini");
    o.prompts = &prompts;
    o.sounds = &sounds;
    auto w = createAppWindows(o);
    DownloadDialog* dlg = w.tool().windows().frmDownload;
    ASSERT_TRUE(dlg);
    FirmwareUpdate& update = w->session().firmware();
    auto* btnDownload = test::control<QPushButton>(*dlg, "btnDownload");
    auto* btnFile = test::control<QPushButton>(*dlg, "btnFile");
    auto* pnlHex = test::control<QLabel>(*dlg, "pnlHex");
    auto* prgBar = test::control<QProgressBar>(*dlg, "prgBar");
    auto* pnlSend = test::control<QFrame>(*dlg, "pnlSend");
    auto* sBar = test::control<PanelStatusBar>(*dlg, "sBar");
    QStringList starts;
    QString answer;
    dlg->chooseFile = [&](const QString& start) {
        starts << start;
        return answer;
    };

    dlg->show();
    EXPECT_TRUE(w->session().link().state().downloadMode);
    EXPECT_TRUE(btnDownload->isCheckable() && !btnDownload->isChecked());
    EXPECT_FALSE(test::control<QLabel>(*dlg, "lblMsg")->isVisible() || prgBar->isVisible() || pnlSend->isVisible());
    EXPECT_EQ(prgBar->geometry(), pnlHex->geometry());
    EXPECT_EQ(dlg->height(), dlg->clientHeightLogHidden());
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize()); // fixed border

    // Status-bar double-click: the log with its tool row, resizable, 400 px high; and back.
    QTest::mouseDClick(sBar, Qt::LeftButton);
    EXPECT_TRUE(pnlSend->isVisible());
    EXPECT_EQ(dlg->height(), DownloadDialog::kLogShownHeight);
    EXPECT_NE(dlg->minimumSize(), dlg->maximumSize());
    QTest::mouseDClick(sBar, Qt::LeftButton);
    EXPECT_EQ(dlg->height(), dlg->clientHeightLogHidden());

    // The file: cancelled, chosen (stored, shown, scanned), then offered again.
    const QString path = dir.filePath("Dat/fw.Hex");
    ASSERT_TRUE(test::writeFileBytes(
        path, ":020000040801F1\r\n:10F00000000102030405060708090A0B0C0D0E0F88\r\n:00000001FF\r\n"));
    QTest::mouseClick(btnFile, Qt::LeftButton);
    EXPECT_TRUE(w->session().settings().hexFileName.isEmpty());
    answer = path;
    QTest::mouseClick(btnFile, Qt::LeftButton);
    QTest::mouseClick(btnFile, Qt::LeftButton);
    EXPECT_EQ(starts, QStringList({w->datFolder(), w->datFolder(), path}));
    EXPECT_EQ(w->session().settings().hexFileName, path);
    EXPECT_EQ(pnlHex->text(), path);
    EXPECT_EQ(sBar->panelText(2), "LastAdrs[0x0801:F000] EraseSector:4");

    // Closing releases the button, drops an armed step and ends download mode.
    btnDownload->setChecked(true);
    update.ArmAutoStart(AutoStart::Reconnect);
    dlg->close();
    EXPECT_FALSE(btnDownload->isChecked());
    EXPECT_FALSE(update.autoStartPending());
    EXPECT_FALSE(w->session().link().state().downloadMode);
}
