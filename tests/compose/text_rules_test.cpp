#include "compose/text_rules.h"

#include <gtest/gtest.h>

#include "support/repeat.h"

namespace xunda {
namespace {

using test::Repeat;

TEST(CleanText, AppliesItsFourStepsInOrder) {
    // Blank lines shrink and CR LF becomes LF; pairs of spaces take several passes; a full-width space
    // is deleted (leaving a space at the end, or inside), not GBK B0 A1 A1 A2; a lone CR and LF runs stay.
    using Clean = std::pair<const char*, const char*>;
    for (const auto& [input, cleaned] :
         {Clean{" \r\n\t  \r\n ", ""}, Clean{"a\r\n\r\n\r\nb", "a\nb"},
          Clean{"a\r\n\r\n\r\n\r\n\r\nb", "a\nb"}, Clean{"a    b", "a b"}, Clean{"  a\r\n\r\n  b  ", "a\n b"},
          Clean{"a \xE3\x80\x80", "a "}, Clean{"\xE4\xB8\xAD\xE3\x80\x80\xE6\x96\x87", "中文"},
          Clean{"啊、", "啊、"}, Clean{"a\rb", "a\rb"}, Clean{"a\n\n\nb", "a\n\n\nb"},
          Clean{"\t[姓名]您好 ", "[姓名]您好"}})
        EXPECT_EQ(CleanText(input), cleaned) << input;
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
    // GBK 81 40 (丂): a trail byte below the lead-byte range.
    using Count = std::tuple<const char*, std::size_t, bool>;
    for (const auto& [text, count, expected] : {Count{"  \r\n ", 0, true}, Count{"a\r\n\r\n\r\nb", 3, true},
                                                Count{"中文ab", 4, false}, Count{"丂丂x", 3, false}}) {
        bool ascii = !expected;
        EXPECT_EQ(GetSmsCharCount(text, ascii), count) << text;
        EXPECT_EQ(ascii, expected) << text;
    }
    EXPECT_EQ(SmsCountCaption("短信内容", "a\n\n\nb"), "短信内容(纯英文3字)");
    EXPECT_EQ(SmsCountCaption("估计短信内容", "您好 world"), "估计短信内容(含中文8字)");
    // The caption counts the text as cleaned once: the space left by the deletion counts.
    EXPECT_EQ(SmsCountCaption("短信内容", "a \xE3\x80\x80"), "短信内容(纯英文2字)");
}

}  // namespace
}  // namespace xunda
