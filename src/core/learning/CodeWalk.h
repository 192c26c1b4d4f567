#pragma once
// Turning a pattern sequence into code text: each pulse pair of the zero or one
// symbol becomes a bit (first bit = least significant), bits are packed into
// code bytes whose size changes from byte to byte by the format's group-size
// rule, and bytes are written as hex and grouped into code words.
//
// Two word rules exist: the one for a learned signal (duplicate words dropped,
// Full Code lists every word) and the one for a stored table entry read back
// from the board.
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace zovax {

struct CodeWalkParams {
    int candidate = 0;        // timing candidate t (0..31, 32 = fallback)
    int format = 0;           // format number f
    int pulses = 0;           // frame pulse count K
    int groupSize = 8;        // bits in the first code byte G
    int zero = 0;             // pattern number of the zero symbol z
    int one = 0;              // pattern number of the one symbol o
    int limit = 0;            // pairs walked: 0..limit-1 (clamped to the sequence)
    int zeroHighMax = 0;      // upper bound of the candidate's zero-symbol High window
    bool storedEntry = false; // read-back word rules
    bool fullCode = false;    // learned only: every word, each logged as "fno:%02d %s"
};

struct CodeWalkSinks {
    std::function<void(int index, bool one)> bit;      // one call per data bit
    std::function<void(const QString& line)> wordLine; // Full Code lines
};

// The code text (trimmed) of p[0..limit-1]; p has `count` entries. highs[c] is
// the mean High of pattern c (patterns 0..15).
QString walkCode(const CodeWalkParams& w, const int32_t* p, int count, const std::array<int32_t, 16>& highs,
                 const CodeWalkSinks& sinks = {});

// Removes leading and trailing characters with codes 0 to 32.
QString trimControls(const QString& s);

// The NEC refinement applied to a code text: the first four characters read
// as a hexadecimal custom code. When they are not four hex digits the format
// stays unrefined.
int refineByCodeText(const QString& codeText, int format);

} // namespace zovax
