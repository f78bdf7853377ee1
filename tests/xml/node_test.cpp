// The node tree: attributes, children, names, copies and byte blocks.
#include <gtest/gtest.h>
#include <sanitizer/asan_interface.h>

#include <cstring>
#include <set>
#include <thread>

#include "support/memory.h"
#include "xml_test_util.h"

namespace xunda {
namespace {

using test::ErrorOf;

TEST(XmlNode, Attributes) {
    XmlNode row;
    row.ReadFromString("<row id = \"7\" name='a&amp;b' bare=x q='it''s' d=\"&#x4E2D;\"/>");
    std::vector<std::string> lines;
    for (int i = -1; i <= 5; ++i)
        lines.push_back(std::string(row.GetAttributeName(i)) + "=" + row.GetAttributeValue(i) + " " +
                        row.GetAttributePair(i));
    EXPECT_EQ(lines, (std::vector<std::string>{"= ", "id=7 id=\"7\"", "name=a&b name='a&amp;b'",
                                               "bare=x bare=x", "q=it's q='it''s'",
                                               "d=" + Utf8ToGbk("中") + " d=\"&#x4E2D;\"", "= "}));
    EXPECT_EQ(row.ReadAttributeInteger("ID", 0) + row.ReadAttributeInt64("missing", -3), 4);
    EXPECT_EQ(row.ReadAttributeString("missing", "def"), "def");
    XmlNode node;
    node.AttributeAdd("a", "x<y");
    node.AttributeAdd("a", "\"q'");
    EXPECT_EQ(node.AttributeByName("A"), "x<y");
    node.SetAttributeValue(2, "ignored");
    node.WriteAttributeString("b", "1", "");
    node.WriteAttributeInteger("B", 2, 0);
    node.WriteAttributeFloat("f", 0.25, 0);
    EXPECT_EQ(node.Attributes(),
              (std::vector<std::string>{"a=\"x&lt;y\"", "a=\"&quot;q&apos;\"", "b=\"2\"", "f=\".25\""}));
}

TEST(XmlNode, SortedAttributes) {
    XmlDocument doc;
    doc.SortedAttributes = true;
    XmlNode* root = doc.GetRoot();
    for (const char* name : {"b", "A", "c", "c", "\xB0\x61", "\xB0\x41", "a"}) root->AttributeAdd(name, "1");
    EXPECT_EQ(root->Attributes(), (std::vector<std::string>{"A=\"1\"", "b=\"1\"", "c=\"1\"", "\xB0\x41=\"1\"",
                                                            "\xB0\x61=\"1\""}));
    root->WriteAttributeString("a", "9", "");
    EXPECT_EQ(root->GetAttributePair(0), "A=\"9\"");
    // A parsed tag gives the same list as adding its lines one by one: the first of equal lines stays.
    test::LoadBytes(doc, "<r c='3' b=\"2\" C='3' a=1 B=\"2\" b=\"1\"/>");
    EXPECT_EQ(doc.GetRoot()->Attributes(), (std::vector<std::string>{"a=1", "b=\"1\"", "b=\"2\"", "c='3'"}));
}

// Names fold ASCII case at character starts only: the trail byte of 癆 (B0 41) and 癮 (B0 61) is no letter.
TEST(XmlNode, NamesFoldCaseAtCharacterStartsOnly) {
    struct Case {
        bool utf8;
        std::string a, b;
        bool same;
    } cases[] = {{false, "\xB0\x41", "\xB0\x61", false},
                 {false, "\xB0\x41X", "\xB0\x41x", true},
                 {false, "aB\xB0\x41", "Ab\xB0\x41", true},
                 {true, "中A", "中a", true},
                 {false, "a", "ab", false}};
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
    EXPECT_TRUE(rows.Count() == 3 && rows.GetItems(2) == root.GetNodes(3));
    EXPECT_EQ(ErrorOf<EListError>([&] { rows.GetItems(3); }), "List index out of bounds (3)");
    std::vector<int> found = {root.NodeIndexByName("other"), root.NodeIndexByNameFrom("row", 2),
                              root.NodeIndexByNameFrom("row", 4), root.NodeIndexByNameFrom("row", -5),
                              root.NodeFindOrCreate("new")->GetTreeDepth()};
    EXPECT_EQ(found, (std::vector<int>{2, 3, -1, 0, 1}));
    auto appended = XmlNode::CreateName(&doc, "end"), refused = XmlNode::CreateName(&doc, "far");
    XmlNode* inserted = root.NodeInsert(5, appended);  // at count: appends
    EXPECT_EQ(inserted, root.GetNodes(5));
    EXPECT_EQ(root.NodeInsert(7, refused), nullptr);
    EXPECT_NE(refused, nullptr);  // still the caller's
    EXPECT_EQ(root.NodeNewAtIndex(7, "x"), nullptr);
    root.NodeNewAtIndex(0, "first");
    std::unique_ptr<XmlNode> taken = root.NodeExtract(root.GetNodes(3));
    EXPECT_TRUE(taken->Name() == "other" && taken->Parent() == nullptr && root.NodeRemove(taken.get()) == -1);
    std::unique_ptr<XmlNode> alone;
    {
        XmlDocument gone;
        gone.Layout = xlReadableCrLf;
        gone.ReadFromString("<r><a><b/></a></r>");
        alone = gone.GetRoot()->NodeExtract(gone.GetRoot()->GetNodes(0));
    }
    EXPECT_TRUE(alone->Document() == nullptr && alone->GetNodes(0)->Document() == nullptr);
    EXPECT_EQ(alone->WriteToString(), "<a><b></b></a>");  // the settings of no document
    EXPECT_EQ(root.NodeRemove(root.GetNodes(1)), 1);
    root.GetNodes(0)->Delete();
    root.NodeDelete(3);
    root.NodeDelete(3);
    EXPECT_EQ(root.WriteToString(), "<><ROW/><Row/><new/></>");
    EXPECT_EQ(ErrorOf<Exception>([&] { root.SetName("a b"); }), "Illegal character in node name \"a b\"");
    for (const char* bad : {"x\ty", "x\ny", "x\ry"})
        EXPECT_THROW(XmlNode::CreateName(nullptr, bad), Exception);
    root.SetTag(5);
    root.Clear();
    EXPECT_TRUE(root.IsClear() && root.Tag() == 5);
}

using test::ResidentMiB;

// Nodes made by the thousand on one thread and freed on another give their memory back.
TEST(XmlNode, TheMemoryOfFreedNodesGoesBack) {
    std::vector<std::unique_ptr<XmlNode>> nodes;
    nodes.reserve(200000);
    std::thread([&] {
        while (nodes.size() < nodes.capacity()) nodes.push_back(XmlNode::CreateName(nullptr, "row"));
    }).join();
    const long full = ResidentMiB();
    nodes.clear();
    EXPECT_LT(ResidentMiB(), full - 30);
}

#if defined(__SANITIZE_ADDRESS__)
// A freed node's slot, fresh or handed out again before, is out of bounds for the address checker.
TEST(XmlNode, FreedSlotsAreOutOfBoundsForTheAddressChecker) {
    std::vector<std::unique_ptr<XmlNode>> nodes;
    for (int i = 0; i < 3000; ++i) nodes.push_back(XmlNode::Create(nullptr));
    for (std::size_t i = 0; i < nodes.size(); i += 2)
        nodes[i] = XmlNode::Create(nullptr);  // some in freed slots
    std::vector<const XmlNode*> freed;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i % 3 == 0) continue;  // the slabs stay
        freed.push_back(nodes[i].get());
        nodes[i].reset();
    }
    for (const XmlNode* node : freed) ASSERT_TRUE(__asan_address_is_poisoned(node));
}
#endif

