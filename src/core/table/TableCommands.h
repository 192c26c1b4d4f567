#pragma once
// The user's commands on the code table: New, the pop-up menu's row operations
// with the copy mark, and the table-file steps of Open, Save and the reopening
// of the last table at start-up. Questions go through Prompts; what the window
// must do (cursor, wave bands, learn state, status panels) through TableHost.
#include <QObject>
#include <QString>

namespace zovax {

class CodeTable;
class Prompts;
class ReceiveLog;
class TableHost;
struct Settings;

class TableCommands : public QObject {
    Q_OBJECT
public:
    TableCommands(CodeTable& table, Settings& settings, Prompts& prompts, ReceiveLog& log, TableHost& host,
                  QObject* parent = nullptr);

    // Status-panel text of the modified marker.
    static QString modifiedText(bool on);

    // Copy mark: the row number Copy marked, 0 when nothing is marked. A paste
    // copies what that row holds at the time of the paste.
    int copyMark() const { return copyMark_; }
    // "コピー (&Copy)", or with the mark "コピー (&Copy) ：[ %03d ]".
    QString copyCaption() const;
    void resetCopyMark();

    // New: asks first when the table is modified; returns false when the user
    // said No (nothing changed then).
    bool mmCleateClick();

    void ppCopyClick();
    void ppPasteClick();
    void ppInsertPasteClick();
    void ppNewlineClick();
    void ppDeleteClick();

    // Open, first step: true when there is nothing unsaved or the user agreed
    // to discard it.
    bool confirmDiscardBeforeOpen();
    // Open, after the dialog: loads the file; on success clears the wave bands
    // and the modified marker, shows the path, moves the cursor to (1, 1),
    // resets the copy mark and remembers the path. A file that cannot be opened
    // is reported; on any failure the table and the file name stay as they were.
    bool openTableFile(const QString& path);
    // Save, after the dialog: on success shows the path and remembers it; on
    // failure (message shown) the file name, panel 2 and the marker stay.
    bool saveTableFile(const QString& path);
    // First show of the main window: reopens the remembered table file, if
    // any; forgets the name when it cannot be loaded.
    bool reopenLastTable();

signals:
    void copyMarkChanged(int row);

private:
    void setCopyMark(int row);
    void afterLoad(const QString& path);

    CodeTable& table_;
    Settings& settings_;
    Prompts& prompts_;
    ReceiveLog& log_;
    TableHost& host_;
    int copyMark_ = 0;
};

} // namespace zovax
