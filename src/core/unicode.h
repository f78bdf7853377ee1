// The one decoder of UTF-8 and UTF-16 text, and the encoders back. The decoders say what they met;
// each caller chooses what bad input becomes (U+FFFD, "?", a refusal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xunda {

enum class Utf8Status : std::uint8_t {
    Ok,
    Malformed,  // a byte that opens no sequence, or a sequence cut short
    Invalid,    // a complete sequence that is no character: overlong, a surrogate, beyond U+10FFFF
};

struct Utf8Char {
    char32_t cp;         // the character when Ok
    std::size_t length;  // bytes it takes, at least 1; a sequence cut short ends before the byte that cut it
    Utf8Status status;
};

// The character that starts at text[i] (i < text.size()).
inline Utf8Char DecodeUtf8(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return {lead, 1, Utf8Status::Ok};
    const std::size_t n = lead >= 0xC0 && lead < 0xE0   ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF8 ? 4
                                                        : 0;
    if (n == 0) return {0xFFFD, 1, Utf8Status::Malformed};
    char32_t cp = lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return {0xFFFD, k, Utf8Status::Malformed};
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {0xFFFD, n, Utf8Status::Invalid};
    return {cp, n, Utf8Status::Ok};
}

struct Utf16Char {
    char32_t cp;         // a surrogate pair joined; a lone surrogate as it is
    std::size_t length;  // units it takes
    bool lone;           // a surrogate without its partner
};

// The character that starts at text[i] (i < text.size()).
Utf16Char DecodeUtf16(std::u16string_view text, std::size_t i);

// Appends the UTF-8 form of a code point (1 to 4 bytes).
void AppendUtf8(std::string& out, char32_t cp);
// Appends the UTF-16 form of a code point (one unit or a surrogate pair).
void AppendUtf16(std::u16string& out, char32_t cp);

// What bad input becomes in a whole-text conversion.
enum class BadInput : std::uint8_t {
    Replace,   // U+FFFD
    Question,  // "?"
};

// UTF-8 -> UTF-16; a malformed or invalid sequence is one bad character.
std::u16string Utf8ToUtf16(std::string_view utf8, BadInput bad = BadInput::Replace);
// UTF-16 -> UTF-8; a lone surrogate is one bad character.
std::string Utf16ToUtf8(std::u16string_view utf16, BadInput bad = BadInput::Question);
bool IsValidUtf8(std::string_view bytes);

// Wide text as bytes: UTF-16 or UTF-32, little or big endian.
enum class WideForm : std::uint8_t { Utf16Le, Utf16Be, Utf32Le, Utf32Be };
// Bytes of one code unit of the form: 2 or 4.
std::size_t UnitBytes(WideForm form);
// The code unit at bytes[at] (at + UnitBytes(form) <= bytes.size()).
char32_t UnitAt(std::string_view bytes, std::size_t at, WideForm form);
// Wide-text bytes -> UTF-8; a lone surrogate or a unit that is no character is one bad character,
// a unit cut short at the end is dropped.
std::string WideToUtf8(std::string_view bytes, WideForm form, BadInput bad = BadInput::Question);

}  // namespace xunda
