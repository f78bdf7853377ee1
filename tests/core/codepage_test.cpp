#include "core/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "support/repeat.h"

namespace xunda {
namespace {

using test::Repeat;

TEST(GbkLimits, ChineseCharactersCountTwoBytes) {
    std::string text = Repeat("汉", 127);
    EXPECT_EQ(GbkByteLength(text), 254u);
    EXPECT_EQ(GbkByteLength(text + "字"), 256u);
    EXPECT_EQ(GbkCharCount(text + "ab"), 129u);
    EXPECT_EQ(Utf8ToGbk("中文"), "\xD6\xD0\xCE\xC4");
}

TEST(GbkLimits, CuttingNeverSplitsACharacter) {
    std::string text = "a" + Repeat("汉", 10);  // 21 GBK bytes
    EXPECT_EQ(CutToGbkBytes(text, 21), text);
    EXPECT_EQ(CutToGbkBytes(text, 20), "a" + Repeat("汉", 9));  // 19 bytes: the 10th would need 21
    EXPECT_EQ(CutToGbkBytes(text, 1), "a");
    EXPECT_EQ(CutToGbkBytes(text, 2), "a");
    EXPECT_EQ(CutToGbkBytes("abc", 2), "ab");
    std::string gbk = Utf8ToGbk("汉字");
    EXPECT_EQ(CutGbkBytes(gbk, 3), gbk.substr(0, 2));
    // A lone lead byte at the end counts as one byte of its own.
    EXPECT_EQ(CutGbkBytes("ab\xD6", 3), "ab\xD6");
}

TEST(GbkLimits, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(MakeGbkSafe("a😀b"), "a?b");
    EXPECT_EQ(GbkByteLength("a😀b"), 3u);
    EXPECT_EQ(MakeGbkSafe("bad\xFFutf8"), "bad?utf8");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xFF"), "中?");
    EXPECT_EQ(MakeGbkSafe("€中文"), "€中文");  // code page 936 has the euro sign at 0x80
}

TEST(Utf16, RoundTripsIncludingSurrogates) {
    std::string text = "中文 abc 😀";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16("😀").size(), 2u);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "?");
}

TEST(InputFiles, EveryEncodingGivesTheSameText) {
    const std::string text = "手机13812345678\r\n";
    std::u16string u16 = Utf8ToUtf16(text);
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char16_t c : u16) {
        le += static_cast<char>(c & 0xFF);
        le += static_cast<char>(c >> 8);
        be += static_cast<char>(c >> 8);
        be += static_cast<char>(c & 0xFF);
    }
    EXPECT_EQ(DecodeInputBytes(text), text);
    EXPECT_EQ(DecodeInputBytes("\xEF\xBB\xBF" + text), text);
    EXPECT_EQ(DecodeInputBytes(le), text);
    EXPECT_EQ(DecodeInputBytes(be), text);
    EXPECT_EQ(DecodeInputBytes(Utf8ToGbk(text)), text);
}

}  // namespace
}  // namespace xunda
