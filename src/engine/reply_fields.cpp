#include "engine/reply_fields.h"

#include <charconv>

#include "gateway/reply_text.h"

namespace xunda {

FieldSplit TakeField(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return {"", TrimBlanks(text)};
    return {TrimBlanks(text.substr(0, comma)), TrimBlanks(text.substr(comma + 1))};
}

std::optional<std::int64_t> ParseServiceNumber(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end) return std::nullopt;
    return value;
}

}  // namespace xunda
