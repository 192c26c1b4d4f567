#pragma once
// Binds the serial link to the main window: the hidden menu item
// "通信設定 (&Com)" runs the serial settings dialog, the port text goes to
// status panel 0, and the window's close closes the port.
#include <QObject>

namespace zovax {

class MainWindow;
class SerialPort;

class SerialBinding : public QObject {
    Q_OBJECT
public:
    // Owned by the main window (a child object).
    explicit SerialBinding(MainWindow& main);

    SerialPort& port() { return *port_; }
    static SerialBinding* of(MainWindow& main);

    // Runs frmCom modally and applies its outcome: "接続" opens the port with the
    // settings taken over, "切断" closes it, cancelling changes nothing. While
    // the port is then open, "Version" and "Mode?" are sent.
    void mmFileComClick();

private:
    MainWindow& main_;
    SerialPort* port_;
};

SerialBinding* bindSerial(MainWindow& main);

} // namespace zovax
