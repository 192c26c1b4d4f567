#pragma once
// The "Tw" record lines that carry one code-table entry to the board. Every
// sender of an entry (registration, the fire test, the wave editor's IR Out)
// builds its lines here; only the number of pattern pairs differs between them.
//
//   Twf:000                 first line of an entry (the flag is always sent as 0)
//   Twc:%03d                carrier, 0.1 kHz
//   Twb:%03d                data count
//   Twr:%03d                repeat
//   Twp:%01X:%05d,%06d      pattern pair: index, high us, width us
//   Twd:<digits>            one hex digit per data symbol, an odd count's last digit twice
//   Tws:%03d                store the assembled entry under that number
//   Twl:%03d                ask for the stored entry of that number
#include "core/table/TableEntry.h"

#include <QString>
#include <QStringList>

namespace zovax {

// The data count as the symbol array can hold it: 0..4096.
int boundedDataCount(const TableEntry& e);

// "Twf:000", "Twc:", "Twb:", "Twr:" of an entry. The data count is bounded as
// above so that "Twb:" and "Twd:" always agree.
QStringList entryHeadRecords(const TableEntry& e);

// One pattern pair line, index 0..15 as one upper-case hex digit.
QString twpRecord(int index, int32_t high, int32_t width);

// "Twd:" and the data digits: symbols 0..count-1 as one upper-case hex digit
// each (a symbol's low four bits), the last digit once more when the count is
// odd. A count of 0 gives "Twd:" alone.
QString twdRecord(const TableEntry& e);

// Pattern pairs registration sends: pairs 0, 1, ... up to and including the
// first pair whose high and width are both 0, at most all 16 (1..16).
int registrationPairCount(const TableEntry& e);

// The records of one entry for registration, without the store command:
// the head records, registrationPairCount() pairs and the data.
QStringList registrationRecords(const TableEntry& e);

QString twsRecord(int entryNumber); // "Tws:%03d"
QString twlRecord(int entryNumber); // "Twl:%03d"

} // namespace zovax
