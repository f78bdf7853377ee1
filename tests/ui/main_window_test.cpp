#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
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

// A page another subsystem registers: it records how it was opened.
class CountingPage : public Page {
public:
    void Open(const QString& caption, const QString& param) override { opened.push_back(caption + "|" + param); }
    QStringList opened;
};
const bool registered = RegisterPage("revBox", [](Shell&) -> Page* { return new CountingPage; });

using MainWindowTest = ShellTest;

TEST_F(MainWindowTest, TreeNodesShowTheirPagesTitledWithTheirCaptions) {
    const std::pair<const char*, const char*> expected[] = {
        {"手机订阅管理", "welcome"},      {"手机订阅关系处理", "mobOrder"},    {"订阅用户的资料管理", "user"},
        {"手机订阅内容查询", "mob"},      {"历史订阅内容短信查看", "histMsg"}, {"手机短信操作", "welcome"},
        {"收信箱", "revBox"},             {"短信发送", "sendSmsPage"},         {"Excel表格短信", "excelPage"},
        {"发信箱", "sendBoxPage"},        {"历史短信查看", "histSendPage"},    {"系统配置", "aboutPage"},
        {"泊舟讯达短信通-标准版", "welcome"},
    };
    for (const auto& [caption, page] : expected) {
        ASSERT_TRUE(main->SelectTreeNodeByText(QString::fromUtf8(caption))) << caption;
        auto* current = static_cast<Page*>(main->PageArea()->currentWidget());
        EXPECT_EQ(current->objectName(), QString::fromUtf8(page)) << caption;
        EXPECT_EQ(current->TitleLabel()->text(), QString::fromUtf8(caption));
    }
    // The tree compares exactly, menuClick in capitals; an unknown caption changes nothing.
    EXPECT_FALSE(main->SelectTreeNodeByText(QStringLiteral("excel表格短信")));
    main->menuClick(QStringLiteral("excel表格短信"), QString());
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("excelPage"));
    main->menuClick(QStringLiteral("没有这一页"), QString());
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("excelPage"));
}

TEST_F(MainWindowTest, ARegisteredPageOpensOnEverySelectionChangeAndARightClickSelects) {
    auto* page = dynamic_cast<CountingPage*>(main->FindPage("revBox"));
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(Login());
    QTreeWidget* tree = main->Tree();
    QTreeWidgetItem* inbox = tree->findItems(QStringLiteral("收信箱"), Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(inbox).center());
    EXPECT_EQ(page->opened.size(), 1);
    main->SelectTreeNodeByText(QStringLiteral("收信箱"));
    main->SelectTreeNodeByText(QStringLiteral("发信箱"));
    main->SelectTreeNodeByText(QStringLiteral("收信箱"));
    main->menuClick(QStringLiteral("收信箱"), QStringLiteral("13800000000"));
    EXPECT_EQ(page->opened, (QStringList{"收信箱|", "收信箱|", "收信箱|13800000000"}));
}

TEST_F(MainWindowTest, TreeAndPauseWaitForTheLoginAndPauseTogglesWithItsLogLines) {
    auto* pause = main->findChild<QAction*>("btnSmsSendPause");
    auto* play = main->findChild<QAction*>("btnSmsSendPlay");
    EXPECT_FALSE(main->Tree()->isEnabled());
    EXPECT_FALSE(pause->isEnabled());
    EXPECT_FALSE(play->isEnabled());
    Settle();
    EXPECT_EQ(main->PanelText(1) + main->PanelText(2) + main->PanelText(3), QStringLiteral("接收(0)发送(0)收条(0)"));
    ASSERT_TRUE(Login());
    engine.calls.clear();
    pause->trigger();
    EXPECT_TRUE(main->Paused());
    EXPECT_FALSE(pause->isEnabled());
    EXPECT_TRUE(play->isEnabled());
    play->trigger();
    EXPECT_FALSE(main->Paused());
    EXPECT_TRUE(pause->isEnabled());
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Sending off", "Sending on"}));
    const std::string log = LogText();
    EXPECT_LT(log.find("暂停短信处理"), log.find("恢复短信处理"));
    EXPECT_NE(log.find("恢复短信处理"), std::string::npos);
    Settle();
    EXPECT_EQ(main->PanelText(4), QStringLiteral("恢复短信处理"));
}

TEST_F(MainWindowTest, ServicePagesCarryTheAccountAndShowTheWelcomePage) {
    EXPECT_FALSE(main->Welcome().BrowserShown());
    ASSERT_TRUE(Login());
    const std::string base = "http://" + ServiceHost() + "/corp/client/?v=msg&a=";
    EXPECT_EQ(web->urls.back(), base + "welcome&c=10001&g=g1&p=p1");
    EXPECT_FALSE(main->Welcome().BrowserShown());  // the picture stays until a page has loaded
    web->Loaded();
    EXPECT_TRUE(main->Welcome().BrowserShown());
    main->SelectTreeNodeByText(QStringLiteral("发信箱"));
    main->findChild<QAction*>("tellTolvi")->trigger();
    EXPECT_EQ(main->PageArea()->currentWidget()->objectName(), QStringLiteral("welcome"));
    EXPECT_EQ(web->urls.back(), base + "advice&c=10001&g=g1&p=p1");
    main->SelectTreeNodeByText(QStringLiteral("手机订阅管理"));
    EXPECT_EQ(web->urls.back(), base + "mobOrder&c=10001&g=g1&p=p1");
    for (const auto& [name, page] : {std::pair{"gotoWeb", "login"}, std::pair{"buySms", "buy"}}) {
        main->findChild<QAction*>(name)->trigger();
        EXPECT_EQ(web->urls.back(), base + page + "&c=10001&g=g1&p=p1") << name;
    }
    main->Welcome().HelpButton()->click();
    EXPECT_EQ(web->urls.back(), base + "help&c=10001&g=g1&p=p1");
}

