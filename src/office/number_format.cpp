#include "office/number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "core/text_util.h"
#include "core/unicode.h"

namespace xunda {

enum class Part : std::uint8_t {
    Literal,      // text shown as it is
    Digit,        // 0, # or ?
    Point,        // the decimal point
    Comma,        // a thousands separator, or a thousands scale behind the digits
    Percent,      // % (the number times 100)
    Exponent,     // E+ or E- (its sign the text)
    Text,         // @
    General,      // General inside a section
    Date,         // y.., m.. (month), n.. (minutes), d.., aaa(a) (Chinese weekday), h.., s.., [h] [m] [s]
    AmPm,         // AM/PM, A/P, 上午/下午: the texts before and after the "/"
    FracSeconds,  // the 0s of .0, .00, .000 after seconds
};

struct FormatToken {
    Part part;
    std::string text;
};

struct FormatSection {
    std::vector<FormatToken> tokens;
    bool date = false;      // shows a date or time
    bool text = false;      // holds @
    bool fraction = false;  // "# ?/?": shown as General
};

namespace {

// A number's decimal digits, as many as a spreadsheet keeps (15 significant).
struct Decimal {
    std::string digits;  // the first not 0, the last not 0; none for zero
    int point = 0;       // how many digits stand before the decimal point (fewer or none: zeros
                         // lead after the point; more than there are: zeros follow)

    explicit Decimal(double magnitude) {  // finite, 0 or more
        if (magnitude == 0) return;
        char text[32];
        const char* end =
            std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14).ptr;
        const std::string_view s(text, static_cast<std::size_t>(end - text));  // "d.dddddddddddddde+XX"
        const std::size_t e = s.find('e');
        digits = std::string(1, s[0]).append(s.substr(2, e - 2));
        std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), point);
        ++point;
        Trim();
    }

    void Trim() {
        while (!digits.empty() && digits.back() == '0') digits.pop_back();
        if (digits.empty()) point = 0;
    }
    // Rounds half away from zero to `decimals` places after the point.
    void Round(int decimals) {
        const long keep = long{point} + decimals;
        if (keep >= static_cast<long>(digits.size())) return;
        if (keep < 0) {
            digits.clear();
            point = 0;
            return;
        }
        const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        if (!up) return Trim();
        while (!digits.empty() && digits.back() == '9') digits.pop_back();
        if (digits.empty()) {
            digits = "1";
            ++point;
        } else {
            ++digits.back();
        }
    }
    // The digits before the point; none for a number below 1.
    std::string Integer() const {
        if (point <= 0) return {};
        const auto whole = static_cast<std::size_t>(point);
        return digits.substr(0, whole) + std::string(whole - std::min(whole, digits.size()), '0');
    }
    // The k-th digit after the point.
    char Fraction(std::size_t k) const {
        const long at = point + static_cast<long>(k);
        return at >= 0 && at < static_cast<long>(digits.size()) ? digits[static_cast<std::size_t>(at)] : '0';
    }
    // How many digits stand after the point.
    std::size_t Decimals() const {
        return static_cast<long>(digits.size()) > point
                   ? static_cast<std::size_t>(static_cast<long>(digits.size()) - point)
                   : 0;
    }
};

// Appends `value` (0 or more) with at least `width` digits.
void AppendNumber(std::string& out, std::int64_t value, std::size_t width) {
    char text[24];
    const auto length = static_cast<std::size_t>(std::to_chars(text, text + sizeof text, value).ptr - text);
    out.append(width - std::min(width, length), '0').append(text, length);
}

// "[h]", "[mm]", "[ss]": hours, minutes or seconds counted from the serial's start.
bool IsElapsed(std::string_view inner) {
    return !inner.empty() && std::string_view("hms").find(inner[0]) != std::string_view::npos &&
           inner.find_first_not_of(inner[0]) == std::string_view::npos;
}

