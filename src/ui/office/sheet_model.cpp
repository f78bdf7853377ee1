#include "ui/office/sheet_model.h"

#include "compose/excel_merge.h"

namespace xunda {

void SheetModel::SetSheet(SheetGrid sheet) {
    beginResetModel();
    sheet_ = std::move(sheet);
    endResetModel();
}

int SheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet_.rows.size());
}

int SheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet_.columns);
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return QString::fromStdString(
        sheet_.Cell(static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column())));
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return QString::fromStdString(ExcelColumnName(static_cast<std::size_t>(section)));
}

}  // namespace xunda
