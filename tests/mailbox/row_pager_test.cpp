#include "store/row_pager.h"

#include <gmock/gmock.h>

#include "mailbox/mailbox_fixture.h"
#include "store/grid_files.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;

class RowPagerTest : public MailboxTest {
  protected:
    RowPager grid{[this]() -> Database& { return host.db(); }, {{"号码", "mob"}, {"状态报告", "mstatus"}}};
};

TEST_F(RowPagerTest, AMillionRowsReadABlockPerScreenAndEachRowOnceInOrder) {
    Exec(
        "INSERT INTO okMsg (corpID, msg) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
        "WHERE i<1000000) SELECT 10001, printf('%07d', 1000000-i) FROM n");
    RowPager rows{[this]() -> Database& { return host.db(); }, {{"编号", "id"}}};
    ASSERT_TRUE(rows.Open({"okMsg", "corpID=10001", "msg DESC"}));
    ASSERT_EQ(rows.RowCount(), 1000000u);
    EXPECT_EQ(rows.HeldBlocks(), 0u);
    for (std::size_t r = 0; r < 40; ++r) ASSERT_EQ(rows.Text(r, 0), std::to_string(r + 1));
    EXPECT_EQ(rows.HeldBlocks(), 1u);
    Exec("DELETE FROM okMsg WHERE id IN (500000, 999999)");  // gone after the listing
    for (std::size_t r = 0; r < rows.RowCount(); ++r) {
        const std::string expected = r == 499999 || r == 999998 ? "" : std::to_string(r + 1);
        ASSERT_EQ(rows.Text(r, 0), expected) << r;
    }
    EXPECT_LE(rows.HeldBlocks(), RowPager::kHeldBlocks);
}

TEST_F(RowPagerTest, FieldsTheTableLacksAreEmptyAndClearForgetsTheListing) {
    Exec("INSERT INTO mt (corpID, mob, flag) VALUES (10001, '13800000001', 0)");
    ASSERT_TRUE(grid.Open({"mt", "corpID=10001", "id"}));
    EXPECT_EQ(grid.Text(0, 0), "13800000001");
    EXPECT_EQ(grid.Text(0, 1), "");
    EXPECT_EQ(grid.Field(0, "FLAG"), "0");
    EXPECT_TRUE(grid.Update(0, "mob", std::nullopt));
    EXPECT_EQ(grid.Field(0, "mob"), std::nullopt);
    grid.Clear();
    EXPECT_EQ(grid.RowCount(), 0u);
    EXPECT_EQ(grid.Sql(), "");
    EXPECT_FALSE(grid.Refresh());
}

TEST_F(RowPagerTest, AFailedExportLeavesTheFileAsItWas) {
    const auto file = dir / "kept.csv";
    WriteFile(file, "before\r\n");
    EXPECT_FALSE(SaveDbGridToCsv(host.db(), "SELECT * FROM no_such_table", grid.Columns(), file));
    EXPECT_EQ(ReadFile(file), "before\r\n");
    EXPECT_THAT(host.scripted.notices().size(), 1u);
}

}  // namespace
}  // namespace xunda::test
