// The wave image: the square wave of each pulse pair on its band, clipping at
// the right edge, which bands a new train clears, labels, and the exclusive-or
// measuring cursors; and the display's small rules (zoom items, intervals,
// commands from the receive log).
#include "app/learning/WaveDisplayRules.h"
#include "app/learning/WaveView.h"
#include "core/learning/WaveStore.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace zovax;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGreen = qRgb(0, 128, 0);

struct Pair {
    int high;
    int width;
};

void fill(WaveStore& s, int channel, const std::vector<Pair>& pairs)
{
    WaveChannel& ch = s.channels[size_t(channel)];
    for (size_t i = 0; i < pairs.size(); ++i)
        ch.pulses[i] = {pairs[i].high, pairs[i].width};
    ch.lastIndex = int(pairs.size()) - 1;
}

struct WaveViewFixture : ::testing::Test {
    std::unique_ptr<WaveStore> store = std::make_unique<WaveStore>();
    WaveView view;
    WaveViewFixture() { view.setWaveStore(store.get()); }

    void drawAll(int channel)
    {
        for (int i = 0; i <= store->channels[size_t(channel)].lastIndex; ++i)
            view.DrawPulse(channel, i);
    }
    QRgb px(int x, int y) const { return view.image().pixel(x, y) | 0xFF000000u; }
    bool bandBlank(int channel) const
    {
        const QImage& img = view.image();
        for (int y = channel * 50 + 2; y < channel * 50 + 52 && y < img.height(); ++y)
            for (int x = 0; x < 400; ++x)
                if ((img.pixel(x, y) | 0xFF000000u) != kWhite)
                    return false;
        return true;
    }
};

// --- the square wave ---

struct LeaderCase {
    int channel;
    int zoom;
    int fallX; // 9000 / zoom + 10
    int endX;  // 13500 / zoom + 10
};

class LeaderDrawing : public WaveViewFixture, public ::testing::WithParamInterface<LeaderCase> {};

TEST_P(LeaderDrawing, RisesAtTenFallsAfterTheMarkAndRunsLowToTheWidth)
{
    const LeaderCase c = GetParam();
    view.setZoomDivisor(c.zoom);
    fill(*store, c.channel, {{9000, 13500}});
    view.DrawPulse(c.channel, 0);
    const int low = c.channel * 50 + 40;
    const int high = c.channel * 50 + 20;
    for (int x = 0; x <= 10; ++x)
        EXPECT_EQ(px(x, low), kGreen) << "lead-in x " << x;
    for (int y = high; y <= low; ++y) {
        EXPECT_EQ(px(10, y), kGreen) << "rise y " << y;
        EXPECT_EQ(px(c.fallX, y), kGreen) << "fall y " << y;
    }
    for (int x = 10; x <= c.fallX; ++x)
        EXPECT_EQ(px(x, high), kGreen) << "mark x " << x;
    for (int x = c.fallX; x <= c.endX; ++x)
        EXPECT_EQ(px(x, low), kGreen) << "space x " << x;
    EXPECT_EQ(px(c.endX + 1, low), kWhite);
    EXPECT_EQ(px(11, low), kWhite);           // below the mark
    EXPECT_EQ(px(c.fallX + 1, high), kWhite); // after the mark
    EXPECT_EQ(px(c.endX, high), kWhite);
}

INSTANTIATE_TEST_SUITE_P(Zooms, LeaderDrawing,
                         ::testing::Values(LeaderCase{0, 200, 55, 77}, LeaderCase{2, 200, 55, 77},
                                           LeaderCase{3, 100, 100, 145}, LeaderCase{1, 20, 460, 685}));

TEST_F(WaveViewFixture, PairsContinueFromThePreviousOne)
{
    fill(*store, 1, {{9000, 13500}, {560, 1120}, {560, 2250}});
    drawAll(1);
    // Accumulated time 13500 -> 14060 (rise at 77, fall at 80), 14620 -> 83, then 16870 -> 94.
    EXPECT_EQ(px(77, 75), kGreen);
    EXPECT_EQ(px(80, 75), kGreen);
    EXPECT_EQ(px(83, 75), kGreen);
    EXPECT_EQ(px(85, 75), kGreen); // fall of the third mark at (14620 + 560) / 200 + 10 = 85
    EXPECT_EQ(px(94, 90), kGreen);
    EXPECT_EQ(px(95, 90), kWhite);
}

