// One HTTP GET as the gateway needs it: a fresh client on the caller's thread, bounded waits and
// a bounded body.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace xunda {

struct FetchLimits {
    std::chrono::milliseconds timeout{30000};  // the connect and each receive wait
    std::size_t maxBody = 16 * 1024 * 1024;
};

struct FetchResult {
    // The reply's status; 0 for a reply without status line; 500 when no reply could be read or
    // its body went over FetchLimits::maxBody.
    int status = 500;
    std::string body;
};

using Fetcher = std::function<FetchResult(const std::string& url, const FetchLimits& limits)>;

// The real GET over the project's HTTP client, direct connection.
FetchResult HttpFetch(const std::string& url, const FetchLimits& limits);

}  // namespace xunda
