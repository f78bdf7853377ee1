// Waiting on the engine controller's jobs in a test, every wait bounded.
#pragma once

#include <QCoreApplication>
#include <QTest>
#include <functional>
#include <initializer_list>

#include "ui/shell/engine_controller.h"
#include "ui/shell/workers.h"

namespace xunda::test {

// Waits until no job runs and no worker is left, then lets the calls the workers posted (the
// timers' re-arming, the status bar) run.
inline bool WaitEngineIdle(const EngineController& controller, const Workers& workers, int boundMs) {
    if (!QTest::qWaitFor([&] { return !controller.Busy() && workers.Running() == 0; }, boundMs)) return false;
    QCoreApplication::sendPostedEvents();
    return true;
}

// Calls the tick handlers `ticks` until `arrived` holds. The poll timers run from the login on, and
// a tick that meets a poll of theirs does nothing while that poll may have asked before the data
// was there, so the ticks are called again whenever no job runs.
inline bool PollUntil(EngineController& controller, std::initializer_list<void (EngineController::*)()> ticks,
                      const std::function<bool()>& arrived, int boundMs) {
    return QTest::qWaitFor(
        [&] {
            if (!controller.Busy())
                for (void (EngineController::*tick)() : ticks) (controller.*tick)();
            return arrived();
        },
        boundMs);
}

}  // namespace xunda::test
