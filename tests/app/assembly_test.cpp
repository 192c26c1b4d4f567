// The assembly: every binding is wired to its controls and to the session.
// Controls set session state; session state and events reach the widgets;
// every flow's control reaches its flow (shown by the connect-first message,
// the one reaction that needs no board); and the whole tool is torn down
// cleanly after a flow ran.
#include "FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "app/table/TableController.h"
#include "app/widgets/Panels.h"
#include "core/learning/LearnView.h"
#include "core/session/Session.h"
#include "support/Controls.h"
#include "support/ToolFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

using zovax::test::control;

using namespace zovax;

namespace {

struct Assembly : ::testing::Test, test::ToolFixture {
    void SetUp() override
    {
        createTool();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    Session& session() { return w.tool().session(); }
};

TEST_F(Assembly, CheckBoxesAndEditsSetTheSessionState)
{
    struct Case {
        const char* name;
        std::function<QCheckBox*(MainWindow&)> box;
        std::function<bool(Session&)> state;
    };
    const Case cases[] = {
        {"Cursor Auto", [](MainWindow& m) { return control<QCheckBox>(m, "ckCursor"); },
         [](Session& s) { return s.cursorAuto(); }},
        {"学習確認", [](MainWindow& m) { return control<QCheckBox>(m, "ckLearningMsg"); },
         [](Session& s) { return s.learningMsg(); }},
        {"PCode", [](MainWindow& m) { return control<QCheckBox>(m, "ckPcode"); }, [](Session& s) { return s.pcode(); }},
        {"Full Code", [](MainWindow& m) { return control<QCheckBox>(m, "ckFullCode"); },
         [](Session& s) { return s.fullCode(); }},
        {"IR3", [](MainWindow& m) { return control<QCheckBox>(m, "ckTp3"); },
         [](Session& s) { return s.irOutputs()[2]; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QCheckBox* box = c.box(*w);
        box->setVisible(true);
        const bool before = box->isChecked();
        EXPECT_EQ(c.state(session()), before);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        EXPECT_EQ(c.state(session()), !before);
    }

    if (control<QLineEdit>(*w, "edtHrange")->isHidden())
        QTest::mouseDClick(control<BarFrame>(*w, "pnlCont"), Qt::LeftButton, {},
                           QPoint(2, 2)); // the advanced edits are shown
    control<QLineEdit>(*w, "edtHrange")->clear();
    QTest::keyClicks(control<QLineEdit>(*w, "edtHrange"), QStringLiteral("33"));
    EXPECT_EQ(session().hRangeText(), QStringLiteral("33"));
    control<QComboBox>(*w, "cmbSendText")->setFocus();
    QTest::keyClicks(control<QComboBox>(*w, "cmbSendText"), QStringLiteral("Ver"));
    EXPECT_EQ(session().commandLineText(), QStringLiteral("Ver"));
}

TEST_F(Assembly, SessionStateReachesTheWidgets)
{
    Session& s = session();
    s.setStatusText(0, QStringLiteral("zero"));
    EXPECT_EQ(w->statusText(0), QStringLiteral("zero"));
    s.setHostText(QStringLiteral("127.0.0.1/60001"));
    EXPECT_EQ(control<QLabel>(*w, "pnlHost")->text(), QStringLiteral("127.0.0.1/60001"));
    s.log().append(QStringLiteral("line from the board"));
    EXPECT_TRUE(control<QPlainTextEdit>(*w, "memoRecv")->toPlainText().contains(QStringLiteral("line from the board")));
    s.log().clear();
    EXPECT_TRUE(control<QPlainTextEdit>(*w, "memoRecv")->toPlainText().isEmpty());
    s.setCursor(kColComments, 12);
    EXPECT_EQ(TableController::cursorRow(control<QTableView>(*w, "sGrid")), 12);
    EXPECT_EQ(TableController::cursorColumn(control<QTableView>(*w, "sGrid")), kColComments);
    // And back: the grid's cursor is the session's.
    TableController::moveCursor(control<QTableView>(*w, "sGrid"), kColCarry, 20);
    EXPECT_EQ(s.cursorRow(), 20);
    s.learnView().setLearningTimeText(QStringLiteral("700"));
    EXPECT_EQ(control<QLineEdit>(*w, "edtLearningTime")->text(), QStringLiteral("700"));
    s.learnView().setLearnIndicatorLook(true);
    EXPECT_EQ(control<ClickPanel>(*w, "pnlAnalyze")->text(), QStringLiteral("学習 On"));
    s.learnView().showProgress();
    s.learnView().setProgress(99);
    EXPECT_TRUE(control<QProgressBar>(*w, "pgBar")->isVisible());
    EXPECT_EQ(control<QProgressBar>(*w, "pgBar")->value(), 99);
    s.learnView().hideProgress();
    EXPECT_FALSE(control<QProgressBar>(*w, "pgBar")->isVisible());
    const bool trace = s.traceMode();
    QTest::mouseDClick(control<PanelStatusBar>(*w, "sBar"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(s.traceMode(), !trace);
}

TEST_F(Assembly, EveryFlowControlReachesItsFlow)
{
    const std::pair<const char*, std::function<void()>> controls[] = {
        {"learning", [&] { QTest::mouseClick(control<ClickPanel>(*w, "pnlAnalyze"), Qt::LeftButton); }},
        {"fire test", [&] { QTest::mouseClick(control<QPushButton>(*w, "btnTest"), Qt::LeftButton); }},
        {"console", [&] { QTest::mouseClick(control<QPushButton>(*w, "btnSend"), Qt::LeftButton); }},
        {"registration", [&] { QTest::mouseClick(control<QToolButton>(*w, "btnTableWrite"), Qt::LeftButton); }},
        {"read-back", [&] { QTest::mouseClick(control<QToolButton>(*w, "btnTableLoad"), Qt::LeftButton); }},
    };
    for (const auto& [name, press] : controls) {
        SCOPED_TRACE(name);
        prompts.asked.clear();
        press();
        ASSERT_EQ(prompts.texts(), QStringList{QStringLiteral("ZOVAX-Etherに接続して下さい")});
    }
}

TEST_F(Assembly, TearsDownAfterAFlowWithoutTouchingDestroyedWidgets)
{
    session().log().append(QStringLiteral("x"));
    QTest::mouseDClick(control<QPlainTextEdit>(*w, "memoRecv")->viewport(),
                       Qt::LeftButton); // the wave binding's filter
    QTest::mouseClick(control<QToolButton>(*w, "btnTableLoad"), Qt::LeftButton);
    w.reset(); // bindings, windows, session: in that order (checked by the sanitizer run)
    SUCCEED();
}

} // namespace
