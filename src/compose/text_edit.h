// Small text edits shared by the message and number rules.
#pragma once

#include <string>
#include <string_view>

namespace xunda {

// The text without the characters of code 0 to 32 (space, CR, LF, tab, ...) at both ends.
std::string_view TrimControls(std::string_view text);

// The text with every occurrence of `from` replaced by `to`, in one left-to-right pass (the
// replacements are not searched again).
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace xunda
