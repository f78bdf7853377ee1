// The simulator's side of HTTP/1.1: reading a request head, the query string, writing a reply
// with the framing a test asks for.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xunda::sim {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

struct RequestHead {
    std::string requestLine;  // as received, without its line end
    std::string method;
    std::string target;   // path and query exactly as sent (raw bytes)
    std::string version;  // "HTTP/1.1"; empty for a request line without one
    std::string path;     // target before "?"
    KeyValues query;      // keys and values percent-decoded, "+" read as a blank
    KeyValues headers;    // names and values as sent, values trimmed
};

// Parses a request head: the request line and header lines, each ended by CR LF or LF. The target
// is everything between the first and the last blank (a format-0 message may hold raw bytes).
std::optional<RequestHead> ParseRequestHead(std::string_view head);

// 0..15 for a hex digit of either case, -1 otherwise.
int HexValue(char c);
// %XX escapes become bytes (a malformed escape stays as written); with plusIsBlank "+" becomes " ".
std::string PercentDecode(std::string_view text, bool plusIsBlank);
// "a=1&b=2": keys and values decoded; a key without "=" has an empty value.
KeyValues ParseQuery(std::string_view query);
// The first value of `key` (exact), or nullopt.
std::optional<std::string> Find(const KeyValues& values, std::string_view key);

// How a reply is delimited on the wire.
enum class Framing {
    ContentLength,  // Content-Length header (declared length may be scripted wrong)
    Chunked,        // Transfer-Encoding: chunked, chunks of 8 bytes (at most ~64 chunks)
    UntilClose,     // no length: the body ends when the connection closes
    Http09,         // no status line and no headers: the body alone
};

struct Reply {
    int status = 200;
    std::string contentType = "text/plain; charset=GBK";
    std::string body;
    Framing framing = Framing::ContentLength;
    std::string lineEnd = "\r\n";         // ending of the status and header lines
    long lengthDelta = 0;                 // Content-Length written = body size + lengthDelta
    std::chrono::milliseconds delay{0};   // wait before answering
    bool dropConnection = false;          // close without answering
    std::optional<std::size_t> cutAfter;  // only this many bytes of the reply, then close
};

// The reason phrase the simulator writes for a status ("Unknown" for others).
std::string_view ReasonPhrase(int status);
// The bytes of a reply as `reply` asks for them ("Connection: close" always: one request each).
std::string SerializeReply(const Reply& reply);

}  // namespace xunda::sim
