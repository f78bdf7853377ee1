// The send engine without windows, for the kill-9 drill (scripts/kill-drill.sh):
//     xunda-send-drill seed N        a new database under $XUNDA_SMS_HOME with N queued rows
//     xunda-send-drill send          starts as the program does and sends until the outbox is
//                                    empty, against $XUNDA_SMS_HOST, as account 10001
//     xunda-send-drill serve PORT F [N]
//                                    the service simulator; every Nth putMt reply is lost (the
//                                    connection closes, the reply breaks off or comes too late);
//                                    at SIGTERM writes every number it accepted, one per line, to F
// The account is demo/demo, corporate number 10001.
#include <csignal>
#include <fstream>
#include <iostream>
#include <string>

#include "core/paths.h"
#include "core/ports.h"
#include "core/text_util.h"
#include "engine/event_sound.h"
#include "engine/processing_state.h"
#include "engine/report_poller.h"
#include "engine/send_engine.h"
#include "gateway/service_gateway.h"
#include "sms-sim/sms_sim.h"
#include "store/database.h"
#include "store/log.h"

namespace xunda {
namespace {

const Credentials kAccount{"10001", "demo", "demo"};

// Boxes go to stderr; questions are answered no.
class StderrPrompts : public Prompts {
  public:
    void Notice(const std::string& text) override { std::cerr << text << "\n"; }
    void Alert(const std::string& text) override { std::cerr << text << "\n"; }
    bool Confirm(const std::string&) override { return false; }
    bool ConfirmSevere(const std::string&) override { return false; }
    bool OfferOpen(const std::string&) override { return false; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override { return {}; }
};

class Running : public ProcessingState, public OnlineProbe, public EventSounds {
  public:
    bool paused() const override { return paused_; }
    bool PauseEnabled() const override { return !paused_; }
    void btnSmsSendPauseClick() override { paused_ = !paused_; }
    void AddMo(std::int64_t) override {}
    void AddMt(std::int64_t) override {}
    void AddReport(std::int64_t) override {}
    bool IsOnline() override { return true; }
    void Play(SoundEvent) override {}

  private:
    std::atomic<bool> paused_{false};
};

int Seed(int rows) {
    StderrPrompts prompts;
    EnsurePrivateDir(DataDir());
    std::unique_ptr<Database> db = Database::Create(Database::DefaultPath(), prompts);
    if (!db) return 1;
    BulkWriter writer(*db,
                      "INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) "
                      "VALUES (10001, ?, ?, '', '', '1', 0)");
    for (int i = 0; i < rows; ++i) {
        // Runs of one text with every tenth row of another, so that batches come in many sizes.
        const std::string text = i % 10 == 0 ? "drill" : "drill " + std::to_string(i / 37);
        writer.Add({std::string_view(std::to_string(13000000000LL + i)), std::string_view(text)});
    }
    return writer.Commit() ? 0 : 1;
}

int Send() {
    StderrPrompts prompts;
    std::unique_ptr<Database> db = Database::OpenAtStart(prompts);
    if (!db) return 1;
    Log log(LogDir());
    log.SetAccount(kAccount.corpID);
    // A reply two seconds late (the simulator's lost replies) is past every wait.
    ServiceGateway gateway({.timeout = std::chrono::milliseconds(1000)});
    Running state;
    SystemClock clock;
    SystemSleeper sleeper;
    const EngineServices services{gateway, log, state, state, prompts, state, clock, sleeper};
    SendEngine engine(services);
    ReportPoller reports(services);
    for (;;) {
        SendTick tick = engine.tick(*db, kAccount);
        if (tick.result == SendTickResult::Empty) return 0;
        if (tick.result == SendTickResult::Waiting) {
            // A reply was lost: sending goes on once the service answers again, as it does to the
            // program's pollers.
            if (std::optional<PollJob> poll = reports.tick(*db, kAccount)) reports.poll(std::move(*poll));
            continue;
        }
        if (tick.result != SendTickResult::Started) {
            std::cerr << "send-drill: processing paused\n";
            return 3;
        }
        engine.run(std::move(*tick.job));
    }
}

int Serve(const std::string& port, const std::string& file, int faultEvery) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before any thread starts: they inherit it
    sim::SmsSimulator service({.accounts = {{"demo", "demo", "10001", "g1", "p1"}},
                               .port = static_cast<std::uint16_t>(ParseInt(port).value()),
                               .faultEvery = faultEvery});
    service.Start();
    std::cout << "listening on " << service.Host() << std::endl;
    int signal = 0;
    sigwait(&signals, &signal);
    service.Stop();
    std::ofstream out(file);
    for (const sim::SentMessage& m : service.Sent()) out << m.mob << "\n";
    return out ? 0 : 1;
}

}  // namespace
}  // namespace xunda

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seed" && argc == 3) return xunda::Seed(static_cast<int>(xunda::ParseInt(argv[2]).value()));
    if (mode == "send" && argc == 2) return xunda::Send();
    if (mode == "serve" && (argc == 4 || argc == 5))
        return xunda::Serve(argv[2], argv[3],
                            argc == 5 ? static_cast<int>(xunda::ParseInt(argv[4]).value_or(0)) : 0);
    std::cerr << "usage: xunda-send-drill seed N | send | serve PORT FILE [N]\n";
    return 2;
}