// A date section: ".00" after seconds, other number parts shown as they are written, and m or mm
// next to hours or seconds as minutes.
void FinishDateSection(FormatSection& section) {
    std::vector<FormatToken> tokens;
    const std::vector<FormatToken>& from = section.tokens;
    for (std::size_t k = 0; k < from.size(); ++k) {
        const FormatToken& token = from[k];
        if (token.part == Part::Point && k + 1 < from.size() && from[k + 1].part == Part::Digit &&
            from[k + 1].text == "0") {
            std::string zeros;
            for (; k + 1 < from.size() && from[k + 1].part == Part::Digit && from[k + 1].text == "0"; ++k)
                zeros += '0';
            tokens.push_back({Part::FracSeconds, zeros});
        } else if (token.part == Part::Date || token.part == Part::AmPm || token.part == Part::Literal) {
            tokens.push_back(token);
        } else if (token.part != Part::General) {
            tokens.push_back({Part::Literal, token.part == Part::Exponent ? "E" + token.text : token.text});
        }
    }
    const auto dateBeside = [&tokens](std::size_t k, int step) -> const FormatToken* {
        for (auto at = static_cast<long>(k) + step; at >= 0 && at < static_cast<long>(tokens.size());
             at += step)
            if (tokens[static_cast<std::size_t>(at)].part == Part::Date)
                return &tokens[static_cast<std::size_t>(at)];
        return nullptr;
    };
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        std::string& code = tokens[k].text;
        if (tokens[k].part != Part::Date || (code != "m" && code != "mm")) continue;
        const FormatToken *before = dateBeside(k, -1), *after = dateBeside(k, 1);
        if ((before && before->text.find('h') != std::string::npos) ||
            (after && after->text.find('s') != std::string::npos))
            std::replace(code.begin(), code.end(), 'm', 'n');
    }
    section.tokens = std::move(tokens);
}

void FinishSection(FormatSection& section) {
    bool digitBefore = false;
    std::vector<FormatToken>& tokens = section.tokens;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Part part = tokens[k].part;
        // The yen sign (U+00A5) has no GBK form; the yuan's full-width one has.
        if (part == Part::Literal) tokens[k].text = ReplaceAll(tokens[k].text, "\u00A5", "\uFFE5");
        section.date |= part == Part::Date || part == Part::AmPm;
        section.text |= part == Part::Text;
        digitBefore |= part == Part::Digit;
        if (digitBefore && part == Part::Literal && tokens[k].text.find('/') != std::string::npos &&
            std::any_of(tokens.begin() + static_cast<long>(k), tokens.end(),
                        [](const FormatToken& t) { return t.part == Part::Digit; }))
            section.fraction = true;
    }
    if (section.date) FinishDateSection(section);
}

std::vector<FormatSection> ParseSections(std::string_view code) {
    std::vector<FormatSection> sections(1);
    const auto add = [&sections](Part part, std::string_view text) {
        std::vector<FormatToken>& tokens = sections.back().tokens;
        if (part == Part::Literal && !tokens.empty() && tokens.back().part == Part::Literal)
            tokens.back().text += text;
        else
            tokens.push_back({part, std::string(text)});
    };
    const auto charLength = [code](std::size_t at) {
        return at < code.size() ? DecodeUtf8(code, at).length : 0;
    };
    constexpr std::string_view kChineseAmPm = "上午/下午";
    for (std::size_t i = 0; i < code.size();) {
        const std::string_view rest = code.substr(i);
        const char c = ToLowerAscii(code[i]);
        std::size_t length = 1;
        if (c == ';') {
            sections.emplace_back();
        } else if (c == '"') {
            const std::size_t end = std::min(code.find('"', i + 1), code.size());
            add(Part::Literal, code.substr(i + 1, end - i - 1));
            length = end + 1 - i;
        } else if (c == '\\' || c == '_' || c == '*') {  // an escaped character, a space as wide, a fill
            length += charLength(i + 1);
            if (c != '*') add(Part::Literal, c == '_' ? " " : rest.substr(1, length - 1));
        } else if (c == '[') {
            const std::size_t end = std::min(code.find(']', i), code.size());
            const std::string inner = ToLowerAscii(code.substr(i + 1, end - i - 1));
            if (IsElapsed(inner))
                add(Part::Date, "[" + inner + "]");
            else if (inner.starts_with('$'))  // a currency and its locale: "[$¥-804]"
                add(Part::Literal, rest.substr(2, std::min(inner.find('-'), inner.size()) - 1));
            length = end + 1 - i;
        } else if (c == '0' || c == '#' || c == '?') {
            add(Part::Digit, rest.substr(0, 1));
        } else if (c == '.' || c == ',' || c == '%' || c == '@') {
            add(c == '.'   ? Part::Point
                : c == ',' ? Part::Comma
                : c == '%' ? Part::Percent
                           : Part::Text,
                rest.substr(0, 1));
        } else if (c == 'e' && rest.size() > 1 && (rest[1] == '+' || rest[1] == '-')) {
            add(Part::Exponent, rest.substr(1, 1));
            length = 2;
        } else if (StartsWithNoCase(rest, "General")) {
            add(Part::General, {});
            length = 7;
        } else if (StartsWithNoCase(rest, "AM/PM") || StartsWithNoCase(rest, "A/P") ||
                   rest.starts_with(kChineseAmPm)) {
            length = rest.starts_with(kChineseAmPm)  ? kChineseAmPm.size()
                     : StartsWithNoCase(rest, "A/P") ? 3
                                                     : 5;
            add(Part::AmPm, rest.substr(0, length));
        } else if (std::string_view("ymdhsa").find(c) != std::string_view::npos) {
            while (length < rest.size() && ToLowerAscii(rest[length]) == c) ++length;
            if (c == 'a' && length < 3)
                add(Part::Literal, rest.substr(0, length));
            else
                add(Part::Date, std::string(length, c));
        } else {
            length = charLength(i);
            add(Part::Literal, rest.substr(0, length));
        }
        i += length;
    }
    for (FormatSection& section : sections) FinishSection(section);
    return sections;
}

