#include "store/result_set.h"

#include <strings.h>

#include <charconv>
#include <stdexcept>

namespace xunda {

ResultSet::ResultSet(std::string sql, std::vector<std::string> columns)
    : sql_(std::move(sql)), columns_(std::move(columns)) {}

std::optional<std::size_t> ResultSet::ColumnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].size() == name.size() &&
            strncasecmp(columns_[i].data(), name.data(), name.size()) == 0)
            return i;
    return std::nullopt;
}

const ResultSet::Value& ResultSet::Field(std::string_view name) const {
    auto column = ColumnIndex(name);
    if (!column) throw std::out_of_range("no column \"" + std::string(name) + "\" in: " + sql_);
    if (Eof()) throw std::out_of_range("no current row for \"" + std::string(name) + "\" in: " + sql_);
    return At(row_, *column);
}

std::string ResultSet::AsString(std::string_view name) const {
    const Value& v = Field(name);
    return v ? *v : std::string();
}

std::int64_t ResultSet::AsInt(std::string_view name) const {
    const Value& v = Field(name);
    std::int64_t n = 0;
    if (v) {
        auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), n);
        if (ec != std::errc() || end != v->data() + v->size()) n = 0;
    }
    return n;
}

}  // namespace xunda
