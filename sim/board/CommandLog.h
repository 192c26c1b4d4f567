#pragma once
// A time-stamped record of every command the board received, kept in memory
// (for tests in the same process) and optionally appended to a file.
// Thread-safe: the simulator may run on its own thread while a test reads.
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

namespace zovax::sim {

struct LoggedCommand {
    QDateTime at;      // local time of reception
    qint64 elapsedMs;  // since the simulator started
    QString transport; // "tcp" or "serial"
    QString text;      // the command without framing
};

class CommandLog {
public:
    // Opens (appends to) a log file; false with a reason when it cannot be written.
    bool openFile(const QString& path, QString* error);
    void add(const LoggedCommand& c);
    QList<LoggedCommand> entries() const;
    QStringList texts() const;
    void clear();
    // One line of the file form: "2024-05-01T10:00:00.123 +12ms tcp Ver".
    static QString format(const LoggedCommand& c);

private:
    mutable QMutex mutex_;
    QList<LoggedCommand> entries_;
    QFile file_;
};

} // namespace zovax::sim
