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

// A bar of one row of controls: the bar framed as a panel, the row laid out
// in a content widget of its own, which clipToBar later lays across the bar.
QHBoxLayout* controlRow(QFrame* bar)
{
    bar->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(new QWidget(bar));
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(8);
    return row;
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
    ui_.pnlTop = named<BarFrame>(QStringLiteral("pnlTop"), central);
    ui_.pnlTop->setFrameShape(QFrame::StyledPanel);
    auto* topContent = new QWidget(ui_.pnlTop);
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
    ui_.btnTest = named<QPushButton>(QStringLiteral("btnTest"), QStringLiteral("発射テスト"), ui_.pnlTop);
    top->addWidget(ui_.btnTest);
    QCheckBox** tps[] = {&ui_.ckTp1, &ui_.ckTp2, &ui_.ckTp3, &ui_.ckTp4};
    for (int i = 0; i < 4; ++i) {
        *tps[i] = named<QCheckBox>(QStringLiteral("ckTp%1").arg(i + 1), QStringLiteral("IR%1").arg(i + 1), ui_.pnlTop);
        (*tps[i])->setChecked(true);
        top->addWidget(*tps[i]);
    }
    ui_.ckCursor = named<QCheckBox>(QStringLiteral("ckCursor"), QStringLiteral("Cursor Auto"), ui_.pnlTop);
    ui_.ckCursor->setChecked(true);
    top->addWidget(ui_.ckCursor);
    auto* tail = new QWidget(topContent);
    auto* board = new QHBoxLayout(tail);
    board->setContentsMargins(0, 0, 0, 0);
    board->setSpacing(8);
    ui_.btnTableWrite = flatButton(QStringLiteral("btnTableWrite"), QStringLiteral("ZOVAX-Ether 登録"), ui_.pnlTop);
    board->addWidget(ui_.btnTableWrite);
    ui_.btnConnect = flatButton(QStringLiteral("btnConnect"), QStringLiteral("接続"), ui_.pnlTop);
    ui_.btnConnect->setMinimumWidth(64);
    board->addWidget(ui_.btnConnect);
    ui_.pnlHost = named<QLabel>(QStringLiteral("pnlHost"), QStringLiteral("192.168.000.100/60000"), ui_.pnlTop);
    ui_.pnlHost->setFrameShape(QFrame::Panel);
    ui_.pnlHost->setFrameShadow(QFrame::Sunken);
    ui_.pnlHost->setMinimumWidth(150);
    ui_.pnlHost->setAlignment(Qt::AlignCenter);
    board->addWidget(ui_.pnlHost);
    board->addStretch(1);
    ui_.btnTableLoad = flatButton(QStringLiteral("btnTableLoad"), QStringLiteral("ZOVAX-Ether 読込み"), ui_.pnlTop);
    board->addWidget(ui_.btnTableLoad);
    row1->addWidget(head);
    row1->addSpacing(12);
    row1->addWidget(tail, 1);
    wrapBar(ui_.pnlTop, head, tail, row1, row2);
    clipToBar(ui_.pnlTop, topContent);
    outer->addWidget(ui_.pnlTop);

    // --- code table, wave panel, ui_.splitter, receive panel ---
    ui_.splitter = named<QSplitter>(QStringLiteral("splitter"), Qt::Vertical, central);
    ui_.splitter->setChildrenCollapsible(false);
    outer->addWidget(ui_.splitter, 1);

    auto* upper = new QWidget(ui_.splitter);
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->setSpacing(0);
    ui_.sGrid = named<QTableView>(QStringLiteral("sGrid"), upper);
    upperLayout->addWidget(ui_.sGrid, 1);

    ui_.pnlWave = named<QFrame>(QStringLiteral("pnlWave"), upper);
    ui_.pnlWave->setFrameShape(QFrame::NoFrame);
    auto* waveLayout = new QVBoxLayout(ui_.pnlWave);
    waveLayout->setContentsMargins(0, 0, 0, 0);
    waveLayout->setSpacing(0);

    ui_.pnlCont = named<BarFrame>(QStringLiteral("pnlCont"), ui_.pnlWave);
    QHBoxLayout* cont = controlRow(ui_.pnlCont);
    ui_.pnlAnalyze = named<ClickPanel>(QStringLiteral("pnlAnalyze"), QStringLiteral("学習 On"), ui_.pnlCont);
    ui_.pnlAnalyze->setMinimumWidth(80);
    ui_.pnlAnalyze->setCursor(Qt::PointingHandCursor);
    cont->addWidget(ui_.pnlAnalyze);
    ui_.ckLearningMsg = named<QCheckBox>(QStringLiteral("ckLearningMsg"), QStringLiteral("学習確認"), ui_.pnlCont);
    cont->addWidget(ui_.ckLearningMsg);
    ui_.lblZoom = named<QLabel>(QStringLiteral("lblZoom"), QStringLiteral("Zoom"), ui_.pnlCont);
    cont->addWidget(ui_.lblZoom);
    ui_.cmbZoom = named<QComboBox>(QStringLiteral("cmbZoom"), ui_.pnlCont);
    for (const char* z :
         {"1/20",  "1/25",  "1/50",  "1/100", "1/150", "1/200",  "1/250",  "1/300",  "1/350",  "1/400",  "1/450",
          "1/500", "1/600", "1/700", "1/800", "1/900", "1/1000", "1/1200", "1/1500", "1/2000", "1/3000", "1/5000"})
        ui_.cmbZoom->addItem(QString::fromLatin1(z));
    cont->addWidget(ui_.cmbZoom);
    // The progress bar's place is kept while the bar is hidden.
    auto* pgHolder = new QWidget(ui_.pnlCont);
    auto* pgLayout = new QHBoxLayout(pgHolder);
    pgLayout->setContentsMargins(0, 0, 0, 0);
    ui_.pgBar = named<QProgressBar>(QStringLiteral("pgBar"), pgHolder);
    ui_.pgBar->setRange(0, 512);
    ui_.pgBar->setTextVisible(false);
    pgLayout->addWidget(ui_.pgBar);
    cont->addWidget(pgHolder, 1);
    ui_.pnlWaveData = named<QFrame>(QStringLiteral("pnlWaveData"), ui_.pnlCont);
    auto* wd = new QHBoxLayout(ui_.pnlWaveData);
    wd->setContentsMargins(0, 0, 0, 0);
    wd->setSpacing(3);
    ui_.edtLearningTime = named<QLineEdit>(QStringLiteral("edtLearningTime"), ui_.pnlWaveData);
    ui_.edtLearningTime->setFixedWidth(44);
    ui_.edtLearningTime->setAlignment(Qt::AlignRight);
    // Digits only, at most what the board takes; values below 100 are raised
    // when learning is switched on.
    ui_.edtLearningTime->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), ui_.edtLearningTime));
    wd->addWidget(ui_.edtLearningTime);
    wd->addWidget(unitLabel(QStringLiteral("mS"), ui_.pnlWaveData));
    wd->addSpacing(6);
    wd->addWidget(unitLabel(QStringLiteral("H:"), ui_.pnlWaveData));
    ui_.edtHrange = named<QLineEdit>(QStringLiteral("edtHrange"), ui_.pnlWaveData);
    ui_.edtHrange->setFixedWidth(30);
    ui_.edtHrange->setAlignment(Qt::AlignRight);
    wd->addWidget(ui_.edtHrange);
    wd->addWidget(unitLabel(QStringLiteral("%"), ui_.pnlWaveData));
    wd->addWidget(unitLabel(QStringLiteral("W:"), ui_.pnlWaveData));
    ui_.edtWrange = named<QLineEdit>(QStringLiteral("edtWrange"), ui_.pnlWaveData);
    ui_.edtWrange->setFixedWidth(30);
    ui_.edtWrange->setAlignment(Qt::AlignRight);
    wd->addWidget(ui_.edtWrange);
    wd->addWidget(unitLabel(QStringLiteral("%"), ui_.pnlWaveData));
    wd->addSpacing(6);
    ui_.btnWaveData = named<QPushButton>(QStringLiteral("btnWaveData"), QStringLiteral("Data"), ui_.pnlWaveData);
    wd->addWidget(ui_.btnWaveData);
    cont->addWidget(ui_.pnlWaveData);
    ui_.btnWaveClear = named<QPushButton>(QStringLiteral("btnWaveClear"), QStringLiteral("Clear"), ui_.pnlCont);
    cont->addWidget(ui_.btnWaveClear);
    clipToBar(ui_.pnlCont, cont->parentWidget());
    waveLayout->addWidget(ui_.pnlCont);

    ui_.waveClip = named<QWidget>(QStringLiteral("waveClip"), ui_.pnlWave);
    ui_.waveClip->setFixedHeight(WaveView::kChannels * WaveView::kBandHeight);
    ui_.imgWave = new WaveView(ui_.waveClip);
    ui_.imgWave->move(1, 0);
    waveLayout->addWidget(ui_.waveClip);
    ui_.scrBar = named<QScrollBar>(QStringLiteral("scrBar"), Qt::Horizontal, ui_.pnlWave);
    ui_.scrBar->setRange(0, 100);
    waveLayout->addWidget(ui_.scrBar);
    upperLayout->addWidget(ui_.pnlWave);

    ui_.pnlRecv = named<QFrame>(QStringLiteral("pnlRecv"), ui_.splitter);
    auto* recv = new QVBoxLayout(ui_.pnlRecv);
    recv->setContentsMargins(0, 0, 0, 0);
    recv->setSpacing(0);
    ui_.pnlSend = named<QFrame>(QStringLiteral("pnlSend"), ui_.pnlRecv);
    QHBoxLayout* send = controlRow(ui_.pnlSend);
    ui_.btnSend = named<QPushButton>(QStringLiteral("btnSend"), QStringLiteral("ZOVAX-Ether に送信"), ui_.pnlSend);
    send->addWidget(ui_.btnSend);
    ui_.cmbSendText = named<QComboBox>(QStringLiteral("cmbSendText"), ui_.pnlSend);
    ui_.cmbSendText->setEditable(true);
    ui_.cmbSendText->setInsertPolicy(QComboBox::NoInsert);
    ui_.cmbSendText->setCompleter(nullptr); // a command is sent exactly as typed
    send->addWidget(ui_.cmbSendText, 1);
    ui_.ckPcode = named<QCheckBox>(QStringLiteral("ckPcode"), QStringLiteral("PCode"), ui_.pnlSend);
    send->addWidget(ui_.ckPcode);
    ui_.ckFullCode = named<QCheckBox>(QStringLiteral("ckFullCode"), QStringLiteral("Full Code"), ui_.pnlSend);
    send->addWidget(ui_.ckFullCode);
    ui_.btnRecvClear = flatButton(QStringLiteral("btnRecvClear"), QStringLiteral("Clear"), ui_.pnlSend);
    send->addWidget(ui_.btnRecvClear);
    clipToBar(ui_.pnlSend, send->parentWidget());
    recv->addWidget(ui_.pnlSend);
    ui_.memoRecv = named<QPlainTextEdit>(QStringLiteral("memoRecv"), ui_.pnlRecv);
    ui_.memoRecv->setReadOnly(true);
    ui_.memoRecv->setLineWrapMode(QPlainTextEdit::NoWrap);
    ui_.memoRecv->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui_.memoRecv->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui_.memoRecv->setFont(textFont(true));
    recv->addWidget(ui_.memoRecv, 1);
    ui_.splitter->setStretchFactor(0, 1);
    ui_.splitter->setStretchFactor(1, 0);

    // --- status bar ---
    ui_.sBar = new PanelStatusBar({130, 50, 50}, this);
    ui_.sBar->setObjectName(QStringLiteral("sBar"));
    setStatusBar(ui_.sBar);

    // --- menu ---
    ui_.mmFile = menuBar()->addMenu(QStringLiteral("ファイル (&File)"));
    ui_.mmFile->setObjectName(QStringLiteral("mmFile"));
    auto action = [this](const QString& name, const QString& text) {
        QAction* a = ui_.mmFile->addAction(text);
        a->setObjectName(name);
        return a;
    };
    ui_.mmCleate = action(QStringLiteral("mmCleate"), QStringLiteral("新規作成 (&New)"));
    ui_.mmFileOpen = action(QStringLiteral("mmFileOpen"), QStringLiteral("ファイルを開く (&Open)"));
    ui_.mmFileSave = action(QStringLiteral("mmFileSave"), QStringLiteral("ファイルに保存 (&Save)"));
    ui_.mmFile->addSeparator();
    ui_.mmFileCom = action(QStringLiteral("mmFileCom"), QStringLiteral("通信設定 (&Com)"));
    ui_.mmFileTcp = action(QStringLiteral("mmFileTcp"), QStringLiteral("ネットワーク設定 (&IP Setup)"));
    ui_.mmSepUpdate = ui_.mmFile->addSeparator();
    ui_.mmSepUpdate->setObjectName(QStringLiteral("mmSepUpdate"));
    ui_.mmSepUpdate->setVisible(false);
    ui_.mmZVAXupdate = action(QStringLiteral("mmZVAXupdate"), QStringLiteral("ファームウェアの更新(&Update)"));
    ui_.mmFile->addSeparator();
    ui_.mmFileQuit = action(QStringLiteral("mmFileQuit"), QStringLiteral("終了 (&Quit)"));
}

} // namespace zovax
