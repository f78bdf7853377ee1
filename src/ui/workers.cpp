#include "ui/workers.h"

#include <QEventLoop>
#include <memory>

namespace xunda {

Workers::~Workers() {
    std::lock_guard lock(mutex_);
    for (Entry& e : entries_) e.thread.join();
}

void Workers::Run(std::function<void()> task) {
    Reap();
    std::lock_guard lock(mutex_);
    Entry& entry = entries_.emplace_back();
    running_.fetch_add(1);
    entry.thread = std::thread([this, &entry, task = std::move(task)] {
        task();
        entry.done.store(true);
        running_.fetch_sub(1);
        QMetaObject::invokeMethod(this, &Workers::finished, Qt::QueuedConnection);
    });
}

void Workers::RunAndWait(std::function<void()> task) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    QEventLoop loop;
    connect(this, &Workers::finished, &loop, [&] {
        if (done->load()) loop.quit();
    });
    Run([task = std::move(task), done] {
        task();
        done->store(true);
    });
    loop.exec();
}

void Workers::WaitAll() {
    if (running_.load() > 0) {
        QEventLoop loop;
        connect(this, &Workers::finished, &loop, [&] {
            if (running_.load() == 0) loop.quit();
        });
        if (running_.load() > 0) loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    Reap();
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

}  // namespace xunda
