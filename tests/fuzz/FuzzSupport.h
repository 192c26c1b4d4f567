#pragma once
// Shared pieces of the fuzz targets: the Qt application object the link and
// the table need, a reader that takes control bytes off the front of the
// fuzzer's input, and a rig that runs the learning subsystem against a link
// whose every command is acknowledged at once (no wait ever blocks).
#include "LearnTestRig.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace zovax::fuzz {

// One application per process; Qt's warnings are dropped (bad input is
// expected to produce them), a fatal message still aborts.
inline void ensureApp()
{
    static QCoreApplication* app = [] {
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
            if (type == QtFatalMsg)
                std::abort();
        });
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QCoreApplication(argc, argv);
    }();
    (void)app;
}

// The fuzzer's input: control bytes from the front, then the payload.
struct Input {
    const uint8_t* p;
    size_t n;
    uint8_t byte()
    {
        if (n == 0)
            return 0;
        --n;
        return *p++;
    }
    QByteArray rest()
    {
        QByteArray b(reinterpret_cast<const char*>(p), qsizetype(n));
        n = 0;
        return b;
    }
};

// A failed property: stop with a crash the fuzzer records.
inline void require(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The payload's lines (split at LF, one CR before it dropped).
inline QList<QByteArray> lines(const QByteArray& payload)
{
    QList<QByteArray> out = payload.split('\n');
    for (QByteArray& l : out)
        if (l.endsWith('\r'))
            l.chop(1);
    return out;
}

// The test view without its records of what was drawn (a map entry per pulse
// and per logic cell): nothing here reads them, and they were a fifth of a run.
struct LeanLearnView : test::FakeLearnView {
    void DrawPulse(int, int) override {}
    void setLogicCell(int, int, const QString&) override {}
};

// The learning subsystem with the test fakes. The link counts as connected but
// has no open socket: frames go nowhere, and each one is acknowledged as it is
// sent, so the acknowledgement waits return at once.
struct LearnFuzzRig : test::LinkRig {
    LeanLearnView view;
    test::FakeSounds sounds;
    CodeTable table;
    std::unique_ptr<LearningCore> core;

    LearnFuzzRig() : LinkRig(Record::Nothing)
    {
        QObject::connect(&link, &DeviceLink::tcpFrameSent, &link, [this] { link.SetReplyAck(); });
    }

    // A fresh learning subsystem (no decoder or learner state crosses runs) on
    // a connected link with the fakes as they start.
    void beginRun()
    {
        link.state() = LinkState{};
        link.state().tcpConnected = true;
        core = std::make_unique<LearningCore>(link, table, view, prompts, sounds, log);
        core->installHandlers(link.handlers);
    }

    // Empties everything the run may have filled (the given rows, the log, the
    // fakes) and drops the learning subsystem. Done at the end of the run so
    // that the run frees what it allocated: a run that ends with more
    // allocations than frees is run again by libFuzzer to look for a leak.
    template <class Rows> void endRun(const Rows& rows)
    {
        link.handlers = LinkHandlers{};
        core.reset();
        for (int r : rows) {
            if (!CodeTable::validRow(r))
                continue;
            table.ClearEntry(r);
            for (int c = kColCarry; c <= kColResult; ++c)
                table.setCell(c, r, QString());
        }
        table.SetModified(false);
        log.clear();
        view = LeanLearnView{};
        prompts = test::FakePrompts{};
        sounds = test::FakeSounds{};
    }
};

} // namespace zovax::fuzz
