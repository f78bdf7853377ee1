// Conversions of the XML model between UTF-8, 16-bit text and the system code page (GBK), over the
// decoder in core: a lone surrogate becomes U+FFFD, malformed UTF-8 refuses the whole text.
#include "core/codepage.h"
#include "xml/text.h"

namespace xunda {

std::size_t Ucs2BufferToUtf8(char* dest, std::size_t destSize, const char16_t* source, std::size_t count) {
    if (!dest || !source || destSize == 0) return 0;
    const std::u16string_view units(source, count);
    std::size_t used = 0;
    std::string bytes;
    for (std::size_t i = 0; i < count && used < destSize;) {
        Utf16Char c = DecodeUtf16(units, i);
        bytes.clear();
        AppendUtf8(bytes, c.lone ? 0xFFFD : c.cp);  // a lone surrogate has no UTF-8 form
        if (used + bytes.size() > destSize) break;
        bytes.copy(dest + used, bytes.size());
        used += bytes.size();
        i += c.length;
    }
    if (used >= destSize) used = destSize - 1;
    dest[used] = 0;
    return used + 1;
}

std::ptrdiff_t Utf8BufferToUcs2(char16_t* dest, std::size_t destSize, const char* source, std::size_t count) {
    if (!dest || !source || destSize == 0) return 0;
    const std::string_view bytes(source, count);
    std::u16string units;
    std::size_t used = 0;
    for (std::size_t i = 0; i < count && used < destSize;) {
        Utf8Char c = DecodeUtf8(bytes, i);
        if (c.status == Utf8Status::Malformed) return -1;
        units.clear();
        AppendUtf16(units, c.cp);  // an overlong form or an encoded surrogate is U+FFFD
        if (used + units.size() > destSize) break;
        units.copy(dest + used, units.size());
        used += units.size();
        i += c.length;
    }
    if (used >= destSize) used = destSize - 1;
    dest[used] = 0;
    return static_cast<std::ptrdiff_t>(used + 1);
}

std::string WideTextToUtf8(std::u16string_view text) {
    if (text.empty()) return {};
    std::string out(text.size() * 3 + 1, '\0');
    std::size_t n = Ucs2BufferToUtf8(out.data(), out.size(), text.data(), text.size());
    out.resize(n - 1);
    return out;
}

std::u16string Utf8TextToWide(std::string_view text) {
    if (text.empty()) return {};
    std::u16string out(text.size() + 1, u'\0');
    std::ptrdiff_t n = Utf8BufferToUcs2(out.data(), out.size(), text.data(), text.size());
    if (n <= 0) return {};
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

std::string AnsiTextToUtf8(std::string_view text) {
    return GbkToUtf8(text);
}

std::string Utf8TextToAnsi(std::string_view text) {
    std::u16string wide = Utf8TextToWide(text);
    return wide.empty() ? std::string() : Utf8ToGbk(WideTextToUtf8(wide));
}

}  // namespace xunda
