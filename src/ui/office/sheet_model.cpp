#include "ui/office/sheet_model.h"

#include "compose/excel_merge.h"
#include "core/unicode.h"

namespace xunda {
namespace {

// Most of a cell's text the grid shows: more than a screen holds, however long the cell (up to
// 32,767 characters).
constexpr std::size_t kShownBytes = 4096;

}  // namespace

void SheetModel::SetSheet(std::shared_ptr<const SheetGrid> sheet) {
    beginResetModel();
    sheet_ = std::move(sheet);
    endResetModel();
}

int SheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet_->Rows());
}

int SheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet_->Columns());
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    std::string_view text =
        sheet_->Cell(static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column()));
    if (text.size() > kShownBytes) {  // cut before a character, not inside one
        std::size_t end = 0;
        for (std::size_t next; (next = end + DecodeUtf8(text, end).length) <= kShownBytes;) end = next;
        text = text.substr(0, end);
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return QString::fromStdString(ExcelColumnName(static_cast<std::size_t>(section)));
}

}  // namespace xunda
