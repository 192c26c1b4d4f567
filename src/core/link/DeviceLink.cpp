#include "core/link/DeviceLink.h"

#include "core/link/Framing.h"
#include "core/shell/Cp932.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace zovax {

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
    // Reading is deferred to a queued call so that it never runs inside the
    // socket's own readyRead emission: a handler that opens a modal box or waits
    // must still see the replies that arrive meanwhile.
    connect(socket_, &QTcpSocket::readyRead, this, [this] {
        if (readScheduled_)
            return;
        readScheduled_ = true;
        QMetaObject::invokeMethod(this, [this] { readTcp(); }, Qt::QueuedConnection);
    });
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
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &DeviceLink::replyAckSet, &loop, &QEventLoop::quit);
    timer.start(ms < 0 ? 0 : ms);
    loop.exec();
    return state_.replyAck;
}

void DeviceLink::SetReplyAck()
{
    state_.replyAck = true;
    emit replyAckSet();
}

void DeviceLink::readTcp()
{
    readScheduled_ = false;
    if (state_.downloadMode) {
        const QByteArray all = socket_->readAll();
        if (!all.isEmpty() && handlers.HandleDownloadData)
            handlers.HandleDownloadData(all);
        return;
    }
    // Drain in chunks of at most 4095 bytes: a burst after a busy moment is
    // taken in several steps instead of stalling.
    while (socket_->bytesAvailable() > 0) {
        const QByteArray chunk = socket_->read(kTcpReadChunk);
        if (chunk.isEmpty())
            break;
        onTcpBytes(chunk);
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
        // A handler may open a modal box or wait; the lines behind this one must
        // then be handled inside that nested loop, as they would be had they
        // arrived a moment later. A queued drain does that; when the handler
        // returns normally this loop takes the lines first and the drain finds
        // nothing left.
        if (!pending_.empty() && !drainPosted_) {
            drainPosted_ = true;
            QMetaObject::invokeMethod(this, [this] {
                drainPosted_ = false;
                drainLines();
            }, Qt::QueuedConnection);
        }
        if (serial)
            DispatchSerialLine(line);
        else
            DispatchLine(line);
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
    LinkState& s = state_;
    if (s.tableWriteMode == 1) {
        if (line.contains(QLatin1String("KRV:on"))
            || line.contains(QLatin1String("FLASH Sector:7 ... Erased"))
            || line.contains(QLatin1String("Flash Erase Complete")))
            SetReplyAck();
        appendLog(line, 0);
        return;
    }
    if (s.tableWriteMode == 2) {
        static const char* const kTags[] = {"Twf:", "Twc:", "Twb:", "Twr:",
                                            "Twp:", "Twd:", "Twl:", "Tws:"};
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
    if (startsWith(line, "[")) {
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
        appendLog(line, kTcpLogLimit);
    }
}

void DeviceLink::DispatchSerialLine(const QString& line)
{
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
