#include "core/interchange/ParsedCodes.h"

#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace zovax {

namespace {

// One field of a frame, in transmission order, least significant bit first.
enum class Src { Addr, NotAddr, Cmd, NotCmd, Parity, Check };
struct Field {
    Src src;
    int width;
    int shift = 0; // position of the field's lowest bit in the address or command
};

struct Layout {
    const char* name;
    const char* library; // signal library protocol
    std::vector<Field> fields;
};

// Kaseikyo: 16-bit maker code, its parity nibble, genre 1 and 2, a 10-bit
// command, a 2-bit id and a check byte (XOR of frame bytes 2 to 4). Files put
// genre 1 and 2 in the lowest address byte (genre 1 high nibble), the maker
// code in the next two and the id in the highest.
const std::vector<Layout>& layouts()
{
    static const std::vector<Layout> all{
        {"NEC", "NEC", {{Src::Addr, 8}, {Src::NotAddr, 8}, {Src::Cmd, 8}, {Src::NotCmd, 8}}},
        {"NECext", "NEC", {{Src::Addr, 16}, {Src::Cmd, 16}}},
        {"NEC42", "NEC42", {{Src::Addr, 13}, {Src::NotAddr, 13}, {Src::Cmd, 8}, {Src::NotCmd, 8}}},
        {"NEC42ext", "NEC42", {{Src::Addr, 26}, {Src::Cmd, 16}}},
        {"Samsung32", "SAMSUNG", {{Src::Addr, 8}, {Src::Addr, 8}, {Src::Cmd, 8}, {Src::NotCmd, 8}}},
        {"SIRC", "SONY12", {{Src::Cmd, 7}, {Src::Addr, 5}}},
        {"SIRC15", "SONY15", {{Src::Cmd, 7}, {Src::Addr, 8}}},
        {"SIRC20", "SONY20", {{Src::Cmd, 7}, {Src::Addr, 13}}},
        {"Kaseikyo",
         "KASEIKYO",
         {{Src::Addr, 16, 8},
          {Src::Parity, 4},
          {Src::Addr, 4, 4},
          {Src::Addr, 4, 0},
          {Src::Cmd, 10},
          {Src::Addr, 2, 24},
          {Src::Check, 8}}},
    };
    return all;
}

const Layout* layoutOf(const QString& name)
{
    for (const Layout& l : layouts()) {
        if (name.compare(QLatin1String(l.name), Qt::CaseInsensitive) == 0)
            return &l;
    }
    return nullptr;
}

uint32_t mask(int width)
{
    return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u;
}

uint32_t fieldMask(const Layout& l, Src s)
{
    uint32_t m = 0;
    for (const Field& f : l.fields) {
        if (f.src == s)
            m |= mask(f.width) << f.shift;
    }
    return m;
}

uint32_t readBits(const std::vector<bool>& bits, std::size_t from, int width)
{
    uint32_t v = 0;
    for (int k = 0; k < width && from + std::size_t(k) < bits.size(); ++k)
        v |= uint32_t(bits[from + std::size_t(k)]) << k;
    return v;
}

uint32_t kaseikyoParity(uint32_t vendor)
{
    return (vendor ^ (vendor >> 4) ^ (vendor >> 8) ^ (vendor >> 12)) & 0xF;
}

// Inverse of irsig::frameBits: the bits packed into the protocol's code bytes.
std::vector<uint8_t> bytesOfBits(const irsig::Protocol& p, const std::vector<bool>& bits)
{
    std::vector<uint8_t> out;
    std::size_t at = 0;
    for (std::size_t byteIndex = 0; at < bits.size(); ++byteIndex) {
        int width = 8;
        if (!p.fieldBits.empty())
            width = byteIndex < p.fieldBits.size() ? std::clamp(p.fieldBits[byteIndex], 0, 8) : 8;
        unsigned value = 0;
        for (int k = 0; k < width && at < bits.size(); ++k, ++at) {
            const int shift = p.msbFirst ? width - 1 - k : k;
            value |= unsigned(bits[at]) << shift;
        }
        out.push_back(uint8_t(value));
    }
    return out;
}

} // namespace

const QStringList& parsedProtocolNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (const Layout& l : layouts())
            n << QLatin1String(l.name);
        return n;
    }();
    return names;
}

const irsig::Protocol* libraryProtocolOf(const QString& protocol)
{
    const Layout* l = layoutOf(protocol);
    return l ? irsig::findProtocol(l->library) : nullptr;
}

std::optional<std::vector<uint8_t>> codeBytesOf(const ParsedCode& code, QString* error)
{
    const Layout* l = layoutOf(code.protocol);
    const irsig::Protocol* p = l ? irsig::findProtocol(l->library) : nullptr;
    if (!p) {
        if (error)
            *error = QStringLiteral("protocol: 「%1」には対応していません (対応: %2)")
                         .arg(code.protocol, parsedProtocolNames().join(QStringLiteral(", ")));
        return std::nullopt;
    }
    const uint32_t am = fieldMask(*l, Src::Addr);
    const uint32_t cm = fieldMask(*l, Src::Cmd);
    auto tooWide = [&](const char* field, uint32_t value, uint32_t m) {
        if (error)
            *error = QStringLiteral("%1: 0x%2 (%3 ビットまで)")
                         .arg(QLatin1String(field))
                         .arg(value, 0, 16)
                         .arg(QString::number(32 - __builtin_clz(m | 1)));
        return std::nullopt;
    };
    if (code.address & ~am)
        return tooWide("address", code.address, am);
    if (code.command & ~cm)
        return tooWide("command", code.command, cm);

    std::vector<bool> bits;
    auto push = [&](uint32_t v, int width) {
        for (int k = 0; k < width; ++k)
            bits.push_back(((v >> k) & 1u) != 0);
    };
    for (const Field& f : l->fields) {
        switch (f.src) {
        case Src::Addr: push(code.address >> f.shift, f.width); break;
        case Src::NotAddr: push(~(code.address >> f.shift), f.width); break;
        case Src::Cmd: push(code.command >> f.shift, f.width); break;
        case Src::NotCmd: push(~(code.command >> f.shift), f.width); break;
        case Src::Parity: push(kaseikyoParity(code.address >> 8), f.width); break;
        case Src::Check: {
            const uint32_t b2 = readBits(bits, 16, 8), b3 = readBits(bits, 24, 8), b4 = readBits(bits, 32, 8);
            push(b2 ^ b3 ^ b4, f.width);
            break;
        }
        }
    }
    return bytesOfBits(*p, bits);
}

