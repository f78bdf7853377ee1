#include "store/database.h"
#include "store/row_pager.h"
#include "ui/mailbox/history_page.h"
#include "ui/mailbox/inbox_page.h"
#include "ui/mailbox/outbox_page.h"
#include "ui/send/send_sms_page.h"
#include "ui/shell/msg_form.h"
#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

using MailboxPagesTest = LoggedInTest;

TEST_F(MailboxPagesTest, OutboxDeletesTheCurrentRowOnYesAndEmptiesWhenTheDatabaseReopens) {
    for (const char* mob : {"13800000001", "13800000002", "13800000003"})
        Exec(std::string("INSERT INTO mt (corpID, mob, flag) VALUES (10001, '") + mob + "', 0)");
    auto* page = Open<OutboxPage>("发信箱", "sendBoxPage");
    EXPECT_EQ(page->Group()->title(), QStringLiteral("发信箱(3)"));
    page->Grid()->setCurrentIndex(page->Grid()->model()->index(1, 0));
    Click(page, "BitBtn28");
    EXPECT_THAT(prompts.Last(),
                ::testing::EndsWith(": 13800000002 的发信箱中的短信删除后将不会被发送!你要继续吗?"));
    EXPECT_EQ(page->Group()->title(), QStringLiteral("发信箱(2)"));
    EXPECT_EQ(page->Grid()->model()->rowCount(), 2);

    ASSERT_TRUE(main->ReopenDatabase());
    EXPECT_EQ(page->Grid()->model()->rowCount(), 0);
    EXPECT_EQ(page->Group()->title(), QStringLiteral("发信箱"));
}

TEST_F(MailboxPagesTest, HistorySearchesANumberAndExportsToTheChosenFile) {
    Exec(
        "INSERT INTO mt_bak (corpID, mob, mtTime, msg) VALUES (10001, '13800000001', '2026-11-01 10:00:00', "
        "'a,\"b'), (10001, '13900000002', '2026-11-02 10:00:00', 'c')");
    auto* page = Open<HistoryPage>("历史短信查看", "histSendPage");
    EXPECT_EQ(page->Grid()->model()->rowCount(), 2);
    page->histSearch()->setCurrentText(QStringLiteral(" 1380 "));
    Click(page, "btnhistSearch");
    EXPECT_EQ(page->Grid()->model()->rowCount(), 1);
    EXPECT_EQ(page->histSearch()->itemText(0), QStringLiteral("1380"));

    const std::string file = (home / "history.csv").string();
    prompts.file = file;
    Click(page, "btnHistExport");
    EXPECT_EQ(ReadFile(file),
              "\xEF\xBB\xBF\"手机号码\",\"状态报告\",\"消息时间\",\"消息内容\",\"消息编号\",\"长号码\","
              "\"通道\",\"优先级\",\"处理标识\"\r\n"
              "\"13800000001\",\"\",\"2026-11-01 10:00:00\",\"a,\"\"b\",\"\",\"\",\"\",\"\",\"\"\r\n");
    EXPECT_EQ(desktop.opened, std::vector<std::string>{file});
}

TEST_F(MailboxPagesTest, HistoryListsOneBlockFirstAndTheRestWhenScrolledToTheEnd) {
    Exec(
        "INSERT INTO mt_bak (corpID, mob, mtTime) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM "
        "n WHERE i<300) SELECT 10001, 13800000000+i, '2026-11-01 10:00:00' FROM n");
    auto* page = Open<HistoryPage>("历史短信查看", "histSendPage");
    EXPECT_EQ(page->Group()->title(), QStringLiteral("历史短信(300)"));
    EXPECT_EQ(page->Grid()->model()->rowCount(), static_cast<int>(RowPager::kBlockRows));
    main->show();
    page->Grid()->scrollToBottom();
    EXPECT_TRUE(QTest::qWaitFor([&] { return page->Grid()->model()->rowCount() == 300; }));
}

