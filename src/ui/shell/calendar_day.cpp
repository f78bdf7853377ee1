#include "ui/shell/calendar_day.h"

#include "core/date_text.h"

namespace xunda {

std::chrono::year_month_day CivilDay(const QDate& date) {
    return std::chrono::year(date.year()) / std::chrono::month(static_cast<unsigned>(date.month())) /
           std::chrono::day(static_cast<unsigned>(date.day()));
}

std::string DayOf(const QDate& date) {
    return DayText(CivilDay(date));
}

QDate DateOf(std::string_view day) {
    const auto parsed = ParseDay(day);
    return parsed ? QDate(static_cast<int>(parsed->year()),
                          static_cast<int>(static_cast<unsigned>(parsed->month())),
                          static_cast<int>(static_cast<unsigned>(parsed->day())))
                  : QDate();
}

}  // namespace xunda
