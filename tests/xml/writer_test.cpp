// The node writer's three layouts, round trips, and the typed values.
#include "core/exceptions.h"
#include "xml/document.h"
#include "xml_test_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

void BuildSample(XmlDocument& doc) {
    XmlNode* a = doc.GetRoot();
    a->SetName("a");
    a->NodeNew("b")->SetValueAsString("1");
    a->NodeNew("c");
}

TEST(XmlWriter, Layouts) {
    XmlDocument doc;
    BuildSample(doc);
    doc.TopNodes().NodeDelete(0);  // without the declaration
    doc.Layout = xlReadableCrLf;
    EXPECT_EQ(doc.WriteToString(), "<a>\r\n  <b>1</b>\r\n  <c/>\r\n</a>\r\n");
    doc.Layout = xlReadableLf;
    EXPECT_EQ(doc.WriteToString(), "<a>\n<b>1</b>\n<c/>\n</a>\n");
    doc.Layout = xlCompact;
    EXPECT_EQ(doc.WriteToString(), "<a><b>1</b><c/></a>\n");
    doc.FullEndTags = true;
    EXPECT_EQ(doc.WriteToString(), "<a><b>1</b><c></c></a>\n");
}

TEST(XmlWriter, NewDocumentAndNodeKinds) {
    XmlDocument doc;
    EXPECT_EQ(doc.WriteToString(), "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<></>\n");
    XmlNode* root = doc.GetRoot();
    root->SetName("r");
    root->SetValueAsString("v&");
    root->AttributeAdd("empty", "");
    root->AttributeAdd("x", "1");
    root->NodeNew("k");
    EXPECT_EQ(root->WriteToString(), "<r x=\"1\">v&amp;<k/></r>");
    XmlNode parsed;
    parsed.ReadFromString("<p q='1' u=2 v=\"3\"x/>");  // parsed values are written quoted
    EXPECT_EQ(parsed.WriteToString(), "<p q='1' u=\"2\" v=\"3\"></p>");
    auto comment = XmlNode::CreateType(nullptr, xnkComment);
    comment->SetValue(" c ");
    EXPECT_EQ(comment->WriteToString(), "<!-- c -->");
    auto unknown = XmlNode::CreateType(nullptr, xnkUnknown);
    unknown->SetValue("u");
    EXPECT_EQ(unknown->WriteToString(), "<u>");
    auto bad = XmlNode::CreateType(nullptr, static_cast<XmlNodeKind>(14));
    try {
        bad->WriteToString();
        FAIL();
    } catch (const EFilerError& e) {
        EXPECT_STREQ(e.what(), "Illegal element type");
    }
}

// build -> write -> parse -> write gives the same bytes, in each layout.
TEST(XmlWriter, RoundTripIsByteIdentical) {
    for (XmlLayout layout : {xlReadableCrLf, xlCompact, xlReadableLf}) {
        SCOPED_TRACE(static_cast<int>(layout));
        XmlDocument doc;
        doc.Layout = layout;
        XmlNode* root = doc.GetRoot();
        root->SetName("data");
        root->AttributeAdd("version", "2 & more");
        for (int i = 0; i < 3; ++i) {
            XmlNode* row = root->NodeNew("row");
            row->AttributeAdd("c", std::to_string(i));
            row->AttributeAdd("quote", "it's \"x\"");
            row->WriteString("text", "a<b>c", "");
            row->WriteInteger("n", i, -1);
            row->NodeNew("deep")->NodeNew("er")->AttributeAdd("z", "1");
        }
        root->NodeNew("bin")->BufferWrite("0123456789012345678901234567890123456789012345678901234567890123456789", 70);
        auto comment = XmlNode::CreateType(&doc, xnkComment);
        comment->SetValue(" end ");
        root->NodeAdd(std::move(comment));
        std::string first = doc.WriteToString();
        XmlDocument again;
        again.Layout = layout;
        again.ReadFromString(first);
        EXPECT_EQ(again.WriteToString(), first);
        MemoryStream saved;
        doc.SaveToStream(saved);
        XmlDocument loaded;
        loaded.LoadFromStream(saved);
        loaded.Layout = layout;
        EXPECT_EQ(loaded.WriteToString(), first);
    }
}

