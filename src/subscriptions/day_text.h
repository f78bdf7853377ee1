// Days as the subscription pages show, compare and store them: "YYYY-MM-DD".
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace xunda {

// The day a text starts with ("YYYY-MM-DD", a stored date and time too); nullopt when it holds none.
std::optional<std::chrono::year_month_day> ParseDay(std::string_view text);
std::string DayText(std::chrono::year_month_day day);
// The day after `day` ("YYYY-MM-DD"); "" when `day` is no day.
std::string NextDay(std::string_view day);

}  // namespace xunda
