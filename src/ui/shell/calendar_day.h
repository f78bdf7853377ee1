// The date pickers' QDate as the days of core/date_text.
#pragma once

#include <QDate>
#include <chrono>
#include <string>
#include <string_view>

namespace xunda {

std::chrono::year_month_day CivilDay(const QDate& date);
// "YYYY-MM-DD".
std::string DayOf(const QDate& date);
// The day a text starts with; an invalid QDate when it holds none.
QDate DateOf(std::string_view day);

}  // namespace xunda
