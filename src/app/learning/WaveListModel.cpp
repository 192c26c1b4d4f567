#include "app/learning/WaveListModel.h"

#include <QApplication>
#include <QPalette>

namespace zovax {

WaveListModel::WaveListModel(QObject* parent) : QAbstractTableModel(parent)
{
    for (int c = 0; c < kChannels; ++c) {
        rows_[size_t(c)].resize(kRows);
        logic_[size_t(c)].resize(kRows);
    }
}

int WaveListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kRows;
}

int WaveListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QString WaveListModel::cellText(int column, int row) const
{
    if (column < 0 || column >= kColumns || row < 1 || row > kRows)
        return {};
    const int channel = channelOfColumn(column);
    const Row& r = at(channel, row);
    switch (partOfColumn(column)) {
    case kLabel: return QString::asprintf("[%5d ] ", row - 1);
    case kHigh: return r.filled ? QString::asprintf("%7d ", r.high) : QString();
    case kWidth: return r.filled ? QString::asprintf("%7d ", r.width) : QString();
    case kPno: return r.filled ? QString::asprintf("%4d ", r.pno) : QString();
    case kLogic: return logic_[size_t(channel)][size_t(row - 1)];
    }
    return {};
}

QVariant WaveListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: return cellText(index.column(), index.row() + 1);
    case Qt::TextAlignmentRole: return int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // The first column is the list's fixed column, drawn like a header.
        if (index.column() == 0)
            return QApplication::palette().brush(QPalette::Button);
        return {};
    case Qt::ForegroundRole:
        if (index.column() == 0)
            return QApplication::palette().brush(QPalette::ButtonText);
        return {};
    default: return {};
    }
}

QVariant WaveListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (partOfColumn(section)) {
    case kLabel: return QString::asprintf("Wno:%d ", channelOfColumn(section) + 1);
    case kHigh: return QStringLiteral("High ");
    case kWidth: return QStringLiteral("Width ");
    case kPno: return QStringLiteral("Pno ");
    case kLogic: return QStringLiteral("Logic");
    }
    return {};
}

Qt::ItemFlags WaveListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable; // never editable
}

void WaveListModel::touched(int channel, int row)
{
    int& used = usedRows_[size_t(channel)];
    if (row > used)
        used = row;
}

void WaveListModel::setPulse(int channel, int row, int high, int width, int pno)
{
    if (!valid(channel, row))
        return;
    Row& r = at(channel, row);
    r.high = high;
    r.width = width;
    r.pno = pno;
    r.filled = true;
    touched(channel, row);
    emit dataChanged(index(row - 1, columnOf(channel, kHigh)), index(row - 1, columnOf(channel, kPno)),
                     {Qt::DisplayRole});
}

void WaveListModel::setLogic(int channel, int row, const QString& text)
{
    if (!valid(channel, row))
        return;
    logic_[size_t(channel)][size_t(row - 1)] = text;
    touched(channel, row);
    const QModelIndex i = index(row - 1, columnOf(channel, kLogic));
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void WaveListModel::clearChannel(int channel)
{
    if (channel < 0)
        return;
    const int first = channel >= kChannels ? 0 : channel;
    const int last = channel >= kChannels ? kChannels - 1 : channel;
    for (int c = first; c <= last; ++c) {
        const int used = usedRows_[size_t(c)];
        if (used == 0)
            continue;
        auto& rows = rows_[size_t(c)];
        auto& logic = logic_[size_t(c)];
        for (int row = 1; row <= used; ++row) {
            rows[size_t(row - 1)] = Row();
            logic[size_t(row - 1)].clear();
        }
        usedRows_[size_t(c)] = 0;
        emit dataChanged(index(0, columnOf(c, kHigh)), index(used - 1, columnOf(c, kLogic)), {Qt::DisplayRole});
    }
}

bool WaveListModel::hasPulse(int channel, int row) const
{
    return valid(channel, row) && at(channel, row).filled;
}

int WaveListModel::high(int channel, int row) const
{
    return hasPulse(channel, row) ? at(channel, row).high : 0;
}

int WaveListModel::width(int channel, int row) const
{
    return hasPulse(channel, row) ? at(channel, row).width : 0;
}

int WaveListModel::pno(int channel, int row) const
{
    return hasPulse(channel, row) ? at(channel, row).pno : 0;
}

QString WaveListModel::logic(int channel, int row) const
{
    return valid(channel, row) ? logic_[size_t(channel)][size_t(row - 1)] : QString();
}

} // namespace zovax
