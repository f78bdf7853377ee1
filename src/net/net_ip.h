// Tests that tell IPv4 and IPv6 address text from host names, and conversions between address
// text and address bytes.
#pragma once

#include <string>
#include <string_view>

namespace xunda {

// Decimal 0..255 made of digits only ("007" passes; "+7", "7 " and "" do not).
bool IsByteText(std::string_view value);
bool IsIPv4Text(std::string_view value);
bool IsIPv6Text(std::string_view value);
// 4 bytes in dotted order; a piece that is no number gives 0.
std::string IPv4TextToBytes(std::string_view host);
// 16 bytes, most significant first; malformed text gives 16 zero bytes.
std::string IPv6TextToBytes(std::string_view value);
// Lower-case groups with the longest run of zero groups as "::"; all zero is "::0".
std::string IPv6BytesToText(std::string_view address);

}  // namespace xunda
