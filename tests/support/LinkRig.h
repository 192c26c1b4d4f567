#pragma once
// A device link as the core tests drive it: its settings, a receive log in
// memory, scripted message boxes, and the commands written to TCP as text.
#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "support/Fakes.h"

#include <QStringList>

namespace zovax::test {

// Built in member order: the link refers to the settings and the log. The link
// is never dialled by the rig; a TCP frame is reported (and recorded) only
// while `link.state().tcpConnected` is set, which a test may set without a
// socket. A fixture that derives from the rig keeps these member names.
struct LinkRig {
    // Long runs (fuzzing) record nothing, so that memory stays flat.
    enum class Record { Sent, Nothing };

    Settings settings;
    FakeLog log;
    FakePrompts prompts;
    DeviceLink link{settings, log};
    QStringList sent; // each TCP command without its CR LF, in the order written

    explicit LinkRig(Record record = Record::Sent)
    {
        if (record == Record::Sent) {
            QObject::connect(&link, &DeviceLink::tcpFrameSent,
                             [this](const QByteArray& f) { sent << QString::fromLatin1(f).chopped(2); });
        }
    }
    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;
};

} // namespace zovax::test
