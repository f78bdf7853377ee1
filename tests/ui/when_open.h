// Answers a modal window as a user would, from the event loop the program waits in.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace xunda::test {

// Runs `answer` on the first modal window of type Dialog. A window not open within 5 s, or still
// open 5 s after its answer, fails the test and is closed, so that the program's wait ends.
template <typename Dialog>
void WhenOpen(std::function<void(Dialog*)> answer) {
    auto* poll = new QTimer;
    auto seen = std::make_shared<std::optional<QPointer<Dialog>>>();
    auto deadline = std::make_shared<QDeadlineTimer>(5000);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        if (!*seen) {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                *seen = dialog;
                *deadline = QDeadlineTimer(5000);
                answer(dialog);
            } else if (deadline->hasExpired()) {
                ADD_FAILURE() << "no " << Dialog::staticMetaObject.className() << " opened";
                poll->deleteLater();
            }
        } else if (!**seen || !(**seen)->isVisible()) {
            poll->deleteLater();
        } else if (deadline->hasExpired()) {
            ADD_FAILURE() << "the answered " << Dialog::staticMetaObject.className() << " stayed open";
            (**seen)->reject();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

}  // namespace xunda::test
