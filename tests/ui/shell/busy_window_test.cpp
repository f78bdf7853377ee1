// The busy window and the worker registry, with real threads.
#include "ui/fakes.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/workers.h"

namespace xunda::test {
namespace {

using namespace std::chrono_literals;

std::mutex warningsMutex;
QStringList warnings;

// Collects Qt's complaints about objects used from the wrong thread.
void CollectWarnings(QtMsgType, const QMessageLogContext&, const QString& text) {
    std::lock_guard lock(warningsMutex);
    if (text.contains(QStringLiteral("thread"), Qt::CaseInsensitive)) warnings.push_back(text);
}

// A main window with one control and the busy window over it; Qt's thread warnings fail the test.
struct Windows {
    Windows() { main.show(), qInstallMessageHandler(CollectWarnings); }
    ~Windows() {
        qInstallMessageHandler(nullptr);
        std::lock_guard lock(warningsMutex);
        EXPECT_EQ(warnings, QStringList());
        warnings.clear();
    }
    QtGuiBridge bridge;
    QWidget main;
    QPushButton* control = new QPushButton(&main);
    MsgForm busy{bridge, &main};
    Workers workers;
};

TEST(BusyWindowTest, ShowsFromAWorkerNestAndHoldTheMainWindowAndSetTextIsPosted) {
    Windows w;
    int depthInside = -1;
    bool heldInside = false;
    w.workers.Run([&] {
        w.busy.Show("正在处理中,请稍候...");
        w.busy.Show("正在导入...");
        w.busy.Close();
        w.bridge.Invoke([&] {
            depthInside = w.busy.Depth(), heldInside = !w.control->isEnabled() && w.busy.isVisible();
        });
        w.busy.Close();
        w.busy.Close();  // an extra close changes nothing
    });
    ASSERT_TRUE(w.workers.WaitAll(5s));
    EXPECT_TRUE(depthInside == 1 && heldInside && w.busy.Depth() == 0 && !w.busy.isVisible() &&
                w.control->isEnabled());
    EXPECT_EQ(w.busy.Text(), QStringLiteral("正在导入..."));

    // The GUI thread waits for the worker: a setter that waited for the GUI thread would hang here.
    std::thread([&] { w.busy.SetText("放入发送队列:(1/2) 13800000000"); }).join();
    EXPECT_EQ(w.busy.Text(), QStringLiteral("正在导入..."));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w.busy.Text() == QStringLiteral("放入发送队列:(1/2) 13800000000"); }));
    EXPECT_FALSE(w.busy.isVisible());
}

// A queue run's text longer than the notice: the count stays whole, the number loses its end.
TEST(BusyWindowTest, ALongTextIsShortenedAtItsEndToTheNoticesWidth) {
    Windows w;
    auto* msg = w.busy.findChild<QLabel*>(QStringLiteral("msg"));
    const QString text = QStringLiteral("放入发送队列:(229410/1000000) 13900221234");
    ASSERT_GT(msg->fontMetrics().horizontalAdvance(text), msg->contentsRect().width());
    w.busy.Show("正在处理中,请稍候...");
    std::thread([&] { w.busy.SetText(text.toStdString()); }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.busy.Text() == text; }));
    EXPECT_TRUE(msg->text().startsWith(QStringLiteral("放入发送队列:(229410/1000000) 139")));
    EXPECT_TRUE(msg->text().endsWith(QChar(0x2026)));
    EXPECT_LE(msg->fontMetrics().horizontalAdvance(msg->text()), msg->contentsRect().width());
    w.busy.Close();
}

// A close request of the window system (Alt+F4) while a task runs leaves the notice and the held
// main window as they are; the task's own close still ends both.
TEST(BusyWindowTest, TheWindowSystemCannotCloseTheNoticeWhileATaskRuns) {
    Windows w;
    w.busy.Show("正在处理中,请稍候...");
    QCloseEvent close;
    QApplication::sendEvent(w.busy.windowHandle(), &close);
    EXPECT_TRUE(w.busy.isVisible());
    EXPECT_FALSE(w.control->isEnabled());
    w.busy.Close();
    EXPECT_FALSE(w.busy.isVisible());
    EXPECT_TRUE(w.control->isEnabled());
}

// A worker's error box stands when the program is told to end: the busy window shows and the
// program waits for the worker, so the user must still be able to answer the box.
TEST(BusyWindowTest, ABoxAWorkerHasOpenCanBeAnsweredWhileTheProgramWaits) {
    Windows w;
    QtPrompts prompts(w.bridge);
    prompts.SetParent(&w.main);
    WhenOpen<QMessageBox>([&](QMessageBox* box) {
        w.busy.Show("正在退出,请稍候...");
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    w.workers.Run([&] { prompts.Notice("数据库错误"); });
    EXPECT_TRUE(w.workers.WaitAll(20s));
}

// A task that throws ends its worker only: the registry is told why, and a task waited for says it
// failed.
TEST(WorkersTest, ATaskThatThrowsIsToldAndEndsOnlyItsWorker) {
    std::mutex mutex;
    std::vector<std::string> told;
    Workers workers([&](const std::string& reason) {
        std::lock_guard lock(mutex);
        told.push_back(reason);
    });
    workers.Run([] { throw std::runtime_error("worksheet too large"); });
    EXPECT_TRUE(workers.WaitAll(5s));
    EXPECT_FALSE(workers.RunAndWait([] { throw 42; }));
    EXPECT_TRUE(workers.RunAndWait([] {}));
    EXPECT_TRUE(workers.WaitAll(5s));
    EXPECT_EQ(told, (std::vector<std::string>{"worksheet too large", "未知错误"}));
}

TEST(WorkersTest, WaitAllLetsWorkersCallTheGuiThreadAndEndsAtItsLimit) {
    QtGuiBridge bridge;
    Workers workers;
    std::atomic<int> done{0};
    for (int i = 0; i < 3; ++i) workers.Run([&] { bridge.Invoke([&] { ++done; }); });
    ASSERT_TRUE(workers.WaitAll(5s));
    EXPECT_EQ(done.load(), 3);
    workers.Run([&] {
        for (QDeadlineTimer limit(5000); done < 4 && !limit.hasExpired();) std::this_thread::sleep_for(1ms);
    });
    EXPECT_FALSE(workers.WaitAll(100ms));
    EXPECT_EQ(workers.Running(), 1);
    ++done;
    EXPECT_TRUE(workers.WaitAll(5s));
    EXPECT_EQ(workers.Running(), 0);
}

}  // namespace
}  // namespace xunda::test
