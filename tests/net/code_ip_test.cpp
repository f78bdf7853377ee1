#include "net/net_code.h"
#include "net/net_ip.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace xunda {
namespace {

TEST(PercentEncoding, ExactSet) {
    EXPECT_EQ(PercentEncodeUrl("a b_c/d?e=f&g"), "a%20b%5Fc/d?e=f&g");
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
    for (const auto& [in, out] : {std::pair<std::string, std::string>{"", ""}, {"a", "YQ=="}, {"ab", "YWI="},
                                  {"abc", "YWJj"}, {"foobar", "Zm9vYmFy"}, {std::string("\xFF\xFE\x00", 3), "//4A"}})
        EXPECT_EQ(Base64EncodeText(in), out) << in;
    // A table without "=" writes no padding.
    EXPECT_EQ(Base64EncodeWithTable("a", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"), "YQ");
}

TEST(AddressText, IPv4AndIPv6Tests) {
    for (const char* yes : {"007", "0", "255"}) EXPECT_TRUE(IsByteText(yes)) << yes;
    for (const char* no : {"+7", "7 ", "", "256"}) EXPECT_FALSE(IsByteText(no)) << no;
    for (const char* yes : {"1.2.3.4", " 1.2.3.4 ", "01.2.3.4", "255.255.255.255"}) EXPECT_TRUE(IsIPv4Text(yes)) << yes;
    for (const char* no : {"1.2.3", "1.2.3.4.5", "1.2.3.256", "1.2.3.a", "host"}) EXPECT_FALSE(IsIPv4Text(no)) << no;
    for (const char* yes : {"::", "::1", "fe80::1", "1:2:3:4:5:6:7:8", "1:2", "fe80::1%3", "ffff::1"})
        EXPECT_TRUE(IsIPv6Text(yes)) << yes;
    for (const char* no : {"1", "1:::2", "1::2::3", "1::", "10000::1", "host", "1.2.3.4", "1:2:3:4:5:6:7:8:9"})
        EXPECT_FALSE(IsIPv6Text(no)) << no;
}

std::string Groups(std::initializer_list<unsigned> groups) {
    std::string out;
    for (unsigned g : groups) out += {static_cast<char>(g >> 8), static_cast<char>(g & 0xFF)};
    return out;
}

TEST(AddressText, ConversionsBetweenTextAndBytes) {
    EXPECT_EQ(IPv4TextToBytes("192.168.1.2"), "\xC0\xA8\x01\x02");
    EXPECT_EQ(IPv4TextToBytes("1.x.3"), std::string("\x01\x00\x03\x00", 4));
    EXPECT_EQ(IPv6TextToBytes("2001:db8::"), Groups({0x2001, 0xdb8, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(IPv6TextToBytes("1::2:3"), Groups({1, 0, 0, 0, 0, 0, 2, 3}));
    EXPECT_EQ(IPv6TextToBytes("1:2:3:4:5:6:7:8:9"), std::string(16, '\0'));
    EXPECT_EQ(IPv6TextToBytes("10000::1"), std::string(16, '\0'));
    EXPECT_EQ(IPv6BytesToText(std::string(16, '\0')), "::0");
    EXPECT_EQ(IPv6BytesToText(Groups({1, 0, 2, 3, 4, 5, 6, 7})), "1::2:3:4:5:6:7");
    EXPECT_EQ(IPv6BytesToText(Groups({0, 1, 0, 0, 2, 0, 0, 0})), "0:1:0:0:2::");  // the longer run wins
    EXPECT_EQ(IPv6BytesToText(Groups({1, 0, 0, 2, 0, 0, 3, 4})), "1::2:0:0:3:4");  // of equal runs the first
    EXPECT_EQ(IPv6BytesToText(Groups({0xfe80, 0, 0, 0, 0xabc, 0, 0, 1})), "fe80::abc:0:0:1");
    std::mt19937 random(4711);
    for (int i = 0; i < 5000; ++i) {
        std::string bytes(16, '\0');
        for (auto& b : bytes) b = random() % 3 == 0 ? static_cast<char>(random() & 0xFF) : '\0';  // runs of zeros
        std::string text = IPv6BytesToText(bytes);
        EXPECT_EQ(IPv6TextToBytes(text), bytes) << text;
    }
}

}  // namespace
}  // namespace xunda
