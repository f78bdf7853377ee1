#include <QCoreApplication>
#include <QThread>

#include "ui/ports/qt_ports.h"

namespace xunda {

QtGuiBridge::QtGuiBridge() : target_(std::make_unique<QObject>()) {}
QtGuiBridge::~QtGuiBridge() = default;

bool QtGuiBridge::OnGuiThread() const {
    return QThread::currentThread() == target_->thread();
}

void QtGuiBridge::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(target_.get(), std::move(call), Qt::QueuedConnection);
}

void QtGuiBridge::Invoke(std::function<void()> call) {
    if (OnGuiThread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(target_.get(), std::move(call), Qt::BlockingQueuedConnection);
}

}  // namespace xunda
