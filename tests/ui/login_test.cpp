#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

#include "ui/about_page.h"
#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

using LoginTest = ShellTest;

TEST_F(LoginTest, SuccessSetsTheContextLogsGreetsAndStartsSending) {
    main->subscriptionSendFlag = true;
    ASSERT_TRUE(Login(QStringLiteral("  demo "), QStringLiteral("pass word")));
    const AccountContext& account = main->Account();
    EXPECT_EQ(account.corpID, "10001");
    EXPECT_EQ(account.g, "g1");
    EXPECT_EQ(account.p, "p1");
    EXPECT_EQ(account.loginName, "demo");
    EXPECT_EQ(account.password, "pass word");
    EXPECT_FALSE(main->Paused());
    EXPECT_FALSE(main->subscriptionSendFlag.load());  // the broadcast mark is cleared
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Start 10001"}));
    EXPECT_TRUE(main->Tree()->isEnabled());
    EXPECT_TRUE(main->findChild<QAction*>("btnSmsSendPause")->isEnabled());
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(web->urls.back(), "http://" + ServiceHost() + "/corp/client/?v=msg&a=welcome&c=10001&g=g1&p=p1");

    const std::string log = LogText();
    EXPECT_NE(log.find(std::string(56, '-') + "\n"), std::string::npos);
    EXPECT_NE(log.find("   登录成功(10001)"), std::string::npos);
    EXPECT_EQ(log.find("pass word"), std::string::npos);
    EXPECT_TRUE(main->PanelText(0).startsWith(QStringLiteral("  demo 你好! 今天是")));
    EXPECT_TRUE(main->PanelText(0).contains(QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日, "))));
    Settle();
    EXPECT_EQ(main->PanelText(4), QStringLiteral("登录成功(10001)"));
}

TEST_F(LoginTest, QueryQuotesTheTrimmedUserAndThePasswordAsTyped) {
    ASSERT_TRUE(Login(QStringLiteral(" o'neil "), QStringLiteral(" it's ")));
    ASSERT_EQ(query.urls.size(), 1u);
    EXPECT_EQ(query.urls[0], "http://" + ServiceHost() + "/data/?sql=getData+'G','o''neil',' it''s '");
}

TEST_F(LoginTest, FailuresShowTheirTextsAndKeepTheDialogOpen) {
    struct Case {
        int result;
        FakeGateway::Rows reply;
        bool throws = false;
    };
    const Case cases[] = {
        {300, {{{"c", "10001"}, {"g", "g1"}, {"p", "p1"}}}},   // service or transport failure
        {0, {{{"c", "10001"}, {"g", "g1"}, {"p", ""}}}},       // no p
        {0, {{{"c", "1 OR 1=1"}, {"g", "g1"}, {"p", "p1"}}}},  // c that is not a number
        {0, {}},                                               // no row
        {0, {{{"c", "10001"}, {"g", "g1"}, {"p", "p1"}}}, true},  // a reply that is not XML
    };
    for (const Case& c : cases) {
        query.result = c.result;
        query.reply = c.reply;
        query.throws = c.throws;
        EXPECT_FALSE(Login());
        EXPECT_EQ(prompts.Texts().back(), "登录失败,请检查用户名和密码!");
        EXPECT_EQ(prompts.Captions().back(), "提示");
        EXPECT_TRUE(login->isVisible());
        EXPECT_TRUE(login->OkButton()->isEnabled());
        EXPECT_FALSE(main->Tree()->isEnabled());
    }
    EXPECT_EQ(engine.calls.size(), 0u);
}

TEST_F(LoginTest, OfflineAsksForTheNetworkWithoutAQuery) {
    online.online = false;
    EXPECT_FALSE(Login());
    EXPECT_EQ(prompts.Texts().back(), "网络中断,请检查你的网络状况!");
    EXPECT_EQ(prompts.Captions().back(), "警告");
    EXPECT_TRUE(query.urls.empty());
}

TEST_F(LoginTest, AutoLoginUsesTheStoredCredentialsShortlyAfterShowing) {
    pWriteSysValue(main->db(), "", "autoStart", "1");
    pWriteSysValue(main->db(), "", "userName", "demo");
    pWriteSysValue(main->db(), "", "userPwd", "secret");
    login->show();
    EXPECT_EQ(login->UserEdit()->text(), QStringLiteral("demo"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->Account().LoggedIn(); }, 5000));
    EXPECT_EQ(main->Account().password, "secret");
    EXPECT_TRUE(main->About().autoStartCheck()->isChecked());
}

TEST_F(LoginTest, AutoMiniHidesAfterLoginOrMinimisesWithoutATray) {
    for (bool tray : {true, false}) {
        trayAvailable = tray;
        ASSERT_TRUE(Create());
        main->db().pAdoCom("INSERT INTO sysConfig (corpID, sysConfigName, sysValue) VALUES (10001, 'autoMini', '1')");
        ASSERT_TRUE(Login());
        EXPECT_TRUE(main->About().autoMiniCheck()->isChecked());
        if (tray) {
            EXPECT_FALSE(main->isVisible());
        } else {
            EXPECT_TRUE(main->isVisible());
            EXPECT_TRUE(main->isMinimized());
        }
    }
}

TEST_F(LoginTest, ChangeOfAccountClearsTheKeysAndTheContextBeforeTheNextLogin) {
    pWriteSysValue(main->db(), "", "autoStart", "1");
    pWriteSysValue(main->db(), "", "userName", "demo");
    pWriteSysValue(main->db(), "", "userPwd", "demo");
    login->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->Account().LoggedIn(); }, 5000));
    ASSERT_TRUE(login->autoLoginActive());
    ASSERT_TRUE(std::filesystem::exists(XdgAutostart::EntryFile()));

    AccountContext seen;
    std::string autoStart = "?";
    std::string userName = "?";
    bool markDuringChange = true;
    main->subscriptionSendFlag = true;
    query.reply = {{{"c", "20002"}, {"g", "g2"}, {"p", "p2"}}};
    QTimer::singleShot(50, [&] {
        seen = main->Account();
        autoStart = Setting("autoStart");
        userName = Setting("userName");
        markDuringChange = main->subscriptionSendFlag.load();
        main->subscriptionSendFlag = true;  // ticked again: the next login clears it too
        EXPECT_TRUE(login->UserEdit()->text().isEmpty());
        EXPECT_FALSE(main->Tree()->isEnabled());
        login->UserEdit()->setText(QStringLiteral("other"));
        login->PasswordEdit()->setText(QStringLiteral("pw"));
        login->OkButton()->click();
    });
    main->changeUserClick();
    EXPECT_EQ(prompts.Texts().front(), "更改登录帐户将清除原用户设置的自动登录选项,你要继续吗?");
    EXPECT_FALSE(seen.LoggedIn());
    EXPECT_EQ(autoStart, "0");
    EXPECT_EQ(userName, "");
    EXPECT_FALSE(markDuringChange);
    EXPECT_FALSE(main->subscriptionSendFlag.load());
    EXPECT_EQ(main->Account().corpID, "20002");
    EXPECT_TRUE(main->Tree()->isEnabled());
    EXPECT_FALSE(main->About().autoStartCheck()->isChecked());
    EXPECT_FALSE(std::filesystem::exists(XdgAutostart::EntryFile()));
    EXPECT_NE(ReadFile(LogDir() / "LOG_10001.LOG").find("暂停短信处理"), std::string::npos);
}

