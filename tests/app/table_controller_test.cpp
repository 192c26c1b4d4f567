// The code-table grid: model, per-cell selection rule, pop-up menu and the
// File menu's New, Open and Save with scripted file dialogs.
#include "app/table/TableController.h"
#include "app/table/TableFileDialogs.h"
#include "app/table/TableModel.h"
#include "core/shell/Settings.h"
#include "core/table/TableCommands.h"
#include "core/table/TableFile.h"
#include "support/TestSupport.h"
#include "tests/core/table/TableFakes.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zovax;
using namespace zovax::test;
using namespace zovax::tabletest;

namespace {

// The window side for the grid tests: cursor on the real grid, the rest recorded.
class GridHost : public FakeHost {
public:
    QTableView* grid = nullptr;
    int currentRow() const override { return TableController::cursorRow(grid); }
    void selectCell(int c, int r) override { TableController::moveCursor(grid, c, r); }
};

class ScriptedDialogs : public TableFileDialogs {
public:
    std::optional<Choice> next;
    QStringList startDirs;
    int runs = 0;
    std::optional<Choice> runOpen(const QString& startDir) override { return take(startDir); }
    std::optional<Choice> runSave(const QString& startDir) override { return take(startDir); }

private:
    std::optional<Choice> take(const QString& startDir)
    {
        ++runs;
        startDirs << startDir;
        auto c = next;
        next.reset();
        return c;
    }
};

struct TableGrid : ::testing::Test {
    QTableView view;
    CodeTable table;
    Settings settings;
    FakePrompts prompts;
    FakeLog log;
    GridHost host;
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    std::unique_ptr<TableController> ctl;

    void SetUp() override
    {
        view.setObjectName(QStringLiteral("sGrid"));
        view.resize(800, 400);
        host.grid = &view;
        ctl = std::make_unique<TableController>(&view, table, settings, prompts, log, host, nullptr);
        ctl->setFileDialogs(&dialogs);
        ctl->setDataFolder(dir.filePath(QStringLiteral("Dat")));
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QModelIndex cellIndex(int column, int row) { return view.model()->index(row - 1, column); }
    void click(int column, int row)
    {
        const QRect r = view.visualRect(cellIndex(column, row));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, r.center());
    }
    QSet<int> selectedColumns(int row)
    {
        QSet<int> cols;
        for (const QModelIndex& i : view.selectionModel()->selectedIndexes())
            if (i.row() == row - 1)
                cols.insert(i.column());
        return cols;
    }
};

TEST_F(TableGrid, ModelShowsTheTableWithLabelsAndHeaders)
{
    QAbstractItemModel* m = view.model();
    ASSERT_EQ(m->rowCount(), 999);
    ASSERT_EQ(m->columnCount(), 5);
    const QStringList headers = {"No.", "Carry", "Frames", "Comments", "Result"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(m->headerData(c, Qt::Horizontal).toString(), headers[c]);
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), QStringLiteral("0001"));
    EXPECT_EQ(m->data(m->index(998, 0)).toString(), QStringLiteral("0999"));
    EXPECT_FALSE(m->flags(m->index(0, 0)) & Qt::ItemIsEditable);

    table.setCell(kColResult, 42, QStringLiteral("Tm:X"));
    EXPECT_EQ(m->data(m->index(41, 4)).toString(), QStringLiteral("Tm:X"));
    EXPECT_TRUE(m->setData(m->index(41, 3), QStringLiteral("コメント")));
    EXPECT_EQ(table.cell(kColComments, 42), QStringLiteral("コメント"));
    EXPECT_TRUE(table.modified()) << "typing sets the marker";

    EXPECT_EQ(view.horizontalHeader()->sectionSize(0), 40);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(1), 64);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(2), 48);
    const int w = 800 - 27 - 40 - 64 - 48;
    EXPECT_EQ(view.horizontalHeader()->sectionSize(3), w - w / 3);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(4), w / 3);
    ctl->resizeFreeColumns();
    EXPECT_EQ(view.horizontalHeader()->sectionSize(3), w / 3);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(4), w - w / 3);
}

