#include "sim/board/CommandFramer.h"

namespace zovax::sim {

QList<QByteArray> CommandFramer::feed(const QByteArray& bytes)
{
    QList<QByteArray> out;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == 0x0D || b == 0x0A || b == 0x03) {
            if (!discarding_ && !current_.isEmpty())
                out.append(current_);
            current_.clear();
            discarding_ = false;
            continue;
        }
        if (b == 0x02) { // header: a new command starts here
            current_.clear();
            discarding_ = false;
            continue;
        }
        if (b < 0x20 || b == 0x7F)
            continue;
        if (discarding_)
            continue;
        if (current_.size() >= kMaxCommand) {
            current_.clear();
            discarding_ = true;
            ++overlong_;
            continue;
        }
        current_.append(ch);
    }
    return out;
}

QList<QByteArray> CommandFramer::flush()
{
    QList<QByteArray> out;
    if (!discarding_ && !current_.isEmpty())
        out.append(current_);
    current_.clear();
    discarding_ = false;
    return out;
}

void CommandFramer::reset()
{
    current_.clear();
    discarding_ = false;
}

} // namespace zovax::sim
