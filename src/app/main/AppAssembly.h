#pragma once
// Creates the program once, in the start-up order: the session, the main
// window, firmware update, network settings, registration, wave data list,
// wave information editor, message box; and hands every binding what it needs.
#include "app/main/MainWindow.h"
#include "core/session/Session.h"

#include <memory>

namespace zovax {

class AnalysisWindow;
class DownloadDialog;
class MsgBox;
class TcpDialog;
class TwsDialog;
class WaveEditDialog;
class WaveListWindow;

// The other windows, created after the main window in the start-up order.
struct AppWindows {
    DownloadDialog* frmDownload = nullptr;
    TcpDialog* frmTcp = nullptr;
    TwsDialog* frmTws = nullptr;
    WaveListWindow* frmWave = nullptr;
    WaveEditDialog* frmWaveEdit = nullptr;
    MsgBox* frmMsgBox = nullptr;
    AnalysisWindow* frmAnalysis = nullptr;
};

class ConnectionBinding;
class FirmwareBinding;
class LearningBinding;
class RegistrationBinding;
class SerialBinding;
class WaveBinding;
class WaveEditBinding;

// The whole tool: the session, the windows that observe it and the bindings
// between them. Destroyed in the reverse order: the bindings (their event
// filters and hooks) first, then the windows, then the session.
class Tool : public LearnNotice {
public:
    explicit Tool(const MainWindowOptions& options = {});
    ~Tool() override;
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    Session& session() { return *session_; }
    MainWindow& main() { return *main_; }
    const AppWindows& windows() const { return windows_; }
    WaveBinding& wave() { return *wave_; }
    ConnectionBinding& connection() { return *connection_; }
    FirmwareBinding& firmware() { return *firmware_; }
    SerialBinding& serial() { return *serial_; }
    LearningBinding& learning() { return *learning_; }
    RegistrationBinding& registration() { return *registration_; }
    WaveEditBinding& waveEdit() { return *waveEdit_; }

    // LearnNotice: the end-of-learning box frmMsgBox.
    bool show(const QString& caption, const QString& text) override;
    bool showing() const override;

private:
    std::unique_ptr<Prompts> ownPrompts_;
    std::unique_ptr<Sounds> ownSounds_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<MainWindow> main_;
    AppWindows windows_; // children of the main window
    std::unique_ptr<WaveBinding> wave_;
    std::unique_ptr<ConnectionBinding> connection_;
    std::unique_ptr<FirmwareBinding> firmware_;
    std::unique_ptr<SerialBinding> serial_;
    std::unique_ptr<LearningBinding> learning_;
    std::unique_ptr<RegistrationBinding> registration_;
    std::unique_ptr<WaveEditBinding> waveEdit_;
};

// Owns a Tool and stands for its main window (->, *, get()), so that a caller
// handles the program like a window; tool() reaches the rest.
class ToolHandle {
public:
    ToolHandle() = default;
    explicit ToolHandle(std::unique_ptr<Tool> tool) : tool_(std::move(tool)) {}
    MainWindow* operator->() const { return &tool_->main(); }
    MainWindow& operator*() const { return tool_->main(); }
    MainWindow* get() const { return tool_ ? &tool_->main() : nullptr; }
    explicit operator bool() const { return bool(tool_); }
    void reset() { tool_.reset(); }
    Tool& tool() const { return *tool_; }

private:
    std::unique_ptr<Tool> tool_;
};

// The assembly: every window and binding, wired once.
ToolHandle createAppWindows(const MainWindowOptions& options = {});

// Process settings made before the QApplication exists: Qt's own event
// dispatcher instead of the GLib one. The tool needs no GLib integration, and
// the plain dispatcher wakes up less often per socket event, which shortens
// every command-and-reply round trip with the board.
void prepareApplicationEnvironment();

// The visual theme ("Aqua Light Slate": a light slate-blue palette on the Fusion style)
// and the application's font; called once before the windows are created.
void applyTheme();

} // namespace zovax
