// Table files: the exact layout, round trips, the reader's rules and every
// way a save or a load can fail without costing the table or the file.
#include "core/table/TableFile.h"
#include "core/shell/Cp932.h"
#include "support/TestSupport.h"
#include "tests/core/table/TableFakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zovax;
using namespace zovax::test;
using namespace zovax::tabletest;

namespace {

const QByteArray kEmptyEntryFields = "Twc:000,Twb:000,Twr:000,"
                                     "Twp:0:00000 000000,Twp:1:00000 000000,Twp:2:00000 000000,Twp:3:00000 000000,"
                                     "Twp:4:00000 000000,Twp:5:00000 000000,Twp:6:00000 000000,Twp:7:00000 000000,"
                                     "Twp:8:00000 000000,Twp:9:00000 000000,Twp:A:00000 000000,Twp:B:00000 000000,"
                                     "Twp:C:00000 000000,Twp:D:00000 000000,Twp:E:00000 000000,Twp:F:00000 000000,"
                                     "Twd:,";

QByteArray fileOf(const QList<QByteArray>& rows, const QByteArray& eol = "\r\n")
{
    QByteArray out = QByteArray(kTableFileHeader) + eol;
    for (const QByteArray& r : rows)
        out += r + eol;
    return out;
}

struct Fixture {
    QTemporaryDir dir;
    CodeTable table;
    FakePrompts prompts;
    FakeLog log;
    QString path(const QString& name) const { return dir.filePath(name); }
    TableLoadResult load(const QByteArray& bytes, bool trace = false)
    {
        const QString p = path(QStringLiteral("in.Csv"));
        writeFileBytes(p, bytes);
        return LoadTableFile(table, p, prompts, log, trace);
    }
};

void expectSameTable(const CodeTable& a, const CodeTable& b)
{
    for (int r = 1; r <= kTableRows; ++r) {
        for (int c = 1; c <= 4; ++c)
            ASSERT_EQ(a.cell(c, r), b.cell(c, r)) << "row " << r << " column " << c;
        ASSERT_EQ(a.entry(r), b.entry(r)) << "row " << r;
    }
}

TEST(TableFile, EmptyTableIsHeaderAnd999EmptyRowLines)
{
    CodeTable t;
    QByteArray expected = "ZOVAX Table File\r\n";
    for (int r = 1; r <= kTableRows; ++r)
        expected
            += QByteArray("[") + QByteArray::number(r).rightJustified(3, '0') + "],,,,," + kEmptyEntryFields + "\r\n";
    EXPECT_EQ(tableFileBytes(t), expected);
    EXPECT_TRUE(tableFileBytes(t).contains("\r\n[999],,,,,Twc:000,"));
}

TEST(TableFile, RowLineLayout)
{
    TableEntry e;
    e.carrier = 380;
    e.dataCount = 3;
    e.repeat = 44;
    e.high[0] = 9000;
    e.width[0] = 13500;
    e.high[1] = 560;
    e.width[1] = 1125;
    e.data[0] = 1;
    e.data[1] = 2;
    e.data[2] = 0xB;
    const std::array<QString, 4> cells{QStringLiteral(" 38.0kHz "), QStringLiteral("3"), QStringLiteral("\t電源\r"),
                                       QStringLiteral("Tm:NEC d:01")};
    const QByteArray line = tableRowLine(12, cells, e);
    const QByteArray head = "[012],38.0kHz,3," + toCp932(QStringLiteral("電源"))
        + ",Tm:NEC d:01,Twc:380,Twb:003,Twr:044,Twp:0:09000 013500,Twp:1:00560 001125,Twp:2:00000 000000,";
    EXPECT_TRUE(line.startsWith(head)) << line.constData();
    EXPECT_TRUE(line.endsWith("Twp:F:00000 000000,Twd:12BB,")) << "odd count repeats the last digit";
}

TEST(TableFile, OddCountReadsBackWithThePaddingSymbol)
{
    Fixture f;
    TableEntry e;
    e.dataCount = 3;
    e.data[0] = 1;
    e.data[1] = 2;
    e.data[2] = 3;
    ASSERT_TRUE(f.load(fileOf({tableRowLine(1, {}, e)})).ok());
    const TableEntry& got = f.table.entry(1);
    EXPECT_EQ(got.dataCount, 3);
    EXPECT_EQ(std::vector<int>(got.data.begin(), got.data.begin() + 5), (std::vector<int>{1, 2, 3, 3, 0}));
}

TEST(TableFile, RandomTablesSurviveSaveAndReopen)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        Fixture f;
        CodeTable original;
        fillRandomTable(original, seed);
        for (int r = 1; r <= kTableRows; ++r)
            for (int c = 1; c <= 4; ++c)
                f.table.setCell(c, r, QStringLiteral("old")); // replaced by the load
        const QString p = f.path(QStringLiteral("t.Csv"));
        ASSERT_TRUE(SaveTableFile(original, p, f.prompts).ok);
        ASSERT_TRUE(LoadTableFile(f.table, p, f.prompts, f.log, false).ok());
        EXPECT_TRUE(f.prompts.asked.empty());
        expectSameTable(f.table, original);
    }
}

