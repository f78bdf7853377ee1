// Every supported encoding of a source loads the same content, in either inner form.
#include <gtest/gtest.h>

#include "xml_test_util.h"

namespace xunda {
namespace {

using test::LoadBytes;
using test::Utf16;

const std::string kName = "中文短信";  // UTF-8
const std::string kText = "测试 <&> 内容";

std::string Body(std::string_view declaration) {
    return std::string(declaration) + "<数据 名=\"" + kName + "\">\r\n  <row c=\"" + kName +
           "\" g=\"abc\"/>\r\n  <row c=\"x\">" + EscapeString(kText) + "</row>\r\n</数据>\r\n";
}

TEST(XmlEncodings, EverySourceLoadsTheSameContent) {
    struct Source {
        const char* label;
        std::string bytes;
        XmlEncoding encoding;
    } sources[] = {
        {"gbk without declaration", Utf8ToGbk(Body("")), xe8Bit},
        {"gbk declared", Utf8ToGbk(Body("<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n")), xe8Bit},
        {"utf-8 with bom", "\xEF\xBB\xBF" + Body(""), xeUtf8},
        {"utf-8 declared", Body("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"), xeUtf8},
        {"utf-8 declared lower case", Body("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"), xeUtf8},
        {"utf-16le with bom", Utf16(Body("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"), false, true),
         xeUtf16Le},
        {"utf-16be with bom", Utf16(Body("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"), true, true),
         xeUtf16Be},
        {"utf-16le without bom", Utf16(Body("<?xml version=\"1.0\"?>"), false, false), xeUtf16Le},
        {"utf-16be without bom", Utf16(Body("<?xml version=\"1.0\"?>"), true, false), xeUtf16Be},
        {"utf-16le declared utf-8", Utf16(Body("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), false, true),
         xeUtf16Le},
    };
    const std::string expected = "<数据 名=\"" + kName + "\"><row c=\"" + kName +
                                 "\" g=\"abc\"/><row c=\"x\">" + EscapeString(kText) + "</row></数据>";
    for (bool utf8Strings : {false, true}) {
        for (const Source& source : sources) {
            SCOPED_TRACE(std::string(source.label) + (utf8Strings ? " into utf-8" : " into gbk"));
            XmlDocument doc;
            doc.Utf8Strings = utf8Strings;
            int losses = 0;
            doc.OnCharLoss = [&](XmlDocument&) { ++losses; };
            LoadBytes(doc, source.bytes);
            EXPECT_EQ(doc.StreamEncoding, source.encoding);
            EXPECT_EQ(utf8Strings || source.encoding == xeUtf8 ? doc.GetRoot()->WriteToString()
                                                               : GbkToUtf8(doc.GetRoot()->WriteToString()),
                      expected);
            EXPECT_EQ(losses, 0);
            // The inner form: UTF-8 when asked for or when the source was UTF-8, else GBK.
            EXPECT_EQ(doc.Utf8Strings, utf8Strings || source.encoding == xeUtf8);
        }
    }
}

// A UTF-8 source's overlong forms, encoded surrogates and broken sequences load as U+FFFD.
TEST(XmlEncodings, MalformedUtf8LoadsAsReplacementCharacters) {
    for (bool utf8Strings : {false, true}) {
        XmlDocument doc;
        doc.Utf8Strings = utf8Strings;
        LoadBytes(doc,
                  "\xEF\xBB\xBF<r "
                  "a=\"\xC0\xBC\">\xE0\x80\xBC|\xED\xA0\x80|\xED\x9F\xBF|\xF4\x90\x80\x80|\xF0\x8F\xBF\xBF|"
                  "\x80|\xC3</r>");
        EXPECT_EQ(doc.GetRoot()->AttributeByName("a"), "\uFFFD");
        EXPECT_EQ(doc.GetRoot()->Value(), "\uFFFD|\uFFFD|\xED\x9F\xBF|\uFFFD|\uFFFD|\uFFFD|\uFFFD");
        const std::string bad =
            "\x80\x80|\xF8\x88\x80\x80\x80|\xE4\xB8";  // read as the core decoder reads it
        LoadBytes(doc, "\xEF\xBB\xBF<r>" + bad + "</r>");
        EXPECT_EQ(doc.GetRoot()->Value(), Utf16ToUtf8(Utf8ToUtf16(bad), BadInput::Replace));
    }
}

// U+0080 to U+00FF from a 16-bit source read the same inside runs of plain text and alone.
TEST(XmlEncodings, Latin1RangeFromUtf16) {
    for (bool utf8Strings : {false, true}) {
        for (bool bigEndian : {false, true}) {
            XmlDocument doc;
            doc.Utf8Strings = utf8Strings;
            LoadBytes(doc, Utf16("<r a='x\u0080'>text\u0080\u00FF\u00E9\u00B7</r>", bigEndian, true));
            EXPECT_EQ(doc.GetRoot()->WriteToString(), utf8Strings
                                                          ? "<r a='x\u0080'>text\u0080\u00FF\u00E9\u00B7</r>"
                                                          : "<r a='x?'>text??" + Utf8ToGbk("é·") + "</r>");
        }
    }
}

}  // namespace
}  // namespace xunda
