#include "core/date_text.h"

#include <cstdio>

#include "core/text_util.h"

namespace xunda {

std::optional<std::chrono::year_month_day> ParseDay(std::string_view text) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto y = ParseInt(text.substr(0, 4)), m = ParseInt(text.substr(5, 2)),
               d = ParseInt(text.substr(8, 2));
    if (!y || !m || !d || *m < 1 || *d < 1) return std::nullopt;
    const std::chrono::year_month_day day{std::chrono::year(static_cast<int>(*y)),
                                          std::chrono::month(static_cast<unsigned>(*m)),
                                          std::chrono::day(static_cast<unsigned>(*d))};
    return day.ok() ? std::optional(day) : std::nullopt;
}

std::string DayText(std::chrono::year_month_day day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}

std::string DateTimeText(std::chrono::sys_seconds time) {
    const auto day = std::chrono::floor<std::chrono::days>(time);
    const std::chrono::hh_mm_ss clock(time - day);
    char text[16];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d", static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()));
    return DayText(day) + text;
}

std::string NextDay(std::string_view day) {
    const auto parsed = ParseDay(day);
    return parsed ? DayText(std::chrono::sys_days(*parsed) + std::chrono::days(1)) : std::string();
}

}  // namespace xunda
