// The document: replies shaped like the service's data query, structure checks, encodings of
// loads and saves, events, and copies.
#include "support/temp_dir.h"
#include "xml_test_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

using test::ErrorOf;
using test::FilerErrorOf;
using test::LoadBytes;

// The rows of a data-query reply: one "name=value" list per row element of the root.
std::vector<std::vector<std::string>> Rows(std::string_view body) {
    XmlDocument doc;
    LoadBytes(doc, body);
    XmlNodeList rows;
    doc.GetRoot()->NodesByName("row", &rows);
    std::vector<std::vector<std::string>> out;
    for (XmlNode* row : rows) {
        out.emplace_back();
        for (int i = 0; i < row->GetAttributeCount(); ++i) out.back().push_back(row->GetAttributeName(i) + "=" + row->GetAttributeValue(i));
    }
    return out;
}

TEST(XmlDataQuery, RepliesShapedLikeTheService) {
    using Table = std::vector<std::vector<std::string>>;
    EXPECT_EQ(Rows("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xml>\n<row c=\"3130303031\" g=\"6162\" p=\"7071\"/>\n"
                   "<row c=\"3130303032\" g='6364' p=\"7273\"/>\n</xml>\n"),
              (Table{{"c=3130303031", "g=6162", "p=7071"}, {"c=3130303032", "g=6364", "p=7273"}}));
    EXPECT_EQ(Rows("<any><ROW c='e4b8ad'/><other c='1'/><x><row c='2'/></x></any>"), (Table{{"c=e4b8ad"}}));
    EXPECT_EQ(Rows("<root>\r\n</root>"), Table{});
    EXPECT_EQ(Rows(test::Utf16("<r><row c=\"31\"/></r>", false, true)), (Table{{"c=31"}}));
    // Bodies that are no XML reply raise.
    EXPECT_EQ(FilerErrorOf("HTTP error 500: internal"), "No root element found in xml");
    EXPECT_EQ(FilerErrorOf("<html><body>Error</body>"), "Missing close tag in element html");
    EXPECT_EQ(FilerErrorOf("\xEF"), "No root element found in xml");  // a 1-byte body: no read past its end
    XmlDocument doc;
    EXPECT_EQ(ErrorOf<EStreamError>([&] { LoadBytes(doc, ""); }), "Unsupported string encoding");
}

TEST(XmlDocument, StructureChecks) {
    struct Case {
        const char *body, *text;
    } cases[] = {
        {"<a/><b/>", "More than one root element found in xml"},
        {"<?xml version=\"1.0\"?><?xml version=\"1.0\"?><a/>", "More than one xml declaration found in xml"},
        {"<!-- c --><?xml version=\"1.0\"?><a/>", "Xml declaration must be first element"},
        {"<!DOCTYPE a><!DOCTYPE a><a/>", "More than one doctype declaration found in root"},
        {"<a/><!DOCTYPE a>", "Doctype declaration found after root element"},
        {"<![CDATA[x]]><a/>", "No CDATA allowed in root"},
        {"<?xml version=\"1.0\"?><!DOCTYPE a><a/><!-- c -->", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FilerErrorOf(c.body), "") << c.body;  // checked only when strict
        XmlDocument doc;
        doc.StrictParse = true;
        EXPECT_EQ(ErrorOf<EFilerError>([&] { LoadBytes(doc, c.body); }), c.text);
    }
    XmlDocument strict;
    strict.StrictParse = true;
    strict.TopNodes().NodeDelete(1);
    EXPECT_EQ(ErrorOf<EFilerError>([&] { strict.WriteToString(); }), "XML root element not defined.");
}

TEST(XmlDocument, EncodingDeclarationsAndMarks) {
    XmlDocument gbk;
    LoadBytes(gbk, Utf8ToGbk("<?xml version=\"1.0\" encoding=\"GB2312\"?><a b=\"中\"/>"));
    EXPECT_EQ(gbk.StreamEncoding, xe8Bit);
    EXPECT_FALSE(gbk.Utf8Strings);
    EXPECT_EQ(gbk.GetEncodingString(), "GB2312");
    EXPECT_EQ(gbk.GetRoot()->AttributeByName("b"), Utf8ToGbk("中"));
    // A failed load keeps the encoding settings of before.
    XmlDocument failed;
    failed.StreamEncoding = xeUtf16Le;
    EXPECT_THROW(LoadBytes(failed, "\xEF\xBB\xBF<a>"), EFilerError);
    EXPECT_EQ(failed.StreamEncoding, xeUtf16Le);
    EXPECT_FALSE(failed.Utf8Strings);
}

