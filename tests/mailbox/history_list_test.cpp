#include "mailbox/history_list.h"

#include <gmock/gmock.h>

#include "mailbox/mailbox_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class HistoryListTest : public MailboxTest {
  protected:
    void Sent(const char* corp, const char* mob, const char* time) {
        Exec(std::string("INSERT INTO mt_bak (corpID, mob, mtTime, msg, mstatus) VALUES (") + corp + ",'" +
             mob + "','" + time + "','hi','0')");
    }
    HistoryList list{host};
};

TEST_F(HistoryListTest, SearchesListOnlyThisAccount) {
    Sent("10001", "13800000001", "2026-11-02 00:00:00");
    Sent("10001", "13900000002", "2026-11-01 00:00:00");
    Sent("20002", "13800000003", "2026-10-01 00:00:00");

    EXPECT_TRUE(list.btnhistSearchClick(""));
    EXPECT_THAT(Listed(list.grid(), "mob"), ElementsAre("13900000002", "13800000001"));
    EXPECT_THAT(host.busy, ElementsAre("正在查找历史短信,请稍候...", "closed"));
    EXPECT_TRUE(list.btnhistSearchClick("1380"));
    EXPECT_THAT(Listed(list.grid(), "mob"), ElementsAre("13800000001"));
    list.Open();
    EXPECT_THAT(Listed(list.grid(), "mob"), ElementsAre("13800000001", "13900000002"));
    EXPECT_EQ(list.Caption(), "历史短信(2)");

    for (const char* odd : {"'", "50%", "_x", "a'b%_c"}) EXPECT_FALSE(list.btnhistSearchClick(odd)) << odd;
    EXPECT_THAT(host.scripted.notices(), ElementsAre("没有找到相关数据!", "没有找到相关数据!",
                                                     "没有找到相关数据!", "没有找到相关数据!"));
}

TEST_F(HistoryListTest, ClearingAsksTwiceAndExportsExactlyWhatItDeletes) {
    host.file = (dir / "saved.csv").string();
    Sent("10001", "13800000001", "2026-11-02 00:00:00");
    Sent("20002", "13800000002", "2026-11-02 00:00:00");
    const std::string rows = "SELECT mob FROM mt_bak ORDER BY rowid";

    host.scripted.answers = {false};
    list.btnHistDropClick();
    EXPECT_EQ(host.saves, 0);
    host.scripted.answers = {true, false};
    list.btnHistDropClick();
    EXPECT_EQ(host.saves, 1);
    EXPECT_THAT(Records(rows), ElementsAre("13800000001", "13800000002"));

    std::filesystem::remove(*host.file);
    host.scripted.atQuestion = [&](std::size_t n) {
        if (n == 5) Sent("10001", "13800000009", "2026-11-03 00:00:00");  // a send run ends meanwhile
    };
    list.btnHistDropClick();
    EXPECT_THAT(Records(rows), ElementsAre("13800000002", "13800000009"));
    const std::string csv = ReadFile(*host.file);
    EXPECT_THAT(csv, HasSubstr("\"13800000001\""));
    EXPECT_EQ(csv.find("13800000009"), std::string::npos);
    EXPECT_EQ(list.grid().RowCount(), 0u);
    EXPECT_THAT(host.busy, ElementsAre("正在删除历史短信,请稍候...", "closed"));

    Exec("DELETE FROM mt_bak WHERE corpID=10001");
    list.btnHistDropClick();
    EXPECT_EQ(host.scripted.notices().back(), "没有相应记录!");
    EXPECT_EQ(host.saves, 2);
}

TEST_F(HistoryListTest, ClearingBeforeTheMonthOnItsFirstDayKeepsToday) {
    Sent("10001", "today", "2026-12-01 08:00:00");
    Sent("10001", "lastMonth", "2026-11-30 23:59:59");
    Sent("10001", "lastYear", "2025-12-15 00:00:00");
    Sent("20002", "otherAccount", "2025-01-01 00:00:00");
    int searched = 0;
    list.btnHistDelClick([&] { ++searched; });
    EXPECT_THAT(Records("SELECT mob FROM mt_bak ORDER BY rowid"), ElementsAre("today", "otherAccount"));
    EXPECT_EQ(searched, 1);
    EXPECT_THAT(host.scripted.confirms(),
                ElementsAre("将保存并删除一个月前所有的的历史短信记录!要继续吗?",
                            "将删除一个月前所有的的历史短信记录!请再次确认要继续吗?"));
}

}  // namespace
}  // namespace xunda::test
