#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>

#include "platform/instance_lock.h"
#include "store/log.h"
#include "ui/msg_form.h"
#include "ui/page.h"
#include "ui/page_registry.h"
#include "ui/shell_fixture.h"
#include "ui/sys_tray.h"
#include "ui/tree_helpers.h"
#include "ui/welcome_page.h"
#include "ui/workers.h"

namespace xunda::test {
namespace {

// A page another subsystem registers: it counts how often it was opened and with what.
class CountingPage : public Page {
public:
    void Open(const QString& caption, const QString& param) override {
        ++opened;
        lastCaption = caption;
        lastParam = param;
    }
    int opened = 0;
    QString lastCaption;
    QString lastParam;
};
const bool registered = RegisterPage("revBox", [](Shell&) -> Page* { return new CountingPage; });

using MainWindowTest = ShellTest;

TEST_F(MainWindowTest, EveryTreeCaptionShowsItsPageWithTheCaptionAsTitle) {
    EXPECT_EQ(main->windowTitle(), QStringLiteral("泊舟讯达短信通-订阅版(Beta1)"));
    EXPECT_EQ(main->size(), QSize(800, 600));
    const std::pair<const char*, const char*> expected[] = {
        {"手机订阅管理", "welcome"},      {"手机订阅关系处理", "mobOrder"}, {"订阅用户的资料管理", "user"},
        {"手机订阅内容查询", "mob"},      {"历史订阅内容短信查看", "histMsg"}, {"手机短信操作", "welcome"},
        {"收信箱", "revBox"},             {"短信发送", "sendSmsPage"},  {"Excel表格短信", "excelPage"},
        {"发信箱", "sendBoxPage"},        {"历史短信查看", "histSendPage"}, {"系统配置", "aboutPage"},
        {"泊舟讯达短信通-标准版", "welcome"},
    };
    for (const auto& [caption, page] : expected) {
        ASSERT_TRUE(main->SelectTreeNodeByText(QString::fromUtf8(caption))) << caption;
        QWidget* current = main->PageArea()->currentWidget();
        EXPECT_EQ(current->objectName(), QString::fromUtf8(page)) << caption;
        EXPECT_EQ(static_cast<Page*>(current)->TitleLabel()->text(), QString::fromUtf8(caption));
    }
    EXPECT_EQ(main->PageArea()->count(), 11);
    EXPECT_EQ(main->FindPage("sendSmsPage")->TitleLabel()->objectName(), QStringLiteral("sendSmsTitle"));
}

TEST_F(MainWindowTest, CaptionsCompareExactlyInTheTreeAndInCapitalsInMenuClick) {
    main->SelectTreeNodeByText(QStringLiteral("发信箱"));
    EXPECT_FALSE(main->SelectTreeNodeByText(QStringLiteral("excel表格短信")));
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("sendBoxPage"));
    main->menuClick(QStringLiteral("excel表格短信"), QString());
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("excelPage"));
    main->menuClick(QStringLiteral("没有这一页"), QString());
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("excelPage"));
}

TEST_F(MainWindowTest, RegisteredPagesJoinAndOpenOnEverySelectionChange) {
    auto* page = dynamic_cast<CountingPage*>(main->FindPage("revBox"));
    ASSERT_NE(page, nullptr);
    main->SelectTreeNodeByText(QStringLiteral("收信箱"));
    main->SelectTreeNodeByText(QStringLiteral("收信箱"));
    EXPECT_EQ(page->opened, 1);
    main->SelectTreeNodeByText(QStringLiteral("发信箱"));
    main->SelectTreeNodeByText(QStringLiteral("收信箱"));
    EXPECT_EQ(page->opened, 2);
    main->menuClick(QStringLiteral("收信箱"), QStringLiteral("13800000000"));
    EXPECT_EQ(page->lastParam, QStringLiteral("13800000000"));
}

TEST_F(MainWindowTest, TreeAndPauseAreDisabledUntilLogin) {
    EXPECT_FALSE(main->Tree()->isEnabled());
    EXPECT_FALSE(main->findChild<QAction*>("btnSmsSendPause")->isEnabled());
    EXPECT_FALSE(main->findChild<QAction*>("btnSmsSendPlay")->isEnabled());
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("welcome"));
    Settle();
    EXPECT_EQ(main->PanelText(1), QStringLiteral("接收(0)"));
    EXPECT_EQ(main->PanelText(2), QStringLiteral("发送(0)"));
    EXPECT_EQ(main->PanelText(3), QStringLiteral("收条(0)"));
}

