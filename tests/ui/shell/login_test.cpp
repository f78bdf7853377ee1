#include <unistd.h>

#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

using LoginTest = ShellTest;

TEST_F(LoginTest, SuccessSetsTheContextLogsGreetsAndStartsSending) {
    main->subscriptionSendFlag = true;
    ASSERT_TRUE(Login(QStringLiteral(" o'neil "), QStringLiteral(" it's ")));
    EXPECT_EQ(query.urls, std::vector<std::string>{"http://" + ServiceHost() +
                                                   "/data/?sql=getData+'G','o''neil',' it''s '"});
    const AccountContext& a = main->Account();
    EXPECT_EQ(a.corpID + "|" + a.g + "|" + a.p + "|" + a.loginName + "|" + a.password,
              "10001|g1|p1|o'neil| it's ");
    EXPECT_FALSE(main->Paused());
    EXPECT_FALSE(main->subscriptionSendFlag.load());  // the broadcast mark is cleared
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Start 10001"}));
    EXPECT_TRUE(main->Tree()->isEnabled() && main->findChild<QAction*>("btnSmsSendPause")->isEnabled());
    const std::string log = LogText();
    EXPECT_NE(log.find(std::string(56, '-') + "\n"), std::string::npos);
    EXPECT_NE(log.find("   登录成功(10001)"), std::string::npos);
    EXPECT_EQ(log.find("it's"), std::string::npos);
    EXPECT_TRUE(
        main->PanelText(0).startsWith(QStringLiteral(" o'neil 你好! 今天是") +
                                      QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日, "))));
    Settle();
    EXPECT_EQ(main->PanelText(4), QStringLiteral("登录成功(10001)"));
}

// Which replies fail is the login's own concern (tests/gateway/login_test.cpp); here what the dialog shows.
TEST_F(LoginTest, FailuresShowTheirTextsAndKeepTheDialogOpen) {
    query.reply = {{{"c", "10001"}, {"g", ""}, {"p", "p1"}}};
    EXPECT_FALSE(Login());
    EXPECT_EQ(prompts.Last(), "提示: 登录失败,请检查用户名和密码!");
    EXPECT_TRUE(login->isVisible() && login->OkButton()->isEnabled());
    EXPECT_FALSE(main->Tree()->isEnabled());
    online.online = false;
    EXPECT_FALSE(Login());
    EXPECT_EQ(prompts.Last(), "警告: 网络中断,请检查你的网络状况!");
    EXPECT_EQ(query.urls.size(), 1u);  // no query while offline
    EXPECT_TRUE(engine.calls.empty());
}

// An automatic login (minimising, as there is no tray), then a change of account.
TEST_F(LoginTest, ChangeOfAccountClearsTheKeysAndTheContextBeforeTheNextLogin) {
    trayAvailable = false;
    for (const char* key : {"userName", "userPwd"}) pWriteSysValue(main->db(), "", key, "demo");
    pWriteSysValue(main->db(), "", "autoStart", "1");
    pWriteSysValue(main->db(), "10001", "autoMini", "1");
    login->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->Account().LoggedIn(); }, 5000));
    EXPECT_TRUE(main->isVisible() && main->isMinimized());
    EXPECT_TRUE(main->About().autoStartCheck()->isChecked() && main->About().autoMiniCheck()->isChecked());
    ASSERT_TRUE(std::filesystem::exists(XdgAutostart::EntryFile()));

    AccountContext seen;
    std::string keys = "?";
    bool markDuringChange = true;
    main->subscriptionSendFlag = true;
    query.reply = {{{"c", "20002"}, {"g", "g2"}, {"p", "p2"}}};
    QTimer::singleShot(50, [&] {
        seen = main->Account();
        keys = Setting("autoStart") + "|" + Setting("userName") + "|" + Setting("userPwd");
        markDuringChange = main->subscriptionSendFlag.load();
        main->subscriptionSendFlag = true;  // ticked again: the next login clears it too
        EXPECT_TRUE(login->UserEdit()->text().isEmpty());
        EXPECT_FALSE(main->Tree()->isEnabled());
        Login(QStringLiteral("other"), QStringLiteral("pw"));
    });
    main->changeUserClick();
    EXPECT_EQ(prompts.Boxes(),
              std::vector<std::string>{"警告: 更改登录帐户将清除原用户设置的自动登录选项,你要继续吗?"});
    EXPECT_TRUE(!seen.LoggedIn() && keys == "0||") << keys;
    EXPECT_FALSE(markDuringChange || main->subscriptionSendFlag.load());
    EXPECT_EQ(main->Account().corpID, "20002");
    EXPECT_TRUE(main->Tree()->isEnabled() && !main->About().autoStartCheck()->isChecked());
    EXPECT_FALSE(std::filesystem::exists(XdgAutostart::EntryFile()));
    EXPECT_NE(ReadFile(LogDir() / "LOG_10001.LOG").find("暂停短信处理"), std::string::npos);
}

