// The node tree: attributes, children, copies and byte blocks.
#include "core/exceptions.h"
#include "xml/document.h"
#include "xml_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

namespace xunda {
namespace {

TEST(XmlNode, ParsedAttributesReadUnquotedAndUnescaped) {
    XmlNode row;
    row.ReadFromString("<row id = \"7\" name='a&amp;b' bare=x/>");
    EXPECT_EQ(row.GetAttributeCount(), 3);
    EXPECT_EQ(row.GetAttributeName(1), "name");
    EXPECT_EQ(row.GetAttributeValue(1), "a&b");
    EXPECT_EQ(row.GetAttributePair(1), "name='a&amp;b'");
    EXPECT_EQ(row.GetAttributeValue(2), "x");
    EXPECT_EQ(row.GetAttributeValue(5), "");
    EXPECT_EQ(row.GetAttributeName(-1), "");
    EXPECT_EQ(row.AttributeByName("ID"), "7");
    EXPECT_EQ(row.ReadAttributeInteger("id", 0), 7);
    EXPECT_EQ(row.ReadAttributeInt64("missing", -3), -3);
    EXPECT_EQ(row.ReadAttributeString("missing", "def"), "def");
    EXPECT_EQ(XmlNode().GetAttributeValue(0), "");
}

TEST(XmlNode, AddedAttributesAreEscapedAndQuoted) {
    XmlNode node;
    node.AttributeAdd("a", "x<y");
    node.AttributeAdd("a", "\"q'");
    EXPECT_EQ(node.Attributes(), (std::vector<std::string>{"a=\"x&lt;y\"", "a=\"&quot;q&apos;\""}));
    EXPECT_EQ(node.AttributeByName("A"), "x<y");
    EXPECT_TRUE(node.HasAttribute("a"));
    node.SetAttributeValue(1, "z");
    node.SetAttributeValue(2, "ignored");
    EXPECT_EQ(node.GetAttributePair(1), "a=\"z\"");
    node.WriteAttributeString("b", "1", "");
    node.WriteAttributeInteger("B", 2, 0);
    node.WriteAttributeFloat("f", 0.25, 0);
    EXPECT_EQ(node.Attributes().back(), "f=\".25\"");
    EXPECT_EQ(node.AttributeByName("b"), "2");
    node.AttributesClear();
    EXPECT_EQ(node.GetAttributeCount(), 0);
}

TEST(XmlNode, SortedAttributes) {
    XmlDocument doc;
    doc.SortedAttributes = true;
    XmlNode* root = doc.GetRoot();
    root->AttributeAdd("b", "2");
    root->AttributeAdd("A", "1");
    root->AttributeAdd("c", "3");
    root->AttributeAdd("c", "3");
    EXPECT_EQ(root->Attributes(), (std::vector<std::string>{"A=\"1\"", "b=\"2\"", "c=\"3\""}));
    root->WriteAttributeString("a", "9", "");
    EXPECT_EQ(root->AttributeByName("a"), "9");
    EXPECT_EQ(root->GetAttributeName(0), "A");

    // A parsed tag gives the same list as adding its lines one by one: the first of equal lines stays.
    test::LoadBytes(doc, "<r c='3' b=\"2\" C='3' a=1 B=\"2\" b=\"1\"/>");
    EXPECT_EQ(doc.GetRoot()->Attributes(), (std::vector<std::string>{"a=1", "b=\"1\"", "b=\"2\"", "c='3'"}));
}

TEST(XmlNode, ChildrenAddFindAndRemove) {
    XmlDocument doc;
    XmlNode& root = *doc.GetRoot();
    for (const char* name : {"row", "ROW", "other", "Row"}) root.NodeNew(name);
    XmlNodeList rows;
    rows.Add(&root);
    root.NodesByName("row", &rows);
    ASSERT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.GetItems(1)->Name(), "ROW");
    EXPECT_EQ(rows.GetItems(2), root.GetNodes(3));
    try {
        rows.GetItems(-1);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
    }
    EXPECT_THROW(rows.GetItems(3), EListError);
    root.NodesByName("row", nullptr);

