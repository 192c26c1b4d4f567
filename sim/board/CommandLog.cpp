#include "sim/board/CommandLog.h"

#include <QMutexLocker>

namespace zovax::sim {

bool CommandLog::openFile(const QString& path, QString* error)
{
    QMutexLocker lock(&mutex_);
    file_.close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error)
            *error = file_.errorString();
        return false;
    }
    return true;
}

void CommandLog::add(const LoggedCommand& c)
{
    QMutexLocker lock(&mutex_);
    entries_.append(c);
    if (file_.isOpen()) {
        file_.write(format(c).toUtf8() + '\n');
        file_.flush();
    }
}

QList<LoggedCommand> CommandLog::entries() const
{
    QMutexLocker lock(&mutex_);
    return entries_;
}

QStringList CommandLog::texts() const
{
    QMutexLocker lock(&mutex_);
    QStringList out;
    out.reserve(entries_.size());
    for (const LoggedCommand& c : entries_)
        out.append(c.text);
    return out;
}

void CommandLog::clear()
{
    QMutexLocker lock(&mutex_);
    entries_.clear();
}

QString CommandLog::format(const LoggedCommand& c)
{
    return QStringLiteral("%1 +%2ms %3 %4")
        .arg(c.at.toString(Qt::ISODateWithMs))
        .arg(c.elapsedMs)
        .arg(c.transport, c.text);
}

} // namespace zovax::sim
