#include "app/firmware/DownloadDialog.h"

#include "app/widgets/Panels.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHideEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace zovax {

const QString DownloadDialog::kFileFilter = QStringLiteral("Hexファイル (*.Hex)|*.Hex|全てのファイル (*.*)|*.*");

namespace {

// Geometry of the top panel's controls (pixels).
constexpr int kRowTop = 6;
constexpr int kRowHeight = 26;
constexpr int kDownloadWidth = 88;
constexpr int kFileWidth = 72;
constexpr int kMsgTop = 36;
constexpr int kClearWidth = 90;

} // namespace

DownloadDialog::DownloadDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDownload"));
    setWindowTitle(QStringLiteral("Firmware Download"));
    setModal(true);

    pnlTop = named<QFrame>("pnlTop", this);
    pnlTop->setFrameShape(QFrame::NoFrame);
    btnDownload = named<QPushButton>("btnDownload", pnlTop);
    btnDownload->setText(QStringLiteral("Download"));
    btnDownload->setCheckable(true); // stays pressed until clicked again
    btnDownload->setAutoDefault(false);
    connect(btnDownload, &QPushButton::clicked, this, &DownloadDialog::downloadClicked);
    pnlHex = named<QLabel>("pnlHex", pnlTop);
    pnlHex->setFrameShape(QFrame::Panel);
    pnlHex->setFrameShadow(QFrame::Sunken);
    pnlHex->setTextFormat(Qt::PlainText);
    prgBar = named<QProgressBar>("prgBar", pnlTop);
    prgBar->setTextVisible(false);
    btnFile = named<QPushButton>("btnFile", pnlTop);
    btnFile->setText(QStringLiteral("File"));
    btnFile->setAutoDefault(false);
    connect(btnFile, &QPushButton::clicked, this, &DownloadDialog::fileClicked);
    lblMsg = named<QLabel>("lblMsg", pnlTop);
    lblMsg->setText(QStringLiteral("ファームウェアー転送の準備中です、しばらくお待ちください。"));
    {
        QPalette p = lblMsg->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 255));
        lblMsg->setPalette(p);
    }

    lblCheck = named<QLabel>("lblCheck", pnlTop);
    lblCheck->setTextFormat(Qt::PlainText);

    memoRecv = named<QPlainTextEdit>("memoRecv", this);
    memoRecv->setReadOnly(true);
    memoRecv->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoRecv->clear();

    pnlSend = named<QFrame>("pnlSend", this);
    btnClear = named<QPushButton>("btnClear", pnlSend);
    btnClear->setText(QStringLiteral("Log Clear"));
    btnClear->setAutoDefault(false);
    connect(btnClear, &QPushButton::clicked, memoRecv, &QPlainTextEdit::clear);

    sBar = new PanelStatusBar({130, 100, 50}, this);
    sBar->setObjectName(QStringLiteral("sBar"));
    connect(sBar, &PanelStatusBar::doubleClicked, this, &DownloadDialog::sBarDblClick);

    chooseFile = [this](const QString& start) { return openFileDialog(start); };
    FormShow();
}

DownloadDialog::~DownloadDialog() = default;

QStringList DownloadDialog::nameFilters(const QString& filter)
{
    // "Hexファイル (*.Hex)|*.Hex|..." -> "Hexファイル (*.Hex)", ...: a description that
    // names no pattern gets its pattern list appended ("a;b" becomes "a b").
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' '));
        out << (desc.contains(QLatin1Char('(')) ? desc : desc + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return out;
}

QString DownloadDialog::openFileDialog(const QString& start)
{
    if (!dlgOpen) {
        dlgOpen = new QFileDialog(this);
        dlgOpen->setObjectName(QStringLiteral("dlgOpen"));
        dlgOpen->setFileMode(QFileDialog::ExistingFile);
        dlgOpen->setAcceptMode(QFileDialog::AcceptOpen);
        dlgOpen->setNameFilters(nameFilters(kFileFilter));
    }
    dlgOpen->selectNameFilter(dlgOpen->nameFilters().value(0));
    const QFileInfo fi(start);
    if (fi.isDir() || start.endsWith(QLatin1Char('/'))) {
        dlgOpen->setDirectory(start);
        dlgOpen->selectFile(QString());
    } else {
        dlgOpen->setDirectory(fi.absolutePath());
        dlgOpen->selectFile(fi.fileName());
    }
    if (dlgOpen->exec() != QDialog::Accepted)
        return {};
    return dlgOpen->selectedFiles().value(0);
}

void DownloadDialog::setHexPath(const QString& path)
{
    pnlHex->setText(QDir::toNativeSeparators(path));
}

