#include "sms-sim/http_message.h"

#include <gtest/gtest.h>

namespace xunda::sim {
namespace {

TEST(SimHttpMessage, RequestLineKeepsRawBytesAndBlanksInTheTarget) {
    std::optional<RequestHead> r = ParseRequestHead("GET /sms/putMt/?msg=a b\xC4\xE3 HTTP/1.0\r\nHost:  h \r\n\r\n");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->method, "GET");
    EXPECT_EQ(r->target, "/sms/putMt/?msg=a b\xC4\xE3");
    EXPECT_EQ(r->version, "HTTP/1.0");
    EXPECT_EQ(Find(r->query, "msg"), "a b\xC4\xE3");
    EXPECT_EQ(Find(r->headers, "Host"), "h");
    EXPECT_FALSE(ParseRequestHead("GET\r\n\r\n"));
}

TEST(SimHttpMessage, QueryValuesAreDecodedOneByOne) {
    KeyValues q = ParseQuery("a=1%262&b=x+y%2Bz&c&d=%zz%4");
    EXPECT_EQ(Find(q, "a"), "1&2");
    EXPECT_EQ(Find(q, "b"), "x y+z");
    EXPECT_EQ(Find(q, "c"), "");
    EXPECT_EQ(Find(q, "d"), "%zz%4");
    EXPECT_FALSE(Find(q, "e"));
    EXPECT_EQ(PercentDecode("a+%41", false), "a+A");
}

}  // namespace
}  // namespace xunda::sim
