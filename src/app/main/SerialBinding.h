#pragma once
// Binds the session's serial link to the main window: the hidden menu item
// "通信設定 (&Com)" runs the serial settings dialog.
#include <QObject>

namespace zovax {

class MainWindow;
struct MainControls;
class SerialPort;
class Session;

class SerialBinding : public QObject {
    Q_OBJECT
public:
    // The session and the window must outlive the binding.
    SerialBinding(Session& session, MainWindow& main, const MainControls& ui);

    SerialPort& port();

    // Runs frmCom modally and applies its outcome: "接続" opens the port with the
    // settings taken over, "切断" closes it, cancelling changes nothing. While
    // the port is then open, "Version" and "Mode?" are sent.
    void mmFileComClick();

private:
    Session& session_;
    MainWindow& main_;
};

} // namespace zovax
