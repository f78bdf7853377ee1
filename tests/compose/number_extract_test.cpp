#include "compose/number_extract.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

namespace xunda {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PrefixTables, HoldTheirEntriesInOneTable) {
    EXPECT_EQ(AllPrefixEntries().size(), 365u);
    EXPECT_EQ(PrefixEntries(PrefixTable::Mobile1).size(), 17u);
    EXPECT_EQ(PrefixEntries(PrefixTable::Mobile2).size(), 12u);
    EXPECT_EQ(PrefixEntries(PrefixTable::AreaCode).size(), 336u);
    EXPECT_EQ(PrefixEntries(PrefixTable::Mobile1).front().entry, "*134");
    EXPECT_EQ(PrefixEntries(PrefixTable::AreaCode).back().entry, "0999");
    EXPECT_EQ(NumberLength("*138"), 11u);
    EXPECT_EQ(NumberLength("*0755"), 12u);
    EXPECT_EQ(NumberLength("0310"), 11u);

    // 8 digits follow every mobile prefix and 33 area codes; no entry begins another one.
    std::size_t marked = 0;
    for (const PrefixEntry& e : AllPrefixEntries()) {
        marked += e.entry.starts_with('*');
        EXPECT_TRUE(IsAllDigits(PrefixOf(e.entry))) << e.entry;
        for (const PrefixEntry& other : AllPrefixEntries())
            if (&other != &e) EXPECT_FALSE(PrefixOf(other.entry).starts_with(PrefixOf(e.entry))) << e.entry;
    }
    EXPECT_EQ(marked, 17u + 12u + 33u);
}

TEST(IsAllDigits, AcceptsOnlyAsciiDigits) {
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits(" 1"));
    EXPECT_FALSE(IsAllDigits("12a"));
    EXPECT_FALSE(IsAllDigits("１２"));  // full-width digits
}

TEST(StartsWithAnyPrefix, ReadsTheCommaList) {
    EXPECT_TRUE(StartsWithAnyPrefix("13812345678", " 138, 139 "));
    EXPECT_TRUE(StartsWithAnyPrefix("13912345678", "138,  139"));
    EXPECT_FALSE(StartsWithAnyPrefix("13812345678", "138 ,139"));  // items are not trimmed at their end
    EXPECT_FALSE(StartsWithAnyPrefix("13812345678", ""));
    EXPECT_FALSE(StartsWithAnyPrefix("13812345678", ",,"));
    EXPECT_FALSE(StartsWithAnyPrefix("13812345678", "1381234567890"));
}

struct ExtractCase {
    const char* text;
    std::vector<std::string> mobs;
};

TEST(ExtractMobs, FindsMobileAndAreaCodeNumbers) {
    const ExtractCase cases[] = {
        {"13812345678", {"13812345678"}},
        {"+86 13812345678", {"13812345678"}},
        {"8613812345678", {"13812345678"}},
        {"(010)-12345678", {"01012345678"}},
        {"（010）－12345678", {"01012345678"}},
        {"0755-12345678", {"075512345678"}},
        {"0755-1234567", {}},  // 0755 expects 8 digits
        {"0310-1234567", {"03101234567"}},
        {"138 1234 5678", {}},  // the window holds blanks
        {"13812345678 13012345678", {"13812345678", "13012345678"}},
        {"138123456789", {"13812345678"}},
        {"10086", {}},
        {"no digits here", {}},
        {"张三:13812345678;李四:0571-87654321", {"13812345678", "057187654321"}},
    };
    for (const ExtractCase& c : cases) EXPECT_EQ(ExtractMobs(c.text), c.mobs) << c.text;
}

TEST(ExtractMobs, ResumesOneCharacterAfterARejectedWindow) {
    EXPECT_THAT(ExtractMobs("2023-01-01,13812345678"), ElementsAre("13812345678"));
    EXPECT_THAT(ExtractMobs("0755 13812345678"), ElementsAre("13812345678"));
    EXPECT_THAT(ExtractMobs("021 x 13912345678"), ElementsAre("13912345678"));
}

