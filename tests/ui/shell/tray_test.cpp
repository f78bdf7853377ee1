#include "ui/fakes.h"
#include "ui/shell/sys_tray.h"

namespace xunda::test {
namespace {

TEST(SysTrayTest, MouseNotificationsBecomeEventsInOrder) {
    QWidget owner;
    SysTray tray(&owner);
    std::vector<std::string> seen;
    auto name = [](Qt::MouseButton b) {
        return b == Qt::LeftButton ? " left" : b == Qt::RightButton ? " right" : " middle";
    };
    QObject::connect(&tray, &SysTray::IconMouseDown, [&](Qt::MouseButton b, TrayShift s, QPoint) {
        seen.push_back(std::string("down") + name(b) + (s.doubleClick ? "+double" : ""));
    });
    QObject::connect(&tray, &SysTray::IconMouseUp, [&](Qt::MouseButton b, TrayShift, QPoint) {
        seen.push_back(std::string("up") + name(b));
    });
    QObject::connect(&tray, &SysTray::IconClick, [&](Qt::MouseButton b, TrayShift, QPoint) {
        seen.push_back(std::string("click") + name(b));
    });
    QObject::connect(&tray, &SysTray::IconDblClick, [&] { seen.push_back("dblclick"); });
    QObject::connect(&tray, &SysTray::IconMouseMove, [&](TrayShift, QPoint) { seen.push_back("move"); });
    for (TrayMouse m : {TrayMouse::LeftDown, TrayMouse::LeftUp, TrayMouse::LeftDouble, TrayMouse::LeftUp,
                        TrayMouse::Move, TrayMouse::RightDown, TrayMouse::RightUp, TrayMouse::MiddleDown,
                        TrayMouse::MiddleUp, TrayMouse::MiddleDouble}) {
        tray.MouseMessage(m, {5, 5}, Qt::NoModifier);
    }
    // Switching active drops a pending click; a disabled icon gives no events.
    tray.MouseMessage(TrayMouse::LeftDown, {}, Qt::NoModifier);
    tray.SetActive(true);
    tray.MouseMessage(TrayMouse::LeftUp, {}, Qt::NoModifier);
    tray.SetEnabled(false);
    tray.MouseMessage(TrayMouse::RightDown, {}, Qt::NoModifier);
    EXPECT_EQ(seen, (std::vector<std::string>{"down left", "click left", "up left", "dblclick",
                                              "down left+double", "up left", "move", "down right",
                                              "click right", "up right", "down middle", "up middle",
                                              "dblclick", "down middle+double", "down left", "up left"}));
}

}  // namespace
}  // namespace xunda::test
