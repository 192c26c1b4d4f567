#pragma once
// The device link: the one send routine with its framing, the acknowledgement
// flag and its wait, the receive line assembly for both transports and the two
// reply dispatchers. Every command to the board and every reply passes here.
#include "core/link/LineAssembly.h"
#include "core/link/LinkState.h"
#include "core/shell/Ports.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

class QTcpSocket;

namespace zovax {

struct Settings;
class ReceiveLog;

// What every flow that needs a link says when none is up: "ZOVAX-Etherに接続して下さい"
// under "確認" with `icon`.
QString connectFirstText();
void tellConnectFirst(Prompts& prompts, MsgIcon icon);

// Which links a flow needs before it sends: any link (its commands go out on
// TCP, or on the serial port alone), or TCP (the replies it waits for come on
// TCP) together with the serial port while the serial port menu is shown.
enum class LinkNeed { Any, TcpAndShownSerial };

// The "connect first" guard of every flow: true when the links `need` names are
// up (`serialShown`: the serial port menu is visible); otherwise
// tellConnectFirst with `icon`, and false.
bool requireLink(const LinkState& st, LinkNeed need, bool serialShown, Prompts& prompts, MsgIcon icon);

// The serial side as the send routine sees it (the port itself lives elsewhere).
class SerialTransport {
public:
    virtual ~SerialTransport() = default;
    // Queries the port's error state; true when the port reports any error.
    virtual bool hasError() = 0;
    virtual void write(const QByteArray& frame) = 0;
};

// Handlers the dispatchers call; owned by the subsystems that register them.
// Unset handlers are skipped.
struct LinkHandlers {
    std::function<void(const QString&)> OnWaveLine;
    std::function<void(const QString&)> OnAverageLine;
    std::function<void(bool on)> SetLearnIndicator;
    std::function<void()> RearmLearning;
    std::function<void(const QString&)> HandleConfigLine;
    std::function<void(const QString&)> OnReadBackLine;
    // The board has confirmed the end of a table read-back ("KRV:off"); called
    // before the completion message is shown.
    std::function<void()> OnReadBackEnd;
    // A read-back request runs (true) or has ended (false): the decoder may
    // collect record lines and take them apart while the next request is out.
    std::function<void(bool)> CollectReadBackLines;
    // Replies the decoder dropped in the running read-back because they named
    // an entry whose wait had already run out.
    std::function<int()> ReadBackLateReplies;
    std::function<void(const QByteArray&)> HandleDownloadData;
    // State of the main window's controls that the serial dispatcher reads.
    std::function<bool()> learnIndicatorOn;     // pnlAnalyze lit
    std::function<bool()> cursorAutoChecked;    // ckCursor
    std::function<bool()> waveDataPanelVisible; // pnlWaveData visible
};

class DeviceLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kTcpReadChunk = 4095; // bytes taken from the socket at a time
    static constexpr int kTcpLogLimit = 1000;  // receive log cleared above this many lines
    static constexpr int kSerialLogLimit = 3000;

    DeviceLink(Settings& settings, ReceiveLog& log, QObject* parent = nullptr);
    ~DeviceLink() override;

    LinkState& state() { return state_; }
    const LinkState& state() const { return state_; }
    Settings& settings() { return settings_; }
    ReceiveLog& receiveLog() { return log_; }
    LinkHandlers handlers;

    // The TCP client socket; its readyRead is wired to the line assembly here.
    QTcpSocket* tcpSocket() const { return socket_; }
    // The open serial port, or nullptr. Not owned.
    void setSerialTransport(SerialTransport* t) { serial_ = t; }
    SerialTransport* serialTransport() const { return serial_; }

    // Frames and sends one command on every open link; clears replyAck.
    void SendLine(const QString& text);
    // The TCP half of SendLine alone; replyAck is not touched.
    void SendTcpOnly(const QString& text);
    // True as soon as replyAck is set; false once ms milliseconds have passed.
    // Processes events meanwhile (replies, timers, clicks). Never spins. Ends
    // early (false) when the link goes down or interruptWait() is called.
    bool WaitAck(int ms);
    // Processes events like WaitAck until `done` holds (true), the time is up,
    // the link goes down or interruptWait() is called (false).
    bool WaitUntil(const std::function<bool()>& done, int ms);
    // Ends the running WaitAck and WaitUntil calls at once (for Cancel buttons).
    void interruptWait();
    // Sets replyAck and ends a running WaitAck.
    void SetReplyAck();
    // Acknowledging replies so far (each one a SetReplyAck).
    quint64 ackCount() const { return ackCount_; }
    quint64 linesReceived() const { return linesReceived_; } // reply lines dispatched so far, either link

    // Receive side. Bytes from the TCP socket (line assembly + DispatchLine) and
    // from the serial port (serial assembly + DispatchSerialLine).
    void onTcpBytes(const QByteArray& bytes);
    void onSerialBytes(const QByteArray& bytes);
    void flushSerialLine(); // serial idle time-out
    void setSerialMode(SerialLineAssembler::Mode m) { serialAsm_.setMode(m); }
    void resetSerialAssembly() { serialAsm_.reset(); }
    void resetTcpAssembly() { tcpAsm_.reset(); }

    void DispatchLine(const QString& line);
    void DispatchSerialLine(const QString& line);

    // Serial replies routed like TCP replies: the link modes are consulted,
    // replyAck is set and the same handlers are called, so that table mode,
    // read-back, learning and network configuration can be paced over the
    // serial link. The receive log keeps the serial clearing threshold. Off by
    // default: serial replies are then only displayed and routed by their first
    // characters, and never acknowledge.
    void setSerialRoutedLikeTcp(bool on) { state_.serialRoutedLikeTcp = on; }
    bool serialRoutedLikeTcp() const { return state_.serialRoutedLikeTcp; }
    // A link is up whose replies acknowledge: TCP, or the serial port while its
    // replies are routed like TCP replies.
    bool acknowledgingLinkUp() const { return state_.acknowledgingLinkUp(); }

signals:
    // A line containing "Loader" came in on the main dispatcher: the board
    // runs its loader, not its firmware (an update did not finish).
    void boardInLoader();
    // Every frame written to TCP / serial, for traces and tests.
    void tcpFrameSent(const QByteArray& frame);
    void serialFrameSent(const QByteArray& frame);

private:
    void readTcp();
    void onAboutToBlock();
    void writeTcp(const QByteArray& frame);
    void drainLines();
    void appendLog(const QString& line, int clearAbove);
    // The TCP routing of one display line; ordinary lines clear the log above logLimit.
    void routeLine(const QString& line, int logLimit);

    Settings& settings_;
    ReceiveLog& log_;
    LinkState state_;
    QTcpSocket* socket_;
    SerialTransport* serial_ = nullptr;
    TcpLineAssembler tcpAsm_;
    QByteArray readBuffer_; // one socket read at a time, reused
    SerialLineAssembler serialAsm_;
    // Complete lines waiting for dispatch: (line, fromSerial). A handler may open
    // a modal box or wait; lines arriving meanwhile are taken from this queue by
    // the nested event loop, in order.
    std::deque<std::pair<QString, bool>> pending_;
    quint64 ackCount_ = 0; // acknowledgements so far
    quint64 linesReceived_ = 0;
    quint64 interruptCount_ = 0; // interruptWait() calls so far
    int dispatchDepth_ = 0;      // lines being dispatched (nested while a handler waits)
};

} // namespace zovax
