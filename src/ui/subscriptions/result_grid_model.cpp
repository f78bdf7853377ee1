#include "ui/subscriptions/result_grid_model.h"

namespace xunda {

ResultGridModel::ResultGridModel(std::function<const ResultSet&()> rows, std::vector<GridColumn> columns,
                                 QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)), columns_(std::move(columns)) {}

void ResultGridModel::Reset() {
    beginResetModel();
    endResetModel();
}

int ResultGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_().RecordCount());
}

int ResultGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const ResultSet& rows = rows_();
    const GridColumn& shown = columns_.at(static_cast<std::size_t>(index.column()));
    const auto column = rows.ColumnIndex(shown.field);
    if (!column) return {};
    const ResultSet::Value& value = rows.At(static_cast<std::size_t>(index.row()), *column);
    return QString::fromStdString(
        CellText(shown, value ? std::optional<std::string_view>(*value) : std::nullopt));
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromStdString(columns_.at(static_cast<std::size_t>(section)).title);
}

}  // namespace xunda