TEST_F(MainWindowTest, StatusPanelsShowTheirWholeTextWithoutWideningTheWindow) {
    ASSERT_TRUE(Login(QStringLiteral("a-rather-long-user-name")));
    main->logit(std::string(400, 'x'));
    Settle();
    auto* greeting = main->findChild<QLabel*>(QStringLiteral("SBpanel0"));
    EXPECT_GE(greeting->contentsRect().width(), greeting->fontMetrics().horizontalAdvance(greeting->text()));
    EXPECT_EQ(main->PanelText(4), QString(400, QLatin1Char('x')));
    EXPECT_EQ(main->width(), 800);
}

TEST_F(MainWindowTest, PauseTwiceReturnsToRunningWithBothLogLines) {
    ASSERT_TRUE(Login());
    engine.calls.clear();
    auto* pause = main->findChild<QAction*>("btnSmsSendPause");
    auto* play = main->findChild<QAction*>("btnSmsSendPlay");
    pause->trigger();
    EXPECT_TRUE(main->Paused());
    EXPECT_FALSE(pause->isEnabled());
    EXPECT_TRUE(play->isEnabled());
    play->trigger();
    EXPECT_FALSE(main->Paused());
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Sending off", "Sending on"}));
    const std::string log = LogText();
    EXPECT_LT(log.find("暂停短信处理"), log.find("恢复短信处理"));
    EXPECT_NE(log.find("恢复短信处理"), std::string::npos);
    Settle();
    EXPECT_EQ(main->PanelText(4), QStringLiteral("恢复短信处理"));
}

TEST_F(MainWindowTest, ServicePagesCarryTheAccountAndShowTheWelcomePage) {
    ASSERT_TRUE(Login());
    main->SelectTreeNodeByText(QStringLiteral("发信箱"));
    main->findChild<QAction*>("tellTolvi")->trigger();
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("welcome"));
    EXPECT_EQ(web->urls.back(), "http://" + ServiceHost() + "/corp/client/?v=msg&a=advice&c=10001&g=g1&p=p1");
    main->SelectTreeNodeByText(QStringLiteral("手机短信操作"));
    EXPECT_EQ(web->urls.back(), "http://" + ServiceHost() + "/corp/client/?v=msg&a=sms&c=10001&g=g1&p=p1");
    main->SelectTreeNodeByText(QStringLiteral("手机订阅管理"));
    EXPECT_EQ(web->urls.back(), "http://" + ServiceHost() + "/corp/client/?v=msg&a=mobOrder&c=10001&g=g1&p=p1");

    const std::pair<const char*, const char*> items[] = {
        {"gotoWeb", "login"},  {"helpOnline", "help"}, {"tolviStatus", "service"}, {"buySms", "buy"},
        {"tellTolvi", "advice"}, {"tolviWeb", "home"}, {"softUpdate", "update"},
    };
    for (const auto& [name, page] : items) {
        auto* action = main->findChild<QAction*>(QString::fromUtf8(name));
        const std::string address = "http://" + ServiceHost() + "/corp/client/?v=msg&a=" + page;
        EXPECT_EQ(action->toolTip().toStdString(), address) << name;
        action->trigger();
        EXPECT_EQ(web->urls.back(), address + "&c=10001&g=g1&p=p1") << name;
    }
    main->Welcome().HelpButton()->click();
    EXPECT_EQ(web->urls.back(), "http://" + ServiceHost() + "/corp/client/?v=msg&a=help&c=10001&g=g1&p=p1");
}

TEST_F(MainWindowTest, WelcomePictureStaysUntilAPageHasLoaded) {
    EXPECT_FALSE(main->Welcome().BrowserShown());
    ASSERT_TRUE(Login());
    EXPECT_FALSE(main->Welcome().BrowserShown());
    web->Loaded();
    EXPECT_TRUE(main->Welcome().BrowserShown());
}

TEST_F(MainWindowTest, MinimiseHidesToTheTrayOnlyWhenThereIsOne) {
    main->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main->isVisible(); }));
    main->SysTrayIconDblClick();
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());
    // A single left click on the icon restores too; a right click does not.
    main->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main->isVisible(); }));
    main->Tray().MouseMessage(TrayMouse::RightDown, {}, Qt::NoModifier);
    main->Tray().MouseMessage(TrayMouse::RightUp, {}, Qt::NoModifier);
    EXPECT_FALSE(main->isVisible());
    main->Tray().MouseMessage(TrayMouse::LeftDown, {}, Qt::NoModifier);
    main->Tray().MouseMessage(TrayMouse::LeftUp, {}, Qt::NoModifier);
    EXPECT_TRUE(main->isVisible());
    // A maximised window comes back maximised, and a visible one only comes to the front.
    main->showMaximized();
    Settle();
    main->SysTrayIconDblClick();
    EXPECT_TRUE(main->isMaximized());
    main->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main->isVisible(); }));
    main->SysTrayIconDblClick();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->isMaximized());
    main->showNormal();
    Settle();  // the window system's late echoes of the state changes
    trayAvailable = false;
    main->showMinimized();
    Settle();
    EXPECT_TRUE(main->isVisible());
}

