#pragma once
// The board simulator as a QObject: a TCP server (one client at a time, like
// the board), an optional pseudo-terminal, a control interface for remote
// presses, the fault options and the command log.
//
// Everything is event-driven and never blocks, so a test may run it on the
// same thread as the tool (the tool's nested acknowledgement waits keep it
// served) or move it to its own QThread. The public functions may be called
// from any thread; they run on the simulator's thread.
//
//   zovax::sim::BoardSim sim;              // options as in BoardOptions
//   sim.listen(QHostAddress::LocalHost, 0);
//   connect the tool to 127.0.0.1:sim.serverPort() ...
//   sim.press("NEC", "20DF10EF");          // while the tool learns
//   sim.commandTexts();                    // what the tool sent
#include "core/irsig/Signals.h"
#include "sim/board/BoardEngine.h"
#include "sim/board/BoardOptions.h"
#include "sim/board/CommandLog.h"
#include "sim/board/Flash.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <random>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace zovax::sim {

class PtyPort;

// One item of the autoplay playlist: PROTOCOL[=HEXCODE][*REPEATS]. repeats is
// -1 for the protocol's default and -2 when the count is not a number.
struct AutoplayItem {
    QString protocol;
    QString code;
    int repeats = -1;
};
AutoplayItem parseAutoplayItem(const QString& item);

class BoardSim : public QObject {
    Q_OBJECT
public:
    explicit BoardSim(const BoardOptions& options = {}, QObject* parent = nullptr);
    ~BoardSim() override;

    const BoardOptions& options() const { return opt_; }
    // Problems found while loading the flash file (the simulator starts anyway).
    QStringList startupProblems() const { return startupProblems_; }

    // Starts the TCP server. Only loopback addresses are accepted. Port 0 picks
    // an ephemeral port; serverPort() tells which. False with errorString().
    bool listen(const QHostAddress& host = QHostAddress::LocalHost, quint16 port = 0);
    quint16 serverPort() const { return port_.load(); } // 0 while not listening (e.g. restarting)
    QHostAddress serverAddress() const;
    bool isRestarting() const { return restarting_.load(); }
    bool hasClient() const { return clientConnected_.load(); }
    QString errorString() const;

    // Opens the pseudo-terminal; returns its device path, empty on failure.
    QString openSerial();
    // The loopback control port (same commands as standard input).
    bool listenControl(quint16 port = 0);
    quint16 controlPort() const { return controlPort_.load(); }

    // A remote-control press at the receiver. code: hex bytes as in
    // irsig::parseCode (empty = the protocol's example code); repeats < 0 =
    // the protocol's default. Returns the control-channel answer, starting
    // with "ok:", "ignored:" or "error:".
    QString press(const QString& protocol, const QString& code = {}, int repeats = -1);
    QString pressPairs(const std::vector<irsig::Pair>& pairs, int carrierTenths);
    // One control command ("press ...", "play FILE", "status", "help", ...).
    QString control(const QString& line);
    static QString controlHelp();

    // Every command received, with time stamps.
    QList<LoggedCommand> commandLog() const { return log_.entries(); }
    QStringList commandTexts() const { return log_.texts(); }
    void clearCommandLog() { log_.clear(); }

    // Board state (read on the simulator's thread, or while it is idle).
    Flash& flash() { return flash_; }
    BoardEngine& engine() { return engine_; }
    Phase phase() const { return engine_.phase(); }
    bool analyzing() const { return engine_.analyzing(); }

signals:
    void commandReceived(const QString& text);
    void notice(const QString& text); // for the console: problems and state changes
    void quitRequested();             // "quit" on the control channel

private:
    struct Link;
    struct OutItem;

    bool listenOn(const QHostAddress& host, quint16 port);
    void onNewConnection();
    void acceptClient(QTcpSocket* s);
    void decideWaitingClients();
    void onControlConnection();
    void onBytes(Link& link, const QByteArray& bytes);
    void handleCommand(Link& link, const QByteArray& raw);
    void applyEffects(Link& link, const std::vector<Effect>& effects);
    void enqueueLine(Link& link, const QString& text, qint64 dueMs);
    void enqueueMarker(Link& link, int kind, int arg, qint64 dueMs);
    void pump(Link& link);
    void send(Link& link, const QByteArray& bytes);
    void splitPump(Link& link);
    void rawWrite(Link& link, const QByteArray& bytes);
    void closeLink(Link& link);
    void beginRestart(int ms);
    void finishRestart();
    void onArmed();
    void retire(std::unique_ptr<Link>& link);
    void buryRetired();
    std::unique_ptr<Link> makeLink(const QString& name);
    QString playTrain(const std::vector<irsig::Pair>& pairs, int carrierTenths, const QString& what);
    QString playFile(const QString& path);
    QString status() const;
    QByteArray strayBytes();
    void persist();
    qint64 nowMs() const { return clock_.elapsed(); }
    template <typename F> auto onOwnThread(F&& f) -> decltype(f());

    BoardOptions opt_;
    Flash flash_;
    BoardEngine engine_;
    CommandLog log_;
    QStringList startupProblems_;
    QString error_;
    QElapsedTimer clock_;
    std::mt19937 faultRng_;

    QTcpServer* server_ = nullptr;
    QTcpServer* controlServer_ = nullptr;
    std::unique_ptr<Link> tcp_;
    std::unique_ptr<Link> serial_;
    std::vector<std::unique_ptr<Link>> graveyard_; // closed links, deleted from the event loop
    QList<QTcpSocket*> waitingClients_;            // arrived while another client was still connected
    int busy_ = 0; // > 0 while a link is in use on the stack (signals emitted there may spin an event loop)
    PtyPort* pty_ = nullptr;
    QTimer* restartTimer_ = nullptr;
    QHostAddress lastAddress_;
    quint16 lastPort_ = 0;
    bool tcpEnabled_ = false;
    std::atomic<quint32> address_{0}; // IPv4 listened on
    std::atomic<quint16> port_{0};
    std::atomic<quint16> controlPort_{0};
    std::atomic<bool> restarting_{false};
    std::atomic<bool> clientConnected_{false};
    int lineCounter_ = 0;         // reply lines written, for the stray-byte fault
    int presses_ = 0;             // seeds successive presses differently
    int autoplayNext_ = 0;        // next playlist item
    int armGeneration_ = 0;       // only the latest "A" triggers an autoplay press
    qint64 trainBusyUntilMs_ = 0; // realtime: the current press is still being reported
};

} // namespace zovax::sim
