// The number readers and the carrier text.
#include "core/shell/TextNumbers.h"

#include <gtest/gtest.h>

#include <climits>

namespace zovax {
namespace {

TEST(ResultLine, CarrierTenths)
{
    const std::pair<const char*, int> good[] = {{"38.0", 380}, {"38", 380}, {"36.75", 367}, {" 40.0 ", 400},
                                                {"0.9", 9},    {".5", 5},   {"-3.9", -39},  {"455.0", 4550}};
    for (auto [text, tenths] : good) {
        const auto v = parseCarrierTenths(QString::fromLatin1(text));
        ASSERT_TRUE(v.has_value()) << text;
        EXPECT_EQ(*v, tenths) << text;
    }
    for (const char* bad : {"", " ", ".", "3a.0", "38,0", "kHz", "38.0.1", "1e3", "12345678901"})
        EXPECT_FALSE(parseCarrierTenths(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(TypedNumbers, FallBackWhenNotANumber)
{
    EXPECT_EQ(parseIntOr(QStringLiteral("50"), 500), 50);
    EXPECT_EQ(parseIntOr(QStringLiteral(" 20 "), 15), 20);
    EXPECT_EQ(parseIntOr(QStringLiteral("abc"), 500), 500);
    EXPECT_EQ(parseIntOr(QStringLiteral(""), 20), 20);
    EXPECT_EQ(parseIntOr(QStringLiteral("99999999999"), 500), 500);
    EXPECT_EQ(parseDecimal(u"-12").value_or(0), -12);
    EXPECT_FALSE(parseDecimal(u"12 ").has_value());
    EXPECT_FALSE(parseDecimal(u"-").has_value());
}

TEST(TypedNumbers, FileBytesFollowTheSameRuleAsText)
{
    const std::pair<const char*, std::optional<int>> cases[] = {{"0", 0},
                                                                {"-12", -12},
                                                                {"+7", 7},
                                                                {"2147483647", INT_MAX},
                                                                {"-2147483648", INT_MIN},
                                                                {"", std::nullopt},
                                                                {"-", std::nullopt},
                                                                {" 5", std::nullopt},
                                                                {"5 ", std::nullopt},
                                                                {"2147483648", std::nullopt},
                                                                {"1e3", std::nullopt},
                                                                {"\xef\xbc\x91", std::nullopt}};
    for (const auto& [text, want] : cases) {
        const std::string s = text;
        EXPECT_EQ(parseDecimal(s.data(), s.data() + s.size()), want) << text;
        // Text is the same reader, except that it skips leading blanks.
        if (!s.empty() && s[0] != ' ')
            EXPECT_EQ(parseDecimal(QString::fromUtf8(text)), want) << text;
    }
}

TEST(TypedNumbers, BoundedAndDigitsOnly)
{
    EXPECT_EQ(parseBounded(u" 65535 ", 1, 65535), 65535);
    EXPECT_EQ(parseBounded(u"0", 1, 65535), std::nullopt);
    EXPECT_EQ(parseBounded(u"-3", -5, 5), -3);
    // A sign, a full-width digit or a seventh digit is refused where only digits may be typed.
    const std::pair<const char*, bool> cases[]
        = {{"380", true},   {" 100 ", true},   {"99", false},      {"1000", false},
           {"+380", false}, {"３８０", false}, {"0000380", false}, {"", false}};
    for (const auto& [text, ok] : cases)
        EXPECT_EQ(digitsWithin(QString::fromUtf8(text), 100, 999), ok) << text;
}

TEST(CarrierText, TenthsOfAKilohertz)
{
    const std::tuple<int, int, const char*> cases[]
        = {{380, 0, "38.0kHz"}, {367, 0, "36.7kHz"}, {5, 0, "0.5kHz"},   {9999, 0, "999.9kHz"},
           {80, 2, " 8.0kHz"},  {380, 2, "38.0kHz"}, {-5, 0, "-0.5kHz"}, {-35, 2, "-3.5kHz"}};
    for (const auto& [tenths, width, text] : cases)
        EXPECT_EQ(carrierText(tenths, width), QString::fromLatin1(text)) << tenths;
    // Written and read back, a carrier keeps its value.
    for (int tenths : {0, 9, 100, 380, 999, -42})
        EXPECT_EQ(parseCarrierTenths(carrierNumber(tenths)), tenths);
}

} // namespace
} // namespace zovax
