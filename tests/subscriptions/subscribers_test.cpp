#include "subscriptions/subscribers.h"

#include <gmock/gmock.h>

#include "subscriptions_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;

class SubscribersTest : public SubscriptionsTest {
  protected:
    std::vector<std::string> Listed() { return SqlHelpers::Listed(list.grid(), "mob"); }
    std::string Orders() {
        std::string out;
        const ResultSet& o = list.orders();
        for (std::size_t r = 0; r < o.RecordCount(); ++r)
            (out += r ? "|" : "") += *o.At(r, *o.ColumnIndex("msgType")) + " " +
                                     CellText(list.OrderColumns()[2], o.At(r, *o.ColumnIndex("dgstatus")));
        return out;
    }

    SubscriberList list{*this};
};

TEST_F(SubscribersTest, SearchesFiveFieldsOfTheAccountOnlyThenShowsTheFirstOnesSubscriptions) {
    Insert("mobs",
           {"10001,'13800000001',NULL,NULL,NULL,NULL", "10001,'13900000002','王138',NULL,NULL,NULL",
            "10001,'13900000003',NULL,'x138',NULL,NULL", "10001,'13900000004',NULL,NULL,'1380-01-01',NULL",
            "10001,'13900000005',NULL,NULL,NULL,'memo 138'", "10001,'13900000006','王',NULL,NULL,NULL",
            "10002,'13800000009','138',NULL,NULL,NULL"});
    Insert("mobOrder (corpID,mob,msgType,dgStatus)",
           {"10001,'13800000001','天气',1", "10001,'13800000001','股票',0", "10002,'13800000001','其他',1"});

    EXPECT_TRUE(list.pUser("138"));
    EXPECT_THAT(Listed(),
                ElementsAre("13800000001", "13900000002", "13900000003", "13900000004", "13900000005"));
    EXPECT_EQ(Orders(), "天气 True|股票 False");
    EXPECT_EQ(list.Caption(), "手机资料(5)");
    EXPECT_THAT(busy, ElementsAre("正在查找手机用户资料,请稍候..."));
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(2)");
    EXPECT_EQ(list.userGridCellClick(0, "13800000001"), std::nullopt);  // shown already: not reloaded
    EXPECT_EQ(list.userGridCellClick(1, "13800000001"), std::optional<std::string>("13900000002"));
    EXPECT_EQ(Orders(), "");
    list.userGridCellClick(0, "");

    EXPECT_FALSE(list.pUser("it's 100%_"));  // quoted: no error box, only the notice
    EXPECT_EQ(recorded.notices(), std::vector<std::string>{"没有找到相关手机用户资料!"});
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(2)");  // kept

    EXPECT_TRUE(list.pUser(""));
    EXPECT_EQ(list.grid().RowCount(), 6u);
}

TEST_F(SubscribersTest, BirthdaysMatchDayAndMonthNeverNull) {
    Insert("mobs (corpID,mob,bir)",
           {"10001,'1','1990-05-07 00:00:00'", "10001,'2','1985-05-07'", "10001,'3','1990-07-05'",
            "10001,'4',NULL", "10001,'5','2001-05-17'", "10002,'6','1990-05-07'"});
    Insert("mobOrder (corpID,mob,msgType)", {"10001,'1','天气'"});
    using namespace std::chrono;
    list.btnUserBirClick(year(2026) / May / day(7));
    EXPECT_THAT(Listed(), ElementsAre("1", "2"));
    EXPECT_EQ(Orders(), "天气 True");
    EXPECT_TRUE(recorded.notices().empty());

    list.btnUserBirClick(year(2026) / June / day(1));
    EXPECT_EQ(list.grid().RowCount(), 0u);
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(0)");
    EXPECT_EQ(recorded.notices(), std::vector<std::string>{"没有找到相关手机用户资料!"});
}

TEST_F(SubscribersTest, DeletingASubscriberTakesAllItsSubscriptionsWhateverTheLowerGridShows) {
    Insert("mobs (corpID,mob)", {"10001,'111'", "10001,'222'", "10001,'333'"});
    Insert("mobOrder (corpID,mob,msgType)",
           {"10001,'111','天气'", "10001,'111','股票'", "10002,'111','天气'", "10001,'222','天气'"});
    list.pUser("");
    list.userGridCellClick(2, "");  // the lower grid shows 333's (none)
    FailOn("DELETE ON mobOrder", "OLD.corpID=10001");
    EXPECT_EQ(list.btnUserDelClick(0), std::optional<std::size_t>(0));  // both or neither
    EXPECT_EQ(recorded.notices().size(), 1u);
    Exec("DROP TRIGGER fail");

    recorded.SetAnswer(false);
    EXPECT_EQ(list.btnUserDelClick(0), std::optional<std::size_t>(0));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobs"), "3");
    recorded.SetAnswer(true);
    EXPECT_EQ(list.btnUserDelClick(0), std::optional<std::size_t>(0));
    EXPECT_EQ(Rows("SELECT corpID || mob || msgType FROM mobOrder ORDER BY rowid"),
              "10002111天气|10001222天气");
    EXPECT_THAT(Listed(), ElementsAre("222", "333"));
    EXPECT_EQ(Orders(), "天气 True");  // the new current row's

    EXPECT_EQ(list.btnUserDelClick(1), std::optional<std::size_t>(0));
    EXPECT_EQ(list.btnUserDelClick(0), std::nullopt);
    const std::string subscribed = " 有订阅类别,你如果删除,这些订阅关系也将删除!要继续吗?";
    EXPECT_THAT(recorded.confirms(), ElementsAre("111" + subscribed, "111" + subscribed, "111" + subscribed,
                                                 "333 将被删除!要继续吗?", "222" + subscribed));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobs"), "0");
    EXPECT_EQ(list.Caption(), "手机资料(0)");
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(0)");
}

TEST_F(SubscribersTest, ANewNumberTakesItsSubscriptionsAlongWithoutDuplicates) {
    Insert("mobs (corpID,mob,userName)", {"10001,'111','张'", "10001,'222',NULL"});
    Insert("mobOrder (corpID,mob,msgType)",
           {"10001,'111','A'", "10001,'111','B'", "10001,'222','B'", "10002,'111','A'"});
    list.pUser("");
    EXPECT_EQ(list.grid().Text(0, 1), "张");  // "姓名" shows userName
    EXPECT_TRUE(list.EditField(0, "mob", "222"));
    EXPECT_EQ(Rows("SELECT corpID || mob || msgType FROM mobOrder ORDER BY corpID, msgType, rowid"),
              "10001222A|10001222B|10002111A");
    EXPECT_EQ(Orders(), "A True|B True");
    FailOn("UPDATE ON mobOrder");
    EXPECT_FALSE(list.EditField(0, "mob", "333"));  // all or nothing
    EXPECT_EQ(Rows("SELECT mob FROM mobs"), "222|222");
}

}  // namespace
}  // namespace xunda::test
