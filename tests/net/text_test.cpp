#include "net/net_text.h"

#include <gtest/gtest.h>

#include <array>

namespace xunda {
namespace {

TEST(TickCounter, DifferenceAcrossTheWrap) {
    EXPECT_EQ(TickDifference(0xFFFFFFFFu - 255, 256), 512u);
    EXPECT_EQ(TickDifference(100, 90), 10u);
    EXPECT_EQ(TickDifference(90, 100), 10u);
    EXPECT_EQ(TickDifference(7, 7), 0u);
    std::uint64_t before = MonotonicMs();
    SleepMs(20);
    EXPECT_GE(MonotonicMs() - before, 15u);
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

TEST(TextPieces, FetchAndTrim) {
    std::string value = "a ";
    EXPECT_EQ(FetchPiece(value, ","), "a");
    EXPECT_EQ(value, "");
    value = " a , b ,c";
    EXPECT_EQ(FetchPiece(value, ","), "a");
    EXPECT_EQ(value, "b ,c");
    value = "x";
    EXPECT_EQ(FetchPieceRaw(value, ","), "x");
    EXPECT_EQ(value, "");
    EXPECT_EQ(TrimSpaces("\t a \n"), "\t a \n");
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TextBefore("a:b:c", ":"), "a");
    EXPECT_EQ(TextAfter("a:b:c", ":"), "b:c");
    EXPECT_EQ(TextAfter("abc", ":"), "abc");
}

TEST(TextPieces, LineEndsAndNumbers) {
    std::string t;
    EXPECT_EQ(FindLineEnd("abc\r", t), 4);
    EXPECT_EQ(t, "\r");
    EXPECT_EQ(FindLineEnd("abc\r\n", t), 4);
    EXPECT_EQ(t, "\r\n");
    EXPECT_EQ(FindLineEnd("a\n\rb", t), 2);
    EXPECT_EQ(t, "\n\r");
    EXPECT_EQ(FindLineEnd("abc", t), -1);
    EXPECT_EQ(t, "");
    EXPECT_EQ(FindLineEnd("", t), -1);

    // (The 16- and 32-bit codings: see the SOCKS and stream tests' exact bytes.)
    EXPECT_EQ(DecodeWord16("a", 1), 0);
    std::int64_t v = 0;
    EXPECT_TRUE(ParseHex("1aF", v));
    EXPECT_EQ(v, 0x1AF);
    EXPECT_FALSE(ParseHex("1g", v));
    EXPECT_FALSE(ParseHex("", v));
    EXPECT_FALSE(ParseHex("FFFFFFFFFFFFFFFFFF", v));
    EXPECT_TRUE(ParseDecimal("-12", v));
    EXPECT_EQ(v, -12);
    EXPECT_FALSE(ParseDecimal("99999999999999999999", v));
}

}  // namespace
}  // namespace xunda
