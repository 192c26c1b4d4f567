#include "core/link/DeviceLink.h"

#include "core/link/Framing.h"
#include "core/shell/Cp932.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace zovax {

QString connectFirstText()
{
    return QStringLiteral("ZOVAX-Etherに接続して下さい");
}

void tellConnectFirst(Prompts& prompts, MsgIcon icon)
{
    prompts.inform(QStringLiteral("確認"), connectFirstText(), icon);
}

bool requireLink(const LinkState& st, LinkNeed need, bool serialShown, Prompts& prompts, MsgIcon icon)
{
    const bool up = need == LinkNeed::Any ? st.tcpConnected || st.portOpen
                                          : st.acknowledgingLinkUp() && (!serialShown || st.portOpen);
    if (!up)
        tellConnectFirst(prompts, icon);
    return up;
}

namespace {
bool startsWith(const QString& line, const char* prefix)
{
    return line.startsWith(QLatin1String(prefix));
}
} // namespace

DeviceLink::DeviceLink(Settings& settings, ReceiveLog& log, QObject* parent)
    : QObject(parent), settings_(settings), log_(log), socket_(new QTcpSocket(this))
{
    serialAsm_.setMode(SerialLineAssembler::modeFor(settings_.rs232c.RecvDlmt));
    connect(socket_, &QTcpSocket::readyRead, this, &DeviceLink::readTcp);
    // A handler that opens a modal box or waits (a nested event loop) while a
    // line is being dispatched must still see the lines behind it and the
    // replies that arrive meanwhile; the socket does not signal new data while
    // its readyRead is being handled. Whenever such a nested loop is about to
    // block, the pending lines and bytes are taken here, in order.
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(thread()))
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &DeviceLink::onAboutToBlock);
}

DeviceLink::~DeviceLink() = default;

void DeviceLink::SendLine(const QString& text)
{
    state_.replyAck = false;
    const QByteArray bytes = toCp932(text);
    if (state_.tcpConnected) {
        const QByteArray f = tcpFrame(bytes, settings_.tcpip);
        writeTcp(f);
    }
    if (state_.portOpen && serial_) {
        const QByteArray f = serialFrame(bytes, settings_.rs232c);
        if (serial_->hasError()) {
            state_.commError = true;
        } else {
            serial_->write(f);
            emit serialFrameSent(f);
        }
    }
}

void DeviceLink::SendTcpOnly(const QString& text)
{
    if (!state_.tcpConnected)
        return;
    writeTcp(tcpFrame(toCp932(text), settings_.tcpip));
}

void DeviceLink::writeTcp(const QByteArray& frame)
{
    // One write per command. A socket that is not open (the flag is set just
    // before dialling) takes nothing; the frame is still reported for traces.
    if (socket_->isOpen())
        socket_->write(frame);
    emit tcpFrameSent(frame);
}

bool DeviceLink::WaitAck(int ms)
{
    if (state_.replyAck)
        return true;
    // True when a reply acknowledged during the wait, even if the handler of
    // that reply already sent the next command and so cleared the flag.
    const quint64 acksAtStart = ackCount_;
    auto acked = [&] { return state_.replyAck || ackCount_ != acksAtStart; };
    WaitUntil(acked, ms);
    return acked();
}

bool DeviceLink::WaitUntil(const std::function<bool()>& done, int ms)
{
    if (done())
        return true;
    // Commands queued by SendLine go out now rather than on the loop's next turn.
    if (socket_->bytesToWrite() > 0)
        socket_->flush();
    // Events are processed, blocking until the next one arrives (never a spin),
    // until `done` holds or the time is up. The timer only wakes the loop at
    // the deadline. Ending the wait this way, rather than by quitting a nested
    // exec(), costs no wake-up of the event dispatcher per reply.
    //
    // The wait also ends early when the link it waits on goes down (no reply
    // can come) or when interruptWait() is called (a Cancel button).
    const quint64 interruptsAtStart = interruptCount_;
    const bool linkWasUp = state_.tcpConnected || state_.portOpen;
    QDeadlineTimer deadline(ms < 0 ? 0 : ms, Qt::PreciseTimer);
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread());
    if (!dispatcher)
        return done();
    // A bare timer (its event does nothing here) rather than a QTimer object:
    // the wait is set up and taken down for every command of a bulk exchange.
    const int wake = startTimer(ms < 0 ? 0 : ms, Qt::PreciseTimer);
    while (!done() && !deadline.hasExpired() && interruptCount_ == interruptsAtStart
           && !(linkWasUp && !state_.tcpConnected && !state_.portOpen))
        dispatcher->processEvents(QEventLoop::WaitForMoreEvents);
    if (wake != 0)
        killTimer(wake);
    return done();
}

void DeviceLink::interruptWait()
{
    ++interruptCount_;
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(thread()))
        d->wakeUp();
}

void DeviceLink::SetReplyAck()
{
    state_.replyAck = true;
    ++ackCount_;
}

void DeviceLink::onAboutToBlock()
{
    if (dispatchDepth_ == 0)
        return;
    if (socket_->bytesAvailable() > 0)
        readTcp();
    else if (!pending_.empty())
        drainLines();
}

