#include "subscriptions/bulk_subscribe.h"

#include <gmock/gmock.h>

#include "store/log.h"
#include "subscriptions_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ContainsRegex;
using ::testing::ElementsAre;

class BulkSubscribeTest : public SubscriptionsTest {
  protected:
    void Subscribe(const BulkSubscribeInput& in) {
        BulkSubscribe(
            *database, log, "10001", in, [this](const std::string& text) { busy.push_back(text); },
            [this](std::chrono::milliseconds rest) {
                EXPECT_EQ(rest.count(), 100);
                sleptAt.push_back(busy.size());
            });
    }

    Log log{dir / "log"};
    std::vector<std::string> busy;
    std::vector<std::size_t> sleptAt;  // progress texts shown before each rest
};

TEST_F(BulkSubscribeTest, AddsNewNumbersAndSubscriptionsAndOnlyRenewsExistingOnes) {
    log.SetAccount("10001");
    Insert("mobs (corpID,mob)", {"10001,'13800000002'", "10002,'13800000003'"});
    Insert("mobOrder", {"10001,'13800000002','天气',0,'2020-01-01 00:00:00','2021-01-01 00:00:00'",
                        "10002,'13800000002','天气',1,'2020-01-01 00:00:00','2021-01-01 00:00:00'"});
    Subscribe({.mobs = {"13800000001", "13800000002", "13800000003"},
               .categories = {"天气", "股票"},
               .userName = "王",
               .bir = "1990-05-07 00:00:00",
               .dgTimeOut = "2027-12-06 00:00:00"});
    EXPECT_EQ(Rows("SELECT mob || ifnull(userName,'-') FROM mobs WHERE corpID=10001 ORDER BY rowid"),
              "13800000002-|13800000001-|13800000003-");
    EXPECT_EQ(
        Rows("SELECT mob || msgType || dgStatus || (dgTime < '2021') FROM mobOrder WHERE corpID=10001 AND"
             " dgTimeOut='2027-12-06 00:00:00' ORDER BY rowid"),  // the closed one keeps its status and time
        "13800000002天气01|13800000001天气10|13800000001股票10|13800000002股票10|13800000003天气10|"
        "13800000003股票10");
    EXPECT_EQ(Rows("SELECT dgTimeOut FROM mobOrder WHERE corpID=10002"), "2021-01-01 00:00:00");
    EXPECT_THAT(busy, ElementsAre("正在处理: (1/3) 13800000001", "正在处理: (2/3) 13800000002",
                                  "正在处理: (3/3) 13800000003"));
    EXPECT_THAT(ReadFile(dir / "log" / "LOG_10001.LOG"),
                ContainsRegex("订阅开始:3个手机号码\n.*用户资料处理结束"));
    EXPECT_TRUE(recorded.notices().empty());
}

TEST_F(BulkSubscribeTest, ASingleNumberGetsItsPersonalDataAsText) {
    Insert("mobs (corpID,mob,bir)",
           {"10001,'13800000001','1990-05-07 00:00:00'", "10002,'13800000001',NULL"});
    Subscribe({.mobs = {"13800000001"},
               .userName = "NULL",
               .nickName = "王'先生",
               .dgTimeOut = "2027-12-06 00:00:00"});
    EXPECT_EQ(
        Rows("SELECT userName || ' ' || nickName || ' ' || ifnull(bir, 'none') FROM mobs WHERE corpID=10001"),
        "NULL 王'先生 none");
    EXPECT_EQ(Rows("SELECT ifnull(userName, 'none') FROM mobs WHERE corpID=10002"), "none");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobOrder"), "0");

    Subscribe({.mobs = {"13800000005", "13800000006"}, .userName = "王", .bir = "1990-05-07 00:00:00"});
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobs WHERE corpID=10001 AND userName IS NULL AND bir IS NULL"), "2");
}

TEST_F(BulkSubscribeTest, RestsBeforeEveryHundredAndAFailedStatementCostsOnlyItself) {
    BulkSubscribeInput in{.categories = {"天气"}, .dgTimeOut = "2027-12-06 00:00:00"};
    for (int i = 1; i <= 250; ++i) in.mobs.push_back(std::to_string(13800000000 + i));
    FailOn("INSERT ON mobOrder", "NEW.mob='13800000150'");
    Exec(
        "CREATE TRIGGER failMob BEFORE INSERT ON mobs WHEN NEW.mob='13800000160'"
        " BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Subscribe(in);
    EXPECT_THAT(sleptAt, ElementsAre(0, 100, 200));
    ASSERT_EQ(busy.size(), 250u);
    EXPECT_EQ(busy.back(), "正在处理: (250/250) 13800000250");
    EXPECT_EQ(recorded.notices().size(), 2u);
    EXPECT_EQ(Rows("SELECT group_concat(mob) FROM mobs WHERE mob IN ('13800000150','13800000160')") + " " +
                  Rows("SELECT group_concat(mob) FROM mobOrder WHERE mob IN ('13800000150','13800000160')") +
                  " " + Rows("SELECT COUNT(*) FROM mobs") + " " + Rows("SELECT COUNT(*) FROM mobOrder"),
              "13800000150 13800000160 249 249");
}

// An error that ends the transaction (the file locked, the disk gone) loses its chunk whole, is
// reported once, and the next chunks still go.
TEST_F(BulkSubscribeTest, AChunkLostWholeLeavesTheNextChunksGoing) {
    BulkSubscribeInput in{.categories = {"天气"}, .dgTimeOut = "2027-12-06 00:00:00"};
    for (int i = 1; i <= 250; ++i) in.mobs.push_back(std::to_string(13800000000 + i));
    Exec(
        "CREATE TRIGGER lost BEFORE INSERT ON mobOrder WHEN NEW.mob='13800000150'"
        " BEGIN SELECT RAISE(ROLLBACK, 'disk I/O error'); END");
    Subscribe(in);
    EXPECT_EQ(busy.back(), "正在处理: (250/250) 13800000250");
    EXPECT_EQ(recorded.notices().size(), 1u);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobs WHERE mob BETWEEN '13800000101' AND '13800000200'"), "0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobs") + " " + Rows("SELECT COUNT(*) FROM mobOrder") + " " +
                  Rows("SELECT max(mob) FROM mobOrder"),
              "150 150 13800000250");
}

TEST_F(BulkSubscribeTest, NamesFitTenBytesAndSomeNumberIsNeeded) {
    EXPECT_FALSE(CheckPersonalData(recorded, "王王王王王王", ""));
    EXPECT_FALSE(CheckPersonalData(recorded, "王王王王王", "abcdefghijk"));
    EXPECT_TRUE(CheckPersonalData(recorded, "王王王王王", "abcdefghij"));
    EXPECT_FALSE(ConfirmBulkSubscribe(recorded, 0));
    EXPECT_THAT(recorded.notices(), ElementsAre("姓名超过10个字节长,请修改!", "称呼超过10个字节长,请修改!",
                                                "请输入要订阅的手机号码!"));
}

}  // namespace
}  // namespace xunda::test
