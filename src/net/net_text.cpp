#include "net/net_text.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>

namespace xunda {

void SleepMs(std::uint32_t milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint64_t MonotonicMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint32_t CurrentTick() {
    return static_cast<std::uint32_t>(MonotonicMs());
}

std::uint32_t TickDifference(std::uint32_t oldTick, std::uint32_t newTick) {
    if (oldTick == newTick) return 0;
    if (oldTick < newTick) return newTick - oldTick;
    constexpr std::uint32_t half = 0x80000000u;
    if (oldTick >= half && newTick < half) return newTick - oldTick;  // wrapped: modulo 2^32
    return oldTick - newTick;
}

bool ConsumeTimeout(int& timeout, std::uint64_t start) {
    if (timeout < 0) return true;
    const std::uint64_t elapsed = MonotonicMs() - start;
    timeout = elapsed >= static_cast<std::uint64_t>(timeout) ? 0 : timeout - static_cast<int>(elapsed);
    return timeout >= 1;
}

std::string TextBefore(std::string_view value, std::string_view delimiter) {
    auto pos = value.find(delimiter);
    return std::string(pos == std::string_view::npos ? value : value.substr(0, pos));
}

std::string TextAfter(std::string_view value, std::string_view delimiter) {
    auto pos = value.find(delimiter);
    return std::string(pos == std::string_view::npos ? value : value.substr(pos + delimiter.size()));
}

std::string FetchPieceRaw(std::string& value, std::string_view delimiter) {
    auto pos = value.find(delimiter);
    if (pos == std::string::npos) {
        std::string piece = std::move(value);
        value.clear();
        return piece;
    }
    std::string piece = value.substr(0, pos);
    value.erase(0, pos + delimiter.size());
    return piece;
}

std::string FetchPiece(std::string& value, std::string_view delimiter) {
    std::string piece = TrimSpaces(FetchPieceRaw(value, delimiter));
    value = TrimSpaces(value);
    return piece;
}

std::string TrimSpacesLeft(std::string_view value) {
    auto pos = value.find_first_not_of(' ');
    return pos == std::string_view::npos ? std::string() : std::string(value.substr(pos));
}

std::string TrimSpacesRight(std::string_view value) {
    auto pos = value.find_last_not_of(' ');
    return pos == std::string_view::npos ? std::string() : std::string(value.substr(0, pos + 1));
}

std::string TrimSpaces(std::string_view value) {
    return TrimSpacesLeft(TrimSpacesRight(value));
}

std::string SplitUrl(std::string_view url, UrlParts& parts) {
    parts = UrlParts{"http", "", "", "", "80", "", ""};
    std::string rest(url);
    if (auto scheme = rest.find("://"); scheme != std::string::npos) {
        parts.Protocol = rest.substr(0, scheme);
        rest.erase(0, scheme + 3);
    }
    std::string upper = ToUpperAscii(parts.Protocol);
    if (upper == "HTTPS") parts.Port = "443";
    if (upper == "FTP") parts.Port = "21";
    if (upper.starts_with("SOCKS")) parts.Port = "1080";

    // The authority ends at the first "/", "?" or "#"; an "@" behind it is no credential.
    auto authorityEnd = rest.find_first_of("/?#");
    auto at = rest.find('@');
    if (at != std::string::npos && at < authorityEnd) {
        std::string credentials = rest.substr(0, at);
        rest.erase(0, at + 1);
        authorityEnd = rest.find_first_of("/?#");
        if (credentials.find(':') != std::string::npos) {
            parts.User = TextBefore(credentials, ":");
            parts.Password = TextAfter(credentials, ":");
        } else {
            parts.User = credentials;
        }
    }

    // "host?query" and "host#fragment": the path part starts with the "?" or "#".
    std::string hostPart = rest.substr(0, authorityEnd), pathPart;
    if (authorityEnd != std::string::npos)
        pathPart = rest.substr(authorityEnd + (rest[authorityEnd] == '/' ? 1 : 0));

    if (!hostPart.empty() && hostPart[0] == '[') {
        auto close = hostPart.find(']');
        parts.Host = hostPart.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (close != std::string::npos && close + 1 < hostPart.size() && hostPart[close + 1] == ':')
            parts.Port = hostPart.substr(close + 2);
    } else if (hostPart.find(':') != std::string::npos) {
        parts.Host = TextBefore(hostPart, ":");
        parts.Port = TextAfter(hostPart, ":");
    } else {
        parts.Host = hostPart;
    }

    std::string result = "/" + pathPart;
    if (auto q = pathPart.find('?'); q != std::string::npos) {
        parts.Path = result.substr(0, q + 1);
        parts.Parameters = pathPart.substr(q + 1);
    } else {
        parts.Path = result;
    }
    if (parts.Host.empty()) parts.Host = "localhost";
    return result;
}

int FindLineEnd(std::string_view value, std::string& terminator) {
    auto pos = value.find_first_of("\r\n");
    if (pos == std::string_view::npos) {
        terminator.clear();
        return -1;
    }
    char c = value[pos];
    char other = c == '\r' ? '\n' : '\r';
    terminator =
        (pos + 1 < value.size() && value[pos + 1] == other) ? std::string{c, other} : std::string(1, c);
    return static_cast<int>(pos) + 1;
}

std::string EncodeWord16(std::uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::uint16_t DecodeWord16(std::string_view value, int index) {
    if (index < 1 || value.size() < static_cast<std::size_t>(index) + 1) return 0;
    auto hi = static_cast<unsigned char>(value[index - 1]);
    auto lo = static_cast<unsigned char>(value[index]);
    return static_cast<std::uint16_t>(hi * 256 + lo);
}

std::string EncodeInt32(std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::int32_t SwapBytes32(std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    v = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
    return static_cast<std::int32_t>(v);
}

std::string ReadBytesFromStream(Stream& stream, std::int64_t length) {
    std::string bytes;
    if (length < 1) return bytes;
    const std::int64_t left = std::max<std::int64_t>(0, stream.Size() - stream.Position());
    bytes.resize(static_cast<std::size_t>(std::min(length, left)));
    bytes.resize(stream.Read(bytes.data(), bytes.size()));
    return bytes;
}

void WriteBytesToStream(Stream& stream, std::string_view value) {
    stream.WriteBuffer(value.data(), value.size());
}

namespace {

bool ParseDigits(std::string_view text, int base, std::int64_t& value) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+') && base == 10) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    std::uint64_t v = 0;
    const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        if (v > (limit - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) return false;
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    value = negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
    return true;
}

}  // namespace

bool ParseDecimal(std::string_view text, std::int64_t& value) {
    return ParseDigits(text, 10, value);
}
bool ParseHex(std::string_view text, std::int64_t& value) {
    return ParseDigits(text, 16, value);
}

}  // namespace xunda
