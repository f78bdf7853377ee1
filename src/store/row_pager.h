// The rows of one table's listing behind a grid, read lazily.
//
// Open reads the listed rowids in the listing's order and nothing else; a row's fields are read
// when asked for, a block of neighbouring rows at a time by rowid, and only a few blocks are held.
// No statement stays open between reads, and each read asks for the database anew (it is replaced
// on a change of account). A row deleted after the listing reads as empty.
//
//     RowPager grid([&] -> Database& { return shell.db(); }, columns);
//     grid.Open({"mt_bak", "corpID=" + SqlInt(corpID), "mtTime DESC"});
//     for (std::size_t r = 0; r < grid.RowCount(); ++r) Show(grid.Text(r, 0));
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "store/grid_files.h"

namespace xunda {

// A listing: "SELECT * FROM <table> [WHERE <where>] [ORDER BY <orderBy>] [LIMIT <limit>]".
struct ListQuery {
    std::string table;
    std::string where;    // may be empty
    std::string orderBy;  // may be empty
    int limit = 0;        // 0: every row

    // The listing selecting `what` in place of "*".
    std::string Select(std::string_view what = "*") const;
};

class RowPager {
  public:
    static constexpr std::size_t kBlockRows = 128;
    static constexpr std::size_t kHeldBlocks = 16;

    RowPager(std::function<Database&()> db, std::vector<GridColumn> columns);

    // Lists the rows of `query`. False when its statement failed (reported by the runner): the
    // list is then empty.
    bool Open(ListQuery query);
    // Lists the rows of the last query again.
    bool Refresh();
    // Empties the list and forgets its query (the database was closed).
    void Clear();
    // Takes one row out of the list (it has been deleted).
    void Remove(std::size_t row);
    // The grid's fields of a listed row with the values it shows (Database::DeleteRow).
    ShownFields Shown(std::size_t row);
    // Deletes a listed row and takes it out of the list, or writes a text (or NULL) into one of its
    // fields; a row gone or changed since it was shown is refused. False when refused.
    bool Delete(std::size_t row);
    bool Update(std::size_t row, std::string_view field, const std::optional<std::string_view>& text);

    const ListQuery& Query() const { return query_; }
    // The statement of the listing ("" before the first Open and after Clear).
    std::string Sql() const;
    const std::vector<GridColumn>& Columns() const { return columns_; }
    std::size_t RowCount() const { return ids_.size(); }
    std::int64_t RowId(std::size_t row) const { return ids_.at(row); }
    // A field of a listed row by name; nullopt for NULL, a field the table lacks, a row gone.
    std::optional<std::string> Field(std::size_t row, std::string_view name);
    // The text a grid column shows for a row ("" for NULL).
    std::string Text(std::size_t row, std::size_t column);
    // Blocks of rows held in memory.
    std::size_t HeldBlocks() const { return blocks_.size(); }

    // Called before (true) and after (false) the list changes as a whole.
    void SetResetListener(std::function<void(bool before)> listener) { listener_ = std::move(listener); }

  private:
    struct Block {
        std::size_t first = 0;  // the block's first row
        std::vector<std::optional<std::string>> cells;  // rows x names_, in list order
        std::vector<bool> found;
    };
    Block& Hold(std::size_t row);
    void Read(Block& block);
    // The value of a held row at `column` of names_; null when there is none.
    const std::optional<std::string>* Cell(const Block& block, std::size_t row,
                                           std::optional<std::size_t> column) const;
    void Notify(bool before);

    std::function<Database&()> db_;
    std::vector<GridColumn> columns_;
    std::function<void(bool)> listener_;
    ListQuery query_;
    bool open_ = false;
    std::vector<std::int64_t> ids_;
    std::vector<std::string> names_;  // the table's columns, as a block read found them
    std::vector<std::optional<std::size_t>> gridIndex_;  // columns_ among names_
    std::vector<Block> blocks_;
};

}  // namespace xunda
