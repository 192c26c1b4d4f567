#pragma once
// The learning subsystem in one piece: the wave store, the analyser, the
// learner and the read-back decoder, wired to the device link's reply
// dispatchers. The main window creates one and implements LearnView.
#include "core/learning/Analyser.h"
#include "core/learning/Explanation.h"
#include "core/learning/Learner.h"
#include "core/learning/ReadBack.h"
#include "core/learning/WaveStore.h"

#include <memory>

namespace zovax {

class CodeTable;
class DeviceLink;
class LearnView;
class Prompts;
class ReceiveLog;
class Sounds;
struct LinkHandlers;

class LearningCore {
public:
    LearningCore(DeviceLink& link, CodeTable& table, LearnView& view, Prompts& prompts, Sounds& sounds,
                 ReceiveLog& log);

    WaveStore& store() { return *store_; }
    Analyser& analyser() { return analyser_; }
    Learner& learner() { return learner_; }
    ReadBackDecoder& readBack() { return readBack_; }
    // The analyses of the learned channels, recorded as the analyser decides.
    // Why row `row` decoded as it did (see explainRow in Explanation.h).
    AnalysisExplanation explainRow(int row) const;

    // Sets OnWaveLine, OnAverageLine, SetLearnIndicator, RearmLearning and
    // OnReadBackLine, and the three state queries the serial dispatcher reads.
    void installHandlers(LinkHandlers& h);

private:
    std::unique_ptr<WaveStore> store_; // about 200 KB: kept off the stack
    Analyser analyser_;
    Learner learner_;
    ReadBackDecoder readBack_;
    LearnedExplanations explanations_;
    CodeTable& table_;
    LearnView& view_;
};

} // namespace zovax
