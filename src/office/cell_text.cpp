#include "office/cell_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/date_text.h"

namespace xunda {

std::optional<double> ParseCellNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string NumberCellText(double value) {
    if (!std::isfinite(value)) return {};
    char text[64];
    const auto [end, error] =
        value == std::floor(value) && std::fabs(value) < 1e21
            ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 0)
            : std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return error == std::errc() ? std::string(text, end) : std::string();
}

std::string SerialDateText(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466) return NumberCellText(serial);
    // Day 0 of the 1900 system is 1899-12-30 from day 61 on; the days before the leap day that
    // 1900 never had count from 1899-12-31.
    std::int64_t epoch = date1904 ? -24107 : (serial < 61 ? -25568 : -25569);
    std::int64_t seconds = std::llround(serial * 86400.0);
    std::int64_t days = seconds / 86400;
    seconds %= 86400;
    const std::chrono::sys_days day{std::chrono::days(epoch + days)};
    return seconds == 0 ? DayText(day) : DateTimeText(day + std::chrono::seconds(seconds));
}

bool IsDateFormat(int id, std::string_view code) {
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58))
        return true;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"')
            i = code.find('"', i + 1);
        else if (c == '[')
            i = code.find(']', i + 1);
        else if (c == '\\')
            ++i;
        else if (std::string_view("yYmMdDhHsS").find(c) != std::string_view::npos)
            return true;
        if (i == std::string_view::npos) break;
    }
    return false;
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
