#include "subscriptions/subscription_search.h"

#include <gmock/gmock.h>

#include "subscriptions_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;

class SubscriptionSearchTest : public SubscriptionsTest {
  protected:
    void SetUp() override {
        Insert("mobOrder (corpID,mob,msgType,dgStatus,dgTime,dgTimeOut)",
               {"10001,'139','B',1,'2026-05-01 23:59:59','2026-06-30 00:00:00'",
                "10001,'139','A',0,'2026-05-02 00:00:00','2026-07-01 00:00:00'",
                "10001,'138','C',1,'2026-04-30 23:59:59','2026-06-01 00:00:00'",
                "10001,'139','C',1,'2026-05-01 00:00:00','2026-06-01 00:00:00'",
                "10002,'137','A',1,'2026-05-01 12:00:00','2026-06-01 00:00:00'"});
    }
    // The number and category of each row found.
    std::vector<std::string> Found(const SubscriptionFilters& filters) {
        search.btnMobOrderSearchClick(filters);
        std::vector<std::string> rows;
        for (std::size_t r = 0; r < search.grid().RowCount(); ++r)
            rows.push_back(*search.grid().Field(r, "mob") + *search.grid().Field(r, "msgType"));
        return rows;
    }

    SubscriptionSearch search{*this};
};

TEST_F(SubscriptionSearchTest, FiltersCombineOverTheAccountsSubscriptionsByNumberThenCategory) {
    EXPECT_THAT(Found({}), ElementsAre("138C", "139A", "139B", "139C"));
    EXPECT_EQ(search.Caption(), "查询结果(4)");
    EXPECT_THAT(busy, ElementsAre("正在查找订阅关系,请稍候..."));
    EXPECT_THAT(Found({.normal = false}), ElementsAre("139A"));
    EXPECT_THAT(Found({.normal = true, .msgType = "c"}), ElementsAre("138C", "139C"));
    EXPECT_THAT(Found({.mob = "39", .dgTime = DayRange{"2026-05-01", "2026-05-01"}}),
                ElementsAre("139B", "139C"));
    EXPECT_THAT(Found({.dgTimeOut = DayRange{"2026-06-30", "2026-07-01"}}), ElementsAre("139A", "139B"));
    EXPECT_THAT(Found({.dgTimeOut = DayRange{"2026-07-01", "2026-06-30"}}), ElementsAre());  // to before from
    EXPECT_FALSE(search.btnMobOrderSearchClick({.mob = "1'%"}));
    EXPECT_TRUE(recorded.notices().empty());
}

TEST_F(SubscriptionSearchTest, SendAllTakesEachNumberOnceAndDeleteAsks) {
    EXPECT_TRUE(search.btnMobSendAllClick().empty());
    search.btnMobOrderSearchClick({});
    EXPECT_THAT(search.btnMobSendAllClick(), ElementsAre("138", "139"));
    search.btnMobOrderSearchClick({.msgType = "A"});
    EXPECT_THAT(search.btnMobSendAllClick(), ElementsAre("139"));

    recorded.SetAnswer(false);
    search.btnMobDelClick(0);
    recorded.SetAnswer(true);
    search.btnMobDelClick(1);  // no such row
    search.btnMobDelClick(0);
    EXPECT_EQ(search.Caption(), "查询结果(0)");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobOrder WHERE msgType='A'"), "1");
    EXPECT_THAT(recorded.confirms(),
                ElementsAre(" 将删除一条订阅关系!要继续吗?", " 将删除一条订阅关系!要继续吗?"));
}

TEST_F(SubscriptionSearchTest, DeleteTouchesOnlyTheRowShownAndExportWritesWhatTheGridShows) {
    search.btnMobOrderSearchClick({.mob = "139"});  // A, B, C; C has the last rowid once 137 goes
    EXPECT_EQ(search.grid().Text(2, 1), "C");       // shown
    Exec("DELETE FROM mobOrder WHERE rowid>=4");    // elsewhere: C goes, its rowid comes back as D
    Insert("mobOrder (corpID,mob,msgType)", {"10001,'139','D'"});
    search.btnMobDelClick(2);
    EXPECT_EQ(Rows("SELECT group_concat(msgType) FROM mobOrder WHERE mob='139'"), "A,B,D");
    EXPECT_EQ(recorded.notices().size(), 1u);

    search.btnMobOrderSearchClick({.mob = "13", .msgType = "A"});
    ASSERT_TRUE(SaveDbGridToCsv(*database, search.grid().Sql(), search.grid().Columns(), dir / "a.csv"));
    std::string shown;
    for (std::size_t c = 0; c < search.grid().Columns().size(); ++c)
        shown += (c ? ",\"" : "\"") + search.grid().Text(0, c) + "\"";
    EXPECT_EQ(shown, "\"139\",\"A\",\"False\",\"2026-05-02 00:00:00\",\"2026-07-01 00:00:00\"");
    EXPECT_THAT(ReadFile(dir / "a.csv"), ::testing::EndsWith("\r\n" + shown + "\r\n"));
}

}  // namespace
}  // namespace xunda::test
