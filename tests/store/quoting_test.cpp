// Faults caught: user texts that break or change a statement, "NULL" turned into SQL NULL,
// foreign values reaching SQL bare.
#include <gtest/gtest.h>

#include "store/sql_text.h"
#include "store_fixture.h"

namespace xunda::test {
namespace {

using QuotingTest = StoreTest;

TEST_F(QuotingTest, HostileTextsRoundTripThroughInsertAndSelect) {
    const std::vector<std::string> texts = {"O'Brien",
                                            "''",
                                            "'",
                                            "NULL",
                                            "null",
                                            "",
                                            "a\\'b",
                                            "x'); DELETE FROM okMsg; --",
                                            "-- comment",
                                            "/* c */",
                                            "%_%",
                                            "\"quoted\"",
                                            "line1\nline2\r\n",
                                            "中文短信【测试】",
                                            "; SELECT 1",
                                            "\t tab "};
    for (const auto& t : texts)
        ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (7," + SqlQuote(t) + ")")) << t;

    ResultSet rs = db_->pAdoQuery("SELECT msg FROM okMsg WHERE corpID=7 ORDER BY id");
    ASSERT_EQ(rs.RecordCount(), texts.size());
    for (const auto& t : texts) {
        ASSERT_FALSE(rs.Eof());
        EXPECT_FALSE(rs.IsNull("msg")) << t;
        EXPECT_EQ(rs.AsString("msg"), t);
        // Each text also finds exactly itself when used in a condition.
        EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg=" + SqlQuote(t)),
                  t == "NULL" || t == "null" ? 2 : 1)
            << t;
        rs.Next();
    }
    EXPECT_TRUE(prompts_.notices().empty());
}

TEST_F(QuotingTest, OnlyTheNullableVariantStoresNull) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO mobs (corpID, mob, bir) VALUES (1,'13800000001'," +
                             SqlQuoteOrNull(std::nullopt) + ")"));
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO mobs (corpID, mob, bir) VALUES (1,'13800000002'," +
                             SqlQuoteOrNull(std::string_view("1990-05-06")) + ")"));
    ResultSet rs = db_->pAdoQuery("SELECT bir FROM mobs ORDER BY mob");
    ASSERT_EQ(rs.RecordCount(), 2u);
    EXPECT_TRUE(rs.IsNull("bir"));
    rs.Next();
    EXPECT_EQ(rs.AsString("bir"), "1990-05-06");
    EXPECT_EQ(SqlQuote("NULL"), "'NULL'");
    EXPECT_EQ(SqlQuote(""), "''");
    EXPECT_EQ(SqlQuote("a'b"), "'a''b'");
}

TEST(SqlIntTest, AcceptsOnlyDigits) {
    EXPECT_EQ(SqlInt("12345"), "12345");
    EXPECT_EQ(SqlInt("-3"), "-3");
    EXPECT_EQ(SqlInt(std::int64_t{42}), "42");
    for (const char* bad : {"", "-", "12 ", " 12", "1;DROP TABLE mt", "1 OR 1=1", "0x10", "1e5", "１２",
                            "1234567890123456789"}) {
        EXPECT_FALSE(IsSqlInt(bad)) << bad;
        EXPECT_THROW(SqlInt(bad), std::invalid_argument) << bad;
    }
}

}  // namespace
}  // namespace xunda::test
