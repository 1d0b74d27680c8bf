#include "chart/SeriesTableModel.h"

#include "chart/Series.h"
#include "common/DateFormats.h"

namespace k71t {

SeriesTableModel::SeriesTableModel(const std::vector<SeriesRow> &rows, QObject *parent)
    : QAbstractTableModel(parent), rows_(rows)
{
}

int SeriesTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SeriesTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QString SeriesTableModel::cellText(const SeriesRow &row, int column)
{
    char text[32];
    if (column == 0 || column == 1) {
        const int length = writeDateTimeKeys(row.dateKey, row.timeKey, ' ', text);
        // "YYYY-MM-DD HH:MM:SS": the date is before the blank, the time after it.
        const int blank = length - 9;
        return column == 0 ? QString::fromLatin1(text, blank) : QString::fromLatin1(text + blank + 1, 8);
    }
    return formatSeriesValue(row.R[column - 2]);
}

QVariant SeriesTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    return cellText(rows_[static_cast<std::size_t>(index.row())], index.column());
}

QVariant SeriesTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section == 0)
        return QStringLiteral("Data");
    if (section == 1)
        return QStringLiteral("Czas");
    return QStringLiteral("R%1").arg(section - 2);
}

} // namespace k71t
