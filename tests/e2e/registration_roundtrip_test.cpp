// Signals learned from the simulator, registered in its flash, and read back
// into a new table: the entries and Carry cells come back as they were sent,
// Frames follow the read-back rule, Comments name the format, and Result is
// rebuilt from the stored entry. Also with the simulator's replies cut into
// small pieces, and with PCode checked.
#include "RegistrationRig.h"

#include "core/table/TwRecords.h"
#include "support/Controls.h"

#include <QElapsedTimer>

using zovax::test::control;

using namespace zovax;
using namespace zovax::e2e;

namespace {

// An entry as it comes back from the board: the pattern pairs up to the
// first all-zero one, the data symbols, and for an odd count the last
// symbol once more (the board stores an even number of digits).
void expectStoredAs(const TableEntry& got, const TableEntry& sent, int row)
{
    SCOPED_TRACE(row);
    EXPECT_EQ(got.flag, 0);
    EXPECT_EQ(got.carrier, sent.carrier);
    EXPECT_EQ(got.dataCount, sent.dataCount);
    EXPECT_EQ(got.repeat, sent.repeat);
    const int pairs = registrationPairCount(sent);
    for (int i = 0; i < kPatternPairs; ++i) {
        EXPECT_EQ(got.high[size_t(i)], i < pairs ? sent.high[size_t(i)] : 0) << "pair " << i;
        EXPECT_EQ(got.width[size_t(i)], i < pairs ? sent.width[size_t(i)] : 0) << "pair " << i;
    }
    const int n = boundedDataCount(sent);
    for (int k = 0; k < n; ++k)
        ASSERT_EQ(got.data[size_t(k)], sent.data[size_t(k)] & 0x0F) << "symbol " << k;
    if (n % 2) {
        EXPECT_EQ(got.data[size_t(n)], sent.data[size_t(n - 1)] & 0x0F);
    }
}

struct Learned {
    QString protocol;
    int repeats;     // -1: the protocol's default
    bool sameResult; // the stored-entry rules give the learned result back
};

class RegistrationRoundtrip : public RegistrationRig {
protected:
    ReadBackDecoder& decoder() { return w.tool().learning().core().readBack(); }

