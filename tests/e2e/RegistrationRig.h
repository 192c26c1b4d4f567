#pragma once
// The tool's windows connected to an in-process board simulator on loopback,
// with the steps the registration and read-back tests share: connecting,
// learning a press into a row, registering through frmTws and reading back.
#include "ToolAndBoard.h"
#include "app/FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/main/LearningBinding.h"
#include "app/main/MainWindow.h"
#include "app/main/RegistrationBinding.h"
#include "app/table/ReadBackDialog.h"
#include "app/table/TableController.h"
#include "app/table/TwsDialog.h"
#include "app/widgets/Panels.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"
#include "sim/QtPrinters.h"
#include "sim/board/BoardSim.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace zovax::e2e {

class RegistrationRig : public ::testing::Test, protected ToolAndBoard {
protected:
    RegistrationBinding* binding = nullptr;
    TwsDialog* tws = nullptr;

    // Simulator options of the test; the default board answers everything.
    virtual sim::BoardOptions boardOptions() const { return {}; }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startToolAndBoard(boardOptions()));
        binding = &w.tool().registration();
        ASSERT_NE(binding, nullptr);
        tws = w.tool().windows().frmTws;
        connectTool();
    }

    void TearDown() override
    {
        w->session().connectTcp(false);
        w.reset();
        board.reset();
    }

    LinkState& state() { return w->session().link().state(); }
    CodeTable& table() { return w->session().table(); }
    Registration& registration() { return binding->registration(); }

    void connectTool()
    {
        w->session().settings().tcpip.Host = QStringLiteral("127.000.000.001");
        w->session().settings().tcpip.Port = board->serverPort();
        w->session().connectTcp(true);
        ASSERT_TRUE(test::waitUntil([&] { return state().tcpConnected && board->hasClient(); }, 5000));
        // The connect sequence ("Ver", "T") is paced by short waits; let it finish.
        test::waitUntil([&] { return board->commandTexts().contains(QStringLiteral("T")); }, 2000);
        QTest::qWait(150);
        board->clearCommandLog();
        prompts.asked.clear();
    }

    // Learns one press of the simulator into `row` (learning on, press, result).
    bool learnInto(int row, const QString& protocol, const QString& code = {}, int repeats = -1)
    {
        TableController::moveCursor(test::control<QTableView>(*w, "sGrid"), kColCarry, row);
        test::control<QCheckBox>(*w, "ckCursor")->setChecked(false);
        test::control<QCheckBox>(*w, "ckLearningMsg")->setChecked(false); // no end-of-learning box
        emit test::control<ClickPanel>(*w, "pnlAnalyze")->clicked();
        if (!test::waitUntil([&] { return board->analyzing(); }, 3000))
            return false;
        const QString answer = board->press(protocol, code, repeats);
        if (!answer.startsWith(QStringLiteral("ok")))
            return false;
        const bool done = test::waitUntil([&] { return !table().cell(kColResult, row).isEmpty(); }, 5000);
        if (board->analyzing()) {
            emit test::control<ClickPanel>(*w, "pnlAnalyze")->clicked(); // learning off
            test::waitUntil([&] { return !board->analyzing(); }, 2000);
        }
        QTest::qWait(50);
        return done;
    }

    // btnTableWrite, then btnExecute in the dialog; returns when the dialog closed.
    void registerTable()
    {
        whenDialogShown([this] { test::control<QPushButton>(*tws, "btnExecute")->click(); });
        test::control<QToolButton>(*w, "btnTableWrite")->click();
    }

    // Runs `action` once frmTws is on screen (events are processed before the
    // dialog opens, so a plain zero timer could fire too early).
    void whenDialogShown(std::function<void()> action)
    {
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [this, action, self = std::weak_ptr<std::function<void()>>(poll)] {
            if (tws->isVisible())
                action();
            else if (auto again = self.lock())
                QTimer::singleShot(5, tws, [again] { (*again)(); });
        };
        QTimer::singleShot(0, tws, [poll] { (*poll)(); });
    }

    // btnTableLoad; returns when the read-back has ended (the board's KRV:off).
    bool readBack(int ms = 20000)
    {
        test::control<QToolButton>(*w, "btnTableLoad")->click();
        return test::waitUntil([&] { return !state().tableReadMode; }, ms);
    }

    QStringList sentSinceClear() const { return board->commandTexts(); }
    QStringList messages() const { return prompts.texts(); }

    // A synthesised entry with a recognisable carrier and pairs.
    static TableEntry synthEntry(int carrier, std::vector<std::pair<int, int>> pairs, std::vector<int> data)
    {
        TableEntry e;
        e.carrier = carrier;
        e.repeat = 1;
        for (size_t i = 0; i < pairs.size(); ++i) {
            e.high[i] = pairs[i].first;
            e.width[i] = pairs[i].second;
        }
        for (size_t k = 0; k < data.size(); ++k)
            e.data[k] = uint8_t(data[k]);
        e.dataCount = int(data.size());
        return e;
    }
    void putEntry(int row, const TableEntry& e, const QString& carry = QStringLiteral("38.0kHz"))
    {
        table().setRow(row, {carry, QStringLiteral("3"), QString(), QString()}, e);
    }
};

} // namespace zovax::e2e
