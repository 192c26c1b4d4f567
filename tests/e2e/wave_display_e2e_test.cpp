// Learning from the board simulator and seeing the result: the four channels
// drawn on their bands with their labels, the wave data list holding every
// pulse pair with its pattern and logic value, zoom and measuring on real
// trains. Screenshots of the main window and the list are written when
// ZOVAX_SCREENSHOTS names a folder.
#include "ToolAndBoard.h"
#include "app/FakePorts.h"
#include "app/learning/WaveListModel.h"
#include "app/learning/WaveListWindow.h"
#include "app/learning/WaveView.h"
#include "app/main/AppAssembly.h"
#include "app/main/LearningBinding.h"
#include "app/main/MainWindow.h"
#include "app/main/WaveBinding.h"
#include "app/widgets/Panels.h"
#include "core/learning/LearningCore.h"
#include "core/learning/WaveStore.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"
#include "sim/board/BoardSim.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;
using test::waitUntil;

namespace {

struct Press {
    const char* protocol;
    const char* code;
};

// One press per channel, in the order Cursor Auto fills channels 0..3.
const Press kPresses[] = {{"NEC", "20DF10EF"}, {"SONY12", "1501"}, {"NEC", "807F40BF"}, {"SONY12", "2A01"}};

struct WaveDisplayE2E : ::testing::Test, e2e::ToolAndBoard {
    WaveStore* store = nullptr;

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startToolAndBoard());
        LearningBinding* learning = &w.tool().learning();
        ASSERT_NE(learning, nullptr);
        store = &learning->core().store();
        w->resize(1000, 860);
        w->show();
        control<QCheckBox>(*w, "ckLearningMsg")->setChecked(false); // no modal box after each learn
        control<QToolButton>(*w, "btnConnect")->click();
        ASSERT_TRUE(waitUntil([&] { return w->session().link().state().tcpConnected && board->hasClient(); }));
    }

    WaveView& view() { return *control<WaveView>(*w, "imgWave"); }
    WaveListWindow& list() { return *w.tool().windows().frmWave; }

    // Switches learning on and plays the four presses, one channel and row each.
    void learnFour()
    {
        control<QPushButton>(*w, "btnWaveData")->click();
        emit control<ClickPanel>(*w, "pnlAnalyze")->clicked();
        ASSERT_TRUE(waitUntil([&] { return board->analyzing(); }));
        for (int i = 0; i < 4; ++i) {
            const int row = i + 1;
            const QString answer
                = board->press(QString::fromLatin1(kPresses[i].protocol), QString::fromLatin1(kPresses[i].code));
            ASSERT_TRUE(answer.startsWith("ok:")) << answer.toStdString();
            ASSERT_TRUE(waitUntil([&] { return !w->session().table().cell(kColResult, row).isEmpty(); }, 10000))
                << "row " << row;
            ASSERT_TRUE(waitUntil([&] { return board->analyzing(); })); // re-armed for the next one
        }
    }
    int greenIn(int channel)
    {
        int n = 0;
        const QImage& img = view().image();
        for (int y = channel * 50 + 20; y <= channel * 50 + 40; ++y)
            for (int x = 0; x < 3000; ++x)
                n += (img.pixel(x, y) | 0xFF000000u) == qRgb(0, 128, 0);
        return n;
    }
    int blueIn(int channel)
    {
        int n = 0;
        const QImage& img = view().image();
        for (int y = channel * 50 + 2; y < channel * 50 + 19; ++y)
            for (int x = 0; x < 600; ++x) {
                const QRgb p = img.pixel(x, y);
                n += qBlue(p) > 200 && qRed(p) < 80 && qGreen(p) < 80;
            }
        return n;
    }
    void screenshot(QWidget* widget, const QString& name)
    {
        const QString folder = qEnvironmentVariable("ZOVAX_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        widget->grab().save(folder + "/" + name);
    }
};

