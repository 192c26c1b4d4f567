// Read-back: the board's record lines into table entries, and the decoding of
// stored entries with the stored-entry rules.
#include "LearnTestRig.h"

#include "core/learning/Catalogue.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

// The record lines a board answers for a stored entry (the registration layout).
QStringList recordLines(int n, const TableEntry& e)
{
    QStringList l;
    l << QString::asprintf("Twl:%03d", n) << QString::asprintf("Twc:%03d", e.carrier)
      << QString::asprintf("Twb:%03d", e.dataCount) << QString::asprintf("Twr:%03d", e.repeat);
    for (int i = 0; i < 16; ++i) {
        l << QString::asprintf("Twp:%01X:%05d,%06d", i, e.high[size_t(i)], e.width[size_t(i)]);
        if (e.high[size_t(i)] == 0 && e.width[size_t(i)] == 0)
            break;
    }
    QString d = QStringLiteral("Twd:");
    for (int j = 0; j < e.dataCount; ++j)
        d += QString::number(e.data[size_t(j)], 16).toUpper();
    if (e.dataCount % 2)
        d += QString::number(e.data[size_t(e.dataCount - 1)], 16).toUpper();
    l << d;
    return l;
}

void readBack(LearnRig& rig, int row, const TableEntry& e)
{
    rig.link.state().tableReadMode = true;
    rig.readBack().readBackRow = row;
    for (const QString& line : recordLines(row, e))
        rig.link.DispatchLine(line); // every line goes to the decoder while reading back
}

TableEntry entryOf(std::vector<PulsePair> pairs, std::vector<int> data, int repeat = 0, int carrier = 380)
{
    TableEntry e;
    e.carrier = carrier;
    e.dataCount = int(data.size());
    e.repeat = repeat;
    for (size_t i = 0; i < pairs.size(); ++i) {
        e.high[i] = pairs[i].high;
        e.width[i] = pairs[i].width;
    }
    for (size_t j = 0; j < data.size(); ++j)
        e.data[j] = uint8_t(data[j]);
    return e;
}

std::vector<int> bitsOf(std::initializer_list<int> bytes, int zero, int one, int bitsPerByte = 8)
{
    std::vector<int> v;
    for (int b : bytes)
        for (int k = 0; k < bitsPerByte; ++k)
            v.push_back((b >> k) & 1 ? one : zero);
    return v;
}

std::vector<int> cat(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> v;
    for (const auto& p : parts)
        v.insert(v.end(), p.begin(), p.end());
    return v;
}

const std::vector<PulsePair> kNecPairs{{9000, 13500}, {560, 1120},   {560, 2250},
                                       {560, 40000},  {9000, 11250}, {560, 96000}};

TEST(ReadBack, Nec32REntryReadsBackAsLearned)
{
    LearnRig rig;
    const TableEntry e = entryOf(kNecPairs, cat({{0}, bitsOf({0x20, 0xDF, 0x10, 0xEF}, 1, 2), {3, 4, 5}}), 34);
    readBack(rig, 12, e);
    EXPECT_EQ(rig.table.entry(12), e);
    EXPECT_EQ(rig.table.cell(kColCarry, 12), "38.0kHz");
    EXPECT_EQ(rig.table.cell(kColFrames, 12), "3");
    EXPECT_EQ(rig.table.cell(kColComments, 12), "NEC-32R");
    EXPECT_EQ(rig.resultCell(12), "Tm:NEC-32R    d:20DF 10EF");
    EXPECT_EQ(rig.view.row, 12);
    EXPECT_TRUE(rig.link.state().replyAck);
    EXPECT_EQ(rig.store().currentChannel, 0);
    EXPECT_EQ(rig.store().channels[0].patterns[5].width, 96000);
    EXPECT_EQ(rig.log.lines, QStringList{"Twl:012"}); // listed: not in trace mode
    EXPECT_FALSE(rig.table.modified());
}