TEST(TableFile, LongestRowLinesReadWhole)
{
    Fixture f;
    CodeTable full;
    for (int r = 1; r <= kTableRows; ++r) {
        TableEntry& e = full.entry(r);
        e.carrier = 380;
        e.dataCount = r % 2 ? kDataSymbols : kDataSymbols - 1;
        for (int i = 0; i < kDataSymbols; ++i)
            e.data[size_t(i)] = uint8_t((i + r) & 0xF);
        if (e.dataCount & 1)
            e.data[size_t(e.dataCount)] = e.data[size_t(e.dataCount - 1)];
        full.setCell(kColComments, r, QString(300, QChar(0x30C6))); // 600 bytes in CP932
    }
    const QString p = f.path(QStringLiteral("full.Txt"));
    ASSERT_TRUE(SaveTableFile(full, p, f.prompts).ok);
    ASSERT_TRUE(LoadTableFile(f.table, p, f.prompts, f.log, false).ok());
    expectSameTable(f.table, full);
}

TEST(TableFile, LoadFillsRowsInFileOrderAndEmptiesTheRest)
{
    Fixture f;
    fillAllMarked(f.table);
    const QByteArray withResult = "[077],38.0kHz,3,c1,Tm:X d:00," + kEmptyEntryFields;
    const QByteArray twoDigit = "[01],40.0kHz,1,c2,Twc:400,Twb:002,Twd:5A";
    ASSERT_TRUE(f.load(fileOf({withResult, twoDigit}, "\n")).ok()) << "LF-only lines";
    EXPECT_EQ(f.table.cell(kColCarry, 1), QStringLiteral("38.0kHz")) << "label number not used";
    EXPECT_EQ(f.table.cell(kColResult, 1), QStringLiteral("Tm:X d:00"));
    EXPECT_EQ(f.table.cell(kColComments, 2), QStringLiteral("c2"));
    EXPECT_EQ(f.table.cell(kColResult, 2), QString()) << "two-digit label: no Result field";
    EXPECT_EQ(f.table.entry(2).carrier, 400);
    EXPECT_EQ(f.table.entry(2).dataCount, 2);
    EXPECT_EQ(f.table.entry(2).data[1], 0xA);
    for (int r : {3, 500, 999}) {
        EXPECT_EQ(markOf(f.table, r), 0);
        EXPECT_EQ(f.table.entry(r), TableEntry{});
    }
    EXPECT_EQ(f.log.clears, 1);
}

// One row line and what it reads as (or that it fails).
struct ParseCase {
    const char* name;
    QByteArray line;
    bool ok;
    std::function<void(const std::array<QString, 4>&, const TableEntry&)> check;
};

