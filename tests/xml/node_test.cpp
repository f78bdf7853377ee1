// The node tree: attributes, children, names, copies and byte blocks.
#include "xml_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

namespace xunda {
namespace {

using test::ErrorOf;

TEST(XmlNode, Attributes) {
    XmlNode row;
    row.ReadFromString("<row id = \"7\" name='a&amp;b' bare=x q='it''s' d=\"&#x4E2D;\"/>");
    EXPECT_EQ(row.GetAttributeCount(), 5);
    EXPECT_EQ(row.GetAttributeName(1), "name");
    EXPECT_EQ(row.GetAttributeValue(1), "a&b");
    EXPECT_EQ(row.GetAttributePair(1), "name='a&amp;b'");
    EXPECT_EQ(row.GetAttributeValue(2), "x");
    EXPECT_EQ(row.GetAttributeValue(3), "it's");
    EXPECT_EQ(row.GetAttributeValue(4), Utf8ToGbk("中"));
    EXPECT_EQ(row.GetAttributeValue(5) + row.GetAttributeName(-1) + row.GetAttributePair(5), "");
    EXPECT_EQ(row.AttributeByName("ID"), "7");
    EXPECT_EQ(row.ReadAttributeInteger("id", 0) + row.ReadAttributeInt64("missing", -3), 4);
    EXPECT_EQ(row.ReadAttributeString("missing", "def"), "def");

    XmlNode node;
    node.AttributeAdd("a", "x<y");
    node.AttributeAdd("a", "\"q'");
    EXPECT_EQ(node.Attributes(), (std::vector<std::string>{"a=\"x&lt;y\"", "a=\"&quot;q&apos;\""}));
    EXPECT_EQ(node.AttributeByName("A"), "x<y");
    node.SetAttributeValue(1, "z");
    node.SetAttributeValue(2, "ignored");
    EXPECT_EQ(node.GetAttributePair(1), "a=\"z\"");
    node.WriteAttributeString("b", "1", "");
    node.WriteAttributeInteger("B", 2, 0);
    node.WriteAttributeFloat("f", 0.25, 0);
    EXPECT_EQ(node.Attributes().back(), "f=\".25\"");
    EXPECT_EQ(node.AttributeByName("b"), "2");
    EXPECT_EQ(node.GetAttributeCount(), 4);
}

TEST(XmlNode, SortedAttributes) {
    XmlDocument doc;
    doc.SortedAttributes = true;
    XmlNode* root = doc.GetRoot();
    for (const char* name : {"b", "A", "c", "c", "\xB0\x61", "\xB0\x41", "a"}) root->AttributeAdd(name, "1");
    EXPECT_EQ(root->Attributes(), (std::vector<std::string>{"A=\"1\"", "b=\"1\"", "c=\"1\"", "\xB0\x41=\"1\"", "\xB0\x61=\"1\""}));
    root->WriteAttributeString("a", "9", "");
    EXPECT_EQ(root->GetAttributePair(0), "A=\"9\"");
    // A parsed tag gives the same list as adding its lines one by one: the first of equal lines stays.
    test::LoadBytes(doc, "<r c='3' b=\"2\" C='3' a=1 B=\"2\" b=\"1\"/>");
    EXPECT_EQ(doc.GetRoot()->Attributes(), (std::vector<std::string>{"a=1", "b=\"1\"", "b=\"2\"", "c='3'"}));
}

// Names fold the case of ASCII letters at character starts only: in the GBK form the trail byte
// of 癆 (B0 41) and 癮 (B0 61) is no letter.
TEST(XmlNode, NamesFoldCaseAtCharacterStartsOnly) {
    struct Case {
        bool utf8;
        std::string a, b;
        bool same;
    } cases[] = {
        {false, "\xB0\x41", "\xB0\x61", false}, {false, "\xB0\x41X", "\xB0\x41x", true},
        {false, "aB\xB0\x41", "Ab\xB0\x41", true}, {true, "中A", "中a", true}, {false, "a", "ab", false},
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        doc.Utf8Strings = c.utf8;
        XmlNode* root = doc.GetRoot();
        root->NodeNew("x");
        root->NodeNew(c.a)->AttributeAdd(c.a, "1");
        EXPECT_EQ(root->NodeByName(c.b) != nullptr, c.same) << c.a;
        EXPECT_EQ(root->GetNodes(1)->HasAttribute(c.b), c.same) << c.a;
        std::string body = (c.utf8 ? "\xEF\xBB\xBF<" : "<") + c.a + "></" + c.b + ">";
        EXPECT_EQ(test::FilerErrorOf(body), c.same ? "" : "Incorrect close tag in element " + c.a);
    }
}

TEST(XmlNode, ChildrenAddFindAndRemove) {
    XmlDocument doc;
    XmlNode& root = *doc.GetRoot();
    for (const char* name : {"row", "ROW", "other", "Row"}) root.NodeNew(name);
    XmlNodeList rows;
    rows.Add(&root);
    root.NodesByName("row", &rows);  // the list is emptied first
    ASSERT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.GetItems(2), root.GetNodes(3));
    EXPECT_EQ(ErrorOf<EListError>([&] { rows.GetItems(-1); }), "List index out of bounds (-1)");
    EXPECT_THROW(rows.GetItems(3), EListError);
    std::vector<int> found = {root.NodeIndexByName("other"), root.NodeIndexByNameFrom("row", 2), root.NodeIndexByNameFrom("row", 4),
                              root.NodeIndexByNameFrom("row", -5)};
    EXPECT_EQ(found, (std::vector<int>{2, 3, -1, 0}));
    EXPECT_EQ(root.NodeFindOrCreate("other"), root.GetNodes(2));
    XmlNode* created = root.NodeFindOrCreate("new");
    EXPECT_EQ(created, root.GetNodes(4));
    EXPECT_EQ(created->Document(), &doc);
    EXPECT_EQ(created->GetTreeDepth(), 1);
    auto appended = XmlNode::CreateName(&doc, "end");
    XmlNode* inserted = root.NodeInsert(5, appended);  // at count: appends
    EXPECT_EQ(inserted, root.GetNodes(5));
    auto refused = XmlNode::CreateName(&doc, "far");
    EXPECT_EQ(root.NodeInsert(7, refused), nullptr);
    EXPECT_NE(refused, nullptr);  // still the caller's
    root.NodeNewAtIndex(0, "first");
    EXPECT_EQ(root.NodeNewAtIndex(8, "x"), nullptr);
    XmlNode* other = root.NodeByName("other");
    std::unique_ptr<XmlNode> taken = root.NodeExtract(other);
    EXPECT_EQ(taken.get(), other);
    EXPECT_EQ(taken->Parent(), nullptr);
    EXPECT_EQ(root.NodeExtract(other), nullptr);
    EXPECT_EQ(root.NodeRemove(other), -1);
    EXPECT_EQ(root.NodeRemove(root.GetNodes(1)), 1);
    root.GetNodes(0)->Delete();
    root.NodeDelete(3);
    root.NodeDelete(3);
    EXPECT_EQ(root.WriteToString(), "<><ROW/><Row/><new/></>");
}

TEST(XmlNode, NamesAndEmptiness) {
    XmlNode node;
    node.SetName("a");
    EXPECT_EQ(ErrorOf<Exception>([&] { node.SetName("a b"); }), "Illegal character in node name \"a b\"");
    EXPECT_EQ(node.Name(), "a");
    for (const char* bad : {"x\ty", "x\ny", "x\ry"}) EXPECT_THROW(XmlNode::CreateName(nullptr, bad), Exception);
    XmlDocument doc;
    EXPECT_TRUE(doc.GetRoot()->IsEmpty());
    EXPECT_FALSE(doc.GetRoot()->WritesAsEmptyTag());  // depth 0
    auto valued = XmlNode::CreateNameValue(&doc, "v", "a<b");
    EXPECT_EQ(valued->Value(), "a&lt;b");
    valued->SetTag(5);
    valued->AttributeAdd("x", "1");
    valued->Clear();
    EXPECT_TRUE(valued->IsClear());
    EXPECT_EQ(valued->Tag(), 5);
}

TEST(XmlNode, AssignCopiesTheSubtree) {
    XmlDocument source;
    source.ReadFromString("<r a=\"1\"><b>x</b><c><d/></c></r>");
    XmlDocument target;
    XmlNode* copy = target.GetRoot();
    copy->Assign(*source.GetRoot());
    EXPECT_EQ(copy->WriteToString(), source.GetRoot()->WriteToString());
    EXPECT_EQ(copy->GetNodes(1)->GetNodes(0)->Document(), &target);
    copy->GetNodes(0)->SetValueAsString("changed");
    EXPECT_EQ(source.GetRoot()->GetNodes(0)->Value(), "x");
    copy->Assign(*copy->GetNodes(1));  // from its own child
    EXPECT_EQ(copy->WriteToString(), "<c><d/></c>");

    XmlNode* r = source.GetRoot();
    XmlNode* b = r->GetNodes(0);
    b->SetTag(4);
    r->NodeExtract(r->GetNodes(1));
    b->Assign(*r);  // from an ancestor: a copy of it as it was
    EXPECT_EQ(r->WriteToString(), "<r a=\"1\"><r a=\"1\"><b>x</b></r></r>");
    EXPECT_EQ(b->Tag(), 0);
    b->Assign(source);  // from its own document
    EXPECT_EQ(source.WriteToString(), "<r a=\"1\"><><r a=\"1\"><r a=\"1\"><b>x</b></r></r></></r>\n");
}

TEST(XmlNode, ByteBlocks) {
    XmlDocument doc;
    doc.Layout = xlReadableCrLf;
    XmlNode* node = doc.GetRoot()->NodeNew("bin");
    unsigned char bytes[57], back[58] = {};
    for (int i = 0; i < 57; ++i) bytes[i] = static_cast<unsigned char>(i * 5);
    node->BufferWrite(bytes, 57);
    EXPECT_EQ(node->Value(), "\r\n  " + EncodeBase64(bytes, 57) + "\r\n  ");  // 76 characters: one line
    EXPECT_EQ(node->BufferLength(), 57u);
    node->BufferRead(back, 57);
    EXPECT_EQ(std::memcmp(back, bytes, 57), 0);
    EXPECT_THROW(node->BufferRead(back, 58), EFilerError);
    doc.BinaryFormat = xbfHex;
    doc.Layout = xlCompact;
    node->BufferWrite(bytes, 3);
    EXPECT_EQ(node->Value(), "00050A");
    struct Case {
        XmlBinaryFormat format;
        const char* value;
        int length;  // -1: "Error while calculating streamlength"
    } cases[] = {{xbfHex, " 00 05\r\n0A ", 3}, {xbfHex, "ABC", -1}, {xbfBase64, "QUI=", 2}, {xbfBase64, "QQ==", 1},
                 {xbfBase64, "QUJD", 3}, {xbfBase64, "QQ=", -1}, {xbfBase64, "", 0}};
    for (const Case& c : cases) {
        doc.BinaryFormat = c.format;
        node->SetValue(c.value);
        if (c.length >= 0)
            EXPECT_EQ(node->BufferLength(), static_cast<std::size_t>(c.length)) << c.value;
        else
            EXPECT_EQ(ErrorOf<EFilerError>([&] { node->BufferLength(); }), "Error while calculating streamlength");
    }
    XmlNode loose;  // without a document: hex
    loose.BufferWrite(bytes, 2);
    EXPECT_EQ(loose.Value(), "0005");
}

}  // namespace
}  // namespace xunda
