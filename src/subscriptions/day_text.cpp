#include "subscriptions/day_text.h"

#include <charconv>
#include <cstdio>

namespace xunda {

namespace {

bool Number(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<std::chrono::year_month_day> ParseDay(std::string_view text) {
    int y = 0, m = 0, d = 0;
    if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !Number(text.substr(0, 4), y) ||
        !Number(text.substr(5, 2), m) || !Number(text.substr(8, 2), d) || m < 1 || d < 1)
        return std::nullopt;
    const std::chrono::year_month_day day{std::chrono::year(y), std::chrono::month(static_cast<unsigned>(m)),
                                          std::chrono::day(static_cast<unsigned>(d))};
    return day.ok() ? std::optional(day) : std::nullopt;
}

std::string DayText(std::chrono::year_month_day day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}

std::string NextDay(std::string_view day) {
    const auto parsed = ParseDay(day);
    return parsed ? DayText(std::chrono::sys_days(*parsed) + std::chrono::days(1)) : std::string();
}

}  // namespace xunda
