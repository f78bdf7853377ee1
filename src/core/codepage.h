// Code page 936 (GBK): the byte rules of the program's text.
//
// Text inside the program is UTF-8. Every text that enters from a user, a file or the service is
// made GBK-representable on entry (MakeGbkSafe), so that byte counts measured on its GBK form are
// exact. Conversions are thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/unicode.h"

namespace xunda {

// True for a byte that starts a two-byte GBK character (0x81..0xFE).
bool IsGbkLeadByte(unsigned char b);
// True for a byte that may follow a lead byte in a two-byte GBK character.
bool IsGbkTrailByte(unsigned char b);
// The GBK bytes of one code point; "?" with `lost` set when GBK has no form for it.
std::string CodePointToGbk(char32_t cp, bool& lost);

// UTF-8 -> GBK bytes; characters with no GBK form and invalid UTF-8 become "?".
std::string Utf8ToGbk(std::string_view utf8);
// GBK bytes -> UTF-8; invalid bytes become "?".
std::string GbkToUtf8(std::string_view gbk);

// The text with every character that has no GBK form (and every invalid UTF-8 byte) as "?".
std::string MakeGbkSafe(std::string_view utf8);
// Length in bytes of the GBK form of a UTF-8 text.
std::size_t GbkByteLength(std::string_view utf8);
// Number of characters of a UTF-8 text as the GBK form counts them (one per character).
std::size_t GbkCharCount(std::string_view utf8);
// The longest head of a UTF-8 text whose GBK form is at most maxBytes, never splitting a character.
std::string CutToGbkBytes(std::string_view utf8, std::size_t maxBytes);
// The longest head of GBK bytes of at most maxBytes that does not split a character.
std::string_view CutGbkBytes(std::string_view gbk, std::size_t maxBytes);

}  // namespace xunda
