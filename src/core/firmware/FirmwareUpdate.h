#pragma once
// The firmware update: replaces the board's firmware with an Intel HEX file
// over the TCP link.
//
// Course of an update: "Ver" asks what the board runs. A board left in its
// loader by an update that did not finish answers with a line containing
// "Loader", and the course goes on from the loader's step below. Otherwise
// "EtherDownload:<host>/<port>" announces the update; the
// firmware answers "IP Config Saved" and is sent "Reset"; its "Reset" line
// makes the tool drop the link; every lost link or failed dial arms a
// reconnect one second later while the board restarts into its loader; on
// the new link "Ver" brings the loader's banner ("Loader"), answered with
// "<n>:Last Sector to Erase"; the erase report of that sector is answered
// with "Download Ready ?"; "Please send [.hex] file" starts the transfer one
// second later. The file goes out line by line, without waiting between
// lines; a board line containing "error" or a cancel click stops it. Every
// outcome ends with "Reset" and the link closed.
//
// The file is checked whole (checkHexImage) before anything is sent; a file
// that fails is refused with its line and reason.
//
// Every step that waits for the board has a limit (StepLimits); when it runs
// out the update stops with a message naming the step, sends nothing more and
// leaves the window ready for another start.
#include "core/firmware/DownloadReceiver.h"
#include "core/firmware/HexCheck.h"
#include "core/firmware/HexScan.h"
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace zovax {

class DeviceLink;
class Prompts;
class Sounds;
class TcpConnection;

// Where an update stands: nothing announced yet, the update requested (the
// request sent or the board found in its loader), the file going out, a cancel
// asked for while it goes out. A new link announces the update only when it is
// Idle.
enum class DownloadStage { Idle, Requested, Transferring, Cancelling };

// What the update's one-second timer does when it fires: dial the board again
// while it restarts, or start sending the file.
enum class AutoStart { None, Reconnect, Transfer };

// The update window as the update sees it.
class DownloadView {
public:
    virtual ~DownloadView() = default;
    virtual void appendLog(const QString& line) = 0; // the download log
    virtual void clearLog() = 0;
    // Status panels: 0 connection, 1 current address, 2 file and result messages.
    virtual void showStatus(int panel, const QString& text) = 0;
    virtual bool downloadButtonDown() const = 0;
    virtual void setDownloadButtonDown(bool down) = 0;
    virtual void setFileButtonEnabled(bool enabled) = 0;
    // The "being prepared" message (lblMsg).
    virtual void showPreparing(bool shown) = 0;
    // Transfer progress in bytes of the file.
    virtual void showProgress(int maximum) = 0;
    virtual void setProgress(int position) = 0;
    virtual void hideProgress() = 0;
    // Whether the log row is shown (the window then stays open after an update).
    virtual bool logRowShown() const = 0;
    virtual void closeWindow() = 0;
    // Outcome of the whole-file check of the chosen file (hexCheckText).
    virtual void showFileCheck(const QString& text, bool ok) { (void)text, (void)ok; }
};

// Limits of the waits for the board during an update, in milliseconds.
struct StepLimits {
    int verMs = 5000;      // the answer to "Ver"
    int prepareMs = 15000; // "IP Config Saved" after the download request
    int restartMs = 60000; // reconnecting and the loader's answer while the board restarts
    int eraseMs = 60000;   // each sector's erase report
    int readyMs = 15000;   // "Please send [.hex] file" after "Download Ready ?"
};

class FirmwareUpdate : public QObject {
    Q_OBJECT
public:
    static constexpr int kAutoStartMs = 1000; // reconnect / transfer start delay
    static constexpr int kResetWaitMs = 100;  // least wait after the final "Reset"
    // After the last line the board may still be working through what it has
    // received: its late answers (an "error" included) are awaited until it
    // has been quiet this long, at most kSettleMaxMs.
    static constexpr int kSettleQuietMs = 500;
    static constexpr int kSettleMaxMs = 60000;

    enum class Result { Completed, Failure, Cancel };
    // The steps that wait for the board.
    enum class Step { None, Connect, VerAnswer, Prepare, Restart, Erase, Ready };
    StepLimits limits;
    static QString resultText(Result r);

    // Dials and hangs up through `connection` (dialRequested) and follows its
    // links while the window is open (onLinkUp, onLinkDown).
    FirmwareUpdate(DeviceLink& link, TcpConnection& connection, Prompts& prompts, Sounds& sounds,
                   QObject* parent = nullptr);
    // Without a connection: dialRequested goes wherever it is connected.
    FirmwareUpdate(DeviceLink& link, Prompts& prompts, Sounds& sounds, QObject* parent = nullptr);
    ~FirmwareUpdate() override;

    // The window that shows the update; null: none (nothing shown, the start
    // button counts as released).
    void setView(DownloadView* view) { view_ = view; }

    DownloadStage downloadStage() const { return stage_; }
    AutoStart autoStartStep() const { return autoStep_; }
    bool autoStartPending() const;
    int lastSector() const { return lastSector_; }
    QString expectedEraseLine() const { return expectedErase_; }
    bool errorMark() const { return errorMark_; }
    Step waitingFor() const { return step_; }
    // The board line that set the error mark, and the record it refers to.
    QString errorLine() const { return errorLine_; }

    // The window was shown / closed: the link is in download mode while it is open.
    void windowShown();
    void windowClosed();
    // In download mode: a link came up (dialled to `host`) / went down
    // (`dropped`: while still marked connected).
    void onLinkUp(const QString& host);
    void onLinkDown(bool dropped);

    // Stores `path` as the firmware file and computes its last sector.
    void setHexFile(const QString& path);
    // Last sector of the stored firmware file (0 when unreadable); its text
    // goes to status panel 2.
    int computeLastSector();

    // btnDownload clicked (its pressed state already toggled by the click).
    void btnDownloadClick();
    // Starts the course on a link that is up: "Ver", then the download
    // request, or the loader's step when the board answers from its loader.
    void beginCourse();
    // The download announcement.
    void SendDownloadRequest();
    // Chime, then after kAutoStartMs dials again or starts the transfer.
    void ArmAutoStart(AutoStart step);
    // A block of bytes received on the link while the window is visible.
    void HandleDownloadData(const QByteArray& bytes);
    // Sends the file (auto-start step 2) and ends the update.
    void runTransfer();

signals:
    void finished(zovax::FirmwareUpdate::Result result);
    // Dial (true) or hang up (false) the board.
    void dialRequested(bool on);

private:
    void handleLine(const QString& line);
    void onAutoStart();
    void stopAutoStart();
    Result transfer();
    void settle();
    void awaitResetAnswer();
    // Processes events until `done` (given the milliseconds waited) holds.
    void waitWhileAnswering(const std::function<bool(qint64 elapsedMs)>& done);
    void finish(Result r);
    void startStep(Step step);
    void stopStep();
    void onStepTimeout();
    QString stepName() const;
    void refuse(const QString& message);

    DeviceLink& link_;
    Prompts& prompts_;
    Sounds& sounds_;
    DownloadView* view_ = nullptr;
    QTimer* tmAutoStart_;
    QTimer* tmStep_;
    Step step_ = Step::None;
    bool probing_ = false; // "Ver" sent, its answer not yet in
    HexCheck check_;       // of the stored file, as last read
    QString errorLine_;    // the board line that set the error mark
    int errorRecord_ = 0;  // the record it refers to (1-based)
    int recordsSent_ = 0;  // records of the running transfer sent so far
    DownloadReceiver receiver_;
    DownloadStage stage_ = DownloadStage::Idle;
    AutoStart autoStep_ = AutoStart::None;
    int lastSector_ = 0;
    QString lastScanMessage_; // status text of the last file scan
    QString expectedErase_;
    bool errorMark_ = false;
    bool transferRunning_ = false;
    bool finishing_ = false;
    bool resetAnswered_ = false; // the board answered the final "Reset"
    QElapsedTimer lastData_;     // time since the board last sent something
};

} // namespace zovax
