#pragma once
// Cuts the bytes the board sends during a firmware download into lines.
//
// The board's loader colours some of its texts with escape sequences: an ESC
// (27) and exactly 6 characters, which are removed. A line ends with CR; an LF
// directly after the CR belongs to the line end. Text after the last CR stays
// buffered for the next block.
#include <QByteArray>
#include <QStringList>

namespace zovax {

class DownloadReceiver {
public:
    static constexpr char kEsc = 27;
    static constexpr int kEscLength = 7;       // ESC and the 6 characters after it
    static constexpr int kMaxLineBytes = 4096; // a longer run without CR is taken as a line

    // Takes one received block; returns the lines it completes, in order.
    QStringList feed(const QByteArray& bytes);
    // Forgets everything buffered.
    void reset();

private:
    QByteArray raw_;           // an escape sequence still incomplete at the end of a block
    QByteArray text_;          // text without escape sequences, not yet ended by a CR
    bool lfMayFollow_ = false; // the last line ended with a CR at the end of the text
};

} // namespace zovax
