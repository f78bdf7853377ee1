#include "gateway/request_url.h"

#include "core/codepage.h"
#include "gateway/text_codec.h"
#include "net/net_code.h"

namespace xunda {

namespace {

ByteSet Bytes(std::string_view chars) {
    ByteSet set;
    for (unsigned char c : chars) set.set(c);
    return set;
}

// Escaped in every value on top of the whole-URL set: they would split or change the query.
const ByteSet kQuerySeparators = Bytes("&+#=");
// A format-0 value keeps its GBK bytes; only what breaks the request line or the query is escaped.
const ByteSet kRawValueSet = [] {
    ByteSet set = Bytes("%&+#=");
    for (int b = 0x00; b <= 0x20; ++b) set.set(b);
    set.set(0x7F);
    return set;
}();

std::string HostPart(std::string_view host) {
    return PercentEncodeUrl("http://" + std::string(host));
}

// One value of a request: raw (format-0 putMt) or URL-encoded.
std::string Value(std::string_view bytes, bool raw) {
    return raw ? EncodeRawUrlValue(bytes) : EncodeUrlValue(bytes);
}

// The common head of the three text requests, each value in GBK.
std::string RequestHead(std::string_view host, std::string_view path, int msgFormat,
                        const Credentials& account, bool raw) {
    auto value = [raw](std::string_view text) { return Value(Utf8ToGbk(text), raw); };
    return HostPart(host) + std::string(path) + "?msgFormat=" + std::to_string(msgFormat) +
           "&corpID=" + value(account.corpID) + "&loginName=" + value(account.loginName) +
           "&password=" + value(account.password);
}

}  // namespace

// The whole-URL escapes leave "&+#=" as they were, and their "%XX" holds none of them.
std::string EncodeUrlValue(std::string_view bytes) {
    return EscapeBytes(PercentEncodeUrl(bytes), '%', kQuerySeparators);
}
std::string EncodeRawUrlValue(std::string_view bytes) {
    return EscapeBytes(bytes, '%', kRawValueSet);
}

std::string FormatMessage(int msgFormat, std::string_view text) {
    switch (msgFormat) {
        case 0:
            return Utf8ToGbk(text);
        // Encoded here as a value too: the service decodes the text a second time, and a "+" left
        // bare would then be read as a blank.
        case 1:
            return EncodeUrlValue(Utf8ToGbk(text));
        case 2:
            return std::string(text);
        default:
            return StrToUcs2Hex(text);
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

std::string DataQueryBase(std::string_view host) {
    return "http://" + std::string(host) + "/data/?sql=getData+";
}

std::string DataQueryUrl(std::string_view url) {
    size_t sql = url.find("sql=");
    if (sql == std::string_view::npos) return PercentEncodeUrl(url);
    sql += 4;
    size_t plus = url.find('+', sql);
    size_t args = plus == std::string_view::npos ? sql : plus + 1;
    return PercentEncodeUrl(url.substr(0, args)) + EncodeUrlValue(url.substr(args));
}

}  // namespace xunda
