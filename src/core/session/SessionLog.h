#pragma once
// The receive log as session state: replies and diagnostic lines, newest last.
// Windows show it by following its signals; a headless caller reads lines().
#include "core/shell/Ports.h"

#include <QObject>
#include <QStringList>

namespace zovax {

class SessionLog : public QObject, public ReceiveLog {
    Q_OBJECT
public:
    // Lines kept for lines(); older ones are dropped (the count still grows).
    static constexpr int kKeptLines = 5000;

    explicit SessionLog(QObject* parent = nullptr) : QObject(parent) {}

    void append(const QString& line) override
    {
        count_ += 1 + int(line.count(QLatin1Char('\n'))); // as a text view counts its lines
        lines_.append(line);
        if (lines_.size() > kKeptLines)
            lines_.removeFirst();
        emit appended(line);
    }
    void clear() override
    {
        count_ = 0;
        lines_.clear();
        emit cleared();
    }
    // Text lines appended since the last clear.
    int lineCount() const override { return count_; }
    // The newest lines (at most kKeptLines) since the last clear.
    const QStringList& lines() const { return lines_; }

signals:
    void appended(const QString& line);
    void cleared();

private:
    QStringList lines_;
    int count_ = 0;
};

} // namespace zovax
