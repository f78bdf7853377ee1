// One HTTP GET as the gateway needs it: a fresh client on the caller's thread, bounded waits, a
// bounded request and a bounded body.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace xunda {

struct FetchLimits {
    std::chrono::milliseconds timeout{30000};  // the connect and each receive wait
    std::size_t maxBody = 16 * 1024 * 1024;
    std::chrono::milliseconds deadline{60000};  // the whole request: connect, head and body
};

// The status of a request that ran out of time (its text tells it from a refused connection).
inline constexpr int kFetchTimedOut = 408;

struct FetchResult {
    // The reply's status; 0 for a reply without status line. A reply not read to its end (cut
    // short, reset, over FetchLimits::maxBody) is no reply: 500 with no body, or kFetchTimedOut
    // when a wait or the deadline ran out.
    int status = 500;
    std::string body;
    // No complete reply came although the request had gone out (a byte of it was written): the
    // peer may have acted on it. False for a reply, and for a request that never reached the peer.
    bool replyLost = false;
    // The whole reply was read: status line, head and body, whatever the status.
    bool complete = true;
};

// How a request reaches the service (`ProxyType`): 0 directly, 1 through the system's HTTP proxy,
// 2 through the system's SOCKS proxy (GetSystemProxy, net/system_proxy.h); any other value as 0.
// Without such a proxy configured, 1 and 2 connect directly too.
using Fetcher = std::function<FetchResult(const std::string& url, const FetchLimits& limits, int proxyType)>;

// The real GET over the project's HTTP client.
FetchResult HttpFetch(const std::string& url, const FetchLimits& limits, int proxyType);

}  // namespace xunda
