#include "app/main/LearningBinding.h"

#include "app/learning/WaveListWindow.h"
#include "app/learning/WaveView.h"
#include "app/main/MainWindow.h"
#include "app/main/WaveBinding.h"
#include "app/widgets/Panels.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>

#include <functional>

namespace zovax {

namespace {
const QColor kLime(0, 255, 0);
}

LearningBinding::LearningBinding(Session& session, MainWindow& main, const MainControls& ui, WaveBinding& wave)
    : session_(session), main_(main), ui_(ui), wave_(wave)
{
    connect(ui.pnlAnalyze, &ClickPanel::clicked, this, [this] { session_.toggleLearning(); });

    // The check boxes and edits set the session's state.
    const auto follow = [&session](QCheckBox* box, void (Session::*set)(bool)) {
        (session.*set)(box->isChecked());
        QObject::connect(box, &QCheckBox::toggled, &session, set);
    };
    follow(ui.ckCursor, &Session::setCursorAuto);
    follow(ui.ckLearningMsg, &Session::setLearningMsg);
    follow(ui.ckPcode, &Session::setPcode);
    follow(ui.ckFullCode, &Session::setFullCode);
    connect(&session, &Session::learningMsgChanged, ui.ckLearningMsg, &QCheckBox::setChecked);
    const auto followText = [this](QLineEdit* edit, const std::function<void(const QString&)>& set) {
        set(edit->text());
        connect(edit, &QLineEdit::textChanged, this, set);
    };
    followText(ui.edtHrange, [this](const QString& text) { session_.setHRangeText(text); });
    followText(ui.edtWrange, [this](const QString& text) { session_.setWRangeText(text); });
    followText(ui.edtLearningTime, [this](const QString& text) { session_.setLearningTimeText(text); });
    connect(&session, &Session::learnParamTextsChanged, this, [this] {
        if (ui_.edtLearningTime->text() != session_.learningTimeText())
            ui_.edtLearningTime->setText(session_.learningTimeText());
    });

    // The learning indicator, the progress bar.
    connect(&session, &Session::learnIndicatorChanged, this, [this](bool lit, bool captionOn) {
        ui_.pnlAnalyze->setFillColour(lit ? kLime : QColor());
        ui_.pnlAnalyze->setText(captionOn ? QStringLiteral("学習 On") : QStringLiteral("学習 Off"));
    });
    connect(&session, &Session::progressChanged, ui.pgBar, &QProgressBar::setValue);
    connect(&session, &Session::progressVisibleChanged, ui.pgBar, &QProgressBar::setVisible);

    // The wave display and the wave data list.
    connect(&session, &Session::pulseDrawn, this,
            [this](int channel, int index) { wave_.view().DrawPulse(channel, index); });
    connect(&session, &Session::pulseListed, this,
            [this](int channel, int index) { wave_.list().ShowPulseInList(channel, index); });
    connect(&session, &Session::waveAreaCleared, this, [this](int channel) { wave_.view().ClearWaveArea(channel); });
    connect(&session, &Session::waveListCleared, this,
            [this](int channel) { wave_.list().clearWaveListView(channel); });
    connect(&session, &Session::logicCellSet, this,
            [this](int channel, int index, const QString& text) { wave_.list().setLogicCell(channel, index, text); });
    connect(&session, &Session::labelDrawn, this,
            [this](int channel, const QString& label) { wave_.view().drawLabel(channel, label); });
}

LearningBinding::~LearningBinding() = default;

LearningCore& LearningBinding::core()
{
    return session_.learning();
}

} // namespace zovax
