// The tray icon component: one icon in the desktop's notification area with its tip text, an
// optional animation through a list of images, mouse notifications turned into events, and an
// optional popup menu on a click. Lives on the GUI thread.
#pragma once

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace xunda {

// The mouse notifications of the icon, numbered as the window system numbers them.
enum class TrayMouse {
    Move = 512,
    LeftDown,
    LeftUp,
    LeftDouble,
    RightDown,
    RightUp,
    RightDouble,
    MiddleDown,
    MiddleUp,
    MiddleDouble
};
enum class AnimateMode { amTimer, amThread };
enum PopupModeFlag { pmLeftClick = 1, pmRightClick = 2 };
enum class PopupAlign { paLeft, paRight, paCenter };

// Keys held and the button that the event is about, plus the double-click mark.
struct TrayShift {
    Qt::KeyboardModifiers keys;
    Qt::MouseButton button = Qt::NoButton;
    bool doubleClick = false;
    bool operator==(const TrayShift&) const = default;
};

class SysTray : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMaxHint = 63;

    // `owner` is the form brought to the front before a popup opens (may be null).
    explicit SysTray(QWidget* owner);
    ~SysTray() override;

    bool Active() const { return active_; }
    void SetActive(bool active);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint);
    void SetIcon(const QIcon& icon);
    void SetImages(const QList<QIcon>& images);
    bool Animated() const { return animated_; }
    void SetAnimated(bool animated);
    void SetAnimateMode(AnimateMode mode);
    int Interval() const { return interval_; }
    void SetInterval(quint16 ms);
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    void SetPopupMode(int modes) { popupMode_ = modes; }
    void SetPopupAlign(PopupAlign align) { popupAlign_ = align; }

    // The icon shown now, and whether the notification area holds it.
    QIcon GetCurrentIcon();
    bool HasIcon() const { return hasIcon_; }
    int FrameIndex() const { return frame_; }

    // A mouse notification of the icon at screen position `pos` with the keys `keys` held.
    void MouseMessage(TrayMouse message, QPoint pos, Qt::KeyboardModifiers keys);
    // One animation step.
    void AnimateTimer();

  signals:
    void IconClick(Qt::MouseButton button, xunda::TrayShift shift, QPoint pos);
    void IconDblClick();
    void IconMouseMove(xunda::TrayShift shift, QPoint pos);
    void IconMouseDown(Qt::MouseButton button, xunda::TrayShift shift, QPoint pos);
    void IconMouseUp(Qt::MouseButton button, xunda::TrayShift shift, QPoint pos);

  private:
    void UpdateIcon();
    void AddIcon(const QIcon& icon);
    void DeleteIcon();
    void Press(Qt::MouseButton button, int pendingBit, QPoint pos, Qt::KeyboardModifiers keys);
    void Release(Qt::MouseButton button, int pendingBit, QPoint pos, Qt::KeyboardModifiers keys);
    void DoPopup(Qt::MouseButton button, QPoint pos);
    void StopAnimation();
    void StartAnimation();
    void OnActivated(int reason);

    QSystemTrayIcon* tray_;
    QPointer<QWidget> owner_;
    QPointer<QMenu> popupMenu_;
    QIcon icon_;
    QIcon frameIcon_;
    QList<QIcon> images_;
    QString hint_ = QStringLiteral("SysTray Component");
    bool active_ = false;
    bool enabled_ = true;
    bool animated_ = false;
    bool hasIcon_ = false;
    AnimateMode animateMode_ = AnimateMode::amTimer;
    std::atomic<int> interval_{200};
    int popupMode_ = pmRightClick;
    PopupAlign popupAlign_ = PopupAlign::paRight;
    int frame_ = -1;
    int pending_ = 0;  // 1 = left press pending, 2 = right press pending
    QTimer* timer_ = nullptr;
    std::thread thread_;
    std::mutex threadMutex_;
    std::condition_variable threadWake_;
    bool threadStop_ = false;
};

}  // namespace xunda
