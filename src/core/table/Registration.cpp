#include "core/table/Registration.h"

#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "core/table/TwRecords.h"

#include <QTcpSocket>

#include <array>
#include <utility>
#include <vector>

namespace zovax {

namespace {

const QString kConfirm = QStringLiteral("確認");
const QString kWarning = QStringLiteral("警告");

bool rowUsed(const CodeTable& table, int row)
{
    return !table.cell(kColCarry, row).trimmed().isEmpty();
}

} // namespace

QString Registration::writeCompleteText()
{
    return QStringLiteral("登録完了しました。  ");
}
QString Registration::writeCancelledText()
{
    return QStringLiteral("登録を中止しました。  ");
}
QString Registration::readCancelledText()
{
    return QStringLiteral("読込みを中止しました。  ");
}

QString Registration::readQuestionText()
{
    return QStringLiteral("ZOVAX-Etherのテーブル情報を読込みます。\nよろしいですか？");
}

Registration::Registration(DeviceLink& link, CodeTable& table, Prompts& prompts, QObject* parent)
    : QObject(parent), link_(link), table_(table), prompts_(prompts)
{
    // The decoder confirms the end of a read-back before it shows the
    // completion message: the progress display goes first.
    link_.handlers.OnReadBackEnd = [this] {
        if (reading_)
            logReadBackSummary();
        if (reading_ && readView_)
            endReadBackView();
    };
}

Registration::~Registration()
{
    unwatchLink();
    link_.handlers.OnReadBackEnd = nullptr;
}

int Registration::lateReadBackReplies() const
{
    return link_.handlers.ReadBackLateReplies ? link_.handlers.ReadBackLateReplies() : 0;
}

void Registration::logReadBackSummary()
{
    if (readSummaryLogged_ || readBackRow_ < 1)
        return;
    readSummaryLogged_ = true;
    QString text
        = QStringLiteral("Read-back: entries 1 to %1 requested, %2 answered").arg(readBackRow_).arg(readAnswered_);
    if (const int late = lateReadBackReplies())
        text += QStringLiteral(", %1 late replies dropped").arg(late);
    link_.receiveLog().append(text);
}

void Registration::endReadBackView()
{
    if (ReadBackView* v = std::exchange(readView_, nullptr))
        v->readBackEnded();
}

// --------------------------------------------------------------- link watch

void Registration::watchLink()
{
    linkDropped_ = false;
    unwatchLink();
    QTcpSocket* s = link_.tcpSocket();
    if (!s)
        return;
    // A socket that goes down ends the current wait at once instead of letting
    // every remaining row run into its time-out.
    linkWatch_ = connect(s, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState st) {
        if (st != QAbstractSocket::UnconnectedState)
            return;
        linkDropped_ = true;
        link_.interruptWait();
    });
}

void Registration::unwatchLink()
{
    if (linkWatch_)
        disconnect(linkWatch_);
    linkWatch_ = {};
}

bool Registration::linkLost() const
{
    const LinkState& st = link_.state();
    return linkDropped_ || !(st.tcpConnected || st.portOpen);
}

bool Registration::waitAck(int ms)
{
    if (link_.state().replyAck)
        return true;
    if (linkDropped_)
        return false;
    return link_.WaitAck(ms);
}

void Registration::leaveBoardTableMode()
{
    // Until the board confirms, its lines are kept from the other handlers:
    // a late reply to an earlier command must not pass for the confirmation,
    // and a late "KRV:off" must not end a read-back started right after.
    // They are listed in the receive log like any other reply.
    LinkState& st = link_.state();
    const std::function<void(const QString&)> decoder = link_.handlers.OnReadBackLine;
    bool confirmed = false;
    link_.handlers.OnReadBackLine = [this, &confirmed](const QString& line) {
        link_.receiveLog().append(line);
        if (line == QLatin1String("KRV:off")) {
            confirmed = true;
            link_.SetReplyAck();
        }
    };
    st.tableReadMode = true;
    link_.SendLine(QStringLiteral("KRV:off"));
    if (!linkLost())
        waitAck(waits.tableModeMs);
    st.tableReadMode = false;
    link_.handlers.OnReadBackLine = decoder;
    if (!confirmed && !linkLost())
        link_.receiveLog().append(QStringLiteral("KRV:off: no answer"));
}

