// An exported lircd.conf as the lirc package's own tools read it: irsimsend
// writes the pulses of every button and irsimreceive decodes them with the
// same file into the buttons' names.
#include "core/interchange/Interchange.h"
#include "core/interchange/ParsedCodes.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

QString run(const QString& program, const QStringList& args, const QString& dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(20000)) << program.toStdString();
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
}

TEST(LircTools, ExportedConfIsDecodedByTheLircSimulator)
{
    const QString send = QStandardPaths::findExecutable(QStringLiteral("irsimsend"));
    const QString receive = QStandardPaths::findExecutable(QStringLiteral("irsimreceive"));
    if (send.isEmpty() || receive.isEmpty())
        GTEST_SKIP() << "irsimsend / irsimreceive (package lirc) not installed";

    std::vector<ExportRow> rows;
    TimingLearner learner;
    for (const char* name : {"NEC", "SONY12", "KASEIKYO"}) {
        const irsig::Protocol* p = irsig::findProtocol(name);
        const LearnedRow l = learner.learn(timingOfCode(*p, p->exampleCode));
        ASSERT_TRUE(l.ok) << name;
        rows.push_back({int(rows.size()) + 1, l.cells, l.entry});
        rows.back().cells[2] = QStringLiteral("KEY_") + QLatin1String(name);
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString conf = dir.filePath(QStringLiteral("zovax.lircd.conf"));
    {
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(findFormat(QStringLiteral("lirc"))->write(rows));
    }
    // A leading silence, as a receiver sees before the first press.
    run(send, {QStringLiteral("-s"), QStringLiteral("200000"), conf}, dir.path());
    const QString pulses = dir.filePath(QStringLiteral("simsend.out"));
    ASSERT_TRUE(QFile::exists(pulses)) << "irsimsend wrote nothing";
    const QString decoded = run(receive, {conf, pulses}, dir.path());
    for (const ExportRow& r : rows)
        EXPECT_TRUE(decoded.contains(r.cells[2])) << r.cells[2].toStdString() << " not in:\n" << decoded.toStdString();
}

} // namespace
} // namespace zovax::test
