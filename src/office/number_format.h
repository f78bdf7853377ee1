// Number format codes as spreadsheet programs write them ("#,##0.00", "yyyy/m/d",
// "0.00;[Red]-0.00", "\"客户：\"@") and the texts they show for a cell's value. Numbers are written
// byte by byte in ASCII, the same under every locale.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xunda {

// The code of a built-in number format, as a workbook uses the ids it does not define itself;
// "General" for an id without one. The short date (14) is "yyyy/m/d", the currencies are the yuan's.
std::string_view BuiltInFormatCode(int id);

// A number as the General format shows it in a column wide enough for a whole number: a whole
// number of up to 15 digits whole ("8613912345678"); any other at most 11 characters besides a minus
// sign, fixed while that keeps as many digits as the scientific form ("0.3"), else scientific
// ("1.23457E+11", "1E+15").
std::string GeneralNumberText(double value);

// The day of a date serial's whole days: from 1904-01-01, or in the 1900 system from 1899-12-30
// (from 1899-12-31 before the leap day that 1900 never had).
std::chrono::sys_days SerialDay(std::int64_t days, bool date1904);

struct FormatSection;

// A format code read once, to show many values. Sections are split at ";" (positive; negative;
// zero; text); colours, conditions and locales in brackets show nothing, a currency in brackets
// ("[$¥-804]") its symbol. The yen sign (U+00A5), which GBK lacks, shows as the full-width "￥".
// Fractions ("# ?/?") are shown as General.
class NumberFormat {
  public:
    explicit NumberFormat(std::string_view code);

    // Whether the format shows numbers as dates or times.
    bool ShowsDates() const;
    // A number as the format shows it; a date serial counts days as SerialDay does.
    std::string Show(double value, bool date1904) const;
    // A text as the format's text section shows it; nullopt when it shows texts as they are.
    std::optional<std::string> ShowText(std::string_view text) const;

    NumberFormat(const NumberFormat&);
    NumberFormat(NumberFormat&&) noexcept;
    NumberFormat& operator=(const NumberFormat&);
    NumberFormat& operator=(NumberFormat&&) noexcept;
    ~NumberFormat();

  private:
    std::vector<FormatSection> sections_;
};

}  // namespace xunda
