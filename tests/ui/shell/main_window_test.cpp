#include <atomic>
#include <thread>

#include "platform/instance_lock.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/sys_tray.h"
#include "ui/shell/welcome_page.h"
#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

class MainWindowTest : public ShellTest {
  protected:
    CountingPageInstead inbox{"revBox"};
};

TEST_F(MainWindowTest, TreeNodesShowTheirPagesTitledWithTheirCaptions) {
    // Each node as "caption=page".
    const QString nodes = QString::fromUtf8(
        "手机订阅管理=welcome 手机订阅关系处理=mobOrder 订阅用户的资料管理=user 手机订阅内容查询=mob "
        "历史订阅内容短信查看=histMsg 手机短信操作=welcome 收信箱=revBox 短信发送=sendSmsPage "
        "Excel表格短信=excelPage 发信箱=sendBoxPage 历史短信查看=histSendPage 系统配置=aboutPage "
        "泊舟讯达短信通-标准版=welcome");
    for (const QString& node : nodes.split(' ')) {
        const QString caption = node.section('=', 0, 0);
        ASSERT_TRUE(main->SelectTreeNodeByText(caption)) << caption.toStdString();
        EXPECT_EQ(Shown(), node.section('=', 1)) << caption.toStdString();
        EXPECT_EQ(main->FindPage(Shown())->TitleLabel()->text(), caption);
    }
    // The tree compares exactly, menuClick in capitals; an unknown caption changes nothing.
    EXPECT_FALSE(main->SelectTreeNodeByText(QStringLiteral("excel表格短信")));
    main->menuClick(QStringLiteral("excel表格短信"), QString());
    main->menuClick(QStringLiteral("没有这一页"), QString());
    EXPECT_EQ(Shown(), QStringLiteral("excelPage"));
}

TEST_F(MainWindowTest, TheWindowsFontIsNSimSun9PointWhereTheDesktopHasItElseTheDesktops) {
    const QString installed = QFontDatabase::families().value(0);
    ASSERT_FALSE(installed.isEmpty());
    const std::optional<QFont> font = InstalledFont(installed, 9);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->family() + QString::number(font->pointSize()), installed + "9");
    EXPECT_FALSE(InstalledFont(QStringLiteral("没有这种字体"), 9));
    if (QFontDatabase::hasFamily(QStringLiteral("新宋体")))
        EXPECT_EQ(main->font(), QFont(QStringLiteral("新宋体"), 9));
    else
        EXPECT_EQ(main->font(), QApplication::font());
}

TEST_F(MainWindowTest, ARegisteredPageOpensOnEverySelectionChangeAndARightClickSelects) {
    auto* page = dynamic_cast<CountingPage*>(main->FindPage("revBox"));
    ASSERT_TRUE(page && Login());
    QTreeWidget* tree = main->Tree();
    QTreeWidgetItem* node =
        tree->findItems(QStringLiteral("收信箱"), Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(node).center());
    EXPECT_EQ(page->opened.size(), 1);
    for (const char* caption : {"收信箱", "发信箱", "收信箱"})
        main->SelectTreeNodeByText(QString::fromUtf8(caption));
    main->menuClick(QStringLiteral("收信箱"), QStringLiteral("13800000000"));
    EXPECT_EQ(page->opened, (QStringList{"收信箱|", "收信箱|", "收信箱|13800000000"}));
}

TEST_F(MainWindowTest, TreeAndPauseWaitForTheLoginAndPauseTogglesWithItsLogLines) {
    auto* pause = main->findChild<QAction*>("btnSmsSendPause");
    auto* play = main->findChild<QAction*>("btnSmsSendPlay");
    EXPECT_FALSE(main->Tree()->isEnabled() || pause->isEnabled() || play->isEnabled());
    ASSERT_TRUE(Login());
    engine.calls.clear();
    pause->trigger();
    EXPECT_TRUE(main->Paused() && !pause->isEnabled() && play->isEnabled());
    play->trigger();
    EXPECT_TRUE(!main->Paused() && pause->isEnabled() && !play->isEnabled());
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Sending off", "Sending on"}));
    const std::string log = LogText();
    EXPECT_LT(log.find("暂停短信处理"), log.find("恢复短信处理"));
    EXPECT_NE(log.find("恢复短信处理"), std::string::npos);
    Settle();
    EXPECT_EQ(main->PanelText(1) + main->PanelText(2) + main->PanelText(3) + main->PanelText(4),
              QStringLiteral("接收(0)发送(0)收条(0)恢复短信处理"));
}

