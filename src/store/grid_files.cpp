#include "store/grid_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "core/local_time.h"
#include "core/text_util.h"
#include "store/database.h"
#include "store/file_write.h"

namespace xunda {
namespace fs = std::filesystem;

namespace {

void AppendCsvValue(std::string& line, std::string_view value) {
    line += '"';
    for (char c : value) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

// Creates `file` exclusively (0600); -1 when it exists or cannot be made.
int CreateExclusive(const fs::path& file) {
    return ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}

// One CSV export into `file`, written as the rows come: appended to what the file holds, the
// header first; on failure the file is cut back to what it held before.
class CsvExport {
  public:
    CsvExport(const std::vector<GridColumn>& columns, const fs::path& file) : columns_(columns) {
        fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        struct stat st {};
        ok_ = ::fstat(fd_, &st) == 0;
        before_ = st.st_size;
        if (before_ == 0) out_ = "\xEF\xBB\xBF";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i) out_ += ',';
            AppendCsvValue(out_, columns[i].title);
        }
        out_ += "\r\n";
    }
    ~CsvExport() {
        if (fd_ >= 0) ::close(fd_);
    }

    void SetColumns(const std::vector<std::string>& names) { index_ = FindGridFields(columns_, names); }
    template <typename Value>
    void AddRow(const std::vector<Value>& values) {
        for (std::size_t i = 0; i < index_.size(); ++i) {
            if (i) out_ += ',';
            const Value* v = index_[i] ? &values[*index_[i]] : nullptr;
            AppendCsvValue(out_, v && *v ? std::string_view(**v) : std::string_view());
        }
        out_ += "\r\n";
        if (out_.size() >= kChunk) Flush();
    }
    bool Finish(bool rowsOk) {
        if (fd_ < 0) return false;
        Flush();
        if (!(ok_ && rowsOk)) {
            static_cast<void>(::ftruncate(fd_, before_));
            return false;
        }
        return true;
    }

  private:
    static constexpr std::size_t kChunk = 1 << 20;
    void Flush() {
        ok_ = ok_ && store_detail::WriteAll(fd_, out_);
        out_.clear();
    }

    const std::vector<GridColumn>& columns_;
    std::vector<std::optional<std::size_t>> index_;
    std::string out_;
    int fd_ = -1;
    off_t before_ = 0;
    bool ok_ = false;
};

}  // namespace

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
    int fd = CreateExclusive(file);
    for (int n = 1; fd < 0 && errno == EEXIST && n < 10000; ++n) {
        file = folder / (stamp + "_" + std::to_string(n));
        fd = CreateExclusive(file);
    }
    if (fd < 0) return std::nullopt;
    bool written = store_detail::WriteAll(fd, text);
    ::close(fd);
    if (!written) {
        std::error_code ec;
        fs::remove(file, ec);
        return std::nullopt;
    }
    return file;
}

}  // namespace xunda
