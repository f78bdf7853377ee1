#include "core/text_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(TextUtil, ReplaceAllAndTrimControls) {
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");  // left to right, without overlaps
    EXPECT_EQ(ReplaceAll("a b  c", " ", ",,"), "a,,b,,,,c");
    EXPECT_EQ(ReplaceAll("abc", "", "y"), "abc");
    EXPECT_EQ(TrimControls(std::string_view(" \0\t1 0\x01\r\n ", 10)), "1 0");  // codes 0 to 32 at both ends
    EXPECT_EQ(TrimControls("!\x7F中"),
              "!\x7F中");  // from "!" (33) on, and the bytes of UTF-8 characters, stay
}

// Only 'A' to 'Z' fold, whatever the locale; other bytes (UTF-8 and GBK ones too) compare as they are.
TEST(TextUtil, AsciiCaseFolding) {
    EXPECT_TRUE(EqualsNoCase("Set-Cookie", "set-COOKIE") && !EqualsNoCase("a", "ab") &&
                !EqualsNoCase("\xC9", "\xE9"));
    EXPECT_EQ(ToLowerAscii("AZ[@\xC9z"), "az[@\xC9z");
    EXPECT_EQ(ToUpperAscii("az{`\xE9Z"), "AZ{`\xE9Z");
    EXPECT_TRUE(LessNoCase("apple", "B") && LessNoCase("a", "AB") && !LessNoCase("B", "b") &&
                LessNoCase("z", "\x80"));
    EXPECT_TRUE(StartsWithNoCase("HTTP/1.1", "http/") && !StartsWithNoCase("HTT", "http"));
    EXPECT_EQ(FindNoCase("x[Ab][aB]", "[ab]"), 1u);
    EXPECT_EQ(FindNoCase("x[Ab][aB]", "[ab]", 2), 5u);
    EXPECT_EQ(FindNoCase("x[Ab]", "[ac]"), std::string_view::npos);
}

TEST(TextUtil, DigitsAndWholeIntegers) {
    EXPECT_TRUE(IsAllDigits("") && IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits("12a") || IsAllDigits("-1") || IsAllDigits(" 1") || IsAllDigits("\xEF\xBC\x91"));
    EXPECT_EQ(ParseInt("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseInt("0042"), 42);
    for (const char* bad : {"", "-", "+1", " 1", "1 ", "1a", "0x10", "9223372036854775808"})
        EXPECT_EQ(ParseInt(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace xunda
