#include "core/firmware/FirmwareUpdate.h"

#include "core/link/DeviceLink.h"
#include "core/link/TcpConnection.h"
#include "core/shell/Cp932.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

namespace zovax {

namespace {

// Stands in while no window is attached.
class NoView : public DownloadView {
public:
    void appendLog(const QString&) override {}
    void clearLog() override {}
    void showStatus(int, const QString&) override {}
    bool downloadButtonDown() const override { return false; }
    void setDownloadButtonDown(bool) override {}
    void setFileButtonEnabled(bool) override {}
    void showPreparing(bool) override {}
    void showProgress(int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
    bool logRowShown() const override { return false; }
    void closeWindow() override {}
};

DownloadView& viewOr(DownloadView* v)
{
    static NoView none;
    return v ? *v : none;
}

bool contains(const QString& line, const char* text)
{
    return line.contains(QLatin1String(text));
}

} // namespace

QString FirmwareUpdate::resultText(Result r)
{
    switch (r) {
    case Result::Completed: return QStringLiteral("Completed");
    case Result::Failure: return QStringLiteral("Failure");
    case Result::Cancel: break;
    }
    return QStringLiteral("Cancel");
}

FirmwareUpdate::FirmwareUpdate(DeviceLink& link, Prompts& prompts, Sounds& sounds, QObject* parent)
    : QObject(parent), link_(link), prompts_(prompts), sounds_(sounds), tmAutoStart_(new QTimer(this)),
      tmStep_(new QTimer(this))
{
    setObjectName(QStringLiteral("firmwareUpdate"));
    tmAutoStart_->setObjectName(QStringLiteral("tmAutoStart"));
    tmAutoStart_->setSingleShot(true);
    tmAutoStart_->setInterval(kAutoStartMs);
    connect(tmAutoStart_, &QTimer::timeout, this, &FirmwareUpdate::onAutoStart);
    tmStep_->setSingleShot(true);
    connect(tmStep_, &QTimer::timeout, this, &FirmwareUpdate::onStepTimeout);
    lastData_.start();
}

FirmwareUpdate::FirmwareUpdate(DeviceLink& link, TcpConnection& connection, Prompts& prompts, Sounds& sounds,
                               QObject* parent)
    : FirmwareUpdate(link, prompts, sounds, parent)
{
    connect(this, &FirmwareUpdate::dialRequested, &connection, &TcpConnection::ConnectTcp);
    connect(&connection, &TcpConnection::downloadLinkUp, this, &FirmwareUpdate::onLinkUp);
    connect(&connection, &TcpConnection::downloadLinkDown, this, &FirmwareUpdate::onLinkDown);
}

FirmwareUpdate::~FirmwareUpdate() = default;

bool FirmwareUpdate::autoStartPending() const
{
    return tmAutoStart_->isActive();
}

void FirmwareUpdate::windowShown()
{
    stopAutoStart();
    stopStep();
    receiver_.reset();
    stage_ = DownloadStage::Idle;
    expectedErase_.clear();
    errorMark_ = false;
    probing_ = false;
    // The stored file's check is in sight before the user starts.
    QByteArray content;
    QString message;
    if (readHexFile(link_.settings().hexFileName, content, message)) {
        check_ = checkHexImage(content);
        viewOr(view_).showFileCheck(hexCheckText(check_), check_.ok);
    } else {
        check_ = HexCheck{};
        check_.reason = message;
        viewOr(view_).showFileCheck(QString(), false);
    }
    link_.state().downloadMode = true;
}

void FirmwareUpdate::windowClosed()
{
    link_.state().downloadMode = false;
    // A step still armed must not start a transfer (or dial) once the window is gone.
    stopAutoStart();
    stopStep();
    viewOr(view_).setDownloadButtonDown(false);
    // Closing the window during a transfer stops it like a cancel click; the
    // transfer then ends as usual (result, "Reset", link closed).
    stage_ = transferRunning_ ? DownloadStage::Cancelling : DownloadStage::Idle;
}

void FirmwareUpdate::setHexFile(const QString& path)
{
    link_.settings().hexFileName = path;
    computeLastSector();
}

int FirmwareUpdate::computeLastSector()
{
    DownloadView& v = viewOr(view_);
    QByteArray content;
    QString message;
    check_ = HexCheck{};
    if (!readHexFile(link_.settings().hexFileName, content, message)) {
        check_.reason = message;
        lastSector_ = 0;
        lastScanMessage_ = message;
        v.showStatus(2, message);
        v.showFileCheck(QString(), false);
        return 0;
    }
    const HexExtent extent = scanHexExtent(content);
    lastSector_ = extent.lastSector;
    lastScanMessage_ = extentText(extent);
    v.showStatus(2, lastScanMessage_);
    check_ = checkHexImage(content);
    v.showFileCheck(hexCheckText(check_), check_.ok);
    return lastSector_;
}

void FirmwareUpdate::btnDownloadClick()
{
    DownloadView& v = viewOr(view_);
    if (finishing_) {
        // The update is ending (result shown, board being reset): no new start.
        v.setDownloadButtonDown(false);
        return;
    }
    computeLastSector();
    if (stage_ != DownloadStage::Idle) {
        stage_ = DownloadStage::Cancelling;
        // A running transfer stops after its current line and ends the update
        // itself. Before the transfer nothing else would end it: stop the step
        // still armed and end the update as cancelled now.
        if (!transferRunning_)
            finish(Result::Cancel);
        return;
    }
    if (!v.downloadButtonDown()) {
        // Released before the board answered: drop a reconnect still armed and
        // a dial still pending (a link that is up stays up).
        stopAutoStart();
        if (!link_.state().tcpConnected)
            emit dialRequested(false);
        return;
    }
    if (lastSector_ == 0) {
        // Without a readable file there is nothing to send: the board is left
        // alone (status panel 2 already names the file).
        v.setDownloadButtonDown(false);
        prompts_.inform(QStringLiteral("Warning"), lastScanMessage_, MsgIcon::Warning);
        return;
    }
    if (!check_.ok) {
        // A file the loader would reject after the erase: nothing is sent.
        v.setDownloadButtonDown(false);
        prompts_.inform(QStringLiteral("Warning"), hexCheckText(check_), MsgIcon::Warning);
        return;
    }
    v.clearLog();
    expectedErase_.clear();
    if (link_.state().tcpConnected) {
        beginCourse();
    } else {
        startStep(Step::Connect);
        emit dialRequested(true); // the connect event begins the course
    }
}

void FirmwareUpdate::beginCourse()
{
    DownloadView& v = viewOr(view_);
    v.appendLog(QStringLiteral("Ver"));
    link_.SendTcpOnly(QStringLiteral("Ver"));
    v.showPreparing(true);
    stage_ = DownloadStage::Requested;
    probing_ = true;
    startStep(Step::VerAnswer);
}

void FirmwareUpdate::SendDownloadRequest()
{
    const TCPIP& t = link_.settings().tcpip;
    const QString text = QStringLiteral("EtherDownload:%1/%2").arg(t.Host).arg(t.Port);
    DownloadView& v = viewOr(view_);
    v.appendLog(text);
    link_.SendTcpOnly(text);
    v.showPreparing(true);
    stage_ = DownloadStage::Requested;
    startStep(Step::Prepare);
}

void FirmwareUpdate::ArmAutoStart(AutoStart step)
{
    // The link goes down on purpose only for the restart into the loader (and
    // a dial is refused while the board restarts). Lost at any other step
    // before the transfer, it ends the update with the step named: dialling
    // again would run the same course into the same loss, without end.
    if (step == AutoStart::Reconnect && !transferRunning_ && !finishing_ && step_ != Step::Restart
        && step_ != Step::Connect) {
        const QString what = step_ == Step::None ? QStringLiteral("the start of the transfer") : stepName();
        refuse(QStringLiteral("Failure: the link to the board was lost while waiting for %1").arg(what));
        return;
    }
    sounds_.play(Sound::Chime);
    autoStep_ = step;
    tmAutoStart_->start(kAutoStartMs);
}

void FirmwareUpdate::stopAutoStart()
{
    tmAutoStart_->stop();
    autoStep_ = AutoStart::None;
}

void FirmwareUpdate::onLinkUp(const QString& host)
{
    DownloadView& v = viewOr(view_);
    v.showStatus(0, QStringLiteral("Connect: ") + host);
    if (stage_ != DownloadStage::Idle) {
        link_.SendTcpOnly(QStringLiteral("Ver")); // the loader's banner, after the restart
    } else if (v.downloadButtonDown()) {
        // A link that comes up after the button was released again announces nothing.
        beginCourse();
    }
}

void FirmwareUpdate::onLinkDown(bool dropped)
{
    DownloadView& v = viewOr(view_);
    v.showStatus(0, QStringLiteral("Disconnect"));
    if (v.downloadButtonDown())
        ArmAutoStart(AutoStart::Reconnect);
    else if (dropped)
        sounds_.play(Sound::Chord); // the board (or the network) ended the link
}

void FirmwareUpdate::onAutoStart()
{
    tmAutoStart_->stop();
    if (autoStep_ == AutoStart::Reconnect)
        emit dialRequested(true);
    else
        runTransfer();
}

void FirmwareUpdate::HandleDownloadData(const QByteArray& bytes)
{
    lastData_.restart();
    for (const QString& line : receiver_.feed(bytes))
        handleLine(line);
}

void FirmwareUpdate::handleLine(const QString& line)
{
    if (line == QLatin1String(".")) {
        link_.SetReplyAck(); // one record programmed; not listed
        return;
    }
    DownloadView& v = viewOr(view_);
    v.appendLog(line);
    if (finishing_ && contains(line, "Reset"))
        resetAnswered_ = true; // the board took the final "Reset"
    if (!v.downloadButtonDown())
        return;
    if (probing_ && !contains(line, "Loader")) {
        // The firmware answered "Ver": announce the update.
        probing_ = false;
        SendDownloadRequest();
        return;
    }
    if (contains(line, "IP Config Saved")) {
        link_.SendTcpOnly(QStringLiteral("Reset"));
        startStep(Step::Restart);
    } else if (contains(line, "Reset")) {
        emit dialRequested(false); // the disconnect arms the reconnect
    } else if (contains(line, "Loader")) {
        probing_ = false;
        stage_ = DownloadStage::Requested;
        v.showPreparing(true);
        startStep(Step::Erase);
        link_.SendTcpOnly(QStringLiteral("%1:Last Sector to Erase").arg(lastSector_));
        expectedErase_ = QStringLiteral("FLASH Sector:%1 ... Erased").arg(lastSector_);
        v.showStatus(2, line);
    } else if (!expectedErase_.isEmpty() && line.contains(expectedErase_)) {
        link_.SendTcpOnly(QStringLiteral("Download Ready ?"));
        startStep(Step::Ready);
    } else if (contains(line, "Please send [.hex] file")) {
        stopStep();
        ArmAutoStart(AutoStart::Transfer);
    } else if (contains(line, "error")) {
        if (!errorMark_) {
            errorLine_ = line;
            // The record the board names, else the one sent last.
            static const QRegularExpression re(QStringLiteral("[Rr]ecord\\s*(\\d+)"));
            const QRegularExpressionMatch m = re.match(line);
            errorRecord_ = m.hasMatch() ? m.captured(1).toInt() : recordsSent_;
        }
        errorMark_ = true;
    } else if (step_ == Step::Erase && contains(line, "FLASH Sector:")) {
        startStep(Step::Erase); // one sector done: the next one gets the full limit
    }
}

void FirmwareUpdate::runTransfer()
{
    // Events run after every line, and the timer or a click could come back
    // here; one transfer at a time.
    if (transferRunning_ || finishing_)
        return;
    transferRunning_ = true;
    stopStep();
    const Result r = transfer();
    finish(r);
}

FirmwareUpdate::Result FirmwareUpdate::transfer()
{
    DownloadView& v = viewOr(view_);
    stage_ = DownloadStage::Transferring;
    v.setFileButtonEnabled(false);
    v.showStatus(1, QString());
    v.showStatus(2, QStringLiteral("Now Downloading ..."));
    QCoreApplication::processEvents();
    errorMark_ = false;
    errorLine_.clear();
    errorRecord_ = 0;
    recordsSent_ = 0;

    QByteArray data;
    QString message;
    if (!readHexFile(link_.settings().hexFileName, data, message)) {
        v.showStatus(2, message);
        return Result::Failure; // nothing was sent: not a completed update
    }
    // The file may have changed since it was chosen: checked again, whole.
    check_ = checkHexImage(data);
    if (!check_.ok) {
        v.showFileCheck(hexCheckText(check_), false);
        v.showStatus(2, hexCheckText(check_));
        v.appendLog(hexCheckText(check_));
        return Result::Failure;
    }
    v.showPreparing(false);
    v.showProgress(int(data.size()));

    LinkState& st = link_.state();
    const qsizetype n = data.size();
    QString upper; // "0x" and the upper address of the last type 04 record
    bool stopped = false;
    bool linkLost = false;
    qsizetype pos = 0;
    while (pos < n) {
        // Lines end with CR, CR LF or LF alone; empty lines are not sent.
        if (data[pos] == '\r' || data[pos] == '\n') {
            ++pos;
            continue;
        }
        qsizetype end = pos;
        while (end < n && data[end] != '\r' && data[end] != '\n')
            ++end;
        const QString line = fromCp932(data.mid(pos, end - pos));
        pos = end;
        if (!st.tcpConnected) {
            linkLost = true; // nothing more reaches the board
            break;
        }
        ++recordsSent_;
        link_.SendLine(line); // clears replyAck
        v.appendLog(line);
        v.setProgress(int(end));
        QCoreApplication::processEvents();
        if (errorMark_ || stage_ == DownloadStage::Cancelling) {
            stopped = true;
            break;
        }
        if (line.contains(QLatin1String(":00")))
            break; // the end-of-file record has been sent; nothing after it
        const qsizetype at = line.indexOf(QLatin1String(":02000004"));
        if (at >= 0)
            upper = QStringLiteral("0x") + line.mid(at + 9, 4);
        else if (line.size() > 8 && line[8] == QLatin1Char('0'))
            v.showStatus(1, upper + QLatin1Char(':') + line.mid(3, 4));
    }
    data.clear();
    if (!stopped && !linkLost)
        settle();
    v.hideProgress();
    if (errorMark_ || linkLost || !st.tcpConnected)
        return Result::Failure;
    return stage_ == DownloadStage::Transferring ? Result::Completed : Result::Cancel;
}

void FirmwareUpdate::waitWhileAnswering(const std::function<bool(qint64 elapsedMs)>& done)
{
    // Checked every 20 ms; `done` gets the time waited so far. The quiet time
    // counts from the start of the wait or the board's latest answer.
    QEventLoop loop;
    QTimer check;
    QElapsedTimer total;
    total.start();
    lastData_.restart();
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (done(total.elapsed()))
            loop.quit();
    });
    check.start(20);
    loop.exec();
}

