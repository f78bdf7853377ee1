// The text helpers: entities, quoting, line breaks, conversions, byte blocks, numbers, dates, floats.
#include <gtest/gtest.h>

#include <cmath>

#include "xml_test_util.h"

namespace xunda {
namespace {

using test::ErrorOf;

TEST(XmlText, Entities) {
    EXPECT_EQ(EscapeString("a&<>'\"&amp;"), "a&amp;&lt;&gt;&apos;&quot;&amp;amp;");
    struct Case {
        const char *text, *utf8, *ansi;
    } cases[] = {// the code-page result shown in UTF-8
                 {"&amp;&lt;&gt;&apos;&quot;", "&<>'\"", "&<>'\""},
                 {"&#x41;&#X41;&#65;&#0065;&#x0041;", "AAAAA", "AAAAA"},
                 {"&#233;&#x4E2D;&#20013;", "é中中", "é中中"},
                 {"&#x7F;&#x80;&#x7FF;&#x800;", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80", "\x7F???"},
                 {"&#xD7FF;&#xE000;&#xFFFD;&#x10000;&#x10FFFF;",
                  "\xED\x9F\xBF\xEE\x80\x80\uFFFD\U00010000\U0010FFFF", "?????"},
                 {"a&#0;b", "a\uFFFDb", "a?b"},  // no NUL inside a text
                 {"&#xD800;&#xDFFF;&#xFFFE;&#65535;&#x110000;&#-1;&#;&#x;&#6a;",
                  "&#xD800;&#xDFFF;&#xFFFE;&#65535;&#x110000;&#-1;&#;&#x;&#6a;",
                  "&#xD800;&#xDFFF;&#xFFFE;&#65535;&#x110000;&#-1;&#;&#x;&#6a;"},
                 {"&nbsp;&AMP;&#x41", "&nbsp;&AMP;&#x41", "&nbsp;&AMP;&#x41"},
                 {"x & y; z &lt;", "x & y; z <", "x & y; z <"}};  // an "&" to a far ";" is one unknown entity
    for (const Case& c : cases) {
        EXPECT_EQ(UnescapeToUtf8(c.text), c.utf8) << c.text;
        EXPECT_EQ(GbkToUtf8(UnescapeToAnsi(c.text)), c.ansi) << c.text;
    }
}

TEST(XmlText, QuotingBlanksAndLineBreaks) {
    EXPECT_EQ(QuoteString("a'b") + QuoteString("a\"b'c"), "\"a'b\"'a\"b''c'");
    for (auto [quoted, text] :
         std::initializer_list<std::pair<const char*, const char*>>{{"'a\"b''c'", "a\"b'c"},
                                                                    {"\"ab\"cd", "ab"},
                                                                    {"\"", "\""},
                                                                    {"abc", "abc"},
                                                                    {"''", ""},
                                                                    {"'ab", "ab"}})
        EXPECT_EQ(UnQuoteString(quoted), text) << quoted;
    std::string x76(76, 'x');
    EXPECT_EQ(InsertLineBreaks(x76, "|", 76), "|" + x76 + "|");
    EXPECT_EQ(InsertLineBreaks(x76 + "y", "|", 76), "|" + x76 + "|y|");
    EXPECT_EQ(
        InsertLineBreaks("", "|", 76) + InsertLineBreaks("abc", "", 76) + InsertLineBreaks("abc", "|", 0),
        "|abcabc");
}

TEST(XmlText, WideAndCodePageText) {
    std::u16string wide = u"A\u007F\u0080\u07FF\u0800\uFFFF\U0001F600";
    std::string utf8 = "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x9F\x98\x80";
    EXPECT_EQ(WideTextToUtf8(wide + u'\xD800'), utf8 + "\uFFFD");  // a lone surrogate has no UTF-8 form
    EXPECT_EQ(Utf8TextToWide(utf8), wide);
    for (const char* bad : {"ab\xC3", "a\xE4\x41\x42", "a\x80"}) EXPECT_EQ(Utf8TextToWide(bad), u"") << bad;
    // Overlong forms and encoded surrogates are no characters.
    EXPECT_EQ(Utf8TextToWide("\xC1\xBF\xE0\x80\xAF\xED\xA0\x80\xF0\x80\x80\xAF"),
              u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(AnsiTextToUtf8(Utf8TextToAnsi("短信\xF0\x9F\x98\x80")), "短信?");
    EXPECT_EQ(Utf8TextToAnsi("\xC3"), "");
    char small[4];      // one character fits
    char16_t units[3];  // the last unit holds the NUL
    EXPECT_EQ(Ucs2BufferToUtf8(small, sizeof small, u"\u4E2D\u4E2D", 2) +
                  Utf8BufferToUcs2(units, 3, "ab\xE4\xB8\xAD", 5),
              7u);
    EXPECT_EQ(std::string(small) + WideTextToUtf8(std::u16string(units, 2)),
              "\xE4\xB8\xAD"
              "ab");
}

TEST(XmlText, ByteBlocks) {
    const unsigned char bytes[] = {0x00, 0xFF, 0x10, 0x7A, 0xFB, 0xEF, 0x3E};
    const char* base64[] = {"", "AA==", "AP8=", "AP8Q", "AP8Qeg==", "AP8Qevs=", "AP8Qevvv", "AP8QevvvPg=="};
    for (std::size_t n = 0; n < std::size(base64); ++n) {
        EXPECT_EQ(EncodeBase64(bytes, n), base64[n]);
        unsigned char back[8] = {};
        DecodeBase64(base64[n], back, n);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(back), n),
                  std::string(reinterpret_cast<const char*>(bytes), n));
    }
    EXPECT_EQ(EncodeBase64(bytes + 4, 3) + EncodeBinHex(bytes, 4), "++8+00FF107A");
    unsigned char out[4] = {};
    for (auto decode : {DecodeBase64, DecodeBinHex})
        EXPECT_EQ(ErrorOf<EFilerError>([&] { decode("AP8", out, 2); }), "Missing data in binary stream");
    DecodeBinHex("09afAF", out, 3);
    EXPECT_EQ(EncodeBinHex(out, 3), "09AFAF");
    for (const char* bad : {"0/", "0:", "0@", "0G", "0`", "0g", "G0"})
        EXPECT_EQ(ErrorOf<EFilerError>([&] { DecodeBinHex(bad, out, 1); }),
                  "Invalid hex digit in binary stream")
            << bad;
}

TEST(XmlText, Integers) {
    struct Case {
        const char* text;
        std::int32_t int32;
        std::int64_t int64;
    } cases[] = {// 7 is the default
                 {" 42", 42, 42},
                 {"-$10", -16, -16},
                 {"+$aF", 175, 175},
                 {"2147483647", INT32_MAX, INT32_MAX},
                 {"2147483648", 7, 2147483648},
                 {"-2147483648", INT32_MIN, INT32_MIN},
                 {"$FFFFFFFF", -1, 0xFFFFFFFF},
                 {"$80000000", INT32_MIN, 0x80000000},
                 {"$100000000", 7, 0x100000000},
                 {"-$FFFFFFFF", 7, -0xFFFFFFFFLL},
                 {"9223372036854775807", 7, INT64_MAX},
                 {"-9223372036854775808", 7, INT64_MIN},
                 {"9223372036854775808", 7, 7},
                 {"$FFFFFFFFFFFFFFFF", -1, -1},
                 {"12a", 7, 7},
                 {"", 7, 7},
                 {"-", 7, 7},
                 {"$", 7, 7},
                 {"1 ", 7, 7}};
    for (const Case& c : cases) {
        EXPECT_EQ(StrToIntDef(c.text, 7), c.int32) << c.text;
        EXPECT_EQ(StrToInt64Def(c.text, 7), c.int64) << c.text;
    }
    EXPECT_EQ(ErrorOf<EConvertError>([] { StrToInt("x1"); }), "'x1' is not a valid integer value");
}

TEST(XmlText, IsoDates) {
    XmlDateTime midnight = EncodeXmlDateTime(2024, 2, 29),
                moment = EncodeXmlDateTime(2024, 2, 29, 13, 5, 9, 7);
    EXPECT_EQ(DateTimeToIsoText(midnight) + " " + DateTimeToIsoText(moment) + " " +
                  DateTimeToIsoText(EncodeXmlDateTime(999, 1, 2, 0, 0, 0, 1)),
              "2024-02-29 2024-02-29T13:05:09.007Z 0999-01-02T00:00:00.001Z");
    for (auto [text, value] : std::initializer_list<std::pair<const char*, XmlDateTime>>{
             {"2024-02-29T13:05:09.007Z", moment},
             {"2024-02-29", midnight},
             {"2024-02-29T23:59", midnight},  // a time needs 17 characters
             {"2024-02-29T23:59Z", EncodeXmlDateTime(2024, 2, 29, 23, 59)},
             {"2024-02-29T13:05:xx.abc", EncodeXmlDateTime(2024, 2, 29, 13, 5)}})
        EXPECT_EQ(IsoTextToDateTime(text), value) << text;
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-01-01T24:00:00", "2024-01-01T23:60:00", "20"})
        EXPECT_EQ(IsoTextToDateTimeDef(bad, moment), moment) << bad;
    EXPECT_THROW(IsoTextToDateTime("20"), EConvertError);
}

TEST(XmlText, FloatDigits) {
    struct Case {
        int digits;
        bool exponent;
        double value;
        const char* text;
    } cases[] = {{6, false, 0.5, ".5"},
                 {6, false, 1234567, "1234570"},
                 {6, true, 0.005, "5E-3"},
                 {6, false, 0.005, ".005"},
                 {6, true, 0.05, ".05"},
                 {6, true, 0, "0"},
                 {6, true, -2.5, "-2.5"},
                 {3, true, 123456789, "1.23E8"},
                 {6, true, 12345678, "12345700"},
                 {6, true, 123456789, "1.23457E8"},
                 {6, false, 0.99999995, "1"},
                 {6, false, 999999.7, "1000000"},
                 {1, true, 25, "20"},
                 {9, false, 1.0 / 3, ".333333333"},
                 {2, true, 0.125, ".12"},
                 {6, true, INFINITY, "INF"},
                 {6, true, -INFINITY, "-INF"},
                 {6, true, NAN, "NAN"}};
    for (const Case& c : cases)
        EXPECT_EQ(FloatToDigitsText(c.digits, c.exponent, c.value), c.text) << c.value;
    EXPECT_EQ(ErrorOf<Exception>([] { FloatToDigitsText(0, true, 1); }), "Significant digits out of range");
    EXPECT_THROW(FloatToDigitsText(10, true, 1), Exception);
}

}  // namespace
}  // namespace xunda
