#include "sim/board/SimProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

namespace zovax::sim {

SimProcess::SimProcess(const QString& executable) : exe_(executable)
{
    if (exe_.isEmpty())
        exe_ = qEnvironmentVariable("ZOVAX_SIM_BIN");
    if (exe_.isEmpty()) {
        // Beside the running program, or in the build tree's sim/ folder beside its own.
        const QDir here(QCoreApplication::applicationDirPath());
        exe_ = here.filePath(QStringLiteral("zovax-board-sim"));
        const QString inBuildTree = here.filePath(QStringLiteral("../sim/zovax-board-sim"));
        if (!QFileInfo(exe_).isExecutable() && QFileInfo(inBuildTree).isExecutable())
            exe_ = QFileInfo(inBuildTree).canonicalFilePath();
    }
}

SimProcess::~SimProcess()
{
    stop();
}

bool SimProcess::isRunning() const
{
    return proc_.state() != QProcess::NotRunning;
}

bool SimProcess::start(const QStringList& args, int timeoutMs)
{
    if (!QFileInfo(exe_).isExecutable()) {
        error_ = QStringLiteral("simulator not found: %1 (set ZOVAX_SIM_BIN)").arg(exe_);
        return false;
    }
    QStringList all = args;
    if (!all.contains(QStringLiteral("--port")))
        all << QStringLiteral("--port") << QStringLiteral("0");
    const bool wantSerial = all.contains(QStringLiteral("--serial"));
    proc_.start(exe_, all);
    if (!proc_.waitForStarted(timeoutMs)) {
        error_ = proc_.errorString();
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (port_ == 0 || (wantSerial && serialPath_.isEmpty())) {
        QString line;
        if (!readLine(line, static_cast<int>(deadline.remainingTime()))) {
            error_ = QStringLiteral("the simulator did not report its port: %1").arg(stderrText());
            stop();
            return false;
        }
        if (line.startsWith(QLatin1String("listening on "))) {
            port_ = static_cast<quint16>(line.section(QLatin1Char(':'), -1).toUInt());
        } else if (line.startsWith(QLatin1String("serial on "))) {
            serialPath_ = line.mid(10);
        }
    }
    return true;
}

void SimProcess::stop(int timeoutMs)
{
    if (proc_.state() == QProcess::NotRunning)
        return;
    proc_.write("quit\n");
    if (!proc_.waitForFinished(timeoutMs)) {
        proc_.kill();
        proc_.waitForFinished(timeoutMs);
    }
    port_ = 0;
}

QString SimProcess::stderrText()
{
    stderr_ += proc_.readAllStandardError();
    return QString::fromLocal8Bit(stderr_);
}

bool SimProcess::readLine(QString& line, int timeoutMs)
{
    QDeadlineTimer deadline(std::max(0, timeoutMs));
    for (;;) {
        stdout_ += proc_.readAllStandardOutput();
        const int nl = stdout_.indexOf('\n');
        if (nl >= 0) {
            line = QString::fromLocal8Bit(stdout_.left(nl)).trimmed();
            stdout_.remove(0, nl + 1);
            return true;
        }
        if (deadline.hasExpired() || proc_.state() == QProcess::NotRunning)
            return false;
        proc_.waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 50)));
    }
}

QString SimProcess::control(const QString& line, int timeoutMs)
{
    if (!isRunning())
        return QStringLiteral("error: the simulator is not running");
    proc_.write(line.toLocal8Bit() + '\n');
    QStringList lines;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QString l;
        // After the first line, a pause of 200 ms ends a multi-line listing.
        if (!readLine(l, lines.isEmpty() ? static_cast<int>(deadline.remainingTime()) : 200))
            break;
        if (lines.isEmpty()
            && (l.startsWith(QLatin1String("ok:")) || l.startsWith(QLatin1String("ignored:"))
                || l.startsWith(QLatin1String("error:"))))
            return l;
        lines << l;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace zovax::sim
