// Detection, the codec streams and the buffered streams.
#include "xml/codec_stream.h"

#include <gtest/gtest.h>

#include "xml/buffered_stream.h"
#include "xml_test_util.h"

namespace xunda {
namespace {

using test::ErrorOf;
using test::SetBytes;

std::unique_ptr<XmlCodecStream> Codec(bool utf8Inner, Stream* stream) {
    if (utf8Inner) return std::make_unique<XmlUtf8Stream>(stream);
    return std::make_unique<XmlAnsiStream>(stream);
}

// What a codec delivers until it reports the end, read through a 64 KB buffer or from the source.
std::string ReadAll(bool utf8Inner, std::string_view bytes, bool buffered, int* losses = nullptr) {
    MemoryStream source;
    SetBytes(source, bytes);
    XmlBufferedReadStream buffer(source);
    auto codec = Codec(utf8Inner, buffered ? static_cast<Stream*>(&buffer) : &source);
    codec->OnLoss = [&](XmlCodecStream&) { losses && ++*losses; };
    std::string out;
    char c;
    while (buffered ? codec->ReadChar(c) : codec->Read(&c, 1) == 1) out += c;
    return out;
}

// Nothing, UCS-4 and EBCDIC (by the first bytes) and one "<" (UCS-4 by its one byte) are refused.
TEST(XmlCodec, RefusedSources) {
    for (std::string refused : {std::string(), std::string("<"), std::string("\0\0\xFE\xFF", 4),
                                std::string("\xFF\xFE\0\0<\0\0\0", 8), std::string("\x4C\x6F\xA7\x94")})
        EXPECT_EQ(ErrorOf<EStreamError>([&] { ReadAll(false, refused, true); }),
                  "Unsupported string encoding")
            << refused.size();
}

// Both ways of reading give whole characters in the inner form, in either byte order.
TEST(XmlCodec, ReadingConvertsWholeCharacters) {
    const std::string text = "A中\u00E9\u00B7\u00FF\u0080B文\U0001F600C";
    struct Case {
        std::string bytes;
        bool utf8Inner;
        std::string expected;
        int losses;
    } cases[] = {
        {test::Utf16(text, false, true), false, "A" + Utf8ToGbk("中é·") + "??B" + Utf8ToGbk("文") + "?C", 1},
        {test::Utf16(text, true, true), false, "A" + Utf8ToGbk("中é·") + "??B" + Utf8ToGbk("文") + "?C", 1},
        {test::Utf16(text, false, true), true, text, 0},
        {test::Utf16(text, true, true) + std::string("\xD8\0\0D", 4), true, text + "\uFFFDD",
         1},  // a lone surrogate
        {"a" + Utf8ToGbk("中文") + "\xD6<b\xFF", true, "a中文?<b" + GbkToUtf8("\xFF"),
         1},  // a lead byte before "<" is lost
        {"\xEF\xBB\xBF"
         "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xC0\x80z",
         true, "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\uFFFDz", 0},
        {"\xEF\xBB\xBF"
         "a\xE4\xB8\xAD\xED\xA0\x80z",
         false, "a\xE4\xB8\xAD\uFFFDz", 0},
        {std::string("ab\0cd", 5), false, "ab", 0},  // a NUL ends the data
        {"x\xD6\xD0\x80y", false, "x\xD6\xD0\x80y", 0},
    };
    for (const Case& c : cases) {
        for (bool buffered : {false, true}) {
            int losses = 0;
            EXPECT_EQ(ReadAll(c.utf8Inner, c.bytes, buffered, &losses), c.expected) << c.bytes << buffered;
            EXPECT_EQ(losses, c.losses) << c.bytes;
        }
    }
}

std::string Written(bool utf8Inner, XmlEncoding encoding, std::string_view text) {
    MemoryStream target;
    auto codec = Codec(utf8Inner, &target);
    codec->SetEncoding(encoding);
    codec->Write(text.data(), text.size());
    return std::string(target.Bytes());
}

TEST(XmlCodec, WritingMarksAndConversions) {
    std::string gbk = Utf8ToGbk("<中é>");
    EXPECT_EQ(Written(false, xeUtf16Be, gbk), test::Utf16("<中é>", true, true));
    EXPECT_EQ(Written(false, xeUtf16Le, gbk), test::Utf16("<中é>", false, true));
    EXPECT_EQ(Written(false, xe16BitBe, "<"), std::string("\0<", 2));
    EXPECT_EQ(Written(false, xe16BitLe, "\xD6<"), std::string("?\0<\0", 4));  // a lead byte without its trail
    EXPECT_EQ(Written(false, xeUtf8, gbk + "\xD6<"), "\xEF\xBB\xBF<中é>?<");  // a lead byte without its trail
    EXPECT_EQ(Written(false, xe8Bit, gbk), gbk);
    EXPECT_EQ(Written(true, xe8Bit, "<中é\xF0\x9F\x98\x80>"), gbk.substr(0, gbk.size() - 1) + "?>");
    EXPECT_EQ(Written(true, xeUtf16Be, "a\xF0\x9F\x98\x80"), std::string("\xFE\xFF\0a\xD8\x3D\xDE\x00", 8));
    EXPECT_EQ(Written(true, xeUtf16Le, "a\xF0\x9F\x98\x80"), std::string("\xFF\xFE"
                                                                         "a\0\x3D\xD8\x00\xDE",
                                                                         8));
    EXPECT_EQ(Written(true, xeUtf8, "<中>"), "\xEF\xBB\xBF<中>");
    EXPECT_EQ(Written(true, xe8Bit, "a\xE4\xB8<b"), "a?<b");  // a sequence cut short keeps what follows
    EXPECT_EQ(ErrorOf<EStreamError>([] { Written(false, xeUcs4Be, "<"); }), "Unsupported string encoding");
    MemoryStream target;
    XmlAnsiStream ucs4(&target);
    ucs4.SetEncoding(xeUcs4Le);
    EXPECT_EQ(ErrorOf<EStreamError>([&] { ucs4.Write("<", 1); }), "Unsupported string encoding");
    EXPECT_EQ(target.Bytes(), std::string("\xFF\xFE\0\0", 4));  // its mark went first
}

TEST(XmlBufferedStreams, PagesBlocksAndTheEnd) {
    std::string bytes(2 * 65536 + 10, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    MemoryStream source;
    SetBytes(source, bytes);
    XmlBufferedReadStream buffered(source);
    std::string got(20, '\0');
    buffered.Seek(65530, SeekOrigin::Beginning);
    EXPECT_EQ(buffered.Read(got.data(), 20), 20u);
    EXPECT_EQ(got, bytes.substr(65530, 20));
    buffered.Seek(-5, SeekOrigin::End);
    EXPECT_EQ(buffered.Read(got.data(), 20), 5u);
    std::string large(2 * 65536, '\0');  // a page or more at once, up to the end
    buffered.Seek(100, SeekOrigin::Beginning);
    EXPECT_EQ(buffered.Read(large.data(), large.size()), bytes.size() - 100);
    EXPECT_TRUE(large.substr(0, bytes.size() - 100) == bytes.substr(100));
    for (std::int64_t outside :
         {std::int64_t(bytes.size()), std::int64_t(bytes.size()) + 100, std::int64_t(-1)}) {
        buffered.Seek(outside, SeekOrigin::Beginning);
        EXPECT_EQ(buffered.Read(got.data(), 1), 0u);
    }

    MemoryStream sink;
    XmlBufferedWriteStream writer(sink);
    writer.Write(bytes.data(), 65535);
    EXPECT_EQ(sink.Size(), 0);
    writer.Write(bytes.data() + 65535, 1);  // the block is full: written at once
    EXPECT_EQ(sink.Size(), 65536);
    writer.Write(bytes.data() + 65536, 1);
    EXPECT_EQ(writer.Size(), 65537);
    writer.Flush();
    EXPECT_EQ(sink.Bytes(), bytes.substr(0, 65537));
    struct FullDisk : MemoryStream {
        std::size_t Write(const void*, std::size_t count) override { return count - 1; }
    } full;
    XmlBufferedWriteStream failing(full);
    failing.Write("0123456789abc", 13);
    EXPECT_EQ(ErrorOf<EStreamError>([&] { failing.Flush(); }), "Cannot write to output stream");

    std::string kept;  // an owned sink gets the block, then goes with its stream
    struct Keeper : MemoryStream {
        std::string* out = nullptr;
        ~Keeper() override { *out = std::string(Bytes()); }
    };
    {
        auto keeper = std::make_unique<Keeper>();
        keeper->out = &kept;
        XmlBufferedWriteStream owner(std::move(keeper));
        owner.Write("ab", 2);
    }
    EXPECT_EQ(kept, "ab");
    auto owned = std::make_unique<MemoryStream>();
    SetBytes(*owned, "xy");
    XmlBufferedReadStream reader(std::move(owned));
    EXPECT_TRUE(reader.Read(got.data(), 5) == 2 && got.starts_with("xy"));
}

}  // namespace
}  // namespace xunda
