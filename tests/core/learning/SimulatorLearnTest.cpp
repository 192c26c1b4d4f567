// End to end: the board simulator plays remote-control presses after each
// "Analyze Mode"; learning with Cursor Auto fills row after row.
#include "LearnTestRig.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

// The simulator as a child process on an ephemeral loopback port.
class Simulator {
public:
    ~Simulator()
    {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.write("quit\n");
            if (!proc_.waitForFinished(3000))
                proc_.kill();
            proc_.waitForFinished(3000);
        }
    }

    static QString executable()
    {
        QString exe = qEnvironmentVariable("ZOVAX_SIM_BIN");
        if (exe.isEmpty())
            exe = QDir(QCoreApplication::applicationDirPath()).filePath("../sim/zovax-board-sim");
        return QFileInfo(exe).isExecutable() ? exe : QString();
    }

    // Starts it and returns its port (0 on failure).
    quint16 start(const QStringList& args)
    {
        proc_.start(executable(), QStringList{"--host", "127.0.0.1", "--port", "0"} + args);
        if (!proc_.waitForStarted(5000))
            return 0;
        QByteArray out;
        for (int i = 0; i < 100; ++i) {
            proc_.waitForReadyRead(100);
            out += proc_.readAllStandardOutput();
            const QList<QByteArray> lines = out.split('\n');
            for (qsizetype l = 0; l + 1 < lines.size(); ++l) { // complete lines only
                if (lines[l].startsWith("listening on "))
                    return quint16(lines[l].mid(lines[l].lastIndexOf(':') + 1).trimmed().toUInt());
            }
        }
        return 0;
    }

private:
    QProcess proc_;
};

class SimulatorLearn : public ::testing::TestWithParam<bool> {};

// With "学習確認" on, the (fake) message box is closed at once, before the rest
// of the train and the result line have been handled.
TEST_P(SimulatorLearn, PressesFillRowsChannelAfterChannel)
{
    const bool messageBox = GetParam();
    if (Simulator::executable().isEmpty())
        GTEST_SKIP() << "zovax-board-sim not built (set ZOVAX_SIM_BIN)";
    Simulator sim;
    const quint16 port = sim.start({"--autoplay", "NEC=20DF10EF,SONY12=1501,NECF=00FF10EF,MITSUBISHI=2347,NEC=20DF11EE",
                                    "--autoplay-delay-ms", "20"});
    ASSERT_NE(port, 0);
    LearnRig rig(port);
    ASSERT_TRUE(waitUntil([&] { return rig.link.tcpSocket()->state() == QAbstractSocket::ConnectedState; }));
    rig.view.learningMsgOn = messageBox;
    rig.learner().ToggleLearning(); // "A", "Lend:0500"; the board answers "Analyze Mode" and plays

    const char* expected[] = {"Tm:NEC-32R    d:20DF 10EF", "Tm:SONY12     d:0115", "Tm:KANON-ALL  d:00FF 10EF",
                              "Tm:MITU16     d:2347", "Tm:NEC-32R    d:20DF 11EE"};
    const bool filled = waitUntil([&] { return !rig.resultCell(5).isEmpty(); }, 20000);
    EXPECT_TRUE(filled) << rig.log.lines.join('\n').toStdString();
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(rig.resultCell(r), QString::fromLatin1(expected[r - 1])) << r;
    // Channels 0, 1, 2, 3, then 0 again.
    const int rows[] = {5, 2, 3, 4};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(rig.store().channels[size_t(c)].channelRow, rows[c]) << c;
    EXPECT_EQ(rig.table.cell(kColCarry, 2), "40.0kHz");
    EXPECT_EQ(rig.table.cell(kColCarry, 1), "38.0kHz");
    EXPECT_EQ(rig.log.lines.count("Learning Completed !"), messageBox ? 0 : 5);
    EXPECT_EQ(rig.view.boxes.size(), messageBox ? 5u : 0u);
    EXPECT_TRUE(rig.view.indicatorLit);
    EXPECT_EQ(rig.view.row, 6);
}

INSTANTIATE_TEST_SUITE_P(LearnMessage, SimulatorLearn, ::testing::Bool());

} // namespace
} // namespace zovax::test