// The exponent of a scientific section, with `d` made its mantissa and rounded to `decimals`
// places: the mantissa has as many digits before the point as the section's placeholders there,
// or, when they hold a #, the exponent is a multiple of their count ("##0.0E+0").
int ScientificExponent(Decimal& d, std::string_view integer, std::size_t decimals) {
    if (d.digits.empty()) return 0;
    const int width = std::max(static_cast<int>(integer.size()), 1);
    const bool engineering = width > 1 && integer.find('#') != std::string_view::npos;
    int exponent = 0;
    for (int pass = 0; pass < 2; ++pass) {  // again when rounding carried into a new digit
        const int first = d.point - 1 + exponent;
        const int next =
            engineering ? static_cast<int>(std::floor(first / double(width))) * width : first - (width - 1);
        d.point += exponent - next;
        exponent = next;
        d.Round(static_cast<int>(decimals));
    }
    return exponent;
}

std::string ShowNumber(const FormatSection& section, double magnitude) {
    const std::vector<FormatToken>& tokens = section.tokens;
    const auto partAt = [&tokens](Part part, std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k)
            if (tokens[k].part == part) return k;
        return to;
    };
    const std::size_t exponentAt = partAt(Part::Exponent, 0, tokens.size()),
                      pointAt = partAt(Part::Point, 0, exponentAt);
    std::string integer, fraction;  // the placeholders before and after the point
    bool group = false;
    int shift = 0;  // powers of ten: 2 for each %, -3 for each thousands scale
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Part part = tokens[k].part;
        if (part == Part::Digit && k < exponentAt) (k < pointAt ? integer : fraction) += tokens[k].text;
        if (part == Part::Percent) shift += 2;
        if (part == Part::Comma && k < exponentAt) {  // between digits of its part, or after them
            const std::size_t partEnd = k < pointAt ? pointAt : exponentAt;
            if (partAt(Part::Digit, k, partEnd) < partEnd)
                group |= k < pointAt;
            else if (partAt(Part::Digit, 0, k) < k)
                shift -= 3;
        }
    }
    Decimal d(magnitude);
    if (!d.digits.empty()) d.point += shift;
    int exponent = 0;
    if (exponentAt < tokens.size())
        exponent = ScientificExponent(d, integer, fraction.size());
    else
        d.Round(static_cast<int>(fraction.size()));
    const std::string digits = d.Integer();
    std::string shownFraction(fraction.size(), '\0');  // '\0' where a # shows no trailing zero
    bool trailing = true;
    for (std::size_t k = fraction.size(); k-- > 0;) {
        const char digit = d.Fraction(k);
        if (trailing && digit == '0' && fraction[k] != '0') {
            shownFraction[k] = fraction[k] == '?' ? ' ' : '\0';
        } else {
            trailing = false;
            shownFraction[k] = digit;
        }
    }
    std::string out;
    const auto putDigit = [&](char digit, std::size_t fromRight) {
        out += digit;
        if (group && fromRight > 0 && fromRight % 3 == 0) out += ',';
    };
    const auto putLeading = [&](std::size_t count) {  // digits beyond the placeholders
        for (std::size_t i = 0; i < count; ++i) putDigit(digits[i], digits.size() - 1 - i);
    };
    std::size_t placeholder = 0, decimal = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const FormatToken& token = tokens[k];
        switch (token.part) {
            case Part::Digit:
                if (k < pointAt) {
                    if (placeholder == 0) putLeading(digits.size() - std::min(digits.size(), integer.size()));
                    const std::size_t fromRight = integer.size() - 1 - placeholder++;
                    if (fromRight < digits.size())
                        putDigit(digits[digits.size() - 1 - fromRight], fromRight);
                    else if (token.text == "0")
                        putDigit('0', fromRight);
                    else if (token.text == "?")
                        out += ' ';
                } else if (k < exponentAt && shownFraction[decimal++] != '\0') {
                    out += shownFraction[decimal - 1];
                }
                break;
            case Part::Point:
                if (k == pointAt && integer.empty()) putLeading(digits.size());
                out += '.';
                break;
            case Part::Exponent:
                if (k != exponentAt) break;
                out += exponent < 0 ? "E-" : token.text == "+" ? "E+" : "E";
                AppendNumber(
                    out, std::abs(exponent),
                    static_cast<std::size_t>(std::count_if(
                        tokens.begin() + static_cast<long>(k), tokens.end(),
                        [](const FormatToken& t) { return t.part == Part::Digit && t.text == "0"; })));
                break;
            case Part::Percent:
            case Part::Literal:
                out += token.text;
                break;
            case Part::General:
            case Part::Text:
                out += GeneralNumberText(magnitude);
                break;
            default:
                break;
        }
    }
    return out;
}

