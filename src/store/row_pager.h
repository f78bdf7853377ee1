// The rows of one table's listing behind a grid, read lazily.
//
// Open reads the rowids of the listing's first block of rows, which is all a first screen needs;
// ReadRest reads the rowids of the rest (a grid asks for them when it is scrolled to the end of
// the rows it has). A listing holds the rows the table held when it was opened (rows added later
// stay out). A row's fields are read when asked for, a block of neighbouring rows at a time by
// rowid, and only a few blocks are held. No statement stays open between reads, and each read
// asks for the database anew (it is replaced on a change of account). A row deleted after its
// rowid was read reads as empty.
//
// OpenBusy reads a listing that may take long whole on a worker (touching nothing the pager shows)
// and then shows it on the thread that shows the pager.
//
//     RowPager grid([&] -> Database& { return shell.db(); }, columns);
//     grid.Open({"mt_bak", "corpID=" + SqlInt(corpID), "mtTime DESC"});
//     grid.ReadRest();
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

class AccountHost;

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
    // Read's count of rows for every row of a listing.
    static constexpr std::size_t kEveryRow = static_cast<std::size_t>(-1);

    RowPager(std::function<Database&()> db, std::vector<GridColumn> columns,
             std::size_t blockRows = kBlockRows);

    // Lists the rows of `query` (its first block). False when its statement
    // failed (reported by the runner): the list is then empty.
    bool Open(ListQuery query);
    // Lists every row of `query`, read by `host`'s RunBusy behind the busy window showing `text`:
    // the listing of a search, which may take long.
    bool OpenBusy(AccountHost& host, const std::string& text, ListQuery query);
    // Reads the rowids of the rest of the listing (nothing when there is none).
    void ReadRest();
    // Lists the rows of the last query again, as many at first as it did.
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
    // The listing as it lists its rows: the query without the rows that came after it was opened.
    ListQuery Listed() const;
    // The statement of the listing ("" before the first Open and after Clear).
    std::string Sql() const;
    const std::vector<GridColumn>& Columns() const { return columns_; }
    // The rows whose rowids have been read, and whether more may follow (ReadRest).
    std::size_t RowCount() const { return ids_.size(); }
    bool HasMore() const { return more_; }
    std::int64_t RowId(std::size_t row) const { return ids_.at(row); }
    // A field of a listed row by name; nullopt for NULL, a field the table lacks, a row gone.
    std::optional<std::string> Field(std::size_t row, std::string_view name);
    // The text a grid column shows for a row ("" for NULL).
    std::string Text(std::size_t row, std::size_t column);
    // Blocks of rows held in memory.
    std::size_t HeldBlocks() const { return blocks_.size(); }

    // Called before (true) and after (false) the list changes as a whole.
    void SetResetListener(std::function<void(bool before)> listener) { listener_ = std::move(listener); }
    // Called before (true) and after (false) ReadRest adds the rows `first` to `last`.
    void SetAppendListener(std::function<void(bool before, std::size_t first, std::size_t last)> listener) {
        appendListener_ = std::move(listener);
    }

  private:
    // A listing as read from the database, ready to be shown.
    struct Listing {
        ListQuery query;
        std::size_t rows = 0;           // the rows asked for
        std::int64_t lastRowid = 0;     // the table's rows past it came after the listing
        std::vector<std::int64_t> ids;  // the rowids of the first rows, in list order
        bool more = false;              // rows past `ids` may follow
        bool ok = false;                // false: a statement failed (reported by the runner)
    };

    // Reads the listing of `query`: the rowids of its first `rows` rows. Any thread; the pager is
    // left as it is.
    Listing Read(ListQuery query, std::size_t rows) const;
    // Lists the rows of a listing Read gave; false when its reading failed (the list is then empty).
    bool Show(Listing listing);

    struct Block {
        std::size_t first = 0;                          // the block's first row
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
    std::size_t blockRows_;
    std::function<void(bool)> listener_;
    std::function<void(bool, std::size_t, std::size_t)> appendListener_;
    ListQuery query_;
    bool open_ = false;
    std::size_t rows_ = 0;
    std::int64_t lastRowid_ = 0;
    std::vector<std::int64_t> ids_;
    bool more_ = false;
    std::vector<std::string> names_;                     // the table's columns, as a block read found them
    std::vector<std::optional<std::size_t>> gridIndex_;  // columns_ among names_
    std::vector<Block> blocks_;
};

}  // namespace xunda
