// The send engine: every second the send tick selects up to 100 queued outbox rows of the account
// and hands them to a worker, which groups them into requests of the service (PutMt), records the
// service's answer per number and at the end moves the accepted rows to the sent history mt_bak.
//
// The window's controller calls tick() on the GUI thread from its send timer (`mtTime`) and runs
// the job it gets on a worker thread with run(); tests and the benchmark call both directly.
//     SendTick t = engine.tick(db, account);
//     if (t.job) std::thread([&, job = std::move(*t.job)]() mutable { engine.run(std::move(job));
//     }).detach();
// A job carries its own copy of the rows and the account, the database it works on (its thread
// has a connection of its own) and the engine's run token: while the job exists, every tick
// answers Busy. The database must stay open until the job has run.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_ports.h"
#include "engine/mt_batch.h"
#include "engine/run_flag.h"
#include "gateway/request_url.h"

namespace xunda {

class Database;

// One worker run: the selected rows and what the run needs of the moment it was started.
struct SendJob {
    Database* db;
    Credentials account;
    std::vector<MtRow> rows;
    RunFlag::Token token;
};

enum class SendTickResult {
    WentOffline,  // offline while running: "网络故障" logged, processing paused, kOfflineWarning shown
    Offline,      // offline while paused: nothing done
    Paused,
    Busy,     // a run is still active
    Empty,    // no queued row
    Started,  // `job` holds the rows to send
};

struct SendTick {
    SendTickResult result;
    std::optional<SendJob> job;
};

class SendEngine {
  public:
    static constexpr std::chrono::milliseconds kSendPause{50};
    static constexpr std::size_t kMaxRows = 100;
    // The warning box (caption "警告", information icon) after going offline.
    static constexpr const char* kOfflineWarning = "网络中断,短信处理将停止!";

    // `pause` is the rest after each request.
    explicit SendEngine(EngineServices services, std::chrono::milliseconds pause = kSendPause);
    SendEngine(const SendEngine&) = delete;
    SendEngine& operator=(const SendEngine&) = delete;

    // Called on the worker's thread at the end of every run (the outbox page refreshes itself
    // when it is shown).
    void SetOutboxListener(std::function<void()> listener);

    // `mtTimeTimer`, on the GUI thread.
    SendTick tick(Database& db, const Credentials& account);
    // `SendMtThread`: sends the job's rows and records the results.
    void run(SendJob job);

    bool Busy() const { return runFlag_.Busy(); }
    void WaitIdle() const { runFlag_.WaitIdle(); }

  private:
    // Sends one batch and records its results; false after a transport failure.
    bool SendBatch(const SendJob& job, const MtBatch& batch);
    // Writes the batch's results into its rows; false when a statement failed.
    bool StoreResults(Database& db, const std::vector<std::int64_t>& ids, const BatchResult& result);
    // Copies the account's accepted rows to mt_bak and deletes them from mt, in one transaction.
    void MoveAccepted(Database& db, const std::string& corpID);

    EngineServices s_;
    const std::chrono::milliseconds pause_;
    RunFlag runFlag_;
    std::function<void()> outboxListener_;
};

}  // namespace xunda
