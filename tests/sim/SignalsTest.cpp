// The signal library: encoder against hand-computed trains, noise, layouts.
#include "core/irsig/Signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace zovax::irsig;

namespace {

// Pulse pairs of a bit string with the given zero and one symbols.
void appendBits(std::vector<Pair>& out, const std::string& bits, Pair zero, Pair one)
{
    for (char b : bits)
        out.push_back(b == '1' ? one : zero);
}

std::vector<Pair> example(const char* name, const std::vector<uint8_t>& code, int repeats)
{
    const Protocol* p = findProtocol(name);
    EXPECT_NE(p, nullptr) << name;
    return p ? encodeNominal(*p, code, repeats) : std::vector<Pair>{};
}

} // namespace

TEST(Signals, NecFrameAndRepeatCodeMatchHandComputedTrain)
{
    // Address 0x20, command 0x10: bytes 20 DF 10 EF sent least significant bit first.
    std::vector<Pair> want{{9000, 13500}};
    appendBits(want,
               "00000100"
               "11111011"
               "00001000"
               "11110111",
               {560, 1120}, {560, 2250});
    // 16 ones and 16 zeros: 13500 + 16*2250 + 16*1120 = 67420 us; the stop mark fills to 108 ms.
    want.push_back({560, 108000 - 67420});
    want.push_back({9000, 11250}); // repeat code
    want.push_back({560, 560 + kClosingSilenceUs});
    EXPECT_EQ(example("NEC", {0x20, 0xDF, 0x10, 0xEF}, 1), want);
}

TEST(Signals, SonyTwelveBitsRepeatEvery45ms)
{
    // Command 0x15 (7 bits) then address 0x01 (5 bits), least significant bit first.
    std::vector<Pair> frame{{2400, 3000}};
    appendBits(frame,
               "1010100"
               "10000",
               {600, 1200}, {1200, 1800});
    // 3000 + 4*1800 + 8*1200 = 19800 us; the last bit's space fills the 45 ms period.
    frame.back().width += 45000 - 19800;
    std::vector<Pair> want;
    for (int i = 0; i < 3; ++i)
        want.insert(want.end(), frame.begin(), frame.end());
    want.back().width = want.back().high + kClosingSilenceUs;
    EXPECT_EQ(example("sony12", {0x15, 0x01}, 2), want);
}

TEST(Signals, FieldWidthsOrderAndInversionRules)
{
    struct Case {
        const char* protocol;
        std::vector<uint8_t> code;
        std::string bits;
    };
    const Case cases[] = {
        {"SONY15",
         {0x15, 0xA4},
         "1010100"
         "00100101"},
        {"SONY20",
         {0x7F, 0x1F, 0x01},
         "1111111"
         "11111"
         "10000000"},
        {"SHARP",
         {0x01, 0x4A, 0x01, 0x00},
         "10000"
         "01010010"
         "1"
         "0"},
        {"NEC42", {0xFF, 0x00, 0x00, 0x00, 0x00, 0x03}, std::string(8, '1') + std::string(32, '0') + "11"},
        {"JVC", {}, std::string(16, '0')}, // missing bytes count as 0
    };
    for (const Case& c : cases) {
        const Protocol* p = findProtocol(c.protocol);
        ASSERT_NE(p, nullptr) << c.protocol;
        std::string got;
        for (bool b : frameBits(*p, c.code))
            got += b ? '1' : '0';
        EXPECT_EQ(got, c.bits) << c.protocol;
    }
}

TEST(Signals, FrameStructureOfSpecialProtocols)
{
    // JVC: the leader on the first frame only.
    const auto jvc = example("JVC", {0x03, 0x17}, 2);
    ASSERT_EQ(jvc.size(), 1u + 17 + 17 + 17);
    EXPECT_EQ(jvc[0].high, 8400);
    EXPECT_EQ(jvc[18].high, 526);

    // Sharp: the second frame inverts command, expansion and check bits.
    const Protocol& sharp = *findProtocol("SHARP");
    const auto s = encodeNominal(sharp, {0x01, 0x4A, 0x01, 0x00}, 1);
    ASSERT_EQ(s.size(), 32u);
    for (int i = 0; i < 15; ++i) {
        const bool inverted = i >= 5;
        EXPECT_EQ(s[static_cast<std::size_t>(i)].width == s[static_cast<std::size_t>(16 + i)].width, !inverted)
            << "bit " << i;
    }

    // Air conditioner: two sections, each with a leader, no repeats.
    const auto ac = example("AIRCON", findProtocol("AIRCON")->exampleCode, -1);
    ASSERT_EQ(ac.size(), 1u + 64 + 1 + 1 + 152 + 1);
    EXPECT_EQ(ac[65], (Pair{430, 430 + 10000}));
    EXPECT_EQ(ac[66].high, 3500);
}

