#include "app/learning/WaveListWindow.h"

#include "app/learning/WaveListModel.h"
#include "core/learning/WaveStore.h"
#include "core/shell/TextNumbers.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QShowEvent>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace zovax {

namespace {

constexpr int kColumnWidths[WaveListModel::kColumnsPerChannel] = {50, 54, 54, 38, 38};

QLabel* valueBox(const QString& name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFixedHeight(18);
    return l;
}

} // namespace

WaveListWindow::WaveListWindow(QWidget* parent)
    : QDialog(parent, Qt::Tool), model_(new WaveListModel(this)), followTimer_(new QTimer(this))
{
    followTimer_->setSingleShot(true);
    followTimer_->setInterval(kFollowIntervalMs);
    connect(followTimer_, &QTimer::timeout, this, &WaveListWindow::applyFollow);
    setObjectName(QStringLiteral("frmWave"));
    setModal(false);
    FormCreate();
}

WaveListWindow::~WaveListWindow() = default;

void WaveListWindow::FormCreate()
{
    setWindowTitle(QStringLiteral("Wave Data"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    sGridWave = new QTableView(this);
    sGridWave->setObjectName(QStringLiteral("sGridWave"));
    sGridWave->setModel(model_);
    QFont gridFont = font();
    gridFont.setPixelSize(11);
    sGridWave->setFont(gridFont);
    // Cells are right-aligned with leading blanks: a text wider than its
    // column loses blanks on the left instead of being cut short with "...".
    sGridWave->setTextElideMode(Qt::ElideNone);
    sGridWave->setShowGrid(true);
    sGridWave->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sGridWave->setSelectionMode(QAbstractItemView::SingleSelection);
    sGridWave->setSelectionBehavior(QAbstractItemView::SelectItems);
    sGridWave->setWordWrap(false);
    sGridWave->setCornerButtonEnabled(false);
    sGridWave->verticalHeader()->hide();
    QHeaderView* rows = sGridWave->verticalHeader();
    rows->setMinimumSectionSize(kRowHeight);
    rows->setDefaultSectionSize(kRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* cols = sGridWave->horizontalHeader();
    cols->setMinimumSectionSize(10);
    cols->setHighlightSections(false);
    cols->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int c = 0; c < WaveListModel::kColumns; ++c)
        cols->resizeSection(c, kColumnWidths[c % WaveListModel::kColumnsPerChannel]);
    cols->setSectionResizeMode(QHeaderView::Fixed);
    outer->addWidget(sGridWave, 1);
    connect(sGridWave->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    sGridWaveSelectCell(current.column(), current.row() + 1);
            });

    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("pnlWaveSummary"));
    bottom->setFixedHeight(kSummaryHeight);
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(4, 0, 4, 2);
    row->setSpacing(4);
    for (int b = 0; b < 4; ++b) {
        const QString n = QString::number(b + 1);
        auto* box = new QGroupBox(QStringLiteral("WaveData") + n, bottom);
        box->setObjectName(QStringLiteral("pnlWaveData") + n);
        box->setFixedWidth(kSummaryWidth);
        auto* g = new QGridLayout(box);
        g->setContentsMargins(6, 2, 6, 4);
        g->setHorizontalSpacing(4);
        g->setVerticalSpacing(2);
        pnlPno[size_t(b)] = valueBox(QStringLiteral("pnlPno") + n, box);
        pnlHmin[size_t(b)] = valueBox(QStringLiteral("pnlHmin") + n, box);
        pnlHmax[size_t(b)] = valueBox(QStringLiteral("pnlHmax") + n, box);
        pnlWmin[size_t(b)] = valueBox(QStringLiteral("pnlWmin") + n, box);
        pnlWmax[size_t(b)] = valueBox(QStringLiteral("pnlWmax") + n, box);
        g->addWidget(new QLabel(QStringLiteral("Pno"), box), 0, 0);
        g->addWidget(pnlPno[size_t(b)], 0, 1);
        g->addWidget(new QLabel(QStringLiteral("High"), box), 0, 2, Qt::AlignRight);
        g->addWidget(pnlHmin[size_t(b)], 0, 3);
        g->addWidget(pnlHmax[size_t(b)], 0, 4);
        g->addWidget(new QLabel(QStringLiteral("Width"), box), 1, 2, Qt::AlignRight);
        g->addWidget(pnlWmin[size_t(b)], 1, 3);
        g->addWidget(pnlWmax[size_t(b)], 1, 4);
        g->setColumnStretch(1, 2);
        g->setColumnStretch(3, 3);
        g->setColumnStretch(4, 3);
        pnlWaveData[size_t(b)] = box;
        row->addWidget(box);
        box->show();
    }
    row->addStretch(1);
    outer->addWidget(bottom);
}