// A node taken out of a parse holds little of the parse's memory, and the slots the parse freed
// serve the nodes of the next one.
TEST(XmlNode, KeptNodesHoldLittleOfTheirParse) {
    std::string reply = "<xml>";
    for (int i = 0; i < 1000; ++i) reply += "<row c=\"" + std::to_string(i) + "\"/>";
    reply += "</xml>";
    std::vector<std::unique_ptr<XmlNode>> kept;
    std::set<const XmlNode*> firstRows;
    std::size_t reused = 0;
    const long before = ResidentMiB();
    for (int i = 0; i < 300; ++i) {
        XmlDocument doc;
        doc.ReadFromString(reply);
        XmlNode* root = doc.GetRoot();
        for (int r = 0; r < root->GetNodeCount(); ++r) {
            if (i == 0) firstRows.insert(root->GetNodes(r));
            if (i == 1) reused += firstRows.count(root->GetNodes(r));
        }
        kept.push_back(root->NodeExtract(root->GetNodes(i)));
    }
    EXPECT_GT(reused, 500u);
    EXPECT_LT(ResidentMiB(), before + 30);  // the nodes of a parse take about 200 KiB
}

// A reply of so many rows, each with its number.
std::string NumberedRows(std::size_t rows) {
    std::string reply = "<xml>";
    for (std::size_t i = 0; i < rows; ++i) reply += "<row c=\"" + std::to_string(i) + "\"/>";
    return reply + "</xml>";
}

