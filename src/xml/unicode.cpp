// UTF-8, UTF-16 and GBK conversions of the XML model.
#include "xml/unicode.h"

#include "core/codepage.h"
#include "xml/text.h"

namespace xunda {

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

int Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0 && lead < 0xF0) return 3;
    if (lead >= 0xC2 && lead < 0xE0) return 2;
    return 1;
}

char32_t DecodeUtf8Sequence(std::string_view s) {
    if (s.empty()) return 0xFFFD;
    unsigned char lead = static_cast<unsigned char>(s[0]);
    int n = Utf8SequenceLength(lead);
    if (n == 1) return lead < 0x80 ? lead : 0xFFFD;
    if (static_cast<int>(s.size()) != n) return 0xFFFD;
    char32_t cp = lead & (0x7F >> n);
    for (int i = 1; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    return cp;
}

std::string CodePointToGbk(char32_t cp, bool& lost) {
    lost = false;
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    std::string utf8;
    AppendUtf8(utf8, cp);
    std::string gbk = Utf8ToGbk(utf8);
    if (gbk == "?") lost = true;
    return gbk;
}

bool IsGbkTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

std::size_t Ucs2BufferToUtf8(char* dest, std::size_t destSize, const char16_t* source, std::size_t count) {
    if (!dest || !source || destSize == 0) return 0;
    std::size_t used = 0;
    std::string bytes;
    for (std::size_t i = 0; i < count && used < destSize; ++i) {
        char32_t cp = source[i];
        std::size_t units = 1;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && source[i + 1] >= 0xDC00 && source[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (source[i + 1] - 0xDC00);
            units = 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        bytes.clear();
        AppendUtf8(bytes, cp);
        if (used + bytes.size() > destSize) break;
        bytes.copy(dest + used, bytes.size());
        used += bytes.size();
        i += units - 1;
    }
    if (used >= destSize) used = destSize - 1;
    dest[used] = 0;
    return used + 1;
}

std::ptrdiff_t Utf8BufferToUcs2(char16_t* dest, std::size_t destSize, const char* source, std::size_t count) {
    if (!dest || !source || destSize == 0) return 0;
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < count && used < destSize) {
        unsigned char lead = static_cast<unsigned char>(source[i++]);
        if (lead < 0x80) {
            dest[used++] = lead;
            continue;
        }
        if (i >= count) return -1;
        int continuations = (lead & 0xF0) == 0xF0 ? 3 : (lead & 0x20) ? 2 : 1;
        char32_t cp = lead & (continuations == 3 ? 0x07 : continuations == 2 ? 0x0F : 0x1F);
        for (int k = 0; k < continuations; ++k) {
            if (i >= count) return -1;
            unsigned char c = static_cast<unsigned char>(source[i++]);
            if ((c & 0xC0) != 0x80) return -1;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[continuations] || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;  // overlong or a surrogate
        if (continuations < 3 || cp == 0xFFFD) {
            dest[used++] = static_cast<char16_t>(cp & 0xFFFF);
        } else {
            if (cp > 0x10FFFF) return -1;
            if (used + 2 > destSize) break;
            cp -= 0x10000;
            dest[used++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            dest[used++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
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

std::string AnsiTextToUtf8(std::string_view text) { return GbkToUtf8(text); }

std::string Utf8TextToAnsi(std::string_view text) {
    std::u16string wide = Utf8TextToWide(text);
    return wide.empty() ? std::string() : Utf8ToGbk(WideTextToUtf8(wide));
}

}  // namespace xunda
