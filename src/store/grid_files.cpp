#include "store/grid_files.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include "core/file_write.h"
#include "core/local_time.h"
#include "core/text_util.h"
#include "store/database.h"

namespace xunda {
namespace fs = std::filesystem;

namespace {

// "+5", "-0.5", "+8613800000000": a sign, then digits with at most one point among them.
bool SignedNumber(std::string_view text) {
    text.remove_prefix(1);
    std::size_t digits = 0;
    std::size_t points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c != '.' || ++points > 1)
            return false;
    }
    return digits > 0;
}

// Whether a spreadsheet opening the file would run the text as a formula.
bool RunsAsFormula(std::string_view text) {
    if (text.empty()) return false;
    const char first = text.front();
    if (first == '=' || first == '@') return true;
    return (first == '+' || first == '-') && !SignedNumber(text);
}

void AppendCsvValue(std::string& line, std::string_view value) {
    line += '"';
    if (RunsAsFormula(value)) line += '\'';
    for (char c : value) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

// One CSV export into `file`, written as the rows come: appended to what the file holds, the
// header first; on failure the file is cut back to what it held before.
class CsvExport {
  public:
    CsvExport(const std::vector<GridColumn>& columns, const fs::path& file)
        : columns_(columns), file_(file, FileWriter::Mode::Append) {
        if (file_.StartSize() == 0) out_ = "\xEF\xBB\xBF";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i) out_ += ',';
            AppendCsvValue(out_, columns[i].title);
        }
        out_ += "\r\n";
    }
    void SetColumns(const std::vector<std::string>& names) { index_ = FindGridFields(columns_, names); }
    template <typename Value>
    void AddRow(const std::vector<Value>& values) {
        for (std::size_t i = 0; i < index_.size(); ++i) {
            if (i) out_ += ',';
            const Value* v = index_[i] ? &values[*index_[i]] : nullptr;
            AppendCsvValue(
                out_, CellText(columns_[i], v && *v ? std::optional<std::string_view>(**v) : std::nullopt));
        }
        out_ += "\r\n";
        if (out_.size() >= kChunk) Flush();
    }
    bool Finish(bool rowsOk) {
        Flush();
        return rowsOk && file_.Commit();
    }

  private:
    static constexpr std::size_t kChunk = 1 << 20;
    void Flush() {
        file_.Write(out_);
        out_.clear();
    }

    const std::vector<GridColumn>& columns_;
    std::vector<std::optional<std::size_t>> index_;
    FileWriter file_;
    std::string out_;
};

}  // namespace

std::string CellText(const GridColumn& column, const std::optional<std::string_view>& value) {
    if (!column.yesNo || !value || value->empty()) return std::string(value.value_or(""));
    return *value == "0" ? "False" : "True";
}

std::vector<std::optional<std::size_t>> FindGridFields(const std::vector<GridColumn>& columns,
                                                       const std::vector<std::string>& names) {
    std::vector<std::optional<std::size_t>> index;
    for (const GridColumn& c : columns) {
        auto it = std::find_if(names.begin(), names.end(),
                               [&](const std::string& n) { return EqualsNoCase(n, c.field); });
        index.push_back(it == names.end() ? std::nullopt : std::optional<std::size_t>(it - names.begin()));
    }
    return index;
}

bool SaveDbGridToCsv(const ResultSet& rows, const std::vector<GridColumn>& columns, const fs::path& file) {
    CsvExport csv(columns, file);
    csv.SetColumns(rows.Columns());
    const std::size_t width = rows.Columns().size();
    std::vector<ResultSet::Value> row(width);
    for (std::size_t r = 0; r < rows.RecordCount(); ++r) {
        for (std::size_t i = 0; i < width; ++i) row[i] = rows.At(r, i);
        csv.AddRow(row);
    }
    return csv.Finish(true);
}

bool SaveDbGridToCsv(Database& db, std::string_view sql, const std::vector<GridColumn>& columns,
                     const fs::path& file) {
    CsvExport csv(columns, file);
    const bool read = db.pAdoQuery(
        sql, [&](const std::vector<std::string>& names) { csv.SetColumns(names); },
        [&](const RowValues& values) { csv.AddRow(values); });
    return csv.Finish(read);
}

std::optional<fs::path> SaveDistinctColumnToFile(const ResultSet& rows, std::string_view field,
                                                 const fs::path& folder) {
    std::vector<std::string> values;
    if (auto column = rows.ColumnIndex(field)) {
        for (std::size_t r = 0; r < rows.RecordCount(); ++r) {
            const ResultSet::Value& v = rows.At(r, *column);
            values.push_back(v ? *v : std::string());
        }
    }
    std::stable_sort(values.begin(), values.end(), LessNoCase);
    values.erase(std::unique(values.begin(), values.end(), EqualsNoCase), values.end());
    std::string text;
    for (const auto& v : values) text += v + "\n";

    std::string stamp = LocalTime("mobs_%Y%m%d%H%M%S");

    fs::path file = folder / stamp;
    auto writer = std::make_unique<FileWriter>(file, FileWriter::Mode::CreateNew);
    for (int n = 1; writer->OpenError() == EEXIST && n < 10000; ++n) {
        file = folder / (stamp + "_" + std::to_string(n));
        writer = std::make_unique<FileWriter>(file, FileWriter::Mode::CreateNew);
    }
    if (!writer->Write(text) || !writer->Commit()) return std::nullopt;
    return file;
}

}  // namespace xunda