TEST_F(TableGrid, CarryColumnSelectsTheRowAndIsEditableOnlyInTraceMode)
{
    QAbstractItemModel* m = view.model();
    click(kColCarry, 3);
    EXPECT_EQ(selectedColumns(3), (QSet<int>{1, 2, 3, 4}));
    EXPECT_FALSE(m->flags(cellIndex(kColCarry, 3)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m->setData(cellIndex(kColCarry, 3), QStringLiteral("x")));

    click(kColComments, 5);
    EXPECT_EQ(selectedColumns(5), (QSet<int>{3}));
    EXPECT_TRUE(m->flags(cellIndex(kColComments, 5)) & Qt::ItemIsEditable);

    view.setCurrentIndex(cellIndex(kColCarry, 8)); // a move by keyboard or program
    EXPECT_EQ(selectedColumns(8), (QSet<int>{1, 2, 3, 4}));

    host.trace = true;
    click(kColCarry, 9);
    EXPECT_EQ(selectedColumns(9), (QSet<int>{1}));
    EXPECT_TRUE(m->flags(cellIndex(kColCarry, 9)) & Qt::ItemIsEditable);
    EXPECT_TRUE(m->setData(cellIndex(kColCarry, 9), QStringLiteral("40.0kHz")));
    EXPECT_EQ(table.cell(kColCarry, 9), QStringLiteral("40.0kHz"));
}

TEST_F(TableGrid, PopupMenuItemsAndTheirRule)
{
    QMenu* menu = ctl->ppMenu;
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("ppMenu"));
    QStringList names, texts;
    for (QAction* a : menu->actions()) {
        names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        texts << a->text();
    }
    EXPECT_EQ(
        names,
        (QStringList{"ppCopy", "ppPaste", "ppInsertPaste", "ppNewline", "ppDelete", "-", "ppWaveEdit", "ppAnalysis"}));
    EXPECT_EQ(texts[0], QStringLiteral("コピー (&Copy)"));
    EXPECT_EQ(texts[1], QStringLiteral("貼付け・上書き (&Paste)"));
    EXPECT_EQ(texts[2], QStringLiteral("貼付け・挿入 (&Insert Paste)"));
    EXPECT_EQ(texts[3], QStringLiteral("行挿入 (&New Line)"));
    EXPECT_EQ(texts[4], QStringLiteral("行削除 (&Delete Line)"));
    EXPECT_EQ(texts[6], QStringLiteral("波形情報 (&Wave Info)"));
    EXPECT_EQ(texts[7], QStringLiteral("解析の詳細 (&Analysis)..."));

    host.waveData = false;
    ctl->ppMenuPopup();
    EXPECT_FALSE(ctl->ppPaste->isEnabled());
    EXPECT_FALSE(ctl->ppInsertPaste->isEnabled());
    EXPECT_FALSE(ctl->ppWaveEdit->isVisible());

    click(kColComments, 12);
    ctl->ppCopy->trigger();
    EXPECT_EQ(ctl->ppCopy->text(), QStringLiteral("コピー (&Copy) ：[ 012 ]"));
    EXPECT_TRUE(ctl->ppPaste->isEnabled());
    EXPECT_TRUE(ctl->ppInsertPaste->isEnabled());
    host.waveData = true;
    ctl->ppMenuPopup();
    EXPECT_FALSE(ctl->ppWaveEdit->isVisible()) << "with a mark the menu opens unchanged";

    QSignalSpy spy(ctl.get(), &TableController::waveInfoRequested);
    ctl->ppWaveEdit->trigger();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 12);
}

