// The SQL helpers of the test fixtures: a fixture derives from SqlHelpers and names its database.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/text_util.h"
#include "store/database.h"

namespace xunda::test {

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

  protected:
    virtual Database& SqlDatabase() = 0;
};

}  // namespace xunda::test
