// What the inbox and report pollers share: the tick that starts a poll only while online and not
// paused, one poll at a time, and the timer's back-off.
//
// The controller's timer (`moTime`, `reportTime`) calls tick() on the GUI thread, runs the job on a
// worker thread with poll() and then re-arms itself with interval(). Interval rule: 2000 ms at the
// start; after an answer without data it grows by 1000 ms up to 20000 ms; after an answer with data
// it is 2000 ms again; a transport failure leaves it as it is.
//
// What the service handed over is stored in one transaction; when that fails the lines are held in
// memory (and logged) with the account they were read for, and every later poll stores them under
// that account (quietly, StoreRetry) before it asks the service again, also after a change of
// account.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_ports.h"
#include "engine/event_sound.h"
#include "engine/processing_state.h"
#include "engine/run_flag.h"
#include "engine/store_retry.h"
#include "gateway/request_url.h"

namespace xunda {

class Database;

struct PollJob {
    Database* db;  // open until the job has run
    Credentials account;
    RunFlag::Token token;
};

class Poller {
  public:
    static constexpr int kStartInterval = 2000;
    static constexpr int kIntervalStep = 1000;
    static constexpr int kMaxInterval = 20000;
    // Logged before a received line that held NUL bytes, as stored without them.
    static constexpr const char* kNulDroppedText = "收到的内容含有空字符,已去掉:";

    explicit Poller(EngineServices services) : s_(services), store_(services.log) {}
    virtual ~Poller() = default;
    Poller(const Poller&) = delete;
    Poller& operator=(const Poller&) = delete;

    // The timer's tick: a job when online, not paused and no poll is running.
    std::optional<PollJob> tick(Database& db, const Credentials& account);
    // The worker: asks the service and stores what it answered.
    void poll(PollJob job);
    // The timer's interval in ms for its next tick.
    int interval() const { return interval_.load(); }

    bool Busy() const { return runFlag_.Busy(); }
    void WaitIdle() const { runFlag_.WaitIdle(); }

  protected:
    // The service request (GetMo or GetReport).
    virtual int Fetch(std::string& code, std::vector<std::string>& lines, const Credentials& account) = 0;
    // The sound of data arriving, the log line for n received items, the log text before a line
    // that could not be stored, and the counter they go to.
    virtual SoundEvent Sound() const = 0;
    virtual std::string ReceivedText(std::size_t n) const = 0;
    virtual std::string NotStoredText() const = 0;
    virtual void Count(std::size_t n) = 0;
    // Stores one trimmed reply line (a line it skips counts as stored); `corpID` is checked digits.
    virtual bool Store(Database& db, const std::string& line, const std::string& corpID) = 0;

    EngineServices s_;

  private:
    // The line with every NUL byte dropped (a NUL inside a text ends nothing); logged when it had one.
    std::string WithoutNul(std::string_view line);
    // A trimmed reply line and the account it was read for.
    struct HeldLine {
        std::string corpID;
        std::string line;
    };

    // Stores the held lines in one transaction; on failure keeps them.
    bool StoreHeld(Database& db);

    RunFlag runFlag_;
    StoreRetry store_;            // used only by the holder of the run token
    std::vector<HeldLine> held_;  // likewise
    std::atomic<int> interval_{kStartInterval};
};

}  // namespace xunda
