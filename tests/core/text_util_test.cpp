#include "core/text_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(ReplaceAll, LeftToRightWithoutOverlaps) {
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("a b  c", " ", ",,"), "a,,b,,,,c");
    EXPECT_EQ(ReplaceAll("xax", "x", ""), "a");
    EXPECT_EQ(ReplaceAll("abc", "", "y"), "abc");
}

TEST(TrimControls, CodesZeroToThirtyTwoAtBothEndsOnly) {
    EXPECT_EQ(TrimControls(std::string_view(" \0\t1 0\x01\r\n ", 10)), "1 0");
    EXPECT_EQ(TrimControls("!中\x7F"), "!中\x7F");  // from "!" (33) on, and bytes of UTF-8 characters, stay
    EXPECT_EQ(TrimControls(" \x1F "), "");
}

}  // namespace
}  // namespace xunda
