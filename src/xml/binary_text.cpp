// Byte blocks as hex and Base64 text.
#include "core/exceptions.h"
#include "xml/text.h"

namespace xunda {
namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";

// The value of a Base64 character; characters outside the alphabet (the pad "=" among them) count 0.
unsigned Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A');
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 26);
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0' + 52);
    if (c == '+') return 62;
    if (c == '/') return 63;
    return 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void MissingData() {
    throw EFilerError("Missing data in binary stream");
}

}  // namespace

std::string EncodeBase64(const void* bytes, std::size_t count) {
    const unsigned char* in = static_cast<const unsigned char*>(bytes);
    std::string out;
    out.reserve((count + 2) / 3 * 4);
    for (std::size_t i = 0; i < count; i += 3) {
        unsigned v = static_cast<unsigned>(in[i]) << 16;
        if (i + 1 < count) v |= static_cast<unsigned>(in[i + 1]) << 8;
        if (i + 2 < count) v |= in[i + 2];
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += i + 1 < count ? kBase64[(v >> 6) & 63] : '=';
        out += i + 2 < count ? kBase64[v & 63] : '=';
    }
    return out;
}

void DecodeBase64(std::string_view text, void* buffer, std::size_t count) {
    if (text.size() / 4 * 3 < count) MissingData();
    unsigned char* out = static_cast<unsigned char*>(buffer);
    std::size_t written = 0;
    for (std::size_t i = 0; written < count; i += 4) {
        unsigned v = Base64Value(text[i]) << 18 | Base64Value(text[i + 1]) << 12 |
                     Base64Value(text[i + 2]) << 6 | Base64Value(text[i + 3]);
        for (int shift = 16; shift >= 0 && written < count; shift -= 8)
            out[written++] = static_cast<unsigned char>(v >> shift);
    }
}

std::string EncodeBinHex(const void* bytes, std::size_t count) {
    const unsigned char* in = static_cast<const unsigned char*>(bytes);
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        out += kHex[in[i] >> 4];
        out += kHex[in[i] & 15];
    }
    return out;
}

void DecodeBinHex(std::string_view text, void* buffer, std::size_t count) {
    if (count > text.size() / 2) MissingData();
    unsigned char* out = static_cast<unsigned char*>(buffer);
    for (std::size_t i = 0; i < count; ++i) {
        int high = HexValue(text[2 * i]);
        int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) throw EFilerError("Invalid hex digit in binary stream");
        out[i] = static_cast<unsigned char>(high << 4 | low);
    }
}

}  // namespace xunda
