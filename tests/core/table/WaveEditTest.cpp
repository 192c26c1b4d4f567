// The wave editor's rules: ruler, byte code <-> Result, byte code -> pattern
// code, the texts shown for an entry, the IR Out records, and OK's store into
// the table (refusals change nothing). The IR Out run is tested end to end.
#include "core/table/WaveEdit.h"
#include "core/table/CodeTable.h"

#include <gtest/gtest.h>

using namespace zovax;

namespace {

TEST(WaveEdit, Ruler)
{
    const std::pair<int, QString> rows[] = {{-3, ""}, {0, ""}, {1, "0"}, {6, "0----+"}, {21, "0----+----1----+----2"}};
    for (const auto& [n, ruler] : rows)
        EXPECT_EQ(PcodeRuler(n), ruler) << n;
    const QString r = PcodeRuler(112);
    EXPECT_EQ(r.mid(95, 16), "+----0----+----1") << "the tens digit wraps after 9";
}

TEST(WaveEdit, ByteCodeToPcode)
{
    struct Row {
        const char* code;
        int width1, width2;
        const char* pcode;
    };
    const Row rows[] = {
        {"01", 1120, 2250, "0211111113"},
        {"01", 2250, 1120, "0122222223"},
        {"01", 1120, 1120, "0122222223"},  // tie: pair 1 stands for 1
        {"0G1", 1120, 2250, "0211111113"}, // 0G and G1 skipped, lone 1 is a byte
        {"10 ef", 2250, 1120,
         "0"
         "22221222"
         "11112111"
         "3"},
        {"10EF", 2250, 1120,
         "0"
         "22221222"
         "11112111"
         "3"},
        {"", 1120, 2250, "03"},
        {"zz", 1120, 2250, "03"},
    };
    for (const Row& r : rows) {
        TableEntry e;
        e.width[1] = r.width1;
        e.width[2] = r.width2;
        EXPECT_EQ(ByteCodeToPcode(r.code, e), r.pcode) << r.code << " " << r.width1;
    }
}

TEST(WaveEdit, ByteCodeInTheResult)
{
    EXPECT_EQ(ByteCodeOfResult("Tm:NEC-32     d:10 EF 20 DF"), "10 EF 20 DF");
    EXPECT_EQ(ByteCodeOfResult("Tm:Unknown"), "");
    EXPECT_EQ(ByteCodeOfResult("a d:1 d:2 "), "1 d:2 ");

    struct Row {
        const char* result;
        const char* box;
        const char* after;
    };
    const Row rows[] = {
        {"Tm:NEC d:10 EF", "10 EF", "Tm:NEC d:10 EF"}, // same code: untouched
        {"Tm:NEC d:10 EF", "11 22", "Tm:NEC d:11 22"},
        {"Tm:NEC d:10 EF", "", "Tm:NEC d:"},
        {"x d:1 d:2", "9", "x d:9"}, // the first "d:" counts
        {"Tm:NEC", "", "Tm:NEC"},
        {"Tm:NEC", "01 02", "Tm:NEC d:01 02"}, // kept rather than lost
        {"Tm:NEC ", "01", "Tm:NEC d:01"},
        {"", "01", "d:01"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ResultWithByteCode(r.result, r.box), r.after) << r.result << " / " << r.box;
}

TEST(WaveEdit, FieldsShownForAnEntry)
{
    TableEntry e;
    e.carrier = 380;
    e.dataCount = 5;
    e.repeat = 12;
    e.high = {9000, 560, 560, 0, 777};
    e.width = {13500, 1120, 2250, 5, 888};
    e.data = {0, 1, 2, 10, 0x1F};
    const WaveEditFields f = WaveEditFieldsOf(e, "Tm:NEC d:10 EF 20 DF");
    EXPECT_EQ(f.carry, "380");
    EXPECT_EQ(f.dataBits, "  5");
    EXPECT_EQ(f.repeatBit, "  12");
    EXPECT_EQ(f.high[0], " 9000");
    EXPECT_EQ(f.width[0], " 13500");
    EXPECT_EQ(f.high[2], "  560");
    for (int i = 3; i < kPatternPairs; ++i)
        EXPECT_TRUE(f.high[i].isEmpty() && f.width[i].isEmpty()) << "pairs after a zero high are not shown: " << i;
    EXPECT_EQ(f.pcode, "012AF");
    EXPECT_EQ(f.byteCode, "10 EF 20 DF");

    TableEntry none;
    EXPECT_TRUE(WaveEditFieldsOf(none, "Tm:x").pcode.isEmpty());
    EXPECT_EQ(WaveEditFieldsOf(none, "Tm:x").dataBits, "  0");
    TableEntry big;
    big.dataCount = 9999; // from a damaged file
    EXPECT_EQ(WaveEditFieldsOf(big, "").pcode.size(), kDataSymbols);
}

WaveEditFields edited(const QString& pcode)
{
    WaveEditFields f;
    f.carry = "400";
    f.dataBits = QString::number(pcode.size());
    f.repeatBit = "3";
    f.high[0] = " 9000", f.width[0] = "13500";
    f.high[1] = "560", f.width[1] = "1120";
    f.high[2] = "560", f.width[2] = "2250";
    f.pcode = pcode;
    f.byteCode = "01";
    return f;
}

TEST(WaveEdit, IrOutRecords)
{
    WaveEditFields f = edited("0G1");
    f.carry = "abc";
    f.high[2] = "560", f.width[2] = "0"; // pair 2 ends the list
    f.high[3] = "600", f.width[3] = "1200";
    EXPECT_EQ(IrOutRecords(f),
              QStringList({"Twf:000", "Twc:380", "Twb:003", "Twr:003", "Twp:0:09000,013500", "Twp:1:00560,001120",
                           "Twp:2:00560,000000", "Twd:0G1"}));

    const std::pair<int, int> stops[] = {{0, 1}, {1, 2}, {3, 4}, {-1, 16}}; // pair whose high is 0 -> Twp lines
    for (auto [zeroAt, lines] : stops) {
        WaveEditFields g;
        for (int i = 0; i < kPatternPairs; ++i)
            g.high[i] = g.width[i] = i == zeroAt ? "" : "100";
        EXPECT_EQ(IrOutRecords(g).filter("Twp:").size(), lines) << zeroAt;
    }
}

struct StoreTest : ::testing::Test {
    CodeTable table;
    void SetUp() override
    {
        table.setRow(4, {"38.0kHz", "3", "テレビ", "Tm:NEC      d:10 EF"}, [] {
            TableEntry e;
            e.flag = 999;
            e.carrier = 380;
            e.dataCount = 6;
            e.high = {9000, 560, 560, 300, 300};
            e.width = {13500, 1120, 2250, 600, 600};
            e.data.fill(7);
            return e;
        }());
    }
};

TEST_F(StoreTest, IntoABlankRowLeavesTheSourceAsItWas)
{
    const TableEntry before = table.entry(4);
    table.entry(5).data.fill(5); // the target's own symbols
    ASSERT_EQ(StoreWaveEdit(table, 4, 5, edited("0211111113")), "");
    EXPECT_TRUE(table.modified());
    EXPECT_EQ(table.entry(4), before);
    EXPECT_EQ(table.cell(kColResult, 4), "Tm:NEC      d:10 EF");
    const TableEntry& t = table.entry(5);
    EXPECT_EQ(t.flag, 999);
    EXPECT_EQ(t.carrier, 400);
    EXPECT_EQ(t.dataCount, 10);
    EXPECT_EQ(t.repeat, 3);
    EXPECT_EQ(t.high[2], 560);
    EXPECT_EQ(t.width[2], 2250);
    EXPECT_EQ(t.high[3], 0) << "pairs not shown are stored as 0";
    EXPECT_EQ(t.data[1], 2);
    EXPECT_EQ(t.data[10], 5) << "symbols past the pattern code keep the target's own values";
    EXPECT_EQ(table.cell(kColComments, 5), "テレビ");
    EXPECT_EQ(table.cell(kColResult, 5), "Tm:NEC      d:01");
    EXPECT_EQ(table.cell(kColCarry, 5), "40.0kHz") << "the Carry cell follows an edited carrier";
}

TEST_F(StoreTest, OverTheSourceRow)
{
    WaveEditFields f = edited("0A");
    f.carry = "380";
    f.dataBits = "20"; // larger than the pattern code
    f.byteCode = "10 EF";
    ASSERT_EQ(StoreWaveEdit(table, 4, 4, f), "");
    const TableEntry& t = table.entry(4);
    EXPECT_EQ(t.dataCount, 20);
    EXPECT_EQ(t.data[1], 10);
    EXPECT_EQ(t.data[2], 7);
    EXPECT_EQ(table.cell(kColCarry, 4), "38.0kHz");
    EXPECT_EQ(table.cell(kColResult, 4), "Tm:NEC      d:10 EF");
}

TEST_F(StoreTest, RefusalsChangeNothing)
{
    struct Row {
        const char* pcode;
        const char* dataBits;
        const char* message;
    };
    const Row rows[] = {
        {"01x3", "4", "パターンコードの3文字目「x」は16進数ではありません。"},
        {"0１", "2", "パターンコードの2文字目「１」は16進数ではありません。"},
        {"", "4097", "DataBits は 0 から 4096 の範囲で指定して下さい。"},
        {"", "-1", "DataBits は 0 から 4096 の範囲で指定して下さい。"},
    };
    const TableEntry before4 = table.entry(4), before5 = table.entry(5);
    for (const Row& r : rows) {
        WaveEditFields f = edited(r.pcode);
        f.dataBits = r.dataBits;
        EXPECT_EQ(StoreWaveEdit(table, 4, 5, f), r.message);
    }
    EXPECT_FALSE(StoreWaveEdit(table, 4, 5, edited(QString(kDataSymbols + 1, '1'))).isEmpty());
    EXPECT_FALSE(StoreWaveEdit(table, 0, 5, edited("01")).isEmpty());
    EXPECT_EQ(table.entry(4), before4);
    EXPECT_EQ(table.entry(5), before5);
    EXPECT_TRUE(table.cell(kColCarry, 5).isEmpty());
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(StoreWaveEdit(table, 4, 5, edited(QString(kDataSymbols, 'f'))), "") << "4096 symbols fit";
}

} // namespace
