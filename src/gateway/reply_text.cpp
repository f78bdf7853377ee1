#include "gateway/reply_text.h"

#include "core/codepage.h"

namespace xunda {

namespace {
constexpr int kNoAnswer = 500;
}

std::vector<std::string> SplitReplyLines(std::string_view body) {
    body = body.substr(0, body.find('\0'));
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < body.size()) {
        size_t end = body.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = body.size();
        lines.push_back(GbkToUtf8(body.substr(at, end - at)));
        at = end + (body.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

std::string TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

int ReadTextReply(int status, std::string_view body, std::size_t maxBody, std::string& resultValue,
                  std::vector<std::string>& replyLines) {
    replyLines.clear();
    // An answer without status line, or one too large to be the service's, is no answer at all.
    if (status <= 0 || body.size() > maxBody) return kNoAnswer;
    if (status != 200) return status;
    std::vector<std::string> lines = SplitReplyLines(body);
    if (lines.empty()) return -3;
    resultValue = TrimBlanks(lines.front());
    replyLines.assign(std::make_move_iterator(lines.begin() + 1), std::make_move_iterator(lines.end()));
    return 0;
}

}  // namespace xunda
