#include "gateway/text_codec.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(StrToUcs2Hex, FourUpperCaseDigitsPerUtf16Unit) {
    EXPECT_EQ(StrToUcs2Hex("abc"), "006100620063");
    EXPECT_EQ(StrToUcs2Hex("你好"), "4F60597D");
    EXPECT_EQ(StrToUcs2Hex("€"), "20AC");
    EXPECT_EQ(StrToUcs2Hex(""), "");
}

TEST(HexDigits, DigitsPairsAndTheirFailures) {
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    EXPECT_EQ(HexDigitValue('g'), -1);
    EXPECT_EQ(HexDigitValue('\0'), -1);
    EXPECT_EQ(HexPairToInt("ff"), 255);
    EXPECT_EQ(HexPairToInt("0A"), 10);
    EXPECT_EQ(HexPairToInt(""), -1);
    EXPECT_EQ(HexPairToInt("4"), -1);
    EXPECT_EQ(HexPairToInt("414"), -1);
    EXPECT_EQ(HexPairToInt("4G"), -1);
}

TEST(HexToStr, PairsBecomeBytesAndBadPairsOxFF) {
    EXPECT_EQ(HexToStr("4142"), "AB");
    EXPECT_EQ(HexToStr("3132"), "12");
    EXPECT_EQ(HexToStr("4G"), "\xFF");
    EXPECT_EQ(HexToStr("414"), "A\xFF");
    EXPECT_EQ(HexToStr("e4bda0"), "你");
    EXPECT_EQ(HexToStr("E4BDA0"), "你");
    EXPECT_EQ(HexToStr(""), "");
}

}  // namespace
}  // namespace xunda
