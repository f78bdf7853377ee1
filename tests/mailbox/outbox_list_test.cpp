#include "mailbox/outbox_list.h"

#include <gmock/gmock.h>

#include "mailbox/mailbox_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class OutboxListTest : public MailboxTest {
  protected:
    // A queued row of an account.
    void Queue(const char* corp, const char* mob, int flag, const char* time) {
        Exec(std::string("INSERT INTO mt (corpID, mob, flag, mtTime) VALUES (") + corp + ",'" + mob + "'," +
             std::to_string(flag) + ",'" + time + "')");
    }
    OutboxList list{host};
};

TEST_F(OutboxListTest, ListingsKeepTheirSizeAndOrderAndTheCaptionCountsThisAccountOnly) {
    Exec(
        "INSERT INTO mt (corpID, mob, flag, mtTime) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
        "SELECT i+1 FROM n WHERE i<350) SELECT 10001, 'a'||i, (i/30)%3, "
        "printf('2026-11-%02d 10:00:00', 30-i%30) FROM n");
    Queue("20002", "other", 0, "2026-01-01 00:00:00");
    Queue("9999", "other", 0, "2026-01-01 00:00:00");
    Queue("NULL", "nobody", 0, "2026-01-01 00:00:00");

    auto listed = [this] {  // every row, as a grid scrolled to the end reads them
        list.grid().ReadRest();
        return list.grid().RowCount();
    };
    list.btnRefSendboxClick();
    EXPECT_EQ(listed(), 300u);
    EXPECT_EQ(list.Caption(), "发信箱(350)");
    std::vector<std::string> keys;
    for (std::size_t r = 0; r < 300; ++r)
        keys.push_back(*list.grid().Field(r, "mtTime") + " " + *list.grid().Field(r, "flag"));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(keys.front(), "2026-11-01 10:00:00 0");

    list.Open();
    EXPECT_EQ(listed(), 350u);
    EXPECT_EQ(list.grid().Field(349, "mob"), "a350");
    list.ListAfterRun();
    EXPECT_EQ(listed(), 50u);
    EXPECT_EQ(list.grid().Field(49, "mob"), "a50");
    list.BitBtn19Click();  // failed rows: flag 2 only, by flag
    EXPECT_EQ(std::to_string(listed()), Records("SELECT COUNT(*) FROM mt WHERE flag=2").at(0));
    EXPECT_EQ(list.grid().Field(0, "flag"), "2");
}

TEST_F(OutboxListTest, EachBulkChangeTouchesOnlyItsRowsOfThisAccount) {
    struct Case {
        void (OutboxList::*click)();
        std::string question;
        std::vector<std::string> left;  // "corp mob flag" after Yes
    };
    const std::string deleted = "发信箱中的短信删除后将不会被发送!你要继续吗?";
    const Case cases[] = {
        Case(&OutboxList::BitBtn20Click, deleted,
             {"10001 accepted 1", "10001 failed -2", "20002 queued 0", "20002 failed 17"}),
        Case(&OutboxList::BitBtn1Click, deleted,
             {"10001 queued 0", "10001 accepted 1", "20002 queued 0", "20002 failed 17"}),
        Case(&OutboxList::BitBtn21Click, "发信箱中的所有发送失败的短信都将重新发送!你要继续吗?",
             {"10001 queued 0", "10001 accepted 1", "10001 failed 0", "20002 queued 0", "20002 failed 17"}),
    };
    const std::string rows = "SELECT corpID||' '||mob||' '||flag FROM mt ORDER BY id";
    for (const Case& c : cases) {
        Exec("DELETE FROM mt");
        Exec(
            "INSERT INTO mt (corpID, mob, flag) VALUES (10001, 'queued', 0), (10001, 'accepted', 1), "
            "(10001, 'failed', -2), (20002, 'queued', 0), (20002, 'failed', 17)");
        const std::vector<std::string> before = Records(rows);
        host.scripted.answers = {false};
        (list.*c.click)();
        EXPECT_EQ(Records(rows), before) << c.question;
        (list.*c.click)();
        EXPECT_EQ(Records(rows), c.left) << c.question;
        EXPECT_EQ(host.scripted.confirms().back(), c.question);
        EXPECT_EQ(list.grid().RowCount(), c.left.size() - 2) << "refreshed";
    }
    EXPECT_THAT(host.scripted.notices(), ElementsAre("处理完成!", "处理完成!", "处理完成!"));
}

