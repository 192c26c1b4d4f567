// Every signal of the library, learned, written in each format and read back:
// the same Result, Frames and pattern code, the carrier within 1 %.
#include "core/interchange/Interchange.h"
#include "core/learning/LearnTestRig.h"

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

// Rows learned from every protocol, nominal and with receiver jitter.
std::vector<ExportRow> learnedRows()
{
    std::vector<ExportRow> rows;
    TimingLearner learner;
    for (const irsig::Protocol& p : irsig::catalogue()) {
        for (int jitter : {0, 3}) {
            const irsig::Noise noise{11, jitter, jitter ? 40 : 0};
            const auto pairs = irsig::encode(p, p.exampleCode, -1, noise, 550000);
            const LearnedRow l = learner.learn({p.carrierTenths * 100, durationsOf(pairs), {}});
            EXPECT_TRUE(l.ok) << p.name;
            ExportRow r;
            r.row = int(rows.size()) + 1;
            r.cells = l.cells;
            r.cells[2] = QString::fromStdString(p.name) + (jitter ? "~" : "");
            r.entry = l.entry;
            rows.push_back(r);
        }
    }
    return rows;
}

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, SameRowsBack)
{
    const FormatInfo* f = findFormat(QLatin1String(GetParam()));
    ASSERT_NE(f, nullptr);
    const std::vector<ExportRow> rows = learnedRows();
    const QByteArray file = f->write(rows);
    const ReadResult read = f->read(QStringLiteral("x"), file);
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    ASSERT_EQ(read.badCount(), 0) << read.items[0].error.toStdString();
    ASSERT_EQ(read.items.size(), rows.size());
    EXPECT_EQ(detectFormat(QStringLiteral("x"), file), f);
    const std::vector<ImportedRow> back = importRows(read);
    ASSERT_EQ(back.size(), rows.size());
    // One LIRC remote per carrier changes the order: match by name where there are names.
    const QStringList names = uniqueNames(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ExportRow& a = rows[i];
        auto it = std::find_if(back.begin(), back.end(), [&](const ImportedRow& r) {
            return r.row.cells[2] == a.cells[2] || r.row.cells[2] == names[int(i)];
        });
        const LearnedRow& b = it != back.end() ? it->row : back[i].row; // sendir carries no names
        const std::string what = a.cells[2].toStdString();
        ASSERT_TRUE(b.ok) << what << " " << b.error.toStdString();
        EXPECT_EQ(b.cells[3], a.cells[3]) << what;
        EXPECT_EQ(b.cells[1], a.cells[1]) << what;
        EXPECT_EQ(b.entry.dataCount, a.entry.dataCount) << what;
        EXPECT_EQ(b.entry.repeat, a.entry.repeat) << what;
        EXPECT_TRUE(std::equal(a.entry.data.begin(), a.entry.data.begin() + a.entry.dataCount, b.entry.data.begin()))
            << what;
        EXPECT_LE(std::abs(b.entry.carrier - a.entry.carrier) * 100, a.entry.carrier) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip, ::testing::Values("pronto", "sendir", "flipper", "lirc", "json"));

} // namespace
} // namespace zovax::test
