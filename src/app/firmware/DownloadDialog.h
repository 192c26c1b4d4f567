#pragma once
// frmDownload "Firmware Download": replaces the board's firmware from an Intel
// HEX file. A top panel (start button, file path with the progress bar laid
// over it, file button, preparing message), the download log with its tool
// row, and a status bar (connection, current address, file and result). The
// log is out of sight until the status bar is double-clicked.
//
// The window shows and reports; the update itself is FirmwareUpdate, wired
// up by FirmwareBinding. Its controls are its own: the binding hears the
// buttons by signals and sets the file path by setHexPath; tests find a
// control by its design name.
#include "core/firmware/FirmwareUpdate.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QFileDialog;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zovax {

class PanelStatusBar;

class DownloadDialog : public QDialog, public DownloadView {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 480;
    static constexpr int kTopHeight = 60;       // top panel
    static constexpr int kSendHeight = 30;      // log tool row
    static constexpr int kLogShownHeight = 400; // client height with the log shown
    static constexpr int kEdgeGap = 4;          // btnFile and btnClear from the right edge
    // The file dialog's filter: pairs of description and pattern, "|"-separated.
    static const QString kFileFilter;

    explicit DownloadDialog(QWidget* parent = nullptr);
    ~DownloadDialog() override;

    // Qt name filters from a "description|pattern|..." filter.
    static QStringList nameFilters(const QString& filter);

    // Chooses the firmware file; `start` is a folder or the current file.
    // Returns the chosen path, empty when cancelled. Tests replace it.
    std::function<QString(const QString& start)> chooseFile;

    // Status-bar double-click: shows or hides the log.
    void sBarDblClick();
    bool logShown() const { return logShown_; }
    int clientHeightLogHidden() const;
    // The firmware file's path, shown in native form.
    void setHexPath(const QString& path);

    // DownloadView
    void appendLog(const QString& line) override;
    void clearLog() override;
    void showStatus(int panel, const QString& text) override;
    bool downloadButtonDown() const override;
    void setDownloadButtonDown(bool down) override;
    void setFileButtonEnabled(bool enabled) override;
    void showPreparing(bool shown) override;
    void showProgress(int maximum) override;
    void setProgress(int position) override;
    void hideProgress() override;
    bool logRowShown() const override { return logShown_; }
    void closeWindow() override;
    void showFileCheck(const QString& text, bool ok) override;

signals:
    void shown();  // every showing, after the controls are reset
    void hidden(); // the window was closed
    // btnDownload clicked (its pressed state already toggled by the click).
    void downloadClicked();
    void fileClicked(); // btnFile clicked

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void FormShow();
    void setLogShown(bool shown);
    void layoutControls();
    QString openFileDialog(const QString& start);

    // --- controls, named as in the window's design ---
    QFrame* pnlTop;
    QPushButton* btnDownload;
    QPushButton* btnFile;
    QLabel* pnlHex;
    QLabel* lblMsg;
    QLabel* lblCheck; // outcome of the chosen file's check, where lblMsg shows while preparing
    QProgressBar* prgBar;
    QPlainTextEdit* memoRecv;
    QFrame* pnlSend;
    QPushButton* btnClear;
    PanelStatusBar* sBar;
    QFileDialog* dlgOpen = nullptr; // created on first use

    bool logShown_ = false;
};

} // namespace zovax