std::optional<ParsedCode> parsedCodeOf(const QString& protocol, const std::vector<uint8_t>& bytes)
{
    const Layout* l = layoutOf(protocol);
    const irsig::Protocol* p = l ? irsig::findProtocol(l->library) : nullptr;
    if (!p)
        return std::nullopt;
    const std::vector<bool> bits = irsig::frameBits(*p, bytes);
    ParsedCode c{QLatin1String(l->name), 0, 0};
    std::size_t at = 0;
    for (const Field& f : l->fields) {
        const uint32_t v = readBits(bits, at, f.width);
        switch (f.src) {
        case Src::Addr: c.address |= v << f.shift; break;
        case Src::NotAddr:
            if (v != (~(c.address >> f.shift) & mask(f.width)))
                return std::nullopt;
            break;
        case Src::Cmd: c.command |= v << f.shift; break;
        case Src::NotCmd:
            if (v != (~(c.command >> f.shift) & mask(f.width)))
                return std::nullopt;
            break;
        case Src::Parity:
            if (v != kaseikyoParity(c.address >> 8))
                return std::nullopt;
            break;
        case Src::Check:
            if (v != (readBits(bits, 16, 8) ^ readBits(bits, 24, 8) ^ readBits(bits, 32, 8)))
                return std::nullopt;
            break;
        }
        at += std::size_t(f.width);
    }
    // Both copies of an address sent twice must agree: the code rebuilt from
    // the values read gives the same bits.
    QString ignored;
    const auto again = codeBytesOf(c, &ignored);
    if (!again || irsig::frameBits(*p, *again) != bits)
        return std::nullopt;
    return c;
}

std::optional<std::vector<uint8_t>> codeBytesOfEntry(const irsig::Protocol& p, const TableEntry& e)
{
    auto near
        = [](int value, int nominal, int percent) { return std::abs(value - nominal) * 100 <= nominal * percent; };
    // Without a stop mark the frame's last bit carries the gap: only its mark counts.
    auto is = [&](int symbol, const irsig::Symbol& s) {
        const int k = e.data[std::size_t(symbol)] & 0x0F;
        const bool gapBit = symbol == p.bits && !p.trailer.present();
        return near(e.high[std::size_t(k)], s.high, 35)
            && (gapBit ? e.width[std::size_t(k)] >= s.width : near(e.width[std::size_t(k)], s.width, 25));
    };
    if (!p.leader.present() || e.dataCount < p.bits + 1 || !is(0, p.leader))
        return std::nullopt;
    std::vector<bool> bits;
    for (int i = 1; i <= p.bits; ++i) {
        const bool zero = is(i, p.zero), one = is(i, p.one);
        if (zero == one)
            return std::nullopt;
        bits.push_back(one);
    }
    return bytesOfBits(p, bits);
}

std::optional<ParsedCode> parsedCodeOfRow(const TableEntry& e, const QString& framesCell, const QString& result,
                                          TimingLearner& learner)
{
    for (const Layout& l : layouts()) {
        const irsig::Protocol* p = irsig::findProtocol(l.library);
        if (!p || std::abs(e.carrier - p->carrierTenths) * 100 > p->carrierTenths * 3)
            continue;
        const auto bytes = codeBytesOfEntry(*p, e);
        if (!bytes)
            continue;
        auto code = parsedCodeOf(QLatin1String(l.name), *bytes);
        if (!code)
            continue;
        const LearnedRow again = learner.learn(timingOfCode(*p, *bytes));
        const TableEntry& a = again.entry;
        const bool same = again.ok && again.cells[3] == result && again.cells[1] == framesCell
            && a.dataCount == e.dataCount && a.repeat == e.repeat && std::abs(a.carrier - e.carrier) * 100 <= e.carrier
            && std::equal(a.data.begin(), a.data.begin() + std::clamp(int(a.dataCount), 0, kDataSymbols),
                          e.data.begin());
        if (same)
            return code;
    }
    return std::nullopt;
}

IrTiming timingOfCode(const irsig::Protocol& p, const std::vector<uint8_t>& bytes)
{
    // The first frame is the train of no repeats; the repeat frame is the
    // second frame of a train of two repeats (so that its closing gap is the
    // protocol's own, not the closing silence).
    const std::size_t first = irsig::encodeNominal(p, bytes, 0, 0).size();
    const std::size_t second = irsig::encodeNominal(p, bytes, 1, 0).size();
    const std::vector<irsig::Pair> pairs = irsig::encodeNominal(p, bytes, 2, 0);
    IrTiming t;
    t.carrierHz = p.carrierTenths * 100;
    for (std::size_t i = 0; i < second && i < pairs.size(); ++i) {
        std::vector<int>& part = i < first ? t.once : t.repeat;
        part.push_back(pairs[i].high);
        part.push_back(pairs[i].width - pairs[i].high);
    }
    return t;
}

} // namespace zovax
