#pragma once
// Cutting received bytes into display lines.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zovax {

// TCP: a byte stream. A line that is not complete at the end of one read is kept
// and continued by the next, so replies split anywhere still arrive whole.
class TcpLineAssembler {
public:
    // Characters; a line this long is complete. A marker can take a line past it
    // by up to 4 characters; the next byte then completes the line.
    static constexpr int kMaxLine = 4096;

    // Appends bytes and returns every line they complete, in order.
    QStringList feed(const QByteArray& bytes);
    const QString& pending() const { return line_; }
    void reset() { line_.clear(); }

private:
    QString line_;
};

// Serial: raw bytes are collected and completed by the delimiter mode, the
// 8192-byte limit or the idle time-out, then rendered for display.
class SerialLineAssembler {
public:
    enum Mode { None = 0, Etx = 1, Cr = 2, Lf = 3, CrLf = 4 };
    static constexpr int kMaxRaw = 8192; // a raw line longer than this is complete

    static Mode modeFor(const QString& recvDlmt);

    explicit SerialLineAssembler(Mode mode = CrLf) : mode_(mode) {}
    void setMode(Mode m) { mode_ = m; }
    Mode mode() const { return mode_; }

    QStringList feed(const QByteArray& bytes);
    // Idle time-out: a non-empty raw line is complete.
    QStringList flush();
    bool hasPending() const { return !raw_.isEmpty(); }
    void reset() { raw_.clear(); } // drops a partial raw line

    // Control bytes and bytes of 0x80 and above become " %02Xh"-style codes;
    // see the .cpp for the exact rule.
    static QString render(const QByteArray& raw);

private:
    Mode mode_;
    QByteArray raw_;
};

} // namespace zovax
