// The document: data-query replies, structure checks, loads and saves in each encoding, events, copies.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"
#include "xml_test_util.h"

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
        for (int i = 0; i < row->GetAttributeCount(); ++i)
            out.back().push_back(std::string(row->GetAttributeName(i)) + "=" + row->GetAttributeValue(i));
    }
    return out;
}

TEST(XmlDataQuery, RepliesShapedLikeTheService) {
    using Table = std::vector<std::vector<std::string>>;
    EXPECT_EQ(Rows("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xml>\n<row c=\"3130303031\" g=\"6162\" "
                   "p=\"7071\"/>\n<row c=\"3130303032\" g='6364' p=\"7273\"/>\n</xml>\n"),
              (Table{{"c=3130303031", "g=6162", "p=7071"}, {"c=3130303032", "g=6364", "p=7273"}}));
    EXPECT_EQ(Rows("<any><ROW c='e4b8ad'/><other c='1'/><x><row c='2'/></x></any>"), (Table{{"c=e4b8ad"}}));
    EXPECT_EQ(Rows(test::Utf16("中<r>\r\n<row c=\"31\"/></r>", false, true)),
              (Table{{"c=31"}}));  // stray text before the root
    EXPECT_EQ(FilerErrorOf("HTTP error 500: internal"), "No root element found in xml");
    EXPECT_EQ(FilerErrorOf("\xEF"), "No root element found in xml");  // a 1-byte body: no read past its end
    EXPECT_EQ(ErrorOf<EStreamError>([] { Rows(""); }), "Unsupported string encoding");
}

TEST(XmlDocument, StructureChecks) {
    struct Case {
        const char *body, *text;
    };
    for (const Case& c :
         {Case{"<a/><b/>", "More than one root element found in xml"},
          Case{"<?xml version=\"1.0\"?><?xml version=\"1.0\"?><a/>",
               "More than one xml declaration found in xml"},
          Case{"<!-- c --><?xml version=\"1.0\"?><a/>", "Xml declaration must be first element"},
          Case{"<!DOCTYPE a><!DOCTYPE a><a/>", "More than one doctype declaration found in root"},
          Case{"<a/><!DOCTYPE a>", "Doctype declaration found after root element"},
          Case{"<![CDATA[x]]><a/>", "No CDATA allowed in root"},
          Case{"<?xml version=\"1.0\"?><!DOCTYPE a><a/><!--c-->", ""}}) {
        EXPECT_EQ(FilerErrorOf(c.body), "") << c.body;  // checked only when strict
        XmlDocument doc;
        doc.StrictParse = true;
        EXPECT_EQ(ErrorOf<EFilerError>([&] { LoadBytes(doc, c.body); }), c.text);
    }
    XmlDocument strict;
    strict.StrictParse = true;
    strict.TopNodes().NodeDelete(1);
    EXPECT_EQ(ErrorOf<EFilerError>([&] { strict.WriteToString(); }), "XML root element not defined.");
    strict.ReadFromString("<r encoding='x'/>");
    EXPECT_EQ(strict.GetEncodingString(), "");  // no declaration
}