void WaveListWindow::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void WaveListWindow::FormShow()
{
    resize((kSummaryWidth + 4) * 4 + 30, kClientHeight);
    if (!positioned_ && parentWidget()) {
        // Centred on the main window the first time it appears.
        positioned_ = true;
        const QRect p = parentWidget()->frameGeometry();
        move(p.center() - QPoint(width() / 2, height() / 2));
    }
}

void WaveListWindow::follow(int column, int row)
{
    if (!isVisible()) {
        selectCell(column, row);
        return;
    }
    followColumn_ = column;
    followRow_ = row;
    if (!followTimer_->isActive())
        followTimer_->start();
}

void WaveListWindow::applyFollow()
{
    if (followColumn_ >= 0)
        selectCell(followColumn_, followRow_);
}

void WaveListWindow::selectCell(int column, int row)
{
    followColumn_ = -1;
    followTimer_->stop();
    column = std::clamp(column, 0, WaveListModel::kColumns - 1);
    row = std::clamp(row, 1, WaveListModel::kRows);
    const QModelIndex i = model_->index(row - 1, column);
    sGridWave->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
}

int WaveListWindow::currentColumn() const
{
    if (followColumn_ >= 0)
        return followColumn_;
    const QModelIndex i = sGridWave->currentIndex();
    return i.isValid() ? i.column() : 0;
}

int WaveListWindow::currentRow() const
{
    if (followColumn_ >= 0)
        return followRow_;
    const QModelIndex i = sGridWave->currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

void WaveListWindow::ShowPulseInList(int channel, int index)
{
    if (!store_ || channel < 0 || channel >= WaveListModel::kChannels || index < 0 || index >= WaveListModel::kRows)
        return;
    const WaveChannel& ch = store_->channels[size_t(channel)];
    const PulsePair& p = ch.pulses[size_t(index)];
    model_->setPulse(channel, index + 1, p.high, p.width, ch.patternIndex[size_t(index)]);
    follow(WaveListModel::columnOf(channel, WaveListModel::kHigh), index + 1);
}

void WaveListWindow::setLogicCell(int channel, int index, const QString& text)
{
    model_->setLogic(channel, index + 1, text);
}

void WaveListWindow::clearWaveListView(int channel)
{
    if (channel < 0)
        return;
    model_->clearChannel(channel);
    const int first = channel >= WaveListModel::kChannels ? 0 : channel;
    const int last = channel >= WaveListModel::kChannels ? WaveListModel::kChannels - 1 : channel;
    for (int c = first; c <= last; ++c)
        clearSummary(c);
    selectCell(WaveListModel::columnOf(first, WaveListModel::kHigh), 1);
}

void WaveListWindow::clearSummary(int channel)
{
    for (auto* box : {pnlPno[size_t(channel)], pnlHmin[size_t(channel)], pnlHmax[size_t(channel)],
                      pnlWmin[size_t(channel)], pnlWmax[size_t(channel)]})
        box->clear();
}

void WaveListWindow::sGridWaveSelectCell(int column, int row)
{
    if (column < 0 || column >= WaveListModel::kColumns || WaveListModel::partOfColumn(column) != WaveListModel::kPno)
        return;
    const QString text = model_->cellText(column, row).trimmed();
    if (text.isEmpty())
        return;
    const int channel = WaveListModel::channelOfColumn(column);
    pnlPno[size_t(channel)]->setText(text);
    summarise(channel);
}

void WaveListWindow::summarise(int channel)
{
    if (channel < 0 || channel >= WaveListModel::kChannels || !model_->hasPulse(channel, 1))
        return;
    int picked = parseIntOr(pnlPno[size_t(channel)]->text(), 0);
    // Rows 1..N hold pulses 0..N-1: the channel's last pulse (row N + 1) is
    // left out, since its Width is the closing silence.
    int last = 0;
    if (store_) {
        last = store_->channels[size_t(channel)].lastIndex;
    } else {
        while (last < WaveListModel::kRows && model_->hasPulse(channel, last + 1))
            ++last;
        last = std::max(last - 1, 0);
    }
    last = std::clamp(last, 0, WaveListModel::kRows);

    bool any = false;
    int hMin = 0, hMax = 0, wMin = 0, wMax = 0;
    for (int row = 1; row <= last; ++row) {
        if (!model_->hasPulse(channel, row) || model_->pno(channel, row) != picked)
            continue;
        const int h = model_->high(channel, row);
        const int w = model_->width(channel, row);
        if (!any) {
            any = true;
            hMin = hMax = h;
            wMin = wMax = w;
            continue;
        }
        hMin = std::min(hMin, h);
        hMax = std::max(hMax, h);
        wMin = std::min(wMin, w);
        wMax = std::max(wMax, w);
    }
    const auto show = [any](QLabel* box, int v) { box->setText(any ? QString::number(v) : QString()); };
    show(pnlHmin[size_t(channel)], hMin);
    show(pnlHmax[size_t(channel)], hMax);
    show(pnlWmin[size_t(channel)], wMin);
    show(pnlWmax[size_t(channel)], wMax);
}

} // namespace zovax
