// The shipped protocol descriptions. Timings are the commonly published
// nominal values for these consumer protocols; see Signals.h for the meaning
// of every field.
#include "core/irsig/Signals.h"

#include <algorithm>
#include <cctype>

namespace zovax::signals {
namespace {

// NEC family timings: 9000/4500 leader, 560 marks, 560/1690 spaces.
constexpr Symbol kNecLeader{9000, 13500};
constexpr Symbol kNecZero{560, 1120};
constexpr Symbol kNecOne{560, 2250};
constexpr Symbol kNecStop{560, 560 + 20000};
constexpr int kNecPeriodUs = 108000;
// Repeat code: 9000/2250 leader and a stop mark, stretched to the period.
const std::vector<Symbol> kNecRepeatCode{{9000, 11250}, {560, 560 + 20000}};

Protocol necVariant(int bits, bool repeatCode, std::vector<uint8_t> example)
{
    Protocol p;
    p.name = (bits == 32 ? std::string("NEC") : "NEC" + std::to_string(bits)) + (repeatCode ? "" : "F");
    p.description = "NEC " + std::to_string(bits) + " bits, 38 kHz, "
        + (repeatCode ? "repeat codes every 108 ms" : "whole frame repeated every 108 ms");
    p.carrierTenths = 380;
    p.leader = kNecLeader;
    p.zero = kNecZero;
    p.one = kNecOne;
    p.bits = bits;
    p.trailer = kNecStop;
    p.framePeriodUs = kNecPeriodUs;
    if (repeatCode)
        p.repeatFrame = kNecRepeatCode;
    p.defaultRepeats = 5;
    p.exampleCode = std::move(example);
    return p;
}

std::vector<Protocol> build()
{
    std::vector<Protocol> all;

    const std::vector<uint8_t> nec32{0x20, 0xDF, 0x10, 0xEF};
    const std::vector<uint8_t> nec40{0x20, 0xDF, 0x10, 0xEF, 0x5A};
    const std::vector<uint8_t> nec42{0x1C, 0x03, 0xE3, 0x0F, 0x15, 0x2A};
    const std::vector<uint8_t> nec48{0x20, 0xDF, 0x10, 0xEF, 0x33, 0xCC};
    const std::vector<uint8_t> nec64{0x20, 0xDF, 0x10, 0xEF, 0x01, 0x23, 0x45, 0x67};
    const std::vector<uint8_t> nec80{0x20, 0xDF, 0x10, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB};
    for (bool repeatCode : {true, false}) {
        all.push_back(necVariant(32, repeatCode, nec32));
        all.push_back(necVariant(40, repeatCode, nec40));
        all.push_back(necVariant(42, repeatCode, nec42));
        all.push_back(necVariant(48, repeatCode, nec48));
        all.push_back(necVariant(64, repeatCode, nec64));
        all.push_back(necVariant(80, repeatCode, nec80));
    }

    // Sony SIRC: pulse-width coded, 40 kHz, 7-bit command then the address,
    // whole frame every 45 ms start to start.
    struct SonyShape {
        int bits;
        std::vector<int> fields;
        std::vector<uint8_t> example;
    };
    for (const SonyShape& s : {SonyShape{12, {7, 5}, {0x15, 0x01}}, SonyShape{15, {7, 8}, {0x15, 0xA4}},
                               SonyShape{20, {7, 5, 8}, {0x15, 0x1A, 0x49}}}) {
        Protocol p;
        p.name = "SONY" + std::to_string(s.bits);
        p.description = "Sony SIRC " + std::to_string(s.bits) + " bits, 40 kHz, frame every 45 ms";
        p.carrierTenths = 400;
        p.leader = {2400, 3000};
        p.zero = {600, 1200};
        p.one = {1200, 1800};
        p.bits = s.bits;
        p.fieldBits = s.fields;
        p.gapUs = 10000;
        p.framePeriodUs = 45000;
        p.defaultRepeats = 4;
        p.exampleCode = s.example;
        all.push_back(p);
    }

    {
        Protocol p; // T = 432 us
        p.name = "KASEIKYO";
        p.description = "Kaseikyo 48 bits, 36.7 kHz, T = 432 us";
        p.carrierTenths = 367;
        p.leader = {3456, 3456 + 1728};
        p.zero = {432, 864};
        p.one = {432, 432 + 1296};
        p.bits = 48;
        p.trailer = {432, 432 + 74000};
        p.defaultRepeats = 4;
        p.exampleCode = {0x02, 0x20, 0x80, 0x00, 0x3D, 0xBD};
        all.push_back(p);
    }
    {
        Protocol p;
        p.name = "JVC";
        p.description = "JVC 16 bits, 38 kHz, leader on the first frame only, frame every 55 ms";
        p.leader = {8400, 8400 + 4200};
        p.zero = {526, 1052};
        p.one = {526, 2100};
        p.bits = 16;
        p.trailer = {526, 526 + 10000};
        p.framePeriodUs = 55000;
        p.leaderFirstFrameOnly = true;
        p.defaultRepeats = 5;
        p.exampleCode = {0x03, 0x17};
        all.push_back(p);
    }
    {
        Protocol p;
        p.name = "SHARP";
        p.description = "Sharp 15 bits (5 address, 8 command, expansion, check), 38 kHz, "
                        "every second frame inverted";
        p.zero = {320, 1000};
        p.one = {320, 2000};
        p.bits = 15;
        p.fieldBits = {5, 8, 1, 1};
        p.trailer = {320, 320 + 40000};
        p.invertFirstBit = 5;
        p.invertBitCount = 10;
        p.defaultRepeats = 3;
        p.exampleCode = {0x01, 0x4A, 0x01, 0x00};
        all.push_back(p);
    }
    {
        Protocol p;
        p.name = "MITSUBISHI";
        p.description = "Mitsubishi 16 bits, 38 kHz, no leader, frame every 53 ms";
        p.zero = {300, 1200};
        p.one = {300, 2400};
        p.bits = 16;
        p.trailer = {300, 300 + 10000};
        p.framePeriodUs = 53000;
        p.defaultRepeats = 5;
        p.exampleCode = {0x23, 0x47};
        all.push_back(p);
    }
    {
        Protocol p;
        p.name = "SAMSUNG";
        p.description = "Samsung 32 bits (custom twice, data, ~data), 38 kHz, 4500/4500 leader";
        p.leader = {4500, 9000};
        p.zero = kNecZero;
        p.one = kNecOne;
        p.bits = 32;
        p.trailer = kNecStop;
        p.framePeriodUs = kNecPeriodUs;
        p.defaultRepeats = 5;
        p.exampleCode = {0x07, 0x07, 0x02, 0xFD};
        all.push_back(p);
    }
    {
        Protocol p = all.back();
        p.name = "TOSHIBA";
        p.description = "Toshiba 32 bits (custom twice, data, ~data), 38 kHz, 4500/4500 leader";
        p.exampleCode = {0x40, 0x40, 0x12, 0xED};
        all.push_back(p);
    }
    {
        Protocol p;
        p.name = "AIRCON";
        p.description = "Air-conditioner frame, 216 bits in two sections (64 + 152), 38 kHz, no repeats";
        p.leader = {3500, 3500 + 1750};
        p.zero = {430, 860};
        p.one = {430, 430 + 1290};
        p.bits = 216;
        p.sectionBits = {64, 152};
        p.sectionGap = {430, 430 + 10000};
        p.trailer = {430, 430 + 30000};
        p.defaultRepeats = 0;
        p.exampleCode = {0x11, 0xDA, 0x27, 0x00, 0xC5, 0x00, 0x10, 0xE7, 0x11, 0xDA, 0x27, 0x00, 0x42, 0x49,
                         0x05, 0xA2, 0x00, 0x00, 0x06, 0x60, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x8A};
        all.push_back(p);
    }
    {
        // Timings chosen away from every common protocol: a short leader and
        // long, mark-width coded symbols at 56 kHz.
        Protocol p;
        p.name = "NOMATCH";
        p.description = "A signal of no known format (1500/2000 leader, 1000 or 2000 marks in 3000 us, 56 kHz)";
        p.carrierTenths = 560;
        p.leader = {1500, 3500};
        p.zero = {1000, 3000};
        p.one = {2000, 3000};
        p.bits = 24;
        p.trailer = {1000, 1000 + 40000};
        p.defaultRepeats = 3;
        p.exampleCode = {0xA5, 0x5A, 0x3C};
        all.push_back(p);
    }
    return all;
}

std::string normalised(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '-' || c == '_' || c == ' ')
            continue;
        out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return out;
}

} // namespace

const std::vector<Protocol>& catalogue()
{
    static const std::vector<Protocol> all = build();
    return all;
}

const Protocol* findProtocol(const std::string& name)
{
    const std::string key = normalised(name);
    if (key.empty())
        return nullptr;
    const auto& all = catalogue();
    auto it = std::find_if(all.begin(), all.end(), [&](const Protocol& p) { return normalised(p.name) == key; });
    if (it != all.end())
        return &*it;
    if (key == "NEC32")
        return findProtocol("NEC");
    if (key == "NEC32F")
        return findProtocol("NECF");
    return nullptr;
}

} // namespace zovax::signals
