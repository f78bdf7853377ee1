#include "gateway/http_fetch.h"

#include "net/http_request.h"
#include "net/socket_error.h"

namespace xunda {

FetchResult HttpFetch(const std::string& url, const FetchLimits& limits) {
    HttpRequest http;
    http.Timeout = static_cast<int>(limits.timeout.count());  // bounds the connect as well
    http.Deadline = static_cast<int>(limits.deadline.count());
    http.MaxBodySize = static_cast<std::int64_t>(limits.maxBody);
    if (!http.ExecuteMethod("GET", url))
        return {http.Sock().LastError() == WSAETIMEDOUT ? kFetchTimedOut : 500, {}, http.RequestWritten()};
    return {http.ResultCode(), std::string(http.Document().Bytes())};
}

}  // namespace xunda