constexpr std::array<std::string_view, 12> kMonths = {"January",   "February", "March",    "April",
                                                      "May",       "June",     "July",     "August",
                                                      "September", "October",  "November", "December"};
constexpr std::array<std::string_view, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 7> kChineseWeekdays = {"日", "一", "二", "三", "四", "五", "六"};

// A serial from 0 up to the end of 9999.
std::string ShowDate(const FormatSection& section, double serial, bool date1904) {
    std::size_t places = 0;  // of the seconds
    bool twelveHours = false;
    for (const FormatToken& token : section.tokens) {
        if (token.part == Part::FracSeconds)
            places = std::max(places, std::min<std::size_t>(token.text.size(), 3));
        twelveHours |= token.part == Part::AmPm;
    }
    std::int64_t unit = 1;
    for (std::size_t k = 0; k < places; ++k) unit *= 10;
    const std::int64_t ticks = std::llround(serial * 86400.0 * static_cast<double>(unit)),
                       seconds = ticks / unit;
    const std::int64_t clock = seconds % 86400, hour = clock / 3600;
    const std::chrono::sys_days day = SerialDay(seconds / 86400, date1904);
    const std::chrono::year_month_day date(day);
    const unsigned weekday = std::chrono::weekday(day).c_encoding();
    std::string out;
    for (const FormatToken& token : section.tokens) {
        const std::string& code = token.text;
        const std::size_t n = code.size();
        if (token.part == Part::Literal) {
            out += code;
        } else if (token.part == Part::AmPm) {
            const std::size_t slash = code.find('/');
            out += hour < 12 ? code.substr(0, slash) : code.substr(slash + 1);
        } else if (token.part == Part::FracSeconds) {
            std::string digits;
            AppendNumber(digits, ticks % unit, places);
            out += '.' + digits.substr(0, n);
        } else if (code[0] == 'y') {
            AppendNumber(out, n <= 2 ? static_cast<int>(date.year()) % 100 : static_cast<int>(date.year()),
                         n <= 2 ? 2 : 4);
        } else if (code[0] == 'm') {
            const std::string_view month = kMonths[static_cast<unsigned>(date.month()) - 1];
            if (n <= 2)
                AppendNumber(out, static_cast<unsigned>(date.month()), n);
            else
                out += month.substr(0, n == 3 ? 3 : n == 4 ? month.size() : 1);
        } else if (code[0] == 'd') {
            if (n <= 2)
                AppendNumber(out, static_cast<unsigned>(date.day()), n);
            else
                out += kWeekdays[weekday].substr(0, n == 3 ? 3 : std::string_view::npos);
        } else if (code[0] == 'a') {
            out += (n == 3 ? "" : "星期") + std::string(kChineseWeekdays[weekday]);
        } else if (code[0] == 'h') {
            AppendNumber(out, twelveHours ? (hour + 11) % 12 + 1 : hour, n);
        } else if (code[0] == 'n') {
            AppendNumber(out, clock / 60 % 60, n);
        } else if (code[0] == 's') {
            AppendNumber(out, clock % 60, n);
        } else {  // "[h]", "[mm]", "[ss]"
            AppendNumber(out,
                         code[1] == 'h'   ? seconds / 3600
                         : code[1] == 'm' ? seconds / 60
                                          : seconds,
                         n - 2);
        }
    }
    return out;
}

}  // namespace

