#pragma once
// Scripted stand-ins for the message boxes, the receive log and the main
// window, shared by the code-table tests.
#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"
#include "core/table/TableHost.h"
#include "support/Fakes.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <random>
#include <vector>

namespace zovax::tabletest {

using test::FakeLog;
using test::FakePrompts;

class FakeHost : public TableHost {
public:
    int row = 0;
    int column = 1;
    bool trace = false;
    bool waveData = true;
    int waveClears = 0;
    int learnResets = 0;
    QString panels[3];

    int currentRow() const override { return row; }
    void selectCell(int c, int r) override
    {
        column = c;
        row = r;
    }
    void clearWaveArea() override { ++waveClears; }
    void resetLearnState() override { ++learnResets; }
    void setStatusPanel(int panel, const QString& text) override
    {
        if (panel >= 0 && panel < 3)
            panels[panel] = text;
    }
    bool traceMode() const override { return trace; }
    bool waveDataPanelVisible() const override { return waveData; }
};

// A recognisable row: cells "C<r>", "F<r>", ... and an entry derived from r.
inline void fillMarkedRow(CodeTable& t, int r)
{
    t.setCell(kColCarry, r, QStringLiteral("C%1").arg(r));
    t.setCell(kColFrames, r, QStringLiteral("F%1").arg(r));
    t.setCell(kColComments, r, QStringLiteral("コメント%1").arg(r));
    t.setCell(kColResult, r, QStringLiteral("R%1").arg(r));
    TableEntry& e = t.entry(r);
    e.carrier = 300 + r;
    e.dataCount = r % 50 + 1;
    e.repeat = r % 7;
    e.high[0] = r;
    e.width[15] = r * 2;
    e.data[0] = uint8_t(r & 0xF);
    e.data[kDataSymbols - 1] = uint8_t((r + 1) & 0xF);
    t.entryChanged(r);
}

// Which original row a row now holds (0 when empty), read from its Carry cell.
inline int markOf(const CodeTable& t, int r)
{
    const QString c = t.cell(kColCarry, r);
    return c.isEmpty() ? 0 : c.mid(1).toInt();
}

inline void fillAllMarked(CodeTable& t)
{
    for (int r = 1; r <= kTableRows; ++r)
        fillMarkedRow(t, r);
}

// A random table that a table file can hold: trimmed cells without commas
// (ASCII, Japanese and half-width kana), entries with up to 4096 symbols,
// odd counts included.
inline void fillRandomTable(CodeTable& t, unsigned seed)
{
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const QStringList words
        = {QStringLiteral("テレビ"),    QStringLiteral("電源"),    QStringLiteral("ｴｱｺﾝ"),
           QStringLiteral("Vol+"),      QStringLiteral("38.0kHz"), QStringLiteral("Tm:NEC-32 d:00 FF"),
           QStringLiteral("照明 全灯"), QStringLiteral("a b"),     QStringLiteral("～①"),
           QStringLiteral("x")};
    for (int r = 1; r <= kTableRows; ++r) {
        if (pick(5) == 0)
            continue; // some rows stay empty
        for (int c = 1; c <= 4; ++c) {
            QString s;
            const int n = pick(4);
            for (int i = 0; i < n; ++i)
                s += (i ? QStringLiteral(" ") : QString()) + words.at(pick(int(words.size())));
            t.setCell(c, r, s);
        }
        TableEntry& e = t.entry(r);
        e.carrier = 300 + pick(200);
        e.dataCount = pick(8) == 0 ? kDataSymbols - pick(2) : pick(kDataSymbols + 1);
        e.repeat = pick(100);
        const int pairs = pick(17);
        for (int i = 0; i < pairs; ++i) {
            e.high[size_t(i)] = pick(99999 + 1);
            e.width[size_t(i)] = pick(999999 + 1);
        }
        for (int i = 0; i < e.dataCount; ++i)
            e.data[size_t(i)] = uint8_t(pick(16));
        // A file holds the padding digit of an odd count as one more symbol.
        if (e.dataCount & 1)
            e.data[size_t(e.dataCount)] = e.data[size_t(e.dataCount - 1)];
        t.entryChanged(r);
    }
}

} // namespace zovax::tabletest
