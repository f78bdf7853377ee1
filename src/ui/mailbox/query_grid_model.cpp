#include "ui/mailbox/query_grid_model.h"

#include <QPointer>
#include <algorithm>

#include "ui/shell/typed_text.h"

namespace xunda {

QueryGridModel::QueryGridModel(RowPager& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    // The pager of a page may go before or after the page's widgets; a model gone hears nothing.
    grid_.SetResetListener([self = QPointer<QueryGridModel>(this)](bool before) {
        if (!self) return;
        if (before)
            self->beginResetModel();
        else
            self->endResetModel();
    });
    grid_.SetAppendListener(
        [self = QPointer<QueryGridModel>(this)](bool before, std::size_t first, std::size_t last) {
            if (!self) return;
            if (before)
                self->beginInsertRows({}, static_cast<int>(first), static_cast<int>(last));
            else
                self->endInsertRows();
        });
}

bool QueryGridModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && grid_.HasMore();
}

void QueryGridModel::fetchMore(const QModelIndex& parent) {
    if (!parent.isValid()) grid_.ReadRest();
}

int QueryGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.RowCount());
}

int QueryGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.Columns().size());
}

QVariant QueryGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return QString::fromStdString(
        grid_.Text(static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column())));
}

QVariant QueryGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromStdString(grid_.Columns().at(static_cast<std::size_t>(section)).title);
}

bool QueryGridModel::Editable(int column) const {
    const std::string& field = grid_.Columns().at(static_cast<std::size_t>(column)).field;
    return std::find(editable_.begin(), editable_.end(), field) != editable_.end();
}

Qt::ItemFlags QueryGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    return index.isValid() && Editable(index.column()) ? f | Qt::ItemIsEditable : f;
}

bool QueryGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !Editable(index.column())) return false;
    const std::string text = TypedText(value.toString());
    const std::string& field = grid_.Columns().at(static_cast<std::size_t>(index.column())).field;
    const bool stored = editor_(static_cast<std::size_t>(index.row()), field,
                                text.empty() ? std::nullopt : std::optional<std::string_view>(text));
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return stored;
}

}  // namespace xunda