    // The Result and Comments the stored-entry rules give for `e`, worked
    // out on a spare row of the table.
    std::pair<QString, QString> decodedAlone(const TableEntry& e)
    {
        const int spare = kTableRows;
        TableEntry copy = e;
        const int n = boundedDataCount(copy);
        if (n % 2)
            copy.data[size_t(n)] = copy.data[size_t(n - 1)];
        table().setRow(spare, {}, copy);
        decoder().DecodeStoredEntry(spare);
        std::pair<QString, QString> out{table().cell(kColResult, spare), table().cell(kColComments, spare)};
        table().setRow(spare, {}, TableEntry{});
        return out;
    }
};

TEST_F(RegistrationRoundtrip, LearnedSignalsComeBackWithTheirResultsRebuilt)
{
    const std::vector<Learned> learned
        = {{"NEC", 1, true},   // a stored NEC-32R entry of 36 symbols reads back as NEC-32R
           {"NEC", -1, false}, // with more repeat codes the stored count names another format
           {"NEC40", -1, false},  {"NECF", -1, true},       {"NEC40F", -1, true},    {"NEC42F", -1, true},
           {"NEC48F", -1, true},  {"NEC64F", -1, true},     {"NEC80F", -1, true},    {"SONY12", -1, false},
           {"SONY15", -1, false}, {"SONY20", -1, false},    {"KASEIKYO", -1, false}, {"JVC", -1, false},
           {"SHARP", -1, false},  {"MITSUBISHI", -1, true}, {"SAMSUNG", -1, true},   {"TOSHIBA", -1, true},
           {"AIRCON", -1, false}, {"NOMATCH", -1, true}};
    const int used = int(learned.size());
    for (int i = 0; i < used; ++i)
        ASSERT_TRUE(learnInto(i + 1, learned[size_t(i)].protocol, {}, learned[size_t(i)].repeats))
            << learned[size_t(i)].protocol.toStdString();
    ASSERT_EQ(table().cell(kColResult, 1), "Tm:NEC-32R    d:20DF 10EF");
    ASSERT_EQ(table().entry(1).dataCount, 36);

    std::vector<TableEntry> sent;
    std::vector<QString> carry, learnedResult;
    for (int r = 1; r <= used; ++r) {
        sent.push_back(table().entry(r));
        carry.push_back(table().cell(kColCarry, r));
        learnedResult.push_back(table().cell(kColResult, r));
    }

    registerTable();
    ASSERT_EQ(messages(), QStringList({Registration::writeCompleteText()}));
    EXPECT_EQ(board->flash().usedEntries(), used);

    prompts.asked.clear();
    board->clearCommandLog();
    ASSERT_TRUE(readBack()); // New asks first (the learned table is unsaved): answered Yes
    EXPECT_EQ(messages().last(), "読込み完了しました。  ");
    EXPECT_TRUE(table().modified());
    EXPECT_EQ(TableController::cursorRow(control<QTableView>(*w, "sGrid")), 1);
    const QStringList sentCommands = sentSinceClear();
    EXPECT_EQ(sentCommands.first(), "KRV:on");
    EXPECT_EQ(sentCommands.filter("Twl:").size(), 250);
    EXPECT_EQ(sentCommands.last(), "KRV:off");

    for (int r = 1; r <= used; ++r) {
        SCOPED_TRACE(learned[size_t(r - 1)].protocol.toStdString());
        const TableEntry& e = sent[size_t(r - 1)];
        expectStoredAs(table().entry(r), e, r);
        EXPECT_EQ(table().cell(kColCarry, r), carry[size_t(r - 1)]);
        EXPECT_EQ(table().cell(kColFrames, r), e.dataCount < 60 ? "3" : "1");
        const QString result = table().cell(kColResult, r);
        const QString comments = table().cell(kColComments, r);
        ASSERT_TRUE(result.startsWith("Tm:")) << result.toStdString();
        EXPECT_EQ(comments, result.mid(3, 10).trimmed());
        const auto alone = decodedAlone(e);
        EXPECT_EQ(result, alone.first);
        EXPECT_EQ(comments, alone.second);
        if (learned[size_t(r - 1)].sameResult) {
            EXPECT_EQ(result, learnedResult[size_t(r - 1)]);
        }
    }
    // Entries the board does not hold are marked and stay empty.
    for (int r : {used + 1, 250}) {
        EXPECT_EQ(table().entry(r).flag, 999) << r;
        EXPECT_TRUE(table().cell(kColCarry, r).isEmpty()) << r;
    }
}

TEST_F(RegistrationRoundtrip, PcodeShowsTheStoredSymbolsWithTheEntrysOwnCount)
{
    std::vector<int> symbols;
    symbols.reserve(35);
    for (int k = 0; k < 35; ++k)
        symbols.push_back(k % 3);
    putEntry(4, synthEntry(380, {{9000, 13500}, {560, 1120}, {560, 2250}}, symbols));
    registerTable();
    table().SetModified(false);
    control<QCheckBox>(*w, "ckPcode")->setChecked(true);
    ASSERT_TRUE(readBack());
    QString digits;
    for (int k = 0; k < 35; ++k)
        digits += QString::number(k % 3);
    EXPECT_EQ(table().cell(kColResult, 4), "Code( 35bits): " + digits);
    EXPECT_EQ(table().entry(4).data[35], 1); // the padding digit: symbol 34 once more
}

class RegistrationSplitReplies : public RegistrationRoundtrip {
protected:
    sim::BoardOptions boardOptions() const override
    {
        sim::BoardOptions o;
        o.splitSegments = true; // every reply written in pieces of 1 to 12 bytes
        return o;
    }
};

TEST_F(RegistrationSplitReplies, EntriesSurviveRepliesCutAnywhere)
{
    std::vector<TableEntry> sent;
    for (int r = 1; r <= 12; ++r) {
        std::vector<int> symbols;
        symbols.reserve(size_t(20) + size_t(7 * r));
        for (int k = 0; k < 20 + 7 * r; ++k)
            symbols.push_back((k * r) % 4);
        sent.push_back(synthEntry(360 + r, {{3400 + r, 5100}, {430, 860}, {430, 1720}, {430, 40000 + r}}, symbols));
        putEntry(r, sent.back(), QString::asprintf("%d.%dkHz", (360 + r) / 10, (360 + r) % 10));
    }
    registerTable();
    ASSERT_EQ(messages(), QStringList({Registration::writeCompleteText()}));
    table().SetModified(false);
    ASSERT_TRUE(readBack());
    EXPECT_EQ(messages().last(), "読込み完了しました。  ");
    for (int r = 1; r <= 12; ++r) {
        expectStoredAs(table().entry(r), sent[size_t(r - 1)], r);
        EXPECT_EQ(table().cell(kColCarry, r), QString::asprintf("%d.%dkHz", (360 + r) / 10, (360 + r) % 10));
        EXPECT_EQ(table().cell(kColComments, r), decodedAlone(sent[size_t(r - 1)]).second);
    }
}

} // namespace