TEST_F(TableGrid, MenuRowOperationsWorkOnTheCursorRow)
{
    fillAllMarked(table);
    click(kColComments, 4);
    ctl->ppCopy->trigger();
    click(kColComments, 2);
    ctl->ppInsertPaste->trigger();
    EXPECT_EQ(markOf(table, 2), 4);
    EXPECT_EQ(markOf(table, 3), 2);
    ctl->ppNewline->trigger();
    EXPECT_EQ(markOf(table, 2), 0);
    ctl->ppDelete->trigger(); // answered Yes
    EXPECT_EQ(markOf(table, 2), 4);
    click(kColComments, 900);
    ctl->ppPaste->trigger();
    EXPECT_EQ(markOf(table, 900), 3) << "row 4 now holds the former row 3";
    EXPECT_EQ(view.currentIndex().row(), 899);
}

TEST_F(TableGrid, SaveUnderBmpIsRefusedOtherFiltersWriteTheSameContent)
{
    fillMarkedRow(table, 1);
    table.SetModified(true);
    const QString bmp = dir.filePath(QStringLiteral("t.Bmp"));
    dialogs.next = TableFileDialogs::Choice{bmp, TableFileDialogs::kFilterBmp};
    ctl->mmFileSaveClick();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, QStringLiteral("選択されたファイル形式では保存出来ません。"));
    EXPECT_EQ(prompts.asked[0].caption, QStringLiteral("警告"));
    EXPECT_EQ(prompts.asked[0].buttons, MsgButtons::OkCancel);
    EXPECT_FALSE(QFile::exists(bmp));
    EXPECT_TRUE(table.modified());
    EXPECT_EQ(dialogs.startDirs.value(0), ctl->dataFolder()) << "no current file: start in Dat";

    const QString txt = dir.filePath(QStringLiteral("t.Txt"));
    const QString csv = dir.filePath(QStringLiteral("t.Csv"));
    dialogs.next = TableFileDialogs::Choice{txt, TableFileDialogs::kFilterTxt};
    ctl->mmFileSaveClick();
    dialogs.next = TableFileDialogs::Choice{csv, TableFileDialogs::kFilterCsv};
    ctl->mmFileSaveClick();
    EXPECT_EQ(readFileBytes(txt), readFileBytes(csv));
    EXPECT_EQ(readFileBytes(csv), tableFileBytes(table));
    EXPECT_EQ(settings.tableFileName, csv);
    EXPECT_EQ(host.panels[2], csv);
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(dialogs.startDirs.value(2), QString()) << "a current file: where the dialog left off";

    dialogs.next.reset(); // cancelled
    ctl->mmFileSaveClick();
    EXPECT_EQ(settings.tableFileName, csv);
}

TEST_F(TableGrid, OpenAsksFirstWhenModifiedAndLoadsTheChosenFile)
{
    CodeTable saved;
    fillMarkedRow(saved, 1);
    const QString p = dir.filePath(QStringLiteral("a.Csv"));
    FakePrompts quiet;
    ASSERT_TRUE(SaveTableFile(saved, p, quiet).ok);

    fillAllMarked(table);
    table.SetModified(true);
    prompts.answers = {MsgAnswer::No};
    dialogs.next = TableFileDialogs::Choice{p, TableFileDialogs::kFilterCsv};
    ctl->mmFileOpenClick();
    EXPECT_EQ(dialogs.runs, 0) << "declined before the dialog";
    EXPECT_EQ(markOf(table, 999), 999);

    ctl->mmFileOpenClick(); // Yes
    EXPECT_EQ(dialogs.runs, 1);
    EXPECT_EQ(markOf(table, 1), 1);
    EXPECT_EQ(markOf(table, 999), 0);
    EXPECT_EQ(settings.tableFileName, p);
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(view.currentIndex(), cellIndex(kColCarry, 1));
}

TEST_F(TableGrid, NewEmptiesTheGridAndMovesTheCursorHome)
{
    fillAllMarked(table);
    click(kColComments, 40);
    ctl->mmCleateClick();
    EXPECT_EQ(view.model()->data(cellIndex(kColComments, 40)).toString(), QString());
    EXPECT_EQ(view.currentIndex(), cellIndex(kColCarry, 1));
}