TEST_F(MainWindowTest, MinimiseHidesToTheTrayOnlyWhenThereIsOneAndTheTrayRestores) {
    main->showMaximized();
    main->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main->isVisible(); }));
    main->Tray().MouseMessage(TrayMouse::RightDown, {}, Qt::NoModifier);
    main->Tray().MouseMessage(TrayMouse::RightUp, {}, Qt::NoModifier);
    EXPECT_FALSE(main->isVisible());
    main->Tray().MouseMessage(TrayMouse::LeftDown, {}, Qt::NoModifier);  // a left click restores
    main->Tray().MouseMessage(TrayMouse::LeftUp, {}, Qt::NoModifier);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->isMaximized());  // as it was before
    main->showNormal();
    Settle();  // the window system's late echoes of the state changes
    trayAvailable = false;
    main->showMinimized();
    Settle();
    EXPECT_TRUE(main->isVisible());
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

// The window's close, the menu item and the welcome page's button all exit behind the busy window,
// pausing running processing and stopping the engine once.
TEST_F(MainWindowTest, EveryWayOutPausesBehindTheBusyWindowAndEndsOnce) {
    for (const char* way : {"close", "menu", "button", "paused"}) {
        SCOPED_TRACE(way);
        ASSERT_TRUE(Create());
        ASSERT_TRUE(Login());
        if (way == std::string("paused")) main->btnSmsSendPauseClick();
        const std::size_t pauseLines = LogText().size();
        int ended = 0;
        QObject::connect(main.get(), &MainWindow::Ended, [&] { ++ended; });
        QString busyText;
        QTimer::singleShot(100, [&] { busyText = main->busy().Text(); });
        if (way == std::string("menu")) {
            main->findChild<QAction*>("exitSystem")->trigger();
        } else if (way == std::string("button")) {
            main->Welcome().CloseButton()->click();
        } else {
            main->close();
        }
        EXPECT_EQ(busyText, QStringLiteral("正在退出,请稍候..."));
        EXPECT_TRUE(main->Paused());
        // One pause line, unless processing was paused already.
        EXPECT_EQ(LogText().size() > pauseLines, way != std::string("paused"));
        EXPECT_EQ(engine.calls.back(), "Stop");
        EXPECT_FALSE(main->isVisible());
        main->close();  // a second close changes nothing
        EXPECT_EQ(ended, 1);
    }
}

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

TEST_F(MainWindowTest, ASecondProgramOnTheDataRootSaysSoAndTouchesNothing) {
    const std::filesystem::path root = home / "taken";
    setenv("XUNDA_SMS_HOME", root.c_str(), 1);
    InstanceLock other(root);
    EXPECT_FALSE(Create());
    EXPECT_EQ(prompts.Boxes(), std::vector<std::string>{"提示: 本程序已经在运行,同一个数据目录不能同时运行两个程序!"});
    EXPECT_FALSE(main->isVisible());
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root)) names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"xunda-sms.lock"});
}

TEST_F(MainWindowTest, ExportAsksForAFileWritesItAndOffersToOpenIt) {
    ASSERT_TRUE(Login());
    ASSERT_TRUE(main->db().pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (10001, 'a,b')"));
    const ResultSet rows = main->db().pAdoQuery("SELECT msg FROM okMsg WHERE corpID=10001");
    const std::vector<GridColumn> columns = {{"内容", "msg"}};
    main->pSaveDbGrid(ResultSet(), columns);  // no rows: nothing is asked
    main->pSaveDbGrid(rows, columns);         // the dialog is cancelled
    EXPECT_TRUE(prompts.Boxes().empty());

    const std::filesystem::path out = home / "out.csv";
    prompts.file = out.string();
    main->pSaveDbGrid(rows, columns);
    EXPECT_EQ(prompts.Last(), "请选择: 文件已经保存!你要立即打开吗?");
    EXPECT_EQ(desktop.opened, std::vector<std::string>{out.string()});
    EXPECT_NE(ReadFile(out).find("\"a,b\""), std::string::npos);

    prompts.file = (home / "missing/out.csv").string();
    main->pSaveDbGrid(rows, columns);
    EXPECT_EQ(prompts.Last(), "提示: 文件保存失败: " + *prompts.file);
    EXPECT_EQ(main->busy().Depth(), 0);
}

TEST(ComboHistoryTest, MovesTheTextToTheTopAndKeepsShowingIt) {
    QComboBox box;
    box.setEditable(true);
    for (const char* text : {"a", "b", "A", "a"}) AddStrToComBoBox(QString::fromUtf8(text), &box);
    ASSERT_EQ(box.count(), 3);  // exact comparison: "A" is not "a"
    EXPECT_EQ(box.itemText(0) + box.itemText(1) + box.itemText(2), QStringLiteral("aAb"));
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
