#include "app/main/MainWindow.h"

#include "app/learning/WaveView.h"
#include "app/table/InterchangeDialog.h"
#include "app/table/TableController.h"
#include "app/widgets/Panels.h"
#include "app/widgets/QtPorts.h"
#include "core/link/DeviceLink.h"
#include "core/link/NetAddress.h"
#include "core/session/Session.h"
#include "core/shell/DataLocations.h"
#include "core/table/CodeTable.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>

namespace zovax {

namespace {

const QString kTitle = QStringLiteral("KORVEN ZOVAX-Ether");
const QString kVersion = QStringLiteral("Ver.20200608");

void setTextColour(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::ButtonText, c.isValid() ? c : QPalette().color(QPalette::ButtonText));
    p.setColor(QPalette::WindowText, c.isValid() ? c : QPalette().color(QPalette::WindowText));
    w->setPalette(p);
}

} // namespace

QString settingsPathOf(const MainWindowOptions& options)
{
    return options.settingsPath.isEmpty()
        ? dataLocationsForExecutable(QCoreApplication::applicationFilePath()).settingsPath
        : options.settingsPath;
}

MainWindow::MainWindow(Session& session) : session_(session)
{
    setObjectName(QStringLiteral("frmMain"));
    buildUi();
    connectHandlers();
    FormCreate();
}

MainWindow::~MainWindow()
{
    // The grid's controller and this window's filter go before the widgets they watch.
    ui_.sGrid->removeEventFilter(this);
    delete tableController_;
    tableController_ = nullptr;
}

void MainWindow::connectHandlers()
{
    // --- window-level handlers ---
    connect(ui_.mmFileQuit, &QAction::triggered, this, &QWidget::close);
    connect(ui_.sBar, &PanelStatusBar::doubleClicked, this, &MainWindow::sBarDblClick);
    connect(ui_.pnlCont, &BarFrame::doubleClicked, this, &MainWindow::pnlContDblClick);
    connect(ui_.pnlTop, &BarFrame::doubleClicked, this, &MainWindow::pnlTopDblClick);
    connect(ui_.btnConnect, &QToolButton::clicked, this, &MainWindow::btnConnectClick);

    // The receive log's widget side follows the session's log.
    log_ = std::make_unique<MemoReceiveLog>(ui_.memoRecv);
    connect(&session_.log(), &SessionLog::appended, this, [this](const QString& line) { log_->append(line); });
    connect(&session_.log(), &SessionLog::cleared, this, [this] { log_->clear(); });
    // Status panels, host panel and the trace colour follow the session.
    connect(&session_, &Session::statusTextChanged, ui_.sBar, &PanelStatusBar::setPanelText);
    connect(&session_, &Session::hostTextChanged, ui_.pnlHost, &QLabel::setText);
    connect(&session_, &Session::traceModeChanged, this,
            [this](bool on) { ui_.sBar->setTextColour(on ? connectedBlue() : QColor()); });
    connect(&session_, &Session::linkConnected, this, [this] { showConnected(true); });
    connect(&session_, &Session::linkDisconnected, this, [this] { showConnected(false); });
    connect(ui_.mmFileCom, &QAction::changed, this,
            [this] { session_.setSerialMenuShown(ui_.mmFileCom->isVisible()); });
}

