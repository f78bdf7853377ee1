// The node parser: structure, character data, the tag table and its errors.
#include "core/exceptions.h"
#include "xml/document.h"
#include "xml/node_parser.h"
#include "xml_test_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

using test::FilerErrorOf;
using test::LoadBytes;

TEST(XmlParser, ElementsAttributesAndWhitespace) {
    XmlDocument doc;
    LoadBytes(doc, "<root>\r\n  <a x=\"1\" y='2'/>\r\n  <b p = \"q r\" s= 't>u' v =\"w\"></b>\r\n</root>\r\n\r\n  ");
    XmlNode* root = doc.GetRoot();
    ASSERT_EQ(root->GetNodeCount(), 2);
    EXPECT_EQ(doc.TopNodes().GetNodeCount(), 1);  // trailing blanks leave no node
    XmlNode* a = root->GetNodes(0);
    EXPECT_EQ(a->Name(), "a");
    EXPECT_EQ(a->Attributes(), (std::vector<std::string>{"x=\"1\"", "y='2'"}));
    EXPECT_EQ(a->Value(), "");
    XmlNode* b = root->GetNodes(1);
    EXPECT_EQ(b->Attributes(), (std::vector<std::string>{"p=\"q r\"", "s='t>u'", "v=\"w\""}));
    EXPECT_EQ(b->GetAttributeValue(1), "t>u");
}

TEST(XmlParser, AttributeTokensJoinIntoLines) {
    std::vector<std::string> lines;
    std::string text = " a=\"1\" b = \"2 3\" c =\"4\" d= '5\"' e=6 =f g \"h\" ";
    ParseAttributes(text, 0, text.size(), lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"a=\"1\"", "b=\"2 3\"", "c=\"4\"", "d='5\"'", "e=6=f", "g", "\"h\""}));
    std::vector<std::string> untouched = {"kept"};
    ParseAttributes("   ", 0, 3, untouched);
    EXPECT_EQ(untouched, std::vector<std::string>{"kept"});
}

TEST(XmlParser, CharacterDataAndValues) {
    XmlDocument doc;
    LoadBytes(doc, "<r><t> a &amp; b </t><m>head<c/>tail</m><n>\r\n  <c/>\r\n  text \t\r\n  <d/>\r\n</n></r>");
    XmlNode* r = doc.GetRoot();
    EXPECT_EQ(r->GetNodes(0)->Value(), " a &amp; b ");  // untrimmed, entities as written
    EXPECT_EQ(r->GetNodes(0)->GetValueAsString(), " a & b ");
    EXPECT_EQ(r->GetNodes(0)->GetNodeCount(), 0);
    XmlNode* m = r->GetNodes(1);
    EXPECT_EQ(m->Value(), "head");
    ASSERT_EQ(m->GetNodeCount(), 2);
    EXPECT_EQ(m->GetNodes(1)->ElementType(), xnkCharData);
    EXPECT_EQ(m->GetNodes(1)->Value(), "tail");
    XmlNode* n = r->GetNodes(2);
    ASSERT_EQ(n->GetNodeCount(), 3);
    // A carriage return after the last child: trailing LF, CR and blanks (not tabs) are cut.
    EXPECT_EQ(n->GetNodes(1)->Value(), "\r\n  text \t");
}

