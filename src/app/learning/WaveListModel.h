#pragma once
// The wave data list's model: 4096 rows (pulses 0..4095) of 20 columns, five
// per channel: the pulse label "[%5d ] ", High "%7d ", Width "%7d ", the
// pattern number "%4d " and the logic value ("0 " / "1 "). Model row r - 1 is
// the list's row r; the header row is the view's horizontal header. Cells hold
// numbers and are formatted when shown; a cell is empty until written.
#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace zovax {

class WaveListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kChannels = 4;
    static constexpr int kColumnsPerChannel = 5;
    static constexpr int kColumns = kChannels * kColumnsPerChannel; // 20
    static constexpr int kRows = 4096;                              // list rows 1..4096
    // Column offsets inside a channel's five columns.
    enum Part { kLabel = 0, kHigh = 1, kWidth = 2, kPno = 3, kLogic = 4 };

    explicit WaveListModel(QObject* parent = nullptr);

    static int columnOf(int channel, Part part) { return channel * kColumnsPerChannel + part; }
    static int channelOfColumn(int column) { return column / kColumnsPerChannel; }
    static Part partOfColumn(int column) { return Part(column % kColumnsPerChannel); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Writes High, Width and pattern number of list row `row` (1..4096) of
    // `channel` (0..3). Out-of-range rows or channels are ignored.
    void setPulse(int channel, int row, int high, int width, int pno);
    // The logic cell of a row: "0 " / "1 " as written by code extraction.
    void setLogic(int channel, int row, const QString& text);
    // Empties columns 1..4 of every row of the channel (4 and above: all channels).
    void clearChannel(int channel);

    // Cell values; `has` tells whether the pulse cells of the row are filled.
    bool hasPulse(int channel, int row) const;
    int high(int channel, int row) const;  // 0 when empty
    int width(int channel, int row) const; // 0 when empty
    int pno(int channel, int row) const;   // 0 when empty
    QString logic(int channel, int row) const;
    // Text of a cell as the list shows it (empty cells: "").
    QString cellText(int column, int row) const;

private:
    struct Row {
        int32_t high = 0;
        int32_t width = 0;
        int32_t pno = 0;
        bool filled = false;
    };
    static bool valid(int channel, int row) { return channel >= 0 && channel < kChannels && row >= 1 && row <= kRows; }
    Row& at(int channel, int row) { return rows_[size_t(channel)][size_t(row - 1)]; }
    const Row& at(int channel, int row) const { return rows_[size_t(channel)][size_t(row - 1)]; }
    void touched(int channel, int row);

    std::array<std::vector<Row>, kChannels> rows_;
    std::array<std::vector<QString>, kChannels> logic_;
    std::array<int, kChannels> usedRows_{}; // highest row written since the last clear
};

} // namespace zovax
