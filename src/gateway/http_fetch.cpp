#include "gateway/http_fetch.h"

#include "net/http_request.h"
#include "net/socket_error.h"
#include "net/system_proxy.h"

namespace xunda {
namespace {

// Sets the client's proxy fields for proxyType: the system proxy's host and port into ProxyHost and
// ProxyPort (1) or the socket's SocksIP and SocksPort (2); every other proxy field, credentials
// included, empty.
void SetProxyFields(HttpRequest& http, int proxyType) {
    ProxySetting httpProxy, socks;
    if (proxyType == 1) httpProxy = GetSystemProxy("HTTP");
    if (proxyType == 2) socks = GetSystemProxy("SOCKS");
    http.ProxyHost = httpProxy.Host;
    http.ProxyPort = httpProxy.Port;
    http.ProxyUser.clear();
    http.ProxyPass.clear();
    TcpSocket& sock = http.Sock();
    sock.SocksIP = socks.Host;
    sock.SocksPort = socks.Port;
    sock.SocksUsername.clear();
    sock.SocksPassword.clear();
}

}  // namespace

FetchResult HttpFetch(const std::string& url, const FetchLimits& limits, int proxyType) {
    HttpRequest http;
    SetProxyFields(http, proxyType);
    http.Timeout = static_cast<int>(limits.timeout.count());  // bounds the connect as well
    http.Deadline = static_cast<int>(limits.deadline.count());
    http.MaxBodySize = static_cast<std::int64_t>(limits.maxBody);
    if (!http.ExecuteMethod("GET", url))
        return {
            http.Sock().LastError() == WSAETIMEDOUT ? kFetchTimedOut : 500, {}, http.RequestWritten(), false};
    return {http.ResultCode(), std::string(http.Document().Bytes())};
}

}  // namespace xunda
