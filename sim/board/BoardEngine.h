#pragma once
// The board's command interpreter, independent of any transport: one command
// line in, the reply lines and link actions out. The owner (BoardSim) writes
// the lines, applies the fault options and carries out restarts.
//
// Replies never begin with a "Tw" tag or contain a configuration marker
// ("M:", "I:", ...) unless they are that record or that configuration line,
// because the tool acknowledges and parses lines by those texts.
#include "core/irsig/Signals.h"
#include "sim/board/BoardNetConfig.h"
#include "sim/board/BoardOptions.h"
#include "sim/board/Flash.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace zovax::sim {

struct Effect {
    enum class Kind {
        Line,       // write `text` + CR LF, `delayMs` after the previous item
        Restart,    // close the link, refuse connections for `delayMs`, then completeRestart()
        LearnArmed, // "A" was accepted (autoplay hook)
    };
    Kind kind = Kind::Line;
    QString text;
    int delayMs = 0;
};

enum class Phase { Firmware, Loader };

// One learned train as the board reports it.
struct Train {
    QStringList lines;      // wave lines then the "Ave." line
    std::vector<int> dueUs; // per line: time since the press began at which a real receiver sends it
};

class BoardEngine {
public:
    static constexpr int kMaxReportedPairs = 4096; // wave line indices 0..4095

    BoardEngine(Flash& flash, const BoardOptions& options);

    // Handles one command (framing already removed).
    std::vector<Effect> handle(const QString& command);

    // Builds the report of a press; nullopt-like empty Train when the board is
    // not analysing (the caller reports the press as ignored).
    bool analyzing() const { return analyzing_; }
    int learnTimeMs() const { return learnTimeMs_; }
    Train train(const std::vector<irsig::Pair>& pairs, int carrierTenths) const;
    // The closing silence that makes the learner see the end of a press (us).
    int closingSilenceUs() const;

    Phase phase() const { return phase_; }
    bool tableMode() const { return krv_; }
    bool consoleConfig() const { return consoleConfig_; }
    const NetConfig& config() const { return config_; }
    // Address and port to listen on now (loader: the ones of the download request).
    QHostAddress listenAddress() const;
    int listenPort() const;
    // Records the address actually listened on (an ephemeral port resolved).
    void setListening(const Ipv4& ip, int port);
    // Called by the owner when the restart time has passed.
    void completeRestart();
    // Restart into the firmware after a failed relisten in the loader, etc.
    void forcePhase(Phase p) { phase_ = p; }

    // Takes the running configuration from the flash (after loading it).
    void reloadConfig() { config_ = flash_.savedConfig(); }
    // Called after every change of the flash (store, erase, saved config, firmware).
    std::function<void()> onFlashChanged;

    QString versionLine() const;

private:
    std::vector<Effect> handleFirmware(const QString& c);
    std::vector<Effect> handleConsole(const QString& c);
    std::vector<Effect> handleLoader(const QString& c);
    std::vector<Effect> handleRecord(const QString& c);
    std::vector<Effect> handleSetter(const QString& c);
    std::vector<Effect> handleHexRecord(const QString& c);
    std::vector<Effect> fire(const QString& arg);
    std::vector<Effect> readEntry(const QString& arg);
    std::vector<Effect> storeEntry(const QString& arg);
    std::vector<Effect> restart(Phase next, const QString& line);
    // Applies "X:value" (X one of the configuration markers) to the running
    // configuration; returns the reply lines.
    QStringList applyConfigValue(QChar marker, const QString& value);
    QString guessFormat() const;
    void changed();

    Flash& flash_;
    const BoardOptions& opt_;
    NetConfig config_; // running configuration (saved one lives in the flash)

    Phase phase_ = Phase::Firmware;
    Phase nextPhase_ = Phase::Firmware;
    bool analyzing_ = false;
    int learnTimeMs_ = 500;
    bool krv_ = false;
    bool consoleConfig_ = false;
    QString outputs_ = QStringLiteral("1111"); // "Tp:" selection, IR1..IR4

    // Entry being assembled from "Tw" records.
    struct Pending {
        bool started = false; // "Twf:" seen
        bool bad = false;     // a record was rejected since
        bool carrier = false, count = false, repeat = false, data = false;
        int pairs = 0; // "Twp:" records seen
        StoredEntry e;
    } pending_;

    // Firmware download.
    bool downloadRequested_ = false;
    Ipv4 loaderIp_{127, 0, 0, 1};
    int loaderPort_ = 60000;
    struct Loader {
        int erasedSector = -1; // last sector erased, -1 = none
        bool ready = false;    // "Download Ready ?" answered
        bool complete = false; // end-of-file record seen
        bool failed = false;   // a record was rejected
        int records = 0;       // records received
        int dataRecords = 0;
        qint64 bytes = 0;
        quint32 base = 0; // upper address from type 02/04 records
    } loader_;
};

} // namespace zovax::sim
