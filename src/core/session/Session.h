#pragma once
// One working session with the board: the settings, the device link (TCP and
// serial), the code table, the learned waves and the learn state, the link
// state and the board's network-configuration copy, with every flow that works
// on them (connect, console, fire test, learning, registration, read-back,
// network configuration, firmware update). It runs without any window: the windows observe its
// signals and set the state they show (check boxes, edits, grid cursor)
// through its setters; a command-line caller drives the same object.
//
// Every object here lives on the thread that created the session (the
// user-interface thread of a QCoreApplication or QApplication).
#include "core/firmware/FirmwareUpdate.h"
#include "core/learning/Learner.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"
#include "core/link/NetConfig.h"
#include "core/link/SerialPort.h"
#include "core/link/TcpConnection.h"
#include "core/session/SessionLog.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "core/table/Console.h"
#include "core/table/FireTest.h"
#include "core/table/Registration.h"
#include "core/table/TableCommands.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>

namespace zovax {

// The end-of-learning message box: shows the text modally with "次回から表示しない"
// cleared and returns whether that box was ticked when it closed.
class LearnNotice {
public:
    virtual ~LearnNotice() = default;
    virtual bool show(const QString& caption, const QString& text) = 0;
    virtual bool showing() const = 0;
};

struct SessionOptions {
    // The file loadSettings() reads and saveSettings() writes; empty: no file
    // (defaults are used and saveSettings() writes nothing).
    QString settingsPath;
    Prompts* prompts = nullptr;         // not owned; null: every question is answered Yes / Ok
    Sounds* sounds = nullptr;           // not owned; null: silent
    LearnNotice* learnNotice = nullptr; // not owned; null: the text goes to messageShown only
};

class Session : public QObject {
    Q_OBJECT
public:
    static constexpr int kStatusPanels = 3;

    explicit Session(const SessionOptions& options = {}, QObject* parent = nullptr);
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // --- settings ---
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    QString settingsPath() const { return settingsPath_; }
    // Reads the settings file (defaults for whatever is missing) and applies it:
    // serial receive mode, learning parameter texts, host text. Emits settingsChanged.
    void loadSettings();
    // Takes the learning parameters back from their texts (defaults for texts
    // that are no number) and writes the file. False when it could not be
    // written (status panel 0 then says so); true without a settings path.
    bool saveSettings();
    // The learning boxes as typed, in the form the settings keep; and as a
    // learn without the board (an import) runs with them: the time at least
    // the shortest a learn through the board takes.
    LearnParams learnParamsAsTyped() const;
    LearnParams learnParamsForLearning() const;

    // --- the parts (owned by the session, alive as long as it is) ---
    DeviceLink& link() { return *link_; }
    TcpConnection& tcp() { return *tcp_; }
    SerialPort& serial() { return *serial_; }
    CodeTable& table() { return *table_; }
    TableCommands& tableCommands() { return *tableCommands_; }
    LearningCore& learning() { return *learning_; }
    WaveStore& waves() { return learning_->store(); }
    Learner& learner() { return learning_->learner(); }
    Registration& registration() { return *registration_; }
    NetConfig& netConfig() { return *netConfig_; }
    Console& console() { return *console_; }
    FireTest& fireTest() { return *fireTest_; }
    // The firmware update: fed the link's bytes and link events while its
    // window is open (LinkState::downloadMode), dials through tcp().
    FirmwareUpdate& firmware() { return *firmware_; }
    SessionLog& log() { return *log_; }
    Prompts& prompts();
    Sounds& sounds();
    // The session seen as the table commands' host and as the fire test's and
    // the learning's view (the state they read is the session's).
    TableHost& tableHost();
    LearnView& learnView();

    // --- flows ---
    // Dials (true) or hangs up (false) the board at settings().tcpip.
    void connectTcp(bool on);
    // Opens settings().rs232c's port with its receive side / closes it.
    bool openSerial();
    void closeSerial();
    // A console command line (history, configuration dialogue, SendLine).
    void send(const QString& text);
    // Learning on or off (the learning indicator's click).
    void toggleLearning();
    // Fire test of the current row on the ticked outputs; true when sent.
    bool fire();
    // Registration of the whole table: the checks, the write loop and the end,
    // without a dialog. Returns Busy without writing when the checks fail.
    Registration::WriteResult registerTable();
    // The write loop alone (the registration dialog's execute button), shown on
    // `view`, or on the session when null.
    Registration::WriteResult writeTable(RegistrationView* view = nullptr);
    // Read-back of the board's table into this table (New, question, requests).
    Registration::ReadBackOutcome readBack();

    // --- link state ---
    bool tcpConnected() const { return link_->state().tcpConnected; }
    bool portOpen() const { return link_->state().portOpen; }
    TableWriteMode tableWriteMode() const { return link_->state().tableWriteMode; }
    bool tableReadMode() const { return link_->state().tableReadMode; }
    // The TCP link came up and has not gone down since.
    bool linkUp() const { return linkUp_; }
    // The status bar's diagnostic switch.
    bool traceMode() const { return traceMode_; }
    void setTraceMode(bool on);
    // Emits the change signals for state the flows changed directly in the
    // parts. Runs by itself whenever the event loop turns, and after each flow.
    void syncState();

    // --- what the windows show and set ---
    bool cursorAuto() const { return cursorAuto_; } // "Cursor Auto"
    void setCursorAuto(bool on);
    bool learningMsg() const { return learningMsg_; } // "学習確認"
    void setLearningMsg(bool on);
    bool pcode() const { return pcode_; } // "PCode"
    void setPcode(bool on);
    bool fullCode() const { return fullCode_; } // "Full Code"
    void setFullCode(bool on);
    // The advanced wave-data controls are shown (learning steers by this too).
    bool advancedControls() const { return advancedControls_; }
    void setAdvancedControls(bool on);
    // The serial settings menu item is shown (the serial link is in use).
    bool serialMenuShown() const { return serialMenuShown_; }
    void setSerialMenuShown(bool on);
    // IR1..IR4 ticked for the fire test.
    IrOutputs irOutputs() const { return irOutputs_; }
    void setIrOutput(int index, bool on); // index 0..3

