#include "compose/text_rules.h"

#include <gtest/gtest.h>

#include "support/repeat.h"

namespace xunda {
namespace {

using test::Repeat;

TEST(CleanText, AppliesItsFourStepsInOrder) {
    const std::pair<const char*, const char*> cases[] = {
        {" \r\n\t  \r\n ", ""},
        {"a\r\n\r\n\r\nb", "a\nb"},  // blank lines shrink, CR LF becomes LF
        {"a\r\n\r\n\r\n\r\n\r\nb", "a\nb"},
        {"a    b", "a b"},  // pairs of spaces: several passes
        {"  a\r\n\r\n  b  ", "a\n b"},
        {"a \xE3\x80\x80", "a "},                          // the deletion leaves a space at the end
        {"\xE4\xB8\xAD\xE3\x80\x80\xE6\x96\x87", "中文"},  // full-width space inside
        {"啊、", "啊、"},                                  // GBK B0 A1 A1 A2: no full-width space
        {"a\rb", "a\rb"},                                  // a lone CR stays
        {"a\n\n\nb", "a\n\n\nb"},                          // LF runs are not CR LF runs
        {"\t[姓名]您好 ", "[姓名]您好"},
    };
    for (const auto& [input, cleaned] : cases) EXPECT_EQ(CleanText(input), cleaned) << input;
    // A memo's single LFs count as CR LF; an existing CR LF is not doubled.
    for (const char* memo : {"a\n\n\nb", "a\r\n\nb", "\n  a\n\n\nb  \n\n"})
        EXPECT_EQ(CleanMemoText(memo), "a\nb");
}

TEST(SmsLimit, IsMeasuredOnTheGbkForm) {
    EXPECT_FALSE(ExceedsSmsLimit(Repeat("中", 127) + "a"));  // 255 bytes
    EXPECT_TRUE(ExceedsSmsLimit(Repeat("中", 128)));         // 256 bytes
    EXPECT_FALSE(ExceedsSmsLimit(Repeat("a", 255)));
    EXPECT_TRUE(ExceedsSmsLimit(Repeat("a", 256)));
}

TEST(SmsCharCount, CountsCharactersOfTheCleanedText) {
    const struct {
        const char* text;
        std::size_t count;
        bool ascii;
    } cases[] = {
        {"  \r\n ", 0, true},
        {"a\r\n\r\n\r\nb", 3, true},
        {"中文ab", 4, false},
        {"丂丂x", 3, false},  // GBK 81 40: a trail byte below the lead-byte range
    };
    for (const auto& c : cases) {
        bool ascii = !c.ascii;
        EXPECT_EQ(GetSmsCharCount(c.text, ascii), c.count) << c.text;
        EXPECT_EQ(ascii, c.ascii) << c.text;
    }
    EXPECT_EQ(SmsCountCaption("短信内容", "a\n\n\nb"), "短信内容(纯英文3字)");
    EXPECT_EQ(SmsCountCaption("估计短信内容", "您好 world"), "估计短信内容(含中文8字)");
    // The caption counts the text as cleaned once: the space left by the deletion counts.
    EXPECT_EQ(SmsCountCaption("短信内容", "a \xE3\x80\x80"), "短信内容(纯英文2字)");
}

}  // namespace
}  // namespace xunda
