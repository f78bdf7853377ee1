#include "store/row_pager.h"

#include <algorithm>
#include <unordered_map>

#include "core/text_util.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

std::string ListQuery::Select(std::string_view what) const {
    std::string sql = "SELECT " + std::string(what) + " FROM " + table;
    if (!where.empty()) sql += " WHERE " + where;
    if (!orderBy.empty()) sql += " ORDER BY " + orderBy;
    if (limit > 0) sql += " LIMIT " + std::to_string(limit);
    return sql;
}

RowPager::RowPager(std::function<Database&()> db, std::vector<GridColumn> columns)
    : db_(std::move(db)), columns_(std::move(columns)) {}

bool RowPager::Open(ListQuery query) {
    Notify(true);
    query_ = std::move(query);
    open_ = true;
    ids_.clear();
    blocks_.clear();
    const bool ok = db_().ReadIds(query_.Select("rowid"), ids_);
    if (!ok) ids_.clear();
    ids_.shrink_to_fit();
    Notify(false);
    return ok;
}

bool RowPager::Refresh() {
    if (!open_) return false;
    return Open(query_);
}

void RowPager::Clear() {
    Notify(true);
    query_ = ListQuery{};
    open_ = false;
    ids_ = {};
    blocks_.clear();
    Notify(false);
}

void RowPager::Remove(std::size_t row) {
    if (row >= ids_.size()) return;
    Notify(true);
    ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(row));
    blocks_.clear();
    Notify(false);
}

bool RowPager::Update(std::size_t row, std::string_view field, const std::optional<std::string_view>& text) {
    if (row >= ids_.size()) return false;
    const bool ok = db_().UpdateRow(query_.table, ids_[row], field, text);
    std::erase_if(blocks_, [&](const Block& b) { return row >= b.first && row < b.first + kBlockRows; });
    return ok;
}

std::string RowPager::Sql() const {
    return open_ ? query_.Select() : std::string();
}

std::optional<std::string> RowPager::Field(std::size_t row, std::string_view name) {
    const Block& block = Hold(row);  // reads the table's column names with the first block
    auto it = std::find_if(names_.begin(), names_.end(),
                           [&](const std::string& n) { return EqualsNoCase(n, name); });
    const auto* cell = Cell(block, row, it == names_.end() ? std::nullopt : std::optional<std::size_t>(it - names_.begin()));
    return cell ? *cell : std::nullopt;
}

std::string RowPager::Text(std::size_t row, std::size_t column) {
    const Block& block = Hold(row);
    const auto* cell = Cell(block, row, gridIndex_.at(column));
    return cell && *cell ? **cell : std::string();
}

const std::optional<std::string>* RowPager::Cell(const Block& block, std::size_t row,
                                                 std::optional<std::size_t> column) const {
    const std::size_t at = row - block.first;
    if (!column || !block.found[at]) return nullptr;
    return &block.cells[at * names_.size() + *column];
}

RowPager::Block& RowPager::Hold(std::size_t row) {
    if (row >= ids_.size()) throw std::out_of_range("no listed row " + std::to_string(row));
    const std::size_t first = row - row % kBlockRows;
    // Blocks are kept in the order of their last use, the latest at the back.
    if (!blocks_.empty() && blocks_.back().first == first) return blocks_.back();
    auto it = std::find_if(blocks_.begin(), blocks_.end(), [&](const Block& b) { return b.first == first; });
    if (it != blocks_.end()) {
        std::rotate(it, it + 1, blocks_.end());
        return blocks_.back();
    }
    if (blocks_.size() >= kHeldBlocks) blocks_.erase(blocks_.begin());
    Block& block = blocks_.emplace_back();
    block.first = first;
    Read(block);
    return block;
}

void RowPager::Read(Block& block) {
    const std::size_t count = std::min(kBlockRows, ids_.size() - block.first);
    std::unordered_map<std::int64_t, std::size_t> slot;
    std::string list;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t id = ids_[block.first + i];
        slot.emplace(id, i);
        if (i) list += ',';
        list += SqlInt(id);
    }
    block.found.assign(count, false);
    db_().pAdoQuery(
        "SELECT rowid AS rowid, * FROM " + query_.table + " WHERE rowid IN (" + list + ")",
        [&](const std::vector<std::string>& names) {
            if (names != names_) {
                names_ = names;
                gridIndex_ = FindGridFields(columns_, names_);
            }
            block.cells.assign(count * names_.size(), std::nullopt);
        },
        [&](const RowValues& values) {
            // A row whose rowid cannot be read matches no listed row: it shows as gone.
            const std::optional<std::int64_t> id = values[0] ? ParseInt(*values[0]) : std::nullopt;
            auto found = id ? slot.find(*id) : slot.end();
            if (found == slot.end()) return;
            block.found[found->second] = true;
            for (std::size_t c = 0; c < values.size(); ++c)
                if (values[c]) block.cells[found->second * names_.size() + c] = std::string(*values[c]);
        });
    if (gridIndex_.size() != columns_.size()) gridIndex_.assign(columns_.size(), std::nullopt);
}

void RowPager::Notify(bool before) {
    if (listener_) listener_(before);
}

}  // namespace xunda
