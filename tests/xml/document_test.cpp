// The document: loading and saving, structure checks, events, copies, and replies shaped like the
// service's data query.
#include "core/codepage.h"
#include "core/exceptions.h"
#include "support/temp_dir.h"
#include "xml/document.h"
#include "xml_test_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

using test::FilerErrorOf;
using test::LoadBytes;

// The rows of a data-query reply: one "name=value" list per row element of the root.
std::vector<std::vector<std::string>> Rows(std::string_view body) {
    XmlDocument doc;
    LoadBytes(doc, body);
    XmlNodeList rows;
    doc.GetRoot()->NodesByName("row", &rows);
    std::vector<std::vector<std::string>> out;
    for (int r = 0; r < rows.Count(); ++r) {
        XmlNode* row = rows.GetItems(r);
        out.emplace_back();
        for (int i = 0; i < row->GetAttributeCount(); ++i) out.back().push_back(row->GetAttributeName(i) + "=" + row->GetAttributeValue(i));
    }
    return out;
}

TEST(XmlDataQuery, RepliesShapedLikeTheService) {
    using Table = std::vector<std::vector<std::string>>;
    EXPECT_EQ(Rows("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xml>\n<row c=\"3130303031\" g=\"6162\" p=\"7071\"/>\n"
                   "<row c=\"3130303032\" g=\"6364\" p=\"7273\"/>\n</xml>\n"),
              (Table{{"c=3130303031", "g=6162", "p=7071"}, {"c=3130303032", "g=6364", "p=7273"}}));
    EXPECT_EQ(Rows("<any><ROW c='e4b8ad'/><other c='1'/><x><row c='2'/></x></any>"), (Table{{"c=e4b8ad"}}));
    EXPECT_EQ(Rows("<empty/>"), Table{});
    EXPECT_EQ(Rows("<root>\r\n</root>"), Table{});
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("<r><row c=\"31\"/></r>")) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(Rows(utf16), (Table{{"c=31"}}));
    // Bodies that are no XML reply raise.
    EXPECT_EQ(FilerErrorOf("HTTP error 500: internal"), "No root element found in xml");
    EXPECT_EQ(FilerErrorOf("<html><body>Error</body>"), "Missing close tag in element html");
    EXPECT_EQ(FilerErrorOf("<data><row c=\"31\""), "Missing \">\" in start tag of element row");
    XmlDocument doc;
    try {
        LoadBytes(doc, "");
        FAIL();
    } catch (const EFilerError&) {
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Unsupported string encoding");
    }
    EXPECT_EQ(FilerErrorOf("\xEF"), "No root element found in xml");  // a 1-byte body: no read past its end
}

TEST(XmlDocument, StructureChecks) {
    EXPECT_EQ(FilerErrorOf("<a/><b/>"), "");
    XmlDocument two;
    LoadBytes(two, "<a/><b/>");
    EXPECT_EQ(two.GetRoot()->Name(), "a");
    struct Case {
        const char* body;
        const char* text;
    } cases[] = {
        {"<a/><b/>", "More than one root element found in xml"},
        {"<?xml version=\"1.0\"?><?xml version=\"1.0\"?><a/>", "More than one xml declaration found in xml"},
        {"<!-- c --><?xml version=\"1.0\"?><a/>", "Xml declaration must be first element"},
        {"<!DOCTYPE a><!DOCTYPE a><a/>", "More than one doctype declaration found in root"},
        {"<a/><!DOCTYPE a>", "Doctype declaration found after root element"},
        {"<![CDATA[x]]><a/>", "No CDATA allowed in root"},
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        doc.StrictParse = true;
        try {
            LoadBytes(doc, c.body);
            ADD_FAILURE() << c.body;
        } catch (const EFilerError& e) {
            EXPECT_STREQ(e.what(), c.text);
        }
    }
    XmlDocument strict;
    strict.StrictParse = true;
    LoadBytes(strict, "<?xml version=\"1.0\"?><!DOCTYPE a><a/>");
    strict.TopNodes().NodesClear();
    EXPECT_THROW(strict.WriteToString(), EFilerError);
}

