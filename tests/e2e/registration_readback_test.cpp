// The read-back request from btnTableLoad against the simulator: the two
// questions, entries the board does not hold ("Error", row 17 and row 250),
// stopping a running read-back from its progress window, and a link that
// drops in the middle.
#include "RegistrationRig.h"
#include "support/Controls.h"

#include <QElapsedTimer>

using zovax::test::control;

using namespace zovax;
using namespace zovax::e2e;

namespace {

class ReadBackRequest : public RegistrationRig {
protected:
    void useRows(int first, int last)
    {
        for (int r = first; r <= last; ++r)
            putEntry(r, synthEntry(380, {{9000, 13500}, {560, 1120}, {560, 2250}}, {0, 1, 2, 1, r % 3, 2}));
    }
    void registerAndForget()
    {
        registerTable();
        ASSERT_EQ(messages(), QStringList({Registration::writeCompleteText()}));
        prompts.asked.clear();
        table().SetModified(false);
        board->clearCommandLog();
    }
};

TEST_F(ReadBackRequest, EntriesTheBoardLacksAreMarkedAndTheLastOneEndsTheRead)
{
    useRows(1, 16);
    useRows(18, 249); // 17 and 250 stay empty
    registerAndForget();
    // When the completion message shows, the progress window has gone and the
    // window draws again, with every entry in place.
    bool progressShown = true, windowDrawn = false;
    QString row249;
    prompts.onAsk = [&](const test::FakePrompts::Asked& a) {
        if (a.text != "読込み完了しました。  ")
            return;
        progressShown = binding->readBackDialog().isVisible();
        windowDrawn = w->updatesEnabled() && control<QTableView>(*w, "sGrid")->updatesEnabled();
        row249 = control<QTableView>(*w, "sGrid")->model()->index(248, kColCarry).data().toString();
    };
    ASSERT_TRUE(readBack());
    EXPECT_FALSE(progressShown);
    EXPECT_TRUE(windowDrawn);
    EXPECT_EQ(row249, "38.0kHz");
    EXPECT_EQ(TableController::cursorRow(control<QTableView>(*w, "sGrid")), 1);
    EXPECT_EQ(messages(), QStringList({Registration::readQuestionText(), "読込み完了しました。  "}));
    EXPECT_EQ(table().entry(17).flag, 999);
    EXPECT_EQ(table().entry(250).flag, 999);
    EXPECT_TRUE(table().cell(kColCarry, 17).isEmpty());
    EXPECT_EQ(table().entry(16).flag, 0);
    EXPECT_EQ(table().cell(kColCarry, 249), "38.0kHz");
    const QStringList sent = sentSinceClear();
    EXPECT_EQ(sent.at(sent.size() - 2), "Twl:250");
    EXPECT_EQ(sent.last(), "KRV:off");
    EXPECT_TRUE(table().modified());
    EXPECT_FALSE(binding->readBackDialog().isVisible());
}

struct QuestionCase {
    const char* name;
    MsgAnswer discard, read;
    bool tableKept;
    int questions;
};

class ReadBackQuestions : public ReadBackRequest, public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(ReadBackQuestions, DecliningSendsNothing)
{
    useRows(1, 3);
    table().SetModified(true); // unsaved changes: New asks first
    prompts.answers = {GetParam().discard, GetParam().read};
    control<QToolButton>(*w, "btnTableLoad")->click();
    EXPECT_EQ(int(prompts.asked.size()), GetParam().questions);
    EXPECT_TRUE(sentSinceClear().isEmpty());
    EXPECT_FALSE(state().tableReadMode);
    EXPECT_EQ(table().cell(kColCarry, 2).isEmpty(), !GetParam().tableKept);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadBackQuestions,
                         ::testing::Values(QuestionCase{"keepTable", MsgAnswer::No, MsgAnswer::Yes, true, 1},
                                           QuestionCase{"newButNoRead", MsgAnswer::Yes, MsgAnswer::No, false, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadBackRequest, TheStopButtonEndsARunningReadCleanly)
{
    useRows(1, 30);
    registerAndForget();
    QMetaObject::Connection stopAt10;
    stopAt10 = QObject::connect(board.get(), &sim::BoardSim::commandReceived, w.get(), [&, this](const QString& c) {
        if (c == "Twl:010") {
            QObject::disconnect(stopAt10);
            QTimer::singleShot(0, w.get(), [this] {
                EXPECT_TRUE(binding->readBackDialog().isVisible());
                // The window waits undrawn behind the progress display, which draws.
                EXPECT_FALSE(w->updatesEnabled());
                EXPECT_TRUE(binding->readBackDialog().updatesEnabled());
                control<QPushButton>(binding->readBackDialog(), "btnReadStop")->click();
            });
        }
    });
    control<QToolButton>(*w, "btnTableLoad")->click(); // returns when the read-back has ended
    EXPECT_FALSE(state().tableReadMode);
    EXPECT_FALSE(registration().readingBack());
    const QStringList sent = sentSinceClear();
    const int requests = int(sent.filter("Twl:").size());
    EXPECT_GE(requests, 10);
    EXPECT_LE(requests, 11);
    EXPECT_EQ(sent.last(), "KRV:off");
    EXPECT_EQ(messages().last(), "読込みを中止しました。  ");
    EXPECT_TRUE(w->updatesEnabled());
    EXPECT_EQ(table().cell(kColCarry, 9), "38.0kHz");
    EXPECT_TRUE(table().cell(kColCarry, requests + 1).isEmpty());
    EXPECT_TRUE(table().modified());
    EXPECT_FALSE(binding->readBackDialog().isVisible());
    // The board left table mode; a new read-back works as before.
    table().SetModified(false);
    prompts.asked.clear();
    ASSERT_TRUE(readBack());
    EXPECT_EQ(messages().last(), "読込み完了しました。  ");
    EXPECT_EQ(table().cell(kColCarry, 30), "38.0kHz");
}

class ReadBackDroppedLink : public ReadBackRequest {
protected:
    sim::BoardOptions boardOptions() const override
    {
        sim::BoardOptions o;
        // "Ver" and "T" of the connect; registration: KRV:on, Fe:7, five rows
        // of ten commands, KRV:off; then the read-back's KRV:on and forty requests.
        o.dropAfter = 2 + 2 + 5 * 10 + 1 + 1 + 40;
        return o;
    }
};

TEST_F(ReadBackDroppedLink, StopsAtOnceWithAMessage)
{
    useRows(1, 5);
    registerAndForget();
    QElapsedTimer t;
    t.start();
    control<QToolButton>(*w, "btnTableLoad")->click();
    EXPECT_LT(t.elapsed(), 1500); // not two seconds per remaining entry
    EXPECT_FALSE(state().tableReadMode);
    EXPECT_TRUE(messages().contains("ZOVAX-Etherとの接続が切れたため、読込みを中断しました。"))
        << messages().join(" | ").toStdString();
    EXPECT_EQ(table().cell(kColCarry, 5), "38.0kHz");
    EXPECT_FALSE(binding->readBackDialog().isVisible());
}

} // namespace
