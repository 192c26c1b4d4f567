#pragma once
// The code-table grid's model: 999 rows of 5 columns over the core's table.
// Model row r - 1 is table row r; model column c is the grid's column c, with
// column 0 the read-only "%04d" row label drawn like a header.
#include <QAbstractTableModel>

#include <functional>

namespace zovax {

class CodeTable;

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // traceMode tells whether the Carry column may be edited.
    TableModel(CodeTable& table, std::function<bool()> traceMode, QObject* parent = nullptr);

    static constexpr int kColumns = 5;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    CodeTable& table() { return table_; }
    // Sends the gathered change notice now (views refresh the changed rows),
    // unless notices are held.
    void flushChanges();
    // While held, change notices gather until the hold ends: for a bulk
    // exchange whose grid is drawn at intervals only. Ending it sends them.
    void holdChanges(bool hold);

signals:
    // Why a typed value was refused (the cell keeps its old value); queued, so
    // that it arrives once the editor has closed.
    void refused(const QString& message);

private:
    CodeTable& table_;
    std::function<bool()> traceMode_;
    int changedFirst_ = 0; // rows changed since the last notice (0: none)
    int changedLast_ = 0;
    bool held_ = false;
};

} // namespace zovax
