// Days and dates as the program shows, compares and stores them: "YYYY-MM-DD" and
// "YYYY-MM-DD HH:MM:SS".
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace xunda {

// The day a text starts with ("YYYY-MM-DD", a stored date and time too); nullopt when it holds none.
std::optional<std::chrono::year_month_day> ParseDay(std::string_view text);
std::string DayText(std::chrono::year_month_day day);
// "YYYY-MM-DD HH:MM:SS".
std::string DateTimeText(std::chrono::sys_seconds time);
// The day after `day` ("YYYY-MM-DD"); "" when `day` is no day.
std::string NextDay(std::string_view day);

}  // namespace xunda
