// Parsing of wave lines, result lines and typed numbers.
#include "core/learning/LearnLines.h"

#include <gtest/gtest.h>

namespace zovax {
namespace {

struct WaveCase {
    const char* line;
    int index, high, width;
};

class WaveLineTest : public ::testing::TestWithParam<WaveCase> {};

TEST_P(WaveLineTest, Fields)
{
    const WaveCase& c = GetParam();
    const WaveLineFields f = parseWaveLine(QString::fromLatin1(c.line));
    EXPECT_EQ(f.index, c.index) << c.line;
    EXPECT_EQ(f.high, c.high) << c.line;
    EXPECT_EQ(f.width, c.width) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WaveLineTest,
    ::testing::Values(WaveCase{"[000]:09040,013480", 0, 9040, 13480}, // ":" at 6: 3-digit index
                      WaveCase{"[123]:00562,001125", 123, 562, 1125},
                      WaveCase{"[1234]:00562,0001125", 1234, 562, 1125}, // 4-digit index
                      WaveCase{"[4096]:00562,0001125", 4096, 562, 1125}, // parsed; the learner drops it
                      WaveCase{"[  7]:  562,  1125", 7, 562, 1125},      // leading blanks
                      WaveCase{"[0x1]:00562,001125", 0, 562, 1125},      // not a number counts as 0
                      WaveCase{"[001]:0056x,001125", 1, 0, 1125}, WaveCase{"[002]:00562", 2, 562, 0}, // short line
                      WaveCase{"[", 0, 0, 0}, WaveCase{"[-01]:00562,001125", -1, 562, 1125}));

TEST(ResultLine, CarrierTextIsCutAtKhz)
{
    EXPECT_EQ(carrierTextOf(QStringLiteral("Ave.Carrier38.0kHz")), "38.0");
    EXPECT_EQ(carrierTextOf(QStringLiteral("Ave.Carrier36.75kHz ok")), "36.75");
    // "kHz" missing, or beginning before character 12: four characters from 12.
    EXPECT_EQ(carrierTextOf(QStringLiteral("Ave.Carrier40.00000")), "40.0");
    EXPECT_EQ(carrierTextOf(QStringLiteral("Ave.kHzrier38.0kHz")), "38.0");
    EXPECT_EQ(carrierTextOf(QStringLiteral("Ave.12kHz")), "");
    EXPECT_EQ(carrierTextOf(QStringLiteral("Ave.Carrier")), "");
}

TEST(TypedNumbers, LearningTimeForTheSettingsStaysWithinWhatTheBoardTakes)
{
    const std::pair<const char*, int> cases[] = {
        {"500", 500000},     {" 50 ", 50000},       {"abc", 500000},           {"", 500000},
        {"99999", 99999000}, {"2147484", 99999000}, {"99999999999", 99999000}, {"0", 1000},
    };
    for (const auto& [text, us] : cases)
        EXPECT_EQ(learnTimeUsFromBox(QString::fromLatin1(text)), us) << text;
}

} // namespace
} // namespace zovax
