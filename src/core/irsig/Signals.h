#pragma once
// Remote-control signal synthesis: timing descriptions of common IR protocols,
// an encoder from a code to the pulse pairs a receiver reports, and the text
// lines the board sends while learning.
//
// Units: all times are integer microseconds; carriers are tenths of a kHz
// (380 = 38.0 kHz).
//
// A pulse pair is (high, width): the mark, and the time from the start of the
// mark to the start of the next mark (mark + following space). The last pair of
// a frame carries the gap to the next frame; the last pair of a whole train
// carries a long closing silence so that a learner sees the end of the press.
//
// Code convention: codeBytes are given in transmission order. Each byte
// supplies its bits least significant first (most significant first when the
// protocol says msbFirst). How many bits each byte supplies is given by the
// protocol's fieldBits (empty = 8 bits from every byte); the protocol's `bits`
// is the frame length, missing bytes count as 0 and surplus bytes are ignored.
//   NEC address 0x20, command 0x10:     {0x20, 0xDF, 0x10, 0xEF}
//   Sony SIRC 12 command 0x15, addr 1:  {0x15, 0x01}      (fields 7 + 5 bits)
//   Sony SIRC 20: {command, device, extended}             (fields 7 + 5 + 8)
//   Sharp: {address, command, expansion, check}           (fields 5 + 8 + 1 + 1)
// This library is plain C++17 without Qt so that any test can use it.
//
// NOTE for Qt code: Qt defines `signals` as a macro, so after any Qt header
// `zovax::signals::...` does not compile. Use the alias `zovax::irsig` there
// (the same namespace): `zovax::irsig::encode(...)`. This header itself can be
// included before or after Qt headers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#ifndef Q_MOC_RUN // moc reads `signals` as a keyword; it needs nothing from here
#pragma push_macro("signals")
#undef signals

namespace zovax::signals {

struct Pair {
    int high = 0;  // mark, us
    int width = 0; // mark + following space, us (last pair: closing silence)
};

inline bool operator==(const Pair& a, const Pair& b)
{
    return a.high == b.high && a.width == b.width;
}
inline bool operator!=(const Pair& a, const Pair& b)
{
    return !(a == b);
}

struct Symbol {
    int high = 0;  // mark, us
    int width = 0; // mark + space, us; {0,0} = absent
    bool present() const { return high > 0 || width > 0; }
};

// A timing description of one protocol.
struct Protocol {
    std::string name;        // catalogue key, upper case ("NEC", "SONY12", ...)
    std::string description; // one line for help texts
    int carrierTenths = 380; // 380 = 38.0 kHz

    Symbol leader;              // absent = no leader
    Symbol zero, one;           // data symbols
    bool msbFirst = false;      // bit order inside each field
    int bits = 0;               // data bits per frame
    std::vector<int> fieldBits; // bits taken from each code byte; empty = 8 per byte

    // Stop mark after the data bits: high = mark, width = mark + minimum
    // silence before the next frame. Absent: the frame ends with its last data
    // bit, whose space is stretched to at least gapUs.
    Symbol trailer;
    int gapUs = 0;         // minimum silence after a frame when there is no stop mark
    int framePeriodUs = 0; // start-to-start repeat period; 0 = frames follow after the gap
                           // (a frame's last pair is stretched to the period, never shortened)

    std::vector<Symbol> repeatFrame;   // e.g. the NEC repeat code; empty = repeat the whole frame
    int defaultRepeats = 0;            // frames after the first while a button is held
    bool leaderFirstFrameOnly = false; // JVC: repeated frames come without leader

    // Long frames in sections (air conditioners): bits per section, each
    // section begins with the leader; sections are separated by sectionGap
    // (mark, mark + pause). Empty = one section of `bits`.
    std::vector<int> sectionBits;
    Symbol sectionGap;

    // Every second frame inverts these bits (Sharp's confirmation frame).
    int invertFirstBit = 0;
    int invertBitCount = 0;

    std::vector<uint8_t> exampleCode; // a typical code, used by demos and playlists
};

// Receiver-like distortion: each mark and space is scaled by a random factor
// within +-jitterPercent, then marks are stretched by markBiasUs and spaces
// shortened by as much (a demodulating receiver reacts late to the end of a
// burst). The same seed always gives the same train.
struct Noise {
    uint32_t seed = 1;
    int jitterPercent = 3;
    int markBiasUs = 40;
};

// Silence appended to the last pair of every encoded train (us); well above the
// usual learning times so that the learner sees the end of the press.
constexpr int kClosingSilenceUs = 150000;

// All shipped descriptions, built from commonly published timings.
const std::vector<Protocol>& catalogue();

// Case-insensitive lookup; "-" and "_" are ignored ("sony-12" = "SONY12").
// nullptr when unknown.
const Protocol* findProtocol(const std::string& name);

// Bits of one frame in transmission order (size = p.bits).
std::vector<bool> frameBits(const Protocol& p, const std::vector<uint8_t>& codeBytes);

// Pulse pairs of a press: the first frame, then `repeats` repeated frames
// (repeat codes when the protocol has them, else the whole frame). repeats < 0
// uses p.defaultRepeats. The last pair's width is its mark + closingSilenceUs.
std::vector<Pair> encode(const Protocol& p, const std::vector<uint8_t>& codeBytes, int repeats, const Noise& n,
                         int closingSilenceUs = kClosingSilenceUs);
std::vector<Pair> encodeNominal(const Protocol& p, const std::vector<uint8_t>& codeBytes, int repeats,
                                int closingSilenceUs = kClosingSilenceUs);

// Applies Noise to nominal pairs (the last pair's silence is kept as it is).
std::vector<Pair> applyNoise(const std::vector<Pair>& nominal, const Noise& n);

// Reads a code as typed by a user: "0x20DF10EF" or "20DF10EF" (bytes in
// transmission order, as written), or separate bytes "0x15 0x01" / "15,01".
// An odd number of digits in a single group gets a leading 0. nullopt on any
// character that is not a hex digit, separator or "0x" prefix, or when empty.
std::optional<std::vector<uint8_t>> parseCode(const std::string& text);

// The board's report of a learned train.
// waveLine: "[iii]:HHHHH,WWWWWW" (":" at character 6) for the 3-digit layout,
// "[iiii]:HHHHH,WWWWWWW" for the 4-digit layout; numbers are clamped to their
// field width. fourDigitIndex is forced for indices above 999.
std::string waveLine(int index, const Pair& p, bool fourDigitIndex);
// "Ave.Carrier38.0kHz": the carrier text starts at character 12 and ends
// before "kHz".
std::string averageLine(int carrierTenths);

// Parses either wave line layout back (for tests and replay files);
// nullopt when the line is not a wave line.
struct WaveLineFields {
    int index = 0;
    Pair pair;
};
std::optional<WaveLineFields> parseWaveLine(const std::string& line);

} // namespace zovax::signals

namespace zovax {
namespace irsig = ::zovax::signals; // usable where Qt's `signals` macro is defined
} // namespace zovax

#pragma pop_macro("signals")
#endif // Q_MOC_RUN