TEST(XmlDocument, SaveAndLoadFilesInEachEncoding) {
    test::TempDir dir;
    struct Case {
        XmlEncoding encoding;
        std::string head;
    } cases[] = {{xe8Bit, "<?xml"}, {xeUtf8, "\xEF\xBB\xBF<?xml"}, {xeUtf16Le, test::Utf16("<?", false, true)},
                 {xeUtf16Be, test::Utf16("<?", true, true)}, {xe16BitLe, test::Utf16("<?", false, false)}};
    for (const Case& c : cases) {
        for (bool utf8 : {false, true}) {
            XmlDocument doc("短信");
            doc.Utf8Strings = utf8;
            auto inner = [&](const std::string& s) { return utf8 ? s : Utf8ToGbk(s); };
            doc.GetRoot()->SetName(inner("短信"));
            doc.GetRoot()->WriteString("text", inner("中文 & 内容"), "");
            doc.StreamEncoding = c.encoding;
            doc.SaveToFile(dir / "doc.xml");
            EXPECT_EQ(test::ReadFile(dir / "doc.xml").substr(0, c.head.size()), c.head) << c.encoding;
            XmlDocument loaded;
            loaded.Utf8Strings = true;
            loaded.LoadFromFile(dir / "doc.xml");
            EXPECT_EQ(loaded.GetRoot()->Name(), "短信");
            EXPECT_EQ(loaded.GetRoot()->ReadString("text", ""), "中文 & 内容");
        }
    }
    XmlDocument missing;
    EXPECT_THROW(missing.LoadFromFile(dir / "missing.xml"), EStreamError);
}

// The declaration a save writes names the encoding of its bytes; the document keeps its own.
TEST(XmlDocument, SavingDeclaresTheEncodingWritten) {
    struct Case {
        XmlEncoding encoding;
        const char *declared, *written;
    } cases[] = {
        {xeUtf16Le, "UTF-8", "UTF-16"}, {xeUtf16Be, "GBK", "UTF-16"}, {xeUtf8, "GBK", "UTF-8"},      {xeUtf8, "utf-8", "utf-8"},
        {xe8Bit, "utf-8", "GBK"},       {xe8Bit, "UCS-2", "GBK"},     {xe8Bit, "GB2312", "GB2312"}, {xe16BitLe, "UTF-16", "UTF-16LE"},
        {xe16BitBe, "UTF-16", "UTF-16BE"},
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
    EXPECT_EQ(progress, (std::vector<std::int64_t>{0, 7, 15, 19, 19}));
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
    LoadBytes(dropping, "<r>text<!--x-->\r\n</r>");
    EXPECT_EQ(dropping.GetRoot()->Value(), "text");
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
            EXPECT_EQ(ErrorOf<Exception>([&] { LoadBytes(doc, "<r><a><b><c/></b></a></r>"); }),
                      "Nodes cannot be removed while the document is being parsed");
            EXPECT_FALSE(doc.IsParsing());
            doc.TopNodes().NodesClear();  // and may after it
        }
    }
}

TEST(XmlDocument, AssignAndCopyFrom) {
    XmlDocument source;
    source.Layout = xlReadableLf;
    source.IndentText = "\t";
    source.FloatDigits = 3;
    source.StrictParse = true;
    source.SortedAttributes = true;
    source.ReadFromString("<r><a/></r>");
    XmlDocument copy;
    copy.CopyFrom(nullptr);
    EXPECT_EQ(copy.Layout, xlCompact);
    copy.CopyFrom(&source);
    EXPECT_EQ(copy.Layout, xlReadableLf);
    EXPECT_EQ(copy.IndentText, "\t");
    EXPECT_TRUE(copy.StrictParse && copy.SortedAttributes);
    EXPECT_EQ(copy.FloatDigits, 6);
    EXPECT_EQ(copy.WriteToString(), source.WriteToString());
    EXPECT_EQ(copy.GetRoot()->GetNodes(0)->Document(), &copy);
    copy.Assign(*copy.GetRoot());  // from its own node: its children become the top-level nodes
    EXPECT_EQ(copy.GetRoot()->Name(), "a");
    EXPECT_TRUE(XmlDocument().IsEmpty());
    EXPECT_FALSE(source.IsEmpty());
    copy.Clear();
    EXPECT_EQ(copy.Layout, xlCompact);
    EXPECT_EQ(copy.TopNodes().GetNodeCount(), 2);
    EXPECT_EQ(copy.GetEncodingString(), "windows-1252");
}

}  // namespace
}  // namespace xunda
