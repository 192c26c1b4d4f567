#include "sim/board/PtyPort.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace zovax::sim {

PtyPort::PtyPort(QObject* parent) : QObject(parent)
{}

PtyPort::~PtyPort()
{
    close();
}

bool PtyPort::open()
{
    close();
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        master_ = slave_ = -1;
        return false;
    }
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(slave_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    path_ = QString::fromLocal8Bit(name);
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtyPort::onReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PtyPort::onWritable);
    return true;
}

void PtyPort::close()
{
    delete readNotifier_;
    readNotifier_ = nullptr;
    delete writeNotifier_;
    writeNotifier_ = nullptr;
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
    out_.clear();
}

void PtyPort::write(const QByteArray& bytes)
{
    if (master_ < 0 || bytes.isEmpty())
        return;
    out_ += bytes;
    // Nobody reading: a real line loses what no one receives; keep the newest 1 MiB.
    constexpr qsizetype kMaxQueued = 1 << 20;
    if (out_.size() > kMaxQueued)
        out_.remove(0, out_.size() - kMaxQueued);
    onWritable();
}

void PtyPort::onWritable()
{
    while (!out_.isEmpty()) {
        const ssize_t n = ::write(master_, out_.constData(), static_cast<size_t>(out_.size()));
        if (n > 0) {
            out_.remove(0, static_cast<qsizetype>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: the terminal buffer is full; wait for the notifier
    }
    if (writeNotifier_)
        writeNotifier_->setEnabled(!out_.isEmpty());
}

void PtyPort::onReadable()
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            emit bytesReceived(QByteArray(buf, static_cast<qsizetype>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN (nothing more) or EIO
    }
}

} // namespace zovax::sim