TEST_F(WaveViewFixture, LongSilenceIsClippedAtTheImageEdgeAndLaterPairsAreNotDrawn)
{
    view.setZoomDivisor(20);
    fill(*store, 0, {{560, 999999}, {560, 1120}});
    view.DrawPulse(0, 0);
    EXPECT_EQ(px(WaveView::kImageWidth - 1, 40), kGreen);
    const QImage before = view.image().copy();
    view.DrawPulse(0, 1);
    EXPECT_EQ(view.image(), before);
}

TEST_F(WaveViewFixture, NegativeTimesFromAMalformedLineStayInsideTheImage)
{
    fill(*store, 0, {{9000, 13500}, {-2000000000, -2000000000}, {-1, 1120}, {560, 1120}});
    drawAll(0);
    EXPECT_EQ(px(55, 30), kGreen); // the leader is intact
    EXPECT_EQ(px(0, 40), kGreen);
}

TEST_F(WaveViewFixture, OutOfRangeChannelsAndIndicesDrawNothing)
{
    fill(*store, 0, {{9000, 13500}});
    const QImage before = view.image().copy();
    view.DrawPulse(-1, 0);
    view.DrawPulse(4, 0);
    view.DrawPulse(0, -1);
    view.DrawPulse(0, 4097);
    view.DrawPulse(0, 100000);
    EXPECT_EQ(view.image(), before);
    view.setWaveStore(nullptr);
    view.DrawPulse(0, 0);
    EXPECT_EQ(view.image(), before);
}

// --- clearing ---

struct ClearCase {
    int startChannel;       // channel whose train starts (DrawPulse index 0)
    std::vector<int> blank; // bands blank afterwards apart from the new lead-in
};

class NewTrainClears : public WaveViewFixture, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(NewTrainClears, OnlyTheExpectedBands)
{
    const ClearCase c = GetParam();
    for (int ch = 0; ch < 4; ++ch) {
        fill(*store, ch, {{9000, 13500}, {560, 1120}});
        drawAll(ch);
    }
    fill(*store, c.startChannel, {{0, 0}});
    view.DrawPulse(c.startChannel, 0);
    for (int ch = 0; ch < 4; ++ch) {
        const bool expectBlank = std::find(c.blank.begin(), c.blank.end(), ch) != c.blank.end();
        // The mark of the old train sits at x 30, y ch*50+20.
        EXPECT_EQ(px(30, ch * 50 + 20) == kWhite, expectBlank) << "band " << ch;
    }
}

INSTANTIATE_TEST_SUITE_P(Channels, NewTrainClears,
                         ::testing::Values(ClearCase{0, {0, 1, 2, 3}}, ClearCase{1, {1}}, ClearCase{2, {2}},
                                           ClearCase{3, {3}}));

TEST_F(WaveViewFixture, ClearWaveAreaWhitensBandsAndRunsTheHook)
{
    int hookRuns = 0;
    QObject::connect(&view, &WaveView::areaCleared, [&] { ++hookRuns; });
    for (int ch = 0; ch < 4; ++ch) {
        fill(*store, ch, {{9000, 13500}});
        drawAll(ch);
    }
    view.ClearWaveArea(3);
    EXPECT_TRUE(bandBlank(3));
    EXPECT_FALSE(bandBlank(2));
    view.ClearWaveArea(4);
    for (int ch = 0; ch < 4; ++ch)
        EXPECT_TRUE(bandBlank(ch));
    EXPECT_EQ(hookRuns, 4 + 2); // four trains started, then two clears
}

TEST_F(WaveViewFixture, LabelIsBlueInsideItsBandAboveTheWave)
{
    fill(*store, 2, {{9000, 13500}});
    drawAll(2);
    view.drawLabel(2, QStringLiteral("No.12: 38.0kHz Tm:NEC-32R    d:20DF 10EF"));
    int blue = 0;
    const QImage& img = view.image();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < 600; ++x) {
            const QRgb p = img.pixel(x, y);
            if (qBlue(p) > 200 && qRed(p) < 80 && qGreen(p) < 80) {
                ++blue;
                EXPECT_GE(y, 102);
                EXPECT_LT(y, 120); // above the high level at y 120
                EXPECT_GE(x, 10);
            }
        }
    EXPECT_GT(blue, 50);
    EXPECT_EQ(px(30, 120), kGreen); // the wave is untouched
}