// The window's close, the menu item and the welcome page's button all exit behind the busy window,
// pausing running processing and stopping the engine once.
TEST_F(MainWindowTest, EveryWayOutPausesBehindTheBusyWindowAndEndsOnce) {
    for (const char* way : {"close", "menu", "button"}) {
        SCOPED_TRACE(way);
        ASSERT_TRUE(Create());
        ASSERT_TRUE(Login());
        int ended = 0;
        QObject::connect(main.get(), &MainWindow::Ended, [&] { ++ended; });
        QString busyText;
        QTimer::singleShot(100, [&] { busyText = main->busy().Text(); });
        if (way == std::string("close")) {
            main->close();
        } else if (way == std::string("menu")) {
            main->findChild<QAction*>("exitSystem")->trigger();
        } else {
            main->Welcome().CloseButton()->click();
        }
        EXPECT_EQ(busyText, QStringLiteral("正在退出,请稍候..."));
        EXPECT_TRUE(main->Paused());
        EXPECT_NE(LogText().find("暂停短信处理"), std::string::npos);
        EXPECT_EQ(engine.calls.back(), "Stop");
        EXPECT_FALSE(main->isVisible());
        EXPECT_EQ(ended, 1);
        main->close();  // a second close changes nothing
        EXPECT_EQ(ended, 1);
    }
}

TEST_F(MainWindowTest, MenuAndToolBarCarryTheirCaptions) {
    QStringList menus;
    for (QAction* a : main->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"文件(&F)", "查看(&V)", "帮助(&H)"}));
    // Spot checks; the service-page test reaches the other actions by name.
    const std::pair<const char*, const char*> items[] = {
        {"changeUser", "更换登录帐户"}, {"exitSystem", "退出(&X)"}, {"btnSmsSendPause", "(&P)暂停短信处理"},
        {"gotoWeb", "(&W)登录到泊舟讯达短信通WEB版"},
    };
    for (const auto& [name, caption] : items) {
        auto* action = main->findChild<QAction*>(QString::fromUtf8(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption)) << name;
    }
    EXPECT_TRUE(main->findChild<QAction*>("mToolsMain")->isChecked());
    main->findChild<QAction*>("mToolsStatus")->trigger();
    EXPECT_FALSE(main->statusBar()->isVisible());
    main->findChild<QAction*>("mToolsMain")->trigger();
    EXPECT_FALSE(main->findChild<QToolBar*>("toolsMain")->isVisible());
}

TEST_F(MainWindowTest, ClosingWhilePausedWritesNoPauseLine) {
    ASSERT_TRUE(Login());
    main->btnSmsSendPauseClick();
    const std::string before = LogText();
    main->close();
    EXPECT_TRUE(main->Paused());
    EXPECT_EQ(LogText(), before);
}

TEST_F(MainWindowTest, ARightClickSelectsTheNodeUnderTheMouse) {
    ASSERT_TRUE(Login());
    QTreeWidgetItem* item = main->Tree()->findItems(QStringLiteral("发信箱"), Qt::MatchExactly | Qt::MatchRecursive).value(0);
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(main->Tree()->viewport(), Qt::RightButton, {}, main->Tree()->visualItemRect(item).center());
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("sendBoxPage"));
}

TEST_F(MainWindowTest, StartedHiddenStaysHiddenThroughTheLoginUntilTheTrayShowsIt) {
    startHidden = true;
    ASSERT_TRUE(Create());
    EXPECT_FALSE(main->isVisible());
    ASSERT_TRUE(Login());
    EXPECT_FALSE(main->isVisible());
    main->SysTrayIconDblClick();
    EXPECT_TRUE(main->isVisible());
}

