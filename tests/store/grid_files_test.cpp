// Faults caught: CSV rows corrupted by quotes, appends that overwrite, NULL written as text,
// number-list files that collide within one second.
#include "store/grid_files.h"

#include <gtest/gtest.h>

#include <set>

#include "store_fixture.h"

namespace xunda::test {
namespace {
namespace fs = std::filesystem;

using GridFilesTest = StoreTest;

TEST_F(GridFilesTest, CsvAppendsAndQuotes) {
    ASSERT_TRUE(db_->pAdoCom(
        "INSERT INTO mobs (corpID, mob, userName, usermemo) VALUES (1,'138','张三','say \"hi\", bye'), "
        "(1,'139','李四',NULL)"));
    ResultSet rs = db_->pAdoQuery("SELECT * FROM mobs ORDER BY mob");
    std::vector<GridColumn> columns = {{"手机号码", "mob"}, {"姓名", "userName"}, {"备注", "usermemo"}};
    fs::path file = dir_ / "out.csv";
    ASSERT_TRUE(SaveDbGridToCsv(rs, columns, file));
    ASSERT_TRUE(SaveDbGridToCsv(rs, columns, file));
    const std::string block =
        "\"手机号码\",\"姓名\",\"备注\"\r\n"
        "\"138\",\"张三\",\"say \"\"hi\"\", bye\"\r\n"
        "\"139\",\"李四\",\"\"\r\n";
    EXPECT_EQ(ReadFile(file), "\xEF\xBB\xBF" + block + block);
    EXPECT_EQ(rs.Position(), 0u);
    EXPECT_FALSE(SaveDbGridToCsv(rs, columns, dir_ / "no/such/folder.csv"));
}

TEST_F(GridFilesTest, DistinctColumnFileIsSortedUniqueAndNeverReused) {
    ASSERT_TRUE(db_->pAdoCom(
        "INSERT INTO mobs (corpID, mob) VALUES (1,'13900000000'), (1,'13800000000'), (1,'13900000000')"));
    ResultSet rs = db_->pAdoQuery("SELECT * FROM mobs");
    std::set<fs::path> names;
    for (int i = 0; i < 5; ++i) {  // within the same second
        auto file = SaveDistinctColumnToFile(rs, "Mob", dir_.path());
        ASSERT_TRUE(file);
        EXPECT_EQ(file->filename().string().rfind("mobs_", 0), 0u);
        EXPECT_EQ(ReadFile(*file), "13800000000\n13900000000\n");
        names.insert(*file);
    }
    EXPECT_EQ(names.size(), 5u);
    EXPECT_FALSE(SaveDistinctColumnToFile(rs, "mob", dir_ / "missing"));
}

}  // namespace
}  // namespace xunda::test
