#include "app/main/MainWindow.h"

#include "app/firmware/DownloadDialog.h"
#include "app/learning/WaveView.h"
#include "app/link/TcpDialog.h"
#include "app/table/InterchangeDialog.h"
#include "app/table/TableController.h"
#include "app/widgets/Panels.h"
#include "app/widgets/QtPorts.h"
#include "core/learning/LearnLines.h"
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
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTcpSocket>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovax {

namespace {

const QString kTitle = QStringLiteral("KORVEN ZOVAX-Ether");
const QString kVersion = QStringLiteral("Ver.20200608");
const QColor kConnectedBlue(0, 0, 255);

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

MainWindow::MainWindow(Session& session) : settings(session.settings()), session_(session)
{
    setObjectName(QStringLiteral("frmMain"));
    buildUi();
    connectHandlers();
    FormCreate();
}

MainWindow::~MainWindow()
{
    // The grid's controller and this window's filter go before the widgets they watch.
    sGrid->removeEventFilter(this);
    delete tableController;
    tableController = nullptr;
}

QString MainWindow::settingsPath() const
{
    return session_.settingsPath();
}

DeviceLink& MainWindow::link()
{
    return session_.link();
}

CodeTable& MainWindow::table()
{
    return session_.table();
}

ReceiveLog& MainWindow::receiveLog()
{
    return session_.log();
}

Prompts& MainWindow::prompts()
{
    return session_.prompts();
}

Sounds& MainWindow::sounds()
{
    return session_.sounds();
}

bool MainWindow::traceMode() const
{
    return session_.traceMode();
}

void MainWindow::connectHandlers()
{
    // --- window-level handlers ---
    connect(mmFileQuit, &QAction::triggered, this, &MainWindow::mmFileQuitClick);
    connect(mmFileTcp, &QAction::triggered, this, &MainWindow::mmFileTcpClick);
    connect(mmZVAXupdate, &QAction::triggered, this, &MainWindow::mmZVAXupdateClick);
    connect(sBar, &PanelStatusBar::doubleClicked, this, &MainWindow::sBarDblClick);
    connect(pnlCont, &BarFrame::doubleClicked, this, &MainWindow::pnlContDblClick);
    connect(pnlTop, &BarFrame::doubleClicked, this, &MainWindow::pnlTopDblClick);
    connect(btnConnect, &QToolButton::clicked, this, &MainWindow::btnConnectClick);

    // The receive log's widget side follows the session's log.
    log_ = std::make_unique<MemoReceiveLog>(memoRecv);
    connect(&session_.log(), &SessionLog::appended, this, [this](const QString& line) { log_->append(line); });
    connect(&session_.log(), &SessionLog::cleared, this, [this] { log_->clear(); });
    // Status panels, host panel and the trace colour follow the session.
    connect(&session_, &Session::statusTextChanged, sBar, &PanelStatusBar::setPanelText);
    connect(&session_, &Session::hostTextChanged, pnlHost, &QLabel::setText);
    connect(&session_, &Session::traceModeChanged, this,
            [this](bool on) { sBar->setTextColour(on ? kConnectedBlue : QColor()); });
    connect(&session_, &Session::linkConnected, this, [this] { showConnected(true); });
    connect(&session_, &Session::linkDisconnected, this, [this] { showConnected(false); });
    connect(mmFileCom, &QAction::changed, this, [this] { session_.setSerialMenuShown(mmFileCom->isVisible()); });
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
    for (const QWidget* group : {btnTest->parentWidget(), btnTableLoad->parentWidget()})
        rowMin = std::max(rowMin, group->minimumSizeHint().width());
    const int minW = std::max(500, rowMin + 12 + 2 * pnlTop->frameWidth());
    setMinimumSize(minW, 400);
    resize(std::clamp(1000, minW, std::max(minW, avail.width())),
           std::clamp(avail.height() - 50, 400, std::max(400, avail.height())));
    move(avail.x() + std::max(0, (avail.width() - width()) / 2), avail.y());
    // 4. Settings (the session applies the serial receive mode).
    session_.loadSettings();
    // 5. The serial settings item is hidden.
    mmFileCom->setVisible(false);
    // 6. Host panel shows the normalised address.
    pnlHost->setText(session_.hostText());
    // 7.
    link().state().consoleConfigMode = false;
    // 8. Learning parameters (the time is shown in ms).
    edtHrange->setText(session_.hRangeText());
    edtWrange->setText(session_.wRangeText());
    edtLearningTime->setText(session_.learningTimeText());
    // 9. Advanced wave-data controls shown through the toggle.
    pnlWaveData->setVisible(true);
    ckPcode->setVisible(true);
    ckFullCode->setVisible(true);
    pnlContMarker = 0;
    pnlContDblClick();
    // 10. Receive panel height.
    splitter->setSizes({height() - 240, 240});
    // 11. The code-table grid (InitTableGrid), its pop-up menu and the File menu's table items.
    tableController = new TableController(sGrid, session_.tableCommands(), table(), settings, prompts(),
                                          session_.tableHost(), this);
    tableController->connectFileMenu(mmCleate, mmFileOpen, mmFileSave);
    interchange = new InterchangeBinding(mmFile, tableController->ppMenu, sGrid, table(), prompts(), this);
    interchange->learnParams = [this] { // as typed, like a learn through the board
        LearnParams p;
        p.hRangePercent = parseIntOr(session_.hRangeText(), p.hRangePercent);
        p.wRangePercent = parseIntOr(session_.wRangeText(), p.wRangePercent);
        p.learnTimeUs = std::max(parseIntOr(session_.learningTimeText(), kDefaultLearningTimeMs), 100) * 1000;
        return p;
    };
    tableController->setDataFolder(datFolder());
    reopenLastTable = [this](const QString&) { return tableController->reopenLastTable(); };
    sGrid->installEventFilter(this);
    // 12. Zoom 1/200.
    {
        const QSignalBlocker block(cmbZoom);
        cmbZoom->setCurrentIndex(5);
    }
    // 13.
    pnlWave->setVisible(true);
    pgBar->setVisible(false);
    // 14. Wave panel height: bar + four bands + scroll bar + 2.
    layoutWavePanel();
    // 16.
    cmbSendText->setCurrentText(QString());
    log_->clear();
    // 18. Learning indicator off, modified marker off.
    pnlAnalyze->setText(QStringLiteral("学習 Off"));
    pnlAnalyze->setFillColour(QColor());
    table().SetModified(false);
    // 19.
    ckLearningMsg->setChecked(true);
    // 20. Status panel 2: the table files' default folder.
    setStatusText(2, QDir::toNativeSeparators(datFolder()));
    // The grid cursor is session state: both follow each other.
    connect(sGrid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!cursorEcho_)
            session_.setCursor(TableController::cursorColumn(sGrid), TableController::cursorRow(sGrid));
    });
    connect(&session_, &Session::cursorMoved, this, [this](int column, int row) {
        cursorEcho_ = true;
        TableController::moveCursor(sGrid, column, row);
        cursorEcho_ = false;
    });
    connect(&session_, &Session::gridFocusRequested, this, [this] { sGrid->setFocus(); });
    session_.setCursor(TableController::cursorColumn(sGrid), TableController::cursorRow(sGrid));
}

