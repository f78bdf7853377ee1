#include "compose/text_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "support/repeat.h"

namespace xunda {
namespace {

using test::Repeat;

struct CleanCase {
    const char* input;
    const char* cleaned;
};

TEST(CleanText, AppliesItsFourStepsInOrder) {
    const CleanCase cases[] = {
        {"", ""},
        {" \r\n\t  \r\n ", ""},
        {"a\r\n\r\n\r\nb", "a\nb"},  // blank lines shrink, CR LF becomes LF
        {"a\r\n\r\n\r\n\r\n\r\nb", "a\nb"},
        {"a   b", "a b"},  // three spaces: two passes
        {"a    b", "a b"},
        {"  a\r\n\r\n  b  ", "a\n b"},
        {"a \xE3\x80\x80", "a "},                          // the deletion leaves a space at the end
        {"\xE4\xB8\xAD\xE3\x80\x80\xE6\x96\x87", "中文"},  // full-width space inside
        {"啊、", "啊、"},                                  // GBK B0 A1 A1 A2: no full-width space
        {"a\rb", "a\rb"},                                  // a lone CR stays
        {"a\nb", "a\nb"},                                  // a lone LF stays
        {"a\n\n\nb", "a\n\n\nb"},                          // LF runs are not CR LF runs
        {"\t[姓名]您好 ", "[姓名]您好"},
    };
    for (const CleanCase& c : cases) EXPECT_EQ(CleanText(c.input), c.cleaned) << c.input;
}

TEST(CleanText, MemoLineBreaksCountAsCrLf) {
    EXPECT_EQ(CleanMemoText("a\n\n\nb"), "a\nb");
    EXPECT_EQ(CleanMemoText("\n  hello\n\n"), "hello");
    EXPECT_EQ(CleanMemoText("a\r\n\nb"), "a\nb");  // an existing CR LF is not doubled
    EXPECT_EQ(CleanMemoText("one\ntwo  three"), "one\ntwo three");
}

TEST(SmsLimit, IsMeasuredOnTheGbkForm) {
    EXPECT_FALSE(ExceedsSmsLimit(Repeat("中", 127)));  // 254 bytes
    EXPECT_TRUE(ExceedsSmsLimit(Repeat("中", 128)));   // 256 bytes
    EXPECT_FALSE(ExceedsSmsLimit(Repeat("a", 255)));
    EXPECT_TRUE(ExceedsSmsLimit(Repeat("a", 256)));
    EXPECT_FALSE(ExceedsSmsLimit(Repeat("中", 127) + "a"));
}

TEST(SmsCharCount, CountsCharactersOfTheCleanedText) {
    bool ascii = false;
    EXPECT_EQ(GetSmsCharCount("  \r\n ", ascii), 0u);
    EXPECT_TRUE(ascii);
    EXPECT_EQ(GetSmsCharCount("a\r\n\r\n\r\nb", ascii), 3u);
    EXPECT_TRUE(ascii);
    EXPECT_EQ(GetSmsCharCount("中文ab", ascii), 4u);
    EXPECT_FALSE(ascii);
    // GBK 81 40: its trail byte lies below the lead-byte range; it is still one character.
    EXPECT_EQ(GetSmsCharCount("丂丂x", ascii), 3u);
    EXPECT_FALSE(ascii);
}

TEST(SmsCharCount, CaptionsNameTheKindOfText) {
    EXPECT_EQ(SmsCountCaption("短信内容", ""), "短信内容(纯英文0字)");
    EXPECT_EQ(SmsCountCaption("短信内容", "a\n\n\nb"), "短信内容(纯英文3字)");
    EXPECT_EQ(SmsCountCaption("短信内容", "您好 world"), "短信内容(含中文8字)");
    EXPECT_EQ(SmsCountCaption("估计短信内容", "[姓名]"), "估计短信内容(含中文4字)");
    // The caption counts the text as cleaned once: the space left by the deletion counts.
    EXPECT_EQ(SmsCountCaption("短信内容", "a \xE3\x80\x80"), "短信内容(纯英文2字)");
}

}  // namespace
}  // namespace xunda