// ------------------------------------------------------------- registration

bool Registration::beginRegistration()
{
    LinkState& st = link_.state();
    if (!requireLink(st, LinkNeed::Any, false, prompts_, MsgIcon::Exclamation))
        return false;
    if (link_.handlers.SetLearnIndicator)
        link_.handlers.SetLearnIndicator(false);
    if (!st.tcpConnected)
        link_.SendLine(QStringLiteral("T")); // only the serial link is up
    link_.receiveLog().clear();
    st.tableWriteMode = TableWriteMode::Erase;
    return true;
}

void Registration::endRegistration()
{
    link_.state().tableWriteMode = TableWriteMode::Off;
}

Registration::WriteResult Registration::WriteTableToBoard(RegistrationView& view)
{
    WriteResult res;
    if (writing_) {
        res.outcome = WriteOutcome::Busy;
        return res;
    }
    writing_ = true;
    watchLink();
    LinkState& st = link_.state();

    // One step of the table-mode preamble; Completed means "go on".
    auto preamble = [&](const QString& command, int ms) {
        link_.SendLine(command);
        const bool ok = waitAck(ms);
        if (linkLost())
            return WriteOutcome::LinkLost;
        if (!ok)
            return WriteOutcome::NoAnswer;
        if (view.cancelRequested())
            return WriteOutcome::Cancelled;
        return WriteOutcome::Completed;
    };

    QString unanswered; // the preamble command that got no answer
    res.outcome = preamble(QStringLiteral("KRV:on"), waits.tableModeMs);
    if (res.outcome == WriteOutcome::NoAnswer)
        unanswered = QStringLiteral("KRV:on");
    if (res.outcome == WriteOutcome::Completed) {
        res.outcome = preamble(QStringLiteral("Fe:7"), waits.eraseMs);
        if (res.outcome == WriteOutcome::NoAnswer)
            unanswered = QStringLiteral("Fe:7");
    }

    if (res.outcome == WriteOutcome::Completed) {
        st.tableWriteMode = TableWriteMode::Store;
        view.selectCell(kColCarry, 1);
        view.storingRows(true);
        for (int r = 1; r <= kTableRows; ++r) {
            if (!rowUsed(table_, r))
                continue;
            view.selectCell(kColCarry, r);
            TableEntry& e = table_.entry(r);
            e.flag = 0; // the board stores every entry as a normal one
            table_.entryChanged(r);
            for (const QString& record : registrationRecords(e))
                link_.SendLine(record);
            const QString store = twsRecord(r);
            link_.SendLine(store);
            view.showStoreCommand(store);
            const bool ok = waitAck(waits.storeMs);
            if (linkLost()) {
                res.outcome = WriteOutcome::LinkLost;
                res.stoppedAtRow = r;
                break;
            }
            if (!ok) {
                res.outcome = WriteOutcome::RowUnanswered;
                res.stoppedAtRow = r;
                break;
            }
            ++res.rowsStored;
            if (r > kReadBackEntries)
                ++res.rowsBeyondReadBack;
            if (view.cancelRequested()) {
                res.outcome = WriteOutcome::Cancelled;
                break;
            }
        }
        view.storingRows(false);
    }

    // Table mode is left in every case once "KRV:on" went out; without a link
    // the command simply goes nowhere.
    auto leaveTableMode = [&] {
        st.tableWriteMode = TableWriteMode::Off;
        leaveBoardTableMode();
    };
    // Rows stored above the read-back range are named in every end message.
    const QString beyond = res.rowsBeyondReadBack == 0
        ? QString()
        : QStringLiteral("\n%1 行目より後の %2 行は ZOVAX-Ether 読込みでは読み戻せません。")
              .arg(kReadBackEntries)
              .arg(res.rowsBeyondReadBack);
    switch (res.outcome) {
    case WriteOutcome::Completed:
        prompts_.inform(kConfirm, writeCompleteText() + beyond, MsgIcon::Exclamation);
        view.selectCell(kColCarry, 1);
        leaveTableMode();
        break;
    case WriteOutcome::Cancelled:
        prompts_.inform(kConfirm, writeCancelledText() + beyond, MsgIcon::Exclamation);
        leaveTableMode();
        break;
    case WriteOutcome::NoAnswer:
        leaveTableMode();
        prompts_.inform(
            kWarning, QStringLiteral("ZOVAX-Etherから応答がありません（%1）。\n登録できませんでした。").arg(unanswered),
            MsgIcon::Warning);
        break;
    case WriteOutcome::RowUnanswered:
        leaveTableMode();
        prompts_.inform(kWarning,
                        QStringLiteral("行 %1 の登録（%2）が ZOVAX-Ether で確認できないため、"
                                       "%1 行目で登録を中断しました。\n%3 行を登録しました。")
                                .arg(res.stoppedAtRow)
                                .arg(twsRecord(res.stoppedAtRow))
                                .arg(res.rowsStored)
                            + beyond,
                        MsgIcon::Warning);
        break;
    case WriteOutcome::LinkLost:
        leaveTableMode();
        prompts_.inform(kWarning,
                        (res.stoppedAtRow > 0
                             ? QStringLiteral("ZOVAX-Etherとの接続が切れたため、%1 行目で登録を中断しました。\n"
                                              "%2 行を登録しました。")
                                   .arg(res.stoppedAtRow)
                                   .arg(res.rowsStored)
                             : QStringLiteral("ZOVAX-Etherとの接続が切れたため、登録できませんでした。"))
                            + beyond,
                        MsgIcon::Warning);
        break;
    case WriteOutcome::Busy: break;
    }
    unwatchLink();
    writing_ = false;
    return res;
}

