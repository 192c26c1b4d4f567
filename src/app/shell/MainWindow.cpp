#include "app/shell/MainWindow.h"

#include "app/firmware/DownloadDialog.h"
#include "app/learning/WaveView.h"
#include "app/link/TcpDialog.h"
#include "app/shell/Panels.h"
#include "app/shell/QtPorts.h"
#include "app/table/InterchangeDialog.h"
#include "app/table/TableController.h"
#include "core/learning/LearnLines.h"
#include "core/link/DeviceLink.h"
#include "core/link/NetAddress.h"
#include "core/shell/DataLocations.h"
#include "core/table/CodeTable.h"
#include "core/table/TableHost.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
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

QToolButton* flatButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QLabel* unitLabel(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    return l;
}

void setTextColour(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::ButtonText, c.isValid() ? c : QPalette().color(QPalette::ButtonText));
    p.setColor(QPalette::WindowText, c.isValid() ? c : QPalette().color(QPalette::WindowText));
    w->setPalette(p);
}

// What the code-table commands need from this window.
class MainTableHost : public TableHost {
public:
    explicit MainTableHost(MainWindow& w) : w_(w) {}
    int currentRow() const override { return TableController::cursorRow(w_.sGrid); }
    void selectCell(int column, int row) override { TableController::moveCursor(w_.sGrid, column, row); }
    void clearWaveArea() override { w_.imgWave->ClearWaveArea(MainWindow::kWaveChannels); }
    void resetLearnState() override
    {
        if (w_.resetLearnState)
            w_.resetLearnState();
    }
    void setStatusPanel(int panel, const QString& text) override { w_.setStatusText(panel, text); }
    bool traceMode() const override { return w_.traceMode; }
    bool waveDataPanelVisible() const override { return w_.pnlWaveData->isVisibleTo(&w_); }

private:
    MainWindow& w_;
};

} // namespace

MainWindow::MainWindow(const MainWindowOptions& options)
    : settingsPath_(options.settingsPath.isEmpty()
                        ? dataLocationsForExecutable(QCoreApplication::applicationFilePath()).settingsPath
                        : options.settingsPath)
{
    setObjectName(QStringLiteral("frmMain"));
    if (options.prompts) {
        prompts_ = options.prompts;
    } else {
        ownPrompts_ = std::make_unique<QtPrompts>(this);
        prompts_ = ownPrompts_.get();
    }
    if (options.sounds) {
        sounds_ = options.sounds;
    } else {
        ownSounds_ = std::make_unique<SystemSounds>();
        sounds_ = ownSounds_.get();
    }
    buildUi();
    FormCreate();
}

MainWindow::~MainWindow() = default;

ReceiveLog& MainWindow::receiveLog()
{
    return *log_;
}

