#include "core/text_util.h"

namespace xunda {

std::string ReplaceAll(std::string_view value, std::string_view search, std::string_view replacement) {
    if (value.empty() || search.empty()) return std::string(value);
    std::string out;
    std::size_t from = 0;
    for (auto pos = value.find(search); pos != std::string_view::npos; pos = value.find(search, from)) {
        out.append(value.substr(from, pos - from)).append(replacement);
        from = pos + search.size();
    }
    out.append(value.substr(from));
    return out;
}

std::string_view TrimControls(std::string_view text) {
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && isControl(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace xunda
