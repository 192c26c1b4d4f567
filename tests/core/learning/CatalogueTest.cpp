// The format catalogue's tables.
#include "core/learning/Catalogue.h"
#include "core/learning/CodeWalk.h"

#include <gtest/gtest.h>

#include <set>

namespace zovax {
namespace {

TEST(Catalogue, NamesCoverAllFormats)
{
    std::set<QString> names;
    for (int f = 0; f < kFormatCount; ++f) {
        ASSERT_FALSE(FormatName(f).isEmpty()) << f;
        names.insert(FormatName(f));
    }
    EXPECT_EQ(names.size(), size_t(kFormatCount)); // all distinct
    EXPECT_EQ(FormatName(0), "SONY12");
    EXPECT_EQ(FormatName(21), "krv-ID");
    EXPECT_EQ(FormatName(40), "KANON-Rep");
    EXPECT_EQ(FormatName(60), "Kitac5-D64");
    EXPECT_EQ(FormatName(kFormatUnknown), "Unknown");
    EXPECT_EQ(FormatName(-1), "");
    EXPECT_EQ(FormatName(kFormatCount), "");
}

TEST(Catalogue, RulesNameValidCandidatesAndFormats)
{
    for (const LearnRule& r : kLearnRules) {
        EXPECT_TRUE(r.candidate >= 0 && r.candidate < kCandidateCount);
        EXPECT_TRUE(r.format >= 0 && r.format < kFormatCount);
        // Every position a rule reads lies inside the pattern sequence.
        EXPECT_LT(std::max(r.a, r.b), 4097);
        const CandidateTiming& c = kCandidateTimings[r.candidate];
        EXPECT_GT(c.zeroWidth, 0) << "a rule for a candidate without timings: " << r.candidate;
    }
    for (const StoredRule& r : kStoredRules) {
        EXPECT_TRUE(r.candidate >= 0 && r.candidate < kCandidateCount);
        EXPECT_TRUE(r.format >= 0 && r.format < kFormatUnknown);
    }
}

struct RefineCase {
    uint16_t code;
    int format;
    int expected;
};

class NecRefinementTest : public ::testing::TestWithParam<RefineCase> {};

TEST_P(NecRefinementTest, Refines)
{
    const RefineCase& c = GetParam();
    EXPECT_EQ(refineNecFormat(c.code, c.format), c.expected)
        << std::hex << c.code << " " << FormatName(c.format).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, NecRefinementTest,
    ::testing::Values(RefineCase{0x00FF, kFmtNec32R, kFmtKanonRep}, RefineCase{0x00FF, kFmtNec32A, kFmtKanonAll},
                      RefineCase{0x00FF, 45 /* NEC-40A */, kFmtKanonAll}, RefineCase{0x04FB, kFmtNec32R, 42},
                      RefineCase{0x38C7, kFmtNec32A, 41}, RefineCase{0x8063, 57, 41},
                      RefineCase{0x16E9, kFmtNec32R, 18}, RefineCase{0x2ED1, kFmtNec32A, 35},
                      RefineCase{0x31CE, kFmtNec32A, 13}, RefineCase{0x45BC, kFmtNec32R, 12},
                      RefineCase{0x8221, kFmtNec32A, 11}, RefineCase{0x7B80, kFmtNec32A, 27},
                      RefineCase{0x8066, kFmtNec32R, 54}, RefineCase{0x8341, kFmtNec32A, kFmtKorven},
                      RefineCase{0x8341, kFmtNec32R, kFmtNec32R}, RefineCase{0x8341, 45, 45},
                      RefineCase{0x9867, kFmtNec32A, 36}, RefineCase{0xAF50, kFmtNec32R, 14},
                      RefineCase{0xB800, kFmtNec32A, 17}, RefineCase{0x20DF, kFmtNec32R, kFmtNec32R},
                      RefineCase{0x0000, kFmtNec32A, kFmtNec32A}));

TEST(Catalogue, RefinementReadsFourHexDigitsOfTheCodeText)
{
    EXPECT_EQ(refineByCodeText(QStringLiteral("00FF 10EF"), kFmtNec32R), kFmtKanonRep);
    EXPECT_EQ(refineByCodeText(QStringLiteral("00ff 10EF"), kFmtNec32A), kFmtKanonAll);
    // Not four hex digits: the format stays as it is.
    EXPECT_EQ(refineByCodeText(QStringLiteral("00F"), kFmtNec32A), kFmtNec32A);
    EXPECT_EQ(refineByCodeText(QStringLiteral(""), kFmtNec32A), kFmtNec32A);
    EXPECT_EQ(refineByCodeText(QStringLiteral("00 FF"), kFmtNec32A), kFmtNec32A);
    EXPECT_EQ(refineByCodeText(QStringLiteral("-0FF"), kFmtNec32A), kFmtNec32A);
}

} // namespace
} // namespace zovax
