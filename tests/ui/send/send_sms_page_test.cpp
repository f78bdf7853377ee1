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

TEST_F(SendSmsPageTest, NumbersAreTidiedOnAWorkerBeforeTheFirstQuestion) {
    QString mobs;
    for (int i = 0; i < 50000; ++i) mobs += QStringLiteral("1391%1 x\n").arg(i, 7, 10, QChar(u'0'));
    page->sMobs()->setPlainText(mobs);
    page->sMsg()->setPlainText(QStringLiteral("明天有雨"));
    prompts.answer = false;
    WhileBusy tidying(*main, "处理手机号码,请稍候...");
    Click("btnSendSms");
    EXPECT_TRUE(tidying.Seen());
    EXPECT_EQ(prompts.Boxes(),
              std::vector<std::string>{"警告: 大量群发前建议你清空历史短信记录!你决定仍然要继续吗?"});
    EXPECT_EQ(page->sMobs()->document()->blockCount(), 50001);  // tidied, whatever the answer
    EXPECT_EQ(page->sMobs()->document()->firstBlock().text(), QStringLiteral("13910000000"));
    EXPECT_EQ(Outbox(), "");
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(SendSmsPageTest, ANulInTheMessageIsDropped) {
    page->sMsg()->setPlainText(QStringLiteral("明天") + QChar(u'\0') + QStringLiteral("有雨"));
    page->sMobs()->setPlainText(QStringLiteral("13812345678"));
    Click("btnSendSms");
    EXPECT_EQ(Rows("SELECT hex(msg) FROM mt"),
              QStringLiteral("明天有雨").toUtf8().toHex().toUpper().toStdString());
}

TEST_F(SendSmsPageTest, TheFavouritesAreListedInOneStep) {
    page->DatabaseReopened();
    Exec("INSERT INTO okMsg (corpID, msg) VALUES (10001, 'a'), (10001, 'b'), (10001, 'c')");
    QSignalSpy inserted(page->findChild<QListWidget*>(QStringLiteral("okMsgList"))->model(),
                        &QAbstractItemModel::rowsInserted);
    Open<Page>("发信箱", "sendBoxPage");
    Open<SendSmsPage>("短信发送", "sendSmsPage");
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(page->findChild<QListWidget*>(QStringLiteral("okMsgList"))->item(0)->text(),
              QStringLiteral("c"));
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
    // Each fill replaces the memo's document; the ones it showed before are gone.
    EXPECT_EQ(page->sMobs()->findChildren<QTextDocument*>().size(), 1);
}

}  // namespace
}  // namespace xunda::test
