#pragma once
// Binds the firmware update window to the update and the link: while the
// window is visible the link is in download mode (received bytes go to the
// update), the connection reports its connects and disconnects to the
// update, and the window's buttons drive it.
#include "core/firmware/FirmwareUpdate.h"
#include "core/link/TcpConnection.h"

#include <QObject>
#include <QPointer>

namespace zovax {

class DownloadDialog;
class MainWindow;
class Session;
struct MainControls;

class FirmwareBinding : public QObject, public ConnectionView {
    Q_OBJECT
public:
    // The windows and the connection must outlive the binding.
    FirmwareBinding(Session& session, MainWindow& main, const MainControls& ui, DownloadDialog& dialog,
                    TcpConnection& connection);
    ~FirmwareBinding() override;

    FirmwareUpdate& update() { return *update_; }
    DownloadDialog& dialog() { return dialog_; }

    // Handlers.
    void btnFileClick();

    // ConnectionView: the window's status panel 0 while it is visible.
    void onDisconnected() override;

private:
    Session& session_;
    MainWindow& main_;
    DownloadDialog& dialog_;
    QPointer<TcpConnection> connection_; // may go first when the main window is destroyed
    FirmwareUpdate* update_;
};

} // namespace zovax
