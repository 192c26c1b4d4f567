#include "app/main/WaveBinding.h"

#include "app/learning/WaveDisplayRules.h"
#include "app/learning/WaveListModel.h"
#include "app/learning/WaveListWindow.h"
#include "app/learning/WaveView.h"
#include "app/main/MainWindow.h"
#include "app/widgets/Panels.h"
#include "core/learning/WaveStore.h"
#include "core/session/Session.h"
#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"
#include "core/table/TableCommands.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

namespace zovax {

WaveBinding::WaveBinding(Session& session, MainWindow& main, const MainControls& ui, WaveListWindow& list,
                         WaveStore* store, Hooks hooks)
    : session_(session), main_(main), ui_(ui), list_(list), hooks_(std::move(hooks))
{
    setWaveStore(store);
    WaveView& v = view();
    // Clearing the image empties status panel 1 (short results of other
    // commands), but the table's modified mark stays while it is set: hiding
    // it would make an unsaved table look saved.
    connect(&v, &WaveView::areaCleared, this,
            [this] { session_.setStatusText(1, TableCommands::modifiedText(session_.table().modified())); });
    v.setZoomDivisor(zoomDivisorOf(ui_.cmbZoom->currentText()));
    v.ClearWaveArea(WaveView::kChannels);

    connect(ui_.cmbZoom, &QComboBox::currentIndexChanged, this, [this] { cmbZoomChange(); });
    connect(ui_.scrBar, &QScrollBar::valueChanged, this, [this] { scrBarChange(); });
    connect(&main_, &MainWindow::resized, this, [this] { scrBarChange(); });
    connect(ui_.btnWaveClear, &QPushButton::clicked, this, [this] { btnWaveClearClick(); });
    connect(ui_.btnWaveData, &QPushButton::clicked, this, [this] { btnWaveDataClick(); });
    connect(&v, &WaveView::mouseReleased, this, [this](Qt::MouseButton button, QPoint pos) {
        if (button == Qt::LeftButton)
            MeasureInterval(pos.x(), pos.y());
    });
    ui_.memoRecv->viewport()->installEventFilter(this);
}

WaveBinding::~WaveBinding()
{
    // The filter goes before the widget it serves.
    ui_.memoRecv->viewport()->removeEventFilter(this);
}

WaveView& WaveBinding::view() const
{
    return *ui_.imgWave;
}

void WaveBinding::setWaveStore(WaveStore* store)
{
    store_ = store;
    view().setWaveStore(store);
    list_.setWaveStore(store);
}

void WaveBinding::cmbZoomChange()
{
    WaveView& v = view();
    v.setZoomDivisor(zoomDivisorOf(ui_.cmbZoom->currentText()));
    if (store_) {
        for (int c = 0; c < kWaveChannels; ++c) {
            const WaveChannel& ch = store_->channels[size_t(c)];
            const int last = std::min(ch.lastIndex, kPulseSlots - 1);
            if (last <= 0)
                continue;
            // The last pair (the closing silence) is left out.
            for (int j = 0; j < last; ++j)
                v.DrawPulse(c, j);
            if (!hooks_.ShowResult)
                continue;
            // Each label shows the carrier stored with its own row, not that of
            // the most recent learn (which belongs to one channel only).
            const int row = ch.channelRow;
            const int latest = store_->carrierTenths;
            if (CodeTable::validRow(row) && session_.table().entry(row).carrier > 0)
                store_->carrierTenths = session_.table().entry(row).carrier;
            hooks_.ShowResult(c, session_.table().cell(kColResult, row));
            store_->carrierTenths = latest;
        }
    }
    ui_.pnlAnalyze->setFocus(Qt::OtherFocusReason);
}

void WaveBinding::scrBarChange()
{
    WaveView& v = view();
    v.move(scrollLeft(ui_.scrBar->value(), main_.scrollExtent(), ui_.scrBar->maximum()), v.y());
}

void WaveBinding::btnWaveClearClick()
{
    session_.log().clear();
    view().ClearWaveArea(kWaveChannels);
    ClearWaveList(kWaveChannels);
    if (store_)
        store_->currentChannel = kWaveChannels; // the next learn starts on channel 0
}

void WaveBinding::btnWaveDataClick()
{
    list_.show();
    list_.raise();
    list_.activateWindow();
}

void WaveBinding::ClearWaveList(int channel)
{
    if (hooks_.ClearWaveList) {
        hooks_.ClearWaveList(channel);
        return;
    }
    if (channel < 0)
        return;
    if (store_) {
        const int first = channel >= kWaveChannels ? 0 : channel;
        const int last = channel >= kWaveChannels ? kWaveChannels - 1 : channel;
        for (int c = first; c <= last; ++c)
            store_->channels[size_t(c)].lastIndex = 0;
    }
    list_.clearWaveListView(channel);
}

void WaveBinding::MeasureInterval(int x, int y)
{
    WaveView& v = view();
    if (v.cursorB() == WaveView::kHidden)
        return;
    const int channel = std::clamp(y / WaveView::kBandHeight, 0, WaveView::kChannels - 1);
    const WaveListModel& m = list_.model();
    const Interval iv = measureInterval(v.cursorA(), x, v.zoomDivisor(), WaveListModel::kRows, [&m, channel](int row) {
        return ListPair{m.high(channel, row), m.width(channel, row)};
    });
    session_.log().append(intervalText(iv.us));
    int column = list_.currentColumn();
    if (column == 0)
        column = WaveListModel::columnOf(channel, WaveListModel::kHigh);
    list_.selectCell(column, iv.row);
}

void WaveBinding::memoRecvDblClick(int caret)
{
    QPlainTextEdit* memo = ui_.memoRecv;
    const QTextBlock block = memo->document()->findBlock(std::max(caret, 0));
    if (!block.isValid())
        return;
    const QString line = block.text();
    // The caret goes to the start of the word under the pointer (words end at blanks).
    int col = std::clamp(caret - block.position(), 0, int(line.size()));
    while (col > 0 && !line.at(col - 1).isSpace())
        --col;
    // At most 200 characters, and never past the end of the line: a command
    // must not take in a line break or the next line's text.
    const int length = std::min<int>(kLogSelection, int(line.size()) - col);
    const int start = block.position() + col;
    QTextCursor cursor(memo->document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);

    const std::optional<QString> command = commandFromLogText(QStringView(line).mid(col, length));
    if (!command)
        return;
    ui_.cmbSendText->setEditText(*command);
    cursor.setPosition(start);
    cursor.setPosition(start + std::min(length, kLogSelectionKept), QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}

bool WaveBinding::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_.memoRecv->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) {
            memoRecvDblClick(ui_.memoRecv->cursorForPosition(e->position().toPoint()).position());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zovax
