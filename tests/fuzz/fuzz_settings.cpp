// The settings file. Property: the settings read from any file, written and
// read again, are the same settings (the file written is a fixed point).
#include "FuzzSupport.h"

using namespace zovax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray once = settingsFileBytes(settingsFromBytes(bytes));
    fuzz::require(settingsFileBytes(settingsFromBytes(once)) == once);
    return 0;
}
