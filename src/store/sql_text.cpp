#include "store/sql_text.h"

#include <stdexcept>

#include "core/text_util.h"

namespace xunda {

std::string SqlQuote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

std::string SqlQuoteOrNull(const std::optional<std::string_view>& text) {
    return text ? SqlQuote(*text) : std::string("NULL");
}

bool IsSqlInt(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() && text.size() <= 18 && IsAllDigits(text);
}

std::string SqlInt(std::string_view digits) {
    if (!IsSqlInt(digits))
        throw std::invalid_argument("not a number for SQL: \"" + std::string(digits) + "\"");
    return std::string(digits);
}

std::string SqlInt(std::int64_t number) {
    return std::to_string(number);
}

}  // namespace xunda
