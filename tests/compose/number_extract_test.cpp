#include "compose/number_extract.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(StartsWithAnyPrefix, ReadsTheCommaList) {
    EXPECT_TRUE(StartsWithAnyPrefix("13812345678", " 138, 139 "));
    EXPECT_TRUE(StartsWithAnyPrefix("13912345678", "138,  139"));
    for (const char* list : {"138 ,139", "", ",,", "1381234567890"})  // items are not trimmed at their end
        EXPECT_FALSE(StartsWithAnyPrefix("13812345678", list)) << list;
}

TEST(ExtractMobs, FindsMobileAndAreaCodeNumbers) {
    using M = std::pair<const char*, std::vector<std::string>>;
    // 0755 expects 8 digits; a window must not hold blanks; after a rejected window (from "2023-01-01,"
    // on) the search goes on one character after its start.
    for (const auto& [text, mobs] :
         {M{"+86 13812345678", {"13812345678"}}, M{"8613812345678", {"13812345678"}},
          M{"(010)-12345678", {"01012345678"}}, M{"（010）－12345678", {"01012345678"}},
          M{"0755-12345678", {"075512345678"}}, M{"0755-1234567", {}}, M{"0310-1234567", {"03101234567"}},
          M{"138 1234 5678", {}}, M{"13812345678 13012345678", {"13812345678", "13012345678"}},
          M{"138123456789", {"13812345678"}}, M{"1381234567", {}}, M{"10086 no number", {}},
          M{"张三:13812345678;李四:0571-87654321", {"13812345678", "057187654321"}},
          M{"2023-01-01,13812345678", {"13812345678"}}, M{"0755 13812345678", {"13812345678"}},
          M{"021 x 13912345678", {"13912345678"}}, M{"13138123456789", {"13138123456"}},
          M{"00310 1234567 x0310123456", {}}})
        EXPECT_EQ(ExtractMobs(text), mobs) << text;
}

TEST(ExtractMobs, HonoursTablesAndFilter) {
    EXPECT_TRUE(ExtractMobs("13812345678", false, true, true).empty());
    EXPECT_TRUE(ExtractMobs("13012345678", true, false, true).empty());
    EXPECT_TRUE(ExtractMobs("01012345678", true, true, false).empty());
    EXPECT_EQ(ExtractMobs("13812345678 13912345678", true, true, true, true, "139"),
              std::vector<std::string>{"13912345678"});
}

// What the number import relies on when it reads a long line in parts.
TEST(VisitMobs, GivesExtractMobsNumbersAlsoPartByPartAtSeparators) {
    const std::string text = "a 138-1234-5678,13912345678;（0755）12345678 2023-01-01,13712345 0310-1234567x";
    std::vector<std::string> whole, parts;
    VisitMobs(text, [&](std::string_view mob) { whole.emplace_back(mob); });
    EXPECT_EQ(whole, ExtractMobs(text));
    EXPECT_EQ(whole.size(), 4u);
    for (std::size_t start = 0, end; start < text.size(); start = end) {
        end = text.find_first_of(" ,;", start);
        end = end == std::string::npos ? text.size() : end + 1;
        VisitMobs(text.substr(start, end - start), [&](std::string_view mob) { parts.emplace_back(mob); });
    }
    EXPECT_EQ(parts, whole);
}

}  // namespace
}  // namespace xunda
