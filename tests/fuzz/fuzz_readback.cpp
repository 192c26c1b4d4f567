// The board's record lines of a table read-back ("Twl:", "Twc:", "Twb:",
// "Twr:", "Twp:", "Twd:", "KRV:on"/"KRV:off") through the reply dispatch into
// the read-back decoder, collecting or not, and the decoding of the entries.
// The table and link are kept from run to run (the table is 4 MB); the rows a
// run can touch are emptied at its end.
#include "FuzzSupport.h"

using namespace zovax;

namespace {
// Rows a run may address: the first rows, the read-back's last row, the
// table's edges and just beyond them.
constexpr int kRows[] = {0, 1, 2, 3, 4, 249, 250, 251, 998, 999, 1000, -1};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApp();
    static fuzz::LearnFuzzRig& rig = *new fuzz::LearnFuzzRig;
    fuzz::Input in{data, size};
    const uint8_t flags = in.byte();
    const int row = kRows[in.byte() % std::size(kRows)];
    const QByteArray payload = in.rest();

    rig.beginRun();
    rig.view.traceOn = flags & 0x01;
    rig.view.pcodeOn = flags & 0x02;
    rig.view.fullCodeOn = flags & 0x04;
    rig.link.state().tableReadMode = true;
    ReadBackDecoder& rb = rig.core->readBack();
    rb.readBackRow = row;
    rb.setCollecting(flags & 0x08);

    for (const QByteArray& l : fuzz::lines(payload)) {
        const QString line = QString::fromLatin1(l);
        // The request loop asks for the next row before its records come.
        if (line.startsWith(QLatin1String("Twl:")) && line.size() >= 7) {
            const int asked = line.mid(4, 3).toInt();
            if (asked != 0)
                rb.readBackRow = kRows[asked % std::size(kRows)];
        }
        rig.link.state().tableReadMode = true;
        rig.link.DispatchLine(line);
    }
    rb.setCollecting(false);
    if (flags & 0x10)
        rb.DecodeStoredEntry(row);
    rig.endRun(kRows);
    return 0;
}
