// Detection, the codec streams and the buffered streams.
#include "core/codepage.h"
#include "core/exceptions.h"
#include "xml/codec_stream.h"
#include "xml_test_util.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

using test::SetBytes;

// Everything a codec delivers, one Read at a time, until it reports the end.
std::string ReadAll(XmlCodecStream& codec) {
    std::string out;
    char c;
    while (codec.Read(&c, 1) == 1) out += c;
    return out;
}

std::string StreamErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EStreamError& e) {
        return e.what();
    }
    return "";
}

TEST(XmlCodec, DetectionTable) {
    struct Case {
        std::string head;
        XmlEncoding encoding;
        bool bom;
    } cases[] = {
        {std::string("\xFF\xFE\x00\x00", 4), xeUcs4Le, true}, {"\xFE\xFFx", xeUtf16Be, true},
        {std::string("\xFF\xFE<\0", 4), xeUtf16Le, true},      {"\xEF\xBB\xBF<", xeUtf8, true},
        {std::string("<\0?\0", 4), xeUtf16Le, false},          {std::string("\0<\0?", 4), xeUtf16Be, false},
        {"<?xml", xe8Bit, false},                              {"<a/>", xe8Bit, false},
        {"\xEF", xeUtf8, true},
    };
    for (const Case& c : cases) {
        MemoryStream source;
        SetBytes(source, c.head);
        XmlAnsiStream codec(&source);
        char ch;
        try {
            codec.Read(&ch, 1);
        } catch (const EStreamError&) {
        }
        EXPECT_EQ(codec.Encoding(), c.encoding) << c.head;
        EXPECT_EQ(codec.HasBom(), c.bom) << c.head;
    }
    for (std::string refused : {std::string(), std::string("<"), std::string("\0\0\xFE\xFF", 4), std::string("\x4C\x6F\xA7\x94")}) {
        MemoryStream source;
        SetBytes(source, refused);
        XmlAnsiStream codec(&source);
        EXPECT_EQ(StreamErrorOf([&] { ReadAll(codec); }), "Unsupported string encoding") << refused.size();
    }
}

TEST(XmlCodec, ReadingConvertsWholeCharacters) {
    MemoryStream source;
    std::string utf16 = std::string("\xFF\xFE" "A\0\x2D\x4E" "B\0\x87\x65\x3D\xD8\x00\xDE\x00\xD8" "C\0", 18);
    SetBytes(source, utf16);
    XmlAnsiStream ansi(&source);
    int losses = 0;
    ansi.OnLoss = [&](XmlCodecStream&) { ++losses; };
    // U+1F600 and the lone surrogate have no GBK form.
    EXPECT_EQ(ReadAll(ansi), "A" + Utf8ToGbk("中") + "B" + Utf8ToGbk("文") + "??C");
    EXPECT_EQ(losses, 1);

    SetBytes(source, utf16);
    XmlUtf8Stream utf8(&source);
    EXPECT_EQ(ReadAll(utf8), "A中B文\xF0\x9F\x98\x80\xEF\xBF\xBD" "C");

    SetBytes(source, "a" + Utf8ToGbk("中文") + "\xD6<b\xFF");  // a lead byte before "<" is lost alone
    XmlUtf8Stream gbk(&source);
    EXPECT_EQ(ReadAll(gbk), "a中文?<b" + GbkToUtf8("\xFF"));
}

TEST(XmlCodec, SeekBackGoesBeforeWholeCharacters) {
    MemoryStream source;
    SetBytes(source, std::string("\xFF\xFE\x2D\x4E" "x\0", 6));
    XmlUtf8Stream codec(&source);
    char c;
    ASSERT_EQ(codec.Read(&c, 1), 1u);
    ASSERT_EQ(codec.Read(&c, 1), 1u);
    codec.Seek(-1, SeekOrigin::Current);
    EXPECT_EQ(ReadAll(codec), "中x");
    EXPECT_EQ(codec.Seek(0, SeekOrigin::Current), 6);
    EXPECT_EQ(codec.Size(), 6);
    EXPECT_EQ(StreamErrorOf([&] { codec.Seek(3, SeekOrigin::Current); }), "Cannot perform seek on codec stream");
    EXPECT_EQ(StreamErrorOf([&] { codec.Read(&c, 2); }), "Cannot read multiple chars from conversion stream at once");
    EXPECT_EQ(StreamErrorOf([&] { codec.Write("a", 1); }), "Cannot write to an UTF stream opened for reading");

    XmlAnsiStream unused(&source);
    EXPECT_EQ(StreamErrorOf([&] { unused.Seek(0, SeekOrigin::Current); }), "Cannot seek before reading or writing in conversion stream");
    XmlAnsiStream none(nullptr);
    EXPECT_EQ(StreamErrorOf([&] { none.Read(&c, 1); }), "Encoding stream unassigned");
}

TEST(XmlCodec, NulEndsTheData) {
    MemoryStream source;
    SetBytes(source, std::string("ab\0cd", 5));
    XmlAnsiStream codec(&source);
    EXPECT_EQ(ReadAll(codec), "ab");
}

std::string Written(bool utf8Inner, XmlEncoding encoding, std::string_view text) {
    MemoryStream target;
    std::unique_ptr<XmlCodecStream> codec;
    if (utf8Inner)
        codec = std::make_unique<XmlUtf8Stream>(&target);
    else
        codec = std::make_unique<XmlAnsiStream>(&target);
    codec->SetEncoding(encoding);
    codec->Write(text.data(), text.size());
    return std::string(target.Bytes());
}

