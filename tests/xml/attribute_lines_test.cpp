// The one-block attribute line list.
#include "xml/attribute_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xunda {
namespace {

std::vector<std::string> Lines(const XmlAttributeLines& list) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
    return out;
}

TEST(XmlAttributeLines, EditsKeepEveryLine) {
    XmlAttributeLines list;
    EXPECT_TRUE(list.empty());
    for (int i = 0; i < 100; ++i) list.push_back("a" + std::to_string(i) + "=\"" + std::string(i % 7, 'x') + "\"");
    list.AppendToLast("+more");
    EXPECT_EQ(list[99], "a99=\"x\"+more");
    list.Replace(0, "first=\"a much longer value than before\"");
    list.Replace(50, "");
    list.Insert(0, "zero");
    list.Insert(101, "last");
    list.Insert(10, std::string(200, 'y'));
    list.Erase(1);
    std::vector<std::string> lines = Lines(list);
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines[0], "zero");
    EXPECT_EQ(lines[1], "a1=\"x\"");
    EXPECT_EQ(lines[9], std::string(200, 'y'));
    EXPECT_EQ(lines[51], "");
    EXPECT_EQ(lines[100], "a99=\"x\"+more");
    EXPECT_EQ(lines[101], "last");

    XmlAttributeLines copy = list;
    EXPECT_EQ(Lines(copy), lines);
    XmlAttributeLines tail;
    tail.AssignFrom(list, 100);
    EXPECT_EQ(Lines(tail), (std::vector<std::string>{"a99=\"x\"+more", "last"}));
    tail.AssignFrom(list, 102);
    EXPECT_TRUE(tail.empty());
    copy.clear();
    EXPECT_EQ(copy.size(), 0u);
    copy.push_back("again");
    EXPECT_EQ(copy[0], "again");
    list.Release();
    EXPECT_TRUE(list.empty());
    list = copy;
    EXPECT_EQ(Lines(list), std::vector<std::string>{"again"});
}

TEST(XmlAttributeLines, ShortListsCopyAndGrowOutOfTheListItself) {
    XmlAttributeLines small;
    small.push_back("a=\"1\"");
    small.push_back("b=\"2\"");
    XmlAttributeLines copy = small;  // a short list copied keeps its own lines
    small.Replace(0, "a=\"changed\"");
    EXPECT_EQ(Lines(copy), (std::vector<std::string>{"a=\"1\"", "b=\"2\""}));
    std::vector<std::string> expected = Lines(small);
    for (int i = 0; i < 20; ++i) {  // past the room inside the list
        small.push_back("n" + std::to_string(i) + "=\"" + std::string(9, 'v') + "\"");
        expected.push_back(Lines(small).back());
    }
    EXPECT_EQ(Lines(small), expected);
    copy = small;
    EXPECT_EQ(Lines(copy), expected);
    small.AssignFrom(copy, 21);
    EXPECT_EQ(Lines(small), std::vector<std::string>{expected.back()});
}

}  // namespace
}  // namespace xunda
