// Small text helpers shared by every subsystem. Stateless; callable from any thread.
#pragma once

#include <string>
#include <string_view>

namespace xunda {

// Value with every occurrence of Search replaced, left to right without overlaps.
std::string ReplaceAll(std::string_view value, std::string_view search, std::string_view replacement);
// The text without the characters of code 0 to 32 (space, CR, LF, tab, ...) at both ends.
std::string_view TrimControls(std::string_view text);

}  // namespace xunda
