#pragma once
// Binds the connection, the board's network configuration, the command
// console and the fire test of the session to the main window and the network
// dialog: the windows' controls drive the session's flows and show its state
// (connect button, host panel, status panels and their trace colour).
#include "core/link/TcpConnection.h"

#include <QObject>

namespace zovax {

class Console;
class FireTest;
class MainWindow;
struct MainControls;
class NetConfig;
class Session;
class TcpDialog;

class ConnectionBinding : public QObject {
    Q_OBJECT
public:
    // `dialog` may be null. The session and the windows must outlive the binding.
    ConnectionBinding(Session& session, MainWindow& main, const MainControls& ui, TcpDialog* dialog);
    ~ConnectionBinding() override;

    TcpConnection& connection();
    NetConfig& netConfig();
    Console& console();
    FireTest& fireTest();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    Session& session_;
    MainWindow& main_;
    const MainControls& ui_;
    TcpDialog* dialog_;
};

} // namespace zovax
