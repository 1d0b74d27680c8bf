#pragma once
// A series' table rows for a view: the compact rows as they were loaded,
// formatted only when a cell is shown (date, time, R0 .. R9), so hundreds of
// thousands of rows cost a few tens of megabytes.
#include "chart/SeriesLoad.h"

#include <QAbstractTableModel>
#include <vector>

namespace k71t {

class SeriesTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int Columns = 12;

    explicit SeriesTableModel(const std::vector<SeriesRow> &rows, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // "Data", "Czas", "R0" .. "R9".
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The rows are changed by whoever owns them; the views learn of it
    // through these, called around every change.
    void beginChange() { beginResetModel(); }
    void endChange() { endResetModel(); }

    // The text of one cell, as the view shows it.
    static QString cellText(const SeriesRow &row, int column);

private:
    const std::vector<SeriesRow> &rows_;
};

} // namespace k71t
