#pragma once
// The tool's windows, with recorded message boxes and sounds, aimed at an
// in-process board simulator listening on an ephemeral loopback port.
#include "app/FakePorts.h"
#include "app/main/AppAssembly.h"
#include "app/main/MainWindow.h"
#include "sim/board/BoardSim.h"
#include "support/ToolFixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace zovax::e2e {

// The board outlives the tool (bases are destroyed in reverse order).
struct BoardHolder {
    std::unique_ptr<sim::BoardSim> board;
};

struct ToolAndBoard : BoardHolder, test::ToolFixture {
    // Starts the board, creates the windows (settings file in `dir`) and sets
    // the TCP host and port to the board's. Not connected yet.
    void startToolAndBoard(const sim::BoardOptions& options = {})
    {
        board = std::make_unique<sim::BoardSim>(options);
        ASSERT_TRUE(board->listen(QHostAddress::LocalHost, 0)) << board->errorString().toStdString();
        createTool();
        w->session().settings().tcpip.Host = QStringLiteral("127.000.000.001");
        w->session().settings().tcpip.Port = board->serverPort();
    }
};

} // namespace zovax::e2e
