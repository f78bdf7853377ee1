// Draining the outbox through the send engine against the in-process service simulator over real
// sockets: 100,000 queued rows of one account, the tick and the pause after each request set to 0,
// each run on a thread of its own as the program runs it. Prints the drain rate and the engine's
// own time per 100-row run (the tick and the run less the time spent waiting for the service),
// checks that every number was sent exactly once and every row reached the history, and gives the
// rate at the program's pace (a 1000 ms tick re-armed after each run, 50 ms after each request).
// Goals: >= 5,000 rows/s, <= 20 ms engine time per run, >= 90 rows/s at the program's pace.
//
//     bench_engine_drain            the drain, and the pace computed from the measured runs
//     bench_engine_drain --paced    also drains 10,000 rows at the real pace (about 110 s)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "engine/engine_ports.h"
#include "engine/event_sound.h"
#include "engine/processing_state.h"
#include "engine/send_engine.h"
#include "gateway/service_gateway.h"
#include "sms-sim/sms_sim.h"
#include "store/database.h"
#include "store/log.h"

namespace {
using namespace xunda;
using namespace xunda::bench;

const std::string kMsg = "尊敬的客户您好，您的订单已发货，请注意查收。如有疑问请致电客服热线。[泊舟讯达]";

class Online : public OnlineProbe {
  public:
    bool IsOnline() override { return true; }
};

class Running : public ProcessingState {
  public:
    bool paused() const override { return false; }
    bool PauseEnabled() const override { return true; }
    void btnSmsSendPauseClick() override {}
    void AddMo(std::int64_t) override {}
    void AddMt(std::int64_t) override {}
    void AddReport(std::int64_t) override {}
};

class Silence : public EventSounds {
  public:
    void Play(SoundEvent) override {}
};

// The real gateway, with the time spent inside its requests added up.
class TimedGateway : public SmsGateway {
  public:
    explicit TimedGateway(SmsGateway& inner) : inner_(inner) {}
    int PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
              const Credentials& account, const MtRequest& mt, int proxyType, bool& replyLost) override {
        const auto start = Steady::now();
        const int result =
            inner_.PutMt(resultValue, replyLines, msgFormat, account, mt, proxyType, replyLost);
        waited_ += Steady::now() - start;
        return result;
    }
    int GetMo(std::string& v, std::vector<std::string>& l, int f, const Credentials& a, int p) override {
        return inner_.GetMo(v, l, f, a, p);
    }
    int GetReport(std::string& v, std::vector<std::string>& l, int f, const Credentials& a, int p) override {
        return inner_.GetReport(v, l, f, a, p);
    }
    int GetData(const std::string& url, FieldList& fields, int& cols, int& rows, int p) override {
        return inner_.GetData(url, fields, cols, rows, p);
    }
    // The time waited since the last call.
    Steady::duration TakeWaited() { return std::exchange(waited_, Steady::duration{}); }

  private:
    SmsGateway& inner_;
    Steady::duration waited_{};
};

struct Drain {
    double seconds = 0;
    std::vector<double> runMs;     // whole runs
    std::vector<double> engineMs;  // runs less the service's time
    bool exact = false;            // every number once, every row in the history
};

