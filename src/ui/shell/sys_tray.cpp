#include "ui/shell/sys_tray.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace xunda {

SysTray::SysTray(QWidget* owner) : QObject(owner), tray_(new QSystemTrayIcon(this)), owner_(owner) {
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) { OnActivated(static_cast<int>(r)); });
}

SysTray::~SysTray() {
    SetAnimated(false);
    DeleteIcon();
}

void SysTray::SetActive(bool active) {
    if (active == active_) return;
    active_ = active;
    pending_ = 0;
    if (active) {
        AddIcon(GetCurrentIcon());
    } else {
        DeleteIcon();
    }
}

void SysTray::SetHint(const QString& hint) {
    // The first kMaxHint characters; a surrogate pair is one character and is never split.
    qsizetype end = 0;
    for (int n = 0; n < kMaxHint && end < hint.size(); ++n) {
        end += hint.at(end).isHighSurrogate() && end + 1 < hint.size() ? 2 : 1;
    }
    hint_ = hint.left(end);
    UpdateIcon();
}

void SysTray::SetIcon(const QIcon& icon) {
    icon_ = icon;
    UpdateIcon();
}

void SysTray::SetImages(const QList<QIcon>& images) {
    images_ = images;
    UpdateIcon();
}

void SysTray::SetAnimated(bool animated) {
    if (animated == animated_) return;
    animated_ = animated;
    if (!animated) {
        StopAnimation();
        return;
    }
    StartAnimation();
    frame_ = 0;
    UpdateIcon();
}

void SysTray::SetAnimateMode(AnimateMode mode) {
    if (mode == animateMode_) return;
    SetAnimated(false);
    animateMode_ = mode;
}

void SysTray::SetInterval(quint16 ms) {
    interval_ = ms;
    if (timer_) timer_->setInterval(ms);
}

QIcon SysTray::GetCurrentIcon() {
    if (images_.isEmpty()) return icon_;
    if (!animated_) return images_.first();
    if (frame_ >= 0 && frame_ < images_.size()) frameIcon_ = images_.at(frame_);
    return frameIcon_;
}

void SysTray::UpdateIcon() {
    const QIcon icon = GetCurrentIcon();
    if (hasIcon_) {
        if (icon.isNull()) {
            DeleteIcon();
        } else {
            tray_->setIcon(icon);
            tray_->setToolTip(hint_);
        }
    } else if (!icon.isNull() && active_) {
        AddIcon(icon);
    }
}

void SysTray::AddIcon(const QIcon& icon) {
    if (icon.isNull()) return;
    tray_->setIcon(icon);
    tray_->setToolTip(hint_);
    tray_->show();
    hasIcon_ = true;
}

void SysTray::DeleteIcon() {
    tray_->hide();
    hasIcon_ = false;
}

void SysTray::StartAnimation() {
    if (animateMode_ == AnimateMode::amTimer) {
        timer_ = new QTimer(this);
        connect(timer_, &QTimer::timeout, this, &SysTray::AnimateTimer);
        timer_->start(interval_);
        return;
    }
    // The thread only paces the frames; each step runs on the GUI thread, where the icon lives.
    threadStop_ = false;
    thread_ = std::thread([this] {
        std::unique_lock lock(threadMutex_);
        while (!threadWake_.wait_for(lock, std::chrono::milliseconds(interval_.load()),
                                     [this] { return threadStop_; })) {
            QMetaObject::invokeMethod(this, &SysTray::AnimateTimer, Qt::QueuedConnection);
        }
    });
}

void SysTray::StopAnimation() {
    delete timer_;
    timer_ = nullptr;
    if (thread_.joinable()) {
        {
            std::lock_guard lock(threadMutex_);
            threadStop_ = true;
        }
        threadWake_.notify_all();
        thread_.join();
    }
}

void SysTray::AnimateTimer() {
    if (!animated_) return;
    ++frame_;
    if (frame_ >= images_.size()) frame_ = 0;
    UpdateIcon();
}

