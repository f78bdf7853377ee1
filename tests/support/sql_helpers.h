// The SQL helpers of the test fixtures: a fixture derives from SqlHelpers and names its database.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/text_util.h"
#include "store/database.h"
#include "store/row_pager.h"

namespace xunda::test {

// Whether some connection holds a write transaction on the file: a write of another would wait.
inline bool WriteLocked(const std::filesystem::path& file) {
    sqlite3* c = nullptr;  // no busy timeout: a held lock answers SQLITE_BUSY at once
    sqlite3_open_v2(file.c_str(), &c, SQLITE_OPEN_READWRITE, nullptr);
    const bool locked = sqlite3_exec(c, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_BUSY;
    sqlite3_exec(c, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(c);
    return locked;
}

class SqlHelpers {
  public:
    virtual ~SqlHelpers() = default;

    // Runs a statement; the test fails when it fails.
    void Exec(const std::string& sql) { ASSERT_TRUE(SqlDatabase().pAdoCom(sql)) << sql; }
    // Each row of a query as its columns joined by " " (NULL as "NULL").
    std::vector<std::string> Records(const std::string& sql) {
        std::vector<std::string> rows;
        const ResultSet rs = SqlDatabase().pAdoQuery(sql);
        for (std::size_t r = 0; r < rs.RecordCount(); ++r) {
            std::string& row = rows.emplace_back();
            for (std::size_t c = 0; c < rs.Columns().size(); ++c)
                row.append(c ? " " : "").append(rs.At(r, c).value_or("NULL"));
        }
        return rows;
    }
    // The rows joined by "|".
    std::string Rows(const std::string& sql) {
        std::string out;
        for (const std::string& row : Records(sql)) (out += out.empty() ? "" : "|") += row;
        return out;
    }
    // The first row ("" when there is none).
    std::string Value(const std::string& sql) {
        const std::vector<std::string> rows = Records(sql);
        return rows.empty() ? "" : rows.front();
    }
    // The first row as a number (a COUNT(*) and the like); -1 when it is none.
    std::int64_t Count(const std::string& sql) { return ParseInt(Value(sql)).value_or(-1); }
    // One field of every row a grid lists, all of them read.
    static std::vector<std::string> Listed(RowPager& grid, const char* field) {
        grid.ReadRest();
        std::vector<std::string> values;
        for (std::size_t r = 0; r < grid.RowCount(); ++r) values.push_back(grid.Field(r, field).value_or(""));
        return values;
    }

  protected:
    virtual Database& SqlDatabase() = 0;
};

}  // namespace xunda::test
