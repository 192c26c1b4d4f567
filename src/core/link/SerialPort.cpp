#include "core/link/SerialPort.h"

#include "core/link/LineAssembly.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"

#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace zovax {

SerialLineSettings lineSettingsFor(const RS232C& r)
{
    SerialLineSettings s;
    const bool known
        = std::find(kSerialBaudRates.begin(), kSerialBaudRates.end(), r.BaudRate) != kSerialBaudRates.end();
    s.baudRate = known ? r.BaudRate : kFallbackBaudRate;
    s.dataBits = r.ByteSize == 8 ? QSerialPort::Data8 : QSerialPort::Data7;
    s.stopBits = r.StopBits == 1 ? QSerialPort::OneStop : QSerialPort::TwoStop;
    if (r.Parity == QLatin1String("ODD"))
        s.parity = QSerialPort::OddParity;
    else if (r.Parity == QLatin1String("EVEN"))
        s.parity = QSerialPort::EvenParity;
    else
        s.parity = QSerialPort::NoParity;
    return s;
}

QStringList availableSerialPorts()
{
    QStringList out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        out << info.systemLocation();
    out.sort();
    return out;
}

namespace {

QString openFailureReason(const QSerialPort& p)
{
    switch (p.error()) {
    case QSerialPort::DeviceNotFoundError: {
        // "COM3" and the like name no device on this system.
        const QStringList here = availableSerialPorts();
        return QStringLiteral("no such device (%1)")
            .arg(here.isEmpty() ? QStringLiteral("no serial ports found here")
                                : QStringLiteral("serial ports here: ") + here.join(QStringLiteral(", ")));
    }
    case QSerialPort::PermissionError: return QStringLiteral("permission denied, or the port is in use");
    case QSerialPort::OpenError: return QStringLiteral("the port is already open");
    default: return p.errorString();
    }
}

QString parityName(QSerialPort::Parity p)
{
    switch (p) {
    case QSerialPort::OddParity: return QStringLiteral("odd parity");
    case QSerialPort::EvenParity: return QStringLiteral("even parity");
    default: return QStringLiteral("no parity");
    }
}

} // namespace

SerialPort::SerialPort(DeviceLink& link, Prompts& prompts, QObject* parent)
    : QObject(parent), link_(link), linkGuard_(&link), prompts_(prompts), idleTimer_(new QTimer(this))
{
    idleTimer_->setSingleShot(true);
    connect(idleTimer_, &QTimer::timeout, this, &SerialPort::onIdle);
    link_.setSerialTransport(this);
}

SerialPort::~SerialPort()
{
    // The link may already be gone (it is destroyed first at shutdown); the
    // port itself is a child and closes with it.
    if (linkGuard_ && linkGuard_->serialTransport() == this)
        linkGuard_->setSerialTransport(nullptr);
    if (port_)
        disconnect(port_, nullptr, this, nullptr);
}

bool SerialPort::OpenPort(bool startThread)
{
    ClosePort();
    const RS232C& r = link_.settings().rs232c;
    auto* p = new QSerialPort(this);
    p->setPortName(r.PortName);
    if (!p->open(QIODevice::ReadWrite)) {
        const QString why = openFailureReason(*p);
        delete p;
        failOpen(QStringLiteral("Can't Open %1: %2").arg(r.PortName, why));
        return false;
    }
    p->setReadBufferSize(kQueueBytes);
    QString why;
    if (!applyLineSettings(*p, &why)) {
        p->close();
        delete p;
        failOpen(QStringLiteral("Can't Open %1: %2").arg(r.PortName, why));
        return false;
    }
    // Modem lines off. Pseudo-terminals have none and refuse; that is harmless.
    p->setDataTerminalReady(false);
    p->setRequestToSend(false);
    p->clearError();

    port_ = p;
    connect(port_, &QSerialPort::errorOccurred, this, &SerialPort::onPortError);
    lastOpenError_.clear();
    LinkState& st = link_.state();
    st.portOpen = true;
    link_.setSerialTransport(this);
    if (startThread) {
        st.commError = false;
        startReceiving();
    }
    if (portLost_ || portTextShown_)
        updatePortText();
    return true;
}

bool SerialPort::applyLineSettings(QSerialPort& p, QString* why)
{
    // Every setting must hold: a port talking with other framing than the
    // board's would deliver garbage without any sign of failure.
    const SerialLineSettings s = lineSettingsFor(link_.settings().rs232c);
    if (!p.setBaudRate(s.baudRate))
        *why = QStringLiteral("the device does not accept %1 baud").arg(s.baudRate);
    else if (!p.setDataBits(s.dataBits))
        *why = QStringLiteral("the device does not accept %1 data bits").arg(int(s.dataBits));
    else if (!p.setParity(s.parity))
        *why = QStringLiteral("the device does not accept %1").arg(parityName(s.parity));
    else if (!p.setStopBits(s.stopBits))
        *why = QStringLiteral("the device does not accept %1 stop bits").arg(int(s.stopBits));
    else if (!p.setFlowControl(QSerialPort::NoFlowControl))
        *why = QStringLiteral("the device does not accept running without flow control");
    else
        return true;
    return false;
}