TEST_F(LoginTest, CancellingTheLoginAfterAChangeOfAccountEndsTheProgram) {
    ASSERT_TRUE(Login());
    int ended = 0;
    QObject::connect(main.get(), &MainWindow::Ended, [&] { ++ended; });
    QTimer::singleShot(50, [&] { login->findChild<QPushButton*>("CancelBtn")->click(); });
    main->changeUserClick();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(main->Account().LoggedIn());
    EXPECT_TRUE(prompts.Texts().empty());  // no auto-login was stored: no question
}

TEST_F(LoginTest, SignUpLinkOpensTheDefaultBrowser) {
    login->show();
    emit login->findChild<QLabel*>("Label3")->linkActivated(QStringLiteral("apply"));
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], "http://" + ServiceHost() + "/index/apply.asp");
}

}  // namespace
}  // namespace xunda::test

namespace xunda::test {
namespace {
TEST_F(LoginTest, CancelDuringASlowLoginEndsTheProgramAtOnce) {
    query.delay = std::chrono::seconds(10);
    EXPECT_EXIT(
        {
            QTimer::singleShot(100, [this] { login->findChild<QPushButton*>("CancelBtn")->click(); });
            Login();
        },
        testing::ExitedWithCode(0), "");
}
}  // namespace
}  // namespace xunda::test