    EXPECT_EQ(root.NodeIndexByName("other"), 2);
    EXPECT_EQ(root.NodeIndexByNameFrom("row", 2), 3);
    EXPECT_EQ(root.NodeIndexByNameFrom("row", -5), 0);
    EXPECT_EQ(root.NodeByName("missing"), nullptr);
    EXPECT_EQ(root.NodeFindOrCreate("other"), root.GetNodes(2));
    XmlNode* created = root.NodeFindOrCreate("new");
    EXPECT_EQ(root.GetNodeCount(), 5);
    EXPECT_EQ(created->Document(), &doc);
    EXPECT_EQ(created->Parent(), &root);
    EXPECT_EQ(created->GetTreeDepth(), 1);

    auto appended = XmlNode::CreateName(&doc, "end");
    EXPECT_NE(root.NodeInsert(5, appended), nullptr);  // at count: appends
    EXPECT_EQ(root.GetNodes(5)->Name(), "end");
    auto refused = XmlNode::CreateName(&doc, "far");
    EXPECT_EQ(root.NodeInsert(7, refused), nullptr);
    EXPECT_NE(refused, nullptr);  // still the caller's
    EXPECT_EQ(root.NodeNewAtIndex(0, "first")->Name(), "first");
    EXPECT_EQ(root.NodeNewAtIndex(99, "x"), nullptr);
    EXPECT_EQ(root.NodeAdd(nullptr), -1);

    XmlNode* other = root.NodeByName("other");
    std::unique_ptr<XmlNode> taken = root.NodeExtract(other);
    EXPECT_EQ(taken.get(), other);
    EXPECT_EQ(root.NodeIndexOf(other), -1);
    EXPECT_EQ(root.NodeExtract(other), nullptr);
    EXPECT_EQ(root.NodeRemove(other), -1);
    EXPECT_EQ(root.NodeRemove(root.GetNodes(1)), 1);
    root.GetNodes(0)->Delete();
    EXPECT_EQ(root.GetNodes(0)->Name(), "ROW");
    root.NodeDelete(99);
    taken->Delete();  // no parent list holds it: nothing happens
    root.NodesClear();
    EXPECT_EQ(root.GetNodeCount(), 0);
    EXPECT_EQ(root.GetNodes(0), nullptr);
}

TEST(XmlNode, NamesAndEmptiness) {
    XmlNode node;
    node.SetName("a");
    try {
        node.SetName("a b");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Illegal character in node name \"a b\"");
    }
    EXPECT_EQ(node.Name(), "a");
    EXPECT_THROW(XmlNode::CreateName(nullptr, "x\ty"), Exception);
    node.SetName("");
    EXPECT_TRUE(node.IsClear());
    XmlDocument doc;
    XmlNode* root = doc.GetRoot();
    root->SetName("r");
    EXPECT_TRUE(root->IsEmpty());
    EXPECT_FALSE(root->WritesAsEmptyTag());  // depth 0
    EXPECT_TRUE(root->NodeNew("c")->WritesAsEmptyTag());
    auto valued = XmlNode::CreateNameValue(&doc, "v", "a<b");
    EXPECT_EQ(valued->Value(), "a&lt;b");
    EXPECT_EQ(valued->GetValueAsString(), "a<b");
    valued->SetTag(5);
    valued->Clear();
    EXPECT_TRUE(valued->IsClear());
    EXPECT_EQ(valued->Tag(), 5);
    EXPECT_EQ(XmlNode::CreateType(&doc, xnkComment)->ElementType(), xnkComment);
}

TEST(XmlNode, AssignCopiesTheSubtree) {
    XmlDocument source;
    source.ReadFromString("<r a=\"1\"><b>x</b><c><d/></c></r>");
    XmlDocument target;
    XmlNode* copy = target.GetRoot();
    copy->SetTag(3);
    copy->Assign(*source.GetRoot());
    EXPECT_EQ(copy->WriteToString(), source.GetRoot()->WriteToString());
    EXPECT_EQ(copy->GetNodes(1)->GetNodes(0)->Document(), &target);
    copy->GetNodes(0)->SetValueAsString("changed");
    copy->AttributeAdd("z", "2");
    EXPECT_EQ(source.GetRoot()->GetNodes(0)->Value(), "x");
    EXPECT_EQ(source.GetRoot()->GetAttributeCount(), 1);
    XmlNode* c = copy->GetNodes(1);
    copy->Assign(*c);  // from its own child
    EXPECT_EQ(copy->Name(), "c");
    EXPECT_EQ(copy->GetNodes(0)->Name(), "d");
    XmlNode fromDocument;
    fromDocument.Assign(source);
    EXPECT_EQ(fromDocument.GetNodeCount(), 1);
}

