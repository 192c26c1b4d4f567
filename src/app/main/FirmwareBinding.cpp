#include "app/main/FirmwareBinding.h"

#include "app/firmware/DownloadDialog.h"
#include "app/main/MainControls.h"
#include "app/main/MainWindow.h"
#include "core/session/Session.h"

#include <QAction>

namespace zovax {

FirmwareBinding::FirmwareBinding(Session& session, MainWindow& main, const MainControls& ui, DownloadDialog& dialog)
    : session_(session), main_(main), dialog_(dialog), update_(session.firmware())
{
    update_.setView(&dialog_);
    connect(&dialog_, &DownloadDialog::shown, this, [this] {
        dialog_.setHexPath(session_.settings().hexFileName);
        update_.windowShown();
    });
    connect(&dialog_, &DownloadDialog::hidden, this, [this] { update_.windowClosed(); });
    connect(&dialog_, &DownloadDialog::downloadClicked, this, [this] { update_.btnDownloadClick(); });
    connect(&dialog_, &DownloadDialog::fileClicked, this, &FirmwareBinding::chooseFile);
    connect(ui.mmZVAXupdate, &QAction::triggered, &dialog_, &QDialog::exec);
}

FirmwareBinding::~FirmwareBinding()
{
    // The update stays with the session: it ends its window's part (download
    // mode, an armed step) and shows nothing more.
    if (dialog_.isVisible())
        update_.windowClosed();
    update_.setView(nullptr);
}

void FirmwareBinding::chooseFile()
{
    const QString stored = session_.settings().hexFileName;
    const QString start = stored.isEmpty() ? main_.datFolder() : stored;
    const QString path = dialog_.chooseFile ? dialog_.chooseFile(start) : QString();
    if (path.isEmpty())
        return;
    dialog_.setHexPath(path);
    update_.setHexFile(path);
}

} // namespace zovax
