#include "net/net_code.h"
#include "net/net_ip.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace xunda {
namespace {

TEST(PercentEncoding, ExactSet) {
    EXPECT_EQ(PercentEncodeUrl("a b_c/d?e=f&g"), "a%20b%5Fc/d?e=f&g");
    EXPECT_EQ(PercentEncodeUrl("\xD6\xD0"), "%D6%D0");
    EXPECT_EQ(PercentEncodeUrl(""), "");
    const std::string passes = "!#$&'()*+,-./0123456789:;=?@ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int b = 0; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", b);
        EXPECT_EQ(PercentEncodeUrl(one), passes.find(one) != std::string::npos ? one : std::string(escaped)) << b;
    }
    EXPECT_EQ(EscapeBytes("a=b", '=', ByteSet().set('=')), "a=3Db");
}

TEST(Base64, StandardVectors) {
    EXPECT_EQ(Base64EncodeText(""), "");
    EXPECT_EQ(Base64EncodeText("a"), "YQ==");
    EXPECT_EQ(Base64EncodeText("ab"), "YWI=");
    EXPECT_EQ(Base64EncodeText("abc"), "YWJj");
    EXPECT_EQ(Base64EncodeText("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Base64EncodeText("user:pass"), "dXNlcjpwYXNz");
    EXPECT_EQ(Base64EncodeText(std::string("\xFF\xFE\x00", 3)), "//4A");
    // A table without "=" writes no padding.
    EXPECT_EQ(Base64EncodeWithTable("a", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"), "YQ");
}

TEST(AddressText, IPv4AndIPv6Tests) {
    EXPECT_TRUE(IsByteText("007"));
    EXPECT_FALSE(IsByteText("+7"));
    EXPECT_FALSE(IsByteText("7 "));
    EXPECT_FALSE(IsByteText(""));
    EXPECT_FALSE(IsByteText("256"));
    for (const char* yes : {"1.2.3.4", " 1.2.3.4 ", "01.2.3.4", "255.255.255.255"}) EXPECT_TRUE(IsIPv4Text(yes)) << yes;
    for (const char* no : {"1.2.3", "1.2.3.4.5", "1.2.3.256", "1.2.3.a", "host"}) EXPECT_FALSE(IsIPv4Text(no)) << no;
    for (const char* yes : {"::", "::1", "fe80::1", "1:2:3:4:5:6:7:8", "1:2", "fe80::1%3"})
        EXPECT_TRUE(IsIPv6Text(yes)) << yes;
    for (const char* no : {"1", "1:::2", "1::2::3", "1::", "12345::1", "host", "1.2.3.4", "1:2:3:4:5:6:7:8:9"})
        EXPECT_FALSE(IsIPv6Text(no)) << no;
}

std::string Groups(std::initializer_list<unsigned> groups) {
    std::string out;
    for (unsigned g : groups) {
        out += static_cast<char>(g >> 8);
        out += static_cast<char>(g & 0xFF);
    }
    return out;
}

TEST(AddressText, ConversionsBetweenTextAndBytes) {
    EXPECT_EQ(IPv4TextToBytes("192.168.1.2"), std::string("\xC0\xA8\x01\x02"));
    EXPECT_EQ(IPv4TextToBytes("1.x.3"), std::string("\x01\x00\x03\x00", 4));
    EXPECT_EQ(IPv6TextToBytes("2001:db8::"), Groups({0x2001, 0xdb8, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(IPv6TextToBytes("1:2:3:4:5:6:7:8:9"), std::string(16, '\0'));
    EXPECT_EQ(IPv6TextToBytes("12345::1"), std::string(16, '\0'));
    EXPECT_EQ(IPv6BytesToText(std::string(16, '\0')), "::0");
    EXPECT_EQ(IPv6BytesToText(Groups({0, 0, 0, 0, 0, 0, 0, 1})), "::1");
    EXPECT_EQ(IPv6BytesToText(Groups({1, 0, 0, 0, 0, 0, 0, 0})), "1::");
    EXPECT_EQ(IPv6BytesToText(Groups({1, 0, 2, 3, 4, 5, 6, 7})), "1::2:3:4:5:6:7");
    EXPECT_EQ(IPv6BytesToText(Groups({0, 1, 0, 0, 2, 0, 0, 0})), "0:1:0:0:2::");
    EXPECT_EQ(IPv6BytesToText(Groups({0xfe80, 0, 0, 0, 0xabc, 0, 0, 1})), "fe80::abc:0:0:1");
}

TEST(AddressText, IPv6RoundTripProperty) {
    std::mt19937 random(4711);
    for (int i = 0; i < 5000; ++i) {
        std::string bytes(16, '\0');
        for (auto& b : bytes) {
            // Many zero groups, so that runs of every length occur.
            b = random() % 3 == 0 ? static_cast<char>(random() & 0xFF) : '\0';
        }
        std::string text = IPv6BytesToText(bytes);
        EXPECT_EQ(IPv6TextToBytes(text), bytes) << text;
        if (!text.ends_with("::")) {
            EXPECT_TRUE(IsIPv6Text(text)) << text;
        }
    }
}

}  // namespace
}  // namespace xunda