TEST_F(OutboxListTest, DeleteAsksForTheCurrentRowOnlyAndActsOnYes) {
    list.BitBtn28Click(std::nullopt);
    list.btnRefSendboxClick();
    list.BitBtn28Click(0);  // an empty list has no row 0
    EXPECT_TRUE(host.scripted.confirms().empty());

    Queue("10001", "13800000001", 0, "2026-11-01 00:00:00");
    Queue("10001", "13800000002", 0, "2026-11-02 00:00:00");
    list.btnRefSendboxClick();
    host.scripted.answers = {false, true};
    list.BitBtn28Click(1);
    EXPECT_EQ(list.grid().RowCount(), 2u);
    list.BitBtn28Click(1);
    EXPECT_THAT(host.scripted.confirms(),
                ElementsAre("13800000002 的发信箱中的短信删除后将不会被发送!你要继续吗?",
                            "13800000002 的发信箱中的短信删除后将不会被发送!你要继续吗?"));
    EXPECT_THAT(Records("SELECT mob FROM mt"), ElementsAre("13800000001"));
    EXPECT_THAT(Listed(list.grid(), "mob"), ElementsAre("13800000001"));
}

// A delete the database refuses deletes nothing, and no box tells of rows kept back for a request.
TEST_F(OutboxListTest, ADeleteThatFailedTellsOfNoRowKeptForARequest) {
    Queue("10001", "sending", 0, "2026-11-01 00:00:00");
    Queue("10001", "queued", 0, "2026-11-02 00:00:00");
    Exec("INSERT INTO mt_sending SELECT id FROM mt WHERE mob='sending'");
    Exec("CREATE TRIGGER refused BEFORE DELETE ON mt BEGIN SELECT RAISE(ABORT, 'refused'); END");
    list.BitBtn20Click();
    EXPECT_THAT(Records("SELECT mob FROM mt"), ElementsAre("sending", "queued"));
    for (const std::string& text : host.scripted.notices()) EXPECT_THAT(text, Not(HasSubstr("正在发送中")));
}

// Rows the send engine has out in a request keep their record, whichever delete is pressed, and
// a box says how many stayed and why.
TEST_F(OutboxListTest, DeletesLeaveTheRowsOutInARequestAndSaySo) {
    Queue("10001", "sending", 0, "2026-11-01 00:00:00");
    Queue("10001", "queued", 0, "2026-11-02 00:00:00");
    Queue("10001", "also sending", 0, "2026-11-03 00:00:00");
    Exec("INSERT INTO mt_sending SELECT id FROM mt WHERE mob LIKE '%sending'");
    list.btnRefSendboxClick();
    list.BitBtn28Click(0);
    EXPECT_THAT(Records("SELECT mob FROM mt"), ElementsAre("sending", "queued", "also sending"));
    list.BitBtn28Click(1);  // a row not out is deleted without more words
    list.BitBtn20Click();
    EXPECT_THAT(Records("SELECT mob FROM mt"), ElementsAre("sending", "also sending"));
    EXPECT_THAT(host.scripted.notices(),
                ElementsAre("1条短信正在发送中(等待服务的发送结果),没有删除!",
                            "处理完成!\n2条短信正在发送中(等待服务的发送结果),没有删除!"));
    EXPECT_THAT(host.busy, ElementsAre("正在处理中,请稍候...", "closed"));
}

}  // namespace
}  // namespace xunda::test
