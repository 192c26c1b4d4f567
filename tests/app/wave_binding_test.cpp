// The wave display inside the main window: zoom, scrolling, the Clear and
// Data buttons, measuring with the mouse and the receive log's double-click.
#include "FakePorts.h"
#include "app/learning/WaveListModel.h"
#include "app/learning/WaveListWindow.h"
#include "app/learning/WaveView.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "app/main/WaveBinding.h"
#include "core/learning/WaveStore.h"
#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"
#include "support/Controls.h"
#include "support/TestSupport.h"
#include "support/ToolFixture.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using zovax::test::control;

using namespace zovax;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGreen = qRgb(0, 128, 0);

struct Pair {
    int high;
    int width;
};

struct WaveBindingFixture : ::testing::Test, test::ToolFixture {
    std::unique_ptr<WaveStore> store = std::make_unique<WaveStore>();
    WaveBinding* binding = nullptr;
    std::vector<std::pair<int, QString>> shown; // ShowResult calls
    std::vector<int> carriers;                  // carrierTenths seen by each call

    void SetUp() override
    {
        createTool();
        binding = &w.tool().wave();
        ASSERT_NE(binding, nullptr);
        binding->setWaveStore(store.get());
        WaveBinding::Hooks h;
        h.ShowResult = [this](int channel, const QString& text) {
            shown.emplace_back(channel, text);
            carriers.push_back(store->carrierTenths);
        };
        binding->setHooks(h);
    }

    WaveView& view() { return *control<WaveView>(*w, "imgWave"); }
    WaveListWindow& list() { return *w.tool().windows().frmWave; }

    // A learned train: stored, drawn and listed pair by pair.
    void learn(int channel, const std::vector<Pair>& pairs)
    {
        WaveChannel& ch = store->channels[size_t(channel)];
        for (size_t i = 0; i < pairs.size(); ++i) {
            ch.pulses[i] = {pairs[i].high, pairs[i].width};
            ch.lastIndex = int(i);
            view().DrawPulse(channel, int(i));
            list().ShowPulseInList(channel, int(i));
        }
    }
    QRgb px(int x, int y) { return view().image().pixel(x, y) | 0xFF000000u; }
    bool imageBlank()
    {
        const QImage& img = view().image();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < 2000; ++x)
                if ((img.pixel(x, y) | 0xFF000000u) != kWhite)
                    return false;
        return true;
    }
    QString lastLogLine() { return control<QPlainTextEdit>(*w, "memoRecv")->document()->lastBlock().text(); }
};

TEST_F(WaveBindingFixture, ZoomRedrawsEveryChannelHoldingPairsAndRebuildsItsLabel)
{
    learn(0, {{9000, 13500}, {560, 1120}, {560, 60000}});
    learn(1, {{9000, 13500}}); // a single pair: lastIndex 0
    learn(2, {{4500, 9000}, {560, 1690}});
    store->channels[0].channelRow = 5;
    store->channels[2].channelRow = 7;
    w->session().table().setCell(kColResult, 5, QStringLiteral("Tm:NEC-32R    d:20DF 10EF"));
    w->session().table().setCell(kColResult, 7, QStringLiteral("Tm:SAMSUNG-D  d:0707"));
    w->session().table().entry(5).carrier = 380; // row 7 has no stored carrier
    store->carrierTenths = 400;                  // the most recent learn's
    EXPECT_EQ(view().zoomDivisor(), 200);

    auto* cmbZoom = control<QComboBox>(*w, "cmbZoom");
    cmbZoom->setCurrentText(QStringLiteral("1/100"));
    EXPECT_EQ(view().zoomDivisor(), 100);
    const std::vector<std::pair<int, QString>> expected
        = {{0, QStringLiteral("Tm:NEC-32R    d:20DF 10EF")}, {2, QStringLiteral("Tm:SAMSUNG-D  d:0707")}};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(carriers, std::vector<int>({380, 400})); // each row's own carrier where it has one
    EXPECT_EQ(store->carrierTenths, 400);
    EXPECT_EQ(px(100, 30), kGreen); // channel 0's leader falls at 9000 / 100 + 10
    EXPECT_EQ(px(55, 30), kWhite);  // not where it fell at 1/200
    EXPECT_EQ(px(55, 130), kGreen); // channel 2's leader: 4500 / 100 + 10
    // Channel 0's last pair (the closing silence) is not redrawn: the wave ends
    // after pair 1, at (13500 + 1120) / 100 + 10.
    EXPECT_EQ(px(156, 40), kGreen);
    EXPECT_EQ(px(160, 20), kWhite);
    EXPECT_EQ(px(157, 40), kWhite);
    EXPECT_EQ(px(30, 70), kWhite); // the single-pair channel is not redrawn (band 1 was cleared)

    cmbZoom->setCurrentText(QStringLiteral("1/5000"));
    EXPECT_EQ(view().zoomDivisor(), 5000);
    cmbZoom->setCurrentIndex(0);
    EXPECT_EQ(view().zoomDivisor(), 20);
    EXPECT_EQ(cmbZoom->count(), 22);
}

