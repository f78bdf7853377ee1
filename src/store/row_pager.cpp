#include "store/row_pager.h"

#include <algorithm>
#include <unordered_map>

#include "core/text_util.h"
#include "store/account_host.h"
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

RowPager::RowPager(std::function<Database&()> db, std::vector<GridColumn> columns, std::size_t blockRows)
    : db_(std::move(db)), columns_(std::move(columns)), blockRows_(blockRows) {}

namespace {

// The listing without the rows past `lastRowid`, which came after it was opened. The rowid is
// compared, not searched by: the listing's own index stays the way to its rows.
ListQuery UpTo(ListQuery query, std::int64_t lastRowid) {
    query.where = (query.where.empty() ? "" : "(" + query.where + ") AND ") + "+rowid<=" + SqlInt(lastRowid);
    return query;
}

}  // namespace

RowPager::Listing RowPager::Read(ListQuery query, std::size_t rows) const {
    Database& db = db_();
    Listing listing;
    listing.rows = rows;
    const ResultSet last = db.pAdoQuery("SELECT MAX(rowid) AS last FROM " + query.table);
    listing.lastRowid = last.Eof() ? 0 : last.AsInt("last");
    listing.query = std::move(query);
    ListQuery first = UpTo(listing.query, listing.lastRowid);
    const bool fewer =
        rows != kEveryRow && (first.limit == 0 || rows < static_cast<std::size_t>(first.limit));
    if (fewer) first.limit = static_cast<int>(rows);
    listing.ok = last.Ok() && db.ReadIds(first.Select("rowid"), listing.ids);
    if (!listing.ok) listing.ids.clear();
    listing.more = listing.ok && fewer && listing.ids.size() == rows;
    listing.ids.shrink_to_fit();
    return listing;
}

bool RowPager::Open(ListQuery query) {
    return Show(Read(std::move(query), blockRows_));
}

bool RowPager::Show(Listing listing) {
    Notify(true);
    query_ = std::move(listing.query);
    open_ = true;
    rows_ = listing.rows;
    lastRowid_ = listing.lastRowid;
    ids_ = std::move(listing.ids);
    more_ = listing.more;
    blocks_.clear();
    Notify(false);
    return listing.ok;
}

ListQuery RowPager::Listed() const {
    return UpTo(query_, lastRowid_);
}

bool RowPager::OpenBusy(AccountHost& host, const std::string& text, ListQuery query) {
    Listing listing;
    host.RunBusy(text, [&] { listing = Read(std::move(query), kEveryRow); });
    return Show(std::move(listing));
}

void RowPager::ReadRest() {
    if (!more_) return;
    more_ = false;
    // The rest as the table holds it now: rows the page deleted meanwhile are out of the list
    // already, and the offset counts without them.
    ListQuery rest = UpTo(query_, lastRowid_);
    const std::size_t offset = ids_.size();
    const std::string limit =
        rest.limit > 0 ? std::to_string(static_cast<std::size_t>(rest.limit) - offset) : "-1";
    rest.limit = 0;
    std::vector<std::int64_t> ids;
    db_().ReadIds(rest.Select("rowid") + " LIMIT " + limit + " OFFSET " + std::to_string(offset), ids);
    if (ids.empty()) return;
    if (appendListener_) appendListener_(true, offset, offset + ids.size() - 1);
    ids_.insert(ids_.end(), ids.begin(), ids.end());
    ids_.shrink_to_fit();
    if (appendListener_) appendListener_(false, offset, offset + ids.size() - 1);
}

bool RowPager::Refresh() {
    if (!open_) return false;
    return Show(Read(query_, rows_));
}

void RowPager::Clear() {
    Notify(true);
    query_ = ListQuery{};
    open_ = false;
    ids_ = {};
    more_ = false;
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

ShownFields RowPager::Shown(std::size_t row) {
    const Block& block = Hold(row);
    ShownFields shown;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const std::optional<std::size_t> at = gridIndex_[c];
        if (!at ||
            std::any_of(shown.begin(), shown.end(), [&](const auto& f) { return f.first == names_[*at]; }))
            continue;
        const auto* cell = Cell(block, row, at);
        shown.emplace_back(names_[*at], cell ? *cell : std::nullopt);
    }
    return shown;
}

bool RowPager::Delete(std::size_t row) {
    if (row >= ids_.size() || !db_().DeleteRow(query_.table, ids_[row], Shown(row))) return false;
    Remove(row);
    return true;
}

bool RowPager::Update(std::size_t row, std::string_view field, const std::optional<std::string_view>& text) {
    if (row >= ids_.size()) return false;
    const bool ok = db_().UpdateRow(query_.table, ids_[row], field, text, Shown(row));
    std::erase_if(blocks_, [&](const Block& b) { return row >= b.first && row < b.first + blockRows_; });
    return ok;
}

std::string RowPager::Sql() const {
    return open_ ? query_.Select() : std::string();
}

std::optional<std::string> RowPager::Field(std::size_t row, std::string_view name) {
    const Block& block = Hold(row);  // reads the table's column names with the first block
    auto it = std::find_if(names_.begin(), names_.end(),
                           [&](const std::string& n) { return EqualsNoCase(n, name); });
    const auto* cell =
        Cell(block, row, it == names_.end() ? std::nullopt : std::optional<std::size_t>(it - names_.begin()));
    return cell ? *cell : std::nullopt;
}

std::string RowPager::Text(std::size_t row, std::size_t column) {
    const Block& block = Hold(row);
    const auto* cell = Cell(block, row, gridIndex_.at(column));
    return CellText(columns_[column], cell && *cell ? std::optional<std::string_view>(**cell) : std::nullopt);
}

const std::optional<std::string>* RowPager::Cell(const Block& block, std::size_t row,
                                                 std::optional<std::size_t> column) const {
    const std::size_t at = row - block.first;
    if (!column || !block.found[at]) return nullptr;
    return &block.cells[at * names_.size() + *column];
}

RowPager::Block& RowPager::Hold(std::size_t row) {
    if (row >= ids_.size()) throw std::out_of_range("no listed row " + std::to_string(row));
    const std::size_t first = row - row % blockRows_;
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
    const std::size_t count = std::min(blockRows_, ids_.size() - block.first);
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
