#include "core/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "support/repeat.h"

namespace xunda {
namespace {

using test::Repeat;

TEST(Gbk, LengthsCountTheGbkBytesAndCharacters) {
    const std::string text = Repeat("汉", 127);
    EXPECT_EQ(GbkByteLength(text), 254u);
    EXPECT_EQ(GbkByteLength(text + "字"), 256u);
    EXPECT_EQ(GbkByteLength("a😀b"), 3u);           // no GBK form: one "?"
    EXPECT_EQ(GbkByteLength("€"), 1u);              // code page 936 has the euro sign at 0x80
    EXPECT_EQ(GbkCharCount(text + "ab"), 129u);
    EXPECT_EQ(GbkCharCount("😀\xFF" "a"), 3u);      // an invalid byte is one character
    EXPECT_EQ(Utf8ToGbk("中文"), "\xD6\xD0\xCE\xC4");
}

TEST(Gbk, CuttingKeepsTheLongestHeadWithoutSplittingACharacter) {
    const std::string text = "a" + Repeat("汉", 10);  // 21 GBK bytes
    struct Case {
        std::string text;
        std::size_t max;
        std::string head;
    } cases[] = {
        {text, 21, text},
        {text, 20, "a" + Repeat("汉", 9)},
        {text, 3, "a汉"},  // exactly full
        {text, 2, "a"},
        {text, 1, "a"},
        {text, 0, ""},
        {"abc", 2, "ab"},
        {"€中", 2, "€"},   // 0x80 is a character of its own, not a lead byte
        {"€中", 3, "€中"},
        {"a😀b", 2, "a?"},  // cut on the GBK-safe form
    };
    for (const Case& c : cases) EXPECT_EQ(CutToGbkBytes(c.text, c.max), c.head) << c.text << " " << c.max;

    const std::string gbk = Utf8ToGbk("汉字");
    EXPECT_EQ(CutGbkBytes(gbk, 3), gbk.substr(0, 2));
    EXPECT_EQ(CutGbkBytes(gbk, 4), gbk);
    EXPECT_EQ(CutGbkBytes("ab\xD6", 3), "ab\xD6");  // a lone lead byte at the end counts as one byte
    EXPECT_EQ(CutGbkBytes("a\xFE" "A", 2), "a");     // 0xFE still leads a pair
    EXPECT_EQ(CutGbkBytes("a\xFF" "A", 2), "a\xFF"); // 0xFF does not
}

TEST(Gbk, CharactersWithoutAGbkFormBecomeQuestionMarks) {
    EXPECT_EQ(MakeGbkSafe("a😀b"), "a?b");
    EXPECT_EQ(MakeGbkSafe("bad\xFFutf8"), "bad?utf8");
    EXPECT_EQ(MakeGbkSafe("€中文"), "€中文");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xFF"), "中?");
    EXPECT_EQ(GbkToUtf8("a\xD6"), "a?");  // a lead byte cut off at the end
}

TEST(Utf8, InvalidSequencesAreRefused) {
    for (const char* bad : {"\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xBD", "\x80",
                            "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    for (const char* good : {"", "a", "\xC2\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xF4\x8F\xBF\xBF", "中😀"})
        EXPECT_TRUE(IsValidUtf8(good)) << good;
}

TEST(Utf16, RoundTripsAndReplacesLoneSurrogates) {
    const std::string text = "中文 abc \xC2\x80\xF4\x8F\xBF\xBF 😀";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16("😀"), u"\xD83D\xDE00");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"), u"a\xFFFD");
    EXPECT_EQ(Utf16ToUtf8(u"\xD800"), "?");
    EXPECT_EQ(Utf16ToUtf8(u"\xDC00" "a"), "?a");
    EXPECT_EQ(Utf16ToUtf8(u"\xD800" "a"), "?a");
    EXPECT_EQ(Utf16ToUtf8(u"\xFFFF"), "\xEF\xBF\xBF");
}

TEST(InputFiles, EveryEncodingGivesTheSameGbkSafeText) {
    const std::string text = "手机😀13812345678\r\n";
    const std::string expected = "手机?13812345678\r\n";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char16_t c : Utf8ToUtf16(text)) {
        le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text, le, le + "x", be, Utf8ToGbk(text)})
        EXPECT_EQ(DecodeInputBytes(bytes), expected) << bytes;
}

}  // namespace
}  // namespace xunda
