#pragma once
// Starts zovax-board-sim as a separate process for tests and demos and reads
// the port it listens on.
//
//   zovax::sim::SimProcess sim;                 // executable from $ZOVAX_SIM_BIN
//   ASSERT_TRUE(sim.start({"--restart-ms", "200"}));
//   connect to 127.0.0.1:sim.port() ...
//   sim.control("press NEC 20DF10EF");          // "ok: ..." / "ignored: ..." / "error: ..."
//
// start() and control() wait on the child's output (bounded by their time-outs)
// without running the caller's event loop.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace zovax::sim {

class SimProcess {
public:
    // An empty path takes $ZOVAX_SIM_BIN, else "zovax-board-sim" beside the running
    // program or in the build tree's sim/ folder.
    explicit SimProcess(const QString& executable = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator with "--port 0" (unless args name a port) and waits
    // for its "listening on" line (and "serial on" with --serial).
    bool start(const QStringList& args = {}, int timeoutMs = 10000);
    // Ends the simulator ("quit" on standard input, then kill after timeoutMs).
    void stop(int timeoutMs = 3000);
    bool isRunning() const;

    quint16 port() const { return port_; }
    QString serialPath() const { return serialPath_; }
    QString errorString() const { return error_; }
    // Everything the simulator wrote to standard error so far.
    QString stderrText();

    // Sends one control command and returns the answer: the first line that
    // starts with "ok:", "ignored:" or "error:", or, for listing commands,
    // the lines received until the output pauses.
    QString control(const QString& line, int timeoutMs = 3000);

    QProcess& process() { return proc_; }

private:
    bool readLine(QString& line, int timeoutMs);

    QString exe_;
    QProcess proc_;
    quint16 port_ = 0;
    QString serialPath_;
    QString error_;
    QByteArray stdout_;
    QByteArray stderr_;
};

} // namespace zovax::sim
