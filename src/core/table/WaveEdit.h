#pragma once
// The wave information editor's rules: an entry shown as editable texts, the
// ruler over the pattern code, the byte code -> pattern code conversion, the
// IR Out command list and sequence, and storing the edited wave in the table.
// The dialog (frmWaveEdit) only shows these texts and forwards its buttons.
#include "core/link/DeviceLink.h"
#include "core/table/FireTest.h"
#include "core/table/TableEntry.h"

#include <QString>
#include <QStringList>

#include <array>

namespace zovax {

class CodeTable;
class DeviceLink;
class Prompts;

// The editor's boxes as texts, exactly as the user sees them. Numbers are read
// back with a default when a text is not a decimal integer: 380 for the
// carrier, 0 for everything else.
struct WaveEditFields {
    QString carry;                            // edtCarry: carrier, 0.1 kHz
    QString dataBits;                         // edtDataBits: number of data symbols
    QString repeatBit;                        // edtRepeatBit: repeat value
    std::array<QString, kPatternPairs> high;  // sGrid column 1, pattern pair i, us
    std::array<QString, kPatternPairs> width; // sGrid column 2, pattern pair i, us
    QString pcode;                            // edtPcode: one hex digit (pattern pair index) per data symbol
    QString byteCode;                         // edtByteCode: code bytes as in the Result text

    int carrier() const;
    int dataCount() const;
    int repeat() const;
    int highAt(int i) const;  // 0 outside 0..15
    int widthAt(int i) const; // 0 outside 0..15
};

namespace waveedit {
constexpr int kDefaultCarrier = 380;
constexpr int kEmitWaitMs = 2;        // after each IR Out command
constexpr int kByteCodePxPerChar = 8; // width of the byte-code box per character
inline const QString kByteCodeMarker = QStringLiteral("d:");
inline const QString kCaptionConfirm = QStringLiteral("確認");
inline const QString kCaptionWarning = QStringLiteral("警告");
} // namespace waveedit

// One character per data symbol: at position i the digit (i / 10) % 10 when i
// is a multiple of 10, "+" at other multiples of 5, "-" elsewhere
// ("0----+----1----+----2..."). Counts below 1 give "".
QString PcodeRuler(int symbols);

// The byte code of a Result text: everything after its first "d:" (blanks
// included), or "" when it has none.
QString ByteCodeOfResult(const QString& result);

// The Result text after storing `byteCode`: with a "d:" whose tail differs, the
// text up to and including the first "d:" followed by the byte code; without a
// "d:", a non-empty byte code is appended as " d:<code>" ("d:<code>" for an
// empty Result) so that it is not lost; otherwise the text unchanged.
QString ResultWithByteCode(const QString& result, const QString& byteCode);

// Byte code -> pattern code: "0" (leader), eight symbols per byte, least
// significant bit first, then "3" (closing pulse). The pattern pair with the
// larger width stands for a 1 bit: when width[1] < width[2] a 1 is "2" and a 0
// is "1", otherwise a 1 is "1" and a 0 is "2". The text is walked two
// characters at a time (one at its end); a pair that is not a hex number is
// skipped by one character, so "10 EF" and "10EF" both give two bytes.
QString ByteCodeToPcode(const QString& byteCode, const TableEntry& e);

// The texts the editor shows for an entry and its Result cell: carrier and
// data count "%3d", repeat "%4d", pairs "%5d"/"%6d" up to the first pair whose
// high is 0 (the rest empty), the pattern code of the first data-count symbols
// (bounded to 0..4096) and the Result's byte code.
WaveEditFields WaveEditFieldsOf(const TableEntry& e, const QString& resultCell);

// The records IR Out sends and lists in the receive log, in order: "Twf:000",
// "Twc:", "Twb:", "Twr:", the "Twp:" pairs 0.. up to and including the first
// pair whose high or width is 0 (at most 16), and "Twd:" followed by the
// pattern code exactly as typed.
QStringList IrOutRecords(const WaveEditFields& f);

// Why `f` cannot be stored, or "" when it can: a pattern code character that is
// not a hex digit (named by its 1-based position), a pattern code longer than
// the 4096 symbols an entry holds, a data count outside 0..4096.
QString WaveEditStoreError(const WaveEditFields& f);

// OK: the edited wave filed in row `target` (the first blank row from `source`
// on, or `source` itself). Row `source` (cells and record, as one row) is
// copied to `target`, then the target's record takes the boxes: flag from the
// source, carrier, data count, repeat, the 16 pairs (empty cells 0), the
// pattern code's symbols (later symbols keep their values), and the Result's
// byte code (ResultWithByteCode). Nothing changes and the reason is returned
// when WaveEditStoreError() objects or a row is not 1..999; "" on success.
QString StoreWaveEdit(CodeTable& table, int source, int target, const WaveEditFields& f);

// IR Out: emits the edited wave from the board without storing it.
class IrOut {
public:
    IrOut(DeviceLink& link, Prompts& prompts);

    // Nothing for an empty pattern code; the "please connect" warning without a
    // link. Otherwise: learning indicator off, "Tp:%d%d%d%d" with the outputs,
    // IrOutRecords() each listed in the receive log, "Tf:3"; a wait of up to
    // 2 ms after every command. Returns true when commands were sent. A click
    // while a run is still sending is ignored.
    bool run(const WaveEditFields& f, const IrOutputs& outputs);
    bool running() const { return running_; }

private:
    DeviceLink& link_;
    Prompts& prompts_;
    bool running_ = false;
};

} // namespace zovax
