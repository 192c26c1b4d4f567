#pragma once
// frmReadBack: the progress of a table read-back, with a stop button. Shown
// window-modal over the main window while the entries are requested, so that
// a board that stops answering can be left without waiting for every entry.
#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zovax {

class ReadBackDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReadBackDialog(int entries, QWidget* parent = nullptr);

    // Entry being requested (1..entries) and the requests left unanswered so
    // far. Redrawn at most every kRefreshMs unless the unanswered count changed.
    void showProgress(int entry, int unanswered);
    static constexpr int kRefreshMs = 50;

signals:
    // The stop button, Esc or the close button.
    void stopRequested();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void draw(int entry, int unanswered);

    int entries_;
    int shownUnanswered_ = -1;
    QElapsedTimer lastDraw_;

    // Controls, named as in the dialog's design (tests find them by these object names).
    QLabel* lblReadBack;
    QProgressBar* pgReadBack;
    QPushButton* btnReadStop;
};

} // namespace zovax
