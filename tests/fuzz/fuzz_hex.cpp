// Firmware HEX files through the whole-file check that guards an update and
// the extent scan that picks the last sector to erase.
#include "FuzzSupport.h"

#include "core/firmware/HexCheck.h"
#include "core/firmware/HexScan.h"

using namespace zovax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const HexExtent e = scanHexExtent(bytes);
    fuzz::require(e.lastSector >= 2 && e.lastSector <= 7);
    fuzz::require(e.lastSector == sectorForAddress(e.lastAddress()));
    (void)extentText(e);

    const HexCheck c = checkHexImage(bytes);
    // Refused with a line and a reason, or accepted with neither.
    fuzz::require(c.ok == (c.line == 0) && c.ok == c.reason.isEmpty());
    fuzz::require(c.dataRecords <= c.records);
    if (c.ok) {
        fuzz::require(c.records >= 1); // at least the end-of-file record
        fuzz::require(c.extent.lastSector == e.lastSector);
    }
    (void)hexCheckText(c);
    return 0;
}
