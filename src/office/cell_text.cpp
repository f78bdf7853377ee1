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
    const std::int64_t seconds = std::llround(serial * 86400.0);
    const std::chrono::sys_days day = SerialDay(seconds / 86400, date1904);
    if (!date1904 && seconds < 86400) return DateTimeText(day + std::chrono::seconds(seconds)).substr(11);
    return seconds % 86400 == 0 ? DayText(day) : DateTimeText(day + std::chrono::seconds(seconds % 86400));
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

CellStyles::CellStyles(const std::map<int, std::string>& codes, const std::vector<int>& styleFormats,
                       bool date1904, CellTexts texts)
    : formats_{NumberFormat("General")}, date1904_(date1904), texts_(texts) {
    std::map<int, std::size_t> used;  // format id -> place in formats_
    for (const int id : styleFormats) {
        const auto [at, added] = used.try_emplace(id, formats_.size());
        if (added) {
            const auto code = codes.find(id);
            formats_.emplace_back(code != codes.end() ? std::string_view(code->second)
                                                      : BuiltInFormatCode(id));
        }
        styles_.push_back(at->second);
    }
}

const NumberFormat& CellStyles::FormatOf(std::size_t style) const {
    return formats_[style < styles_.size() ? styles_[style] : 0];
}

std::string CellStyles::NumberText(double value, std::size_t style) const {
    const NumberFormat& format = FormatOf(style);
    if (texts_ == CellTexts::Shown) return format.Show(value, date1904_);
    return format.ShowsDates() ? SerialDateText(value, date1904_) : NumberCellText(value);
}

std::optional<std::string> CellStyles::ShownText(std::string_view text, std::size_t style) const {
    return texts_ == CellTexts::Shown ? FormatOf(style).ShowText(text) : std::nullopt;
}

}  // namespace xunda
