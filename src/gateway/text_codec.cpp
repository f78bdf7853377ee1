#include "gateway/text_codec.h"

#include "core/codepage.h"

namespace xunda {

std::string StrToUcs2Hex(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char16_t unit : Utf8ToUtf16(text))
        for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(unit >> shift) & 0xF];
    return out;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int HexPairToInt(std::string_view pair) {
    if (pair.size() != 2) return -1;
    int hi = HexDigitValue(pair[0]), lo = HexDigitValue(pair[1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::string HexToStr(std::string_view hex) {
    std::string bytes;
    bytes.reserve((hex.size() + 1) / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        int value = HexPairToInt(hex.substr(i, 2));
        bytes += static_cast<char>(value < 0 ? 0xFF : value);
    }
    return bytes;
}

}  // namespace xunda