// During a bulk exchange the cursor moves and the model's change notices are
// held back; what the grid reports meanwhile, and what it shows afterwards,
// must be the latest.
TEST_F(TableGrid, HeldCursorAndNoticesCatchUpWhenReleased)
{
    auto* model = qobject_cast<TableModel*>(view.model());
    ASSERT_NE(model, nullptr);
    TableController::moveCursor(&view, kColCarry, 2);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);

    TableController::holdCursor(&view, true);
    model->holdChanges(true);
    for (int r = 10; r <= 200; r += 10) {
        TableController::moveCursor(&view, kColCarry, r);
        table.setCell(kColComments, r, QStringLiteral("row %1").arg(r));
        model->flushChanges(); // as the event loop does before it waits
    }
    TableController::moveCursor(&view, kColComments, 5000); // out of range: ignored
    EXPECT_EQ(TableController::cursorRow(&view), 200);
    EXPECT_EQ(TableController::cursorColumn(&view), kColCarry);
    EXPECT_EQ(view.currentIndex(), cellIndex(kColCarry, 2)); // not moved yet
    EXPECT_EQ(changed.count(), 0);

    TableController::applyHeldCursor(&view); // a redraw in between
    EXPECT_EQ(view.currentIndex(), cellIndex(kColCarry, 200));
    TableController::moveCursor(&view, kColComments, 7);
    EXPECT_EQ(view.currentIndex(), cellIndex(kColCarry, 200));

    model->holdChanges(false);
    TableController::holdCursor(&view, false);
    ASSERT_EQ(changed.count(), 1); // one notice for every row changed
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 10 - 1);
    EXPECT_EQ(changed.at(0).at(1).value<QModelIndex>().row(), 200 - 1);
    EXPECT_EQ(view.currentIndex(), cellIndex(kColComments, 7));
    EXPECT_TRUE(view.visualRect(view.currentIndex()).intersects(view.viewport()->rect())); // scrolled to
    TableController::moveCursor(&view, kColCarry, 3);                                      // no longer held
    EXPECT_EQ(view.currentIndex(), cellIndex(kColCarry, 3));
}

TEST(HeldCursor, AGridDestroyedWhileHeldIsForgotten)
{
    CodeTable table;
    TableModel model(table, [] { return false; });
    auto grid = std::make_unique<QTableView>();
    grid->setModel(&model);
    TableController::holdCursor(grid.get(), true);
    TableController::moveCursor(grid.get(), kColCarry, 4);
    grid.reset();
    QTableView other;
    other.setModel(&model);
    EXPECT_EQ(TableController::cursorRow(&other), 0);
    TableController::moveCursor(&other, kColCarry, 6); // moves at once
    EXPECT_EQ(TableController::cursorRow(&other), 6);
}

} // namespace

namespace {

// A Frames value the fire test cannot send is refused where it is typed, with
// a message, and the cell keeps its old value; a good value is taken.
TEST_F(TableGrid, TypedFramesCellIsCheckedWhereItIsTyped)
{
    table.setCell(kColFrames, 2, QStringLiteral("3"));
    click(kColFrames, 2);
    struct Case {
        const char* typed;
        const char* stored;
        bool refused;
    } cases[] = {{"abc", "3", true}, {"9999", "3", true}, {"0", "3", true}, {"12", "12", false}, {"999", "999", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        prompts.asked.clear();
        QTest::keyClick(&view, Qt::Key_F2);
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : view.viewport()->findChildren<QLineEdit*>())
            editor = e->isVisible() ? e : editor;
        ASSERT_TRUE(editor);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QString::fromLatin1(c.typed));
        QTest::keyClick(editor, Qt::Key_Return);
        test::waitUntil([&] { return !prompts.asked.empty(); }, c.refused ? 2000 : 50);
        EXPECT_EQ(table.cell(kColFrames, 2), QString::fromLatin1(c.stored));
        ASSERT_EQ(prompts.asked.size(), c.refused ? 1u : 0u);
        if (c.refused)
            EXPECT_EQ(prompts.asked[0].text, QStringLiteral("Frames は 1～999 の数字で入力して下さい。"));
    }
}

} // namespace