void FirmwareUpdate::settle()
{
    // The lines were written without waiting; wait until the board has
    // answered what it received, so that a late "error" is not reported as
    // a completed update.
    waitWhileAnswering([this](qint64 waited) {
        return errorMark_ || stage_ != DownloadStage::Transferring || !link_.state().tcpConnected
            || lastData_.elapsed() >= kSettleQuietMs || waited >= kSettleMaxMs;
    });
}

void FirmwareUpdate::awaitResetAnswer()
{
    // At least kResetWaitMs. The lines went out without waiting, so the board
    // may still be working through lines sent ahead of the "Reset": hanging
    // up now would throw away what it has not read yet, the "Reset" with it.
    // So wait on while it keeps answering, until it answers "Reset" or
    // closes the link itself.
    waitWhileAnswering([this](qint64 waited) {
        if (waited < kResetWaitMs)
            return false;
        const QTcpSocket* s = link_.tcpSocket();
        return resetAnswered_ || !s || s->state() != QAbstractSocket::ConnectedState
            || lastData_.elapsed() >= kSettleQuietMs || waited >= kSettleMaxMs;
    });
}

void FirmwareUpdate::finish(Result r)
{
    finishing_ = true;
    stopStep();
    probing_ = false;
    DownloadView& v = viewOr(view_);
    const QString text = resultText(r);
    if (r == Result::Failure && !errorLine_.isEmpty()) {
        // The board's own words and the record they refer to.
        const QString detail = QStringLiteral("%1: %2 (record %3)").arg(text, errorLine_).arg(errorRecord_);
        v.showStatus(2, detail);
        v.appendLog(detail);
    } else {
        v.showStatus(2, text);
    }
    prompts_.inform(QStringLiteral("Information"), text, MsgIcon::Warning);

    v.setFileButtonEnabled(true);
    stage_ = DownloadStage::Idle;
    v.setDownloadButtonDown(false);
    v.hideProgress();
    v.showPreparing(false);
    stopAutoStart();
    transferRunning_ = false;

    // Restart the board in every outcome and leave the link closed.
    resetAnswered_ = false;
    link_.SendLine(QStringLiteral("Reset"));
    link_.state().tcpConnected = false;
    awaitResetAnswer();
    emit dialRequested(false);
    finishing_ = false;
    emit finished(r);
    if (!v.logRowShown())
        v.closeWindow();
}

} // namespace zovax

