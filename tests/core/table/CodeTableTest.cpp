// Row operations of the code table: cells and entries always move together.
#include "core/table/CodeTable.h"
#include "tests/core/table/TableFakes.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace zovax;
using zovax::tabletest::fillAllMarked;
using zovax::tabletest::fillMarkedRow;
using zovax::tabletest::markOf;

namespace {

// Expected original row held by each row after an operation, as a function of row.
struct RowOpCase {
    const char* name;
    void (*op)(CodeTable&);
    int (*expected)(int row);
};

class TableRowOperation : public ::testing::TestWithParam<RowOpCase> {};

TEST_P(TableRowOperation, MovesCellsAndEntriesTogether)
{
    CodeTable t;
    fillAllMarked(t);
    GetParam().op(t);
    CodeTable reference;
    fillAllMarked(reference);
    for (int r = 1; r <= kTableRows; ++r) {
        const int want = GetParam().expected(r);
        ASSERT_EQ(markOf(t, r), want) << GetParam().name << " row " << r;
        if (want == 0) {
            EXPECT_EQ(t.entry(r), TableEntry{}) << "row " << r << " not emptied";
            EXPECT_TRUE(t.cell(kColResult, r).isEmpty());
        } else {
            EXPECT_EQ(t.entry(r), reference.entry(want)) << "row " << r;
            EXPECT_EQ(t.cell(kColComments, r), reference.cell(kColComments, want));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, TableRowOperation,
    ::testing::Values(
        RowOpCase{"insert at 1", [](CodeTable& t) { t.InsertLine(1); }, [](int r) { return r == 1 ? 0 : r - 1; }},
        RowOpCase{"insert at 999", [](CodeTable& t) { t.InsertLine(999); }, [](int r) { return r == 999 ? 0 : r; }},
        RowOpCase{"insert at 500", [](CodeTable& t) { t.InsertLine(500); },
                  [](int r) { return r < 500 ? r
                                  : r == 500 ? 0
                                             : r - 1; }},
        RowOpCase{"delete 1", [](CodeTable& t) { t.DeleteLine(1); }, [](int r) { return r == 999 ? 0 : r + 1; }},
        RowOpCase{"delete 999", [](CodeTable& t) { t.DeleteLine(999); }, [](int r) { return r == 999 ? 0 : r; }},
        RowOpCase{"copy 7 onto 999", [](CodeTable& t) { t.CopyRow(7, 999); }, [](int r) { return r == 999 ? 7 : r; }},
        RowOpCase{"out of range is ignored",
                  [](CodeTable& t) {
                      t.InsertLine(0);
                      t.InsertLine(1000);
                      t.DeleteLine(-1);
                      t.CopyRow(0, 5);
                      t.CopyRow(5, 1000);
                      t.ClearEntry(1000);
                  },
                  [](int r) { return r; }}),
    [](const auto& info) {
        std::string s = info.param.name;
        for (char& c : s)
            if (!isalnum(uchar(c)))
                c = '_';
        return s;
    });

TEST(CodeTable, EmptiedRowKeepsNoSymbolsOfThePreviousEntry)
{
    CodeTable t;
    fillMarkedRow(t, 999);
    t.InsertLine(999);
    EXPECT_EQ(t.entry(999).data[kDataSymbols - 1], 0);
    fillMarkedRow(t, 5);
    t.ClearEntry(5);
    EXPECT_EQ(t.entry(5), TableEntry{});
    EXPECT_EQ(t.cell(kColCarry, 5), QStringLiteral("C5")) << "ClearEntry leaves the cells";
}

TEST(CodeTable, AssignRowsReplacesEverythingAndEmptiesTheRest)
{
    CodeTable t;
    fillAllMarked(t);
    const TableEntry& keep = t.entry(3); // references stay valid across a reload
    std::vector<std::array<QString, 4>> cells(2);
    std::vector<TableEntry> entries(2);
    cells[1][0] = QStringLiteral("C2x");
    entries[1].carrier = 380;
    QSignalSpy spy(&t, &CodeTable::rowsChanged);
    t.assignRows(cells, entries);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(t.cell(kColCarry, 1), QString());
    EXPECT_EQ(t.cell(kColCarry, 2), QStringLiteral("C2x"));
    EXPECT_EQ(t.entry(2).carrier, 380);
    EXPECT_EQ(&keep, &t.entry(3));
    EXPECT_EQ(keep, TableEntry{});
    EXPECT_EQ(markOf(t, 999), 0);
}

} // namespace
