// Plain text helpers shared by the socket, HTTP, SOCKS and proxy code: ticks, splitting,
// URL parts, line ends and fixed-width integer codings. Stateless; callable from any thread.
// Positions count from 1 where a function returns one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/stream.h"
#include "core/text_util.h"

namespace xunda {

void SleepMs(std::uint32_t milliseconds);
// Milliseconds of the monotonic clock; the 64-bit form never wraps.
std::uint64_t MonotonicMs();
// The low 32 bits of MonotonicMs(): wraps after about 49.7 days.
std::uint32_t CurrentTick();
// Milliseconds from Old to New, across one wrap of the 32-bit counter.
std::uint32_t TickDifference(std::uint32_t oldTick, std::uint32_t newTick);
// Takes the time since Start (MonotonicMs()) off Timeout, which several waits share; false when it
// has run out. A Timeout below 0 (no limit) stays.
bool ConsumeTimeout(int& timeout, std::uint64_t start);

// The text before / after the first Delimiter; the whole Value when it does not occur.
std::string TextBefore(std::string_view value, std::string_view delimiter);
std::string TextAfter(std::string_view value, std::string_view delimiter);
// Returns the text before the first Delimiter and leaves the rest in Value (empty when none).
std::string FetchPieceRaw(std::string& value, std::string_view delimiter);
// FetchPieceRaw with spaces trimmed from the result and from the rest.
std::string FetchPiece(std::string& value, std::string_view delimiter);
// Remove the space character (0x20) only.
std::string TrimSpacesLeft(std::string_view value);
std::string TrimSpacesRight(std::string_view value);
std::string TrimSpaces(std::string_view value);

struct UrlParts {
    std::string Protocol, User, Password, Host, Port, Path, Parameters;
};
// Splits a URL; returns the path with its parameters (always starting with "/"). Without a port
// the scheme's: 80, 443 for https, 21 for ftp, 1080 for socks schemes. An IPv6 host is written in
// brackets and given without them; the authority ends at the first "/", "?" or "#", and an "@"
// behind it makes no credentials.
std::string SplitUrl(std::string_view url, UrlParts& parts);

// Position (from 1) of the first CR or LF, with the line end found there (CR LF, LF CR, CR or LF);
// -1 and an empty terminator when there is none.
int FindLineEnd(std::string_view value, std::string& terminator);

std::string EncodeWord16(std::uint16_t value);
// Big-endian 16-bit value at Index (from 1); 0 when fewer than Index+1 bytes.
std::uint16_t DecodeWord16(std::string_view value, int index);
std::string EncodeInt32(std::int32_t value);
std::int32_t SwapBytes32(std::int32_t value);

// Up to Length bytes from the stream's position; all of Value at the stream's position.
std::string ReadBytesFromStream(Stream& stream, std::int64_t length);
void WriteBytesToStream(Stream& stream, std::string_view value);

// Decimal / hexadecimal integer of a whole text, as the protocol parsers read numbers;
// false when the text is not one (empty, stray characters, out of range).
bool ParseDecimal(std::string_view text, std::int64_t& value);
bool ParseHex(std::string_view text, std::int64_t& value);

}  // namespace xunda