// Another program holds the database while the history is cleared: the deletion waits behind the
// busy window, which says what it does, and the window goes on with its events meanwhile.
TEST_F(MailboxPagesTest, ClearingWaitsBehindTheBusyWindowWhileTheWindowGoesOn) {
    Exec("INSERT INTO mt_bak (corpID, mob, mtTime) VALUES (10001, '13800000001', '2026-11-01 10:00:00')");
    auto* page = Open<HistoryPage>("历史短信查看", "histSendPage");
    prompts.file = (home / "cleared.csv").string();
    LockedUntilBusy locked(*main, "正在删除历史短信,请稍候...");
    Click(page, "btnHistDrop");
    EXPECT_TRUE(locked.Released());
    EXPECT_EQ(main->db().pAdoQuery("SELECT COUNT(*) AS n FROM mt_bak").AsInt("n"), 0);
    EXPECT_FALSE(main->busy().isVisible());
}

// The same for the outbox's changes of all rows of a kind.
TEST_F(MailboxPagesTest, OutboxChangesOfAllRowsRunBehindTheBusyWindowWhileTheWindowGoesOn) {
    const struct {
        const char* button;
        const char* left;  // "mob flag" after it
    } cases[] = {
        {"BitBtn21", "13800000001 0|13800000002 0"},  // 重发异常
        {"BitBtn1", "13800000001 0"},                 // 删除异常
        {"BitBtn20", "13800000002 17"},               // 删除待发短信
    };
    auto* page = Open<OutboxPage>("发信箱", "sendBoxPage");
    for (const auto& c : cases) {
        Exec("DELETE FROM mt");
        Exec(
            "INSERT INTO mt (corpID, mob, flag) VALUES (10001, '13800000001', 0), (10001, '13800000002', "
            "17)");
        LockedUntilBusy locked(*main, "正在处理中,请稍候...");
        Click(page, c.button);
        EXPECT_TRUE(locked.Released()) << c.button;
        EXPECT_EQ(Rows("SELECT mob||' '||flag FROM mt ORDER BY id"), c.left) << c.button;
        EXPECT_EQ(prompts.Last(), "提示: 处理完成!") << c.button;
        EXPECT_EQ(main->busy().Depth(), 0) << c.button;
    }
}

TEST_F(MailboxPagesTest, InboxReplyPutsTheSenderOnTheSendPageAndMarksTheMessage) {
    Exec(
        "INSERT INTO mo (corpID, moID, mob, moTime, flag) VALUES (10001, 41, '13800000001', '2026-11-01 "
        "10:00:00', 0)");
    auto* page = Open<InboxPage>("收信箱", "revBox");
    ASSERT_EQ(page->Grid()->model()->rowCount(), 1);
    Click(page, "btnRevMsg");
    auto* send = qobject_cast<SendSmsPage*>(main->FindPage(QStringLiteral("sendSmsPage")));
    EXPECT_EQ(main->PageArea()->currentWidget(), send);
    EXPECT_EQ(send->sMobs()->toPlainText(), QStringLiteral("13800000001\n"));
    EXPECT_EQ(main->db().pAdoQuery("SELECT flag FROM mo").AsString("flag"), "1");
    EXPECT_EQ(page->Grid()->model()->rowCount(), 0);
}

TEST_F(MailboxPagesTest, ReplyToAllReadsAndMarksTheListOnAWorkerBehindTheBusyWindow) {
    Exec(
        "INSERT INTO mo (corpID, moID, mob, moTime, flag) VALUES (10001, 1, '13800000001', '2026-11-03', 0), "
        "(10001, 2, '13800000002', '2026-11-02', 0), (10001, NULL, '13800000001', '2026-11-01', 0), "
        "(20002, 3, '13800000009', '2026-11-01', 0)");
    auto* page = Open<InboxPage>("收信箱", "revBox");
    ASSERT_EQ(page->Grid()->model()->rowCount(), 3);
    {
        LockedUntilBusy locked(*main, "正在处理中,请稍候...");
        Click(page, "btnRevAll");
        EXPECT_TRUE(locked.Released());
    }
    auto* send = qobject_cast<SendSmsPage*>(main->FindPage(QStringLiteral("sendSmsPage")));
    EXPECT_EQ(main->PageArea()->currentWidget(), send);
    EXPECT_EQ(send->sMobs()->toPlainText(), QStringLiteral("13800000001\n13800000002\n13800000001\n"));
    EXPECT_EQ(Rows("SELECT ifnull(moID, '-') || ':' || flag FROM mo ORDER BY rowid"), "1:1|2:1|-:0|3:0");
    EXPECT_EQ(page->Grid()->model()->rowCount(), 1);  // the message without a number stays unhandled
    EXPECT_EQ(main->busy().Depth(), 0);
}

}  // namespace
}  // namespace xunda::test
