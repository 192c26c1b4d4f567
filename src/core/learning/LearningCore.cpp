#include "core/learning/LearningCore.h"

#include "core/learning/LearnView.h"
#include "core/link/DeviceLink.h"

namespace zovax {

LearningCore::LearningCore(DeviceLink& link, CodeTable& table, LearnView& view, Prompts& prompts, Sounds& sounds,
                           ReceiveLog& log)
    : store_(std::make_unique<WaveStore>()), analyser_(*store_, table, view, log),
      learner_(*store_, analyser_, link, table, view, prompts, sounds, log),
      readBack_(*store_, analyser_, table, link, view, prompts, log), explanations_(*store_), table_(table), view_(view)
{
    analyser_.setObserver(&explanations_);
}

AnalysisExplanation LearningCore::explainRow(int row) const
{
    return zovax::explainRow(table_, row, &explanations_);
}

void LearningCore::installHandlers(LinkHandlers& h)
{
    h.OnWaveLine = [this](const QString& line) { learner_.OnWaveLine(line); };
    h.OnAverageLine = [this](const QString& line) { learner_.OnAverageLine(line); };
    h.SetLearnIndicator = [this](bool on) { learner_.SetLearnIndicator(on); };
    h.RearmLearning = [this] { learner_.RearmLearning(); };
    h.OnReadBackLine = [this](const QString& line) { readBack_.OnReadBackLine(line); };
    h.CollectReadBackLines = [this](bool on) { readBack_.setCollecting(on); };
    h.ReadBackLateReplies = [this] { return readBack_.lateReplies(); };
    h.learnIndicatorOn = [this] { return view_.learnIndicatorLit(); };
    h.cursorAutoChecked = [this] { return view_.cursorAuto(); };
    h.waveDataPanelVisible = [this] { return view_.waveDataPanelVisible(); };
}

} // namespace zovax
