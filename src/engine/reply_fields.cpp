#include "engine/reply_fields.h"

#include <charconv>

#include "core/text_util.h"

namespace xunda {

FieldSplit TakeField(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return {"", std::string(TrimControls(text))};
    return {std::string(TrimControls(text.substr(0, comma))),
            std::string(TrimControls(text.substr(comma + 1)))};
}

std::optional<std::int64_t> ParseServiceNumber(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end) return std::nullopt;
    return value;
}

}  // namespace xunda
