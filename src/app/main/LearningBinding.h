#pragma once
// Binds the session's learning (learning, analysis, read-back decoding) to the
// main window: the window's check boxes and edits set the session's state, and
// the learning indicator, the progress bar, the wave display and the wave data
// list follow the session's signals. The learning indicator pnlAnalyze
// switches learning on and off.
#include "core/session/Session.h"

#include <QObject>

namespace zovax {

class LearningCore;
class MainWindow;
struct MainControls;
class WaveBinding;

class LearningBinding : public QObject {
    Q_OBJECT
public:
    // The session, the windows and the wave binding must outlive the binding.
    LearningBinding(Session& session, MainWindow& main, const MainControls& ui, WaveBinding& wave);
    ~LearningBinding() override;

    LearningCore& core();

private:
    Session& session_;
    MainWindow& main_;
    const MainControls& ui_;
    WaveBinding& wave_;
};

} // namespace zovax
