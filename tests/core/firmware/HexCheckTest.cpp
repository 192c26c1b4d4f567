// The whole-file check of a firmware file: every fault is refused with its
// line and reason; good files in every line-end style pass.
#include "core/firmware/HexCheck.h"

#include <QList>
#include <gtest/gtest.h>

using namespace zovax;

namespace {

const QByteArray kUpper = ":020000040801F1";
const QByteArray kData = ":10F00000000102030405060708090A0B0C0D0E0F88";
const QByteArray kEnd = ":00000001FF";

QByteArray file(const QList<QByteArray>& lines, const QByteArray& eol = "\r\n")
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + eol;
    return out;
}

struct CheckCase {
    const char* name;
    QByteArray content;
    int line;           // 0: the file passes
    const char* reason; // start of the reason
};

class HexCheckCases : public ::testing::TestWithParam<CheckCase> {};

TEST_P(HexCheckCases, RefusesWithLineAndReason)
{
    const CheckCase& c = GetParam();
    const HexCheck r = checkHexImage(c.content);
    EXPECT_EQ(r.ok, c.line == 0) << r.reason.toStdString();
    EXPECT_EQ(r.line, c.line);
    if (c.line != 0) {
        EXPECT_TRUE(r.reason.startsWith(QLatin1String(c.reason))) << r.reason.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, HexCheckCases,
    ::testing::Values(
        CheckCase{"CrLf", file({kUpper, kData, kEnd}), 0, ""},
        CheckCase{"LfOnly", file({kUpper, kData, kEnd}, "\n"), 0, ""},
        CheckCase{"CrOnlyWithBlankLinesAndNoFinalEol", file({kUpper, "", kData}, "\r") + kEnd + "\r\r", 0, ""},
        CheckCase{"StartAddressRecord", file({kUpper, kData, ":04000005080080006F", kEnd}), 0, ""},
        CheckCase{"SegmentAddressOutsideFlash", file({":020000020800F4", ":020010000102EB", kEnd}), 2,
                  "address 0x00008010"},
        CheckCase{"ChangedByte", file({kUpper, QByteArray(kData).replace("0A0B", "0A0C"), kEnd}), 2, "checksum 88"},
        CheckCase{"LfOnlyBadChecksum", file({kUpper, kData.chopped(2) + "77", kEnd}, "\n"), 2, "checksum 77"},
        CheckCase{"MissingEndRecord", file({kUpper, kData}), 3, "no end-of-file record"},
        CheckCase{"RecordAfterEnd", file({kUpper, kData, kEnd, "", kData}), 5, "text after the end"},
        CheckCase{"ByteCountTooLarge", file({kUpper, ":11" + kData.mid(3), kEnd}), 2, "byte count 17"},
        CheckCase{"OddDigits", file({kUpper, kData + "0", kEnd}), 2, "odd number"},
        CheckCase{"NotHex", file({kUpper, QByteArray(kData).replace("0E0F", "0G0F"), kEnd}), 2, "not a hexadecimal"},
        CheckCase{"NoColon", file({"020000040801F1", kData, kEnd}), 1, "not a record"},
        CheckCase{"TrailingBlank", file({kUpper + " ", kData, kEnd}), 1, "not a hexadecimal"},
        CheckCase{"TooShort", file({":00000001", kEnd}), 1, "record too short"},
        CheckCase{"TypeThree", file({":0400000300000000F9", kData, kEnd}), 1, "record type 03"},
        CheckCase{"LinearAddressWrongLength", file({":03000004080100F0", kData, kEnd}), 1, "record type 04 needs 2"},
        CheckCase{"EndWithData", file({kUpper, kData, ":01000001AA54"}), 3, "record type 01 needs 0"},
        CheckCase{"EmptyDataRecord", file({kUpper, ":0000000000", kEnd}), 2, "data record without data"},
        CheckCase{"BelowFlash", file({":020000040700F3", kData, kEnd}), 2, "address 0x0700F000"},
        CheckCase{"PastFlashEnd", file({":020000040807EB", ":10FFF800000102030405060708090A0B0C0D0E0F81", kEnd}), 2,
                  "address 0x08080007"},
        CheckCase{"OnlyEndRecord", file({kEnd}), 1, "no data records"},
        CheckCase{"Empty", QByteArray(), 1, "no end-of-file record"}),
    [](const ::testing::TestParamInfo<CheckCase>& i) { return std::string(i.param.name); });

TEST(HexCheck, CountsRecordsAndFindsLastSector)
{
    const HexCheck r = checkHexImage(file({kUpper, kData, kData, kEnd}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.records, 4);
    EXPECT_EQ(r.dataRecords, 2);
    EXPECT_EQ(r.extent.lastSector, 4);
    EXPECT_EQ(hexCheckText(r), QStringLiteral("File check OK: 4 records"));
    EXPECT_EQ(hexCheckText(checkHexImage(file({kUpper, kData}))),
              QStringLiteral("File check failed: line 3: no end-of-file record"));
}

} // namespace
