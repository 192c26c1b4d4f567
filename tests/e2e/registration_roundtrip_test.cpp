// Learned signals registered in the simulator and read back.
#include "RegistrationRig.h"

#include <QPlainTextEdit>
#include <QTest>

using namespace zovax;
using namespace zovax::e2e;

namespace {

class Roundtrip : public RegistrationRig {};

TEST_F(Roundtrip, Explore)
{
    const QStringList protos = {"NEC", "NEC40", "NEC42", "NEC48", "NEC64", "NEC80", "NECF", "NEC40F", "NEC42F",
                                "NEC48F", "NEC64F", "NEC80F", "SONY12", "SONY15", "SONY20", "KASEIKYO", "JVC",
                                "SHARP", "MITSUBISHI", "SAMSUNG", "TOSHIBA", "AIRCON", "NOMATCH"};
    int row = 1;
    for (const QString& p : protos) {
        const bool ok = learnInto(row, p);
        printf("%-10s learned=%d  %s | %s | %d\n", qPrintable(p), ok, qPrintable(table().cell(kColResult, row)),
               qPrintable(table().cell(kColCarry, row)), table().entry(row).dataCount);
        ++row;
    }
    std::vector<std::array<QString, 4>> before;
    std::vector<TableEntry> entries;
    for (int r = 1; r < row; ++r) {
        before.push_back({table().cell(1, r), table().cell(2, r), table().cell(3, r), table().cell(4, r)});
        entries.push_back(table().entry(r));
    }
    registerTable();
    printf("messages: %s\n", qPrintable(messages().join(" / ")));
    prompts.asked.clear();
    table().SetModified(false);
    board->clearCommandLog();
    EXPECT_TRUE(readBack());
    printf("sent: %s\n", qPrintable(board->commandTexts().mid(0, 8).join(" ")));
    printf("log: %s\n", qPrintable(w->memoRecv->toPlainText().left(600)));
    printf("used in flash: %d\n", board->flash().usedEntries());
    printf("messages: %s\n", qPrintable(messages().join(" / ")));
    for (int r = 1; r < row; ++r) {
        printf("%2d %-10s eq=%d %s | %s | %s | frames %s/%s\n", r, qPrintable(protos[r - 1]),
               table().entry(r) == entries[size_t(r - 1)], qPrintable(table().cell(kColResult, r)),
               qPrintable(before[size_t(r - 1)][3]), qPrintable(table().cell(kColComments, r)),
               qPrintable(table().cell(kColFrames, r)), qPrintable(before[size_t(r - 1)][1]));
    }
}

} // namespace