TEST_F(MainWindowTest, ExportAsksForAFileWritesItAndOffersToOpenIt) {
    ASSERT_TRUE(Login());
    ASSERT_TRUE(main->db().pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (10001, 'a,b')"));
    const ResultSet rows = main->db().pAdoQuery("SELECT msg FROM okMsg WHERE corpID=10001");
    const std::vector<GridColumn> columns = {{"内容", "msg"}};
    main->pSaveDbGrid(ResultSet(), columns);  // no rows: nothing is asked
    prompts.file.reset();
    main->pSaveDbGrid(rows, columns);  // the dialog is cancelled
    EXPECT_TRUE(prompts.Texts().empty());

    const std::filesystem::path out = home / "out.csv";
    prompts.file = out.string();
    main->pSaveDbGrid(rows, columns);
    EXPECT_EQ(prompts.Texts().back(), "文件已经保存!你要立即打开吗?");
    EXPECT_EQ(prompts.Captions().back(), "请选择");
    EXPECT_EQ(desktop.opened.back(), out.string());
    EXPECT_NE(ReadFile(out).find("\"a,b\""), std::string::npos);

    prompts.file = (home / "missing/out.csv").string();
    main->pSaveDbGrid(rows, columns);
    EXPECT_NE(prompts.Texts().back().find("missing/out.csv"), std::string::npos);
    EXPECT_EQ(main->busy().Depth(), 0);
    EXPECT_TRUE(main->isEnabled());
}

// A page whose body holds one growing control.
class FilledPage : public Page {
public:
    FilledPage() { Body()->addWidget(content); }
    QWidget* content = new QPlainTextEdit;
};

TEST(PageTest, TheTitleStandsOnTopAndTheBodyTakesTheRest) {
    Page empty;
    FilledPage filled;
    for (Page* page : {&empty, static_cast<Page*>(&filled)}) {
        page->TitleLabel()->setText(QStringLiteral("发信箱"));
        page->resize(480, 400);
        page->show();
    }
    QApplication::processEvents();
    EXPECT_LT(empty.TitleLabel()->geometry().bottom(), 60);
    EXPECT_LT(filled.TitleLabel()->geometry().bottom(), 60);
    EXPECT_GT(filled.content->geometry().bottom(), 360);
}

TEST(ComboHistoryTest, MovesTheTextToTheTopAndKeepsShowingIt) {
    QComboBox box;
    box.setEditable(true);
    for (const char* text : {"a", "b", "A", "a"}) AddStrToComBoBox(QString::fromUtf8(text), &box);
    ASSERT_EQ(box.count(), 3);  // exact comparison: "A" is not "a"
    EXPECT_EQ(box.itemText(0), QStringLiteral("a"));
    EXPECT_EQ(box.itemText(1), QStringLiteral("A"));
    EXPECT_EQ(box.itemText(2), QStringLiteral("b"));
    box.setCurrentIndex(2);  // "b" chosen from the history
    AddStrToComBoBox(box.currentText(), &box);
    EXPECT_EQ(box.currentText(), QStringLiteral("b"));
    EXPECT_EQ(box.currentIndex(), 0);
    box.setEditText(QStringLiteral("w"));  // a new text typed in
    AddStrToComBoBox(box.currentText(), &box);
    EXPECT_EQ(box.currentText(), QStringLiteral("w"));
    EXPECT_EQ(box.count(), 4);
}

}  // namespace
}  // namespace xunda::test

namespace xunda::test {
namespace {
TEST_F(MainWindowTest, AWorkerOutlastingTheBoundEndsTheProgramWithALogLine) {
    workerWaitLimit = std::chrono::milliseconds(200);
    ASSERT_TRUE(Create());
    ASSERT_TRUE(Login());
    EXPECT_EXIT(
        {
            main->log().SetSink([](const std::string& line) { std::fprintf(stderr, "log: %s\n", line.c_str()); });
            main->workers().Run([] { std::this_thread::sleep_for(std::chrono::seconds(10)); });
            main->close();
        },
        testing::ExitedWithCode(1), "log: 等待后台任务超时");
}
}  // namespace
}  // namespace xunda::test

namespace xunda::test {
namespace {
TEST_F(MainWindowTest, ASecondProgramOnTheDataRootSaysSoAndTouchesNothing) {
    const std::filesystem::path root = home / "taken";
    setenv("XUNDA_SMS_HOME", root.c_str(), 1);
    InstanceLock other(root);
    EXPECT_FALSE(Create());
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"本程序已经在运行,同一个数据目录不能同时运行两个程序!"});
    EXPECT_EQ(prompts.Captions(), std::vector<std::string>{"提示"});
    EXPECT_FALSE(main->isVisible());
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root)) names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"xunda-sms.lock"});
}
}  // namespace
}  // namespace xunda::test