class TableRowLine : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TableRowLine, Reads)
{
    const ParseCase& c = GetParam();
    const ParsedTable p = parseTableFile(fileOf({"[001],a,b,c,d," + kEmptyEntryFields, c.line}));
    ASSERT_EQ(p.ok, c.ok) << c.name << ": " << p.errorText.toStdString();
    if (!c.ok) {
        EXPECT_EQ(p.errorLine, 3) << "header is line 1, the bad row line 3";
        EXPECT_EQ(p.rowCount, 0);
        return;
    }
    ASSERT_EQ(p.rowCount, 2);
    c.check(p.cells[1], p.entries[1]);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TableRowLine,
    ::testing::Values(ParseCase{"untagged fields by position",
                                "[002],c,f,m,r,Abc:380,Abc:036,Abc:004,Abc:F:01000 002000,Abc:A9", true,
                                [](auto& cells, const TableEntry& e) {
                                    EXPECT_EQ(cells[3], QStringLiteral("r"));
                                    EXPECT_EQ(e.carrier, 380);
                                    EXPECT_EQ(e.dataCount, 36);
                                    EXPECT_EQ(e.repeat, 4);
                                    EXPECT_EQ(e.high[15], 1000);
                                    EXPECT_EQ(e.width[15], 2000);
                                    EXPECT_EQ(e.data[0], 0xA);
                                    EXPECT_EQ(e.data[1], 9);
                                }},
                      ParseCase{"pairs continue until pair F", "[002],,,,,Twp:0:00001 000002,Abc:1:00003 000004", true,
                                [](auto&, const TableEntry& e) {
                                    EXPECT_EQ(e.high[1], 3);
                                    EXPECT_EQ(e.width[1], 4);
                                }},
                      ParseCase{"tag at the Result place skips Result", "[002],c,f,m,Twr:007,Twc:390", true,
                                [](auto& cells, const TableEntry& e) {
                                    EXPECT_EQ(cells[3], QString());
                                    EXPECT_EQ(e.repeat, 7);
                                    EXPECT_EQ(e.carrier, 390);
                                }},
                      ParseCase{"non-numbers read as 0, counts bounded",
                                "[002],,,,,Twc:abc,Twb:99999,Twr:-5,Twp:F:00001 000002,Twd:1", true,
                                [](auto&, const TableEntry& e) {
                                    EXPECT_EQ(e.carrier, 0);
                                    EXPECT_EQ(e.dataCount, kDataSymbols);
                                    EXPECT_EQ(e.repeat, -5);
                                    EXPECT_EQ(e.high[15], 1);
                                    EXPECT_EQ(e.data[0], 1);
                                }},
                      ParseCase{"negative data count reads as 0", "[002],,,,,Twb:-3", true,
                                [](auto&, const TableEntry& e) { EXPECT_EQ(e.dataCount, 0); }},
                      ParseCase{"digits beyond 4096 ignored", "[002],,,,,Twd:" + QByteArray(kDataSymbols, '7') + "FFFF",
                                true,
                                [](auto&, const TableEntry& e) {
                                    EXPECT_EQ(e.data[kDataSymbols - 1], 7);
                                    EXPECT_EQ(e.dataCount, 0) << "Twd: does not change the count";
                                }},
                      ParseCase{"times wider than their columns read whole", "[002],,,,,Twp:3:123456 1234567", true,
                                [](auto&, const TableEntry& e) {
                                    EXPECT_EQ(e.high[3], 123456);
                                    EXPECT_EQ(e.width[3], 1234567);
                                }},
                      ParseCase{"fields after the data ignored", "[002],,,,,Twd:12,garbage,more", true,
                                [](auto&, const TableEntry& e) { EXPECT_EQ(e.data[1], 2); }},
                      ParseCase{"short label line", "[002]", true,
                                [](auto& cells, const TableEntry& e) {
                                    EXPECT_EQ(cells[0], QString());
                                    EXPECT_EQ(e, TableEntry{});
                                }},
                      ParseCase{"bad pair index", "[002],,,,,Twp:G:00001 000002", false, nullptr},
                      ParseCase{"bad pair time", "[002],,,,,Twp:0:0x001 000002", false, nullptr},
                      ParseCase{"pair without width", "[002],,,,,Twp:0:00001", false, nullptr},
                      ParseCase{"empty pair", "[002],,,,,Twp:", false, nullptr},
                      ParseCase{"bad data digit", "[002],,,,,Twd:12G4", false, nullptr}),
    [](const auto& info) {
        std::string s = info.param.name;
        for (char& ch : s)
            if (!isalnum(uchar(ch)))
                ch = '_';
        return s;
    });

TEST(TableFile, ReadingStopsAtANonRowLineOrAfter999Rows)
{
    QList<QByteArray> rows;
    for (int r = 1; r <= 1005; ++r)
        rows << "[001],C" + QByteArray::number(r) + ",,,," + kEmptyEntryFields;
    ParsedTable p = parseTableFile(fileOf(rows));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.rowCount, kTableRows);
    EXPECT_EQ(p.cells[998][0], QStringLiteral("C999"));

    rows = {rows[0], rows[1], "", rows[2]};
    p = parseTableFile(fileOf(rows));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.rowCount, 2);
}

