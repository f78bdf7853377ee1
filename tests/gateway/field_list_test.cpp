#include <gtest/gtest.h>

#include "gateway/sms_gateway.h"

namespace xunda {
namespace {

TEST(GetFieldValue, RowsAreColCountEntriesEach) {
    const FieldList fields = {{"c", "1"}, {"g", "2"}, {"p", "3"}, {"c", "4"}, {"g", "5"}, {"p", ""}};
    std::string v = "x";
    EXPECT_EQ(GetFieldValue("C", 1, v, 3, fields), 0);
    EXPECT_EQ(v, "4");
    EXPECT_EQ(GetFieldValue("p", 1, v, 3, fields), 0);
    EXPECT_EQ(v, "");
    v = "x";
    EXPECT_EQ(GetFieldValue("q", 0, v, 3, fields), -1);
    EXPECT_EQ(v, "");
    EXPECT_EQ(GetFieldValue("c", 2, v, 3, fields), -2);
    EXPECT_EQ(GetFieldValue("c", -1, v, 3, fields), -2);
    EXPECT_EQ(GetFieldValue("c", 0, v, 0, fields), -2);
    EXPECT_EQ(GetFieldValue("c", 1, v, 4, fields), -2);  // a row the list does not hold whole
    // Only the row's own fields count: "g" of row 1 is not seen from row 0 with two columns.
    EXPECT_EQ(GetFieldValue("p", 0, v, 2, fields), -1);
}

}  // namespace
}  // namespace xunda
