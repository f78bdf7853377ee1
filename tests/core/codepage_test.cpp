#include "core/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "support/repeat.h"

namespace xunda {
namespace {

using test::Repeat;

TEST(Gbk, LengthsAndSafeFormsFollowTheGbkBytes) {
    EXPECT_EQ(GbkByteLength(Repeat("汉", 127) + "a€"), 256u);  // code page 936 has the euro sign at 0x80
    EXPECT_EQ(GbkCharCount(Repeat("汉", 127) + "😀\xFF\x61"), 130u);  // an invalid byte is one character
    EXPECT_EQ(Utf8ToGbk("中文"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(MakeGbkSafe("a😀b\xFF€中"), "a?b?€中");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xFF\x61\xD6"), "中?a?");  // a lead byte cut off at the end too
}

TEST(Gbk, CuttingKeepsTheLongestHeadWithoutSplittingACharacter) {
    const std::string text = "a" + Repeat("汉", 10);  // 21 GBK bytes
    struct {
        std::string text;
        std::size_t max;
        std::string head;
    } cases[] = {
        {text, 21, text},  {text, 20, "a" + Repeat("汉", 9)},
        {text, 3, "a汉"},  {text, 2, "a"},
        {text, 1, "a"},    {text, 0, ""},
        {"abc", 2, "ab"},  {"€中", 2, "€"},
        {"€中", 3, "€中"}, {"a😀b", 2, "a?"},
        {"a😀b", 3, "a?b"},
    };
    for (const auto& c : cases) EXPECT_EQ(CutToGbkBytes(c.text, c.max), c.head) << c.text << " " << c.max;
    const std::string gbk = Utf8ToGbk("汉字");
    EXPECT_EQ(CutGbkBytes(gbk, 3), gbk.substr(0, 2));
    EXPECT_EQ(CutGbkBytes("ab\xD6", 3), "ab\xD6");    // a lone lead byte at the end counts as one byte
    EXPECT_EQ(CutGbkBytes("a\xFE\x41", 2), "a");      // 0xFE still leads a pair
    EXPECT_EQ(CutGbkBytes("a\xFF\x41", 2), "a\xFF");  // 0xFF does not
}

TEST(Utf8, InvalidSequencesAreRefused) {
    for (const char* bad :
         {"\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFC\x84\x80\x80", "\xE4\xBD"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    for (const char* good : {"\xC2\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(good)) << good;
}

TEST(Utf16, RoundTripsAndReplacesLoneSurrogates) {
    const std::string text = "中文 abc \xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF 😀";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16("😀a\xFF"), u"\xD83D\xDE00\x0061\xFFFD");
    EXPECT_EQ(Utf16ToUtf8(u"\xD800"), "?");
    EXPECT_EQ(Utf16ToUtf8(u"\xDC00\x0061\xD800\x0061"), "?a?a");
}

}  // namespace
}  // namespace xunda
