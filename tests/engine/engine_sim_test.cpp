// The engine's jobs through the real gateway against the in-process service simulator, over
// sockets on 127.0.0.1.
#include <gtest/gtest.h>

#include <thread>

#include "engine/mo_poller.h"
#include "engine/report_poller.h"
#include "engine/send_engine.h"
#include "engine_fixture.h"
#include "gateway/service_gateway.h"
#include "sms-sim/sms_sim.h"

namespace xunda::test {
namespace {

// The simulator, listening from its construction on (the gateway needs its port).
struct RunningSimulator : sim::SmsSimulator {
    RunningSimulator() : sim::SmsSimulator({.accounts = {{"demo", "secret", "10001", "g1", "p1"}}}) {
        Start();
    }
};

class EngineSimTest : public EngineTest {
  protected:
    EngineServices Real() { return {gateway, log, control, online, prompts, sounds, clock, sleeper}; }
    void TickAndRun() {
        SendTick t = engine.tick(*db, account);
        if (t.job) engine.run(std::move(*t.job));
    }

    RunningSimulator service;
    ServiceGateway gateway{{.host = service.Host(), .timeout = std::chrono::milliseconds(10000)}};
    SendEngine engine{Real()};
};

TEST_F(EngineSimTest, GroupsSendsAndRecordsEveryNumber) {
    Queue("13800000001", "文本一");
    Queue("13800000002", "text two");
    Queue("13800000003", "文本一");
    service.RefuseNumber("13800000003", "404");
    for (int i = 0; i < 150; ++i) Queue(std::to_string(13900000000 + i), "bulk");
    TickAndRun();
    auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(sim::Find(requests[0].query, "Mobs"), "13800000001,13800000003");
    EXPECT_EQ(sim::Find(requests[1].query, "Mobs"), "13800000002");
    EXPECT_EQ(Value("SELECT flag FROM mt WHERE mob='13800000003'"), "404");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE flag=0"), 53);
    TickAndRun();
    EXPECT_EQ(service.Requests().size(), 4u);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak"), 152);
    EXPECT_EQ(service.Sent()[0].text, "文本一");
    for (int i = 0; i < 150; ++i) ASSERT_EQ(service.SendCount(std::to_string(13900000000 + i)), 1);
}

TEST_F(EngineSimTest, RefusedRequestAndUnreachableService) {
    Queue("13800000001", "a");
    service.Script({.path = "/sms/putMt/", .serviceCode = "501"});
    TickAndRun();
    EXPECT_EQ(Value("SELECT flag FROM mt"), "501");

    db->pAdoCom("UPDATE mt SET flag=0");
    service.Script({.path = "/sms/putMt/", .serviceActs = false, .dropConnection = true});
    TickAndRun();
    EXPECT_EQ(Value("SELECT flag FROM mt"), "0");
    EXPECT_EQ(Logged("网络故障:  Internal Server Error"), 1);
}

TEST_F(EngineSimTest, PauseAndResumeDuringASlowReplySendsEachNumberOnce) {
    for (int i = 0; i < 120; ++i) Queue(std::to_string(13700000000 + i), i < 60 ? "x" : "y");
    service.Script({.path = "/sms/putMt/", .delay = std::chrono::milliseconds(300)});
    SendTick t = engine.tick(*db, account);
    ASSERT_TRUE(t.job);
    std::thread worker([&, job = std::move(*t.job)]() mutable { engine.run(std::move(job)); });
    for (int i = 0; i < 10000 && service.Requests().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    control.btnSmsSendPauseClick();
    control.btnSmsSendPauseClick();
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::Busy);
    worker.join();
    TickAndRun();
    for (int i = 0; i < 120; ++i) ASSERT_EQ(service.SendCount(std::to_string(13700000000 + i)), 1) << i;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak"), 120);
}

TEST_F(EngineSimTest, InboxAndReportsWithLargeMessageNumbers) {
    service.SetNextMessageId(5000000000ULL);
    Queue("13800000001", "hi");
    TickAndRun();
    service.QueueReport({5000000000ULL, "0", "10001"});
    service.QueueIncoming({"13800000009", "1065700", "hello, world，你好", "20240102030405", "10001"});

    MoPoller mo(Real());
    ReportPoller report(Real());
    for (Poller* p : {static_cast<Poller*>(&mo), static_cast<Poller*>(&report)}) {
        std::optional<PollJob> job = p->tick(*db, account);
        ASSERT_TRUE(job);
        p->poll(std::move(*job));
        EXPECT_EQ(p->interval(), Poller::kStartInterval);
    }
    EXPECT_EQ(Value("SELECT mstatus FROM mt_bak WHERE mtID=5000000000"), "0");
    EXPECT_EQ(Value("SELECT msg || '|' || moTime || '|' || mob FROM mo"),
              "hello, world，你好|2024-01-02 03:04:05|13800000009");
    std::optional<PollJob> job = mo.tick(*db, account);
    mo.poll(std::move(*job));
    EXPECT_EQ(mo.interval(), Poller::kStartInterval + Poller::kIntervalStep);
}

}  // namespace
}  // namespace xunda::test
