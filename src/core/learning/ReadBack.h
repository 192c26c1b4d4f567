#pragma once
// Read-back decoding: the board's record lines for one stored entry ("Twl:",
// "Twc:", "Twb:", "Twr:", "Twp:", "Twd:") are parsed into the table entry of
// the row being read back, and a complete entry is decoded with the same
// timing candidates as a learned signal to rebuild its Result and Comments.
#include "core/learning/AnalysisTrace.h"
#include "core/table/Registration.h"

#include <QMetaObject>
#include <QString>

#include <deque>
#include <optional>

namespace zovax {

class Analyser;
class AnalysisObserver;
class CodeTable;
class DeviceLink;
class LearnView;
class Prompts;
class ReceiveLog;
struct TableEntry;
struct WaveStore;

// The decoding of one stored entry, written nowhere.
struct StoredDecoding {
    int candidate = 32; // the candidate that ended the search; 32 = fallback
    int format = 61;    // final format number
    QString codeText;
    QString resultText; // "Tm:%-10s d:%s"
    int lastTried = 31; // the last candidate whose windows were built
};
// Candidate t's stored-entry rules and code extraction for entry `e`, with the
// windows of the last candidate tried (w.zeroHighMax takes part in the bit
// rules). nullopt when t is below 32 and its rules give no format.
std::optional<StoredDecoding> analyseStored(int t, const TableEntry& e, const CandidateWindows& w,
                                            AnalysisObserver* observer = nullptr);
// The whole decoding of entry `e`: candidates 0..31 with their timing test on
// `patterns` (16 means) and stored-entry rules, else the fallback. Reports to
// `observer` when given.
StoredDecoding decodeStored(const TableEntry& e, const PulsePair* patterns, AnalysisObserver* observer = nullptr);

class ReadBackDecoder {
public:
    static constexpr int kLastRequestedRow = Registration::kReadBackEntries; // the read-back covers entries 1..

    ReadBackDecoder(WaveStore& store, Analyser& analyser, CodeTable& table, DeviceLink& link, LearnView& view,
                    Prompts& prompts, ReceiveLog& log);
    ~ReadBackDecoder();
    ReadBackDecoder(const ReadBackDecoder&) = delete;
    ReadBackDecoder& operator=(const ReadBackDecoder&) = delete;

    // The row most recently requested with "Twl:", set by the request loop (1..999).
    int readBackRow = 0;

    // Every TCP line while the table read-back mode is on. A reply is applied
    // only to the entry its "Twl:" line names: while a request is out, a reply
    // naming another entry (one whose wait already ran out) is logged and
    // dropped with its record lines, and acknowledges nothing.
    void OnReadBackLine(const QString& line);
    // Replies dropped that way since the board last entered table mode.
    int lateReplies() const { return lateReplies_; }
    // While collecting (a running read-back request), the record lines of an
    // entry are only kept as they arrive, each with its row, and an entry is
    // acknowledged at its "Twd:" line: the next request then goes out before
    // the entry is taken apart, and the board works on it meanwhile. Kept
    // lines are taken apart, in order, when the event loop is about to wait,
    // before any other line, and when collecting ends.
    void setCollecting(bool on);
    void takeCollectedLines();
    // Rebuilds the Result and Comments cells of a row from its table entry.
    void DecodeStoredEntry(int row);

    // Which record a line holds: the first of "Twc:", "Twb:", "Twr:", "Twp:",
    // "Twd:" (in this order) that it contains anywhere.
    enum class RecordTag { None, Twc, Twb, Twr, Twp, Twd };
    static RecordTag recordTag(const QString& line);

private:
    // One line for `row`; a complete entry is acknowledged only if
    // `acknowledge`. `knownTag`: the line was classified when it was collected.
    void handleLine(const QString& line, int row, bool acknowledge, std::optional<RecordTag> knownTag);
    void badLine(const QString& line, const QString& why);
    void entryDone();
    // A reply names an entry other than the one being requested.
    bool staleReply() const;
    void dropStaleLine(const QString& line, bool echo);

    struct CollectedLine {
        QString line;
        int row;
        RecordTag tag;
    };
    std::deque<CollectedLine> collected_;
    bool collecting_ = false;
    bool takingLines_ = false;
    QMetaObject::Connection blockWatch_;
    int replyEntry_ = 0;        // entry named by the latest "Twl:" line (0: none yet)
    bool dropReported_ = false; // the stale reply being dropped has been logged
    int lateReplies_ = 0;

    WaveStore& store_;
    Analyser& analyser_;
    CodeTable& table_;
    DeviceLink& link_;
    LearnView& view_;
    Prompts& prompts_;
    ReceiveLog& log_;
};

} // namespace zovax
