// Character-level conversions shared by the text helpers and the codec streams.
#pragma once

#include <string>
#include <string_view>

namespace xunda {

// Appends the UTF-16 form of a code point (one unit or a surrogate pair).
void AppendUtf16(std::u16string& out, char32_t cp);
// The code point of one UTF-8 sequence, or U+FFFD when it is malformed.
char32_t DecodeUtf8Sequence(std::string_view sequence);
// Length of the UTF-8 sequence a lead byte opens (1 to 4; 1 for a byte that opens none).
int Utf8SequenceLength(unsigned char lead);

// The GBK bytes of one code point; "?" with `lost` set when GBK has no form for it.
std::string CodePointToGbk(char32_t cp, bool& lost);
// True for a byte that may follow a GBK lead byte.
bool IsGbkTrailByte(unsigned char b);

}  // namespace xunda
