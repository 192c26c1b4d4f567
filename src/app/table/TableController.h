#pragma once
// Binds the code table to the main window's grid sGrid: installs the model,
// the column set-up, the per-cell selection rule and the pop-up menu ppMenu,
// and handles the File menu's New, Open and Save. The rules themselves live in
// the core's TableCommands; this class adds the widgets and the file dialogs.
#include <QObject>
#include <QString>

#include <memory>

class QAction;
class QMenu;
class QModelIndex;
class QTableView;
class QWidget;

namespace zovax {

class CodeTable;
class Prompts;
class ReceiveLog;
class TableCommands;
class TableFileDialogs;
class TableHost;
class TableModel;
struct Settings;

class TableController : public QObject {
    Q_OBJECT
public:
    // Installs everything on `grid` and runs InitTableGrid(). The grid, table,
    // settings, prompts, log and host must outlive the controller.
    TableController(QTableView* grid, CodeTable& table, Settings& settings, Prompts& prompts, ReceiveLog& log,
                    TableHost& host, QWidget* parent);
    // The same on commands that live elsewhere (the session's), not owned.
    TableController(QTableView* grid, TableCommands& commands, CodeTable& table, Settings& settings, Prompts& prompts,
                    TableHost& host, QWidget* parent);
    ~TableController() override;

    // Grid cursor helpers for the window's TableHost: the current data row
    // 1..999 (0 when none), the current column 0..4, and moving the cursor.
    static int cursorRow(const QTableView* grid);
    static int cursorColumn(const QTableView* grid);
    static void moveCursor(QTableView* grid, int column, int row);
    // While a bulk exchange holds a grid's drawing back, its cursor moves are
    // only recorded (cursorRow/cursorColumn report the latest) and made once,
    // by applyHeldCursor() or when the hold ends: moving the cursor costs more
    // than a row on the link.
    static void holdCursor(QTableView* grid, bool hold);
    static void applyHeldCursor(QTableView* grid);

    // Column headers and widths, the grid's behaviour. Column widths: "No." 40,
    // "Carry" 64, "Frames" 48; Comments and Result share W = grid width - 27 -
    // those three, Comments W - W/3 and Result W/3.
    void InitTableGrid();
    // On every resize of the main window the free width is split the other
    // way round: Comments W/3, Result W - W/3.
    void resizeFreeColumns();

    // The window's File menu items, connected to the handlers below.
    void connectFileMenu(QAction* mmCleate, QAction* mmFileOpen, QAction* mmFileSave);

    // Folder the file dialogs start in while no table file is current
    // (default: "Dat" beside the executable).
    QString dataFolder() const { return dataFolder_; }
    void setDataFolder(const QString& folder) { dataFolder_ = folder; }
    // Replaces the platform dialogs (not owned; nullptr restores them).
    void setFileDialogs(TableFileDialogs* dialogs) { dialogsOverride_ = dialogs; }

    TableCommands& commands() { return *commands_; }
    TableModel* model() const { return model_; }

    QMenu* ppMenu = nullptr;
    QAction* ppCopy = nullptr;
    QAction* ppPaste = nullptr;
    QAction* ppInsertPaste = nullptr;
    QAction* ppNewline = nullptr;
    QAction* ppDelete = nullptr;
    QAction* ppWaveEdit = nullptr;
    QAction* ppAnalysis = nullptr;

public slots:
    void mmCleateClick();
    void mmFileOpenClick();
    void mmFileSaveClick();
    // The save dialog and the save; true when the table was written.
    bool saveWithDialog();

    // Before the menu opens: without a copy mark Paste and Insert Paste are
    // disabled and Wave Info is shown only while pnlWaveData is visible.
    void ppMenuPopup();
    void ppCopyClick();
    void ppPasteClick();
    void ppInsertPasteClick();
    void ppNewlineClick();
    void ppDeleteClick();
    void ppWaveEditClick();
    void ppAnalysisClick();

    // Runs before the cursor moves to (column, row): column 1 without trace
    // mode selects whole rows (and cannot be edited), other columns select
    // and edit single cells.
    void sGridSelectCell(int column, int row);

    // The main window's first show: reopens the remembered table file.
    bool reopenLastTable();

signals:
    // Wave Info on a data row: open the wave information editor on it.
    void waveInfoRequested(int row);
    // Analysis on a data row: show why it decoded as it did.
    void analysisRequested(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void init(QWidget* parent);
    bool applySelectionRule(int column);
    void onCurrentChanged(const QModelIndex& current);
    void showMenu(const QPoint& pos);
    TableFileDialogs& dialogs();
    QString dialogStartDir() const;

    QTableView* grid_;
    CodeTable& table_;
    Settings& settings_;
    Prompts& prompts_;
    TableHost& host_;
    TableCommands* commands_ = nullptr; // owned (a child) or the session's
    TableModel* model_ = nullptr;
    std::unique_ptr<TableFileDialogs> platformDialogs_;
    TableFileDialogs* dialogsOverride_ = nullptr;
    QString dataFolder_;
};

} // namespace zovax