// Queues `rows` rows, drains them and checks the outcome. `tick` is waited before each tick (after
// the previous run, as the timer is re-armed), `pause` after each request.
Drain RunDrain(int rows, std::chrono::milliseconds tick, std::chrono::milliseconds pause) {
    const TempFolder dir;
    Drain drain;
    PrintingPrompts prompts;
    std::unique_ptr<Database> db = Database::Create(dir / "TOLVI_DY.db", prompts);
    if (!db) std::abort();
    std::vector<std::string> mobs;
    {
        BulkWriter w(*db,
                     "INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES "
                     "(10001, ?, ?, '', '', ?, 0)");
        for (int i = 0; i < rows; ++i) {
            mobs.push_back(Mob(i));
            w.Add({std::string_view(mobs.back()), std::string_view(kMsg), std::int64_t{i < 500 ? 1 : 2}});
        }
        if (!w.Commit()) std::abort();
    }

    sim::SmsSimulator service({.accounts = {{"demo", "demo", "10001", "g1", "p1"}}});
    service.Start();
    ServiceGateway real({.host = service.Host()});
    TimedGateway gateway(real);
    Log log(dir / "LOG");
    log.SetAccount("10001");
    Running control;
    Online online;
    Silence sound;
    SystemClock clock;
    SystemSleeper sleeper;
    SendEngine engine({gateway, log, control, online, prompts, sound, clock, sleeper}, pause);
    const Credentials account{"10001", "demo", "demo"};

    const auto start = Steady::now();
    auto end = start;
    for (bool first = true;; first = false) {
        if (!first && tick.count() > 0) std::this_thread::sleep_for(tick);
        const auto runStart = Steady::now();  // the tick's selection is the run's work too
        SendTick t = engine.tick(*db, account);
        if (!t.job) break;
        std::thread worker([&engine, job = std::move(*t.job)]() mutable { engine.run(std::move(job)); });
        worker.join();
        const auto run = Steady::now() - runStart;
        drain.runMs.push_back(std::chrono::duration<double, std::milli>(run).count());
        drain.engineMs.push_back(
            std::chrono::duration<double, std::milli>(run - gateway.TakeWaited()).count());
        end = Steady::now();
    }
    drain.seconds = std::chrono::duration<double>(end - start).count();

    std::map<std::string, int> sent;
    for (const sim::SentMessage& m : service.Sent()) ++sent[m.mob];
    const bool everyOnce = sent.size() == mobs.size() &&
                           std::all_of(sent.begin(), sent.end(), [](const auto& e) { return e.second == 1; });
    const ResultSet left = db->pAdoQuery("SELECT COUNT(*) AS n FROM mt");
    const ResultSet moved = db->pAdoQuery("SELECT COUNT(DISTINCT mob) AS n FROM mt_bak WHERE flag=1");
    drain.exact = everyOnce && left.AsInt("n") == 0 && moved.AsInt("n") == rows;
    service.Stop();
    return drain;
}

double Mean(const std::vector<double>& v) {
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    const bool paced = argc > 1 && std::string(argv[1]) == "--paced";
    constexpr int kRows = 100000;

    const Drain d = RunDrain(kRows, std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    const double rate = kRows / d.seconds;
    std::printf("drain of %d rows, tick and pause 0: %.2f s, %.0f rows/s (goal >= 5000: ratio %.2f)\n", kRows,
                d.seconds, rate, rate / 5000);
    std::printf("runs: %zu; whole run mean %.2f ms, p99 %.2f ms\n", d.runMs.size(), Mean(d.runMs),
                Percentile(d.runMs, 0.99));
    std::printf(
        "engine's own time per 100-row run: mean %.2f ms, p99 %.2f ms, max %.2f ms (goal <= 20: ratio "
        "%.2f)\n",
        Mean(d.engineMs), Percentile(d.engineMs, 0.99), Percentile(d.engineMs, 1.0),
        Percentile(d.engineMs, 0.99) / 20);
    std::printf("every number sent once, every row in the history: %s\n", d.exact ? "yes" : "NO");

    // At the program's pace each 100-row run follows a 1000 ms tick and rests 50 ms after its request.
    const double pace = 100.0 / (1.0 + 0.050 + Mean(d.runMs) / 1000.0);
    std::printf(
        "at the program's pace (1000 ms tick, 50 ms pause): %.1f rows/s computed (goal >= 90: ratio %.2f)\n",
        pace, pace / 90);
    bool ok = d.exact;
    if (paced) {
        constexpr int kPacedRows = 10000;
        const Drain p = RunDrain(kPacedRows, std::chrono::milliseconds(1000), SendEngine::kSendPause);
        const double pacedRate = kPacedRows / p.seconds;
        std::printf(
            "paced drain of %d rows: %.1f s, %.1f rows/s measured (goal >= 90: ratio %.2f), exact: %s\n",
            kPacedRows, p.seconds, pacedRate, pacedRate / 90, p.exact ? "yes" : "NO");
        ok = ok && p.exact;
    }
    return ok ? 0 : 1;
}
