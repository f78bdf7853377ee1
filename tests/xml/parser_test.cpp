// The node parser: structure, character data, the tag table and its errors.
#include <gtest/gtest.h>

#include "xml/node_parser.h"
#include "xml_test_util.h"

namespace xunda {
namespace {

using test::FilerErrorOf;
using test::LoadBytes;

TEST(XmlParser, ElementsAttributesAndWhitespace) {
    XmlDocument doc;
    LoadBytes(
        doc,
        "<root>\r\n  <a x=\"1\" y='2'/>\r\n  <b p = \"q r\" s= 't>u' v =\"w\"></b>\r\n</root>\r\n\r\n  ");
    EXPECT_EQ(
        doc.WriteToString(),
        "<root><a x=\"1\" y='2'/><b p=\"q r\" s='t>u' v=\"w\"/></root>\n");  // blanks between tags dropped
    std::vector<std::string> lines, untouched = {"kept"};
    std::string text = " a=\"1\" b = \"2 3\" c =\"4\" d= '5\"' e=6 =f g \"h\" i='j";
    ParseAttributes(text, 0, text.size(), lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"a=\"1\"", "b=\"2 3\"", "c=\"4\"", "d='5\"'", "e=6=f", "g",
                                               "\"h\"", "i='j"}));
    ParseAttributes("   ", 0, 3, untouched);
    EXPECT_EQ(untouched, std::vector<std::string>{"kept"});
    // A start tag read from the decoded text in one pass reads as its split text does (a string
    // stream has no codec: the parser reads every tag character by character).
    for (const char* tag :
         {"<t a=\"1\" b='2'/>", "<t  a = \"1\" />", "<t a=\"1\"bc=\"2\"/>", "<t =\"x\"/>", "<t a=x/>",
          "<t a=\"1\"/ ></t>", "<t/u></t/u>", "<t a/b=\"1\"/>", "<t a=\"&gt;>\" b=\"\"\t>\r\n</t>"}) {
        XmlDocument decoded, direct;
        LoadBytes(decoded, tag);
        direct.ReadFromString(tag);
        EXPECT_EQ(decoded.WriteToString(), direct.WriteToString()) << tag;
    }
}

// Text before the first child is the value, after a child a character data node; a carriage return
// in the last piece cuts trailing LF, CR and blanks (not tabs) from each piece.
TEST(XmlParser, CharacterDataAndValues) {
    XmlDocument doc;
    LoadBytes(doc,
              "<r><t> a &amp; b </t><m>head<c/>tail</m><n>\r\n  <c/>\r\n  text \t\r\n  <d/>\r\n</n><o>a <c/> "
              "b\r\n</o><p>a\r\n<c/> b </p></r>");
    EXPECT_EQ(doc.WriteToString(),
              "<r><t> a &amp; b </t><m>head<c/>tail</m><n><c/>\r\n  text \t<d/></n><o>a<c/> "
              "b</o><p>a\r\n<c/> b </p></r>\n");
    EXPECT_EQ(doc.GetRoot()->GetNodes(0)->GetValueAsString(), " a & b ");
    EXPECT_EQ(doc.GetRoot()->GetNodes(1)->GetNodes(1)->ElementType(), xnkCharData);
}

TEST(XmlParser, TagTableKinds) {
    XmlDocument doc;
    LoadBytes(
        doc,
        "<?xml version=\"1.0\"?><!DOCTYPE r SYSTEM \"r.dtd\" [\r\n  <!ATTLIST r a CDATA \"x y\">\r\n  "
        "<!NOTATION n SYSTEM \"s\">\r\n"
        "  <!-x other> stray\r\n]><r><![CDATA[<raw & text>]]><e  /><!x><?xml-stylesheet href=\"a\" /?></r>");
    const XmlNode *dtd = doc.TopNodes().GetNodes(1), *r = doc.GetRoot();
    ASSERT_EQ(dtd->GetNodeCount() + r->GetNodeCount(), 7);
    struct Row {
        const XmlNode* node;
        XmlNodeKind kind;
        const char *name, *value;
    };
    for (const Row& row :
         {Row{doc.TopNodes().GetNodes(0), xnkDeclaration, "xml", ""},
          Row{dtd, xnkDoctype, "r", "SYSTEM \"r.dtd\""},
          Row{dtd->GetNodes(0), xnkDtdAttList, "r", "a\r\nCDATA\r\n\"x y\""},
          Row{dtd->GetNodes(1), xnkDtdNotation, "n", "SYSTEM\r\n\"s\""},
          Row{dtd->GetNodes(2), xnkOtherDeclaration, "Special", "-x other"},
          Row{r->GetNodes(0), xnkCData, "CData", "<raw & text>"}, Row{r->GetNodes(1), xnkElement, "e", ""},
          Row{r->GetNodes(2), xnkOtherDeclaration, "Special", "x"},
          Row{r->GetNodes(3), xnkStylesheet, "xml-stylesheet", "href=\"a\" /"}}) {
        EXPECT_EQ(row.node->ElementType(), row.kind) << row.name;
        EXPECT_EQ(row.node->Name() + "|" + row.node->Value(), row.name + std::string("|") + row.value);
    }
}

