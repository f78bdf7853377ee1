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
//
// Never twice, never lost: before a request its rows are marked in flight (table mt_sending) in a
// committed transaction, which marks only the rows still queued as the tick read them: a row the
// user deleted or changed since (or that another path sent or flagged) is left out of the request.
// The results and the removal of the marks are committed together right after the reply. Results
// that cannot be stored are held in memory, the run ends, and every later run stores them
// (quietly, StoreRetry) before any new request. Marked rows are never selected; marks left by a
// program that ended mid-request become kPossiblySentFlag at the next tick. A request that went
// out without a complete reply may have been accepted: its rows become kPossiblySentFlag at once,
// named in the log; only a request that surely never reached the service leaves its rows queued.
// After such a reply nothing new is sent until the service has answered a request of the gateway
// completely again (any status: a poll, a login; SmsGateway::Answers), so that a service which
// takes connections and drops them costs one batch, not the queue; sending then goes on by itself
// with kAnsweredText in the log. A second lost send reply with no complete send reply in between
// (a service or proxy that answers polls but cuts every send) pauses processing at the next tick,
// with kStalledWarning logged and shown, as going offline does.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_ports.h"
#include "engine/mt_batch.h"
#include "engine/processing_state.h"
#include "engine/run_flag.h"
#include "engine/store_retry.h"
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
    Paused,       // processing is paused
    Busy,         // a run is still active
    Stalled,      // two send replies lost in a row: processing paused, kStalledWarning shown
    Waiting,      // a reply was lost: nothing new is sent until the service answers again
    Empty,        // no queued row
    Started,      // `job` holds the rows to send
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
    // Logged, followed by the numbers joined by ",", for rows found marked in flight at a tick and
    // for the rows of a request whose reply was lost.
    static constexpr const char* kPossiblySentText = "发送中断,以下号码可能已发送,请核对后手动重发:";
    // Logged when the service answers again after a lost reply, and sending goes on.
    static constexpr const char* kAnsweredText = "短信服务已恢复应答,继续发送短信";
    // Logged when a second send reply is lost with no complete send reply in between, and shown
    // (caption "警告") when the next tick pauses processing for it.
    static constexpr const char* kStalledWarning =
        "短信服务连续两次没有完整应答发送请求,短信处理已暂停,请检查网络和代理后继续短信处理.";

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
    // The results of one request (or of rows refused without one), kept until they are stored.
    struct HeldResult {
        std::string corpID;  // the account the rows belong to
        std::vector<std::int64_t> ids;
        BatchResult result;
    };

    // Rows marked in flight by an earlier program run that ended before storing their results:
    // flagged kPossiblySentFlag and named in the log, never sent again by themselves.
    void RecoverInterrupted(Database& db, const std::string& corpID);
    // Refuses the rows whose number holds "," (a request could not tell their results apart).
    void RefuseCommaNumbers(const SendJob& job, std::vector<bool>& taken);
    // A reply was lost and the service has not answered any request completely since. Logs
    // kAnsweredText (once) when it has.
    bool AwaitingAnswer();
    // Sends one batch and stores its results; false when the run must end.
    bool SendBatch(const SendJob& job, MtBatch batch);
    // Inside the marking transaction: keeps in `batch` only its rows still queued (flag 0, not
    // marked) with the values the tick read, and marks those in flight.
    bool MarkStillQueued(const SendJob& job, MtBatch& batch);
    // A send went out and its reply was lost.
    void ReplyLost(const SendJob& job, const MtBatch& batch, const std::vector<std::int64_t>& ids);
    // Logs the numbers a reply accepted without a readable message number or gave no line for.
    void LogOddResults(const SendJob& job, const MtBatch& batch, const std::vector<std::string>& lines,
                       const BatchResult& reply);
    // Stores every held result and clears the rows' in-flight marks, in one transaction. On
    // failure the results stay held and false is returned.
    bool StoreHeld(Database& db);
    // Copies the account's accepted rows to mt_bak and deletes them from mt, in one transaction.
    void MoveAccepted(Database& db, const std::string& corpID);

    EngineServices s_;
    const std::chrono::milliseconds pause_;
    RunFlag runFlag_;
    StoreRetry store_;              // used only by the holder of the run token
    std::vector<HeldResult> held_;  // likewise
    // The gateway's answer count right after a lost reply; none while the service answers.
    std::optional<std::uint64_t> lostAt_;  // likewise
    int lostSends_ = 0;                    // send replies lost since the last complete one; likewise
    // A second send reply was lost: the next tick pauses processing.
    std::atomic<bool> stalled_{false};
    std::function<void()> outboxListener_;
};

}  // namespace xunda