void SysTray::Press(Qt::MouseButton button, int pendingBit, QPoint pos, Qt::KeyboardModifiers keys) {
    pending_ |= pendingBit;
    emit IconMouseDown(button, TrayShift{keys, button, false}, pos);
    DoPopup(button, pos);
}

void SysTray::Release(Qt::MouseButton button, int pendingBit, QPoint pos, Qt::KeyboardModifiers keys) {
    const TrayShift shift{keys, button, false};
    if (pending_ & pendingBit) {
        pending_ &= ~pendingBit;
        emit IconClick(button, shift, pos);
    }
    emit IconMouseUp(button, shift, pos);
}

void SysTray::MouseMessage(TrayMouse message, QPoint pos, Qt::KeyboardModifiers keys) {
    if (!enabled_) return;
    switch (message) {
        case TrayMouse::Move:
            emit IconMouseMove(TrayShift{keys, Qt::NoButton, false}, pos);
            break;
        case TrayMouse::LeftDown:
            Press(Qt::LeftButton, 1, pos, keys);
            break;
        case TrayMouse::LeftUp:
            Release(Qt::LeftButton, 1, pos, keys);
            break;
        case TrayMouse::RightDown:
            Press(Qt::RightButton, 2, pos, keys);
            break;
        case TrayMouse::RightUp:
            Release(Qt::RightButton, 2, pos, keys);
            break;
        case TrayMouse::MiddleDown:
            emit IconMouseDown(Qt::MiddleButton, TrayShift{keys, Qt::MiddleButton, false}, pos);
            break;
        case TrayMouse::MiddleUp:  // the middle button gives no click
            emit IconMouseUp(Qt::MiddleButton, TrayShift{keys, Qt::MiddleButton, false}, pos);
            break;
        case TrayMouse::LeftDouble:
        case TrayMouse::RightDouble:
        case TrayMouse::MiddleDouble: {
            const Qt::MouseButton button = message == TrayMouse::LeftDouble    ? Qt::LeftButton
                                           : message == TrayMouse::RightDouble ? Qt::RightButton
                                                                               : Qt::MiddleButton;
            emit IconDblClick();
            emit IconMouseDown(button, TrayShift{keys, button, true}, pos);
            break;
        }
    }
}

void SysTray::DoPopup(Qt::MouseButton button, QPoint pos) {
    if (!popupMenu_) return;
    const bool wanted = (button == Qt::LeftButton && (popupMode_ & pmLeftClick)) ||
                        (button == Qt::RightButton && (popupMode_ & pmRightClick));
    if (!wanted) return;
    if (owner_ && owner_->isEnabled()) {
        owner_->activateWindow();
        if (owner_->isVisible() && !owner_->isMaximized()) owner_->showNormal();
    }
    const int width = popupMenu_->sizeHint().width();
    if (popupAlign_ == PopupAlign::paRight) pos.rx() -= width;
    if (popupAlign_ == PopupAlign::paCenter) pos.rx() -= width / 2;
    popupMenu_->popup(pos);
}

void SysTray::OnActivated(int reason) {
    // The desktop reports whole clicks; they are replayed as the presses and releases they were.
    const QPoint pos = QCursor::pos();
    const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
    switch (static_cast<QSystemTrayIcon::ActivationReason>(reason)) {
        case QSystemTrayIcon::Trigger:
            MouseMessage(TrayMouse::LeftDown, pos, keys);
            MouseMessage(TrayMouse::LeftUp, pos, keys);
            break;
        case QSystemTrayIcon::DoubleClick:
            MouseMessage(TrayMouse::LeftDouble, pos, keys);
            MouseMessage(TrayMouse::LeftUp, pos, keys);
            break;
        case QSystemTrayIcon::Context:
            MouseMessage(TrayMouse::RightDown, pos, keys);
            MouseMessage(TrayMouse::RightUp, pos, keys);
            break;
        case QSystemTrayIcon::MiddleClick:
            MouseMessage(TrayMouse::MiddleDown, pos, keys);
            MouseMessage(TrayMouse::MiddleUp, pos, keys);
            break;
        case QSystemTrayIcon::Unknown:
            break;
    }
}

}  // namespace xunda