void DeviceLink::readTcp()
{
    if (state_.downloadMode) {
        const QByteArray all = socket_->readAll();
        if (!all.isEmpty() && handlers.HandleDownloadData)
            handlers.HandleDownloadData(all);
        return;
    }
    // Drain in chunks of at most 4095 bytes: a burst after a busy moment is
    // taken in several steps instead of stalling.
    while (socket_->bytesAvailable() > 0) {
        readBuffer_.resize(kTcpReadChunk); // keeps its allocation from read to read
        const qint64 n = socket_->read(readBuffer_.data(), kTcpReadChunk);
        if (n <= 0)
            break;
        readBuffer_.truncate(n);
        onTcpBytes(readBuffer_);
    }
}

void DeviceLink::onTcpBytes(const QByteArray& bytes)
{
    for (const QString& l : tcpAsm_.feed(bytes))
        pending_.emplace_back(l, false);
    drainLines();
}

void DeviceLink::onSerialBytes(const QByteArray& bytes)
{
    for (const QString& l : serialAsm_.feed(bytes))
        pending_.emplace_back(l, true);
    drainLines();
}

void DeviceLink::flushSerialLine()
{
    for (const QString& l : serialAsm_.flush())
        pending_.emplace_back(l, true);
    drainLines();
}

void DeviceLink::drainLines()
{
    while (!pending_.empty()) {
        auto [line, serial] = std::move(pending_.front());
        pending_.pop_front();
        ++linesReceived_;
        ++dispatchDepth_;
        if (serial)
            DispatchSerialLine(line);
        else
            DispatchLine(line);
        --dispatchDepth_;
    }
}

void DeviceLink::appendLog(const QString& line, int clearAbove)
{
    if (clearAbove > 0 && log_.lineCount() > clearAbove)
        log_.clear();
    log_.append(line);
}

void DeviceLink::DispatchLine(const QString& line)
{
    routeLine(line, kTcpLogLimit);
}

void DeviceLink::routeLine(const QString& line, int logLimit)
{
    LinkState& s = state_;
    if (s.tableWriteMode == TableWriteMode::Erase) {
        if (line.contains(QLatin1String("KRV:on")) || line.contains(QLatin1String("FLASH Sector:7 ... Erased"))
            || line.contains(QLatin1String("Flash Erase Complete")))
            SetReplyAck();
        appendLog(line, 0);
        return;
    }
    if (s.tableWriteMode == TableWriteMode::Store) {
        static const char* const kTags[] = {"Twf:", "Twc:", "Twb:", "Twr:", "Twp:", "Twd:", "Twl:", "Tws:"};
        const QString head = line.left(4);
        for (const char* t : kTags) {
            if (head == QLatin1String(t)) {
                SetReplyAck();
                break;
            }
        }
        appendLog(line, 0);
        return;
    }
    if (s.tableReadMode) {
        if (handlers.OnReadBackLine)
            handlers.OnReadBackLine(line);
        return;
    }
    if (s.netConfigOpen || s.consoleConfigMode) {
        if (handlers.HandleConfigLine)
            handlers.HandleConfigLine(line);
        return;
    }
    SetReplyAck();
    if (line.contains(QLatin1String("Loader"))) {
        // The loader's banner, cut off at its colour code ("[0;32m...Loader..."):
        // listed, never taken for a wave line.
        appendLog(line, logLimit);
        s.boardInLoader = true;
        emit boardInLoader();
    } else if (startsWith(line, "[")) {
        if (handlers.OnWaveLine)
            handlers.OnWaveLine(line);
    } else if (startsWith(line, "Ave.")) {
        if (handlers.OnAverageLine)
            handlers.OnAverageLine(line);
    } else if (startsWith(line, "Trans Mode")) {
        if (handlers.SetLearnIndicator)
            handlers.SetLearnIndicator(false);
    } else if (startsWith(line, "Analyze Mode")) {
        if (handlers.SetLearnIndicator)
            handlers.SetLearnIndicator(true);
    } else if (startsWith(line, "Lend:")) {
        appendLog(line, 0);
    } else {
        appendLog(line, logLimit);
    }
}

void DeviceLink::DispatchSerialLine(const QString& line)
{
    if (state_.serialRoutedLikeTcp) {
        routeLine(line, kSerialLogLimit);
        return;
    }
    if (startsWith(line, "[")) {
        if (handlers.OnWaveLine)
            handlers.OnWaveLine(line);
    } else if (startsWith(line, "Ave.")) {
        if (handlers.OnAverageLine)
            handlers.OnAverageLine(line);
    } else if (line == QLatin1String("Trans Mode")) {
        const bool lit = handlers.learnIndicatorOn && handlers.learnIndicatorOn();
        const bool autoCursor = handlers.cursorAutoChecked && handlers.cursorAutoChecked();
        if (lit && autoCursor) {
            if (handlers.RearmLearning)
                handlers.RearmLearning();
        } else if (handlers.SetLearnIndicator) {
            handlers.SetLearnIndicator(false);
        }
    } else if (line == QLatin1String("Analyze Mode")) {
        if (handlers.SetLearnIndicator)
            handlers.SetLearnIndicator(true);
    } else if (startsWith(line, "Lend:")) {
        if (handlers.waveDataPanelVisible && handlers.waveDataPanelVisible())
            appendLog(line, 0);
    } else {
        appendLog(line, kSerialLogLimit);
    }
}

} // namespace zovax