// --- measuring cursors ---

TEST_F(WaveViewFixture, CursorsShowInTheirColoursAndLeaveNoTrace)
{
    fill(*store, 0, {{9000, 13500}, {560, 1120}});
    drawAll(0);
    const QImage before = view.image().copy();

    view.PlaceCursor(WaveView::Cursor::A, 100);
    view.PlaceCursor(WaveView::Cursor::B, 300);
    EXPECT_EQ(view.cursorA(), 100);
    EXPECT_EQ(view.cursorB(), 300);
    EXPECT_EQ(px(100, 100), qRgb(255, 255, 0));
    EXPECT_EQ(px(300, 100), qRgb(0, 255, 0));
    EXPECT_EQ(px(100, 1), kWhite);   // lines run from y 2
    EXPECT_EQ(px(100, 196), kWhite); // to y 195

    // B moved left of A sends A back to the start.
    view.PlaceCursor(WaveView::Cursor::B, 50);
    EXPECT_EQ(view.cursorA(), 0);
    EXPECT_EQ(view.cursorB(), 50);
    EXPECT_EQ(px(100, 100), kWhite);
    EXPECT_EQ(px(300, 100), kWhite);

    // A new A hides B.
    view.PlaceCursor(WaveView::Cursor::A, 20);
    EXPECT_EQ(view.cursorB(), WaveView::kHidden);
    EXPECT_EQ(px(50, 100), kWhite);

    view.PlaceCursor(WaveView::Cursor::B, 200);
    // Drawing over the cursors keeps them reversible.
    view.drawLabel(0, QStringLiteral("No.1: 38.0kHz"));
    view.EraseCursors();
    EXPECT_EQ(view.cursorA(), WaveView::kHidden);
    EXPECT_EQ(view.cursorB(), WaveView::kHidden);
    WaveView reference;
    reference.setWaveStore(store.get());
    reference.DrawPulse(0, 0);
    reference.DrawPulse(0, 1);
    reference.drawLabel(0, QStringLiteral("No.1: 38.0kHz"));
    EXPECT_EQ(view.image(), reference.image());
    EXPECT_NE(view.image(), before);
}

TEST_F(WaveViewFixture, CursorSequencesAlwaysRestoreTheImage)
{
    fill(*store, 1, {{9000, 13500}, {560, 1120}, {560, 2250}});
    drawAll(1);
    const QImage before = view.image().copy();
    const struct {
        WaveView::Cursor which;
        int x;
    } steps[] = {{WaveView::Cursor::B, 40},    {WaveView::Cursor::B, 60},    {WaveView::Cursor::A, 77},
                 {WaveView::Cursor::A, 77},    {WaveView::Cursor::B, 77},    {WaveView::Cursor::B, 0},
                 {WaveView::Cursor::A, 19999}, {WaveView::Cursor::B, 30000}, {WaveView::Cursor::A, -5}};
    for (const auto& s : steps) {
        view.PlaceCursor(s.which, s.x);
        EXPECT_NE(view.image(), before) << "x " << s.x;
        view.EraseCursors();
        EXPECT_EQ(view.image(), before) << "after x " << s.x;
        view.PlaceCursor(s.which, s.x); // back on for the next step (from the hidden state)
    }
    view.EraseCursors();
    EXPECT_EQ(view.image(), before);
}

// --- rules ---