TEST(XmlNode, ByteBlocks) {
    XmlDocument doc;
    doc.Layout = xlReadableCrLf;
    XmlNode* node = doc.GetRoot()->NodeNew("bin");
    unsigned char bytes[57];
    for (int i = 0; i < 57; ++i) bytes[i] = static_cast<unsigned char>(i * 5);
    node->BufferWrite(bytes, 57);
    const std::string& value = node->Value();
    ASSERT_EQ(value.size(), 4 + 76 + 4);
    EXPECT_EQ(value.substr(0, 4), "\r\n  ");
    EXPECT_EQ(value.substr(80), "\r\n  ");
    EXPECT_EQ(node->BufferLength(), 57u);
    unsigned char back[57] = {};
    node->BufferRead(back, 57);
    EXPECT_EQ(std::memcmp(back, bytes, 57), 0);
    EXPECT_THROW(node->BufferRead(back, 58), EFilerError);

    doc.BinaryFormat = xbfHex;
    doc.Layout = xlCompact;
    node->BufferWrite(bytes, 3);
    EXPECT_EQ(node->Value(), "00050A");
    EXPECT_EQ(node->BufferLength(), 3u);
    node->SetValue("ABC");
    try {
        node->BufferLength();
        FAIL();
    } catch (const EFilerError& e) {
        EXPECT_STREQ(e.what(), "Error while calculating streamlength");
    }
    doc.BinaryFormat = xbfBase64;
    node->SetValue("QUI=");
    EXPECT_EQ(node->BufferLength(), 2u);
    node->SetValue("QQ==");
    EXPECT_EQ(node->BufferLength(), 1u);
    node->SetValue("QQ=");
    EXPECT_THROW(node->BufferLength(), EFilerError);
    XmlNode loose;  // without a document: hex
    loose.BufferWrite(bytes, 2);
    EXPECT_EQ(loose.Value(), "0005");
}

}  // namespace
}  // namespace xunda

namespace xunda {
namespace {

// Names fold the case of ASCII letters at character starts only: in the GBK form the trail byte
// of 癆 (B0 41) and 癮 (B0 61) is no letter.
TEST(XmlNode, NamesFoldCaseAtCharacterStartsOnly) {
    struct Case {
        bool utf8;
        std::string a, b;
        bool same;
    } cases[] = {
        {false, "\xB0\x41", "\xB0\x61", false}, {false, "\xB0\x41X", "\xB0\x41x", true},
        {false, "aB\xB0\x41", "Ab\xB0\x41", true}, {true, "中A", "中a", true},
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

}  // namespace
}  // namespace xunda

namespace xunda {
namespace {

TEST(XmlNode, ExtractAndAssignFromAncestors) {
    XmlDocument doc;
    doc.ReadFromString("<r><a><b/></a><c/></r>");
    XmlNode* r = doc.GetRoot();
    std::unique_ptr<XmlNode> c = r->NodeExtract(r->GetNodes(1));
    EXPECT_EQ(c->Parent(), nullptr);
    XmlNode* a = r->GetNodes(0);
    a->GetNodes(0)->Assign(*r);  // from an ancestor: a snapshot of it
    EXPECT_EQ(r->WriteToString(), "<r><a><r><a><b/></a></r></a></r>");
    a->Assign(doc);  // from its own document
    EXPECT_EQ(doc.WriteToString(), "<r><><r><a><r><a><b/></a></r></a></r></></r>\n");
}

// A handler may not remove nodes while the parse holds them.
TEST(XmlDocument, HandlersThatRemoveNodesDuringAParseRaise) {
    std::function<void(XmlDocument&, XmlNode&)> removers[] = {
        [](XmlDocument&, XmlNode& n) { n.Delete(); },
        [](XmlDocument&, XmlNode& n) { n.Parent()->NodesClear(); },
        [](XmlDocument&, XmlNode& n) { n.Parent()->NodeExtract(&n); },
        [](XmlDocument& d, XmlNode&) { d.ReadFromString("<x/>"); },
    };
    for (auto& remove : removers) {
        for (bool completed : {false, true}) {
            XmlDocument doc;
            (completed ? doc.OnNodeCompleted : doc.OnNodeCreated) = [&](XmlDocument& d, XmlNode& n) {
                if (n.Name() == "b") remove(d, n);
            };
            EXPECT_THROW(test::LoadBytes(doc, "<r><a><b><c/></b></a></r>"), Exception);
        }
    }
}

}  // namespace
}  // namespace xunda
