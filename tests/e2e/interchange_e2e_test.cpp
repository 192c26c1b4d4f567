// A code learned from the simulator, exported from the window as Pronto Hex
// and imported again into another row: the imported row equals the learned
// one, and registers into the board's flash and reads back like it.
#include "RegistrationRig.h"

#include "app/table/InterchangeDialog.h"
#include "support/Controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

using zovax::test::control;

using namespace zovax;
using namespace zovax::e2e;

namespace {

class InterchangeE2E : public RegistrationRig {
protected:
    void workDialog(const QString& path, bool wholeTable)
    {
        w->interchange().runDialog = [=](InterchangeDialog& d) {
            d.show();
            if (d.objectName() == QLatin1String("frmImport")) // skip "自動判別": Pronto Hex
                QTest::keyClick(control<QComboBox>(d, "cmbFormat"), Qt::Key_Down);
            QTest::keyClicks(control<QLineEdit>(d, "edtPath"), path);
            if (wholeTable)
                QTest::mouseClick(control<QRadioButton>(d, "rbAll"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(d, "btnOk"), Qt::LeftButton);
            return d.result();
        };
    }
};

TEST_F(InterchangeE2E, ExportedCodeImportsRegistersAndReadsBack)
{
    ASSERT_TRUE(learnInto(1, QStringLiteral("NEC"), QStringLiteral("20DF10EF"), 20));
    ASSERT_EQ(table().cell(kColResult, 1), QStringLiteral("Tm:NEC-32R    d:20DF 10EF"));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("code.txt"));
    workDialog(file, true);
    control<QAction>(*w, "mmFileExport")->trigger();
    TableController::moveCursor(control<QTableView>(*w, "sGrid"), kColCarry, 2);
    workDialog(file, false);
    control<QAction>(*w, "mmFileImport")->trigger();

    const TableEntry learned = table().entry(1);
    const TableEntry imported = table().entry(2);
    EXPECT_EQ(table().cell(kColResult, 2), table().cell(kColResult, 1));
    EXPECT_EQ(table().cell(kColFrames, 2), table().cell(kColFrames, 1));
    EXPECT_EQ(table().cell(kColCarry, 2), table().cell(kColCarry, 1));
    EXPECT_EQ(imported.repeat, learned.repeat);
    ASSERT_EQ(imported.dataCount, learned.dataCount);
    EXPECT_TRUE(std::equal(learned.data.begin(), learned.data.begin() + learned.dataCount, imported.data.begin()));

    registerTable();
    for (int r : {1, 2})
        table().setRow(r, {}, TableEntry{});
    ASSERT_TRUE(readBack());
    EXPECT_EQ(table().entry(2).dataCount, imported.dataCount);
    EXPECT_EQ(table().entry(2).carrier, imported.carrier);
    EXPECT_EQ(table().cell(kColResult, 2), table().cell(kColResult, 1));
}

} // namespace
