#include "sms-sim/http_message.h"

#include <gtest/gtest.h>

namespace xunda::sim {
namespace {

// (Request lines with raw bytes, headers and bad heads: see the service tests.)
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
