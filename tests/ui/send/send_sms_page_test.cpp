#include "ui/send/send_sms_page.h"

#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

class SendSmsPageTest : public LoggedInTest {
  protected:
    void SetUp() override {
        LoggedInTest::SetUp();
        ASSERT_NE(page = Open<SendSmsPage>("短信发送", "sendSmsPage"), nullptr);
    }
    void Click(const char* button) { ShellTest::Click(page, button); }
    // The outbox rows as "mob level msg", in queue order, joined by "|".
    std::string Outbox() {
        return Rows("SELECT mob||' '||mtLevel||' '||msg FROM mt WHERE flag=0 ORDER BY id");
    }

    SendSmsPage* page = nullptr;
};

TEST_F(SendSmsPageTest, QueuesTheTypedMessageForTheTypedNumbersAndShowsTheOutbox) {
    QTest::keyClicks(page->sMsg(), "Hello  there");
    EXPECT_EQ(page->sMsgGroup()->title(), QStringLiteral("短信内容(纯英文11字)"));
    QTest::keyClicks(page->sMobs(), "13912345678, 0755-12345678; 13812345678");
    QTest::keyClicks(page->edLinkID(), "7");
    Click("btnSendSms");
    EXPECT_EQ(Outbox(), "075512345678 1 Hello there|13812345678 1 Hello there|13912345678 1 Hello there");
    EXPECT_EQ(page->sMobs()->toPlainText(), QStringLiteral("075512345678\n13812345678\n13912345678\n"));
    EXPECT_EQ(page->sendSmsGroup()->title(), QStringLiteral("手机号码行数(3)"));
    EXPECT_EQ(page->edLinkID()->itemText(0), QStringLiteral("7"));
    EXPECT_EQ(prompts.Boxes(),
              std::vector<std::string>{"警告: 短信将进入发送队列并立即开始发送!你要继续吗?"});
    EXPECT_EQ(Shown(), QStringLiteral("sendBoxPage"));
    EXPECT_EQ(main->busy().Depth(), 0);
    EXPECT_TRUE(main->busy().Text().startsWith(QStringLiteral("放入发送队列:(")));

    // Also when every insert failed: the store's boxes, then the outbox.
    main->SelectTreeNodeByText(QStringLiteral("短信发送"));
    Exec("DROP TABLE mt");
    Click("btnSendSms");
    EXPECT_GT(prompts.Boxes().size(), 2u);
    EXPECT_EQ(Shown(), QStringLiteral("sendBoxPage"));
    EXPECT_EQ(main->busy().Depth(), 0);
}

TEST_F(SendSmsPageTest, BroadcastMarkIsTakenAtConfirmation) {
    page->SetTickedCategoriesSource([] { return std::vector<std::string>{"天气"}; });
    main->subscriptionSendFlag = true;
    page->sMsg()->setPlainText(QStringLiteral("[称呼]明天有雨"));
    page->sMobs()->setPlainText(QStringLiteral("13812345678"));
    Click("btnSendSms");
    EXPECT_FALSE(main->subscriptionSendFlag.load());
    EXPECT_EQ(main->db().pAdoQuery("SELECT msgType FROM histMsgType").AsString("msgType"), "天气");
    EXPECT_EQ(Outbox(), "13812345678 1 明天有雨");
}

TEST_F(SendSmsPageTest, PlaceholderGoesInAtTheCursor) {
    page->sMsg()->setPlainText(QStringLiteral("您好"));
    page->sMsg()->moveCursor(QTextCursor::Start);
    page->smsInsert()->setCurrentIndex(1);
    Click("btnSmsInsert");
    EXPECT_EQ(page->sMsg()->toPlainText(), QStringLiteral("[姓名]您好"));
    EXPECT_EQ(page->sMsgGroup()->title(), QStringLiteral("短信内容(含中文6字)"));
}

TEST_F(SendSmsPageTest, CtrlVTidiesAndImportReadsAFilesNumbers) {
    page->sMobs()->setPlainText(QStringLiteral("13912345678 x 13812345678\n13912345678"));
    QTest::keyRelease(page->sMobs(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(main->workers().WaitAll(std::chrono::seconds(10)));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return page->sMobs()->toPlainText() == QStringLiteral("13812345678\n13912345678\n"); }));

    WriteFile(home / "list.csv", "name,mobile\r\nA,13700000000\r\nB,13600000000\r\n");
    prompts.file = (home / "list.csv").string();
    Click("BitBtn11");
    EXPECT_EQ(page->sMobs()->toPlainText(), QStringLiteral("13600000000\n13700000000\n"));
    prompts.file = (home / "missing.txt").string();
    Click("BitBtn11");
    EXPECT_EQ(page->sMobs()->toPlainText(), QStringLiteral("13600000000\n13700000000\n"));
    EXPECT_EQ(main->busy().Depth(), 0);
}

}  // namespace
}  // namespace xunda::test