TEST(TableFile, HeaderQuestion)
{
    const QByteArray noHeader = "[001],first,,,," + kEmptyEntryFields + "\r\n[002],second,,,,\r\n";
    {
        Fixture f;
        fillAllMarked(f.table);
        f.prompts.answers = {MsgAnswer::Cancel};
        EXPECT_EQ(f.load(noHeader).status, TableLoadStatus::Declined);
        ASSERT_EQ(f.prompts.asked.size(), 1u);
        EXPECT_EQ(f.prompts.asked[0].text,
                  QStringLiteral("ZOVAX-Etherのテーブルファイルでは有りません。\n強制的に開きますか？"));
        EXPECT_EQ(f.prompts.asked[0].caption, QStringLiteral("警告"));
        EXPECT_EQ(f.prompts.asked[0].buttons, MsgButtons::OkCancel);
        EXPECT_EQ(markOf(f.table, 999), 999);
        EXPECT_EQ(f.log.clears, 0);
    }
    {
        Fixture f;
        f.prompts.answers = {MsgAnswer::Ok};
        ASSERT_TRUE(f.load(noHeader).ok());
        EXPECT_EQ(f.table.cell(kColCarry, 1), QStringLiteral("second")) << "the first line is lost";
    }
    {
        Fixture f;
        ASSERT_TRUE(f.load("xx ZOVAX Table File xx\n[001],a,,,,\n").ok());
        EXPECT_TRUE(f.prompts.asked.empty()) << "header text anywhere in the first line";
    }
}

TEST(TableFile, InvalidFieldLeavesTableAndLogUntouched)
{
    Fixture f;
    fillAllMarked(f.table);
    f.table.SetModified(true);
    f.log.append(QStringLiteral("kept"));
    CodeTable before;
    fillAllMarked(before);
    const TableLoadResult r
        = f.load(fileOf({"[001],x,,,," + kEmptyEntryFields, "[002],y,,,,Twc:1,Twb:2,Twr:3,Twp:0:0000A 000001"}));
    EXPECT_EQ(r.status, TableLoadStatus::Invalid);
    ASSERT_EQ(f.prompts.asked.size(), 1u);
    EXPECT_TRUE(f.prompts.asked[0].text.contains(f.path(QStringLiteral("in.Csv"))));
    EXPECT_TRUE(f.prompts.asked[0].text.contains(QStringLiteral("3 行目"))) << f.prompts.asked[0].text.toStdString();
    expectSameTable(f.table, before);
    EXPECT_TRUE(f.table.modified());
    EXPECT_EQ(f.log.lines, QStringList{QStringLiteral("kept")});
}

TEST(TableFile, MissingFileIsNotOpenedSilently)
{
    Fixture f;
    fillAllMarked(f.table);
    const TableLoadResult r = LoadTableFile(f.table, f.path(QStringLiteral("none.Csv")), f.prompts, f.log, false);
    EXPECT_EQ(r.status, TableLoadStatus::NotOpened);
    EXPECT_TRUE(f.prompts.asked.empty());
    EXPECT_EQ(markOf(f.table, 1), 1);
}

TEST(TableFile, TraceListingNamesEveryRowWithACarrier)
{
    Fixture f;
    TableEntry e;
    e.carrier = 380;
    e.dataCount = 1;
    e.data[0] = 0xC;
    const QByteArray file = fileOf({tableRowLine(1, {}, TableEntry{}), tableRowLine(2, {}, e)});
    ASSERT_TRUE(f.load(file, true).ok());
    ASSERT_EQ(f.log.lines.size(), 1);
    const QString line = f.log.lines[0];
    EXPECT_TRUE(line.startsWith(QStringLiteral("[002] Twc:380,Twb:001,Twr:000,Twp:0:00000 000000,")));
    EXPECT_TRUE(line.endsWith(QStringLiteral("Twp:F:00000 000000,Twd:CC"))) << "no comma after the digits";

    Fixture quiet;
    ASSERT_TRUE(quiet.load(file, false).ok());
    EXPECT_TRUE(quiet.log.lines.isEmpty());
}