TEST(XmlParser, ErrorsNameTheInnermostElement) {
    struct Case {
        const char *body, *text;
    } cases[] = {
        {"<r><>", "Missing element name"},
        {"<r>< \t>", "Missing element name"},
        {"<r><a><b>text", "Missing close tag in element b"},
        {"<r><a><", "Missing data after \"<\" in element a"},
        {"<r><a></a", "Missing \">\" in close tag of element a"},
        {"<r><a></b></r>", "Incorrect close tag in element a"},
        {"<r><a></ab></r>", "Incorrect close tag in element a"},
        {"<r><a x='1'", "Missing \">\" in start tag of element a"},
        {"<r", "Missing \">\" in start tag of element r"},
        {"<!-- only -->", "No root element found in xml"},
        {"<?xml version=\"1.0\"?>", "No root element found in xml"},
        {" \r\n\t ", "No root element found in xml"},
        {"<R><A></a ></r>", ""},  // end tags compare without case
        {"<r>\xEF\xBB\xBF text</r>  trailing text", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FilerErrorOf(c.body), c.text) << c.body;
    EXPECT_EQ(FilerErrorOf(std::string("<r>a\0</r>", 9)),
              "Missing close tag in element r");  // a NUL ends the data
    XmlDocument doc;                              // what was read before stays
    EXPECT_THROW(LoadBytes(doc, "<r><a/><b x=\"1\">"), EFilerError);
    ASSERT_EQ(doc.GetRoot()->GetNodeCount(), 2);
    EXPECT_EQ(doc.GetRoot()->GetNodes(1)->AttributeByName("x"), "1");
    EXPECT_EQ(doc.Codec, nullptr);
}

TEST(XmlParser, NestingLimit) {
    auto nested = [](int depth, const std::string& open, const std::string& close) {
        std::string body;
        for (int i = 0; i < depth; ++i) body += open;
        for (int i = 0; i < depth; ++i) body += close;
        return body;
    };
    EXPECT_EQ(FilerErrorOf(nested(XmlDocument::kMaxNesting, "<e>", "</e>")), "");
    EXPECT_EQ(FilerErrorOf(nested(XmlDocument::kMaxNesting + 1, "<e>", "</e>")),
              "Nesting too deep in element e");
    EXPECT_EQ(FilerErrorOf(nested(100000, "<e>", "")), "Nesting too deep in element e");
}

// Text across buffer pages, and tags of many attributes (sorted: each line before all the others).
TEST(XmlParser, LargeInputsAreRead) {
    std::string text(200000, 'x'), reversed = "<r";
    for (int i = 0; i < 10000; ++i)
        reversed += " a" + std::to_string(10000 - i) + " = \"" + std::to_string(i) + "\"";
    XmlDocument doc;
    LoadBytes(doc, test::Utf16("<r>" + text + "</r>", false, true));
    EXPECT_EQ(doc.GetRoot()->Value(), text);
    LoadBytes(doc, reversed + "/>");
    EXPECT_EQ(doc.GetRoot()->GetAttributePair(9999), "a1=\"9999\"");
    doc.SortedAttributes = true;
    LoadBytes(doc, reversed + "/>");
    EXPECT_EQ(doc.GetRoot()->GetAttributePair(0), "a10000=\"0\"");  // "0" sorts before "="
    EXPECT_EQ(doc.GetRoot()->GetAttributePair(9999), "a9=\"9991\"");
}

}  // namespace
}  // namespace xunda
