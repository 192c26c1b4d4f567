#pragma once
// The fire test: sends the code-table entry of the selected row to the board
// and makes it emit the entry on the chosen IR outputs, then optionally moves
// the selection down so that a table can be tested by repeated clicks.
#include "core/table/TableEntry.h"

#include <QString>
#include <QStringList>

#include <array>

namespace zovax {

class CodeTable;
class DeviceLink;
class Prompts;

// IR1..IR4 as ticked (true = emit on that output).
using IrOutputs = std::array<bool, 4>;

// The command lines of one fire test of `e`, in sending order:
// "Tp:%d%d%d%d", "Twf:000", "Twc:", "Twb:", "Twr:", the "Twp:" pairs (up to the
// first pair i with high[i] and high[i+1] both 0, at most 16), "Twd:" with one
// hexadecimal digit per data symbol (the last one doubled when the count is
// odd), and "Tf:%03d" when `framesCell` is not empty (3 when it is not a
// number). The data count ("Twb:" and "Twd:") is bounded to 0..4096 and each symbol to one
// hexadecimal digit (its low four bits).
QStringList FireTestCommands(const TableEntry& e, const IrOutputs& outputs, const QString& framesCell);

// The main window as the fire test sees it.
class FireTestView {
public:
    virtual ~FireTestView() = default;
    virtual IrOutputs outputs() const = 0; // ckTp1..ckTp4
    virtual bool cursorAuto() const = 0;   // ckCursor
    virtual bool traceMode() const = 0;
    virtual int currentRow() const = 0; // grid row 1..999
    virtual void selectCell(int column, int row) = 0;
};

class FireTest {
public:
    static constexpr int kEmitWaitMs = 2; // after each command
    // The board answers the emission command "Tf:…" (the records before it
    // are taken silently): its answer is awaited this long (TCP), and a
    // missing answer is named in the receive log.
    static constexpr int kAnswerWaitMs = 1500;
    int answerWaitMs = kAnswerWaitMs;

    FireTest(DeviceLink& link, CodeTable& table, Prompts& prompts);

    // btnTest. Returns true when commands were sent. A click while a test is
    // still sending is ignored.
    bool run(FireTestView& view);
    bool running() const { return running_; }

private:
    DeviceLink& link_;
    CodeTable& table_;
    Prompts& prompts_;
    bool running_ = false;
};

} // namespace zovax
