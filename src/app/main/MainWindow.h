#pragma once
// frmMain: the main window. Top bar (fire test, IR outputs, register, connect,
// read), the code table, the wave panel, the receive panel with the command
// console, and the status bar. A view of the session: the settings, the device
// link and the code table belong to the session, which outlives this window.
#include "app/main/MainControls.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

namespace zovax {

class MemoReceiveLog;
class Prompts;
class Session;
class Sounds;
class TableController;
class InterchangeBinding;

struct MainWindowOptions {
    QString settingsPath;       // empty: the executable's path with ".ini"
    Prompts* prompts = nullptr; // not owned; empty: message boxes
    Sounds* sounds = nullptr;   // not owned; empty: the system sounds
};

// The settings file the options name.
QString settingsPathOf(const MainWindowOptions& options);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kWaveChannels = 4;
    static constexpr int kCandidateCount = 32;

    // `session` must outlive the window.
    explicit MainWindow(Session& session);
    ~MainWindow() override;

    // The session this window shows: settings, link, table and their state live there.
    Session& session() { return session_; }
    MemoReceiveLog& memoLog() { return *log_; } // the receive log's widget side

    // Window-state markers.
    int pnlContMarker() const { return pnlContMarker_; } // 1 while the advanced wave controls show
    bool firstShowDone() const { return firstShowDone_; }
    QString datFolder() const; // the table files' default folder: "Dat/" beside the settings file
    int scrollExtent() const { return scrollExtent_; }

    // Status-bar panels 0..2 as shown.
    QString statusText(int panel) const;

    // Connect button captions and colours ("接続" normal / "接続中" blue).
    void showConnected(bool connected);

    // The code table's grid, pop-up menu and File menu handlers.
    TableController& tableController() { return *tableController_; }
    InterchangeBinding& interchange() { return *interchange_; } // File menu Import / Export, copy as Pronto Hex

signals:
    // After every resize, once scrollExtent() is up to date.
    void resized();
    // The connect button asks to dial (true) or hang up (false), by its caption;
    // closing the window asks to hang up while connected, before the settings are written.
    void connectRequested(bool on);
    // Once at shutdown, after the settings are written: the serial port closes.
    void closed();

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The assembly hands the controls to the bindings.
    friend class Tool;

    void buildUi(); // the controls and their layout
    void connectHandlers();
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormClose();
    // Asks whether a modified table is saved first; false keeps the window open.
    bool confirmCloseWithModifiedTable();
    void layoutWavePanel();

    // Handlers.
    void sBarDblClick();
    void pnlContDblClick();
    void pnlTopDblClick();
    void btnConnectClick();

    Session& session_;
    MainControls ui_;
    std::unique_ptr<MemoReceiveLog> log_;
    TableController* tableController_ = nullptr;
    InterchangeBinding* interchange_ = nullptr;
    int pnlContMarker_ = 0;
    bool firstShowDone_ = false;
    bool cursorEcho_ = false;     // the grid follows a session cursor move
    bool connectedShown_ = false; // btnConnect shows "接続中"
    bool closing_ = false;
    int scrollExtent_ = 0;
};

} // namespace zovax
