// The node parser: structure, character data, the tag table and its errors.
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
    EXPECT_EQ(root->GetNodes(0)->Attributes(), (std::vector<std::string>{"x=\"1\"", "y='2'"}));
    EXPECT_EQ(root->GetNodes(0)->Value(), "");
    EXPECT_EQ(root->GetNodes(1)->Attributes(), (std::vector<std::string>{"p=\"q r\"", "s='t>u'", "v=\"w\""}));
    std::vector<std::string> lines;
    std::string text = " a=\"1\" b = \"2 3\" c =\"4\" d= '5\"' e=6 =f g \"h\" i='j";
    ParseAttributes(text, 0, text.size(), lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"a=\"1\"", "b=\"2 3\"", "c=\"4\"", "d='5\"'", "e=6=f", "g", "\"h\"", "i='j"}));
    std::vector<std::string> untouched = {"kept"};
    ParseAttributes("   ", 0, 3, untouched);
    EXPECT_EQ(untouched, std::vector<std::string>{"kept"});
}

TEST(XmlParser, CharacterDataAndValues) {
    XmlDocument doc;
    LoadBytes(doc, "<r><t> a &amp; b </t><m>head<c/>tail</m><n>\r\n  <c/>\r\n  text \t\r\n  <d/>\r\n</n><o>a <c/> b\r\n</o></r>");
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
    EXPECT_EQ(r->GetNodes(3)->Value(), "a");
    EXPECT_EQ(r->GetNodes(3)->GetNodes(1)->Value(), " b");
}

TEST(XmlParser, TagTableKinds) {
    XmlDocument doc;
    LoadBytes(doc,
              "<?xml version=\"1.0\"?><?xml-stylesheet href=\"a.xsl\"?><!-- note --><!DOCTYPE r SYSTEM \"r.dtd\" [\r\n"
              "  <!ELEMENT r (#PCDATA)>\r\n  <!ATTLIST r a CDATA \"x y\">\r\n  <!ENTITY e \"v\">\r\n  <!NOTATION n SYSTEM \"s\">\r\n"
              "  <!-x other> stray\r\n]><?pi data?><r><![CDATA[<raw & text>]]><e  /><!x></r>");
    struct Row {
        const XmlNode* node;
        XmlNodeKind kind;
        const char *name, *value;
    };
    const XmlNode& top = doc.TopNodes();
    ASSERT_EQ(top.GetNodeCount(), 6);
    const XmlNode* dtd = top.GetNodes(3);
    ASSERT_EQ(dtd->GetNodeCount(), 5);
    const XmlNode* r = top.GetNodes(5);
    ASSERT_EQ(r->GetNodeCount(), 3);
    for (const Row& row : std::initializer_list<Row>{
             {top.GetNodes(0), xnkDeclaration, "xml", ""},
             {top.GetNodes(1), xnkStylesheet, "xml-stylesheet", "href=\"a.xsl\""},
             {top.GetNodes(2), xnkComment, "Comment", " note "},
             {dtd, xnkDoctype, "r", "SYSTEM \"r.dtd\""},
             {dtd->GetNodes(0), xnkDtdElement, "r", "(#PCDATA)"},
             {dtd->GetNodes(1), xnkDtdAttList, "r", "a\r\nCDATA\r\n\"x y\""},
             {dtd->GetNodes(2), xnkDtdEntity, "e", "\"v\""},
             {dtd->GetNodes(3), xnkDtdNotation, "n", "SYSTEM\r\n\"s\""},
             {dtd->GetNodes(4), xnkOtherDeclaration, "Special", "-x other"},
             {top.GetNodes(4), xnkInstruction, "Special", "pi data"},
             {r->GetNodes(0), xnkCData, "CData", "<raw & text>"},
             {r->GetNodes(1), xnkElement, "e", ""},  // "<e  />" is an empty element
             {r->GetNodes(2), xnkOtherDeclaration, "Special", "x"},
         }) {
        EXPECT_EQ(row.node->ElementType(), row.kind) << row.name;
        EXPECT_EQ(row.node->Name(), row.name);
        EXPECT_EQ(row.node->Value(), row.value) << row.name;
    }
    EXPECT_EQ(top.GetNodes(0)->AttributeByName("version"), "1.0");
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
    XmlDocument doc;  // what was read before stays
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
    EXPECT_EQ(FilerErrorOf(nested(XmlDocument::kMaxNesting + 1, "<e>", "</e>")), "Nesting too deep in element e");
    EXPECT_EQ(FilerErrorOf(nested(100000, "<e>", "")), "Nesting too deep in element e");
    EXPECT_EQ(FilerErrorOf(nested(100000, "<!DOCTYPE d [", "]>") + "<r/>"), "Nesting too deep in element d");
}

TEST(XmlParser, LargeInputsAreRead) {
    std::string text(10 * 1024 * 1024, 'x');
    XmlDocument doc;
    LoadBytes(doc, "<r>" + text + "</r>");
    EXPECT_EQ(doc.GetRoot()->Value().size(), text.size());
    std::string tag = "<r", reversed = "<r", joined = "<r";  // reversed: each line sorts before all the others
    for (int i = 0; i < 100000; ++i) {
        tag += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
        reversed += " a" + std::to_string(100000 - i) + "=\"" + std::to_string(i) + "\"";
        joined += " a = \"" + std::to_string(i) + "\"";
    }
    LoadBytes(doc, tag + "/>");
    ASSERT_EQ(doc.GetRoot()->GetAttributeCount(), 100000);
    EXPECT_EQ(doc.GetRoot()->GetAttributeValue(99999), "99999");
    LoadBytes(doc, joined + "/>");
    EXPECT_EQ(doc.GetRoot()->GetAttributeCount(), 100000);
    doc.SortedAttributes = true;
    LoadBytes(doc, reversed + "/>");
    ASSERT_EQ(doc.GetRoot()->GetAttributeCount(), 100000);
    EXPECT_EQ(doc.GetRoot()->GetAttributePair(0), "a100000=\"0\"");  // "0" sorts before "="
    EXPECT_EQ(doc.GetRoot()->GetAttributePair(99999), "a9=\"99991\"");
}

// Multi-byte text in a DOCTYPE subset and stray characters at top level are dropped whole.
TEST(XmlParser, StrayCharactersAreDropped) {
    for (bool utf8 : {false, true}) {
        XmlDocument doc;
        doc.Utf8Strings = utf8;
        LoadBytes(doc, "\xEF\xBB\xBF中文 <!DOCTYPE r [\xE4\xB8\xAD \xC3<!ELEMENT r ANY>]><r/>");
        ASSERT_EQ(doc.TopNodes().GetNodes(0)->GetNodeCount(), 1);
        EXPECT_EQ(doc.TopNodes().GetNodes(0)->GetNodes(0)->ElementType(), xnkDtdElement);
        EXPECT_EQ(doc.GetRoot()->Name(), "r");
    }
    XmlDocument text;
    text.ReadFromString("\xEF\xBB\xBF<a/>");  // no detection: the mark's bytes are stray text
    EXPECT_EQ(text.GetRoot()->Name(), "a");
    EXPECT_FALSE(text.Utf8Strings);
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
