#pragma once
// frmMain: the main window. Top bar (fire test, IR outputs, register, connect,
// read), the code table, the wave panel, the receive panel with the command
// console, and the status bar. A view of the session: the settings, the device
// link and the code table belong to the session, which outlives this window.
#include "core/shell/Settings.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QSplitter;
class QTableView;
class QToolButton;

namespace zovax {

class AnalysisWindow;
class BarFrame;
class ClickPanel;
class CodeTable;
class DeviceLink;
class DownloadDialog;
class MemoReceiveLog;
class MsgBox;
class PanelStatusBar;
class Prompts;
class Session;
class ReceiveLog;
class Sounds;
class TableController;
class InterchangeBinding;
class TcpDialog;
class TwsDialog;
class WaveEditDialog;
class WaveListWindow;
class WaveView;

struct MainWindowOptions {
    QString settingsPath;       // empty: the executable's path with ".ini"
    Prompts* prompts = nullptr; // not owned; empty: message boxes
    Sounds* sounds = nullptr;   // not owned; empty: the system sounds
};

// The settings file the options name.
QString settingsPathOf(const MainWindowOptions& options);

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

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kWaveChannels = 4;
    static constexpr int kCandidateCount = 32;

    // `session` must outlive the window.
    explicit MainWindow(Session& session);
    ~MainWindow() override;

    // Hands over the other windows once they exist (start-up step 4).
    void attachWindows(const AppWindows& w);
    const AppWindows& windows() const { return windows_; }

    // The session's state this window shows.
    Session& session() { return session_; }
    Settings& settings;
    QString settingsPath() const;
    DeviceLink& link();
    CodeTable& table();
    ReceiveLog& receiveLog();
    MemoReceiveLog& memoLog() { return *log_; } // the receive log's widget side
    Prompts& prompts();
    Sounds& sounds();

    // Window-state markers.
    bool traceMode() const;
    int pnlContMarker = 0;
    bool firstShowDone() const { return firstShowDone_; }
    QString datFolder() const; // the table files' default folder: "Dat/" beside the settings file
    int scrollExtent() const { return scrollExtent_; }

    // Status-bar panels 0..2.
    QString statusText(int panel) const;
    void setStatusText(int panel, const QString& text);

    // Connect button captions and colours ("接続" normal / "接続中" blue).
    void showConnected(bool connected);

    // Handlers.
    void mmFileQuitClick();
    void mmFileTcpClick();
    void mmZVAXupdateClick();
    void sBarDblClick();
    void pnlContDblClick();
    void pnlTopDblClick();
    void btnConnectClick();

    // Dials or hangs up the board; replaced by the TCP connection handling when it is attached.
    std::function<void(bool)> ConnectTcp;
    // Reopens the last table at the first show; returns true on success.
    std::function<bool(const QString& path)> reopenLastTable;
    // Closes the serial port at shutdown (when a serial link exists).
    std::function<void()> ClosePort;

    // The code table's grid, pop-up menu and File menu handlers (set up in FormCreate).
    TableController* tableController = nullptr;
    InterchangeBinding* interchange = nullptr; // File menu Import / Export, pop-up copy as Pronto Hex

    // --- controls, named as in the window's design ---
    BarFrame* pnlTop;
    QPushButton* btnTest;
    QCheckBox* ckTp1;
    QCheckBox* ckTp2;
    QCheckBox* ckTp3;
    QCheckBox* ckTp4;
    QCheckBox* ckCursor;
    QToolButton* btnTableWrite;
    QToolButton* btnConnect;
    QLabel* pnlHost;
    QToolButton* btnTableLoad;
    QTableView* sGrid;
    QFrame* pnlWave;
    BarFrame* pnlCont;
    ClickPanel* pnlAnalyze;
    QCheckBox* ckLearningMsg;
    QLabel* lblZoom;
    QComboBox* cmbZoom;
    QProgressBar* pgBar;
    QFrame* pnlWaveData;
    QLineEdit* edtLearningTime;
    QLineEdit* edtHrange;
    QLineEdit* edtWrange;
    QPushButton* btnWaveData;
    QPushButton* btnWaveClear;
    QWidget* waveClip; // the visible part of the wave image
    WaveView* imgWave;
    QScrollBar* scrBar;
    QSplitter* splitter;
    QFrame* pnlRecv;
    QFrame* pnlSend;
    QPushButton* btnSend;
    QComboBox* cmbSendText;
    QCheckBox* ckPcode;
    QCheckBox* ckFullCode;
    QToolButton* btnRecvClear;
    QPlainTextEdit* memoRecv;
    PanelStatusBar* sBar;

    QMenu* mmFile;
    QAction* mmCleate;
    QAction* mmFileOpen;
    QAction* mmFileSave;
    QAction* mmFileCom;
    QAction* mmFileTcp;
    QAction* mmSepUpdate; // the hidden separator before the firmware item
    QAction* mmZVAXupdate;
    QAction* mmFileQuit;

signals:
    // After every resize, once scrollExtent() is up to date.
    void resized();

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // Asks whether a modified table is saved first; false keeps the window open.
    bool confirmCloseWithModifiedTable();
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi(); // the controls and their layout
    void connectHandlers();
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormClose();
    void layoutWavePanel();

    Session& session_;
    std::unique_ptr<MemoReceiveLog> log_;
    AppWindows windows_;
    bool firstShowDone_ = false;
    bool cursorEcho_ = false;     // the grid follows a session cursor move
    bool connectedShown_ = false; // btnConnect shows "接続中"
    bool closing_ = false;
    int scrollExtent_ = 0;
};

} // namespace zovax
