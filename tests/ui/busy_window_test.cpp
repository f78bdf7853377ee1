#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <mutex>
#include <thread>

#include "ui/msg_form.h"
#include "ui/qt_ports.h"
#include "ui/workers.h"

namespace xunda::test {
namespace {

std::mutex warningsMutex;
std::vector<QString> warnings;

// Collects Qt's complaints about objects used from the wrong thread.
void CollectWarnings(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (!text.contains(QStringLiteral("thread"), Qt::CaseInsensitive)) return;
    std::lock_guard lock(warningsMutex);
    warnings.push_back(text);
}

// An object made on a worker for a parent on the GUI thread: the collector must hear it.
TEST(BusyWindowTest, TheCollectorHearsThreadFaults) {
    QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
    QObject parent;
    std::thread([&] { QObject child(&parent); }).join();
    qInstallMessageHandler(previous);
    std::lock_guard lock(warningsMutex);
    EXPECT_FALSE(warnings.empty());
    warnings.clear();
}

TEST(BusyWindowTest, NestedShowsFromAWorkerAreCountedWithoutThreadWarnings) {
    QtGuiBridge bridge;
    QWidget mainWindow;
    mainWindow.show();
    MsgForm busy(bridge, &mainWindow);
    Workers workers;
    QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);

    int depthInside = -1;
    bool enabledInside = true;
    workers.Run([&] {
        busy.Show("正在处理中,请稍候...");
        busy.Show("正在导入...");
        busy.Close();
        bridge.Invoke([&] {
            depthInside = busy.Depth();
            enabledInside = mainWindow.isEnabled();
        });
        busy.Close();
    });
    workers.WaitAll();
    qInstallMessageHandler(previous);

    EXPECT_EQ(depthInside, 1);
    EXPECT_FALSE(enabledInside);
    EXPECT_EQ(busy.Depth(), 0);
    EXPECT_FALSE(busy.isVisible());
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(busy.Text(), QStringLiteral("正在导入..."));
    std::lock_guard lock(warningsMutex);
    EXPECT_TRUE(warnings.empty()) << warnings.front().toStdString();
}

TEST(BusyWindowTest, BlocksTheMainWindowWhileShownAndShowsTheTime) {
    QtGuiBridge bridge;
    QWidget mainWindow;
    MsgForm busy(bridge, &mainWindow);
    busy.Show("正在退出,请稍候...");
    EXPECT_TRUE(busy.isVisible());
    EXPECT_FALSE(mainWindow.isEnabled());
    EXPECT_EQ(busy.size(), QSize(311, 87));
    EXPECT_EQ(busy.Clock().size(), 19);
    busy.Close();
    busy.Close();  // an extra close changes nothing
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(busy.Depth(), 0);
}

TEST(BusyWindowTest, SetTextFromAWorkerIsPostedAndChangesTheTextAlone) {
    QtGuiBridge bridge;
    QWidget mainWindow;
    mainWindow.show();
    MsgForm busy(bridge, &mainWindow);
    busy.Show("正在处理中,请稍候...");
    QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);

    // The GUI thread waits for the worker: a setter that waited for the GUI thread would hang here.
    std::thread([&] { busy.SetText("放入发送队列:(1/2) 13800000000"); }).join();
    EXPECT_EQ(busy.Text(), QStringLiteral("正在处理中,请稍候..."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return busy.Text() == QStringLiteral("放入发送队列:(1/2) 13800000000"); }));
    qInstallMessageHandler(previous);

    EXPECT_EQ(busy.Depth(), 1);
    EXPECT_TRUE(busy.isVisible());
    EXPECT_FALSE(mainWindow.isEnabled());
    busy.Close();
    busy.SetText("正在导入...");
    QCoreApplication::processEvents();
    EXPECT_EQ(busy.Text(), QStringLiteral("正在导入..."));
    EXPECT_FALSE(busy.isVisible());
    EXPECT_TRUE(mainWindow.isEnabled());
    std::lock_guard lock(warningsMutex);
    EXPECT_TRUE(warnings.empty()) << warnings.front().toStdString();
}

TEST(WorkersTest, WaitAllLetsWorkersCallTheGuiThread) {
    QtGuiBridge bridge;
    Workers workers;
    std::atomic<int> done{0};
    for (int i = 0; i < 4; ++i) {
        workers.Run([&] {
            bridge.Invoke([&] { done.fetch_add(1); });
        });
    }
    workers.WaitAll();
    EXPECT_EQ(done.load(), 4);
    EXPECT_EQ(workers.Running(), 0);
}

}  // namespace
}  // namespace xunda::test