    // Learning parameter texts as typed: High and Width tolerance (%), learning time (ms).
    QString hRangeText() const { return hRangeText_; }
    QString wRangeText() const { return wRangeText_; }
    QString learningTimeText() const { return learningTimeText_; }
    void setHRangeText(const QString& text);
    void setWRangeText(const QString& text);
    void setLearningTimeText(const QString& text);

    // Learning indicator: lit while learning; its caption says "学習 On" while
    // captionOn (the caption follows the board's answer when learning is switched off).
    bool learnIndicatorLit() const { return learnLit_; }
    // Learning progress (0..512) and whether it is shown.
    int progress() const { return progress_; }
    bool progressVisible() const { return progressVisible_; }

    // Code-table cursor: row 1..999 (0: none), column 0..4.
    int cursorRow() const { return cursorRow_; }
    int cursorColumn() const { return cursorColumn_; }
    void setCursor(int column, int row);

    // Status panels 0..2 and the host panel ("host/port").
    QString statusText(int panel) const;
    void setStatusText(int panel, const QString& text);
    QString hostText() const { return hostText_; }
    void setHostText(const QString& text);
    // The console's command line as typed (the network configuration reads it).
    QString commandLineText() const { return commandLineText_; }
    void setCommandLineText(const QString& text) { commandLineText_ = text; }

signals:
    void settingsChanged();
    // Link state.
    void tcpConnectedChanged(bool on);
    void portOpenChanged(bool on);
    void tableWriteModeChanged(zovax::TableWriteMode mode);
    void tableReadModeChanged(bool on);
    void traceModeChanged(bool on);
    // The network-configuration copy (settings().svcnf) changed.
    void netConfigChanged();
    // The TCP link came up or went down.
    void linkConnected(const QString& host);
    void linkDisconnected();

    // Shown state.
    void cursorAutoChanged(bool on);
    void learningMsgChanged(bool on);
    void pcodeChanged(bool on);
    void fullCodeChanged(bool on);
    void advancedControlsChanged(bool on);
    void serialMenuShownChanged(bool on);
    void irOutputsChanged();
    void learnParamTextsChanged();
    void learnIndicatorChanged(bool lit, bool captionOn);
    void progressChanged(int position);
    void progressVisibleChanged(bool visible);
    void cursorMoved(int column, int row);
    void gridFocusRequested();
    void statusTextChanged(int panel, const QString& text);
    void hostTextChanged(const QString& text);
    void commandHistoryAdded(const QString& text);
    // The console's "Save" made the board's address the target.
    void targetAdopted(const QString& host, int port);

    // Wave display and wave data list (channel 4: all channels).
    void pulseDrawn(int channel, int index);
    void pulseListed(int channel, int index);
    void waveAreaCleared(int channel);
    void waveListCleared(int channel);
    void logicCellSet(int channel, int index, const QString& text);
    void labelDrawn(int channel, const QString& label);

    // Registration and read-back progress.
    void storeCommandShown(const QString& text);
    void storingRows(bool on);
    void readBackStarted();
    void readBackProgress(int entry, int unanswered);
    void readBackEnded();

    // Every message box and question, before it is shown (or answered headless).
    void messageShown(const QString& caption, const QString& text);

private:
    class Adapters;
    friend class Adapters;

    void setFlag(bool& member, bool on, void (Session::*changed)(bool));
    void setLearnIndicator(bool lit, bool captionOn);
    void setProgress(int position);
    void setProgressVisible(bool visible);

    QString settingsPath_;
    Settings settings_;
    std::unique_ptr<Adapters> adapters_;
    // Owned parts, destroyed in reverse order: the flows before the link they use.
    std::unique_ptr<SessionLog> log_;
    std::unique_ptr<CodeTable> table_;
    std::unique_ptr<DeviceLink> link_;
    std::unique_ptr<TcpConnection> tcp_;
    std::unique_ptr<SerialPort> serial_;
    std::unique_ptr<LearningCore> learning_;
    std::unique_ptr<TableCommands> tableCommands_;
    std::unique_ptr<Registration> registration_;
    std::unique_ptr<NetConfig> netConfig_;
    std::unique_ptr<Console> console_;
    std::unique_ptr<FireTest> fireTest_;
    std::unique_ptr<FirmwareUpdate> firmware_;

    bool traceMode_ = false;
    bool cursorAuto_ = true;
    bool learningMsg_ = true;
    bool pcode_ = false;
    bool fullCode_ = false;
    bool advancedControls_ = false;
    bool serialMenuShown_ = false;
    IrOutputs irOutputs_{true, true, true, true};
    QString hRangeText_;
    QString wRangeText_;
    QString learningTimeText_;
    bool learnLit_ = false;
    bool learnCaptionOn_ = false;
    int progress_ = 0;
    bool progressVisible_ = false;
    int cursorRow_ = 1;
    int cursorColumn_ = kColCarry;
    std::array<QString, kStatusPanels> statusTexts_;
    QString hostText_;
    QString commandLineText_;
    bool linkUp_ = false;

    // Link state last reported by a signal.
    LinkState shown_;
    SVCNF shownNet_;
    QMetaObject::Connection blockWatch_;
    QMetaObject::Connection awakeWatch_;
};

} // namespace zovax
