#include "core/text_util.h"

#include <algorithm>
#include <charconv>

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

char ToLowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ToLowerAscii(c);
    return out;
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

namespace {
bool SameNoCase(char a, char b) {
    return ToLowerAscii(a) == ToLowerAscii(b);
}
}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameNoCase);
}

bool LessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(ToLowerAscii(x)) < static_cast<unsigned char>(ToLowerAscii(y));
    });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::size_t FindNoCase(std::string_view text, std::string_view search, std::size_t from) {
    if (from > text.size()) return std::string_view::npos;
    const auto at = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), search.begin(),
                                search.end(), SameNoCase);
    return at == text.end() && !search.empty() ? std::string_view::npos
                                               : static_cast<std::size_t>(at - text.begin());
}

bool IsAllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::int64_t> ParseInt(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end) return std::nullopt;
    return value;
}

}  // namespace xunda
