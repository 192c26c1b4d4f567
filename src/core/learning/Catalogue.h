#pragma once
// The fixed data of signal analysis: the 62 IR format names, the timing table of
// the 32 timing candidates, the structural rules that turn a candidate into a
// format (for a learned signal and for a stored table entry) and the table that
// refines NEC-type formats by their custom code. Plain constant tables; the
// analyser (Analyser.h) and the read-back decoder (ReadBack.h) read them.
#include <QString>

#include <cstdint>

namespace zovax {

constexpr int kFormatCount = 62;
constexpr int kFormatUnknown = 61;
constexpr int kCandidateCount = 32; // timing candidates 0..31; 32 = the "Unknown" fallback

// Format numbers the rules refer to by name.
enum FormatNumber : int {
    kFmtSony12 = 0,
    kFmtSony15 = 1,
    kFmtSony20 = 2,
    kFmtKaseikyo = 3,
    kFmtMatu22 = 4,
    kFmtMatu24 = 5,
    kFmtMitu16 = 6,
    kFmtJvcH16 = 7,
    kFmtJvcM16 = 8,
    kFmtSharp = 9,
    kFmtNec32R = 10,
    kFmtNec32A = 15,
    kFmtKorven = 16,
    kFmtTsb32 = 19,
    kFmtDaikin = 29,
    kFmtTsb12 = 31,
    kFmtRoboK1 = 38,
    kFmtKanonAll = 39,
    kFmtKanonRep = 40,
    kFmtSamsungD = 43,
    kFmtSharp12 = 49,
    kFmtDaewoo16 = 50,
    kFmtCv6000 = 51,
    kFmtMsw7430 = 52,
    kFmtSvct1 = 53,
    kFmtMitaniId = 55,
};

// Name of format 0..61 as shown in the Result and Comments cells; "" outside.
const char* formatNameLatin1(int format);
QString FormatName(int format);

// Nominal times of one timing candidate, microseconds. A leader High of 0 means
// the candidate has no leader; all six 0 means the candidate has no timings.
struct CandidateTiming {
    int leaderHigh, leaderWidth, zeroHigh, zeroWidth, oneHigh, oneWidth;
    // Acceptance window of the two symbol Highs in tenths of the nominal time
    // (8..12 = 80 %..120 %; candidate 8 is wider).
    int symbolHighLoTenths = 8, symbolHighHiTenths = 12;
};
inline constexpr CandidateTiming kCandidateTimings[kCandidateCount] = {
    /* 0 */ {2300, 2860, 600, 1160, 1220, 1780},
    /* 1 */ {3480, 5230, 440, 870, 440, 1740},
    /* 2 */ {3400, 6600, 900, 1680, 900, 3340},
    /* 3 */ {9000, 13500, 560, 1125, 560, 2250},
    /* 4 */ {3000, 6000, 600, 2400, 1800, 2400},
    /* 5 */ {8400, 12400, 560, 1040, 560, 2120},
    /* 6 */ {0, 0, 300, 1220, 300, 2440},
    /* 7 */ {0, 0, 560, 1040, 560, 2120},
    /* 8 */ {0, 0, 300, 1060, 300, 2000, 6, 16},
    /* 9 */ {0, 0, 450, 1600, 1300, 1600},
    /* 10 */ {0, 0, 0, 0, 0, 0},
    /* 11 */ {4300, 8600, 440, 1100, 440, 2200},
    /* 12 */ {0, 0, 0, 0, 0, 0},
    /* 13 */ {0, 0, 0, 0, 0, 0},
    /* 14 */ {0, 0, 0, 0, 0, 0},
    /* 15 */ {0, 0, 0, 0, 0, 0},
    /* 16 */ {0, 0, 0, 0, 0, 0},
    /* 17 */ {0, 0, 0, 0, 0, 0},
    /* 18 */ {5100, 7200, 450, 1050, 450, 2100},
    /* 19 */ {0, 0, 0, 0, 0, 0},
    /* 20 */ {0, 0, 0, 0, 0, 0},
    /* 21 */ {0, 0, 0, 0, 0, 0},
    /* 22 */ {0, 0, 0, 0, 0, 0},
    /* 23 */ {6000, 9000, 600, 2400, 1800, 2400},
    /* 24 */ {4500, 9000, 560, 1125, 560, 2250},
    /* 25 */ {0, 0, 300, 1060, 300, 2000},
    /* 26 */ {8000, 11900, 560, 1000, 560, 2000},
    /* 27 */ {8400, 12700, 527, 1100, 527, 2100},
    /* 28 */ {2000, 4000, 520, 1000, 520, 1500},
    /* 29 */ {8000, 12000, 500, 1000, 500, 2000},
    /* 30 */ {3000, 6000, 600, 1200, 600, 2400},
    /* 31 */ {8900, 13600, 600, 1200, 600, 1800},
};

// Frame pulse count given as "the learn's / entry's data count".
constexpr int kCountFromData = -1;

// A structural rule for a learned signal; p[i] is the pattern number of pulse
// pair i of the analysed channel. The rules of one candidate are tested in
// table order and the first that holds decides.
enum class LearnCond : uint8_t {
    Always,           // holds
    PosEq,            // p[a] == x
    PosEqAndPosEq,    // p[a] == x && p[b] == y
    PosAboveAndPosEq, // p[a] > x && p[b] == y
    PosEqOrLastIndex, // p[a] == x || lastIndex == b || lastIndex == y
    DataCountBelow,   // dataCount < x: no format, and later rows are not tested
};
struct LearnRule {
    int candidate;
    LearnCond cond;
    int a, x, b, y;
    int format;             // format number when the rule holds
    int pulses;             // frame pulse count K, or kCountFromData
    int groupSize;          // G, bits in the first code byte
    int setFrameStart = -1; // >= 0: the rule also overwrites the learn state
    int setDataCount = -1;
};
inline constexpr LearnRule kLearnRules[] = {
    {0, LearnCond::PosEq, 13, 0, 0, 0, kFmtSony12, 13, 7},
    {0, LearnCond::PosEq, 16, 0, 0, 0, kFmtSony15, 16, 7},
    {0, LearnCond::PosEq, 21, 0, 0, 0, kFmtSony20, 21, 7},
    {1, LearnCond::PosEq, 41, 3, 0, 0, kFmtKaseikyo, 42, 8},
    {1, LearnCond::PosEq, 49, 3, 0, 0, kFmtKaseikyo, 50, 8},
    {1, LearnCond::PosEq, 57, 3, 0, 0, kFmtKaseikyo, 57, 8},
    {1, LearnCond::PosEq, 129, 3, 0, 0, kFmtKaseikyo, 130, 8},
    {1, LearnCond::Always, 0, 0, 0, 0, kFmtKaseikyo, kCountFromData, 8},
    {2, LearnCond::PosEq, 23, 3, 0, 0, kFmtMatu22, 12, 5},
    {2, LearnCond::PosEq, 25, 3, 0, 0, kFmtMatu24, 13, 6},
    {3, LearnCond::DataCountBelow, 0, 32, 0, 0, kFormatUnknown, 0, 8},
    {3, LearnCond::PosEqOrLastIndex, 34, 0, 34, 68, kFmtNec32A, kCountFromData, 8},
    {3, LearnCond::PosEq, 35, 5, 0, 0, kFmtNec32R, 34, 8},
    {3, LearnCond::PosEqAndPosEq, 41, 3, 42, 0, 45 /* NEC-40A */, 41, 8},
    {3, LearnCond::PosEq, 43, 5, 0, 0, 44 /* NEC-40R */, 41, 8},
    {3, LearnCond::PosEqAndPosEq, 43, 3, 44, 0, 28 /* NEC-42A */, 43, 8},
    {3, LearnCond::PosEq, 45, 5, 0, 0, 27 /* NEC-42R */, 43, 8},
    {3, LearnCond::PosEqAndPosEq, 49, 3, 50, 0, 47 /* NEC-48A */, 49, 8},
    {3, LearnCond::PosEq, 51, 5, 0, 0, 46 /* NEC-48R */, 49, 8},
    {3, LearnCond::PosEqAndPosEq, 65, 3, 66, 0, 58 /* NEC-64A */, 65, 8},
    {3, LearnCond::PosEq, 67, 5, 0, 0, 57 /* NEC-64R */, 65, 8},
    {3, LearnCond::PosEq, 81, 3, 0, 0, 54 /* NEC-80A */, 81, 8},
    {3, LearnCond::PosEqAndPosEq, 33, 3, 114, 3, 56 /* TATSUNO-ID */, 114, 8},
    {3, LearnCond::PosEq, 145, 3, 0, 0, 48 /* BENEX144 */, 145, 8},
    {3, LearnCond::PosEq, 35, 0, 0, 0, kFmtNec32A, kCountFromData, 8},
    {4, LearnCond::PosEq, 51, 0, 0, 0, 21 /* krv-ID */, 50, 8},
    {4, LearnCond::PosEq, 53, 0, 0, 0, kFmtMitaniId, 52, 8},
    {5, LearnCond::PosEq, 17, 3, 0, 0, kFmtJvcH16, 17, 8},
    {6, LearnCond::PosEq, 16, 2, 0, 0, kFmtMitu16, 16, 8},
    {7, LearnCond::PosEq, 16, 2, 0, 0, kFmtJvcM16, 16, 8},
    {8, LearnCond::PosEq, 15, 2, 0, 0, kFmtSharp, 16, 5},
    {9, LearnCond::PosEqAndPosEq, 11, 2, 23, 3, kFmtTsb12, 12, 3},
    {11, LearnCond::PosEq, 33, 3, 0, 0, kFmtTsb32, 33, 8},
    {18, LearnCond::PosEqAndPosEq, 57, 3, 179, 4, kFmtDaikin, 176, 8},
    {23, LearnCond::PosEq, 21, 3, 0, 0, kFmtRoboK1, 21, 8},
    {24, LearnCond::PosEq, 33, 3, 0, 0, kFmtSamsungD, 33, 8},
    {25, LearnCond::PosEq, 12, 2, 0, 0, kFmtSharp12, 12, 3},
    {26, LearnCond::PosEqAndPosEq, 9, 3, 18, 4, kFmtDaewoo16, 18, 8},
    {27, LearnCond::PosEqAndPosEq, 20, 4, 10, 3, kFmtCv6000, 20, 8},
    {28, LearnCond::PosEqAndPosEq, 17, 3, 18, 0, kFmtMsw7430, 37, 8, 18, 36},
    {29, LearnCond::PosAboveAndPosEq, 20, 2, 10, 2, kFmtSvct1, 20, 8},
    {30, LearnCond::PosEq, 51, 0, 0, 0, 59 /* TOPPAN-ID */, 50, 8},
    {31, LearnCond::PosEq, 67, 5, 0, 0, 60 /* Kitac5-D64 */, 65, 8},
};

// A structural rule for a stored table entry; c is the entry's data count.
enum class StoredCond : uint8_t {
    CountEq,         // c == x
    CountMinus2By8,  // (c - 2) divisible by 8
    CountEqRepeatEq, // c == x && the entry's repeat == y
    CountAbove,      // c > x
    HalfCountEq,     // c / 2 == x (truncating)
};
struct StoredRule {
    int candidate;
    StoredCond cond;
    int x, y;
    int format;
    int pulses;    // K, or kCountFromData
    int groupSize; // G
};
inline constexpr StoredRule kStoredRules[] = {
    {0, StoredCond::CountEq, 13, 0, kFmtSony12, kCountFromData, 7},
    {0, StoredCond::CountEq, 16, 0, kFmtSony15, kCountFromData, 7},
    {0, StoredCond::CountEq, 21, 0, kFmtSony20, kCountFromData, 7},
    {1, StoredCond::CountMinus2By8, 0, 0, kFmtKaseikyo, kCountFromData, 8},
    {2, StoredCond::CountEq, 24, 0, kFmtMatu22, 12, 5},
    {2, StoredCond::CountEq, 26, 0, kFmtMatu24, 13, 6},
    {3, StoredCond::CountEq, 34, 0, kFmtNec32A, kCountFromData, 8},
    {3, StoredCond::CountEq, 36, 0, kFmtNec32R, kCountFromData, 8},
    {3, StoredCond::CountEq, 42, 0, 45 /* NEC-40A */, kCountFromData, 8},
    {3, StoredCond::CountEqRepeatEq, 44, 44, 44 /* NEC-40R */, kCountFromData, 8},
    {3, StoredCond::CountEq, 44, 0, 28 /* NEC-42A */, kCountFromData, 8},
    {3, StoredCond::CountEq, 46, 0, 27 /* NEC-42R */, kCountFromData, 8},
    {3, StoredCond::CountEq, 50, 0, 47 /* NEC-48A */, kCountFromData, 8},
    {3, StoredCond::CountEq, 52, 0, 46 /* NEC-48R */, kCountFromData, 8},
    {3, StoredCond::CountEq, 66, 0, 58 /* NEC-64A */, kCountFromData, 8},
    {3, StoredCond::CountEq, 68, 0, 57 /* NEC-64R */, kCountFromData, 8},
    {3, StoredCond::CountEq, 82, 0, 54 /* NEC-80A */, kCountFromData, 8},
    {3, StoredCond::CountEq, 114, 0, 56 /* TATSUNO-ID */, kCountFromData, 8},
    {3, StoredCond::CountEq, 146, 0, 48 /* BENEX144 */, kCountFromData, 8},
    {3, StoredCond::CountAbove, 33, 0, kFmtNec32A, kCountFromData, 8},
    {4, StoredCond::CountEq, 51, 0, 21 /* krv-ID */, kCountFromData, 8},
    {5, StoredCond::CountEq, 18, 0, kFmtJvcH16, kCountFromData, 8},
    {6, StoredCond::CountEq, 17, 0, kFmtMitu16, kCountFromData, 8},
    {7, StoredCond::CountEq, 16, 0, kFmtJvcM16, kCountFromData, 8},
    {8, StoredCond::HalfCountEq, 16, 0, kFmtSharp, kCountFromData, 5},
    {9, StoredCond::HalfCountEq, 13, 0, kFmtTsb12, kCountFromData, 3},
    {11, StoredCond::CountEq, 34, 0, kFmtTsb32, kCountFromData, 8},
    {18, StoredCond::CountEq, 180, 0, kFmtDaikin, kCountFromData, 8},
    {23, StoredCond::CountEq, 22, 0, kFmtRoboK1, kCountFromData, 8},
    {24, StoredCond::CountEq, 34, 0, kFmtSamsungD, kCountFromData, 8},
    {25, StoredCond::CountEq, 13, 0, kFmtSharp12, kCountFromData, 3},
    {26, StoredCond::CountEq, 18, 0, kFmtDaewoo16, kCountFromData, 8},
    {27, StoredCond::CountEq, 22, 0, kFmtCv6000, kCountFromData, 8},
    {28, StoredCond::HalfCountEq, 18, 0, kFmtMsw7430, kCountFromData, 8},
    {30, StoredCond::CountEq, 51, 0, 59 /* TOPPAN-ID */, kCountFromData, 8},
    {31, StoredCond::CountEq, 68, 0, 60 /* Kitac5-D64 */, kCountFromData, 8},
};

// The Sony-type candidate: its first group size is 7 whatever its rules give.
constexpr int kSonyCandidate = 0;
constexpr int kSonyGroupSize = 7;
// The NEC-type candidate, whose results are refined by custom code.
constexpr int kNecCandidate = 3;

// NEC refinement by custom code (the first four hex digits of the code text).
struct NecRefinement {
    uint16_t customCode;
    int onlyForFormat; // >= 0: applies only when the format is this one
    int forNec32R;     // new format when the format is NEC-32R
    int forOthers;     // new format otherwise
};
inline constexpr NecRefinement kNecRefinements[] = {
    {0x00FF, -1, kFmtKanonRep, kFmtKanonAll},
    {0x04FB, -1, 42 /* SAMSUNG-R */, 41 /* SAMSUNG-A */},
    {0x38C7, -1, 42, 41},
    {0x8063, -1, 42, 41},
    {0x15EA, -1, 18 /* FUJITSU */, 18},
    {0x16E9, -1, 18, 18},
    {0x2ED1, -1, 35 /* B-KARA */, 35},
    {0x30CF, -1, 13 /* SANYO */, 13},
    {0x31CE, -1, 13, 13},
    {0x40BE, -1, 12 /* TOSHIBA */, 12},
    {0x40BF, -1, 12, 12},
    {0x42BB, -1, 12, 12},
    {0x44BB, -1, 12, 12},
    {0x45BC, -1, 12, 12},
    {0x50AF, -1, 11 /* HITACHI */, 11},
    {0x56A9, -1, 11, 11},
    {0x609F, -1, 11, 11},
    {0x619E, -1, 11, 11},
    {0x8023, -1, 11, 11},
    {0x8221, -1, 11, 11},
    {0x6E20, -1, 27 /* NEC-42R */, 27},
    {0x7B80, -1, 27, 27},
    {0x8066, -1, 54 /* NEC-80A */, 54},
    {0x8341, kFmtNec32A, kFmtKorven, kFmtKorven},
    {0x9867, -1, 36 /* U-KARA */, 36},
    {0xA35C, -1, 14 /* PIONEER */, 14},
    {0xA55A, -1, 14, 14},
    {0xA857, -1, 14, 14},
    {0xAA55, -1, 14, 14},
    {0xAB54, -1, 14, 14},
    {0xAC53, -1, 14, 14},
    {0xAF50, -1, 14, 14},
    {0xB800, -1, 17 /* KENWOOD */, 17},
};

// The format after refining `format` (a candidate-3 result) with custom code v.
int refineNecFormat(uint16_t customCode, int format);

} // namespace zovax
