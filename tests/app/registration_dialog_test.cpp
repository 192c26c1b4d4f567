// frmTws as the user sees it (names, texts, shape, the state on showing) and
// its buttons while idle and while a registration runs; the read-back
// progress window's stop paths; the two buttons without a link.
#include "FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "app/main/RegistrationBinding.h"
#include "app/table/ReadBackDialog.h"
#include "app/table/TwsDialog.h"
#include "app/widgets/Panels.h"
#include "core/link/DeviceLink.h"
#include "sim/QtPrinters.h"
#include "support/Controls.h"
#include "support/TestSupport.h"
#include "support/ToolFixture.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;

namespace {

TEST(TwsDialogDesign, ControlsCarryTheirNamesTextsAndLook)
{
    TwsDialog d;
    auto* Label1 = control<QLabel>(d, "Label1");
    auto* btnExecute = control<QPushButton>(d, "btnExecute");
    auto* btnCancel = control<QPushButton>(d, "btnCancel");
    auto* Lable2 = control<QLabel>(d, "Lable2");
    auto* sBar = control<PanelStatusBar>(d, "sBar");
    auto* pnlTop = control<QFrame>(d, "pnlTop");
    EXPECT_EQ(d.objectName(), "frmTws");
    EXPECT_EQ(d.windowTitle(), "ZOVAX Learning Table Write");
    EXPECT_TRUE(d.isModal());
    struct Row {
        QWidget* w;
        const char* name;
        const char* text;
    };
    const Row rows[] = {{Label1, "Label1", "学習情報を ZOVAX-Ether に登録します。"},
                        {btnExecute, "btnExecute", "登録実行"},
                        {btnCancel, "btnCancel", "中止"},
                        {Lable2, "Lable2", "準備ができましたら、「登録実行」ボタンをクリックして下さい。"}};
    for (const Row& r : rows) {
        EXPECT_EQ(r.w->objectName(), r.name);
        EXPECT_EQ(d.findChild<QWidget*>(r.name), r.w);
        const QString text
            = qobject_cast<QLabel*>(r.w) ? qobject_cast<QLabel*>(r.w)->text() : qobject_cast<QPushButton*>(r.w)->text();
        EXPECT_EQ(text, QString::fromUtf8(r.text)) << r.name;
    }
    EXPECT_TRUE(Label1->font().bold());
    EXPECT_EQ(Label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(sBar->objectName(), "sBar");
    ASSERT_EQ(sBar->panelCount(), 2);
    EXPECT_EQ(sBar->panel(0)->width(), 80);
    EXPECT_EQ(sBar->panel(1)->minimumWidth(), 100);

    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(d.minimumSize(), d.maximumSize()); // fixed border
    EXPECT_EQ(d.height(), pnlTop->height() + sBar->height());
    EXPECT_GT(btnCancel->y(), btnExecute->y()); // stop below execute
    d.close();
}

TEST(TwsDialogDesign, ShowingResetsTheDialog)
{
    TwsDialog d;
    auto* btnExecute = control<QPushButton>(d, "btnExecute");
    auto* Lable2 = control<QLabel>(d, "Lable2");
    auto* sBar = control<PanelStatusBar>(d, "sBar");
    btnExecute->setEnabled(false);
    Lable2->hide();
    sBar->setPanelText(0, "Tws:123");
    sBar->setPanelText(1, "x");
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_TRUE(btnExecute->isEnabled());
    EXPECT_TRUE(Lable2->isVisible());
    EXPECT_EQ(sBar->panelText(0), "");
    EXPECT_EQ(sBar->panelText(1), "");
    EXPECT_TRUE(test::waitUntil([&] { return btnExecute->hasFocus(); }, 1000));
    const int height = d.height();
    Lable2->hide(); // the hint comes and goes without changing the shape
    EXPECT_EQ(d.height(), height);
    d.close();
}

TEST(TwsDialogButtons, StopWhileIdleCloses)
{
    TwsDialog d;
    d.show();
    control<QPushButton>(d, "btnCancel")->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
}

// While the registration runs, Stop, Esc and the close button all ask it to
// stop and leave the dialog open; it closes when the run returns.
TEST(TwsDialogButtons, StopEscAndCloseDuringARunAskTheRunToStop)
{
    TwsDialog d;
    auto* btnExecute = control<QPushButton>(d, "btnExecute");
    auto* Lable2 = control<QLabel>(d, "Lable2");
    auto* btnCancel = control<QPushButton>(d, "btnCancel");
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    std::vector<bool> stillOpen, asked;
    QObject::connect(&d, &TwsDialog::writeRequested, [&] {
        EXPECT_FALSE(btnExecute->isEnabled());
        EXPECT_FALSE(Lable2->isVisible());
        EXPECT_FALSE(d.cancelRequested());
        const std::function<void()> ways[]
            = {[&] { btnCancel->click(); }, [&] { QTest::keyClick(&d, Qt::Key_Escape); }, [&] { d.close(); }};
        for (const auto& way : ways) {
            btnExecute->setEnabled(false);
            way();
            stillOpen.push_back(d.isVisible());
            asked.push_back(d.cancelRequested());
        }
        EXPECT_TRUE(Lable2->isVisible());
    });
    btnExecute->click();
    EXPECT_EQ(stillOpen, std::vector<bool>({true, true, true}));
    EXPECT_EQ(asked, std::vector<bool>({true, true, true}));
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(d.running());
}

TEST(TwsDialogButtons, ExecuteDoesNothingWhileTheDialogIsClosed)
{
    TwsDialog d;
    int runs = 0;
    QObject::connect(&d, &TwsDialog::writeRequested, [&] { ++runs; });
    control<QPushButton>(d, "btnExecute")->click();
    EXPECT_EQ(runs, 0);
}

TEST(ReadBackProgress, StopButtonEscAndCloseAllAskToStop)
{
    ReadBackDialog d(250);
    EXPECT_EQ(d.objectName(), "frmReadBack");
    EXPECT_EQ(control<QPushButton>(d, "btnReadStop")->text(), "中止");
    QSignalSpy stop(&d, &ReadBackDialog::stopRequested);
    d.show();
    control<QPushButton>(d, "btnReadStop")->click();
    QTest::keyClick(&d, Qt::Key_Escape);
    d.close();
    EXPECT_EQ(stop.count(), 3);
    EXPECT_TRUE(d.isVisible()); // the read-back hides it when it has ended
    d.hide();
}

TEST(ReadBackProgress, ShowsTheEntryAndTheUnansweredRequests)
{
    ReadBackDialog d(250);
    d.showProgress(1, 0);
    EXPECT_TRUE(control<QLabel>(d, "lblReadBack")->text().contains("001 / 250"));
    d.showProgress(2, 1); // a new unanswered request is always shown
    EXPECT_TRUE(control<QLabel>(d, "lblReadBack")->text().contains("002 / 250"));
    EXPECT_TRUE(control<QLabel>(d, "lblReadBack")->text().contains("応答のなかったエントリ: 1 件"));
    EXPECT_EQ(control<QProgressBar>(d, "pgReadBack")->maximum(), 250);
}

struct MainWindowButtons : ::testing::Test, test::ToolFixture {
    void SetUp() override { createTool(); }
};

TEST_F(MainWindowButtons, WithoutALinkBothAskToConnectFirst)
{
    ASSERT_NE(&w.tool().registration(), nullptr);
    QSignalSpy frames(&w->session().link(), &DeviceLink::tcpFrameSent);
    control<QToolButton>(*w, "btnTableWrite")->click();
    control<QToolButton>(*w, "btnTableLoad")->click();
    ASSERT_EQ(prompts.asked.size(), 2u);
    for (const auto& a : prompts.asked) {
        EXPECT_EQ(a.caption, "確認");
        EXPECT_EQ(a.text, "ZOVAX-Etherに接続して下さい");
        EXPECT_EQ(a.icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(frames.count(), 0);
    EXPECT_FALSE(w.tool().windows().frmTws->isVisible());
    EXPECT_EQ(w->session().link().state().tableWriteMode, TableWriteMode::Off);
    EXPECT_FALSE(w->session().link().state().tableReadMode);
}

} // namespace
