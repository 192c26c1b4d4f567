// Import into the table and export from it: where imported rows go, the
// questions, and a table left as it was when the rows do not fit.
#include "core/interchange/TableTransfer.h"
#include "core/table/CodeTable.h"
#include "tests/core/table/TableFakes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

using tabletest::FakePrompts;

const QByteArray kTwoCodes = "+9000 -4500 +560 -560 +560\n+2400 -600 +1200 -600 +600\n";

TEST(TableTransfer, ImportedRowsPlacement)
{
    const struct {
        int fromRow;
        std::vector<int> occupied;
        std::vector<MsgAnswer> answers; // to the overwrite question
        std::vector<int> expected;      // rows written; empty: nothing
    } cases[] = {
        {5, {}, {}, {5, 6}},
        {5, {6}, {MsgAnswer::Yes}, {5, 6}},
        {5, {6}, {MsgAnswer::No}, {5, 7}},
        {998, {}, {}, {998, 999}},
        {999, {}, {}, {}},                 // one row left for two codes
        {998, {999}, {MsgAnswer::No}, {}}, // no second empty row below
    };
    for (const auto& c : cases) {
        CodeTable table;
        for (int r : c.occupied)
            table.setCell(kColComments, r, QStringLiteral("x"));
        FakePrompts prompts;
        prompts.answers.assign(c.answers.begin(), c.answers.end());
        const TransferOutcome o = importIntoTable(table, c.fromRow, QStringLiteral("t.txt"), kTwoCodes,
                                                  findFormat(QStringLiteral("timing")), prompts);
        EXPECT_EQ(o.rows, c.expected) << c.fromRow;
        EXPECT_EQ(o.ok, !c.expected.empty());
        EXPECT_EQ(table.modified(), o.ok);
        for (int r : c.occupied) {
            const bool overwritten = std::count(c.expected.begin(), c.expected.end(), r) == 1;
            EXPECT_EQ(table.cell(kColComments, r) == QStringLiteral("x"), !overwritten) << r;
        }
        if (!o.ok) {
            EXPECT_TRUE(prompts.asked.back().text.endsWith(QStringLiteral("テーブルは変更していません。")));
        }
    }
}

TEST(TableTransfer, ExportNeedsRowsAndAWritablePlace)
{
    QTemporaryDir dir;
    CodeTable table;
    FakePrompts prompts;
    const FormatInfo& pronto = *findFormat(QStringLiteral("pronto"));
    EXPECT_FALSE(exportTable(table, {}, pronto, dir.filePath(QStringLiteral("a.txt")), prompts).ok);
    EXPECT_TRUE(prompts.asked.back().text.startsWith(QStringLiteral("エクスポートする行がありません")));

    ASSERT_TRUE(
        importIntoTable(table, 3, QStringLiteral("t"), kTwoCodes, findFormat(QStringLiteral("timing")), prompts).ok);
    EXPECT_FALSE(exportTable(table, {}, pronto, dir.filePath(QStringLiteral("no/such/dir/a.txt")), prompts).ok);
    EXPECT_TRUE(prompts.asked.back().text.startsWith(QStringLiteral("エクスポート出来ませんでした。")));

    const TransferOutcome o = exportTable(table, {4, 5}, pronto, dir.filePath(QStringLiteral("b.txt")), prompts);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.rows, std::vector<int>{4}); // row 5 holds no code
    EXPECT_FALSE(
        exportTable(table, {}, *findFormat(QStringLiteral("mode2")), dir.filePath(QStringLiteral("c")), prompts).ok);
}

} // namespace
} // namespace zovax::test
