#include "core/text_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(TextUtil, ReplaceAllAndTrimControls) {
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");  // left to right, without overlaps
    EXPECT_EQ(ReplaceAll("a b  c", " ", ",,"), "a,,b,,,,c");
    EXPECT_EQ(ReplaceAll("abc", "", "y"), "abc");
    EXPECT_EQ(TrimControls(std::string_view(" \0\t1 0\x01\r\n ", 10)), "1 0");  // codes 0 to 32 at both ends
    EXPECT_EQ(TrimControls("!\x7F中"), "!\x7F中");  // from "!" (33) on, and the bytes of UTF-8 characters, stay
}

}  // namespace
}  // namespace xunda
