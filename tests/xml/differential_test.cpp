// The differential check of the reading side (fuzz/xml_differential.h) as a test: on the fuzz
// target's seeds, and on a table of odd start tags, which the one-pass reading of a plain start
// tag must read as reading the tag's text and splitting it does, or leave to that reading.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz/xml_differential.h"

namespace xunda::test {
namespace {

// Each inner form with each piece size of the codec check.
constexpr char kSelectors = 14;

TEST(XmlDifferential, TheFuzzSeedsReadAlikeEveryWay) {
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(XUNDA_XML_FUZZ_SEEDS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        for (char selector = 0; selector < kSelectors; ++selector)
            EXPECT_EQ(DifferentialMismatch(selector + bytes.str()), "")
                << entry.path().filename() << ", selector " << int{selector};
        ++seeds;
    }
    EXPECT_GE(seeds, 5);
}

TEST(XmlDifferential, OddStartTagsReadAsTheirTextSplits) {
    for (const char* tag : {
             "<t/>",
             "<t>",
             "<t />",
             "<t  />",
             "<t\t/>",
             "<t/ >",
             "<t a=\"1\"/>",
             "<t a=\"1\" />",
             "<t a=\"1\"\t/>",
             "<t a=\"1\"/ >",
             "<t a='1' b=\"2\">",
             "<t  a = \"1\" />",
             "<t a= \"1\"/>",
             "<t a =\"1\"/>",
             "<t a=\"1\"b=\"2\">",
             "<t a=\"1\"b/>",
             "<t =\"x\"/>",
             "<t a=x/>",
             "<t a=x b=\"2\">",
             "<t a==\"1\"/>",
             "<t a=\"1\" = \"2\"/>",
             "<t a/b=\"1\">",
             "<t/u>",
             "<t=1/>",
             "<t\"x\"/>",
             "<t a=\"&gt;>\" b=\"\"\t>",
             "<t a=\"x>y\"/>",
             "<t a=\"x/>y\">",
             "<t a='x\"y' b=\"x'y\"/>",
             "<t a='1''2'/>",
             "<t a=\"1\"\"2\"/>",
             "<t a=\"1\"\" b=\"2\"/>",
             "<t a=x y=x/>",
             "<t a=1 b=1/>",
             "<t a=\"1\" a=\"2\"/>",
             "<t a=\"\"/>",
             "<t\r\na=\"1\"\r\n/>",
             "<t\na=\"1\">",
             "<t a=\"1>",
             "<t a=\"1\"",
             "<t a",
             "<t-x._y a-b.c=\"1\" x:y='2'/>",
             "<\xE4\xB8\xAD \xE5\x90\x8D=\"\xE5\x80\xBC\"/>",
             "<t a=\"\xE4\xB8\xAD\"/>",
             "<t a=\"1\"><t b='2'/></t>",
             "<t a=\"1\"/><t a=\"1\"/>",
             "< t/>",
             "<t\x01a=\"1\"/>",
             "<t a\x01=\"1\"/>",
             "<t a=\"1\"\x01/>",
         }) {
        for (char selector = 0; selector < 2; ++selector)
            EXPECT_EQ(DifferentialMismatch(std::string(1, selector) + "<r>" + tag + "</r>"), "")
                << tag << ", selector " << int{selector};
    }
}

}  // namespace
}  // namespace xunda::test