TEST(TableFile, UnstorableCellsRefuseTheSave)
{
    Fixture f;
    const QString p = f.path(QStringLiteral("t.Csv"));
    ASSERT_TRUE(writeFileBytes(p, "previous"));
    f.table.setCell(kColComments, 12, QStringLiteral("A,B"));
    f.table.setCell(kColCarry, 40, QStringLiteral("a\nb"));
    f.table.setCell(kColResult, 41, QStringLiteral(" Twd:5"));
    f.table.setCell(kColComments, 42, QStringLiteral("Twd:5")); // only the Result place reads tags
    f.table.SetModified(true);

    const auto bad = findUnstorableCells(f.table);
    ASSERT_EQ(bad.size(), 3u);
    const TableSaveResult r = SaveTableFile(f.table, p, f.prompts);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(f.prompts.asked.size(), 1u);
    EXPECT_TRUE(r.message.contains(QStringLiteral("[012] Comments")));
    EXPECT_TRUE(r.message.contains(QStringLiteral("[040] Carry")));
    EXPECT_TRUE(r.message.contains(QStringLiteral("[041] Result")));
    EXPECT_EQ(readFileBytes(p), QByteArray("previous"));
    EXPECT_TRUE(f.table.modified());
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("t.Csv")});
}

TEST(TableFile, CharactersTheCodePageLacksRefuseTheSaveNamingCellAndCharacter)
{
    Fixture f;
    const QString p = f.path(QStringLiteral("t.Csv"));
    ASSERT_TRUE(writeFileBytes(p, "previous"));
    // Storable: Japanese, the code page's own symbols, and the wave dash input
    // methods produce for its wave dash.
    int row = 1;
    for (const char16_t* ok : {u"テレビ 電源", u"★①", u"1〜2"})
        f.table.setCell(kColComments, row++, QString::fromUtf16(ok));
    EXPECT_TRUE(findUnstorableCells(f.table).empty());
    struct Bad {
        int row;
        const char16_t* text;
        const char16_t* character;
    };
    const Bad bad[] = {{13, u"café", u"é"}, {14, u"TV😀on", u"😀"}, {15, u"5€", u"€"}};
    for (const Bad& b : bad)
        f.table.setCell(kColComments, b.row, QString::fromUtf16(b.text));
    const auto found = findUnstorableCells(f.table);
    ASSERT_EQ(found.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(found[i].row, bad[i].row);
        EXPECT_EQ(found[i].reason, UnstorableCell::NotInCodePage);
        EXPECT_EQ(found[i].character, QString::fromUtf16(bad[i].character));
    }
    f.table.SetModified(true);
    const TableSaveResult r = SaveTableFile(f.table, p, f.prompts);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("[013] Comments: 「é」(U+00E9)"))) << r.message.toStdString();
    EXPECT_TRUE(r.message.contains(QStringLiteral("「😀」(U+1F600)")));
    EXPECT_EQ(readFileBytes(p), QByteArray("previous"));
    EXPECT_TRUE(f.table.modified());
}

TEST(TableFile, SaveThatCannotWriteKeepsTheMarker)
{
    Fixture f;
    f.table.SetModified(true);
    for (const QString& p : {f.path(QStringLiteral("missing/dir/t.Csv")), f.dir.path(), QString()}) {
        f.prompts.asked.clear();
        const TableSaveResult r = SaveTableFile(f.table, p, f.prompts);
        EXPECT_FALSE(r.ok) << p.toStdString();
        ASSERT_EQ(f.prompts.asked.size(), 1u);
        EXPECT_TRUE(r.message.contains(p)) << r.message.toStdString();
        EXPECT_TRUE(f.table.modified());
    }
}

TEST(TableFile, SaveReplacesTheOldFileWhole)
{
    Fixture f;
    const QString p = f.path(QStringLiteral("t.Txt"));
    ASSERT_TRUE(writeFileBytes(p, QByteArray(10 * 1024 * 1024, 'x')));
    f.table.SetModified(true);
    ASSERT_TRUE(SaveTableFile(f.table, p, f.prompts).ok);
    EXPECT_FALSE(f.table.modified());
    EXPECT_EQ(readFileBytes(p), tableFileBytes(f.table));
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("t.Txt")});
}

TEST(TableFile, OversizedOrEndlessInputIsRefused)
{
    Fixture f;
    fillAllMarked(f.table);
    const TableLoadResult r = LoadTableFile(f.table, QStringLiteral("/dev/zero"), f.prompts, f.log, false);
    EXPECT_EQ(r.status, TableLoadStatus::Invalid);
    EXPECT_EQ(f.prompts.asked.size(), 1u);
    EXPECT_EQ(markOf(f.table, 1), 1);
}

} // namespace
