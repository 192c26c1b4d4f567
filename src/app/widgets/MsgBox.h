#pragma once
// frmMsgBox: one message with OK and "次回から表示しない" (do not show this next
// time). The caller sets caption and text, shows it modally and reads the box.
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace zovax {

class MsgBox : public QDialog {
    Q_OBJECT
public:
    explicit MsgBox(QWidget* parent = nullptr);

    // Sets caption and message, clears the check box, shows modally (centred on
    // the parent) and returns whether "次回から表示しない" was ticked.
    bool showMessage(const QString& caption, const QString& text);

private:
    // Controls, named as in the box's design (tests find them by these object names).
    QLabel* lblMsg;
    QPushButton* btnOk;
    QCheckBox* ckDispOff;
};

} // namespace zovax
