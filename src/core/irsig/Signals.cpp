// Encoder from a protocol description to pulse pairs, receiver-like noise and
// the board's learning report lines.
#include "core/irsig/Signals.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>

namespace zovax::signals {
namespace {

void pushSymbol(std::vector<Pair>& out, const Symbol& s)
{
    out.push_back({s.high, std::max(s.width, s.high + 1)});
}

int totalWidth(const std::vector<Pair>& pairs, std::size_t from)
{
    int sum = 0;
    for (std::size_t i = from; i < pairs.size(); ++i)
        sum += pairs[i].width;
    return sum;
}

// Stretches the last pair of the frame that starts at `from` so that the
// frame lasts at least the protocol's period and leaves at least its gap.
void closeFrame(const Protocol& p, std::vector<Pair>& out, std::size_t from)
{
    if (out.size() <= from)
        return;
    Pair& last = out.back();
    last.width = std::max(last.width, last.high + p.gapUs);
    if (p.framePeriodUs > 0) {
        const int len = totalWidth(out, from);
        if (len < p.framePeriodUs)
            last.width += p.framePeriodUs - len;
    }
}

void appendDataFrame(const Protocol& p, const std::vector<bool>& bits, bool first, std::vector<Pair>& out)
{
    const std::size_t from = out.size();
    std::vector<int> sections = p.sectionBits;
    if (sections.empty())
        sections.push_back(p.bits);
    std::size_t bit = 0;
    for (std::size_t s = 0; s < sections.size(); ++s) {
        if (s > 0 && p.sectionGap.present())
            pushSymbol(out, p.sectionGap);
        if (p.leader.present() && (first || !p.leaderFirstFrameOnly || s > 0))
            pushSymbol(out, p.leader);
        for (int k = 0; k < sections[s] && bit < bits.size(); ++k, ++bit)
            pushSymbol(out, bits[bit] ? p.one : p.zero);
    }
    if (p.trailer.present())
        pushSymbol(out, p.trailer);
    closeFrame(p, out, from);
}

} // namespace

std::vector<bool> frameBits(const Protocol& p, const std::vector<uint8_t>& codeBytes)
{
    std::vector<bool> bits;
    const int total = std::max(0, p.bits);
    bits.reserve(static_cast<std::size_t>(total));
    std::size_t byteIndex = 0;
    while (static_cast<int>(bits.size()) < total) {
        int width = 8;
        if (!p.fieldBits.empty())
            width = byteIndex < p.fieldBits.size() ? std::clamp(p.fieldBits[byteIndex], 0, 8) : 8;
        width = std::min(width, total - static_cast<int>(bits.size()));
        const unsigned value = byteIndex < codeBytes.size() ? codeBytes[byteIndex] : 0u;
        for (int k = 0; k < width; ++k) {
            const int shift = p.msbFirst ? width - 1 - k : k;
            bits.push_back(((value >> shift) & 1u) != 0);
        }
        ++byteIndex; // fields past fieldBits take 8 bits, so this always progresses
    }
    bits.resize(static_cast<std::size_t>(total), false);
    return bits;
}

std::vector<Pair> encodeNominal(const Protocol& p, const std::vector<uint8_t>& codeBytes, int repeats,
                                int closingSilenceUs)
{
    if (repeats < 0)
        repeats = p.defaultRepeats;
    const std::vector<bool> bits = frameBits(p, codeBytes);
    std::vector<bool> inverted = bits;
    for (int k = 0; k < p.invertBitCount; ++k) {
        const int i = p.invertFirstBit + k;
        if (i >= 0 && i < static_cast<int>(inverted.size()))
            inverted[static_cast<std::size_t>(i)] = !inverted[static_cast<std::size_t>(i)];
    }

    std::vector<Pair> out;
    appendDataFrame(p, bits, true, out);
    for (int r = 1; r <= repeats; ++r) {
        if (!p.repeatFrame.empty()) {
            const std::size_t from = out.size();
            for (const Symbol& s : p.repeatFrame)
                pushSymbol(out, s);
            closeFrame(p, out, from);
        } else {
            appendDataFrame(p, (r % 2 == 1 && p.invertBitCount > 0) ? inverted : bits, false, out);
        }
    }
    if (!out.empty())
        out.back().width = out.back().high + std::max(0, closingSilenceUs);
    return out;
}

std::vector<Pair> applyNoise(const std::vector<Pair>& nominal, const Noise& n)
{
    std::mt19937 rng(n.seed);
    const int spread = std::max(0, n.jitterPercent) * 10; // per mille
    auto scale = [&](int us) {
        if (spread == 0)
            return us;
        const int perMille = static_cast<int>(rng() % static_cast<uint32_t>(2 * spread + 1)) - spread;
        return static_cast<int>((static_cast<long long>(us) * (1000 + perMille) + 500) / 1000);
    };
    std::vector<Pair> out;
    out.reserve(nominal.size());
    for (std::size_t i = 0; i < nominal.size(); ++i) {
        const Pair& in = nominal[i];
        const int space = in.width - in.high;
        const int high = std::max(1, scale(in.high) + n.markBiasUs);
        int newSpace = scale(space) - n.markBiasUs;
        if (i + 1 == nominal.size())
            newSpace = space; // the closing silence stays as it is
        out.push_back({high, high + std::max(1, newSpace)});
    }
    return out;
}

std::vector<Pair> encode(const Protocol& p, const std::vector<uint8_t>& codeBytes, int repeats, const Noise& n,
                         int closingSilenceUs)
{
    return applyNoise(encodeNominal(p, codeBytes, repeats, closingSilenceUs), n);
}

std::optional<std::vector<uint8_t>> parseCode(const std::string& text)
{
    std::vector<uint8_t> bytes;
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool any = false;
    while (i < n) {
        const char c = text[i];
        if (c == ' ' || c == ',' || c == '\t' || c == ':' || c == '-') {
            ++i;
            continue;
        }
        if (c == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X'))
            i += 2;
        std::string group;
        while (i < n && std::isxdigit(static_cast<unsigned char>(text[i])))
            group.push_back(text[i++]);
        if (group.empty())
            return std::nullopt;
        if (i < n && !(text[i] == ' ' || text[i] == ',' || text[i] == '\t' || text[i] == ':' || text[i] == '-'))
            return std::nullopt;
        if (group.size() % 2 == 1)
            group.insert(group.begin(), '0');
        for (std::size_t k = 0; k < group.size(); k += 2)
            bytes.push_back(static_cast<uint8_t>(std::stoi(group.substr(k, 2), nullptr, 16)));
        any = true;
    }
    if (!any)
        return std::nullopt;
    return bytes;
}

std::string waveLine(int index, const Pair& p, bool fourDigitIndex)
{
    char buf[64];
    const int high = std::clamp(p.high, 0, 99999);
    if (fourDigitIndex || index > 999 || index < 0 || p.width > 999999) {
        std::snprintf(buf, sizeof buf, "[%04d]:%05d,%07d", std::clamp(index, 0, 9999), high,
                      std::clamp(p.width, 0, 9999999));
    } else {
        std::snprintf(buf, sizeof buf, "[%03d]:%05d,%06d", index, high, std::clamp(p.width, 0, 999999));
    }
    return buf;
}

std::string averageLine(int carrierTenths)
{
    const int c = std::clamp(carrierTenths, 0, 9999);
    char buf[48];
    std::snprintf(buf, sizeof buf, "Ave.Carrier%d.%dkHz", c / 10, c % 10);
    return buf;
}

std::optional<WaveLineFields> parseWaveLine(const std::string& line)
{
    if (line.empty() || line[0] != '[')
        return std::nullopt;
    // 1-based positions as the tool reads them; a missing or non-numeric field is 0.
    auto field = [&](std::size_t from1, std::size_t to1) {
        if (line.size() < from1)
            return 0;
        std::string s = line.substr(from1 - 1, to1 - from1 + 1);
        std::size_t k = 0;
        while (k < s.size() && s[k] == ' ')
            ++k;
        int v = 0;
        bool digits = false;
        for (; k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])); ++k) {
            v = v * 10 + (s[k] - '0');
            digits = true;
        }
        return digits ? v : 0;
    };
    WaveLineFields f;
    if (line.size() >= 6 && line[5] == ':') {
        f.index = field(2, 4);
        f.pair = {field(7, 11), field(13, 18)};
    } else {
        f.index = field(2, 5);
        f.pair = {field(8, 12), field(14, 20)};
    }
    return f;
}

} // namespace zovax::signals
