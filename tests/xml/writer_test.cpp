// The node writer's layouts, round trips, and the typed values.
#include <gtest/gtest.h>

#include "xml_test_util.h"

namespace xunda {
namespace {

TEST(XmlWriter, Layouts) {
    XmlDocument doc;
    doc.ReadFromString("<a><b>1</b><c><d/></c></a>");
    doc.Layout = xlReadableCrLf;
    EXPECT_EQ(doc.WriteToString(), "<a>\r\n  <b>1</b>\r\n  <c>\r\n    <d/>\r\n  </c>\r\n</a>\r\n");
    doc.Layout = xlReadableLf;
    EXPECT_EQ(doc.WriteToString(), "<a>\n<b>1</b>\n<c>\n<d/>\n</c>\n</a>\n");
    doc.Layout = xlCompact;
    doc.FullEndTags = true;
    EXPECT_EQ(doc.WriteToString(), "<a><b>1</b><c><d></d></c></a>\n");
}

TEST(XmlWriter, NewDocumentAndAttributes) {
    XmlDocument doc;
    EXPECT_EQ(doc.WriteToString(), "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<></>\n");
    auto root = XmlNode::CreateNameValue(&doc, "r", "v&");
    root->AttributeAdd("empty", "");
    root->NodeNew("k");
    EXPECT_EQ(root->WriteToString(), "<r>v&amp;<k></k></r>");  // a node of no parent: the child is at depth 0
    XmlNode parsed;
    parsed.ReadFromString("<p q='1' u=2 v=\"3\"x w=''/>");  // parsed values are written quoted
    EXPECT_EQ(parsed.WriteToString(), "<p q='1' u=\"2\" v=\"3\"></p>");
    auto bad = XmlNode::CreateType(nullptr, static_cast<XmlNodeKind>(14));
    EXPECT_EQ(test::ErrorOf<EFilerError>([&] { bad->WriteToString(); }), "Illegal element type");
}

// Every kind of node is written as it was read; a written document reads back the same in each layout.
TEST(XmlWriter, EveryKindRoundTrips) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<?xml-stylesheet href=\"a.xsl\"?>\n<!--c-->\n"
        "<!DOCTYPE r SYSTEM \"r.dtd\" [<!ELEMENT r ANY><!ENTITY e \"v\"><!-x>]>\n<?pi data?>\n"
        "<r a=\"2 &amp; more\" q='it&apos;s \"x\"'><![CDATA[<raw>]]><row c=\"0\"><t>a&lt;b</t><d><er "
        "z=\"1\"/></d></row><e/></r>\n";
    XmlDocument doc;
    doc.ReadFromString(text);
    EXPECT_EQ(doc.WriteToString(), text);
    doc.GetRoot()->NodeNew("bin")->BufferWrite(text.data(), 100);
    for (XmlLayout layout : {xlReadableCrLf, xlCompact, xlReadableLf}) {
        doc.Layout = layout;
        std::string first = doc.WriteToString();
        XmlDocument again;
        again.Layout = layout;
        again.ReadFromString(first);
        EXPECT_EQ(again.WriteToString(), first) << layout;
    }
}

// Mixed content gets no added breaks or indentation, so writing what was read gives the same text.
TEST(XmlWriter, MixedContentRoundTripsInReadableLayouts) {
    const char* bodies[] = {
        "<r>text<a/>tail</r>", "<r>t<a>x<b/>y</a>z</r>", "<r><a>in</a>between<b/>after</r>",
        "<r>a<!--c-->b</r>",   "<r>a<a/></r>",           "<r>x<a><b/>y</a></r>"};
    for (XmlLayout layout : {xlReadableCrLf, xlReadableLf}) {
        for (const char* body : bodies) {
            XmlDocument doc;
            doc.Layout = layout;
            doc.ReadFromString(body);
            std::string first = doc.WriteToString();
            doc.ReadFromString(first);
            EXPECT_EQ(doc.WriteToString(), first) << body;
        }
    }
    XmlDocument doc;
    doc.Layout = xlReadableCrLf;
    doc.ReadFromString("<r><p>one <b><i/></b> three</p><q/></r>");
    EXPECT_EQ(doc.WriteToString(),
              "<r>\r\n  <p>one <b>\r\n      <i/>\r\n    </b> three</p>\r\n  <q/>\r\n</r>\r\n");
}

TEST(XmlWriter, TypedValues) {
    XmlDocument doc;
    XmlNode* n = doc.GetRoot();
    XmlDateTime when = EncodeXmlDateTime(2023, 7, 1, 8, 30);
    n->WriteString("s", "a<b", "");
    n->WriteInteger("i", -5, 0);
    n->WriteInt64("big", 1LL << 40, 0);
    n->WriteBool("b", true, false);
    n->WriteString("y", "yes", "");
    n->WriteHex("h", 255, 4, 0);
    n->WriteColor("col", -16777201, 0);  // a colour with its high bit set reads back
    n->WriteDateTime("d", when, XmlDateTime{});
    n->WriteWidestring("w", u"宽字符", u"");
    n->WriteFont("font", XmlFont{"SimSun", 0x123456, 9, true, false, true, false});
    doc.FloatDigits = 3;
    doc.FloatExponent = false;
    n->WriteFloat("f", 0.00012345, 0);
    n->WriteString("s", "again", "");  // the child of that name is reused
    EXPECT_EQ(
        n->WriteToString(),
        "<><s>again</s><i>-5</i><big>1099511627776</big><b>True</b><y>yes</y><h>$00FF</h><col>$FF00000F</col>"
        "<d>2023-07-01T08:30:00.000Z</d><w>" +
            Utf8ToGbk("宽字符") +
            "</w><font><Name>SimSun</Name>"
            "<Color>$00123456</Color><Size>9</Size><Bold>True</Bold><Italic>False</Italic><Underline>True</"
            "Underline><Strikeout>False</Strikeout></font><f>.000123</f></>");
    std::vector<std::int64_t> read = {n->ReadInt64("big", 0),
                                      n->ReadInteger("big", 9),
                                      n->ReadInteger("h", 0),
                                      n->ReadColor("col", 0),
                                      n->ReadBool("b", false) + n->ReadBool("y", false),
                                      n->ReadFont("font").Size,
                                      n->ReadFont("font").Underline};
    EXPECT_EQ(read, (std::vector<std::int64_t>{1LL << 40, 9, 255, -16777201, 2, 9,
                                               1}));  // "big" does not fit 32 bits
    EXPECT_EQ(n->ReadFloat("f", 0), 0.000123);
    EXPECT_EQ(n->ReadDateTime("d", XmlDateTime{}), when);
    EXPECT_EQ(n->ReadWidestring("w", u"") + n->ReadWidestring("missing", u"默认"), u"宽字符默认");
    doc.Utf8Strings = true;  // 16-bit text is written and read by one family: a malformed text is refused
    EXPECT_TRUE(n->ToWidestring("a\xC3") == Utf8TextToWide("a\xC3") &&
                n->ToWidestring(n->FromWidestring(u"a\xD800")) == u"a\uFFFD");
    doc.Utf8Strings = false;
    EXPECT_THROW(n->ReadColor("s", 0), EConvertError);
    XmlPen pen = n->ReadPen("none");
    EXPECT_EQ(std::vector<int>({pen.Color, pen.Mode, pen.Style, pen.Width, n->ReadBrush("none").Color}),
              std::vector<int>({0, 4, 0, 1, 0xFFFFFF}));
    n->WriteString("empty", "", "x");
    EXPECT_EQ(n->ReadString("empty", "x"), "");  // an empty value is no default
    doc.WriteDefaults = false;
    n->NodesClear();
    n->WriteInteger("zero", 0, 0);
    n->WriteColor("black", 0, 5);
    n->WriteAttributeInteger("zero", 0, 0);
    n->WritePen("pen", XmlPen{0, 0, 0, 0});
    EXPECT_EQ(n->WriteToString(), "<><pen/></>");
    EXPECT_EQ(n->ReadPen("pen").Width + n->ReadPen("pen").Mode,
              5);  // left out: read back as the reader's defaults
}

}  // namespace
}  // namespace xunda
