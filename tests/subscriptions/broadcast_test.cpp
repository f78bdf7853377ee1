#include "subscriptions/broadcast.h"

#include <gmock/gmock.h>

#include "subscriptions_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;
using Mobs = std::vector<std::string>;

TEST_F(SubscriptionsTest, BroadcastTakesEachCurrentSubscriberOfTheTickedCategoriesOnce) {
    Insert("mobOrder (corpID,mob,msgType,dgStatus,dgTimeOut)",
           {"10001,'139','A',1,'2026-06-01 00:00:00'", "10001,'139','B',1,'2026-06-01 00:00:00'",
            "10001,'138','B',1,'2026-05-07 00:00:00'",    // expires today: in
            "10001,'137','A',1,'2026-05-06 23:59:59'",    // expired yesterday
            "10001,'136','A',0,'2026-06-01 00:00:00'",    // closed
            "10001,'135','C',1,'2026-06-01 00:00:00'",    // not ticked
            "10002,'133','A',1,'2026-06-01 00:00:00'"});  // another account
    EXPECT_EQ(btnSendDgClick(*this, {"A", "b"}, "2026-05-07"), (Mobs{"138", "139"}));
    EXPECT_THAT(recorded.confirms(), ElementsAre("你选中的订阅类别中有 2 个手机号码!你要继续吗?"));

    recorded.SetAnswer(false);
    EXPECT_EQ(btnSendDgClick(*this, {"A"}, "2026-05-07"), std::nullopt);
    EXPECT_EQ(btnSendDgClick(*this, {}, "2026-05-07"), std::nullopt);
    EXPECT_EQ(btnSendDgClick(*this, {"it's"}, "2026-05-07"), std::nullopt);
    EXPECT_THAT(recorded.notices(),
                ElementsAre("请勾选要发送的订阅类别!", "你选择的订阅类别没有相关的手机号码订阅!"));
    EXPECT_EQ(recorded.confirms().size(), 2u);
}

class BroadcastHistoryTest : public SubscriptionsTest {
  protected:
    void SetUp() override {
        Insert("histMsg (msgID,corpID,msgContent,msgTime)",
               {"1,10001,'old','2026-05-01 08:00:00'", "2,10001,'it''s new','2026-05-02 08:00:00'",
                "3,10002,'other','2026-05-03 08:00:00'"});
        Insert("histMsgType (corpID,msgID,msgType)", {"10001,2,'A'", "10001,2,'B'", "10002,3,'A'"});
    }
    std::vector<std::string> Listed() { return SqlHelpers::Listed(history.grid(), "msgContent"); }
    std::function<void(const RowPager&)> Save() {
        return [this](const RowPager& grid) { saved += grid.RowCount(); };
    }

    BroadcastHistory history{*this};
    std::size_t saved = 0;
};

TEST_F(BroadcastHistoryTest, ListsSearchesAndLabelsTheAccountsBroadcasts) {
    history.Open();
    EXPECT_THAT(Listed(), ElementsAre("it's new", "old"));
    EXPECT_EQ(history.Caption(), "历史订阅短信(2)");
    EXPECT_EQ(history.histMsgGridCellClick(0), "[A] [B] ");
    EXPECT_EQ(history.histMsgGridCellClick(1), "");
    EXPECT_EQ(history.histMsgGridCellClick(std::nullopt), "");

    EXPECT_TRUE(history.btnSearchHistClick("'s"));
    EXPECT_THAT(Listed(), ElementsAre("it's new"));
    history.Open();  // rows are listed: the page shows what it showed
    EXPECT_THAT(Listed(), ElementsAre("it's new"));
    EXPECT_TRUE(history.btnSearchHistClick("05-01"));
    EXPECT_THAT(Listed(), ElementsAre("old"));
    EXPECT_FALSE(history.btnSearchHistClick("other"));
}

TEST_F(BroadcastHistoryTest, DeletingAsksAndKeepsTheCategories) {
    history.Open();
    recorded.SetAnswer(false);
    history.btnDelHistMsgClick(0);
    history.BitBtn9Click(Save());
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM histMsg"), "3");

    recorded.SetAnswer(true);
    FailOn("DELETE ON histMsg");
    history.btnDelHistMsgClick(0);
    EXPECT_THAT(Listed(), ElementsAre("it's new", "old"));
    Exec("DROP TRIGGER fail");
    history.btnDelHistMsgClick(0);
    EXPECT_THAT(Listed(), ElementsAre("old"));
    history.BitBtn9Click(Save());
    EXPECT_EQ(saved, 1u);
    EXPECT_EQ(Rows("SELECT msgID FROM histMsg UNION ALL SELECT msgID FROM histMsgType"), "3|2|2|3");
    EXPECT_EQ(history.grid().RowCount(), 0u);
    history.BitBtn9Click(Save());
    EXPECT_EQ(recorded.notices().back(), "没有相应记录!");
}

}  // namespace
}  // namespace xunda::test
