// The rows a query returned, read whole into memory, with a cursor over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xunda {

class ResultSet {
  public:
    using Value = std::optional<std::string>;  // nullopt is SQL NULL; numbers come as their text

    ResultSet() = default;
    ResultSet(std::string sql, std::vector<std::string> columns);

    // The statement that produced the rows (run it again to refresh a page).
    const std::string& Sql() const { return sql_; }
    const std::vector<std::string>& Columns() const { return columns_; }
    // Index of a column, compared without regard to case; nullopt when there is none.
    std::optional<std::size_t> ColumnIndex(std::string_view name) const;

    std::size_t RecordCount() const { return columns_.empty() ? 0 : cells_.size() / columns_.size(); }
    bool Empty() const { return RecordCount() == 0; }
    const Value& At(std::size_t row, std::size_t column) const {
        return cells_[row * columns_.size() + column];
    }

    // Cursor: starts on the first row; Eof() once it is past the last one.
    bool Eof() const { return row_ >= RecordCount(); }
    void First() { row_ = 0; }
    void Next() { ++row_; }
    std::size_t Position() const { return row_; }

    // Fields of the current row by column name. A name the statement did not select throws
    // std::out_of_range (a mistake in the calling code, not in the data).
    const Value& Field(std::string_view name) const;
    bool IsNull(std::string_view name) const { return !Field(name).has_value(); }
    // The text of a field; "" for NULL.
    std::string AsString(std::string_view name) const;
    // The number in a field; 0 for NULL or a text that is not a number.
    std::int64_t AsInt(std::string_view name) const;
    // The current row's rowid: the statement must select it as "rowid AS rowid".
    std::int64_t RowId() const { return AsInt("rowid"); }

    // False when the statement failed (the runner has reported it); the set then has no rows.
    bool Ok() const { return ok_; }

    // Filled by the runner.
    void AppendCell(Value v) { cells_.push_back(std::move(v)); }
    void MarkFailed() {
        cells_.clear();
        ok_ = false;
    }

  private:
    std::string sql_;
    std::vector<std::string> columns_;
    std::vector<Value> cells_;
    std::size_t row_ = 0;
    bool ok_ = true;
};

}  // namespace xunda
