// The one rule that turns a spreadsheet cell's value into text, for every workbook reader.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "office/number_format.h"
#include "office/workbook_cells.h"

namespace xunda {

// The number a cell's value text holds ("3.25", "4.5E-3"), read the same under every locale;
// nullopt when the whole text is no number.
std::optional<double> ParseCellNumber(std::string_view text);
// A number as text, the same under every locale: a whole number as its plain digits (an 11-digit
// phone number stays 11 digits), any other number with up to 15 significant digits.
std::string NumberCellText(double value);
// A date serial (days since the workbook's epoch, the time as the fraction) as "YYYY-MM-DD", with
// " HH:NN:SS" added when it has a time of day; a time without a day (a serial below 1 in the 1900
// system, which has no day 0) as "HH:NN:SS".
std::string SerialDateText(double serial, bool date1904);
// "True" or "False".
std::string BoolCellText(bool value);
// A date text "YYYY-MM-DD HH:NN:SS" of a reader without its time part when that is midnight.
std::string TrimMidnight(std::string dateTime);

// The number formats of a workbook's cell styles (XFs), and the text each style gives a cell.
class CellStyles {
  public:
    // `codes`: the formats the workbook defines, by id; `styleFormats`: each style's format id. An
    // id the workbook does not define has its built-in code.
    CellStyles(const std::map<int, std::string>& codes, const std::vector<int>& styleFormats, bool date1904,
               CellTexts texts);
    // A number cell's text: as its style's format shows it, or its value as NumberCellText, or
    // SerialDateText where the format shows dates. A style the workbook lacks is General.
    std::string NumberText(double value, std::size_t style) const;
    // A text cell's text as its style's format shows it; nullopt when that is the text itself (and
    // for values).
    std::optional<std::string> ShownText(std::string_view text, std::size_t style) const;

  private:
    const NumberFormat& FormatOf(std::size_t style) const;

    std::vector<NumberFormat> formats_;  // those the styles use, General first
    std::vector<std::size_t> styles_;    // each style's place in formats_
    bool date1904_;
    CellTexts texts_;
};

}  // namespace xunda
