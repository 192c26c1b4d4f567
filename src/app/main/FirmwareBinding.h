#pragma once
// Binds the firmware update window to the session's firmware update: the
// update shows itself on the window while it is open (the link is then in
// download mode), the window's buttons drive it, and the main window's menu
// item opens it.
#include <QObject>

namespace zovax {

class DownloadDialog;
class FirmwareUpdate;
class MainWindow;
class Session;
struct MainControls;

class FirmwareBinding : public QObject {
    Q_OBJECT
public:
    // The session and the windows must outlive the binding.
    FirmwareBinding(Session& session, MainWindow& main, const MainControls& ui, DownloadDialog& dialog);
    ~FirmwareBinding() override;

private:
    void chooseFile();

    Session& session_;
    MainWindow& main_;
    DownloadDialog& dialog_;
    FirmwareUpdate& update_;
};

} // namespace zovax
