// The registry of worker threads. Every worker the windows start runs through it, so that exit,
// change of account and clearing all data can wait until none runs any more. A thread object is
// only destroyed after it has been joined.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace xunda {

class Workers : public QObject {
    Q_OBJECT
public:
    Workers() = default;
    ~Workers() override;  // waits for every worker

    // Starts `task` on a new thread (call on the GUI thread); throws std::system_error, with nothing
    // registered, when no thread can be started.
    void Run(std::function<void()> task);
    // Number of workers still running.
    int Running() const { return running_.load(); }
    // Runs `task` on a new registered thread and keeps the GUI thread's events flowing (user
    // input too) until it has ended (call on the GUI thread). The waits return only when the
    // work has ended, also while the program is quitting.
    void RunAndWait(std::function<void()> task);
    // Keeps the GUI thread's events (but not the user's input) flowing until no worker runs, then
    // joins them all. Workers may use GuiBridge::Invoke meanwhile.
    void WaitAll();

signals:
    void finished();

private:
    struct Entry {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void Reap();

    std::mutex mutex_;
    std::list<Entry> entries_;
    std::atomic<int> running_{0};
};

}  // namespace xunda
