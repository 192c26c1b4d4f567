#include "core/firmware/DownloadReceiver.h"

#include "core/shell/Cp932.h"

namespace zovax {

QStringList DownloadReceiver::feed(const QByteArray& bytes)
{
    // Escape sequences first. One that is cut off by the end of the block is
    // kept until its 6 characters have arrived, so it never leaks into a line.
    raw_ += bytes;
    qsizetype i = 0;
    while (i < raw_.size()) {
        if (raw_[i] == kEsc) {
            if (raw_.size() - i < kEscLength)
                break;
            i += kEscLength;
            continue;
        }
        text_ += raw_[i];
        ++i;
    }
    raw_.remove(0, i);

    QStringList lines;
    qsizetype pos = 0;
    for (;;) {
        if (lfMayFollow_ && pos < text_.size()) {
            // The CR that ended the previous line was the last byte of its block.
            if (text_[pos] == '\n')
                ++pos;
            lfMayFollow_ = false;
        }
        const qsizetype cr = text_.indexOf('\r', pos);
        if (cr < 0)
            break;
        lines << fromCp932(text_.mid(pos, cr - pos));
        pos = cr + 1;
        if (pos < text_.size() && text_[pos] == '\n')
            ++pos;
        else if (pos == text_.size())
            lfMayFollow_ = true;
    }
    text_.remove(0, pos);
    // A board that never ends its line must not make the buffer grow without bound.
    while (text_.size() >= kMaxLineBytes) {
        lines << fromCp932(text_.left(kMaxLineBytes));
        text_.remove(0, kMaxLineBytes);
    }
    return lines;
}

void DownloadReceiver::reset()
{
    raw_.clear();
    text_.clear();
    lfMayFollow_ = false;
}

} // namespace zovax
