#include "compose/placeholders.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(FillPlaceholders, ReplacesEachTokenInOrder) {
    const ContactFields zhang{"张三", "1990-05-01", "张先生"};
    EXPECT_EQ(FillPlaceholders("[称呼]您好,[姓名]生日[生日]快乐![姓名]", zhang),
              "张先生您好,张三生日1990-05-01快乐!张三");
    EXPECT_EQ(FillPlaceholders("[姓名]", ContactFields{"[称呼]", "", "x"}),
              "x");  // works on the previous result
    EXPECT_EQ(FillPlaceholders("[ 姓名] [姓名】 【姓名]", zhang), "[ 姓名] [姓名】 【姓名]");
    EXPECT_TRUE(HasPlaceholder("hi [生日]"));
    EXPECT_FALSE(HasPlaceholder("[姓 名] [name]"));
}

}  // namespace
}  // namespace xunda
