#pragma once
// The few things core logic needs from the user interface, as small
// interfaces: the application implements them with widgets, tests with fakes.
#include <QString>

namespace zovax {

enum class MsgIcon { None, Information, Warning, Error, Question, Exclamation };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Modal message boxes and questions.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual MsgAnswer ask(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons) = 0;
    void inform(const QString& caption, const QString& text, MsgIcon icon) { ask(caption, text, icon, MsgButtons::Ok); }
};

// The two system sounds. play() never blocks and never fails loudly.
enum class Sound { Chime, Chord };
class Sounds {
public:
    virtual ~Sounds() = default;
    virtual void play(Sound s) = 0;
};

// The main window's receive log: replies and diagnostic lines, newest last.
class ReceiveLog {
public:
    virtual ~ReceiveLog() = default;
    virtual void append(const QString& line) = 0;
    virtual void clear() = 0;
    virtual int lineCount() const = 0;
};

} // namespace zovax