void MainWindow::buildUi()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    setCentralWidget(central);

    // --- top bar ---
    pnlTop = named<BarFrame>(QStringLiteral("pnlTop"), central);
    pnlTop->setFrameShape(QFrame::StyledPanel);
    auto* topContent = new QWidget(pnlTop);
    auto* top = new QHBoxLayout(topContent);
    top->setContentsMargins(6, 4, 6, 4);
    top->setSpacing(8);
    btnTest = named<QPushButton>(QStringLiteral("btnTest"), QStringLiteral("発射テスト"), pnlTop);
    top->addWidget(btnTest);
    QCheckBox** tps[] = {&ckTp1, &ckTp2, &ckTp3, &ckTp4};
    for (int i = 0; i < 4; ++i) {
        *tps[i] = named<QCheckBox>(QStringLiteral("ckTp%1").arg(i + 1), QStringLiteral("IR%1").arg(i + 1), pnlTop);
        (*tps[i])->setChecked(true);
        top->addWidget(*tps[i]);
    }
    ckCursor = named<QCheckBox>(QStringLiteral("ckCursor"), QStringLiteral("Cursor Auto"), pnlTop);
    ckCursor->setChecked(true);
    top->addWidget(ckCursor);
    top->addSpacing(12);
    btnTableWrite = flatButton(QStringLiteral("btnTableWrite"), QStringLiteral("ZOVAX-Ether 登録"), pnlTop);
    top->addWidget(btnTableWrite);
    btnConnect = flatButton(QStringLiteral("btnConnect"), QStringLiteral("接続"), pnlTop);
    btnConnect->setMinimumWidth(64);
    top->addWidget(btnConnect);
    pnlHost = named<QLabel>(QStringLiteral("pnlHost"), QStringLiteral("192.168.000.100/60000"), pnlTop);
    pnlHost->setFrameShape(QFrame::Panel);
    pnlHost->setFrameShadow(QFrame::Sunken);
    pnlHost->setMinimumWidth(150);
    pnlHost->setAlignment(Qt::AlignCenter);
    top->addWidget(pnlHost);
    top->addStretch(1);
    btnTableLoad = flatButton(QStringLiteral("btnTableLoad"), QStringLiteral("ZOVAX-Ether 読込み"), pnlTop);
    top->addWidget(btnTableLoad);
    clipToBar(pnlTop, topContent);
    outer->addWidget(pnlTop);

    // --- code table, wave panel, splitter, receive panel ---
    splitter = named<QSplitter>(QStringLiteral("splitter"), Qt::Vertical, central);
    splitter->setChildrenCollapsible(false);
    outer->addWidget(splitter, 1);

    auto* upper = new QWidget(splitter);
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->setSpacing(0);
    sGrid = named<QTableView>(QStringLiteral("sGrid"), upper);
    upperLayout->addWidget(sGrid, 1);

    pnlWave = named<QFrame>(QStringLiteral("pnlWave"), upper);
    pnlWave->setFrameShape(QFrame::NoFrame);
    auto* waveLayout = new QVBoxLayout(pnlWave);
    waveLayout->setContentsMargins(0, 0, 0, 0);
    waveLayout->setSpacing(0);

    pnlCont = named<BarFrame>(QStringLiteral("pnlCont"), pnlWave);
    pnlCont->setFrameShape(QFrame::StyledPanel);
    auto* contContent = new QWidget(pnlCont);
    auto* cont = new QHBoxLayout(contContent);
    cont->setContentsMargins(4, 2, 4, 2);
    cont->setSpacing(8);
    pnlAnalyze = named<ClickPanel>(QStringLiteral("pnlAnalyze"), QStringLiteral("学習 On"), pnlCont);
    pnlAnalyze->setMinimumWidth(80);
    pnlAnalyze->setCursor(Qt::PointingHandCursor);
    cont->addWidget(pnlAnalyze);
    ckLearningMsg = named<QCheckBox>(QStringLiteral("ckLearningMsg"), QStringLiteral("学習確認"), pnlCont);
    cont->addWidget(ckLearningMsg);
    lblZoom = named<QLabel>(QStringLiteral("lblZoom"), QStringLiteral("Zoom"), pnlCont);
    cont->addWidget(lblZoom);
    cmbZoom = named<QComboBox>(QStringLiteral("cmbZoom"), pnlCont);
    for (const char* z : {"1/20", "1/25", "1/50", "1/100", "1/150", "1/200", "1/250", "1/300",
                          "1/350", "1/400", "1/450", "1/500", "1/600", "1/700", "1/800", "1/900",
                          "1/1000", "1/1200", "1/1500", "1/2000", "1/3000", "1/5000"})
        cmbZoom->addItem(QString::fromLatin1(z));
    cont->addWidget(cmbZoom);
    // The progress bar's place is kept while the bar is hidden.
    auto* pgHolder = new QWidget(pnlCont);
    auto* pgLayout = new QHBoxLayout(pgHolder);
    pgLayout->setContentsMargins(0, 0, 0, 0);
    pgBar = named<QProgressBar>(QStringLiteral("pgBar"), pgHolder);
    pgBar->setRange(0, 512);
    pgBar->setTextVisible(false);
    pgLayout->addWidget(pgBar);
    cont->addWidget(pgHolder, 1);
    pnlWaveData = named<QFrame>(QStringLiteral("pnlWaveData"), pnlCont);
    auto* wd = new QHBoxLayout(pnlWaveData);
    wd->setContentsMargins(0, 0, 0, 0);
    wd->setSpacing(3);
    edtLearningTime = named<QLineEdit>(QStringLiteral("edtLearningTime"), pnlWaveData);
    edtLearningTime->setFixedWidth(44);
    edtLearningTime->setAlignment(Qt::AlignRight);
    wd->addWidget(edtLearningTime);
    wd->addWidget(unitLabel(QStringLiteral("mS"), pnlWaveData));
    wd->addSpacing(6);
    wd->addWidget(unitLabel(QStringLiteral("H:"), pnlWaveData));
    edtHrange = named<QLineEdit>(QStringLiteral("edtHrange"), pnlWaveData);
    edtHrange->setFixedWidth(30);
    edtHrange->setAlignment(Qt::AlignRight);
    wd->addWidget(edtHrange);
    wd->addWidget(unitLabel(QStringLiteral("%"), pnlWaveData));
    wd->addWidget(unitLabel(QStringLiteral("W:"), pnlWaveData));
    edtWrange = named<QLineEdit>(QStringLiteral("edtWrange"), pnlWaveData);
    edtWrange->setFixedWidth(30);
    edtWrange->setAlignment(Qt::AlignRight);
    wd->addWidget(edtWrange);
    wd->addWidget(unitLabel(QStringLiteral("%"), pnlWaveData));
    wd->addSpacing(6);
    btnWaveData = named<QPushButton>(QStringLiteral("btnWaveData"), QStringLiteral("Data"), pnlWaveData);
    wd->addWidget(btnWaveData);
    cont->addWidget(pnlWaveData);
    btnWaveClear = named<QPushButton>(QStringLiteral("btnWaveClear"), QStringLiteral("Clear"), pnlCont);
    cont->addWidget(btnWaveClear);
    clipToBar(pnlCont, contContent);
    waveLayout->addWidget(pnlCont);

    waveClip = named<QWidget>(QStringLiteral("waveClip"), pnlWave);
    waveClip->setFixedHeight(WaveView::kChannels * WaveView::kBandHeight);
    imgWave = new WaveView(waveClip);
    imgWave->move(1, 0);
    waveLayout->addWidget(waveClip);
    scrBar = named<QScrollBar>(QStringLiteral("scrBar"), Qt::Horizontal, pnlWave);
    scrBar->setRange(0, 100);
    waveLayout->addWidget(scrBar);
    upperLayout->addWidget(pnlWave);

    pnlRecv = named<QFrame>(QStringLiteral("pnlRecv"), splitter);
    auto* recv = new QVBoxLayout(pnlRecv);
    recv->setContentsMargins(0, 0, 0, 0);
    recv->setSpacing(0);
    pnlSend = named<QFrame>(QStringLiteral("pnlSend"), pnlRecv);
    pnlSend->setFrameShape(QFrame::StyledPanel);
    auto* sendContent = new QWidget(pnlSend);
    auto* send = new QHBoxLayout(sendContent);
    send->setContentsMargins(4, 2, 4, 2);
    send->setSpacing(8);
    btnSend = named<QPushButton>(QStringLiteral("btnSend"), QStringLiteral("ZOVAX-Ether に送信"), pnlSend);
    send->addWidget(btnSend);
    cmbSendText = named<QComboBox>(QStringLiteral("cmbSendText"), pnlSend);
    cmbSendText->setEditable(true);
    cmbSendText->setInsertPolicy(QComboBox::NoInsert);
    send->addWidget(cmbSendText, 1);
    ckPcode = named<QCheckBox>(QStringLiteral("ckPcode"), QStringLiteral("PCode"), pnlSend);
    send->addWidget(ckPcode);
    ckFullCode = named<QCheckBox>(QStringLiteral("ckFullCode"), QStringLiteral("Full Code"), pnlSend);
    send->addWidget(ckFullCode);
    btnRecvClear = flatButton(QStringLiteral("btnRecvClear"), QStringLiteral("Clear"), pnlSend);
    send->addWidget(btnRecvClear);
    clipToBar(pnlSend, sendContent);
    recv->addWidget(pnlSend);
    memoRecv = named<QPlainTextEdit>(QStringLiteral("memoRecv"), pnlRecv);
    memoRecv->setReadOnly(true);
    memoRecv->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoRecv->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoRecv->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("IPAGothic"));
    mono.setStyleHint(QFont::Monospace);
    memoRecv->setFont(mono);
    recv->addWidget(memoRecv, 1);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);

    // --- status bar ---
    sBar = new PanelStatusBar({130, 50, 50}, this);
    sBar->setObjectName(QStringLiteral("sBar"));
    setStatusBar(sBar);

    // --- menu ---
    mmFile = menuBar()->addMenu(QStringLiteral("ファイル (&File)"));
    mmFile->setObjectName(QStringLiteral("mmFile"));
    auto action = [this](const QString& name, const QString& text) {
        QAction* a = mmFile->addAction(text);
        a->setObjectName(name);
        return a;
    };
    mmCleate = action(QStringLiteral("mmCleate"), QStringLiteral("新規作成 (&New)"));
    mmFileOpen = action(QStringLiteral("mmFileOpen"), QStringLiteral("ファイルを開く (&Open)"));
    mmFileSave = action(QStringLiteral("mmFileSave"), QStringLiteral("ファイルに保存 (&Save)"));
    mmFile->addSeparator();
    mmFileCom = action(QStringLiteral("mmFileCom"), QStringLiteral("通信設定 (&Com)"));
    mmFileTcp = action(QStringLiteral("mmFileTcp"), QStringLiteral("ネットワーク設定 (&IP Setup)"));
    mmSepUpdate = mmFile->addSeparator();
    mmSepUpdate->setVisible(false);
    mmZVAXupdate = action(QStringLiteral("mmZVAXupdate"), QStringLiteral("ファームウェアの更新(&Update)"));
    mmFile->addSeparator();
    mmFileQuit = action(QStringLiteral("mmFileQuit"), QStringLiteral("終了 (&Quit)"));

    // --- window-level handlers ---
    connect(mmFileQuit, &QAction::triggered, this, &MainWindow::mmFileQuitClick);
    connect(mmFileTcp, &QAction::triggered, this, &MainWindow::mmFileTcpClick);
    connect(mmZVAXupdate, &QAction::triggered, this, &MainWindow::mmZVAXupdateClick);
    connect(sBar, &PanelStatusBar::doubleClicked, this, &MainWindow::sBarDblClick);
    connect(pnlCont, &BarFrame::doubleClicked, this, &MainWindow::pnlContDblClick);
    connect(pnlTop, &BarFrame::doubleClicked, this, &MainWindow::pnlTopDblClick);
    connect(btnConnect, &QToolButton::clicked, this, &MainWindow::btnConnectClick);

    log_ = std::make_unique<MemoReceiveLog>(memoRecv);
    table_ = new CodeTable(this);
    link_ = new DeviceLink(settings, *log_, this);
}

