// Firmware HEX files through the extent scan that picks the last sector to erase.
#include "FuzzSupport.h"

#include "core/firmware/HexScan.h"

using namespace zovax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const HexExtent e = scanHexExtent(bytes);
    fuzz::require(e.lastSector >= 2 && e.lastSector <= 7);
    fuzz::require(e.lastSector == sectorForAddress(e.lastAddress()));
    (void)extentText(e);
    return 0;
}
