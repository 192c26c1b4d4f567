// Received bytes through the TCP and serial line assembly and the two reply
// dispatchers, in every link mode. Control bytes: link mode, serial delimiter
// mode with the serial dispatcher's switches, chunk size of the reads.
// Property: the lines assembled do not depend on how the bytes were split.
#include "FuzzSupport.h"

#include "core/link/LineAssembly.h"

#include <algorithm>

using namespace zovax;

namespace {

// The bytes from `at` on, at most `chunk` of them, without a copy: a run feeds
// up to 4 KB a byte at a time to three readers, and a copy per piece was a
// large part of its time.
QByteArray piece(const QByteArray& bytes, qsizetype at, int chunk)
{
    return QByteArray::fromRawData(bytes.constData() + at, std::min<qsizetype>(chunk, bytes.size() - at));
}

template <class Assembler> QStringList feedChunked(Assembler& a, const QByteArray& bytes, int chunk)
{
    QStringList out;
    for (qsizetype i = 0; i < bytes.size(); i += chunk)
        out += a.feed(piece(bytes, i, chunk));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApp();
    fuzz::Input in{data, size};
    const uint8_t mode = in.byte();
    const uint8_t serial = in.byte();
    const int chunk = 1 + in.byte();
    const QByteArray bytes = in.rest();

    // Line assembly alone: whole reads and split reads give the same lines.
    TcpLineAssembler tcpWhole, tcpSplit;
    fuzz::require(tcpWhole.feed(bytes) == feedChunked(tcpSplit, bytes, chunk));
    fuzz::require(tcpWhole.pending() == tcpSplit.pending());
    const auto serialMode = SerialLineAssembler::Mode(serial % 5);
    SerialLineAssembler serWhole(serialMode), serSplit(serialMode);
    QStringList whole = serWhole.feed(bytes) + serWhole.flush();
    QStringList split = feedChunked(serSplit, bytes, chunk) + serSplit.flush();
    fuzz::require(whole == split);

    // The link in one of its modes, with handlers that only count. One link for
    // every run (its socket is costly to make); what a run sets is reset here.
    static test::LinkRig& rig = *new test::LinkRig(test::LinkRig::Record::Nothing);
    DeviceLink& link = rig.link;
    test::FakeLog& log = rig.log;
    link.state() = LinkState{};
    link.handlers = LinkHandlers{};
    link.resetTcpAssembly();
    link.resetSerialAssembly();
    log.clear();
    LinkState& s = link.state();
    switch (mode % 6) {
    case 1: s.tableWriteMode = TableWriteMode::Erase; break;
    case 2: s.tableWriteMode = TableWriteMode::Store; break;
    case 3: s.tableReadMode = true; break;
    case 4: s.netConfigOpen = true; break;
    case 5: s.consoleConfigMode = true; break;
    default: break;
    }
    int calls = 0;
    auto count = [&calls](const QString&) { ++calls; };
    LinkHandlers& h = link.handlers;
    if (mode & 0x80) { // otherwise every handler is unset and must be skipped
        h.OnWaveLine = count;
        h.OnAverageLine = count;
        h.HandleConfigLine = count;
        h.OnReadBackLine = count;
        h.SetLearnIndicator = [&calls](bool) { ++calls; };
        h.RearmLearning = [&calls] { ++calls; };
        h.learnIndicatorOn = [serial] { return (serial & 0x10) != 0; };
        h.cursorAutoChecked = [serial] { return (serial & 0x20) != 0; };
        h.waveDataPanelVisible = [serial] { return (serial & 0x40) != 0; };
    }
    link.setSerialMode(serialMode);
    for (qsizetype i = 0; i < bytes.size(); i += chunk) {
        const QByteArray p = piece(bytes, i, chunk);
        link.onTcpBytes(p);
        link.onSerialBytes(p);
    }
    link.flushSerialLine();
    fuzz::require(calls >= 0);
    // What the run left in the link and the log is freed within the run (a run
    // that ends with more allocations than frees is run again to look for a
    // leak); the handlers refer to this run's counter.
    link.handlers = LinkHandlers{};
    link.resetTcpAssembly();
    link.resetSerialAssembly();
    log.clear();
    return 0;
}
