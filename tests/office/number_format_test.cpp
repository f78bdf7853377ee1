// Number format codes against the texts a spreadsheet program shows for them.
#include "office/number_format.h"

#include <gtest/gtest.h>

#include <clocale>

namespace xunda {
namespace {

struct Shown {
    double value;
    const char* code;
    const char* text;
};

// 2024-05-06 12:30:45 in the 1900 system.
constexpr double kDay = 45418, kHalfPast = 45418 + (12 * 3600 + 30 * 60 + 45) / 86400.0;

constexpr Shown kTable[] = {
    // digit placeholders, decimal point, thousands
    {123, "00000", "00123"},
    {100020, "000000", "100020"},
    {3000, "\"¥\"#,##0.00", "￥3,000.00"},
    {1234567.891, "#,##0.00", "1,234,567.89"},
    {0, "#,##0", "0"},
    {0.5, "#.##", ".5"},
    {5, "0.##", "5."},
    {2.675, "0.00", "2.68"},  // 15 digits first, then half up, as spreadsheets round
    {12.5, ".00", "12.50"},
    {1.5, "0.0?", "1.5 "},
    {7, "??0", "  7"},
    {1234567, "000-0000", "123-4567"},
    {1234567, "#,##0,", "1,235"},  // a comma after the digits counts thousands
    {1234567, "0.0,,\"百万\"", "1.2百万"},
    // percent and scientific
    {0.256, "0.00%", "25.60%"},
    {0.5, "0%", "50%"},
    {12345, "0.00E+00", "1.23E+04"},
    {0.000123, "0.00E+00", "1.23E-04"},
    {99999, "0.00E+00", "1.00E+05"},
    {12345, "##0.0E+0", "12.3E+3"},
    {0, "0.00E+00", "0.00E+00"},
    // literals: quoted, escaped, currency and other characters, Chinese
    {12, "\"第\"0\"期\"", "第12期"},
    {3.25, "0.0\"元\"", "3.3元"},
    {3.25, "0.0元", "3.3元"},
    {42, "\\#0", "#42"},
    {5, "(0)", "(5)"},
    {1500, "[$¥-804]#,##0", "￥1,500"},
    {1500, "$#,##0_);($#,##0)", "$1,500 "},
    {1500, "* #,##0", "1,500"},  // a fill shows nothing
    // sections: positive; negative; zero; colours and conditions show nothing
    {-1234.5, "#,##0.00", "-1,234.50"},
    {-1234.5, "#,##0.00;[Red]-#,##0.00", "-1,234.50"},
    {-5, "0;(0)", "(5)"},
    {0, "0;-0;\"零\"", "零"},
    {-5, "0;-0;\"零\"", "-5"},
    {0, "0;-0;", ""},
    {5, "[Red]0", "5"},
    {-5, "[Red]0", "-5"},
    {-5, "[Blue]0;[Red]0", "5"},
    {150, "[>100]0.0;0", "150.0"},
    {-3000, "\"¥\"#,##0.00", "-￥3,000.00"},
    // General and @
    {0.1 + 0.2, "General", "0.3"},
    {8613912345678, "General", "8613912345678"},  // whole numbers of up to 15 digits show whole
    {-999999999999999, "General", "-999999999999999"},
    {1e15, "General", "1E+15"},
    {123456789012.5, "General", "1.23457E+11"},
    {13912345678, "General", "13912345678"},
    {3.14159265358979, "General", "3.141592654"},
    {-3.25, "General", "-3.25"},
    {0.0000123456789, "General", "1.23457E-05"},
    {0.00001, "General", "0.00001"},
    {99999999999.9, "General", "1E+11"},
    {1e-300, "General", "1E-300"},
    {42, "", "42"},
    {42, "@", "42"},
    {12.5, "\"共\"General\"件\"", "共12.5件"},
    {1.5, "# ?/?", "1.5"},  // fractions are shown as General
    // dates and times
    {kDay, "yyyy\"年\"m\"月\"d\"日\"", "2024年5月6日"},
    {kDay, "m\"月\"d\"日\"", "5月6日"},
    {kDay, "yyyy/m/d", "2024/5/6"},
    {kDay, "yyyy-mm-dd", "2024-05-06"},
    {kDay, "yy.mm.dd", "24.05.06"},
    {kDay, "d-mmm-yy", "6-May-24"},
    {kDay, "dddd, mmmm d", "Monday, May 6"},
    {kDay, "ddd mmmmm", "Mon M"},
    {kDay, "aaaa", "星期一"},
    {kDay, "yyyy年m月d日 aaa", "2024年5月6日 一"},
    {kHalfPast, "yyyy/m/d h:mm", "2024/5/6 12:30"},
    {kHalfPast, "hh:mm:ss", "12:30:45"},
    {kHalfPast, "h:mm AM/PM", "12:30 PM"},
    {kHalfPast, "h:mm:ss a/p", "12:30:45 p"},
    {0.1, "h:mm AM/PM", "2:24 AM"},
    {0.75, "hh:mm AM/PM", "06:00 PM"},
    {0.1, "上午/下午h\"时\"mm\"分\"", "上午2时24分"},
    {0.0, "hh:mm", "00:00"},
    {0.52083333333333, "h:mm", "12:30"},
    {0.5, "h:mm:ss", "12:00:00"},
    {1.5, "[h]:mm:ss", "36:00:00"},
    {0.1, "[mm]:ss", "144:00"},
    {0.00001, "mm:ss.00", "00:00.86"},
    {kHalfPast, "m/d h\"点\"m\"分\"", "5/6 12点30分"},
    {kHalfPast, "mm", "05"},  // a month, with no hours or seconds beside it
    {-1, "yyyy/m/d", "-1"},
    {59, "yyyy-mm-dd", "1900-02-28"},
    {61, "yyyy-mm-dd", "1900-03-01"},
};

TEST(NumberFormat, ShowsEachValueAsASpreadsheetDoes) {
    for (const Shown& row : kTable)
        EXPECT_EQ(NumberFormat(row.code).Show(row.value, false), row.text) << row.code << " " << row.value;
}

TEST(NumberFormat, ShowsTheSameUnderADecimalCommaLocale) {
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "scripts/setup.sh makes this locale";
    const std::string text = NumberFormat("#,##0.00").Show(1234567.891, false);
    const std::string general = GeneralNumberText(0.25);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(text, "1,234,567.89");
    EXPECT_EQ(general, "0.25");
}

TEST(NumberFormat, ATextSectionShowsTexts) {
    EXPECT_EQ(NumberFormat("\"客户：\"@").ShowText("张三"), "客户：张三");
    EXPECT_EQ(NumberFormat("0;-0;0;\"[\"@\"]\"").ShowText("a"), "[a]");
    EXPECT_EQ(NumberFormat("0;-0;0;").ShowText("a"), "");
    EXPECT_EQ(NumberFormat("@").ShowText("a"), std::nullopt);
    EXPECT_EQ(NumberFormat("0.00").ShowText("a"), std::nullopt);
    EXPECT_EQ(NumberFormat("0;-0").ShowText("a"), std::nullopt);
}

TEST(NumberFormat, DatesOfThe1904SystemAndWhichFormatsShowDates) {
    EXPECT_EQ(NumberFormat("yyyy-mm-dd").Show(0, true), "1904-01-01");
    EXPECT_EQ(NumberFormat("yyyy-mm-dd").Show(kDay - 1462, true), "2024-05-06");
    for (const char* code : {"yyyy/m/d", "h:mm", "[h]", "[ss]", "AM/PM", "aaaa", "m\"月\""})
        EXPECT_TRUE(NumberFormat(code).ShowsDates()) << code;
    for (const char* code : {"General", "0.00", "\"yd\"0", "\\d0", "[Red]0", "[$-804]0", "0.00E+00", "@"})
        EXPECT_FALSE(NumberFormat(code).ShowsDates()) << code;
}

TEST(NumberFormat, BuiltInIdsHaveTheirUsualCodes) {
    const std::pair<int, const char*> shown[] = {
        {0, "45418"},     {1, "45418"},       {2, "45418.00"},       {3, "45,418"},
        {4, "45,418.00"}, {7, "￥45,418.00"}, {9, "4541800%"},       {11, "4.54E+04"},
        {14, "2024/5/6"}, {20, "0:00"},       {22, "2024/5/6 0:00"}, {31, "2024年5月6日"},
        {49, "45418"},    {50, "2024年5月"},  {58, "5月6日"},        {164, "45418"},
    };
    for (const auto& [id, text] : shown)
        EXPECT_EQ(NumberFormat(BuiltInFormatCode(id)).Show(kDay, false), text) << id;
    EXPECT_EQ(NumberFormat(BuiltInFormatCode(44)).Show(-3000, false), " ￥-3,000.00 ");
}

}  // namespace
}  // namespace xunda