namespace zovax {

void FirmwareUpdate::startStep(Step step)
{
    step_ = step;
    int ms = 0;
    switch (step) {
    case Step::None: tmStep_->stop(); return;
    case Step::VerAnswer: ms = limits.verMs; break;
    case Step::Prepare: ms = limits.prepareMs; break;
    case Step::Connect:
    case Step::Restart: ms = limits.restartMs; break;
    case Step::Erase: ms = limits.eraseMs; break;
    case Step::Ready: ms = limits.readyMs; break;
    }
    tmStep_->start(ms);
}

void FirmwareUpdate::stopStep()
{
    step_ = Step::None;
    tmStep_->stop();
}

QString FirmwareUpdate::stepName() const
{
    switch (step_) {
    case Step::Connect: return QStringLiteral("the connection");
    case Step::VerAnswer: return QStringLiteral("the answer to \"Ver\"");
    case Step::Prepare: return QStringLiteral("the preparation (\"IP Config Saved\")");
    case Step::Restart: return QStringLiteral("the restart into its loader");
    case Step::Erase: return QStringLiteral("the erase (\"%1\")").arg(expectedErase_);
    case Step::Ready: return QStringLiteral("the download ready answer (\"Please send [.hex] file\")");
    case Step::None: break;
    }
    return QString();
}

void FirmwareUpdate::onStepTimeout()
{
    if (step_ == Step::None || transferRunning_ || finishing_)
        return;
    const int ms = tmStep_->interval();
    const QString msg = QStringLiteral("Timeout: the board did not complete %1 within %2 s")
                            .arg(stepName())
                            .arg(ms / 1000.0, 0, 'g', 3);
    refuse(msg);
}

void FirmwareUpdate::refuse(const QString& message)
{
    // Nothing more goes to the board; the window is ready for another start.
    stopStep();
    stopAutoStart();
    probing_ = false;
    stage_ = DownloadStage::Idle;
    DownloadView& v = viewOr(view_);
    v.setDownloadButtonDown(false);
    v.showPreparing(false);
    v.setFileButtonEnabled(true);
    v.showStatus(2, message);
    v.appendLog(message);
    if (!link_.state().tcpConnected)
        emit dialRequested(false); // a dial still pending ends here
    prompts_.inform(QStringLiteral("Information"), message, MsgIcon::Warning);
}

} // namespace zovax
