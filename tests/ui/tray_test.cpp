#include <gtest/gtest.h>

#include <QPixmap>
#include <QTest>
#include <QWidget>

#include "ui/sys_tray.h"

namespace xunda::test {
namespace {

QIcon Solid(Qt::GlobalColor color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

// Records the tray's events in order as short names.
class TrayEvents {
public:
    explicit TrayEvents(SysTray& tray) {
        QObject::connect(&tray, &SysTray::IconMouseDown, &tray, [this](Qt::MouseButton b, TrayShift s, QPoint) {
            names.push_back(std::string("down") + Button(b) + (s.doubleClick ? "+double" : ""));
        });
        QObject::connect(&tray, &SysTray::IconMouseUp, &tray,
                         [this](Qt::MouseButton b, TrayShift, QPoint) { names.push_back(std::string("up") + Button(b)); });
        QObject::connect(&tray, &SysTray::IconClick, &tray,
                         [this](Qt::MouseButton b, TrayShift, QPoint) { names.push_back(std::string("click") + Button(b)); });
        QObject::connect(&tray, &SysTray::IconDblClick, &tray, [this] { names.push_back("dblclick"); });
        QObject::connect(&tray, &SysTray::IconMouseMove, &tray, [this](TrayShift, QPoint) { names.push_back("move"); });
    }
    std::vector<std::string> names;

private:
    static const char* Button(Qt::MouseButton b) {
        return b == Qt::LeftButton ? " left" : b == Qt::RightButton ? " right" : " middle";
    }
};

TEST(SysTrayTest, HintIsCutAtSixtyThreeCharactersKeepingWideOnesWhole) {
    QWidget owner;
    SysTray tray(&owner);
    const QString exact(63, QChar(0x6CCA));
    tray.SetHint(exact + QStringLiteral("xy"));
    EXPECT_EQ(tray.Hint(), exact);
    const QString wide = QString(62, QChar(0x6CCA)) + QString::fromUcs4(U"\U0001F4E8");
    tray.SetHint(wide + QStringLiteral("x"));
    EXPECT_EQ(tray.Hint(), wide);
}

TEST(SysTrayTest, MouseNotificationsBecomeEventsInOrder) {
    QWidget owner;
    SysTray tray(&owner);
    TrayEvents events(tray);
    for (TrayMouse m : {TrayMouse::LeftDown, TrayMouse::LeftUp, TrayMouse::LeftDouble, TrayMouse::LeftUp, TrayMouse::Move,
                        TrayMouse::RightDown, TrayMouse::RightUp, TrayMouse::MiddleDown, TrayMouse::MiddleUp,
                        TrayMouse::MiddleDouble}) {
        tray.MouseMessage(m, {5, 5}, Qt::NoModifier);
    }
    EXPECT_EQ(events.names, (std::vector<std::string>{"down left", "click left", "up left", "dblclick", "down left+double",
                                                       "up left", "move", "down right", "click right", "up right",
                                                       "down middle", "up middle", "dblclick", "down middle+double"}));
    // Switching active drops a pending click; a disabled icon gives no events.
    events.names.clear();
    tray.MouseMessage(TrayMouse::LeftDown, {}, Qt::NoModifier);
    tray.SetActive(true);
    tray.MouseMessage(TrayMouse::LeftUp, {}, Qt::NoModifier);
    tray.SetEnabled(false);
    tray.MouseMessage(TrayMouse::RightDown, {}, Qt::NoModifier);
    EXPECT_EQ(events.names, (std::vector<std::string>{"down left", "up left"}));
}

TEST(SysTrayTest, AnimationStepsThroughTheImagesOnTheGuiThread) {
    QWidget owner;
    SysTray tray(&owner);
    const QIcon plain = Solid(Qt::red);
    tray.SetIcon(plain);
    tray.SetAnimated(true);
    EXPECT_EQ(tray.GetCurrentIcon().cacheKey(), plain.cacheKey());  // animated without images
    tray.SetAnimated(false);
    const QList<QIcon> frames = {Solid(Qt::green), Solid(Qt::blue), Solid(Qt::yellow)};
    tray.SetImages(frames);
    tray.SetAnimated(true);
    tray.AnimateTimer();
    tray.AnimateTimer();
    EXPECT_EQ(tray.GetCurrentIcon().cacheKey(), frames[2].cacheKey());
    tray.AnimateTimer();
    EXPECT_EQ(tray.FrameIndex(), 0);
    tray.SetAnimated(false);
    tray.SetInterval(5);
    tray.SetAnimateMode(AnimateMode::amThread);
    tray.SetAnimated(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.FrameIndex() == 1; }));
    tray.SetAnimated(false);
}

}  // namespace
}  // namespace xunda::test