TEST(XmlDocument, EncodingDeclarationsAndMarks) {
    XmlDocument doc;
    LoadBytes(doc, "<?xml version=\"1.0\" encoding=\"utf-8\"?><a b=\"中\"/>");
    EXPECT_EQ(doc.StreamEncoding, xeUtf8);
    EXPECT_TRUE(doc.Utf8Strings);
    EXPECT_EQ(doc.GetEncodingString(), "utf-8");
    XmlDocument gbk;
    LoadBytes(gbk, Utf8ToGbk("<?xml version=\"1.0\" encoding=\"GB2312\"?><a b=\"中\"/>"));
    EXPECT_EQ(gbk.StreamEncoding, xe8Bit);
    EXPECT_FALSE(gbk.Utf8Strings);
    EXPECT_EQ(gbk.GetRoot()->AttributeByName("b"), Utf8ToGbk("中"));
    XmlDocument bom;
    LoadBytes(bom, "\xEF\xBB\xBF<a/>");
    EXPECT_EQ(bom.StreamEncoding, xeUtf8);
    EXPECT_TRUE(bom.Utf8Strings);
    XmlDocument stray;  // characters before the root that start no node, multi-byte ones among them
    stray.Utf8Strings = true;
    LoadBytes(stray, "\xEF\xBB\xBF中文 <r/>");
    EXPECT_EQ(stray.GetRoot()->Name(), "r");
    XmlDocument text;
    text.ReadFromString("\xEF\xBB\xBF<a/>");  // no detection: the mark's bytes are dropped as stray text
    EXPECT_EQ(text.GetRoot()->Name(), "a");
    EXPECT_FALSE(text.Utf8Strings);
    // A failed load keeps the encoding settings of before.
    XmlDocument failed;
    failed.StreamEncoding = xeUtf16Le;
    EXPECT_THROW(LoadBytes(failed, "\xEF\xBB\xBF<a>"), EFilerError);
    EXPECT_EQ(failed.StreamEncoding, xeUtf16Le);
    EXPECT_FALSE(failed.Utf8Strings);
}

TEST(XmlDocument, SaveAndLoadFilesInEachEncoding) {
    test::TempDir dir;
    for (XmlEncoding encoding : {xe8Bit, xeUtf8, xeUtf16Le, xeUtf16Be, xe16BitLe}) {
        for (bool utf8 : {false, true}) {
            SCOPED_TRACE(std::to_string(encoding) + (utf8 ? " utf-8" : " gbk"));
            XmlDocument doc("短信");
            doc.Utf8Strings = utf8;
            auto inner = [&](const std::string& s) { return utf8 ? s : Utf8ToGbk(s); };
            doc.GetRoot()->SetName(inner("短信"));
            doc.GetRoot()->WriteString("text", inner("中文 & 内容"), "");
            doc.StreamEncoding = encoding;
            doc.SaveToFile(dir / "doc.xml");
            std::string bytes = test::ReadFile(dir / "doc.xml");
            if (encoding == xeUtf8) {
                EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
            }
            if (encoding == xeUtf16Be) {
                EXPECT_EQ(bytes.substr(0, 2), "\xFE\xFF");
            }
            XmlDocument loaded;
            loaded.Utf8Strings = true;
            if (encoding == xe16BitLe) {  // no mark and no declaration it can be told by
                EXPECT_EQ(bytes.substr(0, 4), std::string("<\0?\0", 4));
            }
            loaded.LoadFromFile(dir / "doc.xml");
            EXPECT_EQ(loaded.GetRoot()->Name(), "短信");
            EXPECT_EQ(loaded.GetRoot()->ReadString("text", ""), "中文 & 内容");
        }
    }
    XmlDocument missing;
    EXPECT_THROW(missing.LoadFromFile(dir / "missing.xml"), EStreamError);
}

TEST(XmlDocument, SavingReportsLossesAndFailures) {
    XmlDocument doc;
    doc.Utf8Strings = true;
    doc.GetRoot()->SetName("r");
    doc.GetRoot()->SetValueAsString("\xF0\x9F\x98\x80 and \xE2\x82\xA9");  // no GBK form for either
    int losses = 0;
    doc.OnCharLoss = [&](XmlDocument&) { ++losses; };
    MemoryStream out;
    doc.SaveToStream(out);
    EXPECT_EQ(losses, 1);
    EXPECT_NE(out.Bytes().find("<r>? and ?</r>"), std::string::npos);

    struct FullDisk : MemoryStream {
        std::size_t Write(const void*, std::size_t) override { return 0; }
    } full;
    EXPECT_THROW(doc.SaveToStream(full), EStreamError);
    EXPECT_EQ(doc.Codec, nullptr);

    XmlDocument nothing;
    nothing.TopNodes().NodesClear();
    nothing.StreamEncoding = xeUtf16Le;
    MemoryStream markOnly;
    nothing.SaveToStream(markOnly);  // a document without nodes saves: its mark alone
    EXPECT_EQ(markOnly.Bytes(), "\xFF\xFE");
}

