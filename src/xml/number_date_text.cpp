// Integer, ISO date and float text.
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/exceptions.h"
#include "xml/text.h"

namespace xunda {
namespace {

// Delphi-style Copy: the characters from 1-based `index`, at most `count`, empty past the end.
std::string_view Copy(std::string_view s, std::size_t index, std::size_t count) {
    if (index < 1 || index > s.size()) return {};
    return s.substr(index - 1, count);
}

}  // namespace

bool TextToInt64(std::string_view text, std::int64_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= text.size()) return false;
    // Magnitudes up to 2^63 so that the smallest value fits; hex may fill all 64 bits.
    const std::uint64_t limit =
        base == 16 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << 63);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (magnitude > (limit - digit) / base) return false;
        magnitude = magnitude * base + digit;
    }
    if (base == 10 && !negative &&
        magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return false;
    value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

namespace {
// As TextToInt64 for the 32-bit range; hex text may fill all 32 bits ("$FFFFFFFF" is -1), so that
// what WriteHex and WriteColor store reads back.
bool TextToInt32(std::string_view text, std::int32_t& value) {
    std::int64_t v;
    if (!TextToInt64(text, v)) return false;
    bool hex = text.find('$') != std::string_view::npos;
    if (hex && v > std::numeric_limits<std::int32_t>::max() && v <= std::numeric_limits<std::uint32_t>::max())
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}
}  // namespace

std::int32_t StrToInt(std::string_view text) {
    std::int32_t v;
    if (!TextToInt32(text, v))
        throw EConvertError(std::string(1, '\'').append(text).append("' is not a valid integer value"));
    return v;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
    std::int32_t v;
    return TextToInt32(text, v) ? v : def;
}

std::int64_t StrToInt64Def(std::string_view text, std::int64_t def) {
    std::int64_t v;
    return TextToInt64(text, v) ? v : def;
}

XmlDateTime EncodeXmlDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
    using namespace std::chrono;
    year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                        std::chrono::day(static_cast<unsigned>(day))};
    if (year < 1 || year > 9999 || month < 1 || day < 1 || !date.ok())
        throw EConvertError("Invalid argument to date encode");
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || ms < 0 || ms > 999)
        throw EConvertError("Invalid argument to time encode");
    return local_days{date} + hours(hour) + minutes(minute) + seconds(second) + milliseconds(ms);
}

XmlDateTime IsoTextToDateTime(std::string_view text) {
    int year = StrToInt(Copy(text, 1, 4));
    int month = StrToInt(Copy(text, 6, 2));
    int day = StrToInt(Copy(text, 9, 2));
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (text.size() >= 17) {
        hour = StrToInt(Copy(text, 12, 2));
        minute = StrToInt(Copy(text, 15, 2));
        second = StrToIntDef(Copy(text, 18, 2), 0);
        ms = StrToIntDef(Copy(text, 21, 3), 0);
    }
    return EncodeXmlDateTime(year, month, day, hour, minute, second, ms);
}

XmlDateTime IsoTextToDateTimeDef(std::string_view text, XmlDateTime def) {
    try {
        return IsoTextToDateTime(text);
    } catch (const EConvertError&) {
        return def;
    }
}

std::string DateTimeToIsoText(XmlDateTime value) {
    using namespace std::chrono;
    local_days days = floor<std::chrono::days>(value);
    year_month_day date{days};
    milliseconds time = value - days;
    char buf[48];
    if (time.count() == 0) {
        std::snprintf(buf, sizeof buf, "%.4d-%.2d-%.2d", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    } else {
        hh_mm_ss<milliseconds> t{time};
        std::snprintf(buf, sizeof buf, "%.4d-%.2d-%.2dT%.2d:%.2d:%.2d.%.3dZ", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                      static_cast<int>(t.hours().count()), static_cast<int>(t.minutes().count()),
                      static_cast<int>(t.seconds().count()), static_cast<int>(t.subseconds().count()));
    }
    return buf;
}

std::string FloatToDigitsText(int digits, bool exponent, double value) {
    if (digits < 1 || digits > 9) throw Exception("Significant digits out of range");
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    std::string result;
    if (value < 0) {
        result = "-";
        value = -value;
    }
    int x = digits;
    while (kPowers[digits - 1] > value) {
        value *= 10;
        --x;
    }
    while (kPowers[digits] <= value) {
        value *= 0.1;
        ++x;
    }
    auto n = static_cast<std::int64_t>(std::nearbyint(value));
    if (n >= static_cast<std::int64_t>(kPowers[digits])) {  // rounding carried into a new digit
        n /= 10;
        ++x;
    }
    int k = digits;
    while (n % 10 == 0 && k > x) {
        n /= 10;
        --k;
    }
    int scientific = 0;
    if (exponent && (x < -1 || x > k + 2)) {
        scientific = x - 1;
        x = 1;
    }
    std::string digitText = std::to_string(n);
    for (; k < x; ++k) digitText += '0';
    std::string leading;  // zeros after the point
    if (x < 0) {
        leading.assign(static_cast<std::size_t>(-x), '0');
        x = 0;
    }
    std::string_view t = digitText;
    if (x == 0) {
        result.append(1, '.').append(leading).append(t);
    } else if (k > x) {
        result.append(t.substr(0, static_cast<std::size_t>(x)))
            .append(1, '.')
            .append(t.substr(static_cast<std::size_t>(x)));
    } else {
        result.append(t);
    }
    if (scientific != 0) result.append(1, 'E').append(std::to_string(scientific));
    return result;
}

}  // namespace xunda
