#include "gateway/reply_text.h"

#include <gtest/gtest.h>

#include "core/codepage.h"

namespace xunda {
namespace {

using Lines = std::vector<std::string>;

// The cases the gateway's own split table (against the simulator) does not reach.
TEST(SplitReplyLines, LineBreaksNulAndEmptyLines) {
    struct Case {
        std::string body;
        Lines lines;
    } cases[] = {
        {"100", {"100"}},
        {"100\r0,1\n403,403\r\n", {"100", "0,1", "403,403"}},
        {"100\r\n\r\n", {"100", ""}},
        {"100\n\r", {"100", ""}},
        {"\r\n", {""}},
        {std::string("\0" "100", 4), {}},
        {" 100 \r\n", {" 100 "}},
        {"100\r\nx," + Utf8ToGbk("你好"), {"100", "x,你好"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitReplyLines(c.body), c.lines) << testing::PrintToString(c.body);
}

}  // namespace
}  // namespace xunda
