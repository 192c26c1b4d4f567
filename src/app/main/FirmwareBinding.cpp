#include "app/main/FirmwareBinding.h"

#include "app/firmware/DownloadDialog.h"
#include "app/main/MainWindow.h"
#include "app/widgets/Panels.h"
#include "core/link/DeviceLink.h"
#include "core/session/Session.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace zovax {

FirmwareBinding::FirmwareBinding(Session& session, MainWindow& main, const MainControls& ui, DownloadDialog& dialog,
                                 TcpConnection& connection)
    : session_(session), main_(main), dialog_(dialog), connection_(&connection)
{
    DeviceLink& link = session_.link();
    update_ = new FirmwareUpdate(link, session_.prompts(), session_.sounds(), this);
    update_->setView(&dialog_);
    update_->ConnectTcp = [this](bool on) {
        if (connection_)
            connection_->ConnectTcp(on);
    };
    dialog_.tmAutoStart = update_->autoStartTimer();

    link.handlers.HandleDownloadData = [this](const QByteArray& bytes) { update_->HandleDownloadData(bytes); };

    DownloadHooks& hooks = connection.download;
    hooks.downloadStage = [this] { return update_->downloadStage(); };
    hooks.showConnect = [this](const QString& host) { dialog_.showStatus(0, QStringLiteral("Connect: ") + host); };
    hooks.SendDownloadRequest = [this] {
        // A link that comes up after the button was released again announces nothing.
        if (dialog_.downloadButtonDown())
            update_->beginCourse();
    };
    hooks.downloadButtonDown = [this] { return dialog_.isVisible() && dialog_.downloadButtonDown(); };
    hooks.ArmAutoStart = [this](AutoStart step) { update_->ArmAutoStart(step); };
    connection.addView(this);

    connect(&dialog_, &DownloadDialog::shown, this, [this] {
        dialog_.pnlHex->setText(QDir::toNativeSeparators(session_.settings().hexFileName));
        update_->windowShown();
        session_.link().state().downloadMode = true;
    });
    connect(&dialog_, &DownloadDialog::hidden, this, [this] {
        session_.link().state().downloadMode = false;
        update_->windowClosed();
    });
    connect(dialog_.btnDownload, &QPushButton::clicked, this, [this] { update_->btnDownloadClick(); });
    connect(dialog_.btnFile, &QPushButton::clicked, this, &FirmwareBinding::btnFileClick);
    connect(ui.mmZVAXupdate, &QAction::triggered, &dialog_, &QDialog::exec);
}

FirmwareBinding::~FirmwareBinding()
{
    session_.link().handlers.HandleDownloadData = nullptr; // the update goes with this binding
    if (connection_) {
        connection_->removeView(this);
        connection_->download = DownloadHooks{};
    }
}

void FirmwareBinding::btnFileClick()
{
    const QString stored = session_.settings().hexFileName;
    const QString start = stored.isEmpty() ? main_.datFolder() : stored;
    const QString path = dialog_.chooseFile ? dialog_.chooseFile(start) : QString();
    if (path.isEmpty())
        return;
    dialog_.pnlHex->setText(QDir::toNativeSeparators(path));
    update_->setHexFile(path);
}

void FirmwareBinding::onDisconnected()
{
    if (dialog_.isVisible())
        dialog_.showStatus(0, QStringLiteral("Disconnect"));
}

} // namespace zovax
