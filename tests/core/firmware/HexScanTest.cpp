// Finding the last flash sector a firmware file occupies.
#include "core/firmware/HexScan.h"

#include <gtest/gtest.h>

using namespace zovax;

namespace {

struct ScanCase {
    const char* name;
    const char* content;
    unsigned upper, lower;
    int sector;
};

class HexScanCases : public ::testing::TestWithParam<ScanCase> {};

TEST_P(HexScanCases, FindsLastDataRecordAndSector)
{
    const ScanCase& c = GetParam();
    const HexExtent e = scanHexExtent(QByteArray(c.content));
    EXPECT_EQ(e.upper, c.upper);
    EXPECT_EQ(e.lower, c.lower);
    EXPECT_EQ(e.lastSector, c.sector);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HexScanCases,
    ::testing::Values(ScanCase{"LastRecordAt0801F000",
                               ":020000040800F2\r\n:10000000000102030405060708090A0B0C0D0E0F78\r\n"
                               ":020000040801F1\r\n:10F00000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n",
                               0x0801, 0xF000, 4},
                      ScanCase{"OnlyBelow0800C000", ":020000040800F2\n:10BFF000000102030405060708090A0B0C0D0E0F78\n",
                               0x0800, 0xBFF0, 2},
                      ScanCase{"NoType04Record", ":10F00000000102030405060708090A0B0C0D0E0F78\r:00000001FF\r", 0,
                               0xF000, 2},
                      ScanCase{"From80000000IsNegative",
                               ":020000048000FA\n:10000000000102030405060708090A0B0C0D0E0F78\n", 0x8000, 0x0000, 2},
                      ScanCase{"StopsAtFirstEndRecord",
                               ":020000040800F2\n:101C0000000102030405060708090A0B0C0D0E0F78\n"
                               ":00000001FF\n:020000040806EC\n:10000000000102030405060708090A0B0C0D0E0F78\n",
                               0x0800, 0x1C00, 2},
                      // The upper address of the last type 04 record counts, even with no data after it.
                      ScanCase{"LastUpperSeen",
                               ":020000040801F1\n:10F00000000102030405060708090A0B0C0D0E0F78\n"
                               ":020000040802F0\n",
                               0x0802, 0xF000, 5},
                      ScanCase{"FieldNotHexReadsZero", ":020000040801F1\n:10ZZ0000000102030405060708090A0B0C0D0E0F78\n",
                               0x0801, 0x0000, 4},
                      ScanCase{"CutOffFieldReadsZero", ":02000004080", 0, 0, 2}, ScanCase{"Empty", "", 0, 0, 2}),
    [](const ::testing::TestParamInfo<ScanCase>& i) { return std::string(i.param.name); });

TEST(HexScan, SectorBoundariesAsSignedAddress)
{
    const std::pair<uint32_t, int> table[]
        = {{0x00000000, 2}, {0x0800BFFF, 2}, {0x0800C000, 3}, {0x0800FFFF, 3}, {0x08010000, 4},
           {0x0801FFFF, 4}, {0x08020000, 5}, {0x0803FFFF, 5}, {0x08040000, 6}, {0x0805FFFF, 6},
           {0x08060000, 7}, {0x7FFFFFFF, 7}, {0x80000000, 2}, {0xFFFFFFFF, 2}};
    for (const auto& [address, sector] : table)
        EXPECT_EQ(sectorForAddress(address), sector) << std::hex << address;
}

} // namespace
