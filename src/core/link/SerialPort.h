#pragma once
// The serial side of the link: opening, configuring and closing the port, the
// receive side that hands the port's bytes to the device link's serial line
// assembly (with the idle time-out that completes a line without delimiter),
// and the reaction to the port's device disappearing.
//
// Everything runs on the UI thread: QSerialPort reports arriving bytes as
// events, and a single-shot timer of RecvTout ms measures the silence after
// them. "recvThreadRunning" therefore means "the receive side is active".
//
// Device names: a port name is used as given. On this system it is a device
// path ("/dev/ttyUSB0", "/dev/pts/3"; a bare "ttyUSB0" means /dev/ttyUSB0).
// Names like "COM3" have no device here; opening one fails and says so. The
// "\\.\" prefix that long names need elsewhere is not applied.
#include "core/link/DeviceLink.h"

#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QTimer;

namespace zovax {

class Prompts;
struct RS232C;

// Line settings the port is opened with.
struct SerialLineSettings {
    qint32 baudRate = 57600;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::Parity parity = QSerialPort::NoParity;
};

// Baud rates taken as they are; any other rate opens the port at 57600.
inline constexpr std::array<qint32, 10> kSerialBaudRates
    = {1200, 2400, 4800, 9600, 19200, 38400, 56000, 57600, 76800, 115200};
inline constexpr qint32 kFallbackBaudRate = 57600;

// BaudRate from the table above (else 57600); 8 data bits when ByteSize is 8,
// else 7; one stop bit when StopBits is 1, else two; parity odd for "ODD", even
// for "EVEN", none for anything else.
SerialLineSettings lineSettingsFor(const RS232C& r);

// The serial devices present on this system (device paths), for the port list.
QStringList availableSerialPorts();

class SerialPort : public QObject, public SerialTransport {
    Q_OBJECT
public:
    static constexpr int kQueueBytes = 8192; // read buffer of the port

    // Registers itself as the link's serial transport.
    SerialPort(DeviceLink& link, Prompts& prompts, QObject* parent = nullptr);
    ~SerialPort() override;

    // Closes any open port, then opens RS232C.PortName with the RS232C line
    // settings. With startThread the receive side starts too. On failure the
    // port stays closed, commError is set, the learning indicator goes off and
    // the reason is written to the receive log and status panel 0; after an
    // earlier device removal "Can't Open <name>    " is also shown in a box.
    bool OpenPort(bool startThread);
    // Stops the receive side and closes the port; nothing when it is not open.
    void ClosePort();
    // Device-removal handling: probes the link with an empty command; when the
    // port reports an error, closes it, remembers the loss (portLost), turns
    // the learning indicator off and tells the user once. Runs by itself when
    // the port reports that its device is gone; nothing while the port is closed.
    void DeviceRemoved();

    // Set once a device removal has closed the port; never cleared.
    bool portLost() const { return portLost_; }
    // Why the last OpenPort failed (empty after a success).
    QString lastOpenError() const { return lastOpenError_; }

    // SerialTransport: queries and clears the port's error state.
    bool hasError() override;
    void write(const QByteArray& frame) override;

signals:
    // For status panel 0 of the main window: the port's text or its open failure.
    void portTextShown(const QString& text);

private:
    void failOpen(const QString& why);
    bool applyLineSettings(QSerialPort& p, QString* why);
    void startReceiving();
    void stopReceiving();
    void scheduleRead();
    void readStep();
    void onIdle();
    void onPortError(QSerialPort::SerialPortError error);
    void setLearnIndicatorOff();
    void updatePortText();

    DeviceLink& link_;
    QPointer<DeviceLink> linkGuard_; // null once the link is being destroyed
    Prompts& prompts_;
    QSerialPort* port_ = nullptr; // the open port, or null
    QTimer* idleTimer_;
    bool portLost_ = false;
    bool portTextShown_ = false; // status panel 0 shows this port's text
    bool readScheduled_ = false;
    bool removalQueued_ = false;
    QString lastOpenError_;
};

} // namespace zovax
