// The registry of worker threads. Every worker the windows start runs through it, so that exit,
// change of account and clearing all data can wait until none runs any more. A thread object is
// only destroyed after it has been joined.
//
// A worker that does not end in time is never waited for beyond the bound: the program ends at
// once (EndProgramNow). Its thread holds the database, the gateway and the services, which an
// ordinary return from main would free under it; a process that ends at once leaves only what a
// kill leaves, which the store rolls back and the engine's in-flight marks name.
#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

namespace xunda {

class Workers : public QObject {
    Q_OBJECT
  public:
    // The reason a task ended by throwing, told on its worker's thread.
    using Failed = std::function<void(const std::string& reason)>;

    // `failed` hears of every task that throws; without it the reason goes to stderr.
    explicit Workers(Failed failed = {});
    ~Workers() override;  // joins every worker

    // Starts `task` on a new thread (call on the GUI thread); throws std::system_error, with nothing
    // registered, when no thread can be started. A task that throws ends its worker, never the
    // program: `failed` is told why.
    void Run(std::function<void()> task);
    // Number of workers still running.
    int Running() const { return running_.load(); }
    // Runs `task` on a new registered thread and keeps the GUI thread's events flowing (user
    // input too) until it has ended (call on the GUI thread). The waits return only when the
    // work has ended, also while the program is quitting. False when the task threw: the caller
    // goes on while `failed` is told.
    bool RunAndWait(std::function<void()> task);
    // Keeps the GUI thread's events flowing until no worker runs, then joins them all; false when
    // some still run after `limit`. Workers may use GuiBridge::Invoke meanwhile, and the user can
    // answer the boxes they show. `late`, when given, runs at the limit from the timer itself, so
    // also inside the event loop of a box a worker left open (which may never end): it is how a
    // bounded wait ends the program.
    [[nodiscard]] bool WaitAll(std::chrono::milliseconds limit, const std::function<void()>& late = {});

  signals:
    void finished();

  private:
    struct Entry {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void Reap();

    Failed failed_;
    std::mutex mutex_;
    std::list<Entry> entries_;
    std::atomic<int> running_{0};
};

// Ends the process at once with `code`, no destructor running; `why`, when given, goes to stderr.
[[noreturn]] void EndProgramNow(int code, const std::string& why = {});

}  // namespace xunda
