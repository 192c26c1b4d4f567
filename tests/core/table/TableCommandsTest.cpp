// New, the pop-up menu's row operations with the copy mark, and the file
// steps of Open, Save and the start-up reopening.
#include "core/table/TableCommands.h"
#include "core/shell/Settings.h"
#include "core/table/TableFile.h"
#include "support/TestSupport.h"
#include "tests/core/table/TableFakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zovax;
using namespace zovax::test;
using namespace zovax::tabletest;

namespace {

struct TableCmd : ::testing::Test {
    CodeTable table;
    Settings settings;
    FakePrompts prompts;
    FakeLog log;
    FakeHost host;
    TableCommands cmd{table, settings, prompts, log, host};
    QTemporaryDir dir;

    void SetUp() override { fillAllMarked(table); }
    void at(int row) { host.row = row; }
    QString savedFile()
    {
        QString p = dir.filePath(QStringLiteral("saved.Csv"));
        CodeTable other;
        fillMarkedRow(other, 1);
        FakePrompts quiet;
        EXPECT_TRUE(SaveTableFile(other, p, quiet).ok);
        return p;
    }
};

TEST_F(TableCmd, CopyMarksTheRowAndNamesItInTheCaption)
{
    EXPECT_EQ(cmd.copyCaption(), QStringLiteral("コピー (&Copy)"));
    at(0);
    cmd.ppCopyClick();
    EXPECT_EQ(cmd.copyMark(), 0) << "header row";
    at(7);
    cmd.ppCopyClick();
    EXPECT_EQ(cmd.copyMark(), 7);
    EXPECT_EQ(cmd.copyCaption(), QStringLiteral("コピー (&Copy) ：[ 007 ]"));
}

TEST_F(TableCmd, PasteAsksOnlyOverANonEmptyCarry)
{
    at(10);
    cmd.ppCopyClick();
    table.setCell(kColCarry, 20, QString());
    at(20);
    cmd.ppPasteClick();
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(markOf(table, 20), 10);
    EXPECT_EQ(table.entry(20), table.entry(10));

    at(30);
    prompts.answers = {MsgAnswer::No};
    cmd.ppPasteClick();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, QStringLiteral("張付確認"));
    EXPECT_EQ(prompts.asked[0].text, QStringLiteral("コピーした内容を現在の行に張付けます。\nよろしいですか？"));
    EXPECT_EQ(markOf(table, 30), 30);
    cmd.ppPasteClick(); // default answer Yes
    EXPECT_EQ(markOf(table, 30), 10);
}

TEST_F(TableCmd, GuardsMakeCommandsDoNothing)
{
    at(5);
    cmd.ppPasteClick();       // nothing marked
    cmd.ppInsertPasteClick(); // nothing marked
    cmd.ppCopyClick();
    cmd.ppPasteClick(); // onto the marked row itself
    cmd.ppInsertPasteClick();
    at(0);
    cmd.ppPasteClick();
    cmd.ppInsertPasteClick();
    cmd.ppNewlineClick();
    cmd.ppDeleteClick();
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_FALSE(table.modified());
    for (int r = 1; r <= kTableRows; ++r)
        ASSERT_EQ(markOf(table, r), r);
}

TEST_F(TableCmd, EveryRowChangeSetsTheMarker)
{
    const std::pair<const char*, void (TableCommands::*)()> commands[] = {
        {"paste", &TableCommands::ppPasteClick},
        {"insert paste", &TableCommands::ppInsertPasteClick},
        {"new line", &TableCommands::ppNewlineClick},
        {"delete line", &TableCommands::ppDeleteClick},
    };
    at(3);
    cmd.ppCopyClick();
    for (const auto& [name, command] : commands) {
        table.SetModified(false);
        at(9);
        (cmd.*command)();
        EXPECT_TRUE(table.modified()) << name;
    }
}

TEST_F(TableCmd, MarkKeepsItsNumberAcrossDelete)
{
    at(10);
    cmd.ppCopyClick();
    at(5);
    cmd.ppDeleteClick();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, QStringLiteral("削除確認"));
    EXPECT_EQ(prompts.asked[0].text, QStringLiteral("現在の行を削除して前詰めにします。\nよろしいですか？"));
    EXPECT_EQ(cmd.copyMark(), 10);
    at(50);
    cmd.ppPasteClick();
    EXPECT_EQ(markOf(table, 50), 11) << "the paste copies what row 10 holds now";
    EXPECT_EQ(host.row, 50);
}

