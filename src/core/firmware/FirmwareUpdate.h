#pragma once
// The firmware update: replaces the board's firmware with an Intel HEX file
// over the TCP link.
//
// Course of an update: "EtherDownload:<host>/<port>" announces it; the
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
// downloadStage: 0 idle, 1 update requested (request sent or loader found),
// 2 transfer running, 3 cancel requested.
#include "core/firmware/DownloadReceiver.h"
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
    static QString resultText(Result r);

    FirmwareUpdate(DeviceLink& link, Prompts& prompts, Sounds& sounds, QObject* parent = nullptr);
    ~FirmwareUpdate() override;

    void setView(DownloadView* view) { view_ = view; }
    // Dials (true) or hangs up (false) the board.
    std::function<void(bool)> ConnectTcp;

    int downloadStage() const { return stage_; }
    int autoStartStep() const { return autoStep_; }
    bool autoStartPending() const;
    int lastSector() const { return lastSector_; }
    QString expectedEraseLine() const { return expectedErase_; }
    bool errorMark() const { return errorMark_; }
    bool transferRunning() const { return transferRunning_; }
    QTimer* autoStartTimer() const { return tmAutoStart_; }

    // The window was shown / closed.
    void windowShown();
    void windowClosed();

    // Stores `path` as the firmware file and computes its last sector.
    void setHexFile(const QString& path);
    // Last sector of the stored firmware file (0 when unreadable); its text
    // goes to status panel 2.
    int computeLastSector();

    // btnDownload clicked (its pressed state already toggled by the click).
    void btnDownloadClick();
    // The download announcement.
    void SendDownloadRequest();
    // Chime, then after kAutoStartMs: step 1 dials again, step 2 starts the transfer.
    void ArmAutoStart(int step);
    // A block of bytes received on the link while the window is visible.
    void HandleDownloadData(const QByteArray& bytes);
    // Sends the file (auto-start step 2) and ends the update.
    void runTransfer();

signals:
    void finished(zovax::FirmwareUpdate::Result result);

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

    DeviceLink& link_;
    Prompts& prompts_;
    Sounds& sounds_;
    DownloadView* view_ = nullptr;
    QTimer* tmAutoStart_;
    DownloadReceiver receiver_;
    int stage_ = 0;
    int autoStep_ = 0;
    int lastSector_ = 0;
    QString lastScanMessage_; // status text of the last file scan
    QString expectedErase_;
    bool errorMark_ = false;
    bool transferRunning_ = false;
    bool finishing_ = false;
    bool resetAnswered_ = false; // the board answered the final "Reset"
    QElapsedTimer lastData_; // time since the board last sent something
};

} // namespace zovax
