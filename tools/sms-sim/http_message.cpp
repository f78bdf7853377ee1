#include "sms-sim/http_message.h"

#include <algorithm>

namespace xunda::sim {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Splits at LF, dropping a CR before it.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string HexSize(size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), digits[n % 16]);
        n /= 16;
    } while (n);
    return s;
}

}  // namespace

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<RequestHead> ParseRequestHead(std::string_view head) {
    std::vector<std::string_view> lines = Lines(head);
    if (lines.empty()) return std::nullopt;
    RequestHead r;
    r.requestLine = lines[0];
    std::string_view line = lines[0];
    size_t first = line.find(' ');
    if (first == std::string_view::npos || first == 0) return std::nullopt;
    r.method = line.substr(0, first);
    std::string_view rest = line.substr(first + 1);
    size_t last = rest.rfind(' ');
    if (last != std::string_view::npos && rest.substr(last + 1).starts_with("HTTP/")) {
        r.version = rest.substr(last + 1);
        rest = rest.substr(0, last);
    }
    if (rest.empty()) return std::nullopt;
    r.target = rest;
    size_t q = rest.find('?');
    r.path = rest.substr(0, q);
    if (q != std::string_view::npos) r.query = ParseQuery(rest.substr(q + 1));
    for (size_t i = 1; i < lines.size() && !lines[i].empty(); ++i) {
        size_t colon = lines[i].find(':');
        if (colon == std::string_view::npos) continue;
        r.headers.emplace_back(lines[i].substr(0, colon), Trim(lines[i].substr(colon + 1)));
    }
    return r;
}

std::string PercentDecode(std::string_view text, bool plusIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(plusIsBlank && c == '+' ? ' ' : c);
    }
    return out;
}

KeyValues ParseQuery(std::string_view query) {
    KeyValues values;
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view pair = query.substr(0, amp);
        if (!pair.empty()) {
            size_t eq = pair.find('=');
            std::string_view key = pair.substr(0, eq);
            std::string_view value = eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
            values.emplace_back(PercentDecode(key, true), PercentDecode(value, true));
        }
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return values;
}

std::optional<std::string> Find(const KeyValues& values, std::string_view key) {
    for (const auto& [k, v] : values)
        if (k == key) return v;
    return std::nullopt;
}

std::string_view ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        default:
            return "Unknown";
    }
}

std::string SerializeReply(const Reply& reply) {
    if (reply.framing == Framing::Http09) return reply.body;
    const std::string& eol = reply.lineEnd;
    std::string out =
        "HTTP/1.1 " + std::to_string(reply.status) + " " + std::string(ReasonPhrase(reply.status)) + eol;
    out += "Content-Type: " + reply.contentType + eol;
    if (reply.framing == Framing::ContentLength)
        out += "Content-Length: " + std::to_string(static_cast<long>(reply.body.size()) + reply.lengthDelta) +
               eol;
    if (reply.framing == Framing::Chunked) out += "Transfer-Encoding: chunked" + eol;
    out += "Connection: close" + eol + eol;
    if (reply.framing != Framing::Chunked) return out + reply.body;
    // Small, so that even a short reply comes in several chunks; at most about 64 of them.
    const size_t chunk = std::max<size_t>(8, reply.body.size() / 64);
    for (size_t at = 0; at < reply.body.size(); at += chunk) {
        std::string_view piece = std::string_view(reply.body).substr(at, chunk);
        out += HexSize(piece.size()) + "\r\n";
        out += piece;
        out += "\r\n";
    }
    return out + "0\r\n\r\n";
}

}  // namespace xunda::sim
