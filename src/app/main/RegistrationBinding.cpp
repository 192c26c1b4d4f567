#include "app/main/RegistrationBinding.h"

#include "app/widgets/QtPorts.h"

#include "app/main/MainWindow.h"
#include "app/table/ReadBackDialog.h"
#include "app/table/TableController.h"
#include "app/table/TableModel.h"
#include "app/table/TwsDialog.h"
#include "app/widgets/Panels.h"
#include "core/session/Session.h"
#include "core/table/TableCommands.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>

namespace zovax {

RefreshThrottle::RefreshThrottle(QObject* parent) : QObject(parent)
{
    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &RefreshThrottle::refresh);
}

void RefreshThrottle::start(const std::vector<QWidget*>& windows, MemoReceiveLog* log, QTableView* grid,
                            Cursors cursors)
{
    stop();
    log_ = log;
    if (log_)
        log_->setBuffered(true);
    for (QWidget* w : windows) {
        if (!w)
            continue;
        windows_.emplace_back(w);
        w->setUpdatesEnabled(false);
    }
    grid_ = grid;
    if (grid_) {
        if (cursors == Cursors::Hold)
            TableController::holdCursor(grid_, true);
        if (auto* model = qobject_cast<TableModel*>(grid_->model()))
            model->holdChanges(true);
    }
    timer_.start();
}

void RefreshThrottle::refresh()
{
    if (log_)
        log_->flush();
    if (grid_) {
        TableController::applyHeldCursor(grid_);
        if (auto* model = qobject_cast<TableModel*>(grid_->model())) {
            model->holdChanges(false); // the notices gathered so far go out
            model->holdChanges(true);
        }
    }
    for (const QPointer<QWidget>& w : windows_) {
        if (!w)
            continue;
        w->setUpdatesEnabled(true);
        w->repaint();
        w->setUpdatesEnabled(false);
    }
}

void RefreshThrottle::stop()
{
    timer_.stop();
    if (log_)
        log_->setBuffered(false);
    log_ = nullptr;
    if (grid_) {
        if (auto* model = qobject_cast<TableModel*>(grid_->model()))
            model->holdChanges(false);
        TableController::holdCursor(grid_, false); // the latest move is made now
        grid_ = nullptr;
    }
    for (const QPointer<QWidget>& w : windows_) {
        if (w)
            w->setUpdatesEnabled(true); // redrawn as a whole
    }
    windows_.clear();
}

RegistrationBinding::RegistrationBinding(Session& session, MainWindow& main, const MainControls& ui, TwsDialog& dialog)
    : session_(session), main_(main), ui_(ui), dialog_(dialog)
{
    readBackDialog_ = new ReadBackDialog(Registration::kReadBackEntries, &main);
    throttle_ = new RefreshThrottle(this);
    connect(&dialog_, &TwsDialog::writeRequested, this, [this] { session_.writeTable(this); });
    connect(ui.btnTableWrite, &QToolButton::clicked, this, &RegistrationBinding::btnTableWriteClick);
    connect(ui.btnTableLoad, &QToolButton::clicked, this, &RegistrationBinding::btnTableLoadClick);
    connect(readBackDialog_, &ReadBackDialog::stopRequested, &session.registration(), &Registration::stopReadBack);
    connect(&session, &Session::readBackStarted, this, &RegistrationBinding::readBackStarted);
    connect(&session, &Session::readBackProgress, this, &RegistrationBinding::readBackProgress);
    connect(&session, &Session::readBackEnded, this, &RegistrationBinding::readBackEnded);
}

RegistrationBinding::~RegistrationBinding()
{
    throttle_->stop();
}

Registration& RegistrationBinding::registration()
{
    return session_.registration();
}

void RegistrationBinding::btnTableWriteClick()
{
    Registration& r = session_.registration();
    if (!r.beginRegistration())
        return;
    dialog_.exec();
    r.endRegistration();
}

void RegistrationBinding::btnTableLoadClick()
{
    session_.readBack();
}

void RegistrationBinding::selectCell(int column, int row)
{
    session_.setCursor(column, row);
}

void RegistrationBinding::showStoreCommand(const QString& text)
{
    dialog_.showStoreCommand(text);
}

bool RegistrationBinding::cancelRequested() const
{
    return dialog_.cancelRequested();
}

void RegistrationBinding::storingRows(bool on)
{
    if (on)
        throttle_->start({ui_.sGrid, ui_.memoRecv, &dialog_.storeCommandDisplay()}, &main_.memoLog(), ui_.sGrid);
    else
        throttle_->stop();
}

void RegistrationBinding::readBackStarted()
{
    readBackDialog_->showProgress(0, 0);
    readBackDialog_->show();
    // The whole window waits behind the progress display. The decoder moves
    // the cursor to every entry it reads: the grid shows the latest at each
    // redraw.
    throttle_->start({&main_}, &main_.memoLog(), ui_.sGrid, RefreshThrottle::Cursors::Hold);
}

void RegistrationBinding::readBackProgress(int entry, int unanswered)
{
    readBackDialog_->showProgress(entry, unanswered);
}

void RegistrationBinding::readBackEnded()
{
    throttle_->stop();
    readBackDialog_->hide();
}

} // namespace zovax
