#pragma once
// The board's non-volatile memory: the code table (entries 1..999, sector 7),
// the saved network configuration and a note of the installed firmware image.
// Optionally kept in a text file so that it survives restarts of the simulator.
#include "sim/board/BoardNetConfig.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

namespace zovax::sim {

// One stored code-table entry, as assembled from the "Tw" records.
struct StoredEntry {
    static constexpr int kPairs = 16;
    static constexpr int kMaxData = 4096; // data symbols

    bool used = false;
    int carrier = 0;   // 0.1 kHz
    int dataCount = 0; // data symbols
    int repeat = 0;
    std::array<int, kPairs> high{};  // us
    std::array<int, kPairs> width{}; // us
    QByteArray digits;               // upper-case hex digits, one per symbol, padded to an even count

    // Pattern pairs as the board reports them: 0 up to and including the
    // first all-zero pair, at most 16.
    int reportedPairs() const;
};

struct FirmwareInfo {
    QString version = QStringLiteral("Ver.2.10");
    int records = 0;     // data records of the last image installed by the loader
    qint64 bytes = 0;    // data bytes of that image
    QString installedAt; // ISO date-time, empty = factory image
};

class Flash {
public:
    static constexpr int kEntries = 999;

    // Entry numbers are 1..kEntries; anything else gives nullptr.
    StoredEntry* entry(int number);
    const StoredEntry* entry(int number) const;
    void eraseTable(); // sector 7
    int usedEntries() const;

    NetConfig& savedConfig() { return net_; }
    const NetConfig& savedConfig() const { return net_; }
    FirmwareInfo& firmware() { return firmware_; }
    const FirmwareInfo& firmware() const { return firmware_; }

    // Persistence. The file is text; see Flash.cpp for its layout. load()
    // keeps every valid record and reports each bad line in `problems`; a
    // missing file is not an error (the flash starts blank). save() replaces
    // the file atomically.
    bool load(const QString& path, QStringList* problems);
    bool save(const QString& path, QString* error) const;

private:
    std::array<StoredEntry, kEntries> entries_{};
    NetConfig net_;
    FirmwareInfo firmware_;
};

} // namespace zovax::sim