int DownloadDialog::clientHeightLogHidden() const
{
    return kTopHeight + sBar->sizeHint().height();
}

void DownloadDialog::FormShow()
{
    setLogShown(false);
    prgBar->hide();
    lblMsg->hide();
    lblCheck->clear();
    lblCheck->show();
    btnDownload->setChecked(false);
    btnFile->setEnabled(true);
    for (int i = 0; i < sBar->panelCount(); ++i)
        sBar->setPanelText(i, QString());
    layoutControls();
}

void DownloadDialog::setLogShown(bool shown)
{
    logShown_ = shown;
    pnlSend->setVisible(shown);
    if (shown) {
        // Resizable while the log is shown.
        setMinimumSize(kClientWidth, clientHeightLogHidden() + kSendHeight + 40);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setSizeGripEnabled(true);
        resize(width() > 0 ? std::max(width(), int(kClientWidth)) : int(kClientWidth), kLogShownHeight);
    } else {
        // Fixed border, only the top panel and the status bar in sight.
        setSizeGripEnabled(false);
        setFixedSize(kClientWidth, clientHeightLogHidden());
    }
    layoutControls();
}

void DownloadDialog::sBarDblClick()
{
    setLogShown(!logShown_);
}

void DownloadDialog::layoutControls()
{
    const int w = width();
    const int h = height();
    const int sbh = sBar->sizeHint().height();
    pnlTop->setGeometry(0, 0, w, kTopHeight);
    btnDownload->setGeometry(kEdgeGap, kRowTop, kDownloadWidth, kRowHeight);
    btnFile->setGeometry(w - kEdgeGap - kFileWidth, kRowTop, kFileWidth, kRowHeight);
    const int hexLeft = kEdgeGap + kDownloadWidth + kEdgeGap;
    pnlHex->setGeometry(hexLeft, kRowTop, std::max(0, btnFile->x() - kEdgeGap - hexLeft), kRowHeight);
    prgBar->setGeometry(pnlHex->geometry()); // laid over the path
    prgBar->raise();
    lblMsg->setGeometry(kEdgeGap, kMsgTop, std::max(0, w - 2 * kEdgeGap), 20);
    lblCheck->setGeometry(lblMsg->geometry());

    sBar->setGeometry(0, h - sbh, w, sbh);
    int logBottom = h - sbh;
    if (logShown_) {
        logBottom -= kSendHeight;
        pnlSend->setGeometry(0, logBottom, w, kSendHeight);
        btnClear->setGeometry(w - kEdgeGap - kClearWidth, 3, kClearWidth, kSendHeight - 6);
    }
    memoRecv->setGeometry(0, kTopHeight, w, std::max(0, logBottom - kTopHeight));
}

void DownloadDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return; // restored from the task bar: not a new showing
    FormShow();
    emit shown();
}

void DownloadDialog::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    if (e->spontaneous())
        return;
    emit hidden();
}

void DownloadDialog::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    layoutControls();
}

void DownloadDialog::appendLog(const QString& line)
{
    memoRecv->appendPlainText(line);
}

void DownloadDialog::clearLog()
{
    memoRecv->clear();
}

void DownloadDialog::showStatus(int panel, const QString& text)
{
    sBar->setPanelText(panel, text);
}

bool DownloadDialog::downloadButtonDown() const
{
    return btnDownload->isChecked();
}

void DownloadDialog::setDownloadButtonDown(bool down)
{
    btnDownload->setChecked(down);
}

void DownloadDialog::setFileButtonEnabled(bool enabled)
{
    btnFile->setEnabled(enabled);
}

void DownloadDialog::showPreparing(bool shown)
{
    lblMsg->setVisible(shown);
    lblCheck->setVisible(!shown);
}

void DownloadDialog::showFileCheck(const QString& text, bool ok)
{
    lblCheck->setText(text);
    QPalette p = lblCheck->palette();
    p.setColor(QPalette::WindowText, ok ? QColor(0, 128, 0) : QColor(192, 0, 0));
    lblCheck->setPalette(p);
    lblCheck->setVisible(!lblMsg->isVisible());
}

void DownloadDialog::showProgress(int maximum)
{
    prgBar->setRange(0, std::max(0, maximum));
    prgBar->setValue(0);
    prgBar->setGeometry(pnlHex->geometry());
    prgBar->show();
    prgBar->raise();
}

void DownloadDialog::setProgress(int position)
{
    prgBar->setValue(std::clamp(position, prgBar->minimum(), prgBar->maximum()));
}

void DownloadDialog::hideProgress()
{
    prgBar->hide();
}

void DownloadDialog::closeWindow()
{
    if (isVisible())
        close();
}

} // namespace zovax
