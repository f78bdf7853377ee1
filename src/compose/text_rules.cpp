#include "compose/text_rules.h"

#include "core/codepage.h"
#include "core/text_util.h"

namespace xunda {
namespace {

constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";  // U+3000

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// A memo's text with each LF that is not preceded by CR taken as CR LF.
std::string MemoToCrLf(std::string_view memoText) {
    std::string crlf;
    crlf.reserve(memoText.size() + memoText.size() / 8);
    for (std::size_t i = 0; i < memoText.size(); ++i) {
        if (memoText[i] == '\n' && (i == 0 || memoText[i - 1] != '\r')) crlf.push_back('\r');
        crlf.push_back(memoText[i]);
    }
    return crlf;
}

}  // namespace

std::string CleanText(std::string_view text) {
    std::string s(text);
    while (Contains(s, "\r\n\r\n")) s = ReplaceAll(TrimControls(s), "\r\n\r\n", "\r\n");
    s = ReplaceAll(TrimControls(s), "\r\n", "\n");
    s = ReplaceAll(TrimControls(s), kFullWidthSpace, "");
    while (Contains(s, "  ")) s = ReplaceAll(TrimControls(s), "  ", " ");
    return s;
}

std::string CleanMemoText(std::string_view memoText) {
    return CleanText(MemoToCrLf(memoText));
}

bool ExceedsSmsLimit(std::string_view cleanedText) {
    return GbkByteLength(cleanedText) > kSmsMaxBytes;
}

std::size_t GetSmsCharCount(std::string_view text, bool& asciiOnly) {
    const std::string cleaned = CleanText(text);
    const std::size_t count = GbkCharCount(cleaned);
    asciiOnly = GbkByteLength(cleaned) == count;
    return count;
}

std::string SmsCountCaption(std::string_view title, std::string_view memoText) {
    bool asciiOnly = true;
    const std::size_t count = GetSmsCharCount(MemoToCrLf(memoText), asciiOnly);
    return std::string(title) + (asciiOnly ? "(纯英文" : "(含中文") + std::to_string(count) + "字)";
}

}  // namespace xunda
