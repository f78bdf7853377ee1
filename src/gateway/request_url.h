// The URLs of the service's requests. Every value is encoded on its own, so that "&", "+", "#" or
// "=" inside a message, a user name or a password cannot split or change the query; for values
// without those characters the bytes are the same as encoding the whole URL at once.
#pragma once

#include <string>
#include <string_view>

namespace xunda {

// The account values every request carries (UTF-8).
struct Credentials {
    std::string corpID;
    std::string loginName;
    std::string password;
};

// One putMt request: the numbers joined by ",", the text (UTF-8) and its options.
struct MtRequest {
    std::string Mobs;
    std::string msg;
    std::string mtLevel;
    std::string subNumber;
    std::string linkID;
};

// One value of a query: the bytes PercentEncodeUrl (net/net_code.h) escapes and "&", "+", "#", "=".
std::string EncodeUrlValue(std::string_view bytes);
// One value of a format-0 request, which keeps its GBK bytes raw: only control bytes, the blank,
// "%", "&", "+", "#" and "=" are escaped (they would break the request line or the query).
std::string EncodeRawUrlValue(std::string_view bytes);

// The text of putMt's msg key for a message format (0 GBK, 1 GBK encoded as a value, 2 UTF-8,
// 3 UCS-2 hex), before the value's own encoding.
std::string FormatMessage(int msgFormat, std::string_view text);

// "http://" + host + the request's path and query, ready to send. msgFormat must be 0..3.
std::string PutMtUrl(std::string_view host, int msgFormat, const Credentials& account, const MtRequest& mt);
// getMo or getReport: `path` is "/sms/getMo/" or "/sms/getReport/"; MD5Str is sent empty.
std::string PollUrl(std::string_view host, std::string_view path, int msgFormat, const Credentials& account);

// "http://" + host + "/data/?sql=getData+", the start of every data query.
std::string DataQueryBase(std::string_view host);
// The URL the data query sends for `url` (base + quoted SQL literals): the arguments after
// "getData+" are encoded as one value.
std::string DataQueryUrl(std::string_view url);

}  // namespace xunda
