// Imports a 1,000-signal file and exports a full 999-row table, and prints the
// times. The import is a Pronto Hex file of codes from every protocol of the
// signal library (read, checked and learned into rows); the export writes a
// table of learned rows in every writable format, and the figure reported is
// the slowest format. Each run is timed several times; medians are reported.
#include "core/interchange/Interchange.h"
#include "core/interchange/ParsedCodes.h"
#include "core/table/CodeTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zovax;

namespace {

qint64 median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Row r: a protocol of the library with a code that differs from row to row.
IrTiming signalFor(int r)
{
    const auto& all = irsig::catalogue();
    const irsig::Protocol& p = all[std::size_t(r) % all.size()];
    std::vector<uint8_t> code = p.exampleCode;
    if (!code.empty())
        code.back() = uint8_t(code.back() + r);
    return timingOfCode(p, code);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    CodeTable table;
    {
        TimingLearner learner;
        for (int r = 1; r <= kTableRows; ++r) {
            const LearnedRow l = learner.learn(signalFor(r));
            if (!l.ok) {
                std::fprintf(stderr, "row %d: %s\n", r, qPrintable(l.error));
                return 1;
            }
            std::array<QString, 4> cells = l.cells;
            cells[2] = QStringLiteral("ボタン %1").arg(r);
            table.setRow(r, cells, l.entry);
        }
    }
    const std::vector<ExportRow> rows = exportRowsOf(table);

    // The import file: 1,000 Pronto Hex codes.
    std::vector<ExportRow> thousand = rows;
    thousand.push_back(rows.front());
    const QByteArray pronto = findFormat(QStringLiteral("pronto"))->write(thousand);

    constexpr int kRuns = 5;
    std::vector<qint64> importNs;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        const ReadResult read = readAny(QStringLiteral("bench.txt"), pronto);
        const std::vector<ImportedRow> imported = importRows(read);
        importNs.push_back(t.nsecsElapsed());
        if (read.badCount() != 0 || imported.size() != 1000) {
            std::fprintf(stderr, "import: %d bad, %zu rows\n", read.badCount(), imported.size());
            return 1;
        }
    }

    qint64 slowestNs = 0;
    for (const FormatInfo& f : formats()) {
        if (!f.write)
            continue;
        std::vector<qint64> ns;
        qsizetype bytes = 0;
        for (int i = 0; i < kRuns; ++i) {
            QElapsedTimer t;
            t.start();
            const std::vector<ExportRow> picked = exportRowsOf(table);
            bytes = f.write(picked).size();
            ns.push_back(t.nsecsElapsed());
        }
        std::printf("export %-8s %.1f ms (median), %lld bytes\n", f.id, median(ns) / 1e6,
                    static_cast<long long>(bytes));
        slowestNs = std::max(slowestNs, median(ns));
    }
    std::printf("import 1000 Pronto Hex codes: %.1f ms (median)\n", median(importNs) / 1e6);
    std::printf("interchange: import_1000_ms=%lld export_999_ms=%lld\n",
                static_cast<long long>(median(importNs) / 1000000), static_cast<long long>(slowestNs / 1000000));
    return 0;
}