// Slabs that went back to the stock serve the next parse as fresh ones: however many slabs' worth
// of nodes it makes, each slot holds one live node.
TEST(XmlNode, SlabsTakenBackFromTheStockHandOutEachSlotOnce) {
    const std::size_t rows = 4 * node_pool::SlabSize / sizeof(XmlNode);
    const std::string reply = NumberedRows(rows);
    XmlDocument().ReadFromString(reply);  // its slabs go to the stock
    XmlDocument doc;
    doc.ReadFromString(reply);
    XmlNode* root = doc.GetRoot();
    std::set<const XmlNode*> distinct;
    std::size_t intact = 0;
    for (int r = 0; r < root->GetNodeCount(); ++r) {
        distinct.insert(root->GetNodes(r));
        intact += root->GetNodes(r)->AttributeByName("c") == std::to_string(r);
    }
    EXPECT_EQ(distinct.size(), rows);
    EXPECT_EQ(intact, rows);
}

// Parses that each keep half their nodes fill the slots the other half left: the slabs hold little
// more than the nodes kept, not twice as much.
TEST(XmlNode, ParsesThatKeepHalfTheirNodesFillTheGapsTheyLeave) {
    std::string reply = "<xml>";
    for (int i = 0; i < 4000; ++i) reply += "<kept><freed/></kept>";
    reply += "</xml>";
    std::vector<std::unique_ptr<XmlDocument>> documents;
    std::size_t kept = 0;
    const std::size_t before = node_pool::BytesInUse();
    for (int i = 0; i < 16; ++i) {
        XmlDocument& doc = *documents.emplace_back(std::make_unique<XmlDocument>());
        doc.ReadFromString(reply);
        for (int r = 0; r < doc.GetRoot()->GetNodeCount(); ++r) doc.GetRoot()->GetNodes(r)->NodeDelete(0);
        kept +=
            static_cast<std::size_t>(doc.GetRoot()->GetNodeCount()) + 2;  // the root and its container too
    }
    const std::size_t keptBytes = kept * ((sizeof(XmlNode) + 15) / 16 * 16);
    const std::size_t held = node_pool::BytesInUse() - before;
    EXPECT_LT(held, keptBytes * 5 / 4 + 2 * node_pool::SlabSize);
}

TEST(XmlNode, AssignCopiesTheSubtree) {
    XmlDocument source, target;
    source.ReadFromString("<r a=\"1\"><b>x</b><c><d/></c></r>");
    XmlNode* copy = target.GetRoot();
    copy->Assign(*source.GetRoot());
    EXPECT_EQ(copy->GetNodes(1)->GetNodes(0)->Document(), &target);
    copy->GetNodes(0)->SetValueAsString("changed");
    copy->SetAttributeValue(0, "2");
    EXPECT_EQ(source.WriteToString(), "<r a=\"1\"><b>x</b><c><d/></c></r>\n");
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
    node->BufferRead(back, 57);
    EXPECT_EQ(std::memcmp(back, bytes, 57), 0);
    EXPECT_THROW(node->BufferRead(back, 58), EFilerError);
    XmlNode loose;  // without a document: hex
    loose.BufferWrite(bytes, 3);
    EXPECT_EQ(loose.Value(), "00050A");
    struct Case {
        XmlBinaryFormat format;
        const char* value;
        int length;
    };  // -1: an error
    for (const Case& c : {Case{xbfBase64, node->Value().c_str(), 57}, Case{xbfHex, " 00 05\r\n0A ", 3},
                          Case{xbfHex, "ABC", -1}, Case{xbfBase64, "QUI=", 2}, Case{xbfBase64, "QQ==", 1},
                          Case{xbfBase64, "QUJD", 3}, Case{xbfBase64, "QQ=", -1}}) {
        doc.BinaryFormat = c.format;
        std::string value = c.value;
        node->SetValue(value);
        if (c.length >= 0)
            EXPECT_EQ(node->BufferLength(), static_cast<std::size_t>(c.length)) << c.value;
        else
            EXPECT_EQ(ErrorOf<EFilerError>([&] { node->BufferLength(); }),
                      "Error while calculating streamlength");
    }
}

}  // namespace
}  // namespace xunda
