#include "core/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace xunda {
namespace {

// One converter per thread and direction: iconv descriptors are not safe to share.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv: code page 936 is not available");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; at a byte sequence the converter refuses, `skip(rest)` says how many input bytes
    // to drop, and "?" is written in their place.
    template <typename Skip>
    std::string Run(std::string_view in, Skip skip) {
        std::string out;
        out.resize(in.size() * 2 + 16);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (rc != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
            } else {  // EILSEQ or EINVAL (truncated sequence at the end)
                size_t n = skip(std::string_view(src, srcLeft));
                src += n;
                srcLeft -= n;
                if (used == out.size()) out.resize(out.size() * 2);
                out[used++] = '?';
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        out.resize(used);
        return out;
    }

  private:
    iconv_t cd_;
};

Converter& ToGbk() {
    thread_local Converter c("CP936", "UTF-8");
    return c;
}
Converter& FromGbk() {
    thread_local Converter c("UTF-8", "CP936");
    return c;
}

// Bytes of the character that starts `rest` (a bad sequence as one).
size_t Utf8Length(std::string_view rest) {
    return DecodeUtf8(rest, 0).length;
}

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

bool IsGbkLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}

bool IsGbkTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

std::string CodePointToGbk(char32_t cp, bool& lost) {
    lost = false;
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    std::string utf8;
    AppendUtf8(utf8, cp);
    std::string gbk = Utf8ToGbk(utf8);
    lost = gbk == "?";
    return gbk;
}

std::string Utf8ToGbk(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    return ToGbk().Run(utf8, [](std::string_view rest) { return Utf8Length(rest); });
}

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) return std::string(gbk);
    return FromGbk().Run(gbk, [](std::string_view) -> size_t { return 1; });
}

std::string MakeGbkSafe(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    return GbkToUtf8(Utf8ToGbk(utf8));
}

std::size_t GbkByteLength(std::string_view utf8) {
    if (IsAscii(utf8)) return utf8.size();
    return Utf8ToGbk(utf8).size();
}

std::size_t GbkCharCount(std::string_view utf8) {
    size_t count = 0;
    for (size_t i = 0; i < utf8.size(); i += DecodeUtf8(utf8, i).length) ++count;
    return count;
}

std::string_view CutGbkBytes(std::string_view gbk, std::size_t maxBytes) {
    size_t i = 0;
    while (i < gbk.size()) {
        size_t n = IsGbkLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size() ? 2 : 1;
        if (i + n > maxBytes) break;
        i += n;
    }
    return gbk.substr(0, i);
}

std::string CutToGbkBytes(std::string_view utf8, std::size_t maxBytes) {
    if (IsAscii(utf8)) return std::string(utf8.substr(0, std::min(maxBytes, utf8.size())));
    std::string gbk = Utf8ToGbk(utf8);
    if (gbk.size() <= maxBytes) return MakeGbkSafe(utf8);
    return GbkToUtf8(CutGbkBytes(gbk, maxBytes));
}

}  // namespace xunda
