// Text codecs at the service boundary: UCS-2 hex for message format 3 and hex text back to bytes
// for the data query's attribute values.
#pragma once

#include <string>
#include <string_view>

namespace xunda {

// Every UTF-16 code unit of the text as four upper-case hex digits, no separator ("abc" ->
// "006100620063").
std::string StrToUcs2Hex(std::string_view text);
// 0..15 for a hex digit of either case, -1 for anything else.
int HexDigitValue(char c);
// The byte value (0..255) of a two-digit hex text; -1 when it is not exactly two hex digits.
int HexPairToInt(std::string_view pair);
// Hex text to bytes, two digits a byte; an invalid pair, or an odd last digit, gives 0xFF.
std::string HexToStr(std::string_view hex);

}  // namespace xunda
