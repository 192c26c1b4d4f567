#pragma once
// Read-back decoding: the board's record lines for one stored entry ("Twl:",
// "Twc:", "Twb:", "Twr:", "Twp:", "Twd:") are parsed into the table entry of
// the row being read back, and a complete entry is decoded with the same
// timing candidates as a learned signal to rebuild its Result and Comments.
#include <QString>

namespace zovax {

class Analyser;
class CodeTable;
class DeviceLink;
class LearnView;
class Prompts;
class ReceiveLog;
struct WaveStore;

class ReadBackDecoder {
public:
    static constexpr int kLastRequestedRow = 250; // the read-back covers entries 1..250

    ReadBackDecoder(WaveStore& store, Analyser& analyser, CodeTable& table, DeviceLink& link,
                    LearnView& view, Prompts& prompts, ReceiveLog& log);

    // The row most recently requested with "Twl:", set by the request loop (1..999).
    int readBackRow = 0;

    // Every TCP line while the table read-back mode is on.
    void OnReadBackLine(const QString& line);
    // Rebuilds the Result and Comments cells of a row from its table entry.
    void DecodeStoredEntry(int row);
    // The read-back counterpart of Analyser::AnalyseCandidate.
    bool AnalyseStoredCandidate(int t, int row);

private:
    void badLine(const QString& line, const QString& why);
    void entryDone();

    WaveStore& store_;
    Analyser& analyser_;
    CodeTable& table_;
    DeviceLink& link_;
    LearnView& view_;
    Prompts& prompts_;
    ReceiveLog& log_;
};

} // namespace zovax
