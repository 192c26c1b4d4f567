#pragma once
// Codes given as protocol, address and command (the "parsed" signals of
// Flipper .ir files) and the signal library's code bytes of the same frame.
#include "core/interchange/TimingLearn.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zovax {

struct ParsedCode {
    QString protocol; // as written in files: "NEC", "NECext", "SIRC20", "Kaseikyo", ...
    uint32_t address = 0;
    uint32_t command = 0;
};

// The protocol names that can be read and written, in the order they are tried.
const QStringList& parsedProtocolNames();

// The signal library's protocol of a parsed protocol name (case-insensitive);
// nullptr when the name is not one of parsedProtocolNames().
const irsig::Protocol* libraryProtocolOf(const QString& protocol);

// Code bytes (in the library's convention) of a parsed code. nullopt with a
// message ("address: 0x1FF (8 bits)") when a value does not fit its field or
// the protocol is unknown.
std::optional<std::vector<uint8_t>> codeBytesOf(const ParsedCode& code, QString* error);

// The parsed code that gives these bytes with `protocol`; nullopt when the
// bytes are not a frame of that protocol (complements, parity or check byte
// do not agree).
std::optional<ParsedCode> parsedCodeOf(const QString& protocol, const std::vector<uint8_t>& bytes);

// The code bytes of `p` that a stored entry's first frame carries: its first
// symbol is the protocol's leader, the next p.bits symbols its zero and one
// symbols (marks within 35 %, widths within 25 %; the last bit of a frame
// without a stop mark carries the gap, so only its mark is compared).
// nullopt otherwise.
std::optional<std::vector<uint8_t>> codeBytesOfEntry(const irsig::Protocol& p, const TableEntry& e);

// The parsed code a row can be written as without loss: the one whose
// signal, learned again, gives the row's Result, Frames, repeat index and
// pattern code, with the carrier within 1 %. nullopt when none does.
std::optional<ParsedCode> parsedCodeOfRow(const TableEntry& e, const QString& framesCell, const QString& result,
                                          TimingLearner& learner);

// The durations of a code: the first frame once, then the library's repeat
// frame (a repeat code, or the whole frame again) while the button is held.
IrTiming timingOfCode(const irsig::Protocol& p, const std::vector<uint8_t>& bytes);

} // namespace zovax
