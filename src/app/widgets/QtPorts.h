#pragma once
// Widget-side implementations of the core's small interfaces: message boxes,
// system sounds and the receive log.
#include "core/shell/Ports.h"

#include <QString>
#include <QStringList>

class QWidget;
class QPlainTextEdit;

namespace zovax {

// Message boxes with QMessageBox, parented to a window.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* p) { parent_ = p; }
    MsgAnswer ask(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons) override;

private:
    QWidget* parent_;
};

// The two system sounds as short WAV files of our own, played by the desktop's
// sound player without waiting. Without a player or an audio device nothing is
// heard and nothing is reported.
class SystemSounds : public Sounds {
public:
    void play(Sound s) override;

private:
    QString fileFor(Sound s);
    QString player_;
    bool playerLooked_ = false;
};

// The receive log over a plain-text widget. Lines are counted, not blocks of an
// empty document.
//
// While buffered (during bulk exchanges with the board, when hundreds of lines
// arrive within a fraction of a second), appended lines are collected and added
// to the widget in one step by flush(): adding them one by one would cost more
// than the exchange itself. Line counts and clearing include the collected lines.
class MemoReceiveLog : public ReceiveLog {
public:
    explicit MemoReceiveLog(QPlainTextEdit* memo) : memo_(memo) {}
    void append(const QString& line) override;
    void clear() override;
    int lineCount() const override;

    // While buffered, lines are collected and shown by flush(). Switching off
    // shows them on the next turn of the event loop, together with the redraw
    // of the window, and lines appended until then follow in order.
    void setBuffered(bool on);
    bool buffered() const { return buffered_; }
    void flush();

private:
    QPlainTextEdit* memo_;
    bool buffered_ = false;
    bool releasePending_ = false; // switched off, the collected lines not shown yet
    QStringList pending_;
};

} // namespace zovax