TEST(ExtractMobs, HonoursTablesAndFilter) {
    EXPECT_THAT(ExtractMobs("13812345678", false, true, true), IsEmpty());
    EXPECT_THAT(ExtractMobs("13012345678", true, false, true), IsEmpty());
    EXPECT_THAT(ExtractMobs("01012345678", true, true, false), IsEmpty());
    EXPECT_THAT(ExtractMobs("13812345678 13912345678", true, true, true, true, "139"),
                ElementsAre("13912345678"));
}

// The method as first written: one substring search per entry, the earliest one wins.
std::size_t LiteralFindFirstPrefix(PrefixTable table, const std::string& text, std::string_view& entry) {
    std::size_t best = 0;
    for (const PrefixEntry& e : PrefixEntries(table)) {
        std::string prefix(e.entry.starts_with('*') ? e.entry.substr(1) : e.entry);
        std::size_t at = text.find(prefix);
        if (at != std::string::npos && (best == 0 || at + 1 < best)) {
            best = at + 1;
            entry = e.entry;
        }
        if (best == 1) break;
    }
    return best;
}

TEST(FindFirstPrefix, EqualsTheLiteralMethodOnRandomTexts) {
    std::mt19937 rng(20261206);
    const std::string alphabet = "0000111133345578899 -a,";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    const PrefixTable tables[] = {PrefixTable::Mobile1, PrefixTable::Mobile2, PrefixTable::AreaCode};
    int found = 0;
    for (int n = 0; n < 10000; ++n) {
        std::string text;
        for (int i = length(rng); i > 0; --i) text += alphabet[pick(rng)];
        for (PrefixTable table : tables) {
            std::string_view fast = "none", literal = "none";
            std::size_t at = FindFirstPrefix(table, text, fast);
            ASSERT_EQ(at, LiteralFindFirstPrefix(table, text, literal)) << text;
            ASSERT_EQ(fast, literal) << text;
            found += at > 0;
        }
    }
    EXPECT_GT(found, 5000);  // the texts exercise the tables
}

// Extraction as first written on top of the literal prefix search, with a rejected window resumed
// one character after its start.
std::vector<std::string> LiteralExtractMobs(std::string text) {
    for (std::string_view dash : {"(", ")", "-", "（", "）", "－"})
        for (std::size_t at = text.find(dash); at != std::string::npos; at = text.find(dash, at))
            text.erase(at, dash.size());
    std::vector<std::string> mobs;
    std::string rest = text;
    while (!rest.empty()) {
        if (std::size_t digit = rest.find_first_of("0123456789"); digit != std::string::npos)
            rest.erase(0, digit);
        std::size_t p = 0;
        std::string_view entry;
        for (PrefixTable table : {PrefixTable::Mobile1, PrefixTable::Mobile2, PrefixTable::AreaCode}) {
            std::string_view found;
            std::size_t at = LiteralFindFirstPrefix(table, rest, found);
            if (at > 0 && (p == 0 || at < p)) {
                p = at;
                entry = found;
            }
        }
        if (p == 0) break;
        const std::size_t length = NumberLength(entry);
        const std::string window = rest.substr(p - 1, length);
        if (window.size() == length && IsAllDigits(window)) {
            mobs.push_back(window);
            rest.erase(0, p - 1 + length);
        } else {
            rest.erase(0, p);
        }
    }
    return mobs;
}

TEST(ExtractMobs, EqualsTheLiteralMethodOnRandomTexts) {
    std::mt19937 rng(61031);
    const std::string_view pieces[] = {"0", "1", "1", "3", "3", "5", "8", "9", "0755", "138", "010",
                                       "2",  "4", "6", "7", " ", "-", "(", "）", "－", "a", "中"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 60);
    std::size_t found = 0;
    for (int n = 0; n < 2000; ++n) {
        std::string text;
        for (int i = length(rng); i > 0; --i) text += pieces[pick(rng)];
        const std::vector<std::string> mobs = ExtractMobs(text);
        ASSERT_EQ(mobs, LiteralExtractMobs(text)) << text;
        found += mobs.size();
    }
    EXPECT_GT(found, 600u);  // the texts hold numbers
}

}  // namespace
}  // namespace xunda
