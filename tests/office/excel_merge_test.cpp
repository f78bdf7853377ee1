// The mail merge of the Excel page, queueing its lines, and the favourites and last numbers,
// over a real database file.
#include "compose/excel_merge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "compose/favourites.h"
#include "compose/text_rules.h"
#include "store/log.h"
#include "store/store_fixture.h"

namespace xunda {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Texts = std::vector<std::string>;

SheetGrid Grid(const std::vector<Texts>& rows) {
    SheetGrid grid;
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) grid.Put(r, c, grid.AddText(rows[r][c]));
    return grid;
}

TEST(ExcelMerge, OneLinePerRowWithANumberAndAFittingText) {
    std::string chinese;  // 252 bytes of GBK, 378 of UTF-8
    for (int i = 0; i < 126; ++i) chinese += "字";
    // The first row is short: its missing cells are empty.
    const SheetGrid grid =
        Grid({Texts{"张三 13912345678 13812345678", "Ann"}, Texts{"none", "Bob", "x"},
              Texts{"13712345678", std::string(254, 'a')}, Texts{"13612345678", std::string(255, 'a')},
              Texts{"13512345678", chinese + "a", "b"}});
    EXPECT_EQ(GenerateExcelLines(grid, "[第1列]![第2列]", "第0列"),
              (Texts{"13912345678 , Ann!", "13712345678 , " + std::string(254, 'a') + "!",
                     "13512345678 , " + chinese + "a!b"}));
    // Empty texts are left out; without a phone column there are no lines.
    EXPECT_EQ(GenerateExcelLines(grid, "[第2列]", "第0列"), Texts{"13512345678 , b"});
    EXPECT_EQ(GenerateExcelLines(grid, "[第1列]", "第9列"), Texts{});
    EXPECT_EQ(ExcelColumnName(10), "第10列");
    EXPECT_EQ(CheckExcelTemplate(std::string(256, 'a'), 0), "文字总长超255,请缩短信内容!");
    EXPECT_EQ(CheckExcelTemplate("", 0), "请输入短信内容!");
    EXPECT_EQ(CheckExcelTemplate("hi", 0), "请先打开EXCEL文件!");
    EXPECT_EQ(CheckExcelTemplate(std::string(255, 'a'), 1), std::nullopt);
}

TEST(ExcelMerge, CellsThatBringPlaceholdersOfLaterColumnsAreFilledInTurnWithinABound) {
    std::string many;  // placeholders of column 2 that fill to nothing: 5,400 bytes on the way
    for (int i = 0; i < 600; ++i) many += "[第2列]";
    const SheetGrid grid = Grid({Texts{"13912345678", "a[第2列]b[第0列][第01列]", "c"},
                                 Texts{"13812345678", many, ""}, Texts{"13712345678", "[第2列]", ""}});
    EXPECT_EQ(GenerateExcelLines(grid, "hi[第1列]", "第0列"),
              (Texts{"13912345678 , hiacb[第0列][第01列]", "13712345678 , hi"}));
}

class OfficeStoreTest : public test::StoreTest {
  protected:
    Log log_{dir_ / "LOG"};
};

TEST_F(OfficeStoreTest, QueuedLinesSplitAtTheFirstCommaAndFillContacts) {
    Exec("INSERT INTO mobs (corpID, mob, userName, nickName) VALUES (10001,'13912345678','王五','王先生')");
    Texts lines = {" 13912345678 , [称呼]您好, a,b ", "13812345678,NULL", "13912345678 , again"};
    for (int i = 0; i < 500; ++i) lines.push_back("137" + std::to_string(10000000 + i) + " , x");
    Texts busy;
    EXPECT_EQ(QueueExcelLines(*db_, log_, "10001", lines, "12", "7",
                              [&](const std::string& t) { busy.push_back(t); }),
              503u);
    EXPECT_THAT(
        Records(
            "SELECT mob || '|' || msg || '|' || mtLevel || subNumber || linkID FROM mt ORDER BY id LIMIT 3"),
        ElementsAre("13912345678|王先生您好, a,b|1127", "13812345678|NULL|1127", "13912345678|again|1127"));
    EXPECT_EQ(Records("SELECT mtLevel FROM mt ORDER BY id LIMIT 2 OFFSET 499"), (Texts{"1", "2"}));
    EXPECT_EQ(busy.front(), "放入发送队列:(1/503) 13912345678");
    const std::string logText = test::ReadFile(log_.FilePath());
    for (const char* line : {"发送EXCEL表格短信的手机号码 503个", "已经放入发送队列"})
        EXPECT_THAT(logText, HasSubstr(line));
    EXPECT_EQ(Records("SELECT COUNT(*) FROM lastSendMobs"), Texts{"12"});

    // A short batch with a number twice and one already listed leaves each number once.
    QueueExcelLines(*db_, log_, "10001", {"13710000499 , y", "13612345678 , y", "13612345678 , z"}, "", "",
                    [](const std::string&) {});
    EXPECT_EQ(Records("SELECT COUNT(*) FROM lastSendMobs"), Texts{"13"});
    EXPECT_EQ(LastSendMobs(*db_, "10001").front(), "13612345678");
    EXPECT_EQ(LastSendMobs(*db_, "10001").size(), 12u);
}

TEST_F(OfficeStoreTest, SavedListIsUtf8WithCrLfAndReplacesTheFile) {
    test::WriteFile(dir_ / "list.csv", std::string(100, 'x'));
    std::filesystem::permissions(dir_ / "list.csv", std::filesystem::perms(0644));
    ASSERT_TRUE(SaveExcelLines(dir_ / "list.csv", {"13912345678 , 你好", "13812345678 , a,b"}));
    EXPECT_EQ(test::ReadFile(dir_ / "list.csv"), "\uFEFF13912345678 , 你好\r\n13812345678 , a,b\r\n");
    // the user's file keeps its mode
    EXPECT_EQ(std::filesystem::status(dir_ / "list.csv").permissions(), std::filesystem::perms(0644));
    EXPECT_FALSE(SaveExcelLines(dir_ / "no folder" / "list.csv", {"x"}));
}

TEST_F(OfficeStoreTest, FavouritesAreCleanedKeptOnceAndDeletedWhole) {
    EXPECT_EQ(AddFavourite(*db_, "10001", CleanText("  hello  world ")), FavouriteAdd::Added);
    EXPECT_EQ(AddFavourite(*db_, "10001", CleanText("hello world\r\n")), FavouriteAdd::Exists);
    EXPECT_EQ(AddFavourite(*db_, "10002", "hello world"), FavouriteAdd::Added);  // another account
    EXPECT_EQ(AddFavourite(*db_, "10001", "NULL"), FavouriteAdd::Added);
    EXPECT_EQ(AddFavourite(*db_, "10001", ""), FavouriteAdd::Empty);
    EXPECT_EQ(AddFavourite(*db_, "10001", std::string(256, 'a')), FavouriteAdd::TooLong);
    EXPECT_EQ(ListFavourites(*db_, "10001"), (Texts{"NULL", "hello world"}));
    Exec("INSERT INTO okMsg (corpID, msg) VALUES (10001, 'hello world')");
    DeleteFavourite(*db_, "10001", "hello world");
    EXPECT_EQ(ListFavourites(*db_, "10001"), Texts{"NULL"});
    EXPECT_EQ(ListFavourites(*db_, "10002"), Texts{"hello world"});
    Exec("DROP TABLE okMsg");
    EXPECT_EQ(AddFavourite(*db_, "10001", "new"), FavouriteAdd::Failed);
}

}  // namespace
}  // namespace xunda
