#include "store/result_set.h"

#include <stdexcept>

#include "core/text_util.h"

namespace xunda {

ResultSet::ResultSet(std::string sql, std::vector<std::string> columns)
    : sql_(std::move(sql)), columns_(std::move(columns)) {}

std::optional<std::size_t> ResultSet::ColumnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (EqualsNoCase(columns_[i], name)) return i;
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
    return v ? ParseInt(*v).value_or(0) : 0;
}

}  // namespace xunda
