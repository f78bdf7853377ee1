#include "subscriptions/subscribers.h"

#include <gmock/gmock.h>

#include "subscriptions_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;

class SubscribersTest : public SubscriptionsTest {
  protected:
    void AddMob(int corp, const std::string& mob, const std::string& rest = "NULL,NULL,NULL,NULL") {
        Run("INSERT INTO mobs (corpID,mob,userName,nickName,bir,usermemo) VALUES (" + std::to_string(corp) + ",'" +
            mob + "'," + rest + ")");
    }
    void AddOrder(int corp, const std::string& mob, const std::string& type) {
        Run("INSERT INTO mobOrder (corpID,mob,msgType,dgTimeOut) VALUES (" + std::to_string(corp) + ",'" + mob +
            "','" + type + "','2030-01-01 00:00:00')");
    }
    std::vector<std::string> Listed() {
        std::vector<std::string> mobs;
        for (std::size_t r = 0; r < list.grid().RowCount(); ++r) mobs.push_back(list.grid().Field(r, "mob").value_or(""));
        return mobs;
    }
    std::string Orders() {
        std::string out;
        for (std::size_t r = 0; r < list.orders().RecordCount(); ++r) {
            const ResultSet& o = list.orders();
            (out += out.empty() ? "" : "|") += *o.At(r, *o.ColumnIndex("msgType")) + " " + *o.At(r, *o.ColumnIndex("dgstatus"));
        }
        return out;
    }

    SubscriberList list{*this};
};

TEST_F(SubscribersTest, SearchesFiveFieldsOfTheAccountOnlyThenShowsTheFirstOnesSubscriptions) {
    AddMob(10001, "13800000001");
    AddMob(10001, "13900000002", "'王138',NULL,NULL,NULL");
    AddMob(10001, "13900000003", "NULL,'x138',NULL,NULL");
    AddMob(10001, "13900000004", "NULL,NULL,'1380-01-01',NULL");
    AddMob(10001, "13900000005", "NULL,NULL,NULL,'memo 138'");
    AddMob(10001, "13900000006", "'王',NULL,NULL,NULL");
    AddMob(10002, "13800000009", "'138',NULL,NULL,NULL");
    AddOrder(10001, "13800000001", "天气");
    Run("INSERT INTO mobOrder (corpID,mob,msgType,dgStatus) VALUES (10001,'13800000001','股票',0)");
    AddOrder(10002, "13800000001", "其他");

    EXPECT_TRUE(list.pUser("138"));
    EXPECT_THAT(Listed(), ElementsAre("13800000001", "13900000002", "13900000003", "13900000004", "13900000005"));
    EXPECT_EQ(Orders(), "天气 True|股票 False");
    EXPECT_EQ(list.Caption(), "手机资料(5)");
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(2)");

    EXPECT_FALSE(list.pUser("it's 100%_"));  // quoted: no error box, only the notice
    EXPECT_EQ(recorded.notices(), std::vector<std::string>{"没有找到相关手机用户资料!"});
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(2)");  // kept

    EXPECT_TRUE(list.pUser(""));
    EXPECT_EQ(list.grid().RowCount(), 6u);
}

TEST_F(SubscribersTest, BirthdaysMatchDayAndMonthNeverNull) {
    AddMob(10001, "1", "NULL,NULL,'1990-05-07 00:00:00',NULL");
    AddMob(10001, "2", "NULL,NULL,'1985-05-07',NULL");
    AddMob(10001, "3", "NULL,NULL,'1990-07-05',NULL");
    AddMob(10001, "4", "NULL,NULL,NULL,NULL");
    AddMob(10001, "5", "NULL,NULL,'2001-05-17',NULL");
    AddMob(10002, "6", "NULL,NULL,'1990-05-07',NULL");
    AddOrder(10001, "1", "天气");
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

TEST_F(SubscribersTest, RowClickReloadsOnlyForAnotherNumber) {
    AddMob(10001, "111");
    AddMob(10001, "222");
    AddOrder(10001, "222", "天气");
    list.pUser("");
    EXPECT_EQ(list.userGridCellClick(1, "13"), std::optional<std::string>("222"));
    EXPECT_EQ(Orders(), "天气 True");
    Run("DELETE FROM mobOrder");
    EXPECT_EQ(list.userGridCellClick(1, "222"), std::nullopt);
    EXPECT_EQ(Orders(), "天气 True");  // not reloaded
}

TEST_F(SubscribersTest, DeletingASubscriberTakesAllItsSubscriptionsWhateverTheLowerGridShows) {
    AddMob(10001, "111");
    AddMob(10001, "222");
    AddMob(10001, "333");
    AddOrder(10001, "111", "天气");
    AddOrder(10001, "111", "股票");
    AddOrder(10002, "111", "天气");
    AddOrder(10001, "222", "天气");
    list.pUser("");
    list.userGridCellClick(2, "");  // the lower grid shows 333's (none)

    recorded.SetAnswer(false);
    EXPECT_EQ(list.btnUserDelClick(0), std::optional<std::size_t>(0));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobs"), "3");
    recorded.SetAnswer(true);
    EXPECT_EQ(list.btnUserDelClick(0), std::optional<std::size_t>(0));
    EXPECT_EQ(Rows("SELECT corpID || mob || msgType FROM mobOrder ORDER BY rowid"), "10002111天气|10001222天气");
    EXPECT_THAT(Listed(), ElementsAre("222", "333"));
    EXPECT_EQ(Orders(), "天气 True");  // the new current row's

    EXPECT_EQ(list.btnUserDelClick(1), std::optional<std::size_t>(0));
    EXPECT_EQ(list.btnUserDelClick(0), std::nullopt);
    EXPECT_THAT(recorded.confirms(), ElementsAre("111 有订阅类别,你如果删除,这些订阅关系也将删除!要继续吗?",
                                                 "111 有订阅类别,你如果删除,这些订阅关系也将删除!要继续吗?",
                                                 "333 将被删除!要继续吗?",
                                                 "222 有订阅类别,你如果删除,这些订阅关系也将删除!要继续吗?"));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobs"), "0");
    EXPECT_EQ(list.Caption(), "手机资料(0)");
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(0)");
}

TEST_F(SubscribersTest, AFailedSubscriptionDeleteKeepsTheSubscriber) {
    AddMob(10001, "111");
    AddOrder(10001, "111", "天气");
    FailOn("DELETE ON mobOrder");
    list.pUser("");
    EXPECT_EQ(list.btnUserDelClick(0), std::optional<std::size_t>(0));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobs"), "1");
    EXPECT_EQ(list.grid().RowCount(), 1u);
    EXPECT_EQ(recorded.notices().size(), 1u);
}

}  // namespace
}  // namespace xunda::test
