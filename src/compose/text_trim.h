// Trimming as the message and number rules use it.
#pragma once

#include <string_view>

namespace xunda {

// The text without the characters of code 0 to 32 (space, CR, LF, tab, ...) at both ends.
std::string_view TrimControls(std::string_view text);

}  // namespace xunda
