// Files written from the rows behind a grid: CSV exports and number-list files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/result_set.h"

namespace xunda {

class Database;

// A grid column: its title caption and the field it shows.
struct GridColumn {
    std::string title;
    std::string field;
};

// Appends to `file` (created when missing) a header line of the column titles and one line per
// row, every value between double quotes with inner double quotes doubled, NULL as "", commas
// between, CRLF at the end of each line. A new file starts with a UTF-8 byte-order mark so
// spreadsheets read it. False when the file cannot be written. The rows' cursor is not moved.
// When the file cannot be written, it keeps what it held before.
bool SaveDbGridToCsv(const ResultSet& rows, const std::vector<GridColumn>& columns,
                     const std::filesystem::path& file);
// The same for the rows of a statement, written as they are read (no more than a chunk of the
// file is held in memory); a failed statement also leaves the file as it was.
bool SaveDbGridToCsv(Database& db, std::string_view sql, const std::vector<GridColumn>& columns,
                     const std::filesystem::path& file);

// Writes the distinct values of one field over all rows (sorted without regard to case, each
// once, one per line) to a new file "mobs_<YYYYMMDDHHNNSS>" in `folder`, or, when that name is
// taken, "mobs_<YYYYMMDDHHNNSS>_<n>". Returns the file's path, or nullopt when it cannot be written.
std::optional<std::filesystem::path> SaveDistinctColumnToFile(const ResultSet& rows, std::string_view field,
                                                              const std::filesystem::path& folder);

}  // namespace xunda
