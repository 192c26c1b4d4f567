#pragma once
// Binds the wave information editor frmWaveEdit to the main window: the code
// table's Wave Info item opens it on a row, Enter in its byte-code box converts
// the byte code into a pattern code, IR Out emits the edited wave from the
// board, and OK files it in the code table.
#include <QObject>

#include <memory>

namespace zovax {

class IrOut;
class MainWindow;
class Session;
struct MainControls;
class WaveEditDialog;

class WaveEditBinding : public QObject {
    Q_OBJECT
public:
    // The windows must outlive the binding.
    WaveEditBinding(Session& session, MainWindow& main, const MainControls& ui, WaveEditDialog& dialog);
    ~WaveEditBinding() override;

    WaveEditDialog& dialog() { return dialog_; }
    IrOut& irOut() { return *irOut_; }
    // The row the dialog was last opened for (0 before the first opening).
    int openedRow() const { return openedRow_; }

    // Handlers.
    void open(int row);   // Wave Info on a data row
    void byteCodeEnter(); // Enter in edtByteCode
    void btnIrOutClick();
    void btnOkClick();

private:
    // The code table's current row; the row the dialog was opened for when the
    // grid has none (the dialog is modeless: the cursor may have moved).
    int workingRow() const;
    void placeAtFramesCell(int row);

    Session& session_;

    MainWindow& main_;

    const MainControls& ui_;
    WaveEditDialog& dialog_;
    std::unique_ptr<IrOut> irOut_;
    int openedRow_ = 0;
};

} // namespace zovax