TEST_F(TableCmd, DeclinedDeleteChangesNothing)
{
    at(5);
    prompts.answers = {MsgAnswer::No};
    cmd.ppDeleteClick();
    EXPECT_EQ(markOf(table, 5), 5);
}

// Insert paste with the mark at `mark` and the cursor at `cursor`.
struct InsertPasteCase {
    int mark, cursor;
    int heldByCursor;   // original row the cursor row holds afterwards
    int row, heldByRow; // another row and what it holds
};

class TableInsertPaste : public TableCmd, public ::testing::WithParamInterface<InsertPasteCase> {};

TEST_P(TableInsertPaste, PutsWhatTheMarkedRowHeldBeforeTheInsertion)
{
    const InsertPasteCase c = GetParam();
    CodeTable reference;
    fillAllMarked(reference);
    at(c.mark);
    cmd.ppCopyClick();
    at(c.cursor);
    cmd.ppInsertPasteClick();
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(markOf(table, c.cursor), c.heldByCursor);
    EXPECT_EQ(table.entry(c.cursor), reference.entry(c.heldByCursor));
    EXPECT_EQ(markOf(table, c.row), c.heldByRow);
    EXPECT_EQ(markOf(table, c.cursor + 1), c.cursor) << "the rows below moved down";
    EXPECT_EQ(cmd.copyMark(), c.mark);
}

INSTANTIATE_TEST_SUITE_P(MarkAboveAndBelow, TableInsertPaste,
                         ::testing::Values(InsertPasteCase{10, 3, 10, 11, 10}, InsertPasteCase{3, 10, 3, 3, 3},
                                           InsertPasteCase{999, 5, 999, 999, 998},
                                           InsertPasteCase{1, 998, 1, 999, 998}));