std::string_view BuiltInFormatCode(int id) {
    static constexpr std::pair<int, std::string_view> kCodes[] = {
        {1, "0"},
        {2, "0.00"},
        {3, "#,##0"},
        {4, "#,##0.00"},
        {5, "\"¥\"#,##0;\"¥\"\\-#,##0"},
        {6, "\"¥\"#,##0;[Red]\"¥\"\\-#,##0"},
        {7, "\"¥\"#,##0.00;\"¥\"\\-#,##0.00"},
        {8, "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00"},
        {9, "0%"},
        {10, "0.00%"},
        {11, "0.00E+00"},
        {12, "# ?/?"},
        {13, "# ?\?/?\?"},
        {14, "yyyy/m/d"},
        {15, "d-mmm-yy"},
        {16, "d-mmm"},
        {17, "mmm-yy"},
        {18, "h:mm AM/PM"},
        {19, "h:mm:ss AM/PM"},
        {20, "h:mm"},
        {21, "h:mm:ss"},
        {22, "yyyy/m/d h:mm"},
        {27, "yyyy\"年\"m\"月\""},
        {28, "m\"月\"d\"日\""},
        {29, "m\"月\"d\"日\""},
        {30, "m-d-yy"},
        {31, "yyyy\"年\"m\"月\"d\"日\""},
        {32, "h\"时\"mm\"分\""},
        {33, "h\"时\"mm\"分\"ss\"秒\""},
        {34, "上午/下午h\"时\"mm\"分\""},
        {35, "上午/下午h\"时\"mm\"分\"ss\"秒\""},
        {36, "yyyy\"年\"m\"月\""},
        {37, "#,##0 ;(#,##0)"},
        {38, "#,##0 ;[Red](#,##0)"},
        {39, "#,##0.00;(#,##0.00)"},
        {40, "#,##0.00;[Red](#,##0.00)"},
        {41, "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ "},
        {42, "_ \"¥\"* #,##0_ ;_ \"¥\"* \\-#,##0_ ;_ \"¥\"* \"-\"_ ;_ @_ "},
        {43, "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ "},
        {44, "_ \"¥\"* #,##0.00_ ;_ \"¥\"* \\-#,##0.00_ ;_ \"¥\"* \"-\"??_ ;_ @_ "},
        {45, "mm:ss"},
        {46, "[h]:mm:ss"},
        {47, "mm:ss.0"},
        {48, "##0.0E+0"},
        {49, "@"},
        {50, "yyyy\"年\"m\"月\""},
        {51, "m\"月\"d\"日\""},
        {52, "yyyy\"年\"m\"月\""},
        {53, "m\"月\"d\"日\""},
        {54, "m\"月\"d\"日\""},
        {55, "上午/下午h\"时\"mm\"分\""},
        {56, "上午/下午h\"时\"mm\"分\"ss\"秒\""},
        {57, "yyyy\"年\"m\"月\""},
        {58, "m\"月\"d\"日\""},
    };
    for (const auto& [known, code] : kCodes)
        if (known == id) return code;
    return "General";
}

