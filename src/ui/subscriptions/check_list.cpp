#include "ui/subscriptions/check_list.h"

#include <algorithm>

namespace xunda {

void CheckListModel::Fill(std::vector<std::string> names) {
    beginResetModel();
    names_ = std::move(names);
    ticked_.assign(names_.size(), false);
    endResetModel();
}

void CheckListModel::TickAll(bool ticked) {
    if (names_.empty()) return;
    std::fill(ticked_.begin(), ticked_.end(), ticked);
    emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
}

std::vector<std::string> CheckListModel::TickedNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (ticked_[i]) names.push_back(names_[i]);
    return names;
}

int CheckListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole) return QString::fromStdString(names_[row]);  // only rows shown ask
    if (role == Qt::CheckStateRole) return ticked_[row] ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool CheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
    ticked_[static_cast<std::size_t>(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

CheckList::CheckList(QWidget* parent) : QListView(parent), model_(new CheckListModel(this)) {
    setUniformItemSizes(true);  // one row's height serves every row: no item is measured on its own
    setModel(model_);
}

std::optional<std::string> CheckList::Highlighted() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return std::nullopt;
    return current.data().toString().toStdString();
}

}  // namespace xunda
