#pragma once
// Binds the connection, the board's network configuration, the command
// console and the fire test to the main window and the network dialog: the
// core objects are created here and the windows' controls drive them.
#include "core/link/NetConfig.h"
#include "core/link/TcpConnection.h"
#include "core/table/Console.h"
#include "core/table/FireTest.h"

#include <QObject>

#include <memory>

namespace zovax {

class MainWindow;
class TcpDialog;

class ConnectionBinding : public QObject, public ConnectionView, public FireTestView {
    Q_OBJECT
public:
    // Owned by the main window (a child object); `dialog` may be null.
    ConnectionBinding(MainWindow& main, TcpDialog* dialog);
    ~ConnectionBinding() override;

    TcpConnection& connection() { return *connection_; }
    NetConfig& netConfig() { return *netConfig_; }
    Console& console() { return *console_; }
    FireTest& fireTest() { return *fireTest_; }

    // ConnectionView: the main window's connect button, status panel 0 and pnlHost.
    void onDialling(const QString& address) override;
    void onConnected(const QString& host) override;
    void onDisconnected() override;

    // FireTestView over the main window's check boxes and the grid cursor.
    IrOutputs outputs() const override;
    bool cursorAuto() const override;
    bool traceMode() const override;
    int currentRow() const override;
    void selectCell(int column, int row) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void showHostPanel(const QString& text);
    // Status panel 0 says that the board runs its loader.
    void showBoardInLoader();

    MainWindow& main_;
    TcpDialog* dialog_;
    TcpConnection* connection_;
    std::unique_ptr<NetConfig> netConfig_;
    std::unique_ptr<Console> console_;
    std::unique_ptr<FireTest> fireTest_;
};

// Creates the binding for a main window whose other windows are attached.
ConnectionBinding* bindConnection(MainWindow& main);

} // namespace zovax
