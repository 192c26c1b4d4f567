// The code table inside the main window: the last table reopened at the first
// show, the modified marker in status panel 1, and the File menu's items.
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "app/table/TableController.h"
#include "app/table/TableFileDialogs.h"
#include "core/shell/Settings.h"
#include "core/table/TableFile.h"
#include "support/Controls.h"
#include "support/TestSupport.h"
#include "tests/core/table/TableFakes.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;
using namespace zovax::tabletest;

namespace {

class OneChoiceDialogs : public TableFileDialogs {
public:
    std::optional<Choice> choice;
    std::optional<Choice> runOpen(const QString&) override { return choice; }
    std::optional<Choice> runSave(const QString&) override { return choice; }
};

struct TableInMainWindow : ::testing::Test {
    QTemporaryDir dir;
    FakePrompts prompts;
    ToolHandle w;

    QString ini() const { return dir.filePath(QStringLiteral("tool.ini")); }
    void rememberTable(const QString& path)
    {
        Settings s;
        s.tableFileName = path;
        ASSERT_TRUE(SaveSettings(s, ini()));
    }
    void createAndShow()
    {
        MainWindowOptions o;
        o.settingsPath = ini();
        o.prompts = &prompts;
        w = createAppWindows(o);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    QString savedTable()
    {
        CodeTable t;
        fillMarkedRow(t, 1);
        fillMarkedRow(t, 999);
        QString p = dir.filePath(QStringLiteral("last.Csv"));
        FakePrompts quiet;
        EXPECT_TRUE(SaveTableFile(t, p, quiet).ok);
        return p;
    }
};

TEST_F(TableInMainWindow, LastTableReopensAtFirstShow)
{
    const QString p = savedTable();
    rememberTable(p);
    createAndShow();
    EXPECT_EQ(markOf(w->session().table(), 1), 1);
    EXPECT_EQ(markOf(w->session().table(), 999), 999);
    EXPECT_EQ(w->statusText(2), p);
    EXPECT_EQ(w->statusText(1), QString());
    EXPECT_EQ(control<QTableView>(*w, "sGrid")->currentIndex(), control<QTableView>(*w, "sGrid")->model()->index(0, 1));
    EXPECT_EQ(w->session().settings().tableFileName, p);
}

TEST_F(TableInMainWindow, UnreadableLastTableIsForgotten)
{
    rememberTable(dir.filePath(QStringLiteral("gone.Csv")));
    createAndShow();
    EXPECT_TRUE(w->session().settings().tableFileName.isEmpty());
    EXPECT_EQ(markOf(w->session().table(), 1), 0);
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(TableInMainWindow, FileMenuItemsReachTheTable)
{
    createAndShow();
    OneChoiceDialogs dialogs;
    w->tableController().setFileDialogs(&dialogs);
    fillMarkedRow(w->session().table(), 3);
    w->session().table().SetModified(true);
    EXPECT_EQ(w->statusText(1), QStringLiteral("変更"));

    const QString p = dir.filePath(QStringLiteral("saved.Csv"));
    dialogs.choice = TableFileDialogs::Choice{p, TableFileDialogs::kFilterCsv};
    control<QAction>(*w, "mmFileSave")->trigger();
    EXPECT_EQ(w->session().settings().tableFileName, p);
    EXPECT_EQ(w->statusText(1), QString());
    EXPECT_EQ(w->statusText(2), p);

    control<QAction>(*w, "mmCleate")->trigger(); // unmodified: no question
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(markOf(w->session().table(), 3), 0);
    EXPECT_TRUE(w->session().settings().tableFileName.isEmpty());

    control<QAction>(*w, "mmFileOpen")->trigger();
    EXPECT_EQ(markOf(w->session().table(), 3), 3);
    EXPECT_EQ(w->session().settings().tableFileName, p);
}

TEST_F(TableInMainWindow, ClosingAModifiedTableAsksToSaveItFirst)
{
    struct Case {
        const char* name;
        MsgAnswer answer;
        bool choosePath; // the save dialog returns a path (else it is cancelled)
        bool viaQuitItem;
        bool closes;
        bool saved;
    };
    const Case cases[] = {
        {"No discards", MsgAnswer::No, false, false, true, false},
        {"Cancel keeps the window", MsgAnswer::Cancel, false, true, false, false},
        {"Yes, save dialog cancelled", MsgAnswer::Yes, false, false, false, false},
        {"Yes, saved", MsgAnswer::Yes, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.asked.clear();
        createAndShow();
        OneChoiceDialogs dialogs;
        w->tableController().setFileDialogs(&dialogs);
        const QString p = dir.filePath(QStringLiteral("%1.Csv").arg(int(&c - cases)));
        if (c.choosePath)
            dialogs.choice = TableFileDialogs::Choice{p, TableFileDialogs::kFilterCsv};
        fillMarkedRow(w->session().table(), 3);
        w->session().table().SetModified(true);
        prompts.answers = {c.answer};
        if (c.viaQuitItem)
            control<QAction>(*w, "mmFileQuit")->trigger();
        else
            w->close();
        ASSERT_EQ(prompts.asked.size(), 1u);
        EXPECT_EQ(prompts.asked[0].buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(w->isVisible(), !c.closes);
        EXPECT_EQ(QFileInfo::exists(p), c.saved);
        EXPECT_EQ(QFileInfo::exists(ini()), c.closes) << "settings are written only on the way out";
        QFile::remove(ini());
    }
    prompts.asked.clear();
    createAndShow(); // unmodified: closes without a question
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(TableInMainWindow, TypingInACellSetsTheMarker)
{
    createAndShow();
    ASSERT_FALSE(w->session().table().modified());
    auto* sGrid = control<QTableView>(*w, "sGrid");
    sGrid->setFocus();
    sGrid->setCurrentIndex(sGrid->model()->index(4, kColComments));
    QTest::keyClick(sGrid, Qt::Key_F2);
    auto* editor = sGrid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("TV"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor commits on the next turn
    EXPECT_EQ(w->session().table().cell(kColComments, 5), QStringLiteral("TV"));
    EXPECT_TRUE(w->session().table().modified());
    EXPECT_EQ(w->statusText(1), QStringLiteral("変更"));
}

} // namespace