// Two workers count at once, and the one that read the counters first posts last: the status bar
// still ends with both counts.
TEST_F(MainWindowTest, CountsOfWorkersCountingAtOnceAllReachTheStatusBar) {
    ASSERT_TRUE(Login());
    std::atomic<bool> inboxCounted{false};
    bridge.beforePost = [&] {
        if (bridge.OnGuiThread() || inboxCounted.exchange(true)) return;
        std::thread([this] {
            main->moCount += 1;
            main->pListCount();
        }).join();
    };
    std::thread([this] {
        main->reportCount += 1;
        main->pListCount();
    }).join();
    bridge.beforePost = nullptr;
    QApplication::processEvents();
    EXPECT_TRUE(inboxCounted);
    EXPECT_EQ((main->PanelText(1) + main->PanelText(2) + main->PanelText(3)).toStdString(),
              "接收(1)发送(0)收条(1)");
}

TEST_F(MainWindowTest, ServicePagesCarryTheAccountAndShowTheWelcomePage) {
    ASSERT_TRUE(Login());
    const auto url = [](const char* page) {
        return "http://" + ServiceHost() + "/corp/client/?v=msg&a=" + page + "&c=10001&g=g1&p=p1";
    };
    EXPECT_EQ(web->urls.back(), url("welcome"));
    EXPECT_FALSE(main->Welcome().BrowserShown());  // the picture stays until a page has loaded
    web->Loaded();
    EXPECT_TRUE(main->Welcome().BrowserShown());
    main->SelectTreeNodeByText(QStringLiteral("发信箱"));
    main->findChild<QAction*>("tellTolvi")->trigger();
    EXPECT_EQ(Shown(), QStringLiteral("welcome"));
    main->SelectTreeNodeByText(QStringLiteral("手机订阅管理"));
    main->findChild<QAction*>("gotoWeb")->trigger();
    main->Welcome().HelpButton()->click();
    EXPECT_EQ(std::vector<std::string>(web->urls.end() - 4, web->urls.end()),
              (std::vector{url("advice"), url("mobOrder"), url("login"), url("help")}));
}

TEST_F(MainWindowTest, StartedHiddenOrMinimisedItWaitsInTheTrayUntilALeftClick) {
    startHidden = true;
    ASSERT_TRUE(Create());
    ASSERT_TRUE(Login());
    EXPECT_FALSE(main->isVisible());
    main->showMaximized();
    main->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main->isVisible(); }));
    for (TrayMouse m : {TrayMouse::RightDown, TrayMouse::RightUp})
        main->Tray().MouseMessage(m, {}, Qt::NoModifier);
    EXPECT_FALSE(main->isVisible());
    for (TrayMouse m : {TrayMouse::LeftDown, TrayMouse::LeftUp})
        main->Tray().MouseMessage(m, {}, Qt::NoModifier);
    EXPECT_TRUE(main->isVisible() && main->isMaximized());  // as it was before
    main->showNormal();
    Settle();  // the window system's late echoes of the state changes
    trayAvailable = false;
    main->showMinimized();
    Settle();
    EXPECT_TRUE(main->isVisible() && main->isMinimized());
}

// The window's close, the menu item and the welcome page's button all exit behind the busy window,
// pausing running processing (no second pause line when paused) and stopping the engine once.
TEST_F(MainWindowTest, EveryWayOutPausesBehindTheBusyWindowAndEndsOnce) {
    for (std::string way : {"close", "menu", "button", "paused"}) {
        SCOPED_TRACE(way);
        ASSERT_TRUE(Create());
        ASSERT_TRUE(Login());
        if (way == "paused") main->btnSmsSendPauseClick();
        const std::size_t logSize = LogText().size();
        int ended = 0;
        QObject::connect(main.get(), &MainWindow::Ended, [&] { ++ended; });
        QString busyText;
        QTimer::singleShot(
            100, [&] { busyText = main->busy().Text(), main->close(); });  // a second close meanwhile
        if (way == "menu") main->findChild<QAction*>("exitSystem")->trigger();
        if (way == "button") main->Welcome().CloseButton()->click();
        main->close();  // the first or a later close, which changes nothing
        EXPECT_EQ(busyText, QStringLiteral("正在退出,请稍候..."));
        EXPECT_TRUE(main->Paused());
        EXPECT_EQ(LogText().size() > logSize, way != "paused");
        EXPECT_EQ(engine.calls.back(), "Stop");
        EXPECT_FALSE(main->isVisible());
        EXPECT_EQ(ended, 1);
    }
}

class BoundTest : public MainWindowTest {
  protected:
    // A window whose wait for its workers is bounded by 200 ms, its log lines on stderr.
    void SetUp() override {
        workerWaitLimit = std::chrono::milliseconds(200);
        ASSERT_TRUE(Create() && Login());
        main->log().SetSink([](const std::string& line) { std::fprintf(stderr, "log: %s\n", line.c_str()); });
    }
};

TEST_F(BoundTest, AWorkerOutlastingTheBoundEndsTheProgramWithALogLine) {
    EXPECT_EXIT(
        {
            main->workers().Run([] { std::this_thread::sleep_for(std::chrono::seconds(10)); });
            main->close();
        },
        testing::ExitedWithCode(1), "log: 等待后台任务超时");
}