TEST(ReadBack, RecordFields)
{
    LearnRig rig;
    rig.readBack().readBackRow = 3;
    TableEntry& e = rig.table.entry(3);
    e.flag = 999;
    rig.readBack().OnReadBackLine("Twc:380");
    EXPECT_EQ(e.flag, 0);
    EXPECT_EQ(e.carrier, 380);
    EXPECT_EQ(rig.table.cell(kColCarry, 3), "38.0kHz");
    rig.readBack().OnReadBackLine("Twc:4550"); // wider than three digits: read whole
    EXPECT_EQ(e.carrier, 4550);
    EXPECT_EQ(rig.table.cell(kColCarry, 3), "455.0kHz");
    rig.readBack().OnReadBackLine("Twb:060");
    EXPECT_EQ(e.dataCount, 60);
    EXPECT_EQ(rig.table.cell(kColFrames, 3), "1");
    rig.readBack().OnReadBackLine("Twb:4096");
    EXPECT_EQ(e.dataCount, 4096);
    rig.readBack().OnReadBackLine("Twr:044");
    EXPECT_EQ(e.repeat, 44);
    rig.readBack().OnReadBackLine("Twp:A:00560,001120");
    EXPECT_EQ(e.high[10], 560);
    EXPECT_EQ(e.width[10], 1120);
    rig.readBack().OnReadBackLine("Twp:f:00001,000002");
    EXPECT_EQ(e.high[15], 1);
    EXPECT_EQ(e.width[15], 2);
    rig.readBack().OnReadBackLine("Twp:1:123456,0001234"); // wider fields
    EXPECT_EQ(e.high[1], 123456);
    EXPECT_EQ(e.width[1], 1234);
    EXPECT_TRUE(rig.log.lines.isEmpty());
}

TEST(ReadBack, FieldsThatAreNotNumbersAreNotApplied)
{
    LearnRig rig;
    rig.readBack().readBackRow = 3;
    const TableEntry before = rig.table.entry(3);
    const QStringList bad{"Twc:3a0",
                          "Twc:",
                          "Twb:x36",
                          "Twb:5000",
                          "Twb:-01",
                          "Twr:abc",
                          "Twp:G:00560,001120",
                          "Twp:1:005x0,001120",
                          "Twp:1:00560",
                          "Twl:0x1",
                          "Twl:-12"};
    for (const QString& line : bad)
        rig.readBack().OnReadBackLine(line);
    EXPECT_EQ(rig.table.entry(3), before);
    EXPECT_TRUE(rig.table.cell(kColCarry, 3).isEmpty());
    ASSERT_EQ(rig.log.lines.size(), bad.size());
    for (qsizetype i = 0; i < bad.size(); ++i)
        EXPECT_TRUE(rig.log.lines[i].endsWith(bad[i])) << rig.log.lines[i].toStdString();
    // No row being read: record lines are reported, not applied anywhere.
    rig.readBack().readBackRow = 0;
    rig.readBack().OnReadBackLine("Twc:380");
    EXPECT_EQ(rig.log.lines.size(), bad.size() + 1);
    EXPECT_EQ(rig.table.entry(1), TableEntry{});
}

TEST(ReadBack, DataDigits)
{
    LearnRig rig;
    rig.readBack().readBackRow = 4;
    rig.readBack().OnReadBackLine("Twb:035");
    // 35 symbols come as 36 digits (the last one twice).
    const QString digits = QStringLiteral("0") + QStringLiteral("12").repeated(17) + QStringLiteral("3");
    ASSERT_EQ(digits.size(), 36);
    rig.readBack().OnReadBackLine(QStringLiteral("Twd:") + digits);
    const TableEntry& e = rig.table.entry(4);
    EXPECT_EQ(e.data[34], 2);
    EXPECT_EQ(e.data[35], 3);
    EXPECT_EQ(e.data[36], 0);
    EXPECT_FALSE(rig.resultCell(4).isEmpty()); // decoded
    EXPECT_TRUE(rig.link.state().replyAck);
    // A short line: read as far as it goes, and said so.
    rig.readBack().OnReadBackLine("Twb:010");
    rig.readBack().OnReadBackLine("Twd:3333");
    EXPECT_EQ(e.data[3], 3);
    EXPECT_EQ(e.data[4], 2); // unchanged
    EXPECT_TRUE(rig.log.lines.last().contains("4 of 10")) << rig.log.lines.last().toStdString();
    // A digit that is not hexadecimal: the data are not applied, the entry still ends.
    rig.link.state().replyAck = false;
    rig.readBack().OnReadBackLine("Twd:77G7777777");
    EXPECT_EQ(e.data[0], 3);
    EXPECT_TRUE(rig.link.state().replyAck);
}