// The database refuses the writes that clear the auto-login: one box says so, and the dialog does
// not log the old account in by itself (its stored password was meant to go).
TEST_F(LoginTest, AChangeOfAccountThatCannotClearTheAutoLoginSaysSoOnceAndWaitsForTheUser) {
    for (const char* key : {"userName", "userPwd"}) pWriteSysValue(main->db(), "", key, "demo");
    pWriteSysValue(main->db(), "", "autoStart", "1");
    login->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->Account().LoggedIn(); }, 5000));
    Exec("CREATE TRIGGER keep BEFORE UPDATE ON sysConfig BEGIN SELECT RAISE(ABORT, 'locked'); END");
    bool waiting = false;
    WhenOpen<QDialog>([&](QDialog* dialog) {
        waiting =
            dialog == login.get() && login->OkButton()->isEnabled() && login->UserEdit()->text().isEmpty();
        login->findChild<QPushButton*>("CancelBtn")->click();
    });
    main->changeUserClick();
    EXPECT_TRUE(waiting);
    EXPECT_FALSE(main->Account().LoggedIn());
    EXPECT_EQ(prompts.Boxes(),
              (std::vector<std::string>{"警告: 更改登录帐户将清除原用户设置的自动登录选项,你要继续吗?",
                                        "提示: 自动登录选项无法清除(数据库不能写入),保存的用户名和密码还在!"
                                        "这次不会自动登录."}));
    EXPECT_EQ(query.urls.size(), 1u);  // the first login only
}

TEST_F(LoginTest, CancellingTheLoginAfterAChangeOfAccountEndsTheProgram) {
    ASSERT_TRUE(Login());
    int ended = 0;
    QObject::connect(main.get(), &MainWindow::Ended, [&] { ++ended; });
    QTimer::singleShot(50, [&] { login->findChild<QPushButton*>("CancelBtn")->click(); });
    main->changeUserClick();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(main->Account().LoggedIn());
    EXPECT_TRUE(prompts.Boxes().empty());  // no auto-login was stored: no question
}

// The service answers after 50 s; the program must end long before: a program still running (or
// waiting for that answer) when the 10 s alarm rings dies of it instead of exiting with 0.
TEST_F(LoginTest, CancelDuringASlowLoginEndsTheProgramAtOnce) {
    query.delay = std::chrono::seconds(50);
    EXPECT_EXIT(
        {
            alarm(10);
            QTimer::singleShot(100, [this] { login->findChild<QPushButton*>("CancelBtn")->click(); });
            Login();
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(LoginTest, SignUpLinkOpensTheDefaultBrowser) {
    login->show();
    emit login->findChild<QLabel*>("Label3")->linkActivated(QStringLiteral("apply"));
    EXPECT_EQ(desktop.opened, std::vector<std::string>{"http://" + ServiceHost() + "/index/apply.asp"});
}

}  // namespace
}  // namespace xunda::test
