// A bare HTTP client on a raw socket: sends bytes, reads everything until the server closes.
#pragma once

#include <cstdint>
#include <string>

namespace xunda::test {

// The whole answer of the server on 127.0.0.1:port to `request` (empty when it closed at once).
std::string RawExchange(std::uint16_t port, const std::string& request);
// RawExchange of "GET <target> HTTP/1.0" with a Host header.
std::string RawGet(std::uint16_t port, const std::string& target);
// The body of an answer with a status line and headers (everything after the empty line).
std::string BodyOf(const std::string& answer);

}  // namespace xunda::test