void MainWindow::FormCreate()
{
    // 1. Caption.
    setWindowTitle(kTitle + QStringLiteral(" Pro Tool") + QStringLiteral("  [ ") + kVersion
                   + QStringLiteral(" ]"));
    // 3. Size: screen height − 50, width 1000.
    setMinimumSize(500, 400);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenH = screen ? screen->availableGeometry().height() : 768;
    resize(1000, std::max(400, screenH - 50));
    // 4. Settings.
    settings = LoadSettings(settingsPath_);
    link_->setSerialMode(SerialLineAssembler::modeFor(settings.rs232c.RecvDlmt));
    // 5. The serial settings item is hidden.
    mmFileCom->setVisible(false);
    // 6. Host panel shows the normalised address.
    pnlHost->setText(NormalizeIp(settings.tcpip.Host) + QLatin1Char('/')
                     + QString::number(settings.tcpip.Port));
    // 7.
    link_->state().consoleConfigMode = false;
    // 8. Learning parameters (the time is shown in ms).
    edtHrange->setText(QString::number(settings.learn.hRangePercent));
    edtWrange->setText(QString::number(settings.learn.wRangePercent));
    edtLearningTime->setText(QString::number(settings.learn.learnTimeUs / 1000));
    // 9. Advanced wave-data controls shown through the toggle.
    pnlWaveData->setVisible(true);
    ckPcode->setVisible(true);
    ckFullCode->setVisible(true);
    pnlContMarker = 0;
    pnlContDblClick();
    // 10. Receive panel height.
    splitter->setSizes({height() - 240, 240});
    // 11. The code-table grid (InitTableGrid), its pop-up menu and the File menu's table items.
    tableHost_ = std::make_unique<MainTableHost>(*this);
    tableController = new TableController(sGrid, *table_, settings, *prompts_, *log_, *tableHost_, this);
    tableController->connectFileMenu(mmCleate, mmFileOpen, mmFileSave);
    interchange = new InterchangeBinding(mmFile, tableController->ppMenu, sGrid, *table_, *prompts_, this);
    interchange->learnParams = [this] { // as typed, like a learn through the board
        LearnParams p;
        p.hRangePercent = parseIntOr(edtHrange->text(), p.hRangePercent);
        p.wRangePercent = parseIntOr(edtWrange->text(), p.wRangePercent);
        p.learnTimeUs = std::max(parseIntOr(edtLearningTime->text(), 500), 100) * 1000;
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
    table_->SetModified(false);
    // 19.
    ckLearningMsg->setChecked(true);
    // 20. Status panel 2: the table files' default folder.
    sBar->setPanelText(2, QDir::toNativeSeparators(datFolder()));
}

void MainWindow::layoutWavePanel()
{
    const int bands = WaveView::kChannels * WaveView::kBandHeight;
    pnlWave->setFixedHeight(pnlCont->minimumHeight() + bands + scrBar->sizeHint().height() + 2);
}

QString MainWindow::datFolder() const
{
    // Beside the program while its folder is writable, else in the user's folder.
    return dataLocationsForExecutable(QCoreApplication::applicationFilePath()).tableFolder
        + QLatin1Char('/');
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
    sBar->setPanelText(panel, text);
}

void MainWindow::showConnected(bool connected)
{
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
    traceMode = true;
    sBarDblClick();
    // 3.
    link_->state().tcpConnected = false;
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
    if (scrBarChange)
        scrBarChange();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == sGrid && e->type() == QEvent::Resize && tableController)
        tableController->resizeFreeColumns();
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (!closing_) {
        closing_ = true;
        FormClose();
    }
    e->accept();
}