// A save writes the mark and, in the declaration, the name of its encoding; the file loads back.
TEST(XmlDocument, SaveAndLoadInEachEncoding) {
    test::TempDir dir;
    struct Case {
        XmlEncoding encoding;
        const char *declared, *written;
        std::string head;
    };
    for (const Case& c :
         {Case{xeUtf16Le, "UTF-8", "UTF-16", test::Utf16("<?", false, true)},
          Case{xeUtf16Be, "GBK", "UTF-16", test::Utf16("<?", true, true)},
          Case{xeUtf8, "GBK", "UTF-8", "\xEF\xBB\xBF<?"}, Case{xeUtf8, "utf-8", "utf-8", "\xEF\xBB\xBF<?"},
          Case{xe8Bit, "utf-8", "GBK", "<?"}, Case{xe8Bit, "UCS-2", "GBK", "<?"},
          Case{xe8Bit, "windows-1252", "GBK", "<?"}, Case{xe8Bit, "cp936", "cp936", "<?"},
          Case{xe16BitLe, "UTF-16", "UTF-16LE", test::Utf16("<?", false, false)},
          Case{xe16BitBe, "UTF-16", "UTF-16BE", test::Utf16("<?", true, false)}}) {
        for (bool utf8 : {false, true}) {
            XmlDocument doc, loaded;
            doc.Utf8Strings = loaded.Utf8Strings = utf8;
            std::string text = std::string("<?xml version=\"1.0\" encoding=\"") + c.declared +
                               "\"?><短信 a='&lt;中'>文</短信>";
            doc.ReadFromString(utf8 ? text : Utf8ToGbk(text));
            doc.StreamEncoding = c.encoding;
            doc.SaveToFile(dir / "doc.xml");
            EXPECT_EQ(doc.GetEncodingString(), c.declared);
            EXPECT_EQ(test::ReadFile(dir / "doc.xml").substr(0, c.head.size()), c.head) << c.encoding;
            loaded.LoadFromFile(dir / "doc.xml");
            EXPECT_EQ(loaded.GetEncodingString(), c.written) << c.declared;
            std::string read =
                loaded.GetRoot()->Name() + loaded.GetRoot()->AttributeByName("a") + loaded.GetRoot()->Value();
            EXPECT_EQ(loaded.Utf8Strings ? read : GbkToUtf8(read), "短信<中文");
        }
    }
    XmlDocument missing;
    EXPECT_THROW(missing.LoadFromFile(dir / "missing.xml"), EStreamError);
    missing.StreamEncoding = xeUtf16Le;
    EXPECT_THROW(LoadBytes(missing, "\xEF\xBB\xBF<a>"),
                 EFilerError);  // a failed load keeps the settings of before
    EXPECT_TRUE(missing.StreamEncoding == xeUtf16Le && !missing.Utf8Strings);
}

TEST(XmlDocument, SavingReportsLossesAndFailures) {
    XmlDocument doc;
    doc.Utf8Strings = true;
    doc.ReadFromString("<r>\xF0\x9F\x98\x80 and \xE2\x82\xA9</r>");  // no GBK form for either
    int losses = 0;
    doc.OnCharLoss = [&](XmlDocument&) { ++losses; };
    MemoryStream out;
    doc.SaveToStream(out);
    EXPECT_EQ(losses, 1);
    EXPECT_EQ(out.Bytes(), "<r>? and ?</r>\n");
    struct FullDisk : MemoryStream {
        std::size_t Write(const void*, std::size_t) override { return 0; }
    } full;
    EXPECT_THROW(doc.SaveToStream(full), EStreamError);
    EXPECT_EQ(doc.Codec, nullptr);
    doc.TopNodes().NodesClear();
    doc.StreamEncoding = xeUtf16Le;
    doc.SaveToStream(out);  // a document without nodes saves: its mark alone
    EXPECT_EQ(out.Bytes(), "<r>? and ?</r>\n\xFF\xFE");
}

// A saved file is replaced whole and keeps its mode: a save that fails leaves the file as it was.
TEST(XmlDocument, SavingToAFileReplacesItWholeKeepingItsMode) {
    test::TempDir dir;
    const auto file = dir / "doc.xml";
    test::WriteFile(file, "<old/>");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    XmlDocument doc;
    doc.ReadFromString("<new/>");
    doc.SaveToFile(file);
    EXPECT_EQ(test::ReadFile(file), "<new></new>\n");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    doc.TopNodes().NodesClear();
    doc.StrictParse = true;  // no root element: the writing fails
    EXPECT_THROW(doc.SaveToFile(file), EFilerError);
    EXPECT_EQ(test::ReadFile(file), "<new></new>\n");
    EXPECT_THROW(doc.SaveToFile(dir / "no such folder" / "doc.xml"), EStreamError);
}

