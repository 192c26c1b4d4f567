#pragma once
// The whole-file check a firmware HEX file passes before anything of an
// update goes to the board: a file the board's loader would reject half way
// through (after its flash has been erased) is refused up front.
//
// Rules, line by line (lines end in CR, LF or CR LF; empty lines are allowed
// anywhere and skipped):
// - a record is ":" followed by an even number of hexadecimal digits, at
//   least 5 bytes: byte count, address (2 bytes), type, data, checksum;
// - the byte count equals the number of data bytes;
// - the checksum makes the sum of all bytes 0 modulo 256;
// - the type is 00 (data), 01 (end of file), 02 (extended segment address),
//   04 (extended linear address) or 05 (start linear address), with the
//   lengths 01: 0, 02 and 04: 2, 05: 4 data bytes; a data record holds at
//   least one byte (a record ":00..." reads as the end of the file);
// - every data byte lies in the board's flash (kFlashFirst..kFlashLast);
// - the end-of-file record is present, and nothing but empty lines follow it.
#include "core/firmware/HexScan.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace zovax {

// The board's flash as the sector table covers it: sectors 0 to 7,
// 0x08000000 to the end of sector 7.
constexpr uint32_t kFlashFirst = 0x08000000u;
constexpr uint32_t kFlashLast = 0x0807FFFFu;

struct HexCheck {
    bool ok = false;
    int line = 0;        // 1-based line of the first fault (0 when ok)
    QString reason;      // why the file is refused (empty when ok)
    int records = 0;     // records up to and including the end-of-file record
    int dataRecords = 0; // type 00 records
    HexExtent extent;    // last sector, as the scan of the file's text finds it
};

// Checks a whole firmware file's content; pure, no I/O.
HexCheck checkHexImage(const QByteArray& content);

// One line for the window: "File check OK: <n> records" or
// "File check failed: line <n>: <reason>".
QString hexCheckText(const HexCheck& check);

} // namespace zovax