TEST_F(WaveBindingFixture, ClearButtonEmptiesLogDisplayAndListAndRestartsOnChannelZero)
{
    learn(0, {{9000, 13500}, {560, 1120}});
    learn(3, {{560, 1120}, {560, 2250}});
    store->currentChannel = 3;
    w->session().log().append(QStringLiteral("Learning Completed !"));
    w->session().setStatusText(1, QStringLiteral("変更"));
    view().PlaceCursor(WaveView::Cursor::A, 40);

    control<QPushButton>(*w, "btnWaveClear")->click();
    EXPECT_EQ(control<QPlainTextEdit>(*w, "memoRecv")->toPlainText(), QString());
    EXPECT_TRUE(imageBlank());
    EXPECT_EQ(list().model().cellText(1, 1), QString());
    EXPECT_EQ(list().model().cellText(16, 2), QString());
    EXPECT_EQ(store->channels[0].lastIndex, 0);
    EXPECT_EQ(store->channels[3].lastIndex, 0);
    EXPECT_EQ(store->currentChannel, 4);
    EXPECT_EQ(w->statusText(1), QString());
    EXPECT_EQ(view().cursorA(), WaveView::kHidden);
}

TEST_F(WaveBindingFixture, ClearingTheImageKeepsTheModifiedMarkOfAnUnsavedTable)
{
    w->session().setStatusText(1, QStringLiteral("gethostname : Error"));
    view().ClearWaveArea(2);
    EXPECT_EQ(w->statusText(1), QString());
    w->session().table().SetModified(true);
    view().ClearWaveArea(4);
    EXPECT_EQ(w->statusText(1), QStringLiteral("変更"));
    EXPECT_TRUE(w->session().table().modified());
}

TEST_F(WaveBindingFixture, ClearUsesTheLearningSubsystemsClearWaveListWhenGiven)
{
    std::vector<int> cleared;
    WaveBinding::Hooks h;
    h.ClearWaveList = [&](int channel) { cleared.push_back(channel); };
    binding->setHooks(h);
    control<QPushButton>(*w, "btnWaveClear")->click();
    EXPECT_EQ(cleared, std::vector<int>{4});
}

