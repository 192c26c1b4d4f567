#include "core/learning/CodeWalk.h"

#include "core/learning/Catalogue.h"
#include "core/shell/TextNumbers.h"

#include <algorithm>

namespace zovax {

QString trimControls(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b].unicode() <= 32)
        ++b;
    while (e > b && s[e - 1].unicode() <= 32)
        --e;
    return s.mid(b, e - b);
}

namespace {

QString trimLeading(const QString& s)
{
    qsizetype b = 0;
    while (b < s.size() && s[b].unicode() <= 32)
        ++b;
    return s.mid(b);
}

// Two upper-case hexadecimal digits of the low byte ("%02X"), without a
// formatted print: this runs for every byte of every decoded entry.
void appendHex2(QString& s, int v)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    s += QLatin1Char(kDigits[(v >> 4) & 0xF]);
    s += QLatin1Char(kDigits[v & 0xF]);
}

} // namespace

int refineByCodeText(const QString& codeText, int format)
{
    if (codeText.size() < 4)
        return format;
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
        const int d = hexDigitValue(codeText[i]);
        if (d < 0)
            return format;
        v = v * 16 + unsigned(d);
    }
    return refineNecFormat(uint16_t(v), format);
}

QString walkCode(const CodeWalkParams& w, const int32_t* p, int count, const std::array<int32_t, 16>& highs,
                 const CodeWalkSinks& sinks)
{
    const int t = w.candidate;
    const int f = w.format;
    const int z = w.zero;
    const int o = w.one;
    const int limit = std::clamp(w.limit, 0, std::max(count, 0));
    auto highOf = [&](int c) { return c >= 0 && c < 16 ? highs[size_t(c)] : 0; };

    int G = w.groupSize;
    int k = 0;   // bits collected in the current byte
    int acc = 0; // the current byte
    int nb = 0;  // bytes in the current word (read-back: bytes so far)
    int m = 0;   // words completed
    QString word, last, result;

    auto wordComplete = [&] {
        ++m;
        if (w.fullCode) {
            if (sinks.wordLine)
                sinks.wordLine(QString::asprintf("fno:%02d ", m) + word);
            result += word + QLatin1Char(' ');
        } else if (t == kNecCandidate) {
            if (m == 1)
                result = word;
            else if (m == 2 && word != result)
                result += QLatin1Char(' ') + word;
        } else if (word != last) {
            last = word;
            result += word + QLatin1Char(' ');
        }
        word.clear();
        nb = 0;
    };

    auto learnedWordRule = [&] {
        if (t == kSonyCandidate && f == kFmtSony20) {
            if (nb % 3 == 0) {
                word = word.mid(2, 4) + QLatin1Char(' ') + word.left(2);
                wordComplete();
            }
        } else if (t == kSonyCandidate) {
            if (nb % 2 == 0) {
                word = word.mid(2, 2) + word.left(2); // the two bytes swapped
                wordComplete();
            }
        } else {
            if (nb % 2 == 0)
                word += QLatin1Char(' ');
            const int perWord = t == kNecCandidate ? 4 : std::max(1, (w.pulses + 5) / 8);
            if (nb % perWord == 0) {
                word = trimControls(word);
                wordComplete();
            }
        }
    };

    auto storedWordRule = [&] {
        if (f < 3) {
            if (nb % 2 == 0) {
                word = trimLeading(word);
                result += word.mid(2, 4) + word.left(2);
                word.clear();
            }
        } else {
            result += trimLeading(word);
            word.clear();
        }
        if (nb % 2 == 0)
            result += QLatin1Char(' ');
    };

    for (int i = 0; i < limit; ++i) {
        const int c = p[i];
        int bit = -1;
        if (c == z) {
            bit = 0;
        } else if (c == o) {
            bit = 1;
        } else if (t == kSonyCandidate && (c == 3 || c == 4)) {
            // Last bit of a Sony-type frame, carrying the long gap: its mark decides,
            // and it closes the byte.
            bit = highOf(c) > w.zeroHighMax ? 1 : 0;
            G = k + 1;
        } else if (t == 9 && c == 2) {
            bit = highOf(2) > w.zeroHighMax ? 1 : 0;
        } else {
            // Not a data bit (leader, trailer): skipped at a byte boundary,
            // otherwise it closes the byte early.
            if (k == 0)
                continue;
            if (k < G - 1) {
                if (nb % 2 == 0)
                    ++nb;
                k = G - 1;
            }
        }
        if (bit >= 0) {
            if (sinks.bit && !w.storedEntry)
                sinks.bit(i, bit == 1);
            if (bit == 1)
                acc |= 1 << k;
        }
        ++k;
        if (k < G)
            continue;

        // Byte complete.
        k = 0;
        appendHex2(word, acc);
        acc = 0;
        ++nb;
        if (w.storedEntry)
            storedWordRule();
        else
            learnedWordRule();

        // Group-size rule, on the size this byte was collected with.
        switch (G) {
        case 2: G = f == kFmtRoboK1 ? 5 : (f == kFmtSvct1 || f == kFmtMitaniId) ? 8 : 2; break;
        case 3: G = f == kFmtSharp12 ? 8 : (i < 3 ? 3 : 6); break;
        case 5: G = t == kSonyCandidate ? 7 : f == kFmtRoboK1 ? 5 : f == kFmtMatu22 ? 6 : 8; break;
        case 6: G = f == kFmtMatu22 ? 5 : 6; break;
        case 7: G = f == kFmtSony12 ? 5 : 8; break;
        case 8:
            G = 8;
            if (f >= kFmtSony12 && f <= kFmtSony20) {
                G = 7;
            } else if (f == kFmtSharp) {
                // Jump to the end of the frame. Only ever forward: with Full Code
                // the walk goes on past K, and jumping back would never end.
                i = std::max(i, w.pulses);
            } else if (f == kFmtRoboK1) {
                G = 2;
            } else if (f == kFmtDaewoo16 || f == kFmtCv6000 || f == kFmtSvct1) {
                ++i; // the next pulse pair is skipped
            } else if (f == kFmtMitaniId && nb == 0) {
                G = 2;
            } else if (f == kFormatUnknown) {
                // Skip forward to the next data symbol, never past the walk.
                while (i + 1 < limit && p[i + 1] != z && p[i + 1] != o)
                    ++i;
            }
            break;
        default: break;
        }
    }

    if (w.storedEntry) {
        if (k > 0)
            appendHex2(result, acc);
        return trimControls(result);
    }
    if (k > 0)
        appendHex2(word, acc);
    if (!word.isEmpty())
        result = trimControls(result) + QLatin1Char(' ') + word;
    return trimControls(result);
}

} // namespace zovax