std::string GeneralNumberText(double value) {
    if (!std::isfinite(value)) return {};
    if (value == 0) return "0";
    // A whole number of up to 15 digits shows whole, as in a column wide enough for it: a phone
    // number kept as a number (8613912345678) stays one that a message can go to.
    if (std::fabs(value) < 1e15 && std::trunc(value) == value)
        return std::to_string(static_cast<long long>(value));
    const std::string sign = value < 0 ? "-" : "";
    const Decimal exact(std::fabs(value));
    Decimal scientific = exact;  // a mantissa of 6 digits beside "E+XX", 5 beside "E+XXX"
    scientific.Round((std::abs(exact.point - 1) >= 100 ? 5 : 6) - exact.point);
    if (exact.point <= 11) {
        Decimal fixed = exact;
        fixed.Round(std::max(10 - std::max(exact.point, 1), 0));
        if (!fixed.digits.empty() && fixed.point <= 11 && fixed.digits.size() >= scientific.digits.size()) {
            std::string text = sign + (fixed.point > 0 ? fixed.Integer() : "0");
            if (fixed.Decimals() > 0) text += '.';
            for (std::size_t k = 0; k < fixed.Decimals(); ++k) text += fixed.Fraction(k);
            return text;
        }
    }
    std::string text = sign + scientific.digits.substr(0, 1);
    if (scientific.digits.size() > 1) text += "." + scientific.digits.substr(1);
    const int exponent = scientific.point - 1;
    text += exponent < 0 ? "E-" : "E+";
    AppendNumber(text, std::abs(exponent), 2);
    return text;
}

std::chrono::sys_days SerialDay(std::int64_t days, bool date1904) {
    // 1970-01-01 is day 24,107 of the 1904 system and day 25,569 of the 1900 system.
    const std::int64_t epoch = date1904 ? -24107 : (days < 61 ? -25568 : -25569);
    return std::chrono::sys_days(std::chrono::days(epoch + days));
}

NumberFormat::NumberFormat(std::string_view code) : sections_(ParseSections(code)) {}
NumberFormat::NumberFormat(const NumberFormat&) = default;
NumberFormat::NumberFormat(NumberFormat&&) noexcept = default;
NumberFormat& NumberFormat::operator=(const NumberFormat&) = default;
NumberFormat& NumberFormat::operator=(NumberFormat&&) noexcept = default;
NumberFormat::~NumberFormat() = default;

bool NumberFormat::ShowsDates() const {
    return sections_.front().date;
}

std::string NumberFormat::Show(double value, bool date1904) const {
    if (!std::isfinite(value)) return {};
    // A negative number takes the second section without its sign, zero the third; the fourth is
    // for texts.
    const std::size_t count = std::min<std::size_t>(sections_.size(), 3);
    const FormatSection* section = &sections_[0];
    bool minus = value < 0;
    if (value < 0 && count >= 2) {
        section = &sections_[1];
        minus = false;
    } else if (value == 0 && count >= 3) {
        section = &sections_[2];
    }
    if (section->text || section->fraction || (count == 1 && section->tokens.empty()))
        return GeneralNumberText(value);
    if (section->date)
        return value >= 0 && value < 2958466 ? ShowDate(*section, value, date1904) : GeneralNumberText(value);
    const std::string text = ShowNumber(*section, std::fabs(value));
    return minus ? "-" + text : text;
}

std::optional<std::string> NumberFormat::ShowText(std::string_view text) const {
    const FormatSection* section = sections_.size() >= 4                             ? &sections_[3]
                                   : sections_.size() == 1 && sections_.front().text ? &sections_.front()
                                                                                     : nullptr;
    if (!section) return std::nullopt;
    std::string out;
    for (const FormatToken& token : section->tokens) {
        if (token.part == Part::Text) out += text;
        if (token.part == Part::Literal) out += token.text;
    }
    return out == text ? std::nullopt : std::optional(out);
}

}  // namespace xunda