TEST_F(WaveBindingFixture, DataButtonShowsTheListWithoutBlockingTheMainWindow)
{
    w->show();
    EXPECT_FALSE(list().isVisible());
    control<QPushButton>(*w, "btnWaveData")->click();
    EXPECT_TRUE(list().isVisible());
    EXPECT_FALSE(list().isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(list().height(), 600);
    list().hide();
}

TEST_F(WaveBindingFixture, MeasuringWithTheMouseLogsTheIntervalAndSelectsTheRow)
{
    learn(1, {{500, 1050}, {300, 600}, {560, 1120}, {9000, 40000}});
    w->show();
    // Cursor A with the right button at x 5 (before the lead-in ends), B with the left at x 16.
    QTest::mousePress(&view(), Qt::RightButton, {}, QPoint(5, 80));
    QTest::mouseRelease(&view(), Qt::RightButton, {}, QPoint(5, 80));
    EXPECT_EQ(view().cursorA(), 5);
    const int lines = w->session().log().lineCount();
    EXPECT_EQ(lines, 0);
    QTest::mousePress(&view(), Qt::LeftButton, {}, QPoint(16, 80));
    QTest::mouseRelease(&view(), Qt::LeftButton, {}, QPoint(16, 80));
    EXPECT_EQ(view().cursorB(), 16);
    EXPECT_EQ(lastLogLine(), "tw:1.050mS");
    EXPECT_EQ(list().currentRow(), 2);

    // Measured on the band under the pointer: channel 0 holds nothing.
    QTest::mousePress(&view(), Qt::LeftButton, {}, QPoint(16, 20));
    QTest::mouseRelease(&view(), Qt::LeftButton, {}, QPoint(16, 20));
    EXPECT_EQ(lastLogLine(), "tw:0.000mS");

    // No measurement while B is hidden.
    view().EraseCursors();
    const int before = w->session().log().lineCount();
    QTest::mouseRelease(&view(), Qt::LeftButton, {}, QPoint(30, 80));
    EXPECT_EQ(w->session().log().lineCount(), before);
}

TEST_F(WaveBindingFixture, ScrollBarMovesTheImageAcrossItsExtent)
{
    w->resize(1000, 700);
    w->show();
    ASSERT_LT(w->scrollExtent(), 0);
    auto* scrBar = control<QScrollBar>(*w, "scrBar");
    scrBar->setValue(50);
    EXPECT_EQ(view().x(), 50 * w->scrollExtent() / 100);
    scrBar->setValue(100);
    EXPECT_EQ(view().x(), w->scrollExtent());
    w->resize(800, 700);
    ASSERT_EQ(scrBar->width(), 800);
    EXPECT_EQ(w->scrollExtent(), scrBar->width() - WaveView::kImageWidth - 20);
    EXPECT_EQ(view().x(), w->scrollExtent());
    scrBar->setValue(0);
    EXPECT_EQ(view().x(), 0);
}

struct LogCase {
    const char* what;
    const char* log;     // receive log text, lines separated by \n
    int caret;           // document position double-clicked
    const char* command; // expected command box text
    int selStart;
    int selLength;
};

class LogDoubleClick : public WaveBindingFixture, public ::testing::WithParamInterface<LogCase> {};

TEST_P(LogDoubleClick, MakesATransmitCommandFromAnMLine)
{
    const LogCase c = GetParam();
    control<QComboBox>(*w, "cmbSendText")->setEditText(QStringLiteral("unchanged"));
    control<QPlainTextEdit>(*w, "memoRecv")->setPlainText(QString::fromLatin1(c.log));
    binding->memoRecvDblClick(c.caret);
    EXPECT_EQ(control<QComboBox>(*w, "cmbSendText")->currentText(), QString::fromLatin1(c.command)) << c.what;
    if (c.selStart < 0)
        return;
    const QTextCursor cur = control<QPlainTextEdit>(*w, "memoRecv")->textCursor();
    EXPECT_EQ(cur.selectionStart(), c.selStart) << c.what;
    EXPECT_EQ(cur.selectionEnd() - cur.selectionStart(), c.selLength) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogDoubleClick,
    ::testing::Values(LogCase{"with the last comma", "m:NEC-32R,d:20DF10EF,f:3,", 0, "Tm:NEC-32R,d:20DF10EF,f:3", 0,
                              10},
                      LogCase{"without the last comma", "m:NEC-32R,d:20DF10EF,f:3\nm:SONY12,d:0115,f:3,", 0,
                              "Tm:NEC-32R,d:20DF10EF,f:", 0, 10},
                      LogCase{"clicked inside the line", "Analyze Mode\nm:NEC-32R,d:20DF10EF,f:3,", 20,
                              "Tm:NEC-32R,d:20DF10EF,f:3", 13, 10},
                      LogCase{"after a blank", "xx m:SONY12,d:0115,f:5,", 9, "Tm:SONY12,d:0115,f:5", 3, 10},
                      LogCase{"other lines stay", "Trans Mode\nLend:0500", 3, "unchanged", 0, 10},
                      LogCase{"past the end of the log", "m:A,", 99, "unchanged", -1, -1}));

TEST_F(WaveBindingFixture, DoubleClickInTheLogReachesTheRule)
{
    w->show();
    auto* memoRecv = control<QPlainTextEdit>(*w, "memoRecv");
    memoRecv->setPlainText(QStringLiteral("m:NEC-32R,d:20DF10EF,f:3,"));
    const QRect r = memoRecv->cursorRect(QTextCursor(memoRecv->document()));
    QTest::mouseDClick(memoRecv->viewport(), Qt::LeftButton, {}, r.center() + QPoint(30, 0));
    EXPECT_EQ(control<QComboBox>(*w, "cmbSendText")->currentText(), "Tm:NEC-32R,d:20DF10EF,f:3");
}

} // namespace
