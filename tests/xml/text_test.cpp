// The free-standing text helpers: entities, quoting, line breaks, conversions, byte blocks,
// dates and float text.
#include "core/codepage.h"
#include "core/exceptions.h"
#include "xml/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace xunda {
namespace {

TEST(XmlText, EscapeAndUnescape) {
    EXPECT_EQ(EscapeString("&<>'\""), "&amp;&lt;&gt;&apos;&quot;");
    EXPECT_EQ(EscapeString("&amp;"), "&amp;amp;");
    EXPECT_EQ(UnescapeToUtf8("&#x41;&#X41;&#65;"), "AAA");
    EXPECT_EQ(UnescapeToUtf8("a & b"), "a & b");
    EXPECT_EQ(UnescapeToUtf8("&nbsp;&AMP;&amp;"), "&nbsp;&AMP;&");
    EXPECT_EQ(UnescapeToUtf8("x & y; z"), "x & y; z");  // an "&" to a far ";" is one unknown entity
    EXPECT_EQ(UnescapeToUtf8("&#233;&#x4E2D;"), "é中");
    EXPECT_EQ(UnescapeToUtf8("&#x1F600;"), "\xF0\x9F\x98\x80");  // beyond 16 bits: one 4-byte sequence
    EXPECT_EQ(UnescapeToUtf8("&#xD800;&#65535;&#x110000;&#-1;&#;&#x;"), "&#xD800;&#65535;&#x110000;&#-1;&#;&#x;");
    // The code-page variant gives GBK characters, never a lone byte of 128 or more.
    EXPECT_EQ(UnescapeToAnsi("&#65;&#x4E2D;&#20013;"), "A" + Utf8ToGbk("中中"));
    EXPECT_EQ(UnescapeToAnsi("&#254;"), "?");
    EXPECT_EQ(UnescapeToAnsi("&#233;"), Utf8ToGbk("é"));
    EXPECT_EQ(UnescapeToUtf8("a&#0;b&#x0;"), "a\uFFFDb\uFFFD");  // no NUL inside a text
    EXPECT_EQ(UnescapeToAnsi("a&#0;"), "a?");
}

TEST(XmlText, QuotingBlanksAndLineBreaks) {
    EXPECT_EQ(QuoteString("a'b"), "\"a'b\"");
    EXPECT_EQ(QuoteString("a\"b'c"), "'a\"b''c'");
    EXPECT_EQ(UnQuoteString("'a\"b''c'"), "a\"b'c");
    EXPECT_EQ(UnQuoteString("\"ab\"cd"), "ab");
    EXPECT_EQ(UnQuoteString("\""), "\"");
    EXPECT_EQ(UnQuoteString("abc"), "abc");
    EXPECT_EQ(RemoveBlanks(" a\tb\r\nc "), "abc");
    std::string text(152, 'x');
    std::string broken = InsertLineBreaks(text, "|", 76);
    EXPECT_EQ(broken, "|" + std::string(76, 'x') + "|" + std::string(76, 'x') + "|");
    EXPECT_EQ(InsertLineBreaks("", "|", 76), "|");
    EXPECT_EQ(InsertLineBreaks("abc", "", 76), "abc");
    EXPECT_EQ(InsertLineBreaks("abc", "|", 0), "abc");
}

TEST(XmlText, WideAndCodePageText) {
    std::u16string wide = u"A\u00E9\u4E2D\U0001F600";
    std::string utf8 = "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
    EXPECT_EQ(WideTextToUtf8(wide), utf8);
    EXPECT_EQ(Utf8TextToWide(utf8), wide);
    EXPECT_EQ(Utf8TextToWide("ab\xC3"), u"");  // the last byte opens a sequence
    EXPECT_EQ(Utf8TextToWide("a\xE4\x41\x42"), u"");
    // Overlong forms and encoded surrogates are no characters.
    EXPECT_EQ(Utf8TextToWide("\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF0\x80\x80\xAF"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(WideTextToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(AnsiTextToUtf8(Utf8ToGbk("短信")), "短信");
    EXPECT_EQ(Utf8TextToAnsi("短信\xF0\x9F\x98\x80"), Utf8ToGbk("短信") + "?");
    EXPECT_EQ(Utf8TextToAnsi("\xC3"), "");
    char small[4];
    EXPECT_EQ(Ucs2BufferToUtf8(small, sizeof small, u"\u4E2D\u4E2D", 2), 4u);  // one character fits
    EXPECT_EQ(std::string(small), "\xE4\xB8\xAD");
    EXPECT_EQ(Ucs2BufferToUtf8(nullptr, 4, u"a", 1), 0u);
    char16_t units[8];
    EXPECT_EQ(Utf8BufferToUcs2(units, 8, "a\xF0\x9F\x98\x80", 5), 4);
    EXPECT_EQ(Utf8BufferToUcs2(units, 8, "a\x80", 2), -1);
}

TEST(XmlText, ByteBlocks) {
    const unsigned char bytes[] = {0x00, 0xFF, 0x10, 0x7A};
    EXPECT_EQ(EncodeBase64(bytes, 1), "AA==");
    EXPECT_EQ(EncodeBase64(bytes, 2), "AP8=");
    EXPECT_EQ(EncodeBase64(bytes, 3), "AP8Q");
    EXPECT_EQ(EncodeBinHex(bytes, 4), "00FF107A");
    unsigned char out[4] = {};
    DecodeBase64("AP8Qeg==", out, 4);
    EXPECT_EQ(std::memcmp(out, bytes, 4), 0);
    try {
        DecodeBase64("AP8Q", out, 4);
        FAIL();
    } catch (const EFilerError& e) {
        EXPECT_STREQ(e.what(), "Missing data in binary stream");
    }
    unsigned char hex[3] = {1, 2, 3};
    DecodeBinHex("0aFf", hex, 2);
    EXPECT_EQ(hex[0], 0x0A);
    EXPECT_EQ(hex[1], 0xFF);
    for (const char* bad : {"0aFg", "0aG0", "0a/0", "0a:0", "0a@0", "0a`0"}) EXPECT_THROW(DecodeBinHex(bad, hex, 2), EFilerError) << bad;
    EXPECT_THROW(DecodeBinHex("0a", hex, 2), EFilerError);
}

TEST(XmlText, Integers) {
    EXPECT_EQ(StrToIntDef(" 42", 0), 42);
    EXPECT_EQ(StrToIntDef("-$10", 0), -16);
    EXPECT_EQ(StrToIntDef("4294967297", 7), 7);  // does not fit 32 bits
    EXPECT_EQ(StrToIntDef("2147483648", 7), 7);
    EXPECT_EQ(StrToIntDef("$FFFFFFFF", 7), -1);  // hex fills all 32 bits
    EXPECT_EQ(StrToIntDef("$80000000", 7), INT32_MIN);
    EXPECT_EQ(StrToIntDef("$100000000", 7), 7);
    EXPECT_EQ(StrToIntDef("-$FFFFFFFF", 7), 7);
    EXPECT_EQ(StrToInt64Def("4294967297", 7), 4294967297);
    EXPECT_EQ(StrToInt64Def("-9223372036854775808", 0), INT64_MIN);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 7), 7);
    EXPECT_EQ(StrToIntDef("12a", 5), 5);
    EXPECT_EQ(StrToIntDef("", 5), 5);
    try {
        StrToInt("x1");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
}

TEST(XmlText, IsoDates) {
    XmlDateTime midnight = EncodeXmlDateTime(2024, 2, 29);
    EXPECT_EQ(DateTimeToIsoText(midnight), "2024-02-29");
    XmlDateTime moment = EncodeXmlDateTime(2024, 2, 29, 13, 5, 9, 7);
    EXPECT_EQ(DateTimeToIsoText(moment), "2024-02-29T13:05:09.007Z");
    EXPECT_EQ(IsoTextToDateTime("2024-02-29T13:05:09.007Z"), moment);
    EXPECT_EQ(IsoTextToDateTime("2024-02-29"), midnight);
    EXPECT_EQ(IsoTextToDateTime("2024-02-29T13:05:xx.abc"), EncodeXmlDateTime(2024, 2, 29, 13, 5));
    EXPECT_THROW(IsoTextToDateTime("2024-13-01"), EConvertError);
    EXPECT_THROW(IsoTextToDateTime("2024-01-01T25:00:00"), EConvertError);
    EXPECT_THROW(IsoTextToDateTime("20"), EConvertError);
    EXPECT_EQ(IsoTextToDateTimeDef("bad", midnight), midnight);
}

TEST(XmlText, FloatDigits) {
    EXPECT_EQ(FloatToDigitsText(6, false, 0.5), ".5");
    EXPECT_EQ(FloatToDigitsText(6, false, 1234567), "1234570");
    EXPECT_EQ(FloatToDigitsText(6, true, 0.005), "5E-3");
    EXPECT_EQ(FloatToDigitsText(6, false, 0.005), ".005");
    EXPECT_EQ(FloatToDigitsText(6, true, 0), "0");
    EXPECT_EQ(FloatToDigitsText(6, true, -2.5), "-2.5");
    EXPECT_EQ(FloatToDigitsText(3, true, 123456789), "1.23E8");
    EXPECT_EQ(FloatToDigitsText(6, false, 0.99999995), "1");  // the rounding carry makes a new digit
    EXPECT_EQ(FloatToDigitsText(6, false, 999999.7), "1000000");
    EXPECT_EQ(FloatToDigitsText(6, true, INFINITY), "INF");
    EXPECT_EQ(FloatToDigitsText(6, true, -INFINITY), "-INF");
    EXPECT_EQ(FloatToDigitsText(6, true, NAN), "NAN");
    try {
        FloatToDigitsText(0, true, 1);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Significant digits out of range");
    }
    EXPECT_THROW(FloatToDigitsText(10, true, 1), Exception);
}

}  // namespace
}  // namespace xunda