// A worker's box nobody answers: the GUI thread waits inside the box's own event loop, and the
// bound ends the program from there (the guard stands for a wait that never ends).
TEST_F(BoundTest, TheBoundHoldsWhileAWorkersBoxIsOpen) {
    EXPECT_EXIT(
        {
            QTimer::singleShot(10000, [] { std::_Exit(3); });
            main->workers().Run([this] {
                bridge.Invoke([] { QMessageBox(QMessageBox::Information, "提示", "open").exec(); });
            });
            main->close();
        },
        testing::ExitedWithCode(1), "log: 等待后台任务超时");
}

TEST_F(MainWindowTest, ASecondProgramOnTheDataRootSaysSoAndTouchesNothing) {
    const std::filesystem::path root = home / "taken";
    setenv("XUNDA_SMS_HOME", root.c_str(), 1);
    InstanceLock other(root);
    EXPECT_FALSE(Create());
    EXPECT_EQ(prompts.Boxes(),
              std::vector<std::string>{"提示: 本程序已经在运行,同一个数据目录不能同时运行两个程序!"});
    EXPECT_FALSE(main->isVisible());
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"xunda-sms.lock"});
}

// No lock, no program: a data root under a regular file, and a lock file that cannot be opened.
TEST_F(MainWindowTest, AProgramThatCannotTakeTheLockSaysWhyAndTouchesNothing) {
    WriteFile(home / "file", "");
    std::filesystem::create_directories(home / "odd/xunda-sms.lock");
    for (const std::filesystem::path& root : {home / "file/root", home / "odd"}) {
        SCOPED_TRACE(root);
        setenv("XUNDA_SMS_HOME", root.c_str(), 1);
        const std::size_t shown = prompts.Boxes().size();
        EXPECT_FALSE(Create());
        ASSERT_EQ(prompts.Boxes().size(), shown + 1);
        EXPECT_THAT(prompts.Last(), testing::StartsWith("提示: 数据目录无法锁定,程序不能运行!\n" +
                                                        (root / "xunda-sms.lock").string()));
        EXPECT_FALSE(main->isVisible());
    }
    EXPECT_FALSE(std::filesystem::exists(home / "odd/DATA"));
}

TEST_F(MainWindowTest, ExportAsksForAFileWritesItAndOffersToOpenIt) {
    ASSERT_TRUE(Login());
    Exec("INSERT INTO okMsg (corpID, msg) VALUES (10001, 'a,b')");
    const ResultSet rows = main->db().pAdoQuery("SELECT msg FROM okMsg WHERE corpID=10001");
    const std::vector<GridColumn> columns = {{"内容", "msg"}};
    main->pSaveDbGrid(ResultSet(), columns);  // no rows: nothing is asked
    main->pSaveDbGrid(rows, columns);         // the dialog is cancelled: nothing is written
    for (const char* out : {"out.csv", "missing/out.csv"}) {
        prompts.file = (home / out).string();
        main->pSaveDbGrid(rows, columns);
    }
    EXPECT_EQ(prompts.Boxes(), (std::vector<std::string>{"请选择: 文件已经保存!你要立即打开吗?",
                                                         "提示: 文件保存失败: " + *prompts.file}));
    EXPECT_EQ(desktop.opened, std::vector<std::string>{(home / "out.csv").string()});
    EXPECT_NE(ReadFile(home / "out.csv").find("\"a,b\""), std::string::npos);
    EXPECT_EQ(main->busy().Depth(), 0);
}

// A long task that throws ends neither the program nor the work of the window: the busy window
// closes, and a box and the log say why; a task the window waits for as well.
TEST_F(MainWindowTest, ATaskThatThrowsClosesTheBusyWindowAndIsToldInABox) {
    ASSERT_TRUE(Login());
    RunBusyWorker(*main, "处理EXCEL表格短信,请稍候...",
                  []() -> GuiStep { throw std::runtime_error("worksheet too large"); });
    ASSERT_TRUE(main->workers().WaitAll(std::chrono::seconds(30)));
    Settle();
    EXPECT_EQ(prompts.Boxes(), std::vector<std::string>{"提示: 处理失败: worksheet too large"});
    EXPECT_FALSE(main->busy().isVisible());
    EXPECT_TRUE(main->centralWidget()->isEnabled());

    EXPECT_FALSE(RunBusyAndWait(*main, "正在处理中,请稍候...", [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(main->busy().isVisible());
    EXPECT_TRUE(main->centralWidget()->isEnabled());
    ASSERT_TRUE(main->workers().WaitAll(std::chrono::seconds(30)));
    EXPECT_EQ(prompts.Last(), "提示: 处理失败: std::bad_alloc");
    EXPECT_THAT(LogText(), testing::HasSubstr("处理失败: worksheet too large"));
    EXPECT_TRUE(RunBusyAndWait(*main, "正在处理中,请稍候...", [] {}));
}

}  // namespace
}  // namespace xunda::test