TEST(ReadBack, ErrorEntriesAndTheEnd)
{
    LearnRig rig;
    rig.link.state().tableReadMode = true;
    rig.readBack().OnReadBackLine("KRV:on");
    EXPECT_TRUE(rig.link.state().replyAck);
    rig.link.state().replyAck = false;
    rig.readBack().OnReadBackLine("Twl:017 Error");
    EXPECT_EQ(rig.table.entry(17).flag, 999);
    EXPECT_TRUE(rig.link.state().replyAck);
    EXPECT_TRUE(rig.sent.isEmpty());
    EXPECT_FALSE(rig.table.modified());
    rig.readBack().OnReadBackLine("Twl:000 Error"); // entry 0: nothing
    rig.readBack().OnReadBackLine("Twl:250 Error");
    EXPECT_EQ(rig.table.entry(250).flag, 999);
    EXPECT_EQ(rig.sent, QStringList{"KRV:off"});
    EXPECT_TRUE(rig.table.modified());
    // The board confirms the end.
    rig.view.row = 40;
    rig.readBack().OnReadBackLine("KRV:off");
    EXPECT_FALSE(rig.link.state().tableReadMode);
    EXPECT_EQ(rig.log.lines.last(), "End of Table Load");
    ASSERT_EQ(rig.prompts.asked.size(), 1u);
    EXPECT_EQ(rig.prompts.asked[0].caption, "確認");
    EXPECT_EQ(rig.prompts.asked[0].text, "読込み完了しました。  ");
    EXPECT_EQ(rig.prompts.asked[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(rig.view.row, 1);
    EXPECT_EQ(rig.view.column, 1);
}

TEST(ReadBack, ReplyIsAppliedOnlyToTheEntryItNames)
{
    LearnRig rig;
    rig.link.state().tableReadMode = true;
    rig.readBack().OnReadBackLine("KRV:on");
    const TableEntry e5 = entryOf(kNecPairs, cat({{0}, bitsOf({0x20, 0xDF, 0x10, 0xEF}, 1, 2), {3, 4, 5}}), 34);
    const TableEntry e6 = entryOf(kNecPairs, cat({{0}, bitsOf({0x40, 0xBF, 0x10, 0xEF}, 1, 2), {3, 4, 5}}), 34);
    const QStringList late5 = recordLines(5, e5);
    const QStringList reply6 = recordLines(6, e6);
    // Entry 5's wait ran out and entry 6 is requested. 5's whole reply comes
    // now, then 6's first three lines; 6's wait runs out too and 6's rest comes
    // while entry 7 is requested.
    rig.readBack().readBackRow = 6;
    rig.link.state().replyAck = false;
    for (const QString& l : late5)
        rig.link.DispatchLine(l);
    EXPECT_FALSE(rig.link.state().replyAck) << "a late reply acknowledges nothing";
    EXPECT_EQ(rig.table.entry(6), TableEntry{});
    EXPECT_EQ(rig.table.entry(5), TableEntry{});
    for (qsizetype i = 0; i < 3; ++i)
        rig.link.DispatchLine(reply6[i]);
    rig.readBack().readBackRow = 7;
    for (qsizetype i = 3; i < reply6.size(); ++i)
        rig.link.DispatchLine(reply6[i]);
    EXPECT_FALSE(rig.link.state().replyAck);
    EXPECT_EQ(rig.table.entry(7), TableEntry{});
    EXPECT_EQ(rig.readBack().lateReplies(), 2);
    EXPECT_EQ(rig.log.lines.count(), 3); // "Twl:006" and one line per dropped reply
    EXPECT_TRUE(rig.log.lines[0].contains("entry 005 dropped")) << rig.log.lines[0].toStdString();
    EXPECT_TRUE(rig.log.lines[2].contains("entry 006 dropped")) << rig.log.lines[2].toStdString();
    // Entry 7's own reply is applied and acknowledges.
    const TableEntry e7 = e5;
    for (const QString& l : recordLines(7, e7))
        rig.link.DispatchLine(l);
    EXPECT_EQ(rig.table.entry(7), e7);
    EXPECT_TRUE(rig.link.state().replyAck);
    // The board entering table mode again starts the count afresh.
    rig.readBack().OnReadBackLine("KRV:on");
    EXPECT_EQ(rig.readBack().lateReplies(), 0);
}

TEST(ReadBack, LastEntryEndsTheReadBack)
{
    LearnRig rig;
    rig.view.traceOn = true;
    readBack(rig, 250, entryOf(kNecPairs, cat({{0}, bitsOf({0x20, 0xDF, 0x10, 0xEF}, 1, 2), {3, 4, 5}}), 34));
    EXPECT_EQ(rig.sent, QStringList{"KRV:off"});
    EXPECT_TRUE(rig.table.modified());
    // Trace mode lists every line and a blank one after the entry.
    EXPECT_EQ(rig.log.lines.first(), "Twl:250");
    EXPECT_EQ(rig.log.lines.last(), " ");
}

TEST(ReadBack, PatternCodeShowsTheEntrysOwnCount)
{
    LearnRig rig;
    rig.view.pcodeOn = true;
    const std::vector<int> data = cat({{0}, bitsOf({0x20, 0xDF, 0x10, 0xEF}, 1, 2), {3, 4}});
    readBack(rig, 2, entryOf(kNecPairs, data));
    QString expected = QStringLiteral("Code( 35bits): ");
    for (int v : data)
        expected += QString::number(v);
    EXPECT_EQ(rig.resultCell(2), expected);
    EXPECT_EQ(rig.store().channels[0].patternIndex[35], 4); // the repeated last digit
    EXPECT_TRUE(rig.table.cell(kColComments, 2).isEmpty());
}

struct StoredCase {
    const char* name;
    std::vector<PulsePair> pairs;
    int count;
    int repeat;
    const char* format;
};

class StoredEntryTest : public ::testing::TestWithParam<StoredCase> {};

// An entry whose data are a leader (when the pairs have one), alternating bits
// and the last pair, `count` symbols in all.
TEST_P(StoredEntryTest, DecodesToItsFormat)
{
    const StoredCase& c = GetParam();
    const bool leader = c.pairs.size() == 4;
    const int zero = leader ? 1 : 0;
    std::vector<int> data;
    if (leader)
        data.push_back(0);
    while (int(data.size()) < c.count - 1)
        data.push_back(zero + int(data.size() % 3 == 0));
    data.push_back(int(c.pairs.size()) - 1);
    LearnRig rig;
    rig.table.entry(5) = entryOf(c.pairs, data, c.repeat);
    rig.readBack().DecodeStoredEntry(5);
    EXPECT_EQ(rig.table.cell(kColComments, 5), QString::fromLatin1(c.format)) << rig.resultCell(5).toStdString();
    EXPECT_TRUE(rig.resultCell(5).startsWith(QString::asprintf("Tm:%-10s d:", c.format)));
}

const std::vector<PulsePair> kSony{{2400, 3000}, {600, 1200}, {1200, 1800}, {600, 45000}};
const std::vector<PulsePair> kKase{{3480, 5230}, {440, 870}, {440, 1740}, {440, 74000}};
const std::vector<PulsePair> kMatu{{3400, 6600}, {900, 1680}, {900, 3340}, {900, 40000}};
const std::vector<PulsePair> kNec{{9000, 13500}, {560, 1125}, {560, 2250}, {560, 40000}};
const std::vector<PulsePair> kKrv{{3000, 6000}, {600, 2400}, {1800, 2400}, {600, 40000}};
const std::vector<PulsePair> kJvc{{8400, 12400}, {560, 1040}, {560, 2120}, {560, 30000}};

INSTANTIATE_TEST_SUITE_P(
    Rules, StoredEntryTest,
    ::testing::Values(StoredCase{"sony12", kSony, 13, 0, "SONY12"}, StoredCase{"sony15", kSony, 16, 0, "SONY15"},
                      StoredCase{"sony20", kSony, 21, 0, "SONY20"}, StoredCase{"kaseikyo", kKase, 50, 0, "KASEIKYO"},
                      StoredCase{"matu22", kMatu, 24, 0, "MATU22"}, StoredCase{"matu24", kMatu, 26, 0, "MATU24"},
                      StoredCase{"nec32a", kNec, 34, 0, "NEC-32A"}, StoredCase{"nec32r", kNec, 36, 34, "NEC-32R"},
                      StoredCase{"nec40a", kNec, 42, 0, "NEC-40A"}, StoredCase{"nec40r", kNec, 44, 44, "NEC-40R"},
                      StoredCase{"nec42a", kNec, 44, 0, "NEC-42A"}, StoredCase{"nec42r", kNec, 46, 0, "NEC-42R"},
                      StoredCase{"nec48a", kNec, 50, 0, "NEC-48A"}, StoredCase{"nec48r", kNec, 52, 0, "NEC-48R"},
                      StoredCase{"nec64a", kNec, 66, 0, "NEC-64A"}, StoredCase{"nec64r", kNec, 68, 0, "NEC-64R"},
                      StoredCase{"nec80a", kNec, 82, 0, "NEC-80A"}, StoredCase{"tatsuno", kNec, 114, 0, "TATSUNO-ID"},
                      StoredCase{"benex", kNec, 146, 0, "BENEX144"}, StoredCase{"nec other", kNec, 40, 0, "NEC-32A"},
                      StoredCase{"nec short", kNec, 33, 0, "Unknown"}, StoredCase{"krv", kKrv, 51, 0, "krv-ID"},
                      StoredCase{"jvc-h16", kJvc, 18, 0, "JVC-H16"},
                      StoredCase{"mitu16", {{300, 1220}, {300, 2440}, {300, 30000}}, 17, 0, "MITU16"},
                      StoredCase{"jvc-m16", {{560, 1040}, {560, 2120}, {560, 30000}}, 16, 0, "JVC-M16"},
                      StoredCase{"sharp", {{200, 1060}, {450, 2000}, {450, 40000}}, 33, 0, "SHARP"},
                      StoredCase{"tsb12", {{450, 1600}, {1300, 1600}, {450, 30000}}, 27, 0, "TSB12"},
                      StoredCase{"tsb32", {{4300, 8600}, {440, 1100}, {440, 2200}, {440, 40000}}, 34, 0, "TSB32"},
                      StoredCase{"daikin", {{5100, 7200}, {450, 1050}, {450, 2100}, {450, 30000}}, 180, 0, "DAIKIN"},
                      StoredCase{"robo", {{6000, 9000}, {600, 2400}, {1800, 2400}, {600, 30000}}, 22, 0, "ROBO-K1"},
                      StoredCase{"samsung", {{4500, 9000}, {560, 1125}, {560, 2250}, {560, 40000}}, 34, 0, "SAMSUNG-D"},
                      StoredCase{"sharp12", {{300, 1060}, {300, 2000}, {300, 30000}}, 13, 0, "SHARP12"},
                      StoredCase{"daewoo", {{8000, 10900}, {560, 1000}, {560, 2000}, {560, 30000}}, 18, 0, "DAEWOO16"},
                      StoredCase{"cv6000", {{8400, 12700}, {527, 1100}, {527, 2100}, {527, 30000}}, 22, 0, "CV-6000"},
                      StoredCase{"msw", {{2000, 4000}, {520, 1000}, {520, 1500}, {520, 20000}}, 37, 0, "MSW7430"},
                      StoredCase{"svct", {{8000, 12000}, {500, 1000}, {500, 2000}, {500, 30000}}, 20, 0, "Unknown"},
                      StoredCase{"toppan", {{3000, 6000}, {600, 1200}, {600, 2400}, {600, 30000}}, 51, 0, "TOPPAN-ID"},
                      // One-symbol Width 1700: inside candidate 31's window, below NEC's.
                      StoredCase{
                          "kitac", {{8900, 13600}, {600, 1200}, {600, 1700}, {600, 30000}}, 68, 0, "Kitac5-D64"}),
    [](const ::testing::TestParamInfo<StoredCase>& i) {
        std::string n;
        for (const char* p = i.param.name; *p; ++p)
            n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return n;
    });

// While a read-back request runs, record lines are kept and taken apart only
// once the next request is out. The outcome must be the same as taking each
// line at once: same entries, cells, log lines, commands and messages, with
// every entry acknowledged as soon as its "Twd:" line is in.
struct CollectCase {
    const char* name;
    bool trace;
    // (row the request was for, line); row 0 for the control lines
    std::vector<std::pair<int, QString>> lines;
};

// The reply for entry `entry` arriving while `row` is being requested.
std::vector<std::pair<int, QString>> entryLines(int row, const TableEntry& e, int entry = 0)
{
    std::vector<std::pair<int, QString>> v;
    for (const QString& l : recordLines(entry ? entry : row, e))
        v.emplace_back(row, l);
    return v;
}

CollectCase collectCase(const char* name, bool trace, std::initializer_list<std::vector<std::pair<int, QString>>> parts)
{
    CollectCase c{name, trace, {}};
    for (const auto& p : parts)
        c.lines.insert(c.lines.end(), p.begin(), p.end());
    return c;
}

void PrintTo(const CollectCase& c, std::ostream* os)
{
    *os << c.name;
}

class CollectedLines : public ::testing::TestWithParam<CollectCase> {};

TEST_P(CollectedLines, EndAsIfTakenAtOnce)
{
    const CollectCase& c = GetParam();
    LearnRig direct, collecting;
    for (LearnRig* rig : {&direct, &collecting}) {
        rig->view.traceOn = c.trace;
        rig->link.state().tableReadMode = true;
    }
    collecting.readBack().setCollecting(true);
    for (const auto& [row, line] : c.lines) {
        for (LearnRig* rig : {&direct, &collecting}) {
            rig->readBack().readBackRow = row;
            rig->link.state().replyAck = false;
            rig->link.DispatchLine(line);
        }
        EXPECT_EQ(collecting.link.state().replyAck, direct.link.state().replyAck) << line.toStdString();
        EXPECT_EQ(collecting.sent, direct.sent) << line.toStdString();
    }
    collecting.readBack().setCollecting(false);
    for (int r = 1; r <= 250; ++r) {
        EXPECT_EQ(collecting.table.entry(r), direct.table.entry(r)) << "row " << r;
        for (int col = kColCarry; col <= kColResult; ++col)
            EXPECT_EQ(collecting.table.cell(col, r), direct.table.cell(col, r)) << "row " << r << " column " << col;
    }
    EXPECT_EQ(collecting.log.lines, direct.log.lines);
    ASSERT_EQ(collecting.prompts.asked.size(), direct.prompts.asked.size());
    for (size_t i = 0; i < direct.prompts.asked.size(); ++i)
        EXPECT_EQ(collecting.prompts.asked[i].text, direct.prompts.asked[i].text);
    EXPECT_EQ(collecting.table.modified(), direct.table.modified());
    EXPECT_EQ(collecting.link.state().tableReadMode, direct.link.state().tableReadMode);
}

const TableEntry kCollectNec = entryOf(kNecPairs, cat({{0}, bitsOf({0x20, 0xDF, 0x10, 0xEF}, 1, 2), {3, 4, 5}}), 34);
const TableEntry kCollectSony = entryOf(kSony, cat({{0}, bitsOf({0x15}, 1, 2, 7), bitsOf({0x01}, 1, 2, 4), {3}}));
const TableEntry kCollectOdd = entryOf(kKase, cat({{0}, bitsOf({0x02, 0x20, 0x80}, 1, 2), {3}}));

INSTANTIATE_TEST_SUITE_P(
    Sequences, CollectedLines,
    ::testing::Values(collectCase("entries", false,
                                  {entryLines(1, kCollectNec), entryLines(2, kCollectSony),
                                   entryLines(3, kCollectOdd)}),
                      collectCase("traced", true, {entryLines(7, kCollectNec), entryLines(8, kCollectOdd)}),
                      collectCase("errorsAndBadLines", false,
                                  {entryLines(16, kCollectSony),
                                   {{17, "Twl:017 Error"}},
                                   {{18, "Twl:018"},
                                    {18, "Twc:3a0"},
                                    {18, "Twb:036"},
                                    {18, "Twp:G:00560,001120"},
                                    {18, "Twp:0:09000,013500"},
                                    {18, "Twd:01G2"}},
                                   {{0, "Twc:380"}, {0, "Twd:0123"}},
                                   entryLines(19, kCollectNec)}),
                      collectCase("lastEntryAndTheEnd", false,
                                  {entryLines(249, kCollectSony), entryLines(250, kCollectNec), {{250, "KRV:off"}}}),
                      collectCase("lateReplyDropped", true,
                                  {entryLines(4, kCollectNec, 3), {{4, "Twl:003 Error"}}, entryLines(4, kCollectSony)}),
                      collectCase("lastEntryAnError", true,
                                  {entryLines(249, kCollectOdd), {{250, "Twl:250 Error"}}, {{250, "KRV:off"}}})),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadBack, CollectedLinesAreTakenApartWhenTheLoopWaits)
{
    LearnRig rig;
    rig.link.state().tableReadMode = true;
    rig.readBack().setCollecting(true);
    rig.readBack().readBackRow = 9;
    for (const QString& line : recordLines(9, kCollectNec))
        rig.link.DispatchLine(line);
    EXPECT_TRUE(rig.link.state().replyAck);   // acknowledged at once
    EXPECT_TRUE(rig.resultCell(9).isEmpty()); // not taken apart yet
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec(); // the loop waits: the kept lines are taken apart first
    EXPECT_EQ(rig.table.entry(9), kCollectNec);
    EXPECT_EQ(rig.table.cell(kColComments, 9), "NEC-32R");
    rig.readBack().setCollecting(false);
}

TEST(ReadBack, RecordTagIsTheFirstContainedInTagOrder)
{
    using Tag = ReadBackDecoder::RecordTag;
    auto reference = [](const QString& l) {
        if (l.contains(QLatin1String("Twc:")))
            return Tag::Twc;
        if (l.contains(QLatin1String("Twb:")))
            return Tag::Twb;
        if (l.contains(QLatin1String("Twr:")))
            return Tag::Twr;
        if (l.contains(QLatin1String("Twp:")))
            return Tag::Twp;
        if (l.contains(QLatin1String("Twd:")))
            return Tag::Twd;
        return Tag::None;
    };
    // Lines made of the tags' own letters, so that tags overlap and break off.
    const QString letters = QStringLiteral("TTwwcbrpd::x0");
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        QString line;
        const int n = int(seed % 14);
        for (int k = 0; k < n; ++k) {
            seed = seed * 1664525u + 1013904223u;
            line += letters[int((seed >> 16) % uint32_t(letters.size()))];
        }
        seed = seed * 1664525u + 1013904223u;
        ASSERT_EQ(ReadBackDecoder::recordTag(line), reference(line)) << line.toStdString();
    }
    EXPECT_EQ(ReadBackDecoder::recordTag("Twd:0123Twc:380"), Tag::Twc);
    EXPECT_EQ(ReadBackDecoder::recordTag("Tw:Twp:1"), Tag::Twp);
}

TEST(ReadBack, SonyAndKaseikyoCodes)
{
    LearnRig rig;
    std::vector<int> sony = cat({{0}, bitsOf({0x15}, 1, 2, 7), bitsOf({0x01}, 1, 2, 5)});
    sony.back() = 3;
    rig.table.entry(1) = entryOf(kSony, sony);
    rig.readBack().DecodeStoredEntry(1);
    EXPECT_EQ(rig.resultCell(1), "Tm:SONY12     d:0115");
    rig.table.entry(2) = entryOf(kKase, cat({{0}, bitsOf({0x02, 0x20, 0x80, 0x00, 0x3D, 0xBD}, 1, 2), {3}}));
    rig.readBack().DecodeStoredEntry(2);
    EXPECT_EQ(rig.resultCell(2), "Tm:KASEIKYO   d:0220 8000 3DBD");
    // NEC refinement on read-back.
    rig.table.entry(3) = entryOf(kNecPairs, cat({{0}, bitsOf({0x00, 0xFF, 0x10, 0xEF}, 1, 2), {3, 4, 5}}), 34);
    rig.readBack().DecodeStoredEntry(3);
    EXPECT_EQ(rig.resultCell(3), "Tm:KANON-Rep  d:00FF 10EF");
    EXPECT_EQ(rig.table.cell(kColComments, 3), "KANON-Rep");
}

} // namespace
} // namespace zovax::test