TEST_F(WaveDisplayE2E, FourLearnsAreDrawnLabelledAndListed)
{
    learnFour();
    if (HasFatalFailure())
        return;
    const WaveListModel& m = list().model();
    for (int c = 0; c < 4; ++c) {
        const WaveChannel& ch = store->channels[size_t(c)];
        EXPECT_EQ(ch.channelRow, c + 1);
        EXPECT_GT(ch.lastIndex, 20) << "channel " << c;
        EXPECT_GT(greenIn(c), 100) << "wave of channel " << c;
        EXPECT_GT(blueIn(c), 50) << "label of channel " << c;
        // Every stored pair is listed with its pattern number; nothing after it.
        for (int i = 0; i <= ch.lastIndex; ++i) {
            ASSERT_EQ(m.high(c, i + 1), ch.pulses[size_t(i)].high) << c << "/" << i;
            ASSERT_EQ(m.width(c, i + 1), ch.pulses[size_t(i)].width) << c << "/" << i;
            ASSERT_EQ(m.pno(c, i + 1), ch.patternIndex[size_t(i)]) << c << "/" << i;
        }
        EXPECT_FALSE(m.hasPulse(c, ch.lastIndex + 2));
        // The data bits of the first frame carry logic values.
        int logic = 0;
        for (int row = 1; row <= ch.lastIndex + 1; ++row)
            logic += !m.logic(c, row).isEmpty();
        EXPECT_GE(logic, 12) << "channel " << c;
    }
    EXPECT_EQ(w->session().table().cell(kColResult, 1), "Tm:NEC-32R    d:20DF 10EF");
    EXPECT_EQ(m.logic(0, 2), "0 "); // 0x20: first bit (least significant) 0
    EXPECT_EQ(m.logic(0, 7), "1 "); // bit 5 of 0x20

    screenshot(w.get(), "main-after-learn.png");
    list().selectCell(3, 2); // a Pno cell: channel 1's summary
    QApplication::processEvents();
    EXPECT_FALSE(control<QLabel>(list(), "pnlHmin1")->text().isEmpty());
    screenshot(&list(), "wave-list-after-learn.png");
}

TEST_F(WaveDisplayE2E, ZoomAndMeasureOnALearnedTrain)
{
    learnFour();
    if (HasFatalFailure())
        return;
    const WaveChannel& ch0 = store->channels[0];
    const QRect labelArea(0, 2, 600, 17);
    const QImage label0 = view().image().copy(labelArea);
    // Zooming out redraws channel 0's leader: its mark ends at High / 1000 + 10.
    control<QComboBox>(*w, "cmbZoom")->setCurrentText("1/1000");
    const int fallX = ch0.pulses[0].high / 1000 + 10;
    EXPECT_EQ(view().image().pixel(fallX, 30) | 0xFF000000u, qRgb(0, 128, 0));
    EXPECT_GT(blueIn(3), 50) << "label rebuilt";
    // Channel 0 (38.0 kHz) keeps its own carrier in the rebuilt label, though
    // the most recent learn (channel 3) was at 40.0 kHz.
    EXPECT_EQ(view().image().copy(labelArea), label0);

    // A at the start, B on the start of the third pair: the two first Widths.
    const int x = int((int64_t(ch0.pulses[0].width) + ch0.pulses[1].width) / 1000 + 10) + 1;
    QTest::mousePress(&view(), Qt::RightButton, {}, QPoint(3, 30));
    QTest::mousePress(&view(), Qt::LeftButton, {}, QPoint(x, 30));
    QTest::mouseRelease(&view(), Qt::LeftButton, {}, QPoint(x, 30));
    const int64_t us = int64_t(ch0.pulses[0].width) + ch0.pulses[1].width;
    EXPECT_EQ(control<QPlainTextEdit>(*w, "memoRecv")->document()->lastBlock().text(),
              QString::asprintf("tw:%d.%03dmS", int(us / 1000), int(us % 1000)));
    EXPECT_EQ(list().currentRow(), 3);
    screenshot(w.get(), "main-zoom-1000-cursors.png");

    // Clear: everything empty, the next learn starts on channel 0.
    control<QPushButton>(*w, "btnWaveClear")->click();
    EXPECT_EQ(greenIn(0) + greenIn(3), 0);
    EXPECT_FALSE(list().model().hasPulse(0, 1));
    EXPECT_EQ(store->currentChannel, 4);
}

} // namespace
