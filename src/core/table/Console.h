#pragma once
// The command console: any command line typed by the user goes to the board,
// with a history of what was entered. Over TCP it also follows the board's own
// configuration dialogue: "C" starts it, "Save" ends it and makes the board's
// configured address the tool's target. A command the board leaves
// unanswered is listed as such.
#include <QObject>
#include <QString>
#include <QStringList>

namespace zovax {

class DeviceLink;
class Prompts;

class Console : public QObject {
    Q_OBJECT
public:
    Console(DeviceLink& link, Prompts& prompts);

    // Texts in the order they were first entered, each once.
    const QStringList& history() const { return history_; }
    // Appends a text not yet listed; returns whether it was appended.
    bool AddHistory(const QString& text);

    // Enter in the command line: a non-empty text enters the history and the
    // caller moves the focus to the send button; nothing is sent. Returns
    // whether the text was not empty.
    bool EnterPressed(const QString& text);

    // The send button. Over TCP: history, the configuration dialogue rules,
    // then SendLine. Over the serial link alone: history and SendLine. Not
    // connected: "ZOVAX-Etherに接続して下さい" and nothing is sent.
    void Send(const QString& text);

    // A command sent over TCP that no reply line follows within this many
    // milliseconds is listed in the receive log as "<command>: no answer".
    // Nothing waits for it: the console stays free.
    static constexpr int kAnswerWaitMs = 2000;
    int answerWaitMs = kAnswerWaitMs;

signals:
    // A text was appended to the history (the drop-down's list follows).
    void historyAdded(const QString& text);
    // "Save" made the board's address the target: the network dialog's host
    // and port edits and the main window's host panel show it.
    void targetAdopted(const QString& host, int port);

private:
    DeviceLink& link_;
    Prompts& prompts_;
    QStringList history_;
    QObject answerWatch_; // context of the pending answer checks; they end with the console
};

} // namespace zovax