void MainWindow::FormCreate()
{
    // 1. Caption.
    setWindowTitle(kTitle + QStringLiteral(" Pro Tool") + QStringLiteral("  [ ") + kVersion + QStringLiteral(" ]"));
    // 3. Size: screen height − 50, width 1000, within the screen's available area.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
    // Never narrower than the wider of the top bar's two rows (and its margins).
    int rowMin = 0;
    for (const QWidget* group : {ui_.btnTest->parentWidget(), ui_.btnTableLoad->parentWidget()})
        rowMin = std::max(rowMin, group->minimumSizeHint().width());
    const int minW = std::max(500, rowMin + 12 + 2 * ui_.pnlTop->frameWidth());
    setMinimumSize(minW, 400);
    resize(std::clamp(1000, minW, std::max(minW, avail.width())),
           std::clamp(avail.height() - 50, 400, std::max(400, avail.height())));
    move(avail.x() + std::max(0, (avail.width() - width()) / 2), avail.y());
    // 4. Settings (the session applies the serial receive mode).
    session_.loadSettings();
    // 5. The serial settings item is hidden.
    ui_.mmFileCom->setVisible(false);
    // 6. Host panel shows the normalised address.
    ui_.pnlHost->setText(session_.hostText());
    // 7.
    session_.link().state().consoleConfigMode = false;
    // 8. Learning parameters (the time is shown in ms).
    ui_.edtHrange->setText(session_.hRangeText());
    ui_.edtWrange->setText(session_.wRangeText());
    ui_.edtLearningTime->setText(session_.learningTimeText());
    // 9. Advanced wave-data controls shown through the toggle.
    ui_.pnlWaveData->setVisible(true);
    ui_.ckPcode->setVisible(true);
    ui_.ckFullCode->setVisible(true);
    pnlContMarker_ = 0;
    pnlContDblClick();
    // 10. Receive panel height.
    ui_.splitter->setSizes({height() - 240, 240});
    // 11. The code-table grid (InitTableGrid), its pop-up menu and the File menu's table items.
    tableController_ = new TableController(ui_.sGrid, session_.tableCommands(), session_.table(), session_.settings(),
                                           session_.prompts(), session_.tableHost(), this);
    tableController_->connectFileMenu(ui_.mmCleate, ui_.mmFileOpen, ui_.mmFileSave);
    interchange_ = new InterchangeBinding(
        ui_.mmFile, tableController_->ppMenu, ui_.sGrid, session_.table(), session_.prompts(),
        [this] { return session_.learnParamsForLearning(); }, this);
    tableController_->setDataFolder(datFolder());
    ui_.sGrid->installEventFilter(this);
    // 12. Zoom 1/200.
    {
        const QSignalBlocker block(ui_.cmbZoom);
        ui_.cmbZoom->setCurrentIndex(5);
    }
    // 13.
    ui_.pnlWave->setVisible(true);
    ui_.pgBar->setVisible(false);
    // 14. Wave panel height: bar + four bands + scroll bar + 2.
    layoutWavePanel();
    // 16.
    ui_.cmbSendText->setCurrentText(QString());
    log_->clear();
    // 18. Learning indicator off, modified marker off.
    ui_.pnlAnalyze->setText(QStringLiteral("学習 Off"));
    ui_.pnlAnalyze->setFillColour(QColor());
    session_.table().SetModified(false);
    // 19.
    ui_.ckLearningMsg->setChecked(true);
    // 20. Status panel 2: the table files' default folder.
    session_.setStatusText(2, QDir::toNativeSeparators(datFolder()));
    // The grid cursor is session state: both follow each other.
    connect(ui_.sGrid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!cursorEcho_)
            session_.setCursor(TableController::cursorColumn(ui_.sGrid), TableController::cursorRow(ui_.sGrid));
    });
    connect(&session_, &Session::cursorMoved, this, [this](int column, int row) {
        cursorEcho_ = true;
        TableController::moveCursor(ui_.sGrid, column, row);
        cursorEcho_ = false;
    });
    connect(&session_, &Session::gridFocusRequested, this, [this] { ui_.sGrid->setFocus(); });
    session_.setCursor(TableController::cursorColumn(ui_.sGrid), TableController::cursorRow(ui_.sGrid));
}

void MainWindow::layoutWavePanel()
{
    const int bands = WaveView::kChannels * WaveView::kBandHeight;
    ui_.pnlWave->setFixedHeight(ui_.pnlCont->minimumHeight() + bands + ui_.scrBar->sizeHint().height() + 2);
}

QString MainWindow::datFolder() const
{
    // Beside the program while its folder is writable, else in the user's folder.
    return dataLocationsForExecutable(QCoreApplication::applicationFilePath()).tableFolder + QLatin1Char('/');
}

QString MainWindow::statusText(int panel) const
{
    return ui_.sBar->panelText(panel);
}

