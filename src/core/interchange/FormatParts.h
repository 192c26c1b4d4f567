#pragma once
// What the format modules share: their read and write functions (listed in
// the registry) and the wording of reader messages.
#include "core/interchange/Interchange.h"
#include "core/shell/TextNumbers.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace zovax::fmt {

ReadResult readPronto(const QString& fileName, const QByteArray& bytes);
QByteArray writePronto(const std::vector<ExportRow>& rows);
ReadResult readSendir(const QString& fileName, const QByteArray& bytes);
QByteArray writeSendir(const std::vector<ExportRow>& rows);
ReadResult readFlipper(const QString& fileName, const QByteArray& bytes);
QByteArray writeFlipper(const std::vector<ExportRow>& rows);
ReadResult readLirc(const QString& fileName, const QByteArray& bytes);
QByteArray writeLirc(const std::vector<ExportRow>& rows);
ReadResult readMode2(const QString& fileName, const QByteArray& bytes);
ReadResult readTimingList(const QString& fileName, const QByteArray& bytes);
ReadResult readJson(const QString& fileName, const QByteArray& bytes);
QByteArray writeJson(const std::vector<ExportRow>& rows);

// "<file> 12 行目 (frequency): <what>"; the line part is left out when line is 0.
QString lineMessage(const QString& fileName, int line, const QString& field, const QString& what);
// "<file> 信号「Power」 (address): <what>"
QString signalMessage(const QString& fileName, const QString& signal, const QString& field, const QString& what);

// The pairs of a captured press as durations: mark, space, ...; a list that
// ends with a mark gets a closing space (the learner sees the release there).
std::vector<int> closedDurations(std::vector<int> d);

// The press as the board reports it held, as plain durations, without the
// closing space: what formats without a repeat marker store.
std::vector<int> heldDurations(const IrTiming& t);

// Carrier in Hz of a row's entry (0.1 kHz units).
inline int carrierHzOf(const TableEntry& e)
{
    return e.carrier * 100;
}

} // namespace zovax::fmt
