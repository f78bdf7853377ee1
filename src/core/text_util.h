// Small text helpers shared by every subsystem: byte-wise ASCII, never locale-dependent.
// Stateless; callable from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xunda {

// Value with every occurrence of Search replaced, left to right without overlaps.
std::string ReplaceAll(std::string_view value, std::string_view search, std::string_view replacement);
// The text without the characters of code 0 to 32 (space, CR, LF, tab, ...) at both ends.
std::string_view TrimControls(std::string_view text);

// 'A' to 'Z' as 'a' to 'z' (and back); every other byte as it is.
char ToLowerAscii(char c);
std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);
// Comparisons that fold 'A' to 'Z' only; the order is that of the folded bytes, unsigned.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool LessNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Where `search` first starts in `text` at or after `from`, case folded as above; npos if nowhere.
std::size_t FindNoCase(std::string_view text, std::string_view search, std::size_t from = 0);

// True for the empty text and for a text of only '0' to '9'.
bool IsAllDigits(std::string_view text);
// The whole text as a decimal integer, with an optional leading '-'; nullopt when anything else
// is in it (spaces, '+', nothing) or the value is out of range.
std::optional<std::int64_t> ParseInt(std::string_view text);

}  // namespace xunda
