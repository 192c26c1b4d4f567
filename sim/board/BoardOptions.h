#pragma once
// Every option of the board simulator, shared by the executable's command line
// and the in-process API. Times are milliseconds unless the name says otherwise.
#include <QString>
#include <QStringList>

#include <cstdint>

namespace zovax::sim {

struct BoardOptions {
    // Persistence and logging
    QString flashFile; // code table + network configuration; empty = memory only
    QString logFile;   // command log file (appended); empty = memory only

    // Learning
    QStringList autoplay; // presses played automatically after each "Analyze Mode": "NEC=20DF10EF", "SONY12"
    int autoplayDelayMs = 300;
    bool realtime = false;       // pace wave lines like a real receiver instead of all at once
    bool fourDigitIndex = false; // always use the 4-digit wave line layout
    uint32_t noiseSeed = 1;      // seed of the first press; each press uses the next seed
    int jitterPercent = 3;
    int markBiasUs = 40;

    // Timings of the board
    int restartMs = 1500;  // link closed and connections refused for this long after a reset
    int eraseMs = 20;      // per flash sector
    int serialIdleMs = 50; // a serial command without delimiter ends after this much silence

    // Fault injection
    bool noAck = false;         // never answer anything
    int delayMs = 0;            // delay every reply line by this much
    bool splitSegments = false; // write replies in small pieces cut at random byte positions
    int splitMaxBytes = 12;     // longest of those pieces (1: every byte written on its own)
    int noiseEvery = 0;         // before every Nth reply line: stray bytes (firmware) or an ESC sequence (loader)
    int dropAfter = 0;          // close the link after N commands on a connection (0 = never)
    int muteAfter = 0;          // answer nothing after N commands on a connection, which still act (0 = never)
    bool eraseNever = false;    // flash erases never complete (no reply)
    int downloadErrorAt = 0;    // answer the Nth HEX record of a download with an error (0 = never)
    uint32_t faultSeed = 7;     // seed of the random cut positions and stray bytes
};

} // namespace zovax::sim
