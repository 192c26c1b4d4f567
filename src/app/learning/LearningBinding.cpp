#include "app/learning/LearningBinding.h"

#include "app/learning/WaveBinding.h"
#include "app/learning/WaveView.h"
#include "app/shell/MainWindow.h"
#include "app/shell/MsgBox.h"
#include "app/shell/Panels.h"
#include "app/table/TableController.h"
#include "app/table/WaveListWindow.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>

namespace zovax {

namespace {
const QColor kLime(0, 255, 0);
}

LearningBinding::LearningBinding(MainWindow& main, WaveBinding& wave, MsgBox& box)
    : QObject(&main), main_(main), wave_(wave), box_(box)
{
    setObjectName(QStringLiteral("learningBinding"));
    core_ = std::make_unique<LearningCore>(main.link(), main.table(), *this, main.prompts(),
                                           main.sounds(), main.receiveLog());
    core_->installHandlers(main.link().handlers);

    WaveStore& store = core_->store();
    wave_.setWaveStore(&store);
    wave_.setHooks({
        [this](int channel, const QString& text) { core_->analyser().ShowResult(channel, text); },
        [this](int channel) { core_->learner().ClearWaveList(channel); },
    });

    main.resetLearnState = [this] { core_->learner().ResetLearnState(); };
    connect(main.pnlAnalyze, &ClickPanel::clicked, this, [this] { core_->learner().ToggleLearning(); });
}

LearningBinding::~LearningBinding() = default;

LearningBinding* LearningBinding::of(const MainWindow& main)
{
    return main.findChild<LearningBinding*>(QStringLiteral("learningBinding"), Qt::FindDirectChildrenOnly);
}

bool LearningBinding::cursorAuto() const { return main_.ckCursor->isChecked(); }
bool LearningBinding::learningMsg() const { return main_.ckLearningMsg->isChecked(); }
void LearningBinding::setLearningMsg(bool on) { main_.ckLearningMsg->setChecked(on); }
bool LearningBinding::pcode() const { return main_.ckPcode->isChecked(); }
bool LearningBinding::fullCode() const { return main_.ckFullCode->isChecked(); }
bool LearningBinding::traceMode() const { return main_.traceMode; }
bool LearningBinding::serialMenuVisible() const { return main_.mmFileCom->isVisible(); }
// Shown or hidden by its toggle, whether or not the window itself is on screen.
bool LearningBinding::waveDataPanelVisible() const { return !main_.pnlWaveData->isHidden(); }
QString LearningBinding::hRangeText() const { return main_.edtHrange->text(); }
QString LearningBinding::wRangeText() const { return main_.edtWrange->text(); }
QString LearningBinding::learningTimeText() const { return main_.edtLearningTime->text(); }
void LearningBinding::setLearningTimeText(const QString& text) { main_.edtLearningTime->setText(text); }

bool LearningBinding::learnIndicatorLit() const
{
    return main_.pnlAnalyze->fillColour() == kLime;
}

void LearningBinding::setLearnIndicatorLook(bool on)
{
    main_.pnlAnalyze->setFillColour(on ? kLime : QColor());
    main_.pnlAnalyze->setText(on ? QStringLiteral("学習 On") : QStringLiteral("学習 Off"));
}

void LearningBinding::setLearnIndicatorColourOff()
{
    main_.pnlAnalyze->setFillColour(QColor());
}

void LearningBinding::processEventsOnce()
{
    QCoreApplication::processEvents();
}

void LearningBinding::showProgress()
{
    main_.pgBar->setValue(0);
    main_.pgBar->show();
}

void LearningBinding::setProgress(int position) { main_.pgBar->setValue(position); }
void LearningBinding::hideProgress() { main_.pgBar->hide(); }
int LearningBinding::currentRow() const { return TableController::cursorRow(main_.sGrid); }
int LearningBinding::currentColumn() const { return TableController::cursorColumn(main_.sGrid); }
void LearningBinding::selectCell(int column, int row) { TableController::moveCursor(main_.sGrid, column, row); }
void LearningBinding::focusGrid() { main_.sGrid->setFocus(); }
void LearningBinding::DrawPulse(int channel, int index) { wave_.view().DrawPulse(channel, index); }
void LearningBinding::ShowPulseInList(int channel, int index) { wave_.list().ShowPulseInList(channel, index); }
void LearningBinding::ClearWaveArea(int channel) { wave_.view().ClearWaveArea(channel); }
void LearningBinding::clearWaveListView(int channel) { wave_.list().clearWaveListView(channel); }

void LearningBinding::setLogicCell(int channel, int index, const QString& text)
{
    wave_.list().setLogicCell(channel, index, text);
}

void LearningBinding::drawLabel(int channel, const QString& label) { wave_.view().drawLabel(channel, label); }

bool LearningBinding::showLearnMessage(const QString& caption, const QString& text)
{
    return box_.showMessage(caption, text);
}

bool LearningBinding::learnMessageShowing() const { return box_.isVisible(); }

LearningBinding* bindLearning(MainWindow& main)
{
    WaveBinding* wave = WaveBinding::of(main);
    MsgBox* box = main.windows().frmMsgBox;
    if (!wave || !box)
        return nullptr;
    return new LearningBinding(main, *wave, *box);
}

} // namespace zovax