void MainWindow::layoutWavePanel()
{
    const int bands = WaveView::kChannels * WaveView::kBandHeight;
    pnlWave->setFixedHeight(pnlCont->minimumHeight() + bands + scrBar->sizeHint().height() + 2);
}

QString MainWindow::datFolder() const
{
    // Beside the program while its folder is writable, else in the user's folder.
    return dataLocationsForExecutable(QCoreApplication::applicationFilePath()).tableFolder + QLatin1Char('/');
}

void MainWindow::attachWindows(const AppWindows& w)
{
    windows_ = w;
}

QString MainWindow::statusText(int panel) const
{
    return sBar->panelText(panel);
}

void MainWindow::setStatusText(int panel, const QString& text)
{
    session_.setStatusText(panel, text);
}

void MainWindow::showConnected(bool connected)
{
    connectedShown_ = connected;
    btnConnect->setText(connected ? QStringLiteral("接続中") : QStringLiteral("接続"));
    setTextColour(btnConnect, connected ? kConnectedBlue : QColor());
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
    // 1. Reopen the last table file.
    if (!settings.tableFileName.isEmpty()) {
        const bool ok = reopenLastTable && reopenLastTable(settings.tableFileName);
        if (!ok)
            settings.tableFileName.clear();
    }
    // 2. traceMode ends at 0 with the normal colour.
    session_.setTraceMode(true);
    sBarDblClick();
    // 3.
    link().state().tcpConnected = false;
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
    if (tableController)
        tableController->resizeFreeColumns();
    scrollExtent_ = scrBar->width() - imgWave->width() - 20;
    emit resized();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == sGrid && e->type() == QEvent::Resize && tableController)
        tableController->resizeFreeColumns();
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
    if (!table().modified())
        return true;
    const MsgAnswer a
        = prompts().ask(QStringLiteral("警告"), QStringLiteral("現在の学習情報を保存していません\n保存しますか？"),
                        MsgIcon::Question, MsgButtons::YesNoCancel);
    if (a == MsgAnswer::Cancel)
        return false;
    if (a == MsgAnswer::Yes && tableController)
        return tableController->saveWithDialog();
    return true;
}

void MainWindow::FormClose()
{
    // 1. Hang up first.
    if (link().state().tcpConnected && ConnectTcp)
        ConnectTcp(false);
    // 2.
    showMinimized();
    // 3. and 4. Learning parameters back from the edits, settings file.
    session_.setHRangeText(edtHrange->text());
    session_.setWRangeText(edtWrange->text());
    session_.setLearningTimeText(edtLearningTime->text());
    if (session_.saveSettings()) {
        // Paths the settings file's code page cannot hold are named once.
        if (const QString text = unstorablePathsText(settings); !text.isEmpty())
            prompts().inform(QStringLiteral("確認"), text.trimmed(), MsgIcon::Exclamation);
    }
    // 5. Serial port.
    if (ClosePort)
        ClosePort();
}

void MainWindow::mmFileQuitClick()
{
    close();
}

void MainWindow::mmFileTcpClick()
{
    if (windows_.frmTcp)
        windows_.frmTcp->exec();
}

void MainWindow::mmZVAXupdateClick()
{
    if (windows_.frmDownload)
        windows_.frmDownload->exec();
}

void MainWindow::sBarDblClick()
{
    session_.setTraceMode(!session_.traceMode()); // the colour follows
}

void MainWindow::pnlContDblClick()
{
    // The layout gives the progress bar and the command line the room the
    // advanced controls leave (their right edge 8 and 16 px before the next control).
    pnlContMarker = pnlContMarker ? 0 : 1;
    const bool show = pnlContMarker == 1;
    pnlWaveData->setVisible(show);
    ckPcode->setVisible(show);
    ckFullCode->setVisible(show);
    session_.setAdvancedControls(show);
}

void MainWindow::pnlTopDblClick()
{
    mmFileCom->setVisible(!mmFileCom->isVisible());
}

void MainWindow::btnConnectClick()
{
    // The button dials while it shows "接続" and hangs up while it shows "接続中".
    link().state().tcpConnected = !connectedShown_;
    if (ConnectTcp)
        ConnectTcp(link().state().tcpConnected);
}

} // namespace zovax
