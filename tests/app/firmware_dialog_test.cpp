// The firmware update window: its state on showing, the log toggle, choosing
// the file, and download mode while it is visible.
#include "app/FakePorts.h"
#include "app/firmware/DownloadDialog.h"
#include "app/main/AppAssembly.h"
#include "app/main/FirmwareBinding.h"
#include "app/main/MainWindow.h"
#include "app/widgets/Panels.h"
#include "core/link/DeviceLink.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
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
    FirmwareBinding* binding = &w.tool().firmware();
    ASSERT_TRUE(dlg && binding);
    QStringList starts;
    QString answer;
    dlg->chooseFile = [&](const QString& start) {
        starts << start;
        return answer;
    };

    dlg->show();
    EXPECT_TRUE(w->session().link().state().downloadMode);
    EXPECT_TRUE(dlg->btnDownload->isCheckable() && !dlg->btnDownload->isChecked());
    EXPECT_FALSE(dlg->lblMsg->isVisible() || dlg->prgBar->isVisible() || dlg->pnlSend->isVisible());
    EXPECT_EQ(dlg->prgBar->geometry(), dlg->pnlHex->geometry());
    EXPECT_EQ(dlg->height(), dlg->clientHeightLogHidden());
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize()); // fixed border

    // Status-bar double-click: the log with its tool row, resizable, 400 px high; and back.
    emit dlg->sBar->doubleClicked();
    EXPECT_TRUE(dlg->pnlSend->isVisible());
    EXPECT_EQ(dlg->height(), DownloadDialog::kLogShownHeight);
    EXPECT_NE(dlg->minimumSize(), dlg->maximumSize());
    emit dlg->sBar->doubleClicked();
    EXPECT_EQ(dlg->height(), dlg->clientHeightLogHidden());

    // The file: cancelled, chosen (stored, shown, scanned), then offered again.
    const QString path = dir.filePath("Dat/fw.Hex");
    ASSERT_TRUE(test::writeFileBytes(
        path, ":020000040801F1\r\n:10F00000000102030405060708090A0B0C0D0E0F88\r\n:00000001FF\r\n"));
    dlg->btnFile->click();
    EXPECT_TRUE(w->session().settings().hexFileName.isEmpty());
    answer = path;
    dlg->btnFile->click();
    dlg->btnFile->click();
    EXPECT_EQ(starts, QStringList({w->datFolder(), w->datFolder(), path}));
    EXPECT_EQ(w->session().settings().hexFileName, path);
    EXPECT_EQ(dlg->pnlHex->text(), path);
    EXPECT_EQ(dlg->sBar->panelText(2), "LastAdrs[0x0801:F000] EraseSector:4");

    // Closing releases the button, drops an armed step and ends download mode.
    dlg->btnDownload->setChecked(true);
    binding->update().ArmAutoStart(AutoStart::Reconnect);
    dlg->close();
    EXPECT_FALSE(dlg->btnDownload->isChecked());
    EXPECT_FALSE(binding->update().autoStartPending());
    EXPECT_FALSE(w->session().link().state().downloadMode);
}