TEST(XmlParser, TagTableKinds) {
    XmlDocument doc;
    LoadBytes(doc,
              "<?xml version=\"1.0\"?><?xml-stylesheet href=\"a.xsl\"?><!-- note --><!DOCTYPE r SYSTEM \"r.dtd\" [\r\n"
              "  <!ELEMENT r (#PCDATA)>\r\n  <!ATTLIST r a CDATA \"x y\">\r\n  <!ENTITY e \"v\">\r\n  <!NOTATION n SYSTEM \"s\">\r\n"
              "  <!-x other>\r\n]><?pi data?><r><![CDATA[<raw & text>]]><e  /></r>");
    const XmlNode& top = doc.TopNodes();
    ASSERT_EQ(top.GetNodeCount(), 6);
    EXPECT_EQ(top.GetNodes(0)->ElementType(), xnkDeclaration);
    EXPECT_EQ(top.GetNodes(0)->Name(), "xml");
    EXPECT_EQ(top.GetNodes(0)->AttributeByName("version"), "1.0");
    EXPECT_EQ(top.GetNodes(1)->ElementType(), xnkStylesheet);
    EXPECT_EQ(top.GetNodes(1)->Value(), "href=\"a.xsl\"");
    EXPECT_EQ(top.GetNodes(2)->ElementType(), xnkComment);
    EXPECT_EQ(top.GetNodes(2)->Value(), " note ");
    const XmlNode* dtd = top.GetNodes(3);
    EXPECT_EQ(dtd->ElementType(), xnkDoctype);
    EXPECT_EQ(dtd->Name(), "r");
    EXPECT_EQ(dtd->Value(), "SYSTEM \"r.dtd\"");
    ASSERT_EQ(dtd->GetNodeCount(), 5);
    EXPECT_EQ(dtd->GetNodes(0)->ElementType(), xnkDtdElement);
    EXPECT_EQ(dtd->GetNodes(0)->Value(), "(#PCDATA)");
    EXPECT_EQ(dtd->GetNodes(1)->ElementType(), xnkDtdAttList);
    EXPECT_EQ(dtd->GetNodes(1)->Value(), "a\r\nCDATA\r\n\"x y\"");
    EXPECT_EQ(dtd->GetNodes(2)->ElementType(), xnkDtdEntity);
    EXPECT_EQ(dtd->GetNodes(3)->ElementType(), xnkDtdNotation);
    EXPECT_EQ(dtd->GetNodes(4)->ElementType(), xnkOtherDeclaration);
    EXPECT_EQ(dtd->GetNodes(4)->Name(), "Special");
    EXPECT_EQ(dtd->GetNodes(4)->Value(), "-x other");
    EXPECT_EQ(top.GetNodes(4)->ElementType(), xnkInstruction);
    EXPECT_EQ(top.GetNodes(4)->Value(), "pi data");
    const XmlNode* r = top.GetNodes(5);
    EXPECT_EQ(r->GetNodes(0)->ElementType(), xnkCData);
    EXPECT_EQ(r->GetNodes(0)->Value(), "<raw & text>");
    EXPECT_EQ(r->GetNodes(1)->Name(), "e");  // "<e  />" is an empty element
}

TEST(XmlParser, ErrorsNameTheInnermostElement) {
    struct Case {
        const char* body;
        const char* text;
    } cases[] = {
        {"<r><>", "Missing element name"},
        {"<r>< \t>", "Missing element name"},
        {"<r><a><b>text", "Missing close tag in element b"},
        {"<r><a><", "Missing data after \"<\" in element a"},
        {"<r><a></a", "Missing \">\" in close tag of element a"},
        {"<r><a></b></r>", "Incorrect close tag in element a"},
        {"<r><a x='1'", "Missing \">\" in start tag of element a"},
        {"<r", "Missing \">\" in start tag of element r"},
        {"<!-- only -->", "No root element found in xml"},
        {"<?xml version=\"1.0\"?>", "No root element found in xml"},
        {" \r\n\t ", "No root element found in xml"},
    };
    for (const Case& c : cases) EXPECT_EQ(FilerErrorOf(c.body), c.text) << c.body;
    EXPECT_EQ(FilerErrorOf("<R><A></a></r>"), "");  // end tags compare without case
    EXPECT_EQ(FilerErrorOf("<r>\xEF\xBB\xBF text</r>  trailing text"), "");
}

TEST(XmlParser, ErrorLeavesWhatWasRead) {
    XmlDocument doc;
    EXPECT_THROW(test::LoadBytes(doc, "<r><a/><b x=\"1\">"), EFilerError);
    XmlNode* r = doc.GetRoot();
    ASSERT_EQ(r->GetNodeCount(), 2);
    EXPECT_EQ(r->GetNodes(1)->AttributeByName("x"), "1");
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
    EXPECT_EQ(FilerErrorOf(nested(XmlDocument::kMaxNesting + 1, "<e>", "</e>")), "Nesting too deep in element e");
    EXPECT_EQ(FilerErrorOf(nested(100000, "<e>", "")), "Nesting too deep in element e");
    // DOCTYPE subsets nest as well.
    EXPECT_EQ(FilerErrorOf(nested(100000, "<!DOCTYPE d [", "]>") + "<r/>"), "Nesting too deep in element d");
}

