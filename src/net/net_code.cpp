#include "net/net_code.h"

namespace xunda {

std::string EscapeBytes(std::string_view value, char delimiter, const ByteSet& specials) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        auto b = static_cast<unsigned char>(c);
        if (specials.test(b)) {
            out += delimiter;
            out += hex[b >> 4];
            out += hex[b & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

ByteSet UrlSpecials() {
    ByteSet set;
    for (int b = 0x00; b <= 0x20; ++b) set.set(static_cast<std::size_t>(b));
    for (unsigned char b : std::string_view("\"%<>[\\]^_`{|}~")) set.set(b);
    for (int b = 0x7F; b <= 0xFF; ++b) set.set(static_cast<std::size_t>(b));
    return set;
}

}  // namespace

std::string PercentEncodeUrl(std::string_view value) {
    static const ByteSet specials = UrlSpecials();
    return EscapeBytes(value, '%', specials);
}

std::string Base64EncodeWithTable(std::string_view value, std::string_view table) {
    std::string out;
    out.reserve((value.size() + 2) / 3 * 4);
    auto put = [&](unsigned index) {
        if (index < table.size()) out += table[index];
    };
    for (std::size_t i = 0; i < value.size(); i += 3) {
        std::size_t n = value.size() - i;
        unsigned b0 = static_cast<unsigned char>(value[i]);
        unsigned b1 = n > 1 ? static_cast<unsigned char>(value[i + 1]) : 0;
        unsigned b2 = n > 2 ? static_cast<unsigned char>(value[i + 2]) : 0;
        put(b0 >> 2);
        put(((b0 & 0x03) << 4) | (b1 >> 4));
        put(n > 1 ? ((b1 & 0x0F) << 2) | (b2 >> 6) : 64);
        put(n > 2 ? (b2 & 0x3F) : 64);
    }
    return out;
}

std::string Base64EncodeText(std::string_view value) {
    return Base64EncodeWithTable(value, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=");
}

}  // namespace xunda
