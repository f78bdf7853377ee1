#include "ui/shell/workers.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace xunda {

Workers::Workers(Failed failed) : failed_(std::move(failed)) {
    if (!failed_) {
        failed_ = [](const std::string& reason) {
            std::fprintf(stderr, "xunda-sms: a worker failed: %s\n", reason.c_str());
        };
    }
}

Workers::~Workers() {
    std::lock_guard lock(mutex_);
    for (Entry& e : entries_) e.thread.join();
}

void Workers::Run(std::function<void()> task) {
    Reap();
    std::lock_guard lock(mutex_);
    Entry& entry = entries_.emplace_back();
    running_.fetch_add(1);
    try {
        entry.thread = std::thread([this, &entry, task = std::move(task)] {
            try {
                task();
            } catch (const std::exception& e) {
                failed_(e.what());
            } catch (...) {
                failed_("未知错误");
            }
            entry.done.store(true);
            running_.fetch_sub(1);
            QMetaObject::invokeMethod(this, &Workers::finished, Qt::QueuedConnection);
        });
    } catch (...) {  // no thread could be started: nothing runs, so nothing may be waited for
        running_.fetch_sub(1);
        entries_.pop_back();
        throw;
    }
}

bool Workers::RunAndWait(std::function<void()> task) {
    enum Ended { kNot, kWell, kThrew };
    auto ended = std::make_shared<std::atomic<Ended>>(kNot);
    Run([task = std::move(task), ended] {
        try {
            task();
        } catch (...) {
            ended->store(kThrew);
            throw;  // to be told
        }
        ended->store(kWell);
    });
    // Each ending worker posts `finished`, which wakes the wait below (a failure told in a box has
    // posted the box before).
    while (ended->load() == kNot) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return ended->load() == kWell;
}

bool Workers::WaitAll(std::chrono::milliseconds limit, const std::function<void()>& late) {
    // The limit is the timer's own firing, not a clock compared after it: a timer may fire a little
    // early, and a wait for events after its one firing would never end.
    bool over = false;
    QTimer wake;
    wake.setSingleShot(true);
    connect(&wake, &QTimer::timeout, this, [&over, &late] {
        over = true;
        if (late) late();
    });
    wake.start(limit);
    while (running_.load() > 0) {
        if (over) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    Reap();
    return true;
}

void Workers::Reap() {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->done.load()) {
            it->thread.join();
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void EndProgramNow(int code, const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "xunda-sms: %s\n", why.c_str());
    std::fflush(stderr);
    std::_Exit(code);
}

}  // namespace xunda