TEST(XmlDocument, EventsAndStopParse) {
    XmlDocument doc;
    std::vector<std::string> events;
    doc.OnNodeCreated = [&](XmlDocument& d, XmlNode& n) {
        events.push_back("+" + n.Name());
        d.StopParse = n.Name() == "stop";
    };
    doc.OnNodeCompleted = [&](XmlDocument&, XmlNode& n) { events.push_back("-" + n.Name()); };
    doc.OnStreamProgress = [&](XmlDocument&, std::int64_t p) { events.push_back(std::to_string(p)); };
    LoadBytes(doc, "<r><a/><!--x--></r>");
    EXPECT_EQ(events, (std::vector<std::string>{"0", "+r", "+a", "7", "-a", "+Comment", "15", "-Comment",
                                                "19", "-r", "19"}));
    events.clear();
    LoadBytes(doc, "<r><stop><b/></stop><c/></r>garbage");
    EXPECT_EQ(events, (std::vector<std::string>{"0", "+r", "+stop"}));
    EXPECT_EQ(doc.WriteToString(), "<r><stop/></r>\n");
    LoadBytes(doc, "<!-- first --><stop/>");  // stopped at the first node: no "no root" error
    doc.DropComments = true;
    LoadBytes(doc, "<r><!--x--><a/><!--y--></r>");
    EXPECT_EQ(doc.WriteToString(), "<r><a/></r>\n");
    LoadBytes(doc, "<r>text<!--x-->\r\n</r>");
    EXPECT_EQ(doc.WriteToString(), "<r>text</r>\n");
    doc.OnNodeCompleted = [](XmlDocument&, XmlNode& n) {
        if (n.ElementType() == xnkComment) n.Parent()->NodeNew("added");
    };
    LoadBytes(doc, "<r><a/><!--x--></r>");  // the comment goes, not the node its handler added
    EXPECT_EQ(doc.WriteToString(), "<r><a/><added/></r>\n");
}

// A handler may not remove nodes while the parse holds them.
TEST(XmlDocument, HandlersThatRemoveNodesDuringAParseRaise) {
    for (auto remove : std::initializer_list<std::function<void(XmlDocument&, XmlNode&)>>{
             [](XmlDocument&, XmlNode&n) { n.Delete(); },
             [](XmlDocument&, XmlNode&n) { n.Parent()->NodesClear(); },
             [](XmlDocument&, XmlNode&n) { n.Parent()->NodeExtract(&n); },
             [](XmlDocument&d, XmlNode&) { d.ReadFromString("<x/>"); }}) {
        for (bool completed : {false, true}) {
            XmlDocument doc;
            (completed ? doc.OnNodeCompleted : doc.OnNodeCreated) = [&](XmlDocument& d, XmlNode& n) {
                if (n.Name() == "b") remove(d, n);
            };
            EXPECT_EQ(ErrorOf<Exception>([&] { LoadBytes(doc, "<r><a><b><c/></b></a></r>"); }),
                      "Nodes cannot be removed while the document is being parsed");
            doc.TopNodes().NodesClear();  // and may after it
        }
    }
    XmlDocument cleared;  // refused before anything changes
    cleared.OnNodeCreated = [](XmlDocument& d, XmlNode& n) {
        d.Layout = xlReadableLf;
        EXPECT_EQ(ErrorOf<Exception>([&] { d.Clear(); }),
                  "Nodes cannot be removed while the document is being parsed");
        EXPECT_EQ(ErrorOf<Exception>([&] { d.TopNodes().Clear(); }),
                  "Nodes cannot be removed while the document is being parsed");
        EXPECT_TRUE(d.Layout == xlReadableLf && n.Name() == "r");
    };
    LoadBytes(cleared, "<r/>");
    EXPECT_EQ(cleared.Layout, xlReadableLf);
    // Finished nodes may go while the parse goes on: a streaming reader drops each row once read.
    XmlDocument doc;
    doc.OnNodeCompleted = [](XmlDocument&, XmlNode& n) {
        if (n.Name() != "row") return;
        n.NodesClear();
        while (n.Parent()->GetNodes(0) != &n) n.Parent()->NodeDelete(0);
    };
    LoadBytes(doc, "<r><row><c/></row><x/><row><c/><c/></row><y/></r>");
    EXPECT_EQ(doc.WriteToString(), "<r><row/><y/></r>\n");
}

TEST(XmlDocument, AssignAndCopyFrom) {
    XmlDocument source, copy;
    source.Layout = xlReadableLf;
    source.FloatDigits = 3;
    source.ReadFromString("<r><a/></r>");
    copy.CopyFrom(&source);
    EXPECT_TRUE(copy.Layout == xlReadableLf && copy.FloatDigits == 6 &&
                copy.GetRoot()->GetNodes(0)->Document() == &copy);
    copy.Assign(*copy.GetRoot());  // from its own node: its children become the top-level nodes
    EXPECT_EQ(copy.WriteToString(), "<a></a>\n");
    copy.Clear();
    EXPECT_TRUE(copy.Layout == xlCompact && copy.IsEmpty() && copy.GetEncodingString() == "windows-1252");
}

}  // namespace
}  // namespace xunda
