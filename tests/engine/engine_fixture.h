// Shared pieces of the engine tests: fakes of the service and the desktop, and a fixture with a
// fresh database, a log that records its lines and the engine's services wired together. Every
// request, sound and rest checks that no write transaction is open meanwhile.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "core/ports.h"
#include "engine/engine_ports.h"
#include "engine/event_sound.h"
#include "engine/processing_state.h"
#include "gateway/sms_gateway.h"
#include "store/database.h"
#include "store/log.h"
#include "support/recording_prompts.h"
#include "support/sql_helpers.h"
#include "support/temp_dir.h"

namespace xunda::test {

// A gateway reply: the result, the service's code and the lines after it; `lost` for a request
// that went out without a complete reply. Result 500 without `lost` is a request that never
// reached the service; every other result a complete reply.
struct FakeReply {
    int result = 0;
    std::string code = "100";
    std::vector<std::string> lines;
    bool lost = false;
};

// The service, scripted per call. putMt hands out the queued replies first, then asks the handler,
// and without one accepts every number with the message numbers 9000, 9001, ...; getMo and
// getReport hand out their queued replies and then answer the no-data code "0". Used by one
// thread at a time.
class FakeGateway : public SmsGateway {
  public:
    int PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
              const Credentials& account, const MtRequest& mt, int, bool& replyLost) override;
    int GetMo(std::string& code, std::vector<std::string>& lines, int, const Credentials&, int) override {
        return Poll(moReplies, code, lines);
    }
    int GetReport(std::string& code, std::vector<std::string>& lines, int, const Credentials&, int) override {
        return Poll(reportReplies, code, lines);
    }
    int GetData(const std::string&, FieldList&, int&, int&, int) override { return 500; }

    struct PutCall {
        int msgFormat;
        Credentials account;
        MtRequest mt;
    };
    std::vector<PutCall> calls;
    std::deque<FakeReply> putReplies, moReplies, reportReplies;
    std::function<FakeReply(const MtRequest&)> putHandler;
    std::function<void()> check;  // called at every request, sound and rest

  private:
    int Poll(std::deque<FakeReply>& replies, std::string& code, std::vector<std::string>& lines);
    // The reply's result, its code into `code` and the answer counted as the real gateway does.
    int Answer(const FakeReply& reply, std::string& code, bool send);

    std::int64_t nextMtID_ = 9000;
};

// The desktop, the clock and the processing state as the main window keeps it: online, running
// after the login, toggled by the pause button, with the three counters.
class FakeDesk : public OnlineProbe,
                 public EventSounds,
                 public ProcessingState,
                 public Clock,
                 public Sleeper {
  public:
    bool IsOnline() override { return online.load(); }
    void Play(SoundEvent event) override { check(), played.push_back(event); }
    bool paused() const override { return paused_.load(); }
    bool PauseEnabled() const override { return !paused_.load(); }
    void btnSmsSendPauseClick() override { paused_ = !paused_, ++toggles; }
    void AddMo(std::int64_t n) override { mo += n; }
    void AddMt(std::int64_t n) override { mt += n; }
    void AddReport(std::int64_t n) override { report += n; }
    std::string Now() override { return "2026-03-04 05:06:07"; }
    void Sleep(std::chrono::milliseconds d) override { check(), slept += d.count(); }

    std::atomic<bool> online{true};
    std::vector<SoundEvent> played;
    std::atomic<int> toggles{0};
    std::atomic<std::int64_t> mo{0}, mt{0}, report{0}, slept{0};
    std::function<void()> check;  // called at every request, sound and rest

  private:
    std::atomic<bool> paused_{false};
};

class EngineTest : public ::testing::Test, public SqlHelpers {
  protected:
    EngineTest();
    void TearDown() override;

    // The fixture's services, asking `service` (the scripted gateway unless given).
    EngineServices Services(SmsGateway& service) {
        return {service, log, desk, desk, prompts, desk, desk, desk};
    }
    EngineServices Services() { return Services(gateway); }
    // Queues one outbox row for the account; returns its id.
    std::int64_t Queue(const std::string& mob, const std::string& msg, const std::string& corpID = "10001");
    Database& SqlDatabase() override { return *db; }
    // How many logged lines equal `text`.
    int Logged(const std::string& text);

    Credentials account{"10001", "demo", "secret"};
    TempDir dir;
    RecordingPrompts prompts;
    std::unique_ptr<Database> db;
    Log log;
    FakeGateway gateway;
    FakeDesk desk;
    std::atomic<int> callsInTransaction{0};

  private:
    std::mutex logMutex_;
    std::vector<std::string> logLines_;
};

}  // namespace xunda::test
