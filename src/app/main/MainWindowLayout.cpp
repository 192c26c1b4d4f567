// The main window's controls and their layout, named as in the window's design.
#include "app/learning/WaveView.h"
#include "app/main/MainWindow.h"
#include "app/widgets/Panels.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovax {

namespace {

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

} // namespace

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
    topContent->setObjectName(QStringLiteral("pnlTopContent"));
    // Two groups: the fire-test controls and the board's buttons. Side by side
    // when the bar is wide enough, else the board's buttons wrap to a second
    // row, so every control stays reachable at any window width.
    auto* rows = new QVBoxLayout(topContent);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(4);
    auto* row1 = new QHBoxLayout;
    row1->setSpacing(8);
    rows->addLayout(row1);
    auto* row2 = new QHBoxLayout;
    row2->setSpacing(8);
    rows->addLayout(row2);
    auto* head = new QWidget(topContent);
    auto* top = new QHBoxLayout(head);
    top->setContentsMargins(0, 0, 0, 0);
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
    auto* tail = new QWidget(topContent);
    auto* board = new QHBoxLayout(tail);
    board->setContentsMargins(0, 0, 0, 0);
    board->setSpacing(8);
    btnTableWrite = flatButton(QStringLiteral("btnTableWrite"), QStringLiteral("ZOVAX-Ether 登録"), pnlTop);
    board->addWidget(btnTableWrite);
    btnConnect = flatButton(QStringLiteral("btnConnect"), QStringLiteral("接続"), pnlTop);
    btnConnect->setMinimumWidth(64);
    board->addWidget(btnConnect);
    pnlHost = named<QLabel>(QStringLiteral("pnlHost"), QStringLiteral("192.168.000.100/60000"), pnlTop);
    pnlHost->setFrameShape(QFrame::Panel);
    pnlHost->setFrameShadow(QFrame::Sunken);
    pnlHost->setMinimumWidth(150);
    pnlHost->setAlignment(Qt::AlignCenter);
    board->addWidget(pnlHost);
    board->addStretch(1);
    btnTableLoad = flatButton(QStringLiteral("btnTableLoad"), QStringLiteral("ZOVAX-Ether 読込み"), pnlTop);
    board->addWidget(btnTableLoad);
    row1->addWidget(head);
    row1->addSpacing(12);
    row1->addWidget(tail, 1);
    wrapBar(pnlTop, head, tail, row1, row2);
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
    for (const char* z :
         {"1/20",  "1/25",  "1/50",  "1/100", "1/150", "1/200",  "1/250",  "1/300",  "1/350",  "1/400",  "1/450",
          "1/500", "1/600", "1/700", "1/800", "1/900", "1/1000", "1/1200", "1/1500", "1/2000", "1/3000", "1/5000"})
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
    // Digits only, at most what the board takes; values below 100 are raised
    // when learning is switched on.
    edtLearningTime->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), edtLearningTime));
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
    cmbSendText->setCompleter(nullptr); // a command is sent exactly as typed
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
    memoRecv->setFont(textFont(true));
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
}

} // namespace zovax
