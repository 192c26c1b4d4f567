// Saves and loads a full code table (999 rows, 4096 symbols each, cells with
// Japanese text) and prints the times and the file size. Each run is timed
// several times; the figures reported are the medians.
#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"
#include "core/table/TableFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace zovax;

namespace {

class SilentPrompts : public Prompts {
public:
    MsgAnswer ask(const QString&, const QString& text, MsgIcon, MsgButtons) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MsgAnswer::Ok;
    }
};

class NullLog : public ReceiveLog {
public:
    void append(const QString&) override {}
    void clear() override {}
    int lineCount() const override { return 0; }
};

void fillFullTable(CodeTable& t)
{
    std::mt19937 rng(42);
    for (int r = 1; r <= kTableRows; ++r) {
        t.setCell(kColCarry, r, QStringLiteral("38.0kHz"));
        t.setCell(kColFrames, r, QStringLiteral("3"));
        t.setCell(kColComments, r, QStringLiteral("テレビ 電源 %1").arg(r));
        t.setCell(kColResult, r, QStringLiteral("Tm:NEC-32   d:00 FF 12 ED"));
        TableEntry& e = t.entry(r);
        e.carrier = 380;
        e.dataCount = kDataSymbols;
        e.repeat = 36;
        for (int i = 0; i < kPatternPairs; ++i) {
            e.high[size_t(i)] = int(rng() % 100000);
            e.width[size_t(i)] = int(rng() % 1000000);
        }
        for (int i = 0; i < kDataSymbols; ++i)
            e.data[size_t(i)] = uint8_t(rng() & 0xF);
    }
}

qint64 median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.Csv"));
    SilentPrompts prompts;
    NullLog log;
    CodeTable source;
    fillFullTable(source);
    CodeTable target;

    constexpr int kRuns = 7;
    std::vector<qint64> saveNs, loadNs;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        if (!SaveTableFile(source, path, prompts).ok)
            return 1;
        saveNs.push_back(t.nsecsElapsed());
        t.restart();
        if (!LoadTableFile(target, path, prompts, log, false).ok())
            return 1;
        loadNs.push_back(t.nsecsElapsed());
    }
    for (int r = 1; r <= kTableRows; ++r) {
        if (target.entry(r) != source.entry(r) || target.cell(kColComments, r) != source.cell(kColComments, r)) {
            std::fprintf(stderr, "row %d differs after the round trip\n", r);
            return 1;
        }
    }
    const qint64 bytes = QFileInfo(path).size();
    const qint64 saveMs = median(saveNs) / 1000000;
    const qint64 loadMs = median(loadNs) / 1000000;
    std::printf("rows: %d, symbols per row: %d, runs: %d\n", kTableRows, kDataSymbols, kRuns);
    std::printf("save: %.2f ms (median), load: %.2f ms (median), file: %lld bytes\n", median(saveNs) / 1e6,
                median(loadNs) / 1e6, static_cast<long long>(bytes));
    std::printf("table_file: save_ms=%lld load_ms=%lld bytes=%lld\n", static_cast<long long>(saveMs),
                static_cast<long long>(loadMs), static_cast<long long>(bytes));
    return 0;
}
