#include "gateway/text_codec.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(StrToUcs2Hex, FourUpperCaseDigitsPerUtf16Unit) {
    EXPECT_EQ(StrToUcs2Hex("abc"), "006100620063");
    EXPECT_EQ(StrToUcs2Hex("你好€"), "4F60597D20AC");
    EXPECT_EQ(StrToUcs2Hex(""), "");
}

TEST(HexText, DigitsPairsAndBadPairsAsOxFF) {
    for (const auto& [c, value] : {std::pair{'0', 0}, {'9', 9}, {'a', 10}, {'F', 15}, {'g', -1}, {'\0', -1}})
        EXPECT_EQ(HexDigitValue(c), value) << c;
    for (const auto& [pair, value] :
         {std::pair{"ff", 255}, {"0A", 10}, {"", -1}, {"4", -1}, {"414", -1}, {"4G", -1}})
        EXPECT_EQ(HexPairToInt(pair), value) << pair;
    EXPECT_EQ(HexToStr("4142"), "AB");
    EXPECT_EQ(HexToStr("4G"), "\xFF");
    EXPECT_EQ(HexToStr("414"), "A\xFF");
    EXPECT_EQ(HexToStr(""), "");
}

}  // namespace
}  // namespace xunda
