#include "gateway/request_url.h"

#include <bitset>

#include "core/codepage.h"
#include "gateway/text_codec.h"

namespace xunda {

namespace {

using ByteSet = std::bitset<256>;

ByteSet UrlSet() {
    ByteSet set;
    for (int b = 0x00; b <= 0x20; ++b) set.set(b);
    for (int b = 0x7F; b <= 0xFF; ++b) set.set(b);
    for (unsigned char c : std::string_view("\"%<>[\\]^_`{|}~")) set.set(c);
    return set;
}

ByteSet With(ByteSet set, std::string_view extra) {
    for (unsigned char c : extra) set.set(c);
    return set;
}

const ByteSet kUrlSet = UrlSet();
const ByteSet kValueSet = With(kUrlSet, "&+#=");
const ByteSet kRawValueSet = [] {
    ByteSet set;
    for (int b = 0x00; b <= 0x20; ++b) set.set(b);
    set.set(0x7F);
    return With(set, "%&+#=");
}();

std::string Escape(std::string_view bytes, const ByteSet& specials) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        if (specials.test(b)) {
            out += '%';
            out += kDigits[b >> 4];
            out += kDigits[b & 0xF];
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

std::string HostPart(std::string_view host) { return PercentEncodeUrl("http://" + std::string(host)); }

// One value of a request: raw (format-0 putMt) or URL-encoded.
std::string Value(std::string_view bytes, bool raw) { return raw ? EncodeRawUrlValue(bytes) : EncodeUrlValue(bytes); }

// The common head of the three text requests, each value in GBK.
std::string RequestHead(std::string_view host, std::string_view path, int msgFormat, const Credentials& account,
                        bool raw) {
    auto value = [raw](std::string_view text) { return Value(Utf8ToGbk(text), raw); };
    return HostPart(host) + std::string(path) + "?msgFormat=" + std::to_string(msgFormat) +
           "&corpID=" + value(account.corpID) + "&loginName=" + value(account.loginName) +
           "&password=" + value(account.password);
}

}  // namespace

std::string PercentEncodeUrl(std::string_view bytes) { return Escape(bytes, kUrlSet); }
std::string EncodeUrlValue(std::string_view bytes) { return Escape(bytes, kValueSet); }
std::string EncodeRawUrlValue(std::string_view bytes) { return Escape(bytes, kRawValueSet); }

std::string FormatMessage(int msgFormat, std::string_view text) {
    switch (msgFormat) {
        case 0: return Utf8ToGbk(text);
        case 1: return PercentEncodeUrl(Utf8ToGbk(text));
        case 2: return std::string(text);
        default: return StrToUcs2Hex(text);
    }
}

std::string PutMtUrl(std::string_view host, int msgFormat, const Credentials& account, const MtRequest& mt) {
    const bool raw = msgFormat == 0;  // format 0 sends its GBK text as it is
    auto value = [raw](std::string_view bytes) { return Value(bytes, raw); };
    return RequestHead(host, "/sms/putMt/", msgFormat, account, raw) + "&Mobs=" + value(Utf8ToGbk(mt.Mobs)) +
           "&msg=" + value(FormatMessage(msgFormat, mt.msg)) + "&mtLevel=" + value(Utf8ToGbk(mt.mtLevel)) +
           "&subNumber=" + value(Utf8ToGbk(mt.subNumber)) + "&linkID=" + value(Utf8ToGbk(mt.linkID));
}

std::string PollUrl(std::string_view host, std::string_view path, int msgFormat, const Credentials& account) {
    return RequestHead(host, path, msgFormat, account, false) + "&MD5Str=";
}

std::string DataQueryBase(std::string_view host) { return "http://" + std::string(host) + "/data/?sql=getData+"; }

std::string DataQueryUrl(std::string_view url) {
    size_t sql = url.find("sql=");
    if (sql == std::string_view::npos) return PercentEncodeUrl(url);
    sql += 4;
    size_t plus = url.find('+', sql);
    size_t args = plus == std::string_view::npos ? sql : plus + 1;
    return PercentEncodeUrl(url.substr(0, args)) + EncodeUrlValue(url.substr(args));
}

}  // namespace xunda
