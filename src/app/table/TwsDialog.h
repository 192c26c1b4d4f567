#pragma once
// frmTws "ZOVAX Learning Table Write": registration of the code table in the
// board. A top panel with the heading, the execute and stop buttons and the
// hint, and a status bar whose panel 0 shows the last store command sent.
//
// While registration runs, btnExecute is disabled; the stop button (or closing
// the dialog) enables it again, which the running write loop takes as the
// request to stop after the row it is sending.
#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace zovax {

class PanelStatusBar;

class TwsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TwsDialog(QWidget* parent = nullptr);

    bool running() const { return running_; }
    // The user asked the running registration to stop.
    bool cancelRequested() const;
    // Status panel 0.
    void showStoreCommand(const QString& text);
    // The part that changes with every row stored (the status bar): a
    // registration holds its redraws and repaints it at its own pace.
    QWidget& storeCommandDisplay() const;

signals:
    // Execute: the registration runs in the connected slot (WriteTableToBoard),
    // while the dialog stays open; the dialog closes when the slot returns.
    void writeRequested();

public slots:
    // Esc: while registration runs it stops the run instead of closing.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // Handlers.
    void btnExecuteClick();
    void btnCancelClick();

    bool running_ = false;

    // Controls, named as in the dialog's design (tests find them by these object names).
    QFrame* pnlTop;
    QLabel* Label1;
    QPushButton* btnExecute;
    QPushButton* btnCancel;
    QLabel* Lable2;
    PanelStatusBar* sBar;
};

} // namespace zovax
