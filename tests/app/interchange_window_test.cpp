// Import and export from the main window: the File menu's two items after the
// existing ones, the dialog worked with keys and clicks, rows filled from the
// current row into empty ones, and the pop-up menu's copy as Pronto Hex.
#include "app/main/MainWindow.h"
#include "app/table/InterchangeDialog.h"
#include "app/table/TableController.h"
#include "core/interchange/Interchange.h"
#include "core/table/CodeTable.h"
#include "support/Controls.h"
#include "support/ToolFixture.h"
#include "tests/core/table/TableFakes.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;
using namespace zovax::tabletest;

namespace {

const char kNecPronto[]
    = "0000 006D 0022 0002 0156 00AB 0015 0015 0015 0015 0015 0015 0015 0015 0015 0015 0015 0040 0015 0015 "
      "0015 0015 0015 0040 0015 0040 0015 0040 0015 0040 0015 0040 0015 0015 0015 0040 0015 0040 0015 0015 "
      "0015 0015 0015 0015 0015 0015 0015 0040 0015 0015 0015 0015 0015 0015 0015 0040 0015 0040 0015 0040 "
      "0015 0040 0015 0015 0015 0040 0015 0040 0015 0040 0015 0622 0156 0055 0015 0E47";

struct InterchangeWindow : ::testing::Test, test::ToolFixture {
    void SetUp() override
    {
        createTool();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    // Types the path, picks the format by keys and presses OK.
    void workDialog(const QString& path, int formatSteps, bool wholeTable = false)
    {
        w->interchange().runDialog = [=](InterchangeDialog& d) {
            d.show();
            for (int k = 0; k < formatSteps; ++k)
                QTest::keyClick(control<QComboBox>(d, "cmbFormat"), Qt::Key_Down);
            QTest::keyClicks(control<QLineEdit>(d, "edtPath"), path);
            if (wholeTable)
                QTest::mouseClick(control<QRadioButton>(d, "rbAll"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(d, "btnOk"), Qt::LeftButton);
            return d.result();
        };
    }
    QString writeFile(const char* name, const QByteArray& bytes)
    {
        QString p = dir.filePath(QLatin1String(name));
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }
};

TEST_F(InterchangeWindow, FileMenuItemsFollowTheExistingOnes)
{
    QStringList names;
    for (QAction* a : control<QMenu>(*w, "mmFile")->actions())
        names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(names,
              (QStringList{"mmCleate", "mmFileOpen", "mmFileSave", "-", "mmFileCom", "mmFileTcp", "-", "mmZVAXupdate",
                           "-", "mmFileQuit", "-", "mmFileImport", "mmFileExport"}));
    EXPECT_EQ(control<QAction>(*w, "mmFileImport")->text(), QStringLiteral("インポート (&Import)..."));
    EXPECT_EQ(control<QAction>(*w, "mmFileExport")->text(), QStringLiteral("エクスポート (&Export)..."));
}

// Three codes from row 2 down: row 3 holds a comment, the user keeps it, so
// the codes go to rows 2, 4 and 5.
TEST_F(InterchangeWindow, ImportFillsEmptyRowsFromTheCurrentRow)
{
    const QString path
        = writeFile("codes.txt", QByteArray("# Power\n") + kNecPronto + "\n" + kNecPronto + "\n" + kNecPronto + "\n");
    w->session().table().setCell(kColComments, 3, QStringLiteral("使用中"));
    TableController::moveCursor(control<QTableView>(*w, "sGrid"), kColCarry, 2);
    prompts.answers = {MsgAnswer::No};
    workDialog(path, 0); // 自動判別
    control<QAction>(*w, "mmFileImport")->trigger();

    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_TRUE(prompts.asked[0].text.startsWith(QStringLiteral("行 3 は空いていません。")))
        << prompts.asked[0].text.toStdString();
    for (int r : {2, 4, 5})
        EXPECT_EQ(w->session().table().cell(kColResult, r), QStringLiteral("Tm:NEC-32R    d:20DF 10EF")) << r;
    EXPECT_EQ(w->session().table().cell(kColComments, 2), QStringLiteral("Power"));
    EXPECT_EQ(w->session().table().cell(kColComments, 3), QStringLiteral("使用中"));
    EXPECT_EQ(w->session().table().entry(3).dataCount, 0);
    EXPECT_TRUE(w->session().table().modified());
    EXPECT_EQ(TableController::cursorRow(control<QTableView>(*w, "sGrid")), 2);
}

TEST_F(InterchangeWindow, BadFileChangesNothing)
{
    const QString path = writeFile("bad.txt", QByteArray(kNecPronto) + "\n0000 006D 0001\n");
    prompts.answers = {MsgAnswer::No}; // do not import the good one alone
    workDialog(path, 1);               // Pronto Hex
    control<QAction>(*w, "mmFileImport")->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_TRUE(prompts.asked[0].text.contains(QStringLiteral("2 個の信号のうち 1 個は読めません")))
        << prompts.asked[0].text.toStdString();
    EXPECT_TRUE(prompts.asked[0].text.contains(path + QStringLiteral(" 2 行目 (語数)")));
    EXPECT_TRUE(w->session().table().cell(kColCarry, 1).isEmpty());
    EXPECT_FALSE(w->session().table().modified());
}

TEST_F(InterchangeWindow, ExportAndCopyAsPronto)
{
    const QString in = writeFile("in.txt", QByteArray(kNecPronto) + "\n");
    workDialog(in, 0);
    control<QAction>(*w, "mmFileImport")->trigger();
    ASSERT_EQ(w->session().table().entry(1).dataCount, 36);

    // Whole table as a Flipper file: the learned NEC row is written parsed.
    const QString out = dir.filePath(QStringLiteral("out.ir"));
    workDialog(out, 2, true); // Pronto Hex, sendir, Flipper
    control<QAction>(*w, "mmFileExport")->trigger();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("type: parsed\nprotocol: NEC\naddress: 20 00 00 00\ncommand: 10 00 00 00\n"));

    // Pop-up menu on row 1: copy as Pronto Hex.
    auto* sGrid = control<QTableView>(*w, "sGrid");
    TableController::moveCursor(sGrid, kColCarry, 1);
    QMenu* menu = w->tableController().ppMenu;
    const QRect cell = sGrid->visualRect(sGrid->model()->index(0, kColComments));
    QContextMenuEvent click(QContextMenuEvent::Mouse, cell.center(), sGrid->viewport()->mapToGlobal(cell.center()));
    QCoreApplication::sendEvent(sGrid->viewport(), &click);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 3000));
    EXPECT_TRUE(control<QAction>(*w, "ppCopyPronto")->isEnabled());
    QTest::keyClick(menu, Qt::Key_H);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("0000 006D 0022 0002 0156 00AB")))
        << QGuiApplication::clipboard()->text().toStdString();
}

} // namespace