TEST(XmlCodec, WritingMarksAndConversions) {
    std::string gbk = Utf8ToGbk("<中>");
    EXPECT_EQ(Written(false, xeUtf16Be, "<"), std::string("\xFE\xFF\0<", 4));
    EXPECT_EQ(Written(false, xeUtf16Le, gbk), std::string("\xFF\xFE<\0\x2D\x4E>\0", 8));
    EXPECT_EQ(Written(false, xe16BitLe, "<"), std::string("<\0", 2));
    EXPECT_EQ(Written(false, xeUtf8, gbk), "\xEF\xBB\xBF<中>");
    EXPECT_EQ(Written(false, xe8Bit, gbk), gbk);
    EXPECT_EQ(Written(true, xe8Bit, "<中\xF0\x9F\x98\x80>"), gbk.substr(0, 3) + "?>");
    EXPECT_EQ(Written(true, xeUtf16Be, "\xF0\x9F\x98\x80"), std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6));
    EXPECT_EQ(Written(true, xeUtf8, "<中>"), "\xEF\xBB\xBF<中>");
    EXPECT_EQ(Written(true, xe8Bit, "a\xE4\xB8<b"), "a?<b");  // a sequence cut short keeps what follows
    EXPECT_EQ(StreamErrorOf([] { Written(false, xeUcs4Be, "<"); }), "Unsupported string encoding");
    MemoryStream target;
    XmlAnsiStream ucs4(&target);
    ucs4.SetEncoding(xeUcs4Le);
    EXPECT_EQ(StreamErrorOf([&] { ucs4.Write("<", 1); }), "Unsupported string encoding");
    EXPECT_EQ(target.Bytes(), std::string("\xFF\xFE\0\0", 4));
    char c;
    EXPECT_EQ(StreamErrorOf([&] { ucs4.Read(&c, 1); }), "Cannot read from a conversion stream opened for writing");
}

TEST(XmlBufferedRead, PagesAndTheEnd) {
    std::string bytes(2 * 65536 + 10, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    MemoryStream source;
    SetBytes(source, bytes);
    XmlBufferedReadStream buffered(&source, false);
    buffered.Seek(65530, SeekOrigin::Beginning);
    std::string across(20, '\0');
    EXPECT_EQ(buffered.Read(across.data(), 20), 20u);
    EXPECT_EQ(across, bytes.substr(65530, 20));
    buffered.Seek(-5, SeekOrigin::End);
    EXPECT_EQ(buffered.Read(across.data(), 20), 5u);
    EXPECT_EQ(buffered.Read(across.data(), 20), 0u);
    buffered.Seek(100, SeekOrigin::End);  // past the end: nothing, not a negative count
    EXPECT_EQ(buffered.Read(across.data(), 1), 0u);
    buffered.Seek(-1, SeekOrigin::Beginning);
    EXPECT_EQ(buffered.Read(across.data(), 1), 0u);
    EXPECT_THROW(buffered.Write("a", 1), EStreamError);

    SetBytes(source, std::string(65536, 'x'));
    XmlBufferedReadStream exact(&source, false);
    std::string all(70000, '\0');
    EXPECT_EQ(exact.Read(all.data(), all.size()), 65536u);
    char c;
    EXPECT_FALSE(exact.ReadByte(c));
}

// A sink that takes at most `limit` bytes in all.
class ShortSink : public MemoryStream {
public:
    explicit ShortSink(std::size_t limit) : limit_(limit) {}
    std::size_t Write(const void* buffer, std::size_t count) override {
        std::size_t n = std::min(count, limit_);
        limit_ -= n;
        return MemoryStream::Write(buffer, n);
    }

private:
    std::size_t limit_;
};

TEST(XmlBufferedWrite, BlocksAndFailedFlush) {
    MemoryStream sink;
    {
        XmlBufferedWriteStream buffered(&sink, false);
        std::string block(65535, 'a');
        buffered.Write(block.data(), block.size());
        EXPECT_EQ(sink.Size(), 0);
        buffered.Write("b", 1);
        EXPECT_EQ(sink.Size(), 65536);
        buffered.Write("c", 1);
        EXPECT_EQ(buffered.Size(), 65537);
        EXPECT_THROW(buffered.Seek(1, SeekOrigin::Beginning), EStreamError);
        char ch;
        EXPECT_THROW(buffered.Read(&ch, 1), EStreamError);
    }
    EXPECT_EQ(sink.Size(), 65537);

    ShortSink full(10);
    XmlBufferedWriteStream buffered(&full, false);
    buffered.Write("0123456789abc", 13);
    try {
        buffered.Flush();
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Cannot write to output stream");
    }
}

TEST(XmlSurplusReader, GivesBackBeforeTheStream) {
    MemoryStream source;
    SetBytes(source, " \r\n\tbc");
    XmlSurplusReader reader(source);
    char c;
    ASSERT_TRUE(reader.ReadCharSkipBlanks(c));
    EXPECT_EQ(c, 'b');
    reader.Surplus = "xy";
    std::string got;
    while (reader.ReadChar(c)) got += c;
    EXPECT_EQ(got, "xyc");
    EXPECT_FALSE(reader.ReadCharSkipBlanks(c));
}

}  // namespace
}  // namespace xunda
