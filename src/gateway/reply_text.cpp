#include "gateway/reply_text.h"

#include "core/codepage.h"

namespace xunda {

std::vector<std::string> SplitReplyLines(std::string_view body) {
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

}  // namespace xunda
