// The "Tw" records of one entry as registration sends them: the pair rule
// (up to and including the first all-zero pair, at most sixteen), the data
// digits with the odd-count doubling, and the bounds on count and symbols.
#include "core/table/TwRecords.h"
#include "sim/QtPrinters.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace zovax;

namespace {

TableEntry entry(std::vector<std::pair<int, int>> pairs, std::vector<int> data, std::optional<int> count = {})
{
    TableEntry e;
    e.flag = 999;
    e.carrier = 380;
    e.repeat = 3;
    for (size_t i = 0; i < pairs.size(); ++i) {
        e.high[i] = pairs[i].first;
        e.width[i] = pairs[i].second;
    }
    for (size_t k = 0; k < data.size(); ++k)
        e.data[k] = uint8_t(data[k]);
    e.dataCount = count ? *count : int(data.size());
    return e;
}

TEST(TwRecords, AWholeEntryInSendingOrder)
{
    const TableEntry e = entry({{9000, 13500}, {560, 1120}, {560, 2250}}, {0, 1, 2, 1, 1});
    EXPECT_EQ(registrationRecords(e),
              QStringList({"Twf:000", "Twc:380", "Twb:005", "Twr:003", "Twp:0:09000,013500", "Twp:1:00560,001120",
                           "Twp:2:00560,002250", "Twp:3:00000,000000", "Twd:012111"}));
    EXPECT_EQ(twsRecord(7), "Tws:007");
    EXPECT_EQ(twlRecord(250), "Twl:250");
}

struct PairCase {
    const char* name;
    std::vector<std::pair<int, int>> pairs;
    int expected;
};

class RegistrationPairs : public ::testing::TestWithParam<PairCase> {};

TEST_P(RegistrationPairs, UpToTheFirstAllZeroPairAtMostSixteen)
{
    const TableEntry e = entry(GetParam().pairs, {});
    EXPECT_EQ(registrationPairCount(e), GetParam().expected);
    const QStringList twp = registrationRecords(e).filter(QRegularExpression("^Twp:"));
    ASSERT_EQ(twp.size(), GetParam().expected);
    for (int i = 0; i < twp.size(); ++i)
        EXPECT_TRUE(twp[i].startsWith(QString::asprintf("Twp:%X:", i))) << twp[i].toStdString();
}

std::vector<std::pair<int, int>> sixteenPairs()
{
    std::vector<std::pair<int, int>> p;
    p.reserve(16);
    for (int i = 0; i < 16; ++i)
        p.emplace_back(500 + i, 1000 + i);
    return p;
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistrationPairs,
                         ::testing::Values(PairCase{"firstPairZero", {}, 1},
                                           PairCase{"twoThenZero", {{9000, 13500}, {560, 1120}}, 3},
                                           // A pair with only one time zero does not end the list.
                                           PairCase{"highZeroWidthNot", {{0, 5000}, {560, 1120}}, 3},
                                           PairCase{"widthZeroHighNot", {{560, 0}, {560, 1120}}, 3},
                                           PairCase{"sixteen", sixteenPairs(), 16}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TwRecords, FirstPairAllZeroSendsOnlyThatPair)
{
    const QStringList twp = registrationRecords(entry({}, {0, 0})).filter(QRegularExpression("^Twp:"));
    EXPECT_EQ(twp, QStringList({"Twp:0:00000,000000"}));
}

struct DataCase {
    const char* name;
    std::vector<int> data;
    int count;
    const char* twb;
    const char* twd;
};

class DataDigits : public ::testing::TestWithParam<DataCase> {};

TEST_P(DataDigits, CountAndDigitsAgree)
{
    const DataCase& c = GetParam();
    const TableEntry e = entry({{560, 1120}}, c.data, c.count);
    const QStringList r = registrationRecords(e);
    EXPECT_EQ(r.at(2), c.twb);
    EXPECT_EQ(r.back(), c.twd);
}

INSTANTIATE_TEST_SUITE_P(Cases, DataDigits,
                         ::testing::Values(DataCase{"oddFive", {0, 1, 1, 0, 2}, 5, "Twb:005", "Twd:011022"},
                                           DataCase{"oddOne", {0xA}, 1, "Twb:001", "Twd:AA"},
                                           DataCase{"even", {0xF, 0xE, 3, 4}, 4, "Twb:004", "Twd:FE34"},
                                           DataCase{"zero", {}, 0, "Twb:000", "Twd:"},
                                           // A symbol is one hexadecimal digit: its low four bits.
                                           DataCase{"maskedSymbols", {0x1F, 0xA3}, 2, "Twb:002", "Twd:F3"},
                                           DataCase{"negativeCount", {1, 2}, -7, "Twb:000", "Twd:"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TwRecords, DataCountBoundedToTheSymbolArray)
{
    TableEntry e = entry({{560, 1120}}, {});
    for (int k = 0; k < kDataSymbols; ++k)
        e.data[size_t(k)] = uint8_t(k % 16);
    for (int count : {kDataSymbols, kDataSymbols + 1, 100000}) {
        e.dataCount = count;
        const QStringList r = registrationRecords(e);
        EXPECT_EQ(r.at(2), "Twb:4096");
        EXPECT_EQ(r.back().size(), 4 + kDataSymbols);
        EXPECT_TRUE(r.back().endsWith("EF"));
    }
    e.dataCount = kDataSymbols - 1; // odd: the last digit doubled, still within the line
    EXPECT_TRUE(registrationRecords(e).back().endsWith("DEE"));
}

TEST(TwRecords, FlagIsAlwaysSentAsZero)
{
    TableEntry e = entry({{560, 1120}}, {1});
    e.flag = 999;
    EXPECT_EQ(entryHeadRecords(e).front(), "Twf:000");
}

} // namespace