TEST(XmlDocument, EventsAndStopParse) {
    XmlDocument doc;
    std::vector<std::string> created, completed;
    std::vector<std::int64_t> progress;
    doc.OnNodeCreated = [&](XmlDocument&, XmlNode& n) { created.push_back(n.Name()); };
    doc.OnNodeCompleted = [&](XmlDocument&, XmlNode& n) { completed.push_back(n.Name()); };
    doc.OnStreamProgress = [&](XmlDocument&, std::int64_t p) { progress.push_back(p); };
    LoadBytes(doc, "<r><a/><!--x--></r>");
    EXPECT_EQ(created, (std::vector<std::string>{"r", "a", "Comment"}));
    EXPECT_EQ(completed, (std::vector<std::string>{"a", "Comment", "r"}));
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 19);

    doc.OnNodeCreated = [&](XmlDocument& d, XmlNode& n) {
        if (n.Name() == "a") d.StopParse = true;
    };
    completed.clear();
    LoadBytes(doc, "<r><a><b/></a><c/></r>garbage");
    EXPECT_EQ(doc.GetRoot()->GetNodeCount(), 1);
    EXPECT_EQ(doc.GetRoot()->GetNodes(0)->GetNodeCount(), 0);
    EXPECT_TRUE(completed.empty());
    doc.OnNodeCreated = [&](XmlDocument& d, XmlNode&) { d.StopParse = true; };
    LoadBytes(doc, "<!-- first --><r/>");  // stopped at the first node: no "no root" error
    EXPECT_EQ(doc.TopNodes().GetNodeCount(), 1);

    XmlDocument dropping;
    dropping.DropComments = true;
    LoadBytes(dropping, "<r><!--x--><a/><!--y--></r>");
    EXPECT_EQ(dropping.GetRoot()->GetNodeCount(), 1);
    LoadBytes(dropping, "<r>\r\n<!--only-->\r\n</r>");
    EXPECT_EQ(dropping.GetRoot()->GetNodeCount(), 0);
    LoadBytes(dropping, "<r>text<!--x-->\r\n</r>");
    EXPECT_EQ(dropping.GetRoot()->Value(), "text");
}

TEST(XmlDocument, AssignAndCopyFrom) {
    XmlDocument source;
    source.Layout = xlReadableLf;
    source.IndentText = "\t";
    source.FloatDigits = 3;
    source.StrictParse = true;
    source.ReadFromString("<r><a/></r>");
    XmlDocument copy;
    copy.CopyFrom(nullptr);
    EXPECT_EQ(copy.Layout, xlCompact);
    copy.CopyFrom(&source);
    EXPECT_EQ(copy.Layout, xlReadableLf);
    EXPECT_EQ(copy.IndentText, "\t");
    EXPECT_TRUE(copy.StrictParse);
    EXPECT_EQ(copy.FloatDigits, 6);
    EXPECT_EQ(copy.WriteToString(), source.WriteToString());
    EXPECT_EQ(copy.GetRoot()->GetNodes(0)->Document(), &copy);
    XmlDocument fromNode;
    fromNode.Assign(*source.GetRoot());
    EXPECT_EQ(fromNode.GetRoot()->Name(), "a");
    EXPECT_TRUE(XmlDocument().IsEmpty());
    EXPECT_FALSE(source.IsEmpty());
    copy.Clear();
    EXPECT_EQ(copy.Layout, xlCompact);
    EXPECT_EQ(copy.TopNodes().GetNodeCount(), 2);
    EXPECT_EQ(copy.GetEncodingString(), "windows-1252");
}

}  // namespace
}  // namespace xunda

namespace xunda {
namespace {

// The declaration a save writes names the encoding of its bytes; the document keeps its own.
TEST(XmlDocument, SavingDeclaresTheEncodingWritten) {
    struct Case {
        XmlEncoding encoding;
        const char *declared, *written;
    } cases[] = {
        {xeUtf16Le, "UTF-8", "UTF-16"}, {xeUtf16Be, "GBK", "UTF-16"}, {xeUtf8, "GBK", "UTF-8"},
        {xe8Bit, "utf-8", "GBK"},       {xe8Bit, "GB2312", "GB2312"}, {xe16BitLe, "UTF-16", "UTF-16LE"},
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        doc.Utf8Strings = true;
        doc.ReadFromString(std::string("<?xml version=\"1.0\" encoding=\"") + c.declared + "\"?><r>中</r>");
        doc.StreamEncoding = c.encoding;
        MemoryStream saved;
        doc.SaveToStream(saved);
        EXPECT_EQ(doc.GetEncodingString(), c.declared);
        XmlDocument loaded;
        saved.SetPosition(0);
        loaded.LoadFromStream(saved);
        EXPECT_EQ(loaded.GetEncodingString(), c.written) << c.declared;
        EXPECT_EQ(loaded.GetRoot()->Value(), loaded.Utf8Strings ? "中" : Utf8ToGbk("中")) << c.declared;
    }
}

}  // namespace
}  // namespace xunda