TEST(XmlWriter, TypedValuesInChildren) {
    XmlDocument doc;
    XmlNode* n = doc.GetRoot();
    n->WriteString("s", "a<b", "");
    n->WriteInteger("i", -5, 0);
    n->WriteInt64("big", 1LL << 40, 0);
    n->WriteFloat("f", 1.5, 0);
    n->WriteBool("b", true, false);
    n->WriteHex("h", 255, 4, 0);
    n->WriteColor("col", 0x00FF00, 0);
    XmlDateTime when = EncodeXmlDateTime(2023, 7, 1, 8, 30);
    n->WriteDateTime("d", when, XmlDateTime{});
    n->WriteWidestring("w", u"宽字符", u"");
    EXPECT_EQ(n->ReadString("S", "x"), "a<b");
    EXPECT_EQ(n->NodeByName("s")->Value(), "a&lt;b");
    EXPECT_EQ(n->ReadInteger("i", 0), -5);
    EXPECT_EQ(n->ReadInt64("big", 0), 1LL << 40);
    EXPECT_EQ(n->ReadInteger("big", 9), 9);  // does not fit 32 bits: the default
    EXPECT_EQ(n->ReadFloat("f", 0), 1.5);
    EXPECT_TRUE(n->ReadBool("b", false));
    EXPECT_EQ(n->ReadString("h", ""), "$00FF");
    EXPECT_EQ(n->ReadInteger("h", 0), 255);
    EXPECT_EQ(n->ReadString("col", ""), "$0000FF00");
    EXPECT_EQ(n->ReadColor("col", 0), 0x00FF00);
    n->WriteColor("system", -16777201, 0);  // a colour with its high bit set reads back
    EXPECT_EQ(n->ReadString("system", ""), "$FF00000F");
    EXPECT_EQ(n->ReadColor("system", 0), -16777201);
    EXPECT_EQ(n->ReadInteger("system", 0), -16777201);
    n->WriteHex("wide", 0xAB, 10, 0);
    EXPECT_EQ(n->ReadString("wide", ""), "$00000000AB");
    EXPECT_EQ(n->ReadDateTime("d", XmlDateTime{}), when);
    EXPECT_EQ(n->ReadWidestring("w", u""), u"宽字符");
    EXPECT_EQ(n->ReadWidestring("missing", u"默认"), u"默认");
    EXPECT_THROW(n->ReadColor("s", 0), EConvertError);
    EXPECT_EQ(n->ReadColor("missing", 7), 7);
    n->WriteString("empty", "", "x");
    EXPECT_EQ(n->ReadString("empty", "x"), "");  // an empty value is no default

    int before = n->GetNodeCount();
    doc.WriteDefaults = false;
    n->WriteInteger("zero", 0, 0);
    n->WriteColor("black", 0, 5);
    EXPECT_EQ(n->GetNodeCount(), before);
    doc.WriteDefaults = true;
    n->WriteInteger("zero", 0, 0);
    EXPECT_EQ(n->ReadString("zero", ""), "0");
}

TEST(XmlWriter, BrushPenAndFont) {
    XmlDocument doc;
    XmlNode* n = doc.GetRoot();
    XmlFont font{"SimSun", 0x123456, 9, true, false, true, false};
    n->WriteFont("font", font);
    XmlFont back = n->ReadFont("font");
    EXPECT_EQ(back.Name, "SimSun");
    EXPECT_EQ(back.Color, 0x123456);
    EXPECT_EQ(back.Size, 9);
    EXPECT_TRUE(back.Bold && back.Underline && !back.Italic && !back.StrikeOut);
    EXPECT_EQ(n->ReadFont("none").Name, "Arial");
    n->WritePen("pen", XmlPen{0xFF, 2, 1, 3});
    XmlPen pen = n->ReadPen("pen");
    EXPECT_EQ(pen.Color, 0xFF);
    EXPECT_EQ(pen.Mode, 2);
    EXPECT_EQ(pen.Width, 3);
    EXPECT_EQ(n->ReadPen("none").Mode, 4);
    n->WriteBrush("brush", XmlBrush{0xABCDEF, 2});
    EXPECT_EQ(n->ReadBrush("brush").Style, 2);
    EXPECT_EQ(n->ReadBrush("none").Color, 0xFFFFFF);
    doc.WriteDefaults = false;
    n->WritePen("defaults", XmlPen{0, 0, 0, 0});
    XmlNode* empty = n->NodeByName("defaults");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetNodeCount(), 0);
    EXPECT_EQ(n->ReadPen("defaults").Width, 1);  // left out: read back as the reader's default
}

TEST(XmlWriter, OwnValueConversions) {
    XmlNode n;
    auto with = [&](const char* raw) -> XmlNode& {
        n.SetValue(raw);
        return n;
    };
    EXPECT_TRUE(with("yes").ValueAsBoolDef(false));
    EXPECT_FALSE(with("no").ValueAsBoolDef(true));
    EXPECT_TRUE(with("0").ValueAsBoolDef(true));
    EXPECT_FALSE(with("").ValueAsBoolDef(false));
    EXPECT_EQ(with("1,5").ValueAsFloatDef(0), 1.5);
    EXPECT_EQ(with("1,5,5").ValueAsFloatDef(-1), -1);
    EXPECT_EQ(with(" -2.5E3 ").ValueAsFloatDef(0), -2500);
    EXPECT_EQ(with("inf").ValueAsFloatDef(-1), -1);
    EXPECT_EQ(with("$10").ValueAsIntegerDef(0), 16);
    EXPECT_EQ(with("4294967297").ValueAsIntegerDef(-1), -1);
    EXPECT_EQ(with("4294967297").ValueAsInt64Def(-1), 4294967297);
    EXPECT_EQ(with("2023-07-01").ValueAsDateTimeDef(XmlDateTime{}), EncodeXmlDateTime(2023, 7, 1));
    EXPECT_EQ(with("x").ValueAsDateTimeDef(XmlDateTime{}), XmlDateTime{});
}

}  // namespace
}  // namespace xunda

namespace xunda {
namespace {

// Mixed content is written without added breaks or indentation, so reading and writing it again
// gives the same text.
TEST(XmlWriter, MixedContentRoundTripsInReadableLayouts) {
    const char* bodies[] = {"<r>text<a/>tail</r>", "<r>t<a>x<b/>y</a>z</r>", "<r><a>in</a>between<b/>after</r>",
                            "<r>a<!--c-->b</r>", "<r>a<a/></r>", "<r>x<a><b/>y</a></r>"};
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
    EXPECT_EQ(doc.WriteToString(), "<r>\r\n  <p>one <b>\r\n      <i/>\r\n    </b> three</p>\r\n  <q/>\r\n</r>\r\n");
}

}  // namespace
}  // namespace xunda
