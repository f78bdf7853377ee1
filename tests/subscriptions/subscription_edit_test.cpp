#include "subscriptions/subscription_edit.h"

#include <gmock/gmock.h>

#include "subscriptions_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;

class SubscriptionEditTest : public SubscriptionsTest {
  protected:
    void SetUp() override {
        Insert("mobs (corpID,mob)", {"10001,'139'"});
        Insert("msgType (corpID,msgType)", {"10001,'A'", "10001,'B'", "10001,'C'", "10001,'D'", "10002,'E'"});
        Insert("mobOrder (corpID,mob,msgType,dgStatus,dgTime,dgTimeOut)",
               {"10001,'139','A',0,'2026-05-01 10:20:30','2027-05-01 00:00:00'", "10001,'139','B',1,'',NULL",
                "10002,'139','A',1,NULL,NULL"});
        list.pUser("");
    }
    std::string Orders() {
        return Rows(
            "SELECT msgType || dgStatus || ' ' || ifnull(dgTime,'') || ' ' || ifnull(dgTimeOut,'')"
            " FROM mobOrder WHERE corpID=10001 ORDER BY msgType");
    }

    SubscriberList list{*this};
};

TEST_F(SubscriptionEditTest, EditStoresOneOrAllOfTheNumbersSubscriptionsWithCanonicalDates) {
    EXPECT_EQ(btnUserEditClick(list, 2, "2026-12-06"), std::nullopt);
    SubscriptionChange a = *btnUserEditClick(list, 0, "2026-12-06");
    EXPECT_EQ(a.mob + a.msgType + (a.closed ? " closed " : " open ") + a.dgTime + " " + a.dgTimeOut,
              "139A closed 2026-05-01 2027-05-01");
    SubscriptionChange b = *btnUserEditClick(list, 1, "2026-12-06");  // empty dates show today
    EXPECT_EQ(b.msgType + (b.closed ? " closed " : " open ") + b.dgTime + " " + b.dgTimeOut,
              "B open 2026-12-06 2026-12-06");

    a.closed = false;
    EXPECT_TRUE(ChangeSubscription(*this, list, a));
    EXPECT_EQ(Orders(), "A1 2026-05-01 00:00:00 2027-05-01 00:00:00|B1  ");
    b.closed = true;
    b.allOfMob = true;
    EXPECT_TRUE(ChangeSubscription(*this, list, b));
    EXPECT_EQ(Orders(),
              "A0 2026-12-06 00:00:00 2026-12-06 00:00:00|B0 2026-12-06 00:00:00 2026-12-06 00:00:00");
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(2)");
    EXPECT_EQ(*list.orders().At(0, *list.orders().ColumnIndex("dgstatus")), "0");  // read again
    EXPECT_EQ(Rows("SELECT dgStatus FROM mobOrder WHERE corpID=10002"), "1");

    FailOn("UPDATE ON mobOrder");
    EXPECT_FALSE(ChangeSubscription(*this, list, a));
    Exec("DROP TRIGGER fail");
    FailOn("INSERT ON mobOrder", "NEW.msgType='D'");
    EXPECT_FALSE(AddSubscriptions(*this, list, "139", {"C", "D"}, "2027-01-01"));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobOrder WHERE msgType='C'"), "0");  // all or none
    EXPECT_THAT(recorded.notices(), ElementsAre("处理成功!", "处理成功!", ::testing::_, ::testing::_));
}

TEST_F(SubscriptionEditTest, AddOffersTheMissingCategoriesAndCancelAsks) {
    EXPECT_THAT(*MissingCategories(*this, "139"), ElementsAre("C", "D"));
    EXPECT_TRUE(AddSubscriptions(*this, list, "139", {"C", "D"}, "2027-12-06"));
    EXPECT_EQ(Rows("SELECT dgStatus || dgTimeOut FROM mobOrder WHERE msgType='D'"), "12027-12-06 00:00:00");
    EXPECT_EQ(MissingCategories(*this, "139"), std::nullopt);
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(4)");

    recorded.SetAnswer(false);
    btnUserCancelSingleClick(*this, list, 1);
    btnUserCancelAllClick(*this, list, 0);
    btnUserCancelSingleClick(*this, list, 4);  // no such row: no question
    recorded.SetAnswer(true);
    btnUserCancelSingleClick(*this, list, 1);
    EXPECT_EQ(Rows("SELECT group_concat(msgType) FROM mobOrder WHERE corpID=10001"), "A,C,D");
    btnUserCancelAllClick(*this, list, 2);
    EXPECT_EQ(Rows("SELECT corpID FROM mobOrder"), "10002");
    EXPECT_EQ(list.OrdersCaption(), "订阅类别(0)");
    EXPECT_THAT(recorded.notices(),
                ElementsAre("手机号码的订阅关系处理完成!", "该手机已经订阅了所有的内容!"));
    EXPECT_THAT(recorded.confirms(),
                ElementsAre("139的订阅类别:B 将被删除!要继续吗?", "139的订阅内容将全部被删除!要继续吗?",
                            "139的订阅类别:B 将被删除!要继续吗?", "139的订阅内容将全部被删除!要继续吗?"));
}

TEST_F(SubscriptionEditTest, CancelAndEditRefuseASubscriptionGoneOrReplacedElsewhere) {
    Exec("DELETE FROM mobOrder WHERE corpID=10002");
    // Elsewhere the shown row 1 goes, and its rowid comes back with another category.
    auto replace = [this](const char* from, const char* to) {
        Exec(std::string("DELETE FROM mobOrder WHERE msgType='") + from + "'");
        Exec(std::string("INSERT INTO mobOrder (corpID,mob,msgType) VALUES (10001,'139','") + to + "')");
    };
    replace("B", "C");
    EXPECT_FALSE(ChangeSubscription(*this, list, *btnUserEditClick(list, 1, "2026-12-06")));
    replace("C", "D");
    btnUserCancelAllClick(*this, list, 0);
    replace("D", "E");
    btnUserCancelSingleClick(*this, list, 1);
    EXPECT_EQ(Rows("SELECT group_concat(msgType) FROM mobOrder"), "A,E");
    EXPECT_EQ(recorded.notices().size(), 3u);  // three refusals, no success
}

}  // namespace
}  // namespace xunda::test
