#pragma once
// Import and export in the windows: the File menu's "インポート (&Import)..."
// and "エクスポート (&Export)..." with their dialog (format, file, and for
// export which rows), and the row pop-up menu's copy as Pronto Hex.
#include "core/shell/Settings.h" // LearnParams

#include <QDialog>

#include <functional>
#include <vector>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableView;

namespace zovax {

class CodeTable;
class Prompts;
struct FormatInfo;

class InterchangeDialog : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Import, Export };
    // selectedRows: rows selected in the grid (export offers them when there are any).
    InterchangeDialog(Mode mode, int selectedRows, QWidget* parent);

    // The chosen format; nullptr for "自動判別" (import only).
    const FormatInfo* format() const;
    QString path() const;
    bool selectedOnly() const; // export: the selected rows rather than the whole table

private:
    void browse();
    void updateOk();
    Mode mode_;
    std::vector<const FormatInfo*> choices_;

    // Controls, named as in the dialog's design (tests find them by these
    // object names); the binding reads the choices through the methods above.
    QComboBox* cmbFormat;
    QLineEdit* edtPath;
    QPushButton* btnBrowse;
    QRadioButton* rbSelected = nullptr; // export only
    QRadioButton* rbAll = nullptr;      // export only
    QPushButton* btnOk;
    QPushButton* btnCancel;
};

class InterchangeBinding : public QObject {
    Q_OBJECT
public:
    // Pattern tolerances and learning time for imported signals, read at each import.
    using LearnParamsSource = std::function<LearnParams()>;

    // Appends the two items to `fileMenu` and the copy item to `rowMenu`.
    // Empty `learnParams`: the tool's defaults.
    InterchangeBinding(QMenu* fileMenu, QMenu* rowMenu, QTableView* grid, CodeTable& table, Prompts& prompts,
                       LearnParamsSource learnParams, QWidget* parent);

    // Shows the dialog modally (tests replace it to work the dialog first).
    std::function<int(InterchangeDialog&)> runDialog = [](InterchangeDialog& d) { return d.exec(); };

private:
    void importClick();
    void exportClick();
    void copyProntoClick();
    std::vector<int> selectedRows() const;

    // The menu items it added, named mmFileImport, mmFileExport and ppCopyPronto.
    QAction* mmFileImport;
    QAction* mmFileExport;
    QAction* ppCopyPronto;

    QTableView* grid_;
    CodeTable& table_;
    Prompts& prompts_;
    LearnParamsSource learnParams_;
};

} // namespace zovax
