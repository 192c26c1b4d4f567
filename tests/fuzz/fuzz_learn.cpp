// Wave and result lines ("[iii]:HHHHH,WWWWWW", "Ave.Carrier38.0kHz", and the
// mode lines) through the reply dispatch into learning and the analyser, with
// PCode, Full Code, trace, Cursor Auto and the learning parameters set from
// the control bytes.
#include "FuzzSupport.h"

using namespace zovax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApp();
    fuzz::Input in{data, size};
    const uint8_t flags = in.byte();
    const uint8_t hRange = in.byte();
    const uint8_t wRange = in.byte();
    const uint8_t learnTime = in.byte();
    const uint8_t row = in.byte();
    const QByteArray payload = in.rest();

    // One table and link for every run (the table is 4 MB); what a run fills
    // is emptied at its end.
    static constexpr int kRowsReached[] = {1, 2, 3, 4, 5, 6, 7, 8};
    static fuzz::LearnFuzzRig& r = *new fuzz::LearnFuzzRig;
    r.beginRun();
    r.view.pcodeOn = flags & 0x01;
    r.view.fullCodeOn = flags & 0x02;
    r.view.traceOn = flags & 0x04;
    r.view.cursorAutoOn = flags & 0x08;
    r.view.learningMsgOn = flags & 0x10;
    r.view.hRange = QString::number(int(hRange) - 20);
    r.view.wRange = QString::number(int(wRange) - 20);
    r.view.learningTime = QString::number(int(learnTime) * 4);
    r.view.row = row % 7; // 0 (no row) or 1..6: a re-arm moves at most two rows on
    if (flags & 0x20)
        r.core->learner().ToggleLearning();
    const bool serial = flags & 0x40;
    for (const QByteArray& l : fuzz::lines(payload)) {
        const QString line = QString::fromLatin1(l);
        if (serial)
            r.link.DispatchSerialLine(line);
        else
            r.link.DispatchLine(line);
    }
    if (flags & 0x80)
        r.core->readBack().DecodeStoredEntry(r.view.row);
    r.endRun(kRowsReached);
    return 0;
}
