#pragma once
// One code-table entry in the form the board stores it.
#include <array>
#include <cstdint>

namespace zovax {

constexpr int kTableRows = 999;    // data rows 1..999
constexpr int kPatternPairs = 16;  // pattern pairs per entry
constexpr int kDataSymbols = 4096; // data symbols per entry

struct TableEntry {
    int32_t flag = 0;                           // 0 normal; 999 = the board answered "Error" for this row on read-back
    int32_t carrier = 0;                        // carrier frequency, 0.1 kHz units (380 = 38.0 kHz)
    int32_t dataCount = 0;                      // data symbols in use
    int32_t repeat = 0;                         // index where the repeating part of the signal begins
    std::array<int32_t, kPatternPairs> high{};  // mark time of pattern pair i, us
    std::array<int32_t, kPatternPairs> width{}; // mark + following space of pattern pair i, us
    std::array<uint8_t, kDataSymbols> data{};   // pattern pair index (0..15) of each pulse

    bool operator==(const TableEntry& o) const
    {
        return flag == o.flag && carrier == o.carrier && dataCount == o.dataCount && repeat == o.repeat
            && high == o.high && width == o.width && data == o.data;
    }
    bool operator!=(const TableEntry& o) const { return !(*this == o); }
};

} // namespace zovax
