#pragma once
// frmCom "通信ﾊﾟﾗﾒｰﾀ設定": the serial port's line settings, the send header and
// delimiter and the receive delimiter and idle time-out. Created on demand for
// one showing; its outcome is read from the three button markers.
#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zovax {

class Prompts;
struct RS232C;

class ComDialog : public QDialog {
    Q_OBJECT
public:
    // The ports cmbPort offers: the serial devices that exist here
    // (QSerialPortInfo), after COM1 to COM8 on Windows.
    static QStringList offeredPorts();
    // `rs232c` is taken over by "接続"; problems are reported through `prompts`.
    ComDialog(RS232C& rs232c, Prompts& prompts, QWidget* parent = nullptr);

    // Button markers: once the dialog has closed, exactly the pressed button's
    // marker is 1 (all 0 when it was closed by its frame or Escape).
    int btnOnMarker() const { return btnOnMarker_; }
    int btnOffMarker() const { return btnOffMarker_; }
    int btnCancelMarker() const { return btnCancelMarker_; }
    bool cancelled() const { return !btnOnMarker_ && !btnOffMarker_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Handlers.
    void btnOnClick();
    void btnOffClick();
    void btnCancelClick();

    void buildUi();
    void FormShow();

    RS232C& rs232c_;
    Prompts& prompts_;
    int btnOnMarker_ = 0;
    int btnOffMarker_ = 0;
    int btnCancelMarker_ = 0;

    // Controls, named as in the dialog's design (tests find them by these object
    // names). The dialog takes its fields over into the record itself.
    QGroupBox* gbComPara;
    QLabel* lblPort;
    QComboBox* cmbPort;
    QLabel* lblBps;
    QComboBox* cmbBps;
    QLabel* lblDataBit;
    QComboBox* cmbDataBit;
    QLabel* lblParity;
    QComboBox* cmbParity;
    QLabel* lblStopBit;
    QComboBox* cmbStopBit;
    QGroupBox* gbSend;
    QLabel* lblSendHead;
    QComboBox* cmbSendHead;
    QLabel* lblSendDlmt;
    QComboBox* cmbSendDlmt;
    QGroupBox* gbRecv;
    QLabel* lblRecvDlmt;
    QComboBox* cmbRecvDlmt;
    QLabel* lblRecvTout;
    QLineEdit* edtRecvTout;
    QPushButton* btnOn;
    QPushButton* btnOff;
    QPushButton* btnCancel;
};

} // namespace zovax
