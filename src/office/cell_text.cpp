#include "office/cell_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace xunda {
namespace {

// The civil date of a count of days since 1970-01-01 (proleptic Gregorian calendar).
void CivilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400) + (m <= 2);
}

}  // namespace

std::string NumberCellText(double value) {
    char text[64];
    if (!std::isfinite(value)) return {};
    if (value == std::floor(value) && std::fabs(value) < 1e21)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string SerialDateText(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466) return NumberCellText(serial);
    // Day 0 of the 1900 system is 1899-12-30 from day 61 on; the days before the leap day that
    // 1900 never had count from 1899-12-31.
    std::int64_t epoch = date1904 ? -24107 : (serial < 61 ? -25568 : -25569);
    std::int64_t seconds = std::llround(serial * 86400.0);
    std::int64_t days = seconds / 86400;
    seconds %= 86400;
    int y;
    unsigned m, d;
    CivilFromDays(epoch + days, y, m, d);
    char text[40];
    if (seconds == 0)
        std::snprintf(text, sizeof text, "%04d-%02u-%02u", y, m, d);
    else
        std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", y, m, d, static_cast<int>(seconds / 3600),
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string BoolCellText(bool value) {
    return value ? "True" : "False";
}

std::string TrimMidnight(std::string dateTime) {
    constexpr std::string_view kMidnight = " 00:00:00";
    if (dateTime.size() > kMidnight.size() && dateTime.ends_with(kMidnight))
        dateTime.resize(dateTime.size() - kMidnight.size());
    return dateTime;
}

}  // namespace xunda