TEST(WaveRules, ZoomItemsGiveTheirDivisor)
{
    const struct {
        const char* item;
        int divisor;
    } cases[] = {{"1/20", 20}, {"1/200", 200}, {"1/5000", 5000}, {"1/1200", 1200},
                 {"1/abc", 1}, {"", 1},        {"1/0", 1},       {"1/-50", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(zoomDivisorOf(QString::fromLatin1(c.item)), c.divisor) << c.item;
}

TEST(WaveRules, ScrollPositionMapsOntoTheNegativeExtent)
{
    EXPECT_EQ(scrollLeft(0, -19020, 100), 0);
    EXPECT_EQ(scrollLeft(50, -19020, 100), -9510);
    EXPECT_EQ(scrollLeft(100, -19020, 100), -19020);
    EXPECT_EQ(scrollLeft(33, -19021, 100), -6276); // truncated toward zero
    EXPECT_EQ(scrollLeft(5, -100, 0), -500);       // a zero maximum counts as 1
}

struct MeasureCase {
    const char* what;
    int cursorA;
    int x;
    int zoom;
    int64_t us;
    int row;
};

class Measure : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(Measure, SumsWidthsFromCursorAToThePointer)
{
    const MeasureCase c = GetParam();
    // Pairs (High, Width): listed rows 1..4, then an empty row.
    const std::vector<ListPair> rows = {{500, 1050}, {300, 600}, {560, 1120}, {9000, 40000}};
    const auto rowAt
        = [&](int row) { return row >= 1 && row <= int(rows.size()) ? rows[size_t(row - 1)] : ListPair{}; };
    const Interval iv = measureInterval(c.cursorA, c.x, c.zoom, 4096, rowAt);
    EXPECT_EQ(iv.us, c.us) << c.what;
    EXPECT_EQ(iv.row, c.row) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, Measure,
                         ::testing::Values(
                             // limit (16 - 10) * 200 = 1200: row 1 (1050) fits, row 2's mark (300) passes it.
                             MeasureCase{"A at 5 starts at 0", 5, 16, 200, 1050, 2},
                             MeasureCase{"A at 10 starts at 0", 10, 16, 200, 1050, 2},
                             MeasureCase{"A hidden starts at 0", -1, 16, 200, 1050, 2},
                             // limit 1400: row 2's mark ends at 1350, inside the limit: its end counts.
                             MeasureCase{"pointer past a mark", 5, 17, 200, 1350, 2},
                             // A at 11: 200 µs, inside row 1, whose end (1050) starts the interval.
                             MeasureCase{"A inside the first pair", 11, 17, 200, 300, 2},
                             MeasureCase{"B before A gives 0", 20, 12, 200, 0, 1},
                             // Pointer beyond every pair: all Widths, stopping at the empty row 5.
                             MeasureCase{"past the end", 5, 19000, 200, 42770, 5},
                             MeasureCase{"other zoom", 5, 12, 1000, 1650, 3}));

TEST(WaveRules, IntervalTextHasThreeDecimals)
{
    EXPECT_EQ(intervalText(1050), "tw:1.050mS");
    EXPECT_EQ(intervalText(0), "tw:0.000mS");
    EXPECT_EQ(intervalText(7), "tw:0.007mS");
    EXPECT_EQ(intervalText(123456), "tw:123.456mS");
    EXPECT_EQ(intervalText(int64_t(5000000000)), "tw:5000000.000mS");
}

TEST(WaveRules, LogLineBecomesATransmitCommand)
{
    const struct {
        const char* text;
        const char* command; // nullptr: not a command line
    } cases[] = {
        {"m:NEC-32R,d:20DF10EF,f:3,", "Tm:NEC-32R,d:20DF10EF,f:3"},
        {"m:NEC-32R,d:20DF10EF,f:3", "Tm:NEC-32R,d:20DF10EF,f:"},
        {"m:NEC-32R,d:20DF10EF,f:3,x:9,", "Tm:NEC-32R,d:20DF10EF,f:3"},
        {"m:SONY12,d:0115", "Tm:SONY12,d:,f:"},
        {"m:", "Tm:,d:,f:"},
        {"m:A,", "Tm:A,d:,f:"},
        {"Tm:NEC-32R,d:20DF10EF,f:3,", nullptr},
        {"M:NEC", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const auto cmd = commandFromLogText(QString::fromLatin1(c.text));
        if (c.command) {
            ASSERT_TRUE(cmd.has_value()) << c.text;
            EXPECT_EQ(*cmd, QString::fromLatin1(c.command)) << c.text;
        } else {
            EXPECT_FALSE(cmd.has_value()) << c.text;
        }
    }
}

} // namespace