// ---------------------------------------------------------------- read-back

void Registration::stopReadBack()
{
    if (reading_) {
        stopReading_ = true;
        link_.interruptWait();
    }
}

Registration::ReadBackOutcome Registration::RequestTableReadBack(ReadBackView& view)
{
    if (reading_) {
        stopReadBack();
        return ReadBackOutcome::StopAsked;
    }
    LinkState& st = link_.state();
    st.tableReadMode = false;
    if (!requireLink(st, LinkNeed::TcpAndShownSerial, view.serialMenuVisible(), prompts_, MsgIcon::Exclamation))
        return ReadBackOutcome::NotConnected;
    // The table as it was: a read-back the board breaks off (no answer to
    // "KRV:on", the link lost) puts it back, so that a failed read never
    // leaves a half-read table in place of the user's.
    std::vector<std::array<QString, 4>> keptCells;
    std::vector<TableEntry> keptEntries;
    keptCells.reserve(kTableRows);
    keptEntries.reserve(kTableRows);
    for (int r = 1; r <= kTableRows; ++r) {
        keptCells.push_back({table_.cell(kColCarry, r), table_.cell(kColFrames, r), table_.cell(kColComments, r),
                             table_.cell(kColResult, r)});
        keptEntries.push_back(table_.entry(r));
    }
    const bool keptModified = table_.modified();
    const QString keptFileName = link_.settings().tableFileName;
    if (!view.newTable() || table_.modified())
        return ReadBackOutcome::Declined;
    if (prompts_.ask(kConfirm, readQuestionText(), MsgIcon::Exclamation, MsgButtons::YesNo) != MsgAnswer::Yes)
        return ReadBackOutcome::Declined;

    reading_ = true;
    stopReading_ = false;
    readBackRow_ = 0;
    readAnswered_ = 0;
    readSummaryLogged_ = false;
    watchLink();
    st.tableReadMode = true;
    // The progress display first: the grid then stays as it is until the
    // entries come in, instead of being drawn empty in between.
    readView_ = &view;
    view.readBackStarted();
    if (link_.handlers.SetLearnIndicator)
        link_.handlers.SetLearnIndicator(false);
    view.selectCell(kColCarry, 1);

    // Record lines may be kept by the decoder until the next request is out;
    // whatever was kept is taken apart before the table is touched here.
    auto collectLines = [this](bool on) {
        if (link_.handlers.CollectReadBackLines)
            link_.handlers.CollectReadBackLines(on);
    };
    collectLines(true);

    auto end = [&](ReadBackOutcome outcome) {
        collectLines(false);
        endReadBackView();
        unwatchLink();
        reading_ = false;
        return outcome;
    };
    // Ends the read-back here rather than by the decoder: the mode is left,
    // the row whose reply was cut short is emptied, and the user is told.
    auto endEarly
        = [&](ReadBackOutcome outcome, bool rowComplete, const QString& caption, const QString& text, MsgIcon icon) {
              collectLines(false);
              st.tableReadMode = false;
              if (!rowComplete && CodeTable::validRow(readBackRow_))
                  table_.setRow(readBackRow_, {}, TableEntry{});
              logReadBackSummary();
              leaveBoardTableMode();
              if (outcome == ReadBackOutcome::LinkLost || outcome == ReadBackOutcome::NoAnswer) {
                  table_.assignRows(keptCells, keptEntries);
                  table_.SetModified(keptModified);
                  link_.settings().tableFileName = keptFileName;
                  view.tableFileRestored(keptFileName);
                  link_.receiveLog().append(QStringLiteral("Read-back broken off: the table is as it was before"));
              } else {
                  for (int r = 1; r <= kReadBackEntries; ++r) {
                      if (rowUsed(table_, r)) {
                          table_.SetModified(true); // some entries were read
                          break;
                      }
                  }
              }
              end(outcome);
              prompts_.inform(caption, text, icon);
              return outcome;
          };
    const QString lostText = QStringLiteral("ZOVAX-Etherとの接続が切れたため、読込みを中断しました。");

    link_.SendLine(QStringLiteral("KRV:on"));
    const bool tableMode = waitAck(waits.tableModeMs);
    if (linkLost())
        return endEarly(ReadBackOutcome::LinkLost, true, kWarning, lostText, MsgIcon::Warning);
    if (stopReading_)
        return endEarly(ReadBackOutcome::Cancelled, true, kConfirm, readCancelledText(), MsgIcon::Exclamation);
    if (!tableMode)
        return endEarly(ReadBackOutcome::NoAnswer, true, kWarning,
                        QStringLiteral("ZOVAX-Etherから応答がありません（KRV:on）。\n読込みを中止しました。"),
                        MsgIcon::Warning);

    int unanswered = 0;
    bool answered = false;
    for (int entry = 1; entry <= kReadBackEntries; ++entry) {
        view.readBackProgress(entry, unanswered);
        readBackRow_ = entry;
        view.setReadBackRow(entry);
        const QString request = twlRecord(entry);
        link_.SendLine(request);
        answered = waitAck(waits.requestMs);
        if (answered)
            ++readAnswered_;
        if (linkLost())
            return endEarly(ReadBackOutcome::LinkLost, answered, kWarning, lostText, MsgIcon::Warning);
        if (stopReading_)
            return endEarly(ReadBackOutcome::Cancelled, answered, kConfirm, readCancelledText(), MsgIcon::Exclamation);
        if (!answered) {
            ++unanswered;
            // Whatever part of the entry arrived is not a usable entry: the
            // lines kept of it are taken apart first, then the row is emptied.
            collectLines(false);
            collectLines(true);
            table_.setRow(entry, {}, TableEntry{});
            link_.receiveLog().append(request + QStringLiteral(": no answer"));
        }
    }
    if (!answered) {
        // The decoder ends the read-back on the last entry's reply, which never
        // came: end it here.
        QString text = QStringLiteral("読込みを終了しました。\nZOVAX-Etherから応答のなかったエントリが %1 件あります。")
                           .arg(unanswered);
        if (const int late = lateReadBackReplies())
            text += QStringLiteral("\n待ち時間の後に届いたため破棄した応答が %1 件あります。").arg(late);
        return endEarly(ReadBackOutcome::Requested, true, kWarning, text, MsgIcon::Warning);
    }
    // The decoder has sent "KRV:off" after the last entry and ends the mode
    // on the board's answer. A board that never answers would leave every
    // later reply routed to the decoder: the mode ends after the wait anyway.
    const bool confirmed = link_.WaitUntil([&st] { return !st.tableReadMode; }, waits.endMs);
    if (!confirmed) {
        st.tableReadMode = false;
        link_.receiveLog().append(QStringLiteral("KRV:off: no answer"));
        logReadBackSummary();
        end(ReadBackOutcome::Requested);
        // Every entry was read: a stop asked for now or a link lost now only
        // cuts the wait short.
        if (!stopReading_ && !linkLost())
            prompts_.inform(kWarning, QStringLiteral("ZOVAX-Etherから読込み終了（KRV:off）の応答がありません。"),
                            MsgIcon::Warning);
        return ReadBackOutcome::Requested;
    }
    logReadBackSummary();
    return end(ReadBackOutcome::Requested);
}

} // namespace zovax
