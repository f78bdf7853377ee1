#include "core/text_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(ReplaceAll, LeftToRightWithoutOverlaps) {
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("a b  c", " ", ","), "a,b,,c");
    EXPECT_EQ(ReplaceAll("", "x", "y"), "");
}

TEST(TrimControls, BlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(TrimControls(" \t100\x01 "), "100");
    EXPECT_EQ(TrimControls("1 0"), "1 0");
    EXPECT_EQ(TrimControls("  "), "");
}

}  // namespace
}  // namespace xunda
