#include "core/unicode.h"

namespace xunda {

Utf16Char DecodeUtf16(std::u16string_view text, std::size_t i) {
    const char32_t unit = text[i];
    if (unit < 0xD800 || unit > 0xDFFF) return {unit, 1, false};
    if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
        return {0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00), 2, false};
    return {unit, 1, true};
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
        return;
    }
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
}

std::u16string Utf8ToUtf16(std::string_view utf8, BadInput bad) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        Utf8Char c = DecodeUtf8(utf8, i);
        AppendUtf16(out, c.status == Utf8Status::Ok ? c.cp : bad == BadInput::Replace ? 0xFFFD : U'?');
        i += c.length;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16, BadInput bad) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size();) {
        Utf16Char c = DecodeUtf16(utf16, i);
        AppendUtf8(out, !c.lone ? c.cp : bad == BadInput::Replace ? 0xFFFD : U'?');
        i += c.length;
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        Utf8Char c = DecodeUtf8(bytes, i);
        if (c.status != Utf8Status::Ok) return false;
        i += c.length;
    }
    return true;
}

std::size_t UnitBytes(WideForm form) {
    return form == WideForm::Utf16Le || form == WideForm::Utf16Be ? 2 : 4;
}

char32_t UnitAt(std::string_view bytes, std::size_t at, WideForm form) {
    const std::size_t n = UnitBytes(form);
    const bool bigEndian = form == WideForm::Utf16Be || form == WideForm::Utf32Be;
    char32_t unit = 0;
    for (std::size_t k = 0; k < n; ++k)
        unit = unit << 8 | static_cast<unsigned char>(bytes[at + (bigEndian ? k : n - 1 - k)]);
    return unit;
}

std::string WideToUtf8(std::string_view bytes, WideForm form, BadInput bad) {
    const std::size_t n = UnitBytes(form);
    const char32_t badChar = bad == BadInput::Replace ? 0xFFFD : U'?';
    if (n == 2) {
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (std::size_t at = 0; at + 2 <= bytes.size(); at += 2)
            units += static_cast<char16_t>(UnitAt(bytes, at, form));
        return Utf16ToUtf8(units, bad);
    }
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        const char32_t cp = UnitAt(bytes, at, form);
        AppendUtf8(out, cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? badChar : cp);
    }
    return out;
}

}  // namespace xunda
