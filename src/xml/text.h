// Text helpers of the XML model: entities, quoting, blanks and line breaks, conversions between
// UTF-8, 16-bit text and the system code page (936, GBK), hex and Base64 byte blocks, ISO dates,
// float text and small stream helpers. None of them keeps state.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/stream.h"

namespace xunda {

// A local date and time with milliseconds (no time zone), as the ISO text carries it.
using XmlDateTime = std::chrono::local_time<std::chrono::milliseconds>;

// Character classes of the parser, one table lookup each.
enum XmlCharClass : std::uint8_t {
    xccBlank = 1,    // tab, line feed, carriage return, blank
    xccQuote = 2,    // double and single quote
    xccTagMark = 4,  // "=", "/" and ">": in a start tag they end a name
};
inline constexpr auto kXmlCharClass = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned char c : {'\t', '\n', '\r', ' '}) table[c] |= xccBlank;
    for (unsigned char c : {'"', '\''}) table[c] |= xccQuote;
    for (unsigned char c : {'=', '/', '>'}) table[c] |= xccTagMark;
    return table;
}();
inline bool IsXmlClass(char c, std::uint8_t classes) {
    return kXmlCharClass[static_cast<unsigned char>(c)] & classes;
}
inline bool IsXmlBlank(char c) {
    return IsXmlClass(c, xccBlank);
}
inline bool IsXmlQuote(char c) {
    return IsXmlClass(c, xccQuote);
}

// --- entities and quoting ---

// Replaces & < > ' " by their five entities (the ampersand first).
std::string EscapeString(std::string_view text);
// Decodes the five entities and numeric references; a reference becomes UTF-8 (&#0; U+FFFD).
// Anything else stays.
std::string UnescapeToUtf8(std::string_view text);
// The same for text of the system code page: a reference becomes that character's GBK bytes
// ("?" when GBK has no form for it).
std::string UnescapeToAnsi(std::string_view text);
// The text in double quotes, or in single quotes (inner ones doubled) when it holds a double quote.
std::string QuoteString(std::string_view text);
// The part between a leading quote and its closing partner, doubled quotes made single; a text that
// does not start with a quote (or is shorter than 2) is returned unchanged.
std::string UnQuoteString(std::string_view text);
std::string RemoveBlanks(std::string_view text);
// The control text before the text, after every lineLength characters and at the end.
std::string InsertLineBreaks(std::string_view text, std::string_view control, int lineLength);

// --- 16-bit, UTF-8 and code-page text ---

// UTF-16 units to UTF-8 (surrogate pairs as one 4-byte sequence); returns bytes written + 1 for the
// closing NUL, 0 when a buffer is missing.
std::size_t Ucs2BufferToUtf8(char* dest, std::size_t destSize, const char16_t* source, std::size_t count);
// UTF-8 to UTF-16 units (4-byte sequences as surrogate pairs, overlong forms and encoded surrogates
// as U+FFFD); returns units written + 1 for the closing NUL, -1 for a malformed sequence, 0 when a
// buffer is missing.
std::ptrdiff_t Utf8BufferToUcs2(char16_t* dest, std::size_t destSize, const char* source, std::size_t count);
std::string WideTextToUtf8(std::u16string_view text);
// Empty for malformed UTF-8.
std::u16string Utf8TextToWide(std::string_view text);
std::string AnsiTextToUtf8(std::string_view text);
// Empty for malformed UTF-8; characters without a GBK form become "?".
std::string Utf8TextToAnsi(std::string_view text);

// --- byte blocks ---

std::string EncodeBase64(const void* bytes, std::size_t count);
// Raises EFilerError "Missing data in binary stream" when the text holds fewer than count bytes.
void DecodeBase64(std::string_view text, void* buffer, std::size_t count);
std::string EncodeBinHex(const void* bytes, std::size_t count);
// Raises as DecodeBase64, and EFilerError "Invalid hex digit in binary stream" at a pair that is
// not two hex digits.
void DecodeBinHex(std::string_view text, void* buffer, std::size_t count);

// --- numbers and dates ---

// Integer text: optional blanks and sign, decimal digits or "$" and hex digits. False when the text
// is not such a number or does not fit.
bool TextToInt64(std::string_view text, std::int64_t& value);
// EConvertError "'<text>' is not a valid integer value" for a bad text.
std::int32_t StrToInt(std::string_view text);
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);
std::int64_t StrToInt64Def(std::string_view text, std::int64_t def);

// "YYYY-MM-DD" or "YYYY-MM-DDTHH:NN[:SS[.ZZZ]]"; raises EConvertError for a bad date, hour or minute.
XmlDateTime IsoTextToDateTime(std::string_view text);
XmlDateTime IsoTextToDateTimeDef(std::string_view text, XmlDateTime def);
// "YYYY-MM-DD" at midnight, else "YYYY-MM-DDTHH:NN:SS.zzzZ" (the "Z" is literal, no zone conversion).
std::string DateTimeToIsoText(XmlDateTime value);
XmlDateTime EncodeXmlDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                              int ms = 0);
// value with `digits` significant digits (1..9, else Exception "Significant digits out of range"),
// in exponent form when allowed and shorter.
std::string FloatToDigitsText(int digits, bool exponent, double value);

// --- streams ---

// A memory stream holding the bytes of a text, positioned at 0.
class XmlStringStream : public MemoryStream {
  public:
    explicit XmlStringStream(std::string_view text = {});
    std::string DataString() const { return std::string(Bytes()); }
};

void WriteStringToStream(Stream& stream, std::string_view text);
// Writes count bytes from offset bytes into the buffer.
void StreamWriteAt(Stream& stream, const void* buffer, std::size_t offset, std::size_t count);

}  // namespace xunda
