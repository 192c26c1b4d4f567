#pragma once
// frmWaveEdit "Wave Info.": an entry's wave information in editable form.
// Carrier, data count and repeat boxes, the 16 pattern pairs in a small grid,
// the pattern code under a ruler, the byte code, and the IR Out / OK / Cancel
// buttons. The dialog shows and returns texts only; the wave editor binding
// fills it from the code table and acts on its buttons.
#include "core/table/WaveEdit.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace zovax {

class WaveEditDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 338; // right edge of btnOk + 8
    static constexpr int kRulerMargin = 32;  // client width beyond a wide ruler

    explicit WaveEditDialog(QWidget* parent = nullptr);

    // Fills every box from `f` and sets the ruler for `symbols` data symbols;
    // fits the dialog's width to the ruler and the byte-code box to its text.
    void showFields(const WaveEditFields& f, int symbols);
    // The boxes' texts as they stand.
    WaveEditFields fields() const;
    // Puts a pattern code into edtPcode (edtDataBits follows its length).
    void setPcode(const QString& pcode);

signals:
    void irOutRequested();                     // btnIrOut
    void okRequested();                        // btnOk
    void byteCodeEntered();                    // Enter in edtByteCode
    void inputRefused(const QString& message); // a typed value was refused and put back

private:
    // A Carry value the user typed: kept when the board can take it, else put
    // back to the value before and refused (false).
    bool takeTypedCarry();
    void layoutControls();
    void fitByteCodeBox();
    QString carryKept_; // the Carry box's last accepted text
    int rulerIndent() const;

    int byteCodeWidth_ = 0; // width of edtByteCode set on opening, px

    // Controls, named as in the dialog's design (tests find them by these object
    // names). The binding sees texts (showFields, fields, setPcode) and signals only.
    QLabel* lblCarry;
    QLineEdit* edtCarry;
    QLabel* lblDataBits;
    QLineEdit* edtDataBits;
    QLabel* lblRepeatBit;
    QLineEdit* edtRepeatBit;
    QTableWidget* sGrid;    // 16 pattern pairs: column 0 " Pcode:%01X", 1 High, 2 Width
    QScrollArea* pcodeArea; // ruler and pattern code, scrolled together when wider than the screen
    QLabel* lblPcode;
    QLineEdit* edtPcode;
    QLabel* lblByteCode;
    QLineEdit* edtByteCode;
    QPushButton* btnIrOut;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};

} // namespace zovax