TEST_F(TableCmd, NewLineInsertsWithoutAsking)
{
    at(999);
    cmd.ppNewlineClick();
    EXPECT_EQ(markOf(table, 999), 0);
    EXPECT_EQ(markOf(table, 998), 998);
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(TableCmd, NewAsksOnlyWhenModified)
{
    settings.tableFileName = QStringLiteral("/x/t.Csv");
    host.panels[2] = settings.tableFileName;
    at(10);
    cmd.ppCopyClick();
    table.SetModified(true);
    EXPECT_EQ(host.panels[1], QStringLiteral("変更"));

    prompts.answers = {MsgAnswer::No};
    EXPECT_FALSE(cmd.mmCleateClick());
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, QStringLiteral("警告"));
    EXPECT_EQ(prompts.asked[0].text,
              QStringLiteral("学習情報を新規作成します。現在の学習情報を破棄してもよろしいですか？"));
    EXPECT_EQ(prompts.asked[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(markOf(table, 999), 999);
    EXPECT_EQ(cmd.copyMark(), 10);
    EXPECT_EQ(settings.tableFileName, QStringLiteral("/x/t.Csv"));
    EXPECT_TRUE(table.modified());

    EXPECT_TRUE(cmd.mmCleateClick());
    for (int r : {1, 500, 999}) {
        EXPECT_EQ(markOf(table, r), 0);
        EXPECT_EQ(table.entry(r), TableEntry{});
    }
    EXPECT_EQ(host.row, 1);
    EXPECT_EQ(host.column, 1);
    EXPECT_EQ(log.clears, 1);
    EXPECT_EQ(host.waveClears, 1);
    EXPECT_EQ(host.learnResets, 1);
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(host.panels[1], QString());
    EXPECT_EQ(cmd.copyMark(), 0);
    EXPECT_EQ(cmd.copyCaption(), QStringLiteral("コピー (&Copy)"));
    EXPECT_EQ(host.panels[2], QString());
    EXPECT_TRUE(settings.tableFileName.isEmpty());

    prompts.asked.clear();
    EXPECT_TRUE(cmd.mmCleateClick());
    EXPECT_TRUE(prompts.asked.empty()) << "nothing unsaved: no question";
}

TEST_F(TableCmd, OpenAsksOnlyWhenModified)
{
    EXPECT_TRUE(cmd.confirmDiscardBeforeOpen());
    EXPECT_TRUE(prompts.asked.empty());
    table.SetModified(true);
    prompts.answers = {MsgAnswer::No};
    EXPECT_FALSE(cmd.confirmDiscardBeforeOpen());
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, QStringLiteral("現在の学習情報を保存していません\n破棄してよろしいですか？"));
}

TEST_F(TableCmd, OpenedFileBecomesTheCurrentTable)
{
    const QString p = savedFile();
    at(10);
    cmd.ppCopyClick();
    table.SetModified(true);
    at(300);
    ASSERT_TRUE(cmd.openTableFile(p));
    EXPECT_EQ(markOf(table, 1), 1);
    EXPECT_EQ(markOf(table, 2), 0);
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(host.panels[1], QString());
    EXPECT_EQ(host.panels[2], p);
    EXPECT_EQ(host.row, 1);
    EXPECT_EQ(host.column, 1);
    EXPECT_EQ(host.waveClears, 1);
    EXPECT_EQ(cmd.copyMark(), 0);
    EXPECT_EQ(settings.tableFileName, p);
}

TEST_F(TableCmd, FailedOpenKeepsTableAndName)
{
    settings.tableFileName = QStringLiteral("/old.Csv");
    table.SetModified(true);
    at(10);
    cmd.ppCopyClick();
    const QString bad = dir.filePath(QStringLiteral("bad.Csv"));
    ASSERT_TRUE(writeFileBytes(bad, "ZOVAX Table File\r\n[001],,,,,Twd:XY\r\n"));
    for (const QString& p : {bad, dir.filePath(QStringLiteral("missing.Csv"))}) {
        prompts.asked.clear();
        EXPECT_FALSE(cmd.openTableFile(p));
        EXPECT_EQ(prompts.asked.size(), 1u) << "the user is told: " << p.toStdString();
        EXPECT_EQ(markOf(table, 999), 999);
        EXPECT_TRUE(table.modified());
        EXPECT_EQ(settings.tableFileName, QStringLiteral("/old.Csv"));
        EXPECT_EQ(cmd.copyMark(), 10);
        EXPECT_EQ(host.waveClears, 0);
    }
}

TEST_F(TableCmd, SaveRemembersThePathOnlyWhenWritten)
{
    settings.tableFileName = QStringLiteral("/old.Csv");
    host.panels[2] = QStringLiteral("/old.Csv");
    table.SetModified(true);
    const QString unwritable = dir.filePath(QStringLiteral("no/such/dir/t.Csv"));
    EXPECT_FALSE(cmd.saveTableFile(unwritable));
    EXPECT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(settings.tableFileName, QStringLiteral("/old.Csv"));
    EXPECT_EQ(host.panels[2], QStringLiteral("/old.Csv"));
    EXPECT_EQ(host.panels[1], QStringLiteral("変更"));

    const QString p = dir.filePath(QStringLiteral("t.Txt"));
    EXPECT_TRUE(cmd.saveTableFile(p));
    EXPECT_EQ(settings.tableFileName, p);
    EXPECT_EQ(host.panels[2], p);
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(host.panels[1], QString());
}

TEST_F(TableCmd, ReopenLastTableAtFirstShow)
{
    EXPECT_FALSE(cmd.reopenLastTable()) << "no remembered file";
    EXPECT_EQ(markOf(table, 5), 5);

    settings.tableFileName = dir.filePath(QStringLiteral("gone.Csv"));
    EXPECT_FALSE(cmd.reopenLastTable());
    EXPECT_TRUE(settings.tableFileName.isEmpty()) << "a file that cannot be read is forgotten";
    EXPECT_TRUE(prompts.asked.empty()) << "silently at start-up";

    const QString p = savedFile();
    settings.tableFileName = p;
    at(10);
    cmd.ppCopyClick();
    EXPECT_TRUE(cmd.reopenLastTable());
    EXPECT_EQ(markOf(table, 1), 1);
    EXPECT_EQ(markOf(table, 2), 0);
    EXPECT_EQ(host.panels[2], p);
    EXPECT_EQ(host.row, 1);
    EXPECT_EQ(cmd.copyMark(), 0);
    EXPECT_EQ(settings.tableFileName, p);
}

} // namespace
