#include "net/net_text.h"

#include <gtest/gtest.h>

#include <array>

namespace xunda {
namespace {

TEST(TickCounter, DifferenceAcrossTheWrap) {
    EXPECT_EQ(TickDifference(0xFFFFFFFFu - 255, 256), 512u);
    EXPECT_EQ(TickDifference(0x7FFFFFFFu, 0x80000000u), 1u);
    EXPECT_EQ(TickDifference(0x80000000u, 0x7FFFFFFFu), 0xFFFFFFFFu);  // the halves meet: a wrap
    EXPECT_EQ(TickDifference(0xFFFFFFFFu, 0x80000000u), 0x7FFFFFFFu);  // both in the upper half
    EXPECT_EQ(TickDifference(100, 90), 10u);
    EXPECT_EQ(TickDifference(7, 7), 0u);
}

TEST(UrlSplitting, PartsOfEveryShape) {
    // URL, its parts as "protocol|user|password|host|port|path|parameters", the returned path.
    const std::array<const char*, 3> cases[] = {
        {"http://user:pw@host.example:8080/a/b?x=1", "http|user|pw|host.example|8080|/a/b|x=1", "/a/b?x=1"},
        {"http://user@host.example:8080/a/b?x=1", "http|user||host.example|8080|/a/b|x=1", "/a/b?x=1"},
        {"host.example", "http|||host.example|80|/|", "/"},
        {"https://[::1]/", "https|||::1|443|/|", "/"},
        {"https://[::1]:8443/p", "https|||::1|8443|/p|", "/p"},
        {"FTP://files", "FTP|||files|21|/|", "/"},
        {"socks5h://sock", "socks5h|||sock|1080|/|", "/"},
        {"", "http|||localhost|80|/|", "/"},
        // An "@" in the path or query is no credential.
        {"http://host/p?mail=a@b", "http|||host|80|/p|mail=a@b", "/p?mail=a@b"},
        {"http://host?mail=a@b", "http|||host|80|/|mail=a@b", "/?mail=a@b"},
    };
    for (const auto& [url, parts, result] : cases) {
        UrlParts p;
        EXPECT_EQ(SplitUrl(url, p), result) << url;
        EXPECT_EQ(p.Protocol + "|" + p.User + "|" + p.Password + "|" + p.Host + "|" + p.Port + "|" + p.Path + "|" +
                      p.Parameters,
                  parts)
            << url;
    }
}

TEST(TextPieces, FetchTrimLineEndsAndNumbers) {
    std::string value = " a , b ,c";
    EXPECT_EQ(FetchPiece(value, ","), "a");
    EXPECT_EQ(value, "b ,c");
    EXPECT_EQ(TrimSpaces("\t a \n"), "\t a \n");  // blanks only
    for (const auto& [text, position, terminator] :
         {std::tuple<std::string, int, std::string>{"abc\r", 4, "\r"}, {"abc\r\n", 4, "\r\n"}, {"a\n\rb", 2, "\n\r"},
          {"a\nb", 2, "\n"}, {"abc", -1, ""}, {"", -1, ""}}) {
        std::string found = "?";
        EXPECT_EQ(FindLineEnd(text, found), position) << text;
        EXPECT_EQ(found, terminator) << text;
    }
    EXPECT_EQ(DecodeWord16("a", 1), 0);
    EXPECT_EQ(DecodeWord16("\x12\x34\x56", 2), 0x3456);
    EXPECT_EQ(EncodeWord16(0x1234), "\x12\x34");
    EXPECT_EQ(SwapBytes32(0x01020304), 0x04030201);
    std::int64_t v = 0;
    EXPECT_TRUE(ParseHex("7fffFFFFffffFFFF", v));
    EXPECT_EQ(v, INT64_MAX);
    EXPECT_FALSE(ParseHex("8000000000000000", v));
    EXPECT_FALSE(ParseHex("1g", v) || ParseHex("", v) || ParseDecimal("9223372036854775808", v));
    EXPECT_TRUE(ParseDecimal("-12", v));
    EXPECT_EQ(v, -12);
}

}  // namespace
}  // namespace xunda
