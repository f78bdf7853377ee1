// The rules every message text passes: cleaning, the 255-byte limit and the character count.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xunda {

// Longest cleaned message, in bytes of its GBK form.
inline constexpr std::size_t kSmsMaxBytes = 255;
inline constexpr std::string_view kSmsTooLongText = "文字总长超255,请缩短信内容!";

// The cleaned message text, in four ordered steps:
//  1. while it holds CR LF CR LF: trim, then replace every CR LF CR LF by CR LF;
//  2. trim, then replace every CR LF by LF;
//  3. trim, then delete every full-width space (U+3000);
//  4. while it holds two adjacent spaces: trim, then replace every pair of spaces by one.
// Trimming removes the characters of code 0 to 32 at both ends. A lone CR or LF inside stays.
std::string CleanText(std::string_view text);

// CleanText of a message memo's text, whose line breaks are single LFs: each LF not preceded by CR
// is taken as CR LF first.
std::string CleanMemoText(std::string_view memoText);

// Whether a cleaned text is longer than kSmsMaxBytes in its GBK form.
bool ExceedsSmsLimit(std::string_view cleanedText);

// The number of characters of the cleaned text; `asciiOnly` is false when it holds a double-byte
// character.
std::size_t GetSmsCharCount(std::string_view text, bool& asciiOnly);

// The counter caption over a message memo: `title` + "(纯英文" + count + "字)", or "(含中文" when
// the cleaned memo text holds a double-byte character. The titles in use are "短信内容" (send
// page) and "估计短信内容" (Excel page).
std::string SmsCountCaption(std::string_view title, std::string_view memoText);

}  // namespace xunda
