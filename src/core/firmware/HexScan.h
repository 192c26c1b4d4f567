#pragma once
// The firmware file's extent in the board's flash: where its last data record
// starts, and so the last flash sector the board's loader has to erase before
// the file can be programmed.
//
// The records are taken as text (":" count, 4-digit address, 2-digit type,
// data, checksum); checksums are not checked, the records are not converted.
#include <QByteArray>
#include <QString>

#include <cstdint>

namespace zovax {

struct HexExtent {
    uint16_t upper = 0; // upper 16 address bits of the last type 04 record seen
    uint16_t lower = 0; // address field of the last data record seen
    int lastSector = 0; // 2..7 for a file that was read; 0 when it could not be read

    // Start address of the last data record.
    uint32_t lastAddress() const { return (uint32_t(upper) << 16) | lower; }
};

// Flash sector in which `lastAddress` lies, the address taken as a signed
// 32-bit number: below 0x0800C000 (and every address of 0x80000000 or more,
// which is negative) -> 2; up to 0x0800FFFF -> 3; up to 0x0801FFFF -> 4;
// up to 0x0803FFFF -> 5; up to 0x0805FFFF -> 6; above -> 7.
int sectorForAddress(uint32_t lastAddress);

// Scans the file's text for the last data record. The scan visits every ":";
// it stops at the first ":" followed by "00" (the end-of-file record: what
// follows it is ignored). Type 04 records set the upper address, type 00
// records the lower one; a field that is cut off or not hexadecimal reads 0.
HexExtent scanHexExtent(const QByteArray& content);

// "LastAdrs[0x%04X:%04X] EraseSector:%d".
QString extentText(const HexExtent& e);

// Outcome of reading a firmware file: its extent, or the message that says why
// it could not be used ("Can't open ... " and the path).
struct HexFileScan {
    bool ok = false;
    HexExtent extent;
    QString message; // the status text: extentText() or the reason for failure
};

// Largest firmware file taken (the board's flash holds far less; the bound
// keeps a wrong file from being read whole into memory).
constexpr qint64 kMaxHexFileBytes = 64 * 1024 * 1024;

// Reads the whole file at `path` (at most kMaxHexFileBytes) into `content`.
// On failure returns false and sets `message`.
bool readHexFile(const QString& path, QByteArray& content, QString& message);

// Reads and scans the file; an unreadable file gives ok = false, sector 0.
HexFileScan scanHexFile(const QString& path);

} // namespace zovax
