// Faults caught: user texts that break or change a statement, "NULL" turned into SQL NULL,
// foreign values reaching SQL bare.
#include "store/sql_text.h"
#include "store_fixture.h"

namespace xunda::test {
namespace {

using QuotingTest = StoreTest;

TEST_F(QuotingTest, HostileTextsRoundTripAndFindExactlyThemselves) {
    const std::string texts[] = {"O'Brien", "''", "NULL", "", "a\\'b", "x'); DELETE FROM okMsg; --",
                                 "中文\r\n"};
    for (const auto& t : texts)
        ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (7," + SqlQuote(t) + ")")) << t;
    ResultSet rs = db_->pAdoQuery("SELECT msg FROM okMsg WHERE corpID=7 ORDER BY id");
    ASSERT_EQ(rs.RecordCount(), std::size(texts));
    for (const auto& t : texts) {
        EXPECT_FALSE(rs.IsNull("msg")) << t;
        EXPECT_EQ(rs.AsString("msg"), t);
        EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg=" + SqlQuote(t)), 1) << t;
        rs.Next();
    }
    EXPECT_EQ(SqlQuoteOrNull(std::nullopt), "NULL");
    EXPECT_EQ(SqlQuoteOrNull(std::string_view("NULL")), "'NULL'");
    EXPECT_TRUE(prompts_.notices().empty());
}

TEST(SqlIntTest, AcceptsOnlyDigits) {
    EXPECT_EQ(SqlInt("123456789012345678"), "123456789012345678");
    EXPECT_EQ(SqlInt("-3"), "-3");
    EXPECT_EQ(SqlInt(std::int64_t{42}), "42");
    for (const char* bad : {"", "-", "12 ", " 12", "1;DROP TABLE mt", "1 OR 1=1", "0x10", "1e5", "１２",
                            "--1", "1234567890123456789"}) {
        EXPECT_FALSE(IsSqlInt(bad)) << bad;
        EXPECT_THROW(SqlInt(bad), std::invalid_argument) << bad;
    }
}

}  // namespace
}  // namespace xunda::test
