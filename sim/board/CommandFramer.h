#pragma once
// Cuts the bytes a client sends into commands. Accepts every framing the tool
// can send: an optional STX (0x02) header, then the text, ended by CR, LF,
// CR LF or ETX (0x03). Other control bytes are dropped. A command without a
// delimiter is completed by flush() (serial idle time-out).
#include <QByteArray>
#include <QList>

namespace zovax::sim {

class CommandFramer {
public:
    static constexpr int kMaxCommand = 8192; // bytes; longer input is discarded up to the next delimiter

    // Returns every command the bytes complete, in order (empty commands skipped).
    QList<QByteArray> feed(const QByteArray& bytes);
    // The pending partial command, if any, as a complete command.
    QList<QByteArray> flush();
    bool hasPending() const { return !current_.isEmpty(); }
    // Number of commands dropped because they were longer than kMaxCommand.
    int overlong() const { return overlong_; }
    void reset();

private:
    QByteArray current_;
    bool discarding_ = false;
    int overlong_ = 0;
};

} // namespace zovax::sim