void MainWindow::showConnected(bool connected)
{
    connectedShown_ = connected;
    ui_.btnConnect->setText(connected ? QStringLiteral("接続中") : QStringLiteral("接続"));
    setTextColour(ui_.btnConnect, connected ? connectedBlue() : QColor());
}

void MainWindow::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!firstShowDone_) {
        firstShowDone_ = true;
        FormShow();
    }
}

void MainWindow::FormShow()
{
    // 1. Reopen the last table file (a file that cannot be read is forgotten).
    tableController_->reopenLastTable();
    // 2. traceMode ends at 0 with the normal colour.
    session_.setTraceMode(true);
    sBarDblClick();
    // 3.
    session_.link().state().tcpConnected = false;
}

void MainWindow::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    FormResize();
}

void MainWindow::FormResize()
{
    // The minimum window size (500 × 400) is enforced by setMinimumSize. The
    // grid's free columns follow the grid's own size (see eventFilter): the
    // grid is resized by the layout after this window's resize event.
    if (tableController_)
        tableController_->resizeFreeColumns();
    scrollExtent_ = ui_.scrBar->width() - ui_.imgWave->width() - 20;
    emit resized();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui_.sGrid && e->type() == QEvent::Resize && tableController_)
        tableController_->resizeFreeColumns();
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (!closing_ && !confirmCloseWithModifiedTable()) {
        e->ignore();
        return;
    }
    if (!closing_) {
        closing_ = true;
        FormClose();
    }
    e->accept();
}

bool MainWindow::confirmCloseWithModifiedTable()
{
    // A table marked "変更" is not dropped silently: Yes saves it (the window
    // stays open when the save is cancelled or fails), No discards it, Cancel
    // keeps the window.
    if (!session_.table().modified())
        return true;
    const MsgAnswer a = session_.prompts().ask(QStringLiteral("警告"),
                                               QStringLiteral("現在の学習情報を保存していません\n保存しますか？"),
                                               MsgIcon::Question, MsgButtons::YesNoCancel);
    if (a == MsgAnswer::Cancel)
        return false;
    if (a == MsgAnswer::Yes && tableController_)
        return tableController_->saveWithDialog();
    return true;
}

void MainWindow::FormClose()
{
    // 1. Hang up first.
    if (session_.link().state().tcpConnected)
        emit connectRequested(false);
    // 2.
    showMinimized();
    // 3. and 4. Learning parameters back from the edits, settings file.
    session_.setHRangeText(ui_.edtHrange->text());
    session_.setWRangeText(ui_.edtWrange->text());
    session_.setLearningTimeText(ui_.edtLearningTime->text());
    if (session_.saveSettings()) {
        // Paths the settings file's code page cannot hold are named once.
        if (const QString text = unstorablePathsText(session_.settings()); !text.isEmpty())
            session_.prompts().inform(QStringLiteral("確認"), text.trimmed(), MsgIcon::Exclamation);
    }
    // 5. Serial port.
    emit closed();
}

void MainWindow::sBarDblClick()
{
    session_.setTraceMode(!session_.traceMode()); // the colour follows
}

void MainWindow::pnlContDblClick()
{
    // The layout gives the progress bar and the command line the room the
    // advanced controls leave (their right edge 8 and 16 px before the next control).
    pnlContMarker_ = pnlContMarker_ ? 0 : 1;
    const bool show = pnlContMarker_ == 1;
    ui_.pnlWaveData->setVisible(show);
    ui_.ckPcode->setVisible(show);
    ui_.ckFullCode->setVisible(show);
    session_.setAdvancedControls(show);
}

void MainWindow::pnlTopDblClick()
{
    ui_.mmFileCom->setVisible(!ui_.mmFileCom->isVisible());
}

void MainWindow::btnConnectClick()
{
    // The button dials while it shows "接続" and hangs up while it shows "接続中".
    bool& connected = session_.link().state().tcpConnected;
    connected = !connectedShown_;
    emit connectRequested(connected);
}

} // namespace zovax
