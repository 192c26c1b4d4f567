#include "core/table/FireTest.h"

#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/TextNumbers.h"
#include "core/table/CodeTable.h"
#include "core/table/TwRecords.h"

#include <algorithm>

namespace zovax {

QStringList FireTestCommands(const TableEntry& e, const IrOutputs& outputs, const QString& framesCell)
{
    QStringList out;
    out << QString::asprintf("Tp:%d%d%d%d", outputs[0] ? 1 : 0, outputs[1] ? 1 : 0, outputs[2] ? 1 : 0,
                             outputs[3] ? 1 : 0);
    out << entryHeadRecords(e); // flag always sent as 0
    // Pattern pairs up to the first two silent high times in a row; pair 15 is
    // the last there is, so it ends the list before high[16] would be read.
    for (int i = 0; i < kPatternPairs; ++i) {
        out << twpRecord(i, e.high[i], e.width[i]);
        if (i == kPatternPairs - 1 || (e.high[i] == 0 && e.high[i + 1] == 0))
            break;
    }
    out << twdRecord(e);
    if (!framesCell.isEmpty()) {
        out << QString::asprintf("Tf:%03d", parseIntOr(framesCell, 3));
    }
    return out;
}

FireTest::FireTest(DeviceLink& link, CodeTable& table, Prompts& prompts) : link_(link), table_(table), prompts_(prompts)
{}

bool FireTest::run(FireTestView& view)
{
    const LinkState& st = link_.state();
    if (!requireLink(st, LinkNeed::Any, false, prompts_, MsgIcon::Warning))
        return false;
    if (running_)
        return false;
    const bool trace = view.traceMode(); // decides the echo for the whole run
    if (link_.handlers.SetLearnIndicator)
        link_.handlers.SetLearnIndicator(false);
    const int row = std::clamp(view.currentRow(), 1, kTableRows);
    view.selectCell(kColCarry, row);
    if (table_.cell(kColCarry, row).trimmed().isEmpty())
        return false;

    TableEntry& e = table_.entry(row);
    e.flag = 0; // the record keeps the flag it was sent with
    table_.entryChanged(row);
    // Built before the first wait: replies and clicks handled during the waits
    // cannot change what this test sends.
    const QStringList commands = FireTestCommands(e, view.outputs(), table_.cell(kColFrames, row));

    running_ = true;
    quint64 acksBeforeFire = 0;
    for (const QString& c : commands) {
        acksBeforeFire = link_.ackCount();
        link_.SendLine(c);
        link_.WaitAck(kEmitWaitMs);
        if (trace)
            link_.receiveLog().append(c);
    }
    // Serial replies carry no acknowledgement: checked on TCP only.
    const QString& last = commands.last();
    if (st.tcpConnected && last.startsWith(QLatin1String("Tf:"))) {
        const auto answered = [&] { return link_.ackCount() != acksBeforeFire; };
        link_.WaitUntil(answered, answerWaitMs);
        if (st.tcpConnected && !answered())
            link_.receiveLog().append(QStringLiteral("Fire test: no answer to ") + last);
    }
    running_ = false;
    if (view.cursorAuto() && row < kTableRows)
        view.selectCell(kColCarry, row + 1);
    return true;
}

} // namespace zovax
