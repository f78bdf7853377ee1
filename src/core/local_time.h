// The current local time as text.
#pragma once

#include <string>

namespace xunda {

// The current local time in a strftime format ("%Y-%m-%d %H:%M:%S").
std::string LocalTime(const char* format);

}  // namespace xunda
