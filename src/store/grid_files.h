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

// A grid column: its title caption and the field it shows; a yes/no field shows "True" or "False".
struct GridColumn {
    std::string title;
    std::string field;
    bool yesNo = false;
};

// The text a grid column shows for a value ("" for NULL); exports write the same text.
std::string CellText(const GridColumn& column, const std::optional<std::string_view>& value);

// Where each grid column's field stands among a statement's column names (compared without regard
// to case); nullopt for a field the statement does not select.
std::vector<std::optional<std::size_t>> FindGridFields(const std::vector<GridColumn>& columns,
                                                       const std::vector<std::string>& names);

// Appends to `file` (created when missing) a header line of the column titles and one line per
// row, every value as its grid shows it (CellText) between double quotes with inner double quotes
// doubled, commas between, CRLF at the end of each line. A text a spreadsheet would run as a
// formula (starting with "=", "+", "-" or "@", unless it is a plain number such as +8613800000000)
// gets an apostrophe in front so that it stays text (a leading tab would too, but importers that
// trim blanks drop it, and the formula runs again). A new file starts with a UTF-8 byte-order mark so
// spreadsheets read it. False when the file cannot be written. The rows' cursor is not moved. When the file
// cannot be written, it keeps what it held before.
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
