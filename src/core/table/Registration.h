#pragma once
// Registration of the code table in the board's flash and the request that
// reads the board's table back.
//
// Registration: "KRV:on" (table access mode), "Fe:7" (erase the table
// sector), then for every used row the entry's "Tw" records and "Tws:%03d",
// each store confirmed by the board before the next row; "KRV:off" at the end
// whatever happened. Read-back: "KRV:on", then "Twl:%03d" for entries 1..250;
// the read-back decoder fills the rows from the replies and ends the mode.
//
// Both run on the user-interface thread and wait for the board's answers with
// nested event loops, so the dialog's buttons and the reply handlers run while
// they wait. A dropped link ends a wait at once.
#include <QObject>
#include <QPointer>
#include <QString>

namespace zovax {

class CodeTable;
class DeviceLink;
class Prompts;

// The registration dialog and the grid as the write loop sees them.
class RegistrationView {
public:
    virtual ~RegistrationView() = default;
    // Moves the grid cursor to (column, row).
    virtual void selectCell(int column, int row) = 0;
    // The dialog's status panel 0: the last store command sent.
    virtual void showStoreCommand(const QString& text) = 0;
    // True once the user has asked the running loop to stop.
    virtual bool cancelRequested() const = 0;
    // The rows are being stored (true) / the row loop has ended (false, before
    // any message is shown).
    virtual void storingRows(bool on) { (void)on; }
};

// The main window as the read-back request sees it.
class ReadBackView {
public:
    virtual ~ReadBackView() = default;
    // Whether the serial settings menu item is shown.
    virtual bool serialMenuVisible() const = 0;
    // New table; false when the user kept the current one.
    virtual bool newTable() = 0;
    // The table that was there before the read-back is back: its file name
    // is shown again (empty: none).
    virtual void tableFileRestored(const QString& path) { (void)path; }
    virtual void selectCell(int column, int row) = 0;
    // The decoder's row for the replies that follow: the entry just requested.
    virtual void setReadBackRow(int row) = 0;
    // Progress display: shown when the requests begin, told before each
    // request (entry 1..250, requests left unanswered so far), hidden at the end.
    virtual void readBackStarted() {}
    virtual void readBackProgress(int entry, int unanswered)
    {
        (void)entry;
        (void)unanswered;
    }
    virtual void readBackEnded() {}
};

class Registration : public QObject {
    Q_OBJECT
public:
    static constexpr int kReadBackEntries = 250; // the board's table is read back up to this entry

    // Acknowledgement waits, milliseconds.
    struct Waits {
        int tableModeMs = 2000; // "KRV:on"
        int eraseMs = 7000;     // "Fe:7"
        int storeMs = 2000;     // each "Tws:"
        int requestMs = 2000;   // each "Twl:"
        int endMs = 2000;       // the board's "KRV:off" after the last entry read back
    };

    enum class WriteOutcome {
        Completed,     // every used row stored
        Cancelled,     // the user stopped it
        NoAnswer,      // "KRV:on" or "Fe:7" not acknowledged: nothing written
        RowUnanswered, // a row's store was not acknowledged: stopped at that row
        LinkLost,      // the link went down
        Busy,          // a write loop is already running
    };
    struct WriteResult {
        WriteOutcome outcome = WriteOutcome::Completed;
        int rowsStored = 0;         // stores the board acknowledged
        int stoppedAtRow = 0;       // the row being stored when the loop stopped early (0: none)
        int rowsBeyondReadBack = 0; // stored rows above kReadBackEntries, which a read-back does not reach
    };

    enum class ReadBackOutcome {
        NotConnected, // message shown, nothing sent
        Declined,     // the user kept the table or said No
        NoAnswer,     // "KRV:on" not acknowledged
        Cancelled,    // the user stopped it
        LinkLost,     // the link went down
        Requested,    // all entries requested; the decoder ends the read-back
        StopAsked,    // called while a read-back was running: that one is asked to stop
    };

    Registration(DeviceLink& link, CodeTable& table, Prompts& prompts, QObject* parent = nullptr);
    ~Registration() override;

    Waits waits;

    // --- registration (btnTableWrite and the dialog frmTws) ---
    // Before the dialog opens: false (with the message) when no link is up;
    // otherwise learning off, "T" when only the serial link is up, the receive
    // log cleared and tableWriteMode Erase.
    bool beginRegistration();
    // After the dialog closed: tableWriteMode Off.
    void endRegistration();
    // The write loop (the dialog's execute button). Always leaves table mode
    // with "KRV:off" once "KRV:on" was sent, and tells the user how it ended.
    WriteResult WriteTableToBoard(RegistrationView& view);
    bool writing() const { return writing_; }

    // --- read-back (btnTableLoad) ---
    // Connection check, New, the question, then "KRV:on" and the requests.
    // A call while a read-back runs asks that one to stop (the read button
    // pressed again). Returns when the read-back has ended: after the board
    // confirmed the end of table mode to the decoder, or when that answer did
    // not come within waits.endMs. Whenever it ends other than by the decoder,
    // table read mode is left cleanly: tableReadMode false and "KRV:off" sent.
    ReadBackOutcome RequestTableReadBack(ReadBackView& view);
    bool readingBack() const { return reading_; }
    // Asks a running read-back to stop after the current request.
    void stopReadBack();

    // Message texts.
    static QString writeCompleteText();  // "登録完了しました。  "
    static QString writeCancelledText(); // "登録を中止しました。  "
    static QString readQuestionText(); // "ZOVAX-Etherのテーブル情報を読込みます。\nよろしいですか？"
    static QString readCancelledText(); // "読込みを中止しました。  "

private:
    bool waitAck(int ms);
    bool linkLost() const;
    // Sends "KRV:off" and waits for the board to confirm it.
    void leaveBoardTableMode();
    void watchLink();
    void unwatchLink();
    // Hides the progress display of the running read-back (once).
    void endReadBackView();
    // Lists in the receive log which entries were requested and how many
    // answered (once per read-back).
    void logReadBackSummary();
    int lateReadBackReplies() const;

    DeviceLink& link_;
    CodeTable& table_;
    Prompts& prompts_;
    bool writing_ = false;
    bool reading_ = false;
    bool stopReading_ = false;
    bool linkDropped_ = false; // the TCP socket went down during the current run
    int readBackRow_ = 0;      // entry of the latest request
    int readAnswered_ = 0;     // requests of the running read-back that were answered
    bool readSummaryLogged_ = false;
    ReadBackView* readView_ = nullptr; // progress display of the running read-back, until hidden
    QMetaObject::Connection linkWatch_;
};

} // namespace zovax
