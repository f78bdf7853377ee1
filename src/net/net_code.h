// Byte escaping (percent-encoding of URLs) and Base64. Work on bytes: GBK or UTF-8 text is
// escaped byte by byte. Nothing here decodes.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

namespace xunda {

using ByteSet = std::bitset<256>;

// Every byte of Value in Specials becomes Delimiter and two upper-case hex digits.
std::string EscapeBytes(std::string_view value, char delimiter, const ByteSet& specials);
// A whole URL at once: controls, space, " % < > [ \ ] ^ _ ` { | } ~ and bytes 0x7F..0xFF are
// escaped; URL separators pass unchanged.
std::string PercentEncodeUrl(std::string_view value);

std::string Base64EncodeWithTable(std::string_view value, std::string_view table);
std::string Base64EncodeText(std::string_view value);

}  // namespace xunda
