#pragma once
// The main window's controls, named as in the window's design. The window
// builds them and keeps this set to itself; the assembly hands it to the
// bindings, which connect the controls to the session. Nothing else reaches
// a control through a pointer: tests find them by these object names.
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
class QWidget;

namespace zovax {

class BarFrame;
class ClickPanel;
class PanelStatusBar;
class WaveView;

struct MainControls {
    // Top bar: fire test, IR outputs, Cursor Auto, register, connect, host, read-back.
    BarFrame* pnlTop = nullptr;
    QPushButton* btnTest = nullptr;
    QCheckBox* ckTp1 = nullptr;
    QCheckBox* ckTp2 = nullptr;
    QCheckBox* ckTp3 = nullptr;
    QCheckBox* ckTp4 = nullptr;
    QCheckBox* ckCursor = nullptr;
    QToolButton* btnTableWrite = nullptr;
    QToolButton* btnConnect = nullptr;
    QLabel* pnlHost = nullptr;
    QToolButton* btnTableLoad = nullptr;
    // The code table.
    QTableView* sGrid = nullptr;
    // Wave panel: its bar, the learning parameters and the wave image.
    QFrame* pnlWave = nullptr;
    BarFrame* pnlCont = nullptr;
    ClickPanel* pnlAnalyze = nullptr;
    QCheckBox* ckLearningMsg = nullptr;
    QLabel* lblZoom = nullptr;
    QComboBox* cmbZoom = nullptr;
    QProgressBar* pgBar = nullptr;
    QFrame* pnlWaveData = nullptr;
    QLineEdit* edtLearningTime = nullptr;
    QLineEdit* edtHrange = nullptr;
    QLineEdit* edtWrange = nullptr;
    QPushButton* btnWaveData = nullptr;
    QPushButton* btnWaveClear = nullptr;
    QWidget* waveClip = nullptr; // the visible part of the wave image
    WaveView* imgWave = nullptr;
    QScrollBar* scrBar = nullptr;
    QSplitter* splitter = nullptr;
    // Receive panel with the command console.
    QFrame* pnlRecv = nullptr;
    QFrame* pnlSend = nullptr;
    QPushButton* btnSend = nullptr;
    QComboBox* cmbSendText = nullptr;
    QCheckBox* ckPcode = nullptr;
    QCheckBox* ckFullCode = nullptr;
    QToolButton* btnRecvClear = nullptr;
    QPlainTextEdit* memoRecv = nullptr;
    PanelStatusBar* sBar = nullptr;

    // File menu.
    QMenu* mmFile = nullptr;
    QAction* mmCleate = nullptr;
    QAction* mmFileOpen = nullptr;
    QAction* mmFileSave = nullptr;
    QAction* mmFileCom = nullptr;
    QAction* mmFileTcp = nullptr;
    QAction* mmSepUpdate = nullptr; // the hidden separator before the firmware item
    QAction* mmZVAXupdate = nullptr;
    QAction* mmFileQuit = nullptr;
};

} // namespace zovax