void SerialPort::failOpen(const QString& why)
{
    const QString& name = link_.settings().rs232c.PortName;
    lastOpenError_ = why;
    link_.receiveLog().append(why);
    emit portTextShown(QStringLiteral("Can't Open ") + name);
    portTextShown_ = true;
    if (portLost_)
        prompts_.inform(QStringLiteral("Warning"), QStringLiteral("Can't Open ") + name + QStringLiteral("    "),
                        MsgIcon::Warning);
    LinkState& st = link_.state();
    st.commError = true;
    st.portOpen = false;
    st.recvThreadRunning = false;
    setLearnIndicatorOff();
}

void SerialPort::ClosePort()
{
    LinkState& st = link_.state();
    if (!st.portOpen)
        return;
    stopReceiving();
    if (port_) {
        QSerialPort* p = std::exchange(port_, nullptr);
        disconnect(p, nullptr, this, nullptr);
        p->flush(); // what SendLine wrote is on its way before the port closes
        p->setDataTerminalReady(false);
        p->setRequestToSend(false);
        p->close();
        p->deleteLater(); // it may still be on the stack of a nested event loop
    }
    st.commError = false;
    st.portOpen = false;
    st.recvThreadRunning = false;
    if (portLost_ || portTextShown_)
        updatePortText();
}

void SerialPort::DeviceRemoved()
{
    removalQueued_ = false;
    LinkState& st = link_.state();
    if (!st.portOpen)
        return;
    link_.SendLine(QString()); // probe: header and delimiter only
    if (!st.commError)
        return;
    // Closed before telling the user: a vanished device keeps reporting errors
    // as fast as the event loop turns until its port is closed.
    const QString name = link_.settings().rs232c.PortName;
    ClosePort();
    portLost_ = true;
    setLearnIndicatorOff();
    prompts_.inform(QStringLiteral("確認"), name + QStringLiteral(" が閉じられました。\n通信設定をやり直して下さい。"),
                    MsgIcon::Warning);
}

bool SerialPort::hasError()
{
    if (!port_ || !port_->isOpen())
        return true;
    const bool error = port_->error() != QSerialPort::NoError;
    if (error)
        port_->clearError();
    return error;
}

void SerialPort::write(const QByteArray& frame)
{
    if (!port_)
        return;
    port_->write(frame);
    port_->flush(); // out now, as far as the driver takes it without blocking
}

void SerialPort::startReceiving()
{
    const RS232C& r = link_.settings().rs232c;
    link_.setSerialMode(SerialLineAssembler::modeFor(r.RecvDlmt));
    link_.resetSerialAssembly();
    link_.state().recvThreadRunning = true;
    connect(port_, &QSerialPort::readyRead, this, &SerialPort::scheduleRead);
    if (port_->bytesAvailable() > 0)
        scheduleRead();
}

void SerialPort::stopReceiving()
{
    link_.state().recvThreadRunning = false;
    idleTimer_->stop();
    if (port_)
        disconnect(port_, &QSerialPort::readyRead, this, &SerialPort::scheduleRead);
}

void SerialPort::scheduleRead()
{
    // Read outside the port's own readyRead emission: a reply handler that
    // opens a modal box or waits must still see the bytes that arrive meanwhile.
    if (readScheduled_)
        return;
    readScheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            readScheduled_ = false;
            readStep();
        },
        Qt::QueuedConnection);
}

void SerialPort::readStep()
{
    LinkState& st = link_.state();
    if (!port_ || !st.recvThreadRunning)
        return;
    if (st.commError) { // a send or an earlier read saw a port error
        stopReceiving();
        return;
    }
    const QByteArray bytes = port_->readAll();
    if (bytes.isEmpty())
        return;
    const int idleMs = std::max(0, link_.settings().rs232c.RecvTout);
    idleTimer_->start(idleMs);
    link_.onSerialBytes(bytes);
    // The silence is measured from the end of the hand-over.
    if (st.recvThreadRunning && port_)
        idleTimer_->start(idleMs);
}

void SerialPort::onIdle()
{
    LinkState& st = link_.state();
    if (!st.recvThreadRunning)
        return;
    if (st.commError) {
        stopReceiving();
        return;
    }
    link_.flushSerialLine();
}

void SerialPort::onPortError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    link_.state().commError = true;
    stopReceiving();
    // A vanished device reports read or resource errors in a tight loop until
    // its port is closed: that is this system's device-removal notice.
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && !removalQueued_) {
        removalQueued_ = true;
        QMetaObject::invokeMethod(this, &SerialPort::DeviceRemoved, Qt::QueuedConnection);
    }
}

void SerialPort::setLearnIndicatorOff()
{
    if (link_.handlers.SetLearnIndicator)
        link_.handlers.SetLearnIndicator(false);
}

void SerialPort::updatePortText()
{
    const RS232C& r = link_.settings().rs232c;
    emit portTextShown(r.PortName + (link_.state().portOpen ? QStringLiteral(":OFF") : QString()));
    portTextShown_ = true;
}

} // namespace zovax
