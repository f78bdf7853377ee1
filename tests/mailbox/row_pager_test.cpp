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

TEST_F(RowPagerTest, OpenReadsTheFirstBlockAndReadRestTheOthersEachRowOnceInOrder) {
    Exec(
        "INSERT INTO okMsg (corpID, msg) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
        "WHERE i<3000) SELECT 10001, printf('%05d', 3000-i) FROM n");
    RowPager blocks{[this]() -> Database& { return host.db(); }, {{"编号", "id"}}, 16};
    ASSERT_TRUE(blocks.Open({"okMsg", "corpID=10001", "msg DESC"}));
    Exec("INSERT INTO okMsg (corpID, msg) VALUES (10001, '99999')");  // came after the listing
    EXPECT_EQ(blocks.RowCount(), 16u);
    EXPECT_TRUE(blocks.HasMore());
    EXPECT_EQ(blocks.HeldBlocks(), 0u);
    for (std::size_t r = 0; r < 16; ++r) ASSERT_EQ(blocks.Text(r, 0), std::to_string(r + 1));
    ASSERT_TRUE(host.db().DeleteRow("okMsg", blocks.RowId(2)));  // the page deletes a row it shows
    blocks.Remove(2);
    blocks.ReadRest();
    EXPECT_FALSE(blocks.HasMore());
    ASSERT_EQ(blocks.RowCount(), 2999u);
    Exec("DELETE FROM okMsg WHERE id IN (1500, 3000)");  // gone after the listing: empty rows
    for (std::size_t r = 0; r < blocks.RowCount(); ++r) {
        const std::size_t id = r < 2 ? r + 1 : r + 2;
        ASSERT_EQ(blocks.Text(r, 0), id == 1500 || id == 3000 ? "" : std::to_string(id)) << r;
    }
    EXPECT_LE(blocks.HeldBlocks(), RowPager::kHeldBlocks);
    ASSERT_TRUE(blocks.Open({"okMsg", "corpID=10001", "msg DESC", 20}));
    blocks.ReadRest();
    EXPECT_EQ(blocks.RowCount(), 20u);
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

TEST_F(RowPagerTest, DeletesAndEditsTouchOnlyTheRowShownAndRefuseOneGoneOrChanged) {
    Exec("INSERT INTO mo (corpID, mob) VALUES (10001, '1'), (10001, '2')");
    ASSERT_TRUE(grid.Open({"mo", "corpID=10001", "rowid"}));
    EXPECT_EQ(grid.Text(1, 0), "2");
    Exec("DELETE FROM mo WHERE mob='2'");  // elsewhere; its rowid goes to the next message
    Exec("INSERT INTO mo (corpID, mob) VALUES (10001, '3')");
    Exec("DELETE FROM mo WHERE mob='1'");
    EXPECT_FALSE(grid.Delete(1) || grid.Update(1, "msg", "x"));
    EXPECT_FALSE(grid.Update(0, "msg", "x"));  // gone: no row changed is no success
    EXPECT_EQ(host.scripted.notices().size(), 3u);
    EXPECT_EQ(grid.RowCount(), 2u);
    EXPECT_THAT(Records("SELECT mob || ifnull(msg, '') FROM mo"), ElementsAre("3"));
    EXPECT_EQ(grid.Text(1, 0), "3");  // read again: now the row shown
    EXPECT_TRUE(grid.Delete(1));
    EXPECT_EQ(grid.RowCount(), 1u);
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