TEST(XmlParser, LargeInputsAreRead) {
    std::string text(10 * 1024 * 1024, 'x');
    XmlDocument doc;
    LoadBytes(doc, "<r>" + text + "</r>");
    EXPECT_EQ(doc.GetRoot()->Value().size(), text.size());

    std::string tag = "<r";
    for (int i = 0; i < 100000; ++i) tag += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    LoadBytes(doc, tag + "/>");
    ASSERT_EQ(doc.GetRoot()->GetAttributeCount(), 100000);
    EXPECT_EQ(doc.GetRoot()->GetAttributeValue(99999), "99999");

    std::string reversed = "<r";  // each line sorts before all the others
    for (int i = 100000; i > 0; --i) reversed += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    doc.SortedAttributes = true;
    LoadBytes(doc, reversed + "/>");
    ASSERT_EQ(doc.GetRoot()->GetAttributeCount(), 100000);
    EXPECT_EQ(doc.GetRoot()->GetAttributePair(0), "a100000=\"100000\"");  // "0" sorts before "="
    EXPECT_EQ(doc.GetRoot()->GetAttributePair(99999), "a9=\"9\"");
    doc.SortedAttributes = false;

    std::string joined = "<r";
    for (int i = 0; i < 100000; ++i) joined += " a = \"" + std::to_string(i) + "\"";
    LoadBytes(doc, joined + "/>");
    EXPECT_EQ(doc.GetRoot()->GetAttributeCount(), 100000);
}

// A UTF-8 sequence cut short by markup, and multi-byte text in a DOCTYPE subset, are read once.
TEST(XmlParser, BrokenSequencesBeforeMarkup) {
    for (bool utf8 : {false, true}) {
        XmlDocument doc;
        doc.Utf8Strings = utf8;
        LoadBytes(doc, "\xEF\xBB\xBF<r>\xC3<a/>\xE4\xB8</r>");
        ASSERT_EQ(doc.GetRoot()->GetNodeCount(), 2);
        EXPECT_EQ(doc.GetRoot()->Value(), "\uFFFD");
        EXPECT_EQ(doc.GetRoot()->GetNodes(0)->Name(), "a");
        LoadBytes(doc, "\xEF\xBB\xBF<!DOCTYPE r [\xE4\xB8\xAD \xC3<!ELEMENT r ANY>]><r/>");
        ASSERT_EQ(doc.TopNodes().GetNodes(0)->GetNodeCount(), 1);
        EXPECT_EQ(doc.TopNodes().GetNodes(0)->GetNodes(0)->ElementType(), xnkDtdElement);
    }
}

// Every prefix of a valid document loads or raises one of the model's exceptions.
TEST(XmlParser, EveryPrefixLoadsOrRaisesCleanly) {
    const std::string documents[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<data>\r\n  <row c=\"3132\" g='E4B8AD'/>\r\n  <row c=\"33\">t&amp;x</row>\r\n</data>\r\n",
        "\xEF\xBB\xBF<!DOCTYPE a [<!ELEMENT a ANY>]><a><!-- c --><![CDATA[x]]><?p q?><b x=\"1\"/>text</a>",
        std::string("\xFF\xFE<\0r\0>\0\x2D\x4E<\0/\0r\0>\0", 16),
        "<r a=\"&#x4E2D;&#20013;&#65536;\">\xD6\xD0\xCE\xC4</r>",
    };
    for (const std::string& full : documents) {
        for (std::size_t n = 0; n <= full.size(); ++n) {
            for (bool utf8 : {false, true}) {
                XmlDocument doc;
                doc.Utf8Strings = utf8;
                try {
                    LoadBytes(doc, full.substr(0, n));
                    doc.WriteToString();
                } catch (const Exception&) {
                }
            }
        }
    }
}

}  // namespace
}  // namespace xunda