TEST(Signals, EveryCatalogueEntryEncodesToAPlausibleTrain)
{
    ASSERT_GE(catalogue().size(), 20u);
    for (const Protocol& p : catalogue()) {
        const auto pairs = encode(p, p.exampleCode, -1, Noise{});
        ASSERT_FALSE(pairs.empty()) << p.name;
        for (const Pair& x : pairs)
            EXPECT_GT(x.width, x.high) << p.name;
        EXPECT_GE(pairs.back().width - pairs.back().high, kClosingSilenceUs) << p.name;
        EXPECT_EQ(findProtocol(p.name), &p);
    }
    for (const char* name :
         {"nec", "NEC32", "Sony-12", "sony_20", "kaseikyo", "mitsubishi", "samsung", "TOSHIBA", "nec80", "NOMATCH"})
        EXPECT_NE(findProtocol(name), nullptr) << name;
    EXPECT_EQ(findProtocol("RC5X"), nullptr);
    EXPECT_EQ(findProtocol(""), nullptr);
}

TEST(Signals, NoiseIsSeededBoundedAndBiased)
{
    const Protocol& nec = *findProtocol("NEC");
    const auto nominal = encodeNominal(nec, nec.exampleCode, 3);
    const Noise n{42, 3, 40};
    const auto a = encode(nec, nec.exampleCode, 3, n);
    EXPECT_EQ(a, encode(nec, nec.exampleCode, 3, n)); // same seed, same train
    EXPECT_NE(a, encode(nec, nec.exampleCode, 3, Noise{43, 3, 40}));
    ASSERT_EQ(a.size(), nominal.size());
    long long markSum = 0, nominalMarks = 0;
    for (std::size_t i = 0; i + 1 < a.size(); ++i) {
        const int space = nominal[i].width - nominal[i].high;
        EXPECT_NEAR(a[i].high, nominal[i].high + 40, nominal[i].high * 0.031 + 1);
        EXPECT_NEAR(a[i].width - a[i].high, space - 40, space * 0.031 + 1);
        markSum += a[i].high;
        nominalMarks += nominal[i].high;
    }
    EXPECT_GT(markSum, nominalMarks); // marks come out longer on average
    EXPECT_EQ(a.back().width - a.back().high, kClosingSilenceUs);
    EXPECT_EQ(applyNoise(nominal, Noise{1, 0, 0}), nominal);
}

TEST(Signals, WaveLinesMeetTheParsedPositions)
{
    struct Case {
        int index;
        Pair p;
        bool four;
        const char* line;
    };
    const Case cases[] = {
        {0, {9000, 13500}, false, "[000]:09000,013500"},          {999, {560, 1120}, false, "[999]:00560,001120"},
        {1000, {560, 1120}, false, "[1000]:00560,0001120"},       {5, {560, 1120}, true, "[0005]:00560,0001120"},
        {3, {560, 1200000}, false, "[0003]:00560,1200000"}, // too wide for 6 digits
        {7, {123456, 9999999 + 5}, true, "[0007]:99999,9999999"},
    };
    for (const Case& c : cases) {
        const std::string line = waveLine(c.index, c.p, c.four);
        EXPECT_EQ(line, c.line);
        const auto back = parseWaveLine(line);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->index, c.index);
        if (c.index != 7) {
            EXPECT_EQ(back->pair, c.p);
        }
        // 1-based character 6 is ":" exactly for the 3-digit layout.
        EXPECT_EQ(line[5] == ':', std::string(c.line).find(']') == 4);
    }
    EXPECT_FALSE(parseWaveLine("Ave.Carrier38.0kHz").has_value());

    for (int carrier : {380, 367, 400, 560, 5}) {
        const std::string ave = averageLine(carrier);
        ASSERT_EQ(ave.substr(0, 4), "Ave.");
        const std::size_t khz = ave.find("kHz");
        ASSERT_NE(khz, std::string::npos);
        ASSERT_GE(khz, 11u);
        EXPECT_EQ(static_cast<int>(std::lround(std::stod(ave.substr(11, khz - 11)) * 10)), carrier) << ave;
    }
}

TEST(Signals, ParseCodeAcceptsTheUsualSpellings)
{
    using Bytes = std::vector<uint8_t>;
    const std::pair<const char*, Bytes> good[] = {
        {"0x20DF10EF", {0x20, 0xDF, 0x10, 0xEF}},
        {"20df10ef", {0x20, 0xDF, 0x10, 0xEF}},
        {"15 01", {0x15, 0x01}},
        {"0x15,0x1", {0x15, 0x01}},
        {"ABC", {0x0A, 0xBC}},
    };
    for (const auto& [text, bytes] : good)
        EXPECT_EQ(parseCode(text), std::optional<Bytes>(bytes)) << text;
    for (const char* bad : {"", "  ", "0x", "12G4", "20DF10EF!", "0x-1"})
        EXPECT_FALSE(parseCode(bad).has_value()) << bad;
}
