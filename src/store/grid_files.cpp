#include "store/grid_files.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

#include "core/local_time.h"
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

bool LessNoCase(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}
bool EqualNoCase(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

bool SaveDbGridToCsv(const ResultSet& rows, const std::vector<GridColumn>& columns, const fs::path& file) {
    std::vector<std::optional<std::size_t>> index;
    for (const auto& c : columns) index.push_back(rows.ColumnIndex(c.field));

    std::string out;
    std::error_code ec;
    if (!fs::exists(file, ec) || fs::file_size(file, ec) == 0) out = "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i) out += ',';
        AppendCsvValue(out, columns[i].title);
    }
    out += "\r\n";
    for (std::size_t r = 0; r < rows.RecordCount(); ++r) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i) out += ',';
            const ResultSet::Value* v = index[i] ? &rows.At(r, *index[i]) : nullptr;
            AppendCsvValue(out, v && *v ? std::string_view(**v) : std::string_view());
        }
        out += "\r\n";
    }

    std::ofstream stream(file, std::ios::binary | std::ios::app);
    if (!stream) return false;
    stream << out;
    stream.close();
    return !stream.fail();
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
    values.erase(std::unique(values.begin(), values.end(), EqualNoCase), values.end());
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
