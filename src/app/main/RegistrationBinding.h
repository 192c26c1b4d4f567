#pragma once
// Binds registration and read-back to the main window: btnTableWrite opens the
// registration dialog frmTws, whose execute button runs the write loop;
// btnTableLoad requests the board's table, with the progress window
// frmReadBack whose stop button (or the read button pressed again) ends it.
#include "core/table/Registration.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <vector>

class QTableView;

namespace zovax {

class MemoReceiveLog;

class MainWindow;
struct MainControls;
class Session;
class ReadBackDialog;
class TwsDialog;

// Holds back the repainting of some widgets while a bulk exchange runs and
// redraws them every kRefreshMs instead: a row takes a fraction of a
// millisecond on the link, a redraw of the grid several. The change notices of
// the grid's table model, and on request its cursor moves, are held back too.
class RefreshThrottle : public QObject {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 100;
    explicit RefreshThrottle(QObject* parent = nullptr);
    // Widgets are redrawn every kRefreshMs only; the receive log (may be null)
    // collects its lines and shows them at the same pace. With Cursors::Hold,
    // a grid among the widgets also takes its cursor moves at that pace.
    // The change notices of `grid`'s table model (the grid being one of the
    // widgets or inside one) are held back until each redraw as well.
    enum class Cursors { Follow, Hold };
    void start(const std::vector<QWidget*>& widgets, MemoReceiveLog* log = nullptr, QTableView* grid = nullptr,
               Cursors cursors = Cursors::Follow);
    void stop();
    bool active() const { return timer_.isActive(); }

private:
    void refresh();

    QTimer timer_;
    std::vector<QPointer<QWidget>> windows_;
    QPointer<QTableView> grid_;
    MemoReceiveLog* log_ = nullptr;
};

class RegistrationBinding : public QObject, public RegistrationView {
    Q_OBJECT
public:
    // The session and the windows must outlive the binding.
    RegistrationBinding(Session& session, MainWindow& main, const MainControls& ui, TwsDialog& dialog);
    ~RegistrationBinding() override;

    Registration& registration();
    ReadBackDialog& readBackDialog() { return *readBackDialog_; }

    // Handlers.
    void btnTableWriteClick();
    void btnTableLoadClick();

    // RegistrationView
    void selectCell(int column, int row) override;
    void showStoreCommand(const QString& text) override;
    bool cancelRequested() const override;
    void storingRows(bool on) override;

    // The read-back's progress display.
    void readBackStarted();
    void readBackProgress(int entry, int unanswered);
    void readBackEnded();

private:
    Session& session_;
    MainWindow& main_;
    const MainControls& ui_;
    TwsDialog& dialog_;
    ReadBackDialog* readBackDialog_;
    RefreshThrottle* throttle_;
};

} // namespace zovax