void MainWindow::FormClose()
{
    // 1. Hang up first.
    if (link_->state().tcpConnected && ConnectTcp)
        ConnectTcp(false);
    // 2.
    showMinimized();
    // 3. Learning parameters back from the edits.
    bool ok = false;
    int v = edtHrange->text().trimmed().toInt(&ok);
    settings.learn.hRangePercent = ok ? v : 20;
    v = edtWrange->text().trimmed().toInt(&ok);
    settings.learn.wRangePercent = ok ? v : 15;
    v = edtLearningTime->text().trimmed().toInt(&ok);
    settings.learn.learnTimeUs = (ok ? v : 500) * 1000;
    // 4. Settings file (the per-user folder is created the first time).
    if (settingsPath_.startsWith(userDataFolder() + QLatin1Char('/')))
        QDir().mkpath(userDataFolder());
    if (!SaveSettings(settings, settingsPath_))
        sBar->setPanelText(0, QStringLiteral("NG ... ") + QDir::toNativeSeparators(settingsPath_));
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
    if (traceMode) {
        traceMode = false;
        sBar->setTextColour(QColor());
    } else {
        traceMode = true;
        sBar->setTextColour(kConnectedBlue);
    }
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
}

void MainWindow::pnlTopDblClick()
{
    mmFileCom->setVisible(!mmFileCom->isVisible());
}

void MainWindow::btnConnectClick()
{
    link_->state().tcpConnected = btnConnect->text() == QStringLiteral("接続");
    if (ConnectTcp)
        ConnectTcp(link_->state().tcpConnected);
}

} // namespace zovax
