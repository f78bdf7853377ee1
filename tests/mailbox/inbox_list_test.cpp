#include "mailbox/inbox_list.h"

#include <gmock/gmock.h>

#include "mailbox/mailbox_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;

class InboxListTest : public MailboxTest {
  protected:
    void Received(const char* corp, const char* moID, const char* mob, int flag, const char* time) {
        Exec(std::string("INSERT INTO mo (corpID, moID, mob, flag, moTime, msg) VALUES (") + corp + "," +
             moID + ",'" + mob + "'," + std::to_string(flag) + ",'" + time + "','hi')");
    }
    std::vector<std::string> Flags() { return Records("SELECT mob||':'||flag FROM mo ORDER BY rowid"); }
    InboxList list{host};
};

TEST_F(InboxListTest, TheFilterPicksHandledUnhandledOrAll) {
    Received("10001", "1", "13800000001", 0, "2026-11-01 00:00:00");
    Received("10001", "2", "13800000002", 1, "2026-11-02 00:00:00");
    Received("20002", "3", "13800000003", 1, "2026-11-03 00:00:00");
    list.Open();
    EXPECT_THAT(Listed(list.grid(), "mob"), ElementsAre("13800000001"));
    EXPECT_TRUE(list.btnRevSearchClick("", MoFilter::Handled));
    EXPECT_THAT(Listed(list.grid(), "mob"), ElementsAre("13800000002"));
    EXPECT_TRUE(list.btnRevSearchClick("", MoFilter::All));
    EXPECT_THAT(Listed(list.grid(), "mob"), ElementsAre("13800000002", "13800000001"));
    EXPECT_TRUE(list.btnRevSearchClick("0001", MoFilter::Unhandled));
    EXPECT_FALSE(list.btnRevSearchClick("'%_", MoFilter::All));
    EXPECT_THAT(host.scripted.notices(), ElementsAre("没有找到相关数据!"));
    EXPECT_EQ(list.Caption(), "收信箱(2)");
}

TEST_F(InboxListTest, ReplyMarksOnlyMessagesWithANumericMoId) {
    Received("10001", "NULL", "13800000001", 0, "2026-11-03 00:00:00");
    Received("10001", "'x1'", "13800000002", 0, "2026-11-02 00:00:00");
    Received("10001", "7", "13800000003", 0, "2026-11-01 00:00:00");
    Received("20002", "7", "13800000004", 0, "2026-11-01 00:00:00");
    list.Open();
    list.btnRevMsgClick(std::nullopt, MoFilter::Unhandled);
    list.btnRevMsgClick(0, MoFilter::Unhandled);
    list.btnRevMsgClick(1, MoFilter::Unhandled);
    EXPECT_THAT(Flags(), ElementsAre("13800000001:0", "13800000002:0", "13800000003:0", "13800000004:0"));
    list.btnRevMsgClick(2, MoFilter::Unhandled);
    EXPECT_THAT(Flags(), ElementsAre("13800000001:0", "13800000002:0", "13800000003:1", "13800000004:0"));
    EXPECT_EQ(list.grid().RowCount(), 2u) << "the unhandled list lists again";
    EXPECT_EQ(host.replies,
              (std::vector<std::vector<std::string>>{{"13800000001"}, {"13800000002"}, {"13800000003"}}));
}

TEST_F(InboxListTest, ReplyToAllTakesEveryListedRowAndMarksThemHandled) {
    Received("10001", "1", "13800000001", 0, "2026-11-03 00:00:00");
    Received("10001", "2", "13800000002", 0, "2026-11-02 00:00:00");
    Received("10001", "3", "13800000001", 0, "2026-11-01 00:00:00");
    Received("10001", "4", "13800000009", 1, "2026-11-01 00:00:00");
    list.btnRevAllClick(MoFilter::Unhandled);  // nothing listed yet
    EXPECT_TRUE(host.replies.empty());
    list.Open();
    list.btnRevAllClick(MoFilter::Unhandled);
    EXPECT_EQ(host.replies,
              (std::vector<std::vector<std::string>>{{"13800000001", "13800000002", "13800000001"}}));
    EXPECT_THAT(Flags(), ElementsAre("13800000001:1", "13800000002:1", "13800000001:1", "13800000009:1"));
    EXPECT_THAT(host.busy, ElementsAre("正在处理中,请稍候...", "closed"));
    EXPECT_EQ(list.grid().RowCount(), 0u);
}

TEST_F(InboxListTest, DeletingOneMessageAsksAndTakesItOutOfTheList) {
    Received("10001", "1", "13800000001", 0, "2026-11-02 00:00:00");
    Received("10001", "2", "13800000002", 0, "2026-11-01 00:00:00");
    list.Open();
    host.scripted.answers = {false, true};
    list.btnRevDelSingleClick(0);
    list.btnRevDelSingleClick(0);
    list.btnRevDelSingleClick(std::nullopt);
    EXPECT_THAT(host.scripted.confirms(),
                ElementsAre(" 将删除一条收信箱短信记录!要继续吗?", " 将删除一条收信箱短信记录!要继续吗?"));
    EXPECT_THAT(Flags(), ElementsAre("13800000002:0"));
    EXPECT_THAT(Listed(list.grid(), "mob"), ElementsAre("13800000002"));
}

}  // namespace
}  // namespace xunda::test
