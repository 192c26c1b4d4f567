#pragma once
// Learning: switching the board's learn mode, storing the received pulse pairs
// of a train in the current wave channel while grouping them into patterns,
// deciding when the learn is complete, and, on the board's result line,
// analysing the channel and filling the current row of the code table.
#include "core/learning/FrameDetector.h"
#include "core/learning/WaveStore.h"

#include <QString>
#include <QTimer>

namespace zovax {

class Analyser;
class CodeTable;
class DeviceLink;
class LearnView;
class Prompts;
class ReceiveLog;
class Sounds;

// Texts of the learn-end message box (frmMsgBox).
namespace learnmsg {
inline const QString kCaptionWarning = QStringLiteral("警告");
inline const QString kCaptionConfirm = QStringLiteral("確認");
inline const QString kLowReliability
    = QStringLiteral("学習の信頼性が低いです。リモコンのボタンを１秒以上押して下さい。");
inline const QString kSingleFrame
    = QStringLiteral("学習完了しました。\n但し繰返しフレームが1回なので、信頼性は低いです。");
inline const QString kReleaseButton = QStringLiteral("学習完了しました。\nリモコンのボタンを離して下さい。");
} // namespace learnmsg

// Said when learning is switched on while the board runs its loader.
inline QString boardInLoaderText()
{
    return QStringLiteral("ZOVAX-Etherはローダーで起動しています。\nファームウェアー更新で復旧して下さい。");
}

// First row from `fromRow` up to (not including) the last row whose Carry cell
// is blank after trimming; 0 when there is none.
int FirstEmptyRow(const CodeTable& table, int fromRow);
// Moves the grid cursor to that row, column 1, and focuses the grid; leaves the
// cursor where it is when there is no such row.
void SelectFirstEmptyRow(const CodeTable& table, LearnView& view);

class Learner {
public:
    Learner(WaveStore& store, Analyser& analyser, DeviceLink& link, CodeTable& table, LearnView& view, Prompts& prompts,
            Sounds& sounds, ReceiveLog& log);

    void ToggleLearning(); // click on pnlAnalyze
    void SetLearnIndicator(bool on);
    void RearmLearning(); // learn again, on the next row
    void OnWaveLine(const QString& line);
    void OnAverageLine(const QString& line);
    // Frame detection and completion test on the current channel. Returns true
    // when the learn completed; runs NotifyLearnComplete then unless told not to.
    bool DetectFrames(bool notify = true);
    // Chime and report; returns true when it re-armed learning (Cursor Auto after
    // the message box).
    bool NotifyLearnComplete();

    // The channel's list cells are emptied and its lastIndex becomes 0 (all
    // channels for channel >= 4).
    void ClearWaveList(int channel);
    // The wave Clear button: receive log, all bands, all lists, next learn on channel 0.
    void ClearAllWaves();
    // frameStart, dataCount and frameCount to 0 (New table).
    void ResetLearnState();

    FrameDetector& frameDetector() { return detector_; }
    // A learn completed on its wave lines and its result line has not come yet.
    bool resultPending() const { return resultPending_; }
    // How long after the last wave line the result line is waited for: the
    // learning time plus this margin.
    static constexpr int kResultMarginMs = 2000;
    const QTimer& resultWait() const { return resultWait_; }
    // The result line did not come in time: logged, the learn is given up as
    // far as its result goes, and Cursor Auto learns on the next row.
    void ResultWaitExpired();

private:
    void readParameters();
    void fillEntry(int row);
    void traceListing(int row);
    void finishAbandonedResult();
    void setResultPending(bool pending);

    WaveStore& store_;
    Analyser& analyser_;
    DeviceLink& link_;
    CodeTable& table_;
    LearnView& view_;
    Prompts& prompts_;
    Sounds& sounds_;
    ReceiveLog& log_;
    FrameDetector detector_;
    // Set when the wave lines complete a learn, cleared by its result line. While
    // set, closing the message box does not re-arm learning at once: the rest of
    // the train and the result line may still be queued behind the box, and a
    // re-arm would let them count as a new learn on the next row. The result line
    // re-arms instead.
    bool resultPending_ = false;
    bool rearmDeferred_ = false;
    // The user switched learning off: a late result line is still written but
    // does not switch learning back on. Cleared when learning is switched on.
    bool switchedOffByUser_ = false;
    QTimer resultWait_; // single shot, while resultPending_
};

} // namespace zovax
