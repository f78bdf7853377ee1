// The one rule that turns a spreadsheet cell's value into text, for every workbook reader.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xunda {

// The number a cell's value text holds ("3.25", "4.5E-3"), read the same under every locale;
// nullopt when the whole text is no number.
std::optional<double> ParseCellNumber(std::string_view text);
// A number as text, the same under every locale: a whole number as its plain digits (an 11-digit
// phone number stays 11 digits), any other number with up to 15 significant digits.
std::string NumberCellText(double value);
// A date serial (days since the workbook's epoch, the time as the fraction) as "YYYY-MM-DD", with
// " HH:NN:SS" added when it has a time of day.
std::string SerialDateText(double serial, bool date1904);
// Whether a number format shows a date or time: a built-in date format (`id`), or a format code
// with a date or time letter outside quotes, brackets and escapes.
bool IsDateFormat(int id, std::string_view code);
// "True" or "False".
std::string BoolCellText(bool value);
// A date text "YYYY-MM-DD HH:NN:SS" of a reader without its time part when that is midnight.
std::string TrimMidnight(std::string dateTime);

}  // namespace xunda
