// The send tick and worker against a database file and a scripted service.
#include "engine/send_engine.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "engine_fixture.h"
#include "gateway/result_text.h"

namespace xunda::test {
namespace {

class SendEngineTest : public EngineTest {
  protected:
    // One tick and, when it starts one, the run.
    SendTickResult TickAndRun() {
        SendTick t = engine.tick(*db, account);
        if (t.job) engine.run(std::move(*t.job));
        return t.result;
    }
    std::string Flag(std::int64_t id) { return Value("SELECT flag FROM mt WHERE id=" + std::to_string(id)); }

    SendEngine engine{Services()};
};

TEST_F(SendEngineTest, EmptyOutboxStartsNoRun) {
    SendTick t = engine.tick(*db, account);
    EXPECT_EQ(t.result, SendTickResult::Empty);
    EXPECT_FALSE(t.job);
    EXPECT_FALSE(engine.Busy());
}

TEST_F(SendEngineTest, OneRequestForEqualKeysThenTheMoveToTheHistory) {
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        std::string mob = "1380000" + std::to_string(1000 + i);
        Queue(mob, "你好");
        expected += (i ? "," : "") + mob;
    }
    Queue("13900000000", "other", "20002");  // another account's row stays
    int refreshed = 0;
    engine.SetOutboxListener([&] { ++refreshed; });

    EXPECT_EQ(TickAndRun(), SendTickResult::Started);
    auto calls = gateway.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].msgFormat, 2);
    EXPECT_EQ(calls[0].mt.Mobs, expected);
    EXPECT_EQ(calls[0].mt.msg, "你好");
    EXPECT_EQ(calls[0].mt.mtLevel, "1");
    EXPECT_EQ(calls[0].account.corpID, "10001");
    EXPECT_EQ(calls[0].account.password, "secret");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE corpID=10001"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE corpID=20002"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak WHERE flag=1 AND mtID BETWEEN 9000 AND 9099"), 100);
    EXPECT_EQ(control.mt, 100);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(sleeper.total, 50);
    EXPECT_EQ(Logged("发送短信:你好"), 1);
    EXPECT_EQ(Logged("手机号码:(100)个,返回结果:" + SmsResultText(100)), 1);
}

TEST_F(SendEngineTest, AHundredRowsPerTickInIdOrder) {
    std::vector<std::string> mobs;
    for (int i = 0; i < 150; ++i) {
        mobs.push_back(std::to_string(13600000000 + i));
        Queue(mobs.back(), "x");
    }
    auto joined = [&](std::size_t from, std::size_t to) {
        std::string text;
        for (std::size_t i = from; i < to; ++i) text += (i > from ? "," : "") + mobs[i];
        return text;
    };
    EXPECT_EQ(TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE flag=0"), 50);
    EXPECT_EQ(TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(TickAndRun(), SendTickResult::Empty);
    auto calls = gateway.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].mt.Mobs, joined(0, 100));
    EXPECT_EQ(calls[1].mt.Mobs, joined(100, 150));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak"), 150);
    EXPECT_EQ(control.mt, 150);
}

TEST_F(SendEngineTest, PartlyAcceptedRequest) {
    Queue("131", "x");
    std::int64_t refused = Queue("132", "x");
    gateway.QueuePut({0, "200", {"0,9001", "403,403"}});
    TickAndRun();
    EXPECT_EQ(Value("SELECT mtID || '|' || flag || '|' || mob FROM mt_bak"), "9001|1|131");
    EXPECT_EQ(Value("SELECT id || '|' || flag FROM mt"), std::to_string(refused) + "|403");
    EXPECT_EQ(Logged("手机号码:(2)个,返回结果:" + SmsResultText(200)), 1);
    EXPECT_TRUE(sounds.Played().empty());
}

TEST_F(SendEngineTest, RefusedRequestMarksItsRowsAndPlaysTheErrorSound) {
    std::int64_t first = Queue("131", "one");
    std::int64_t second = Queue("132", "two");
    std::int64_t third = Queue("133", "two");
    gateway.QueuePut({0, "100", {"0,77"}});
    gateway.QueuePut({0, "501", {}});
    TickAndRun();
    EXPECT_EQ(Value("SELECT mtID FROM mt_bak"), "77");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE id=" + std::to_string(first)), 0);
    EXPECT_EQ(Flag(second), "501");
    EXPECT_EQ(Flag(third), "501");
    EXPECT_EQ(sounds.Played(), std::vector<SoundEvent>{SoundEvent::SendError});
}

TEST_F(SendEngineTest, UnusableRepliesMarkTheirRowsUnknownInsteadOfReusingTheLastCode) {
    std::int64_t a = Queue("131", "a");
    std::int64_t b = Queue("132", "b");
    std::int64_t c = Queue("133", "c");
    gateway.QueuePut({0, "501", {}});
    gateway.QueuePut({-3, "", {}});
    gateway.QueuePut({0, "garbage", {}});
    TickAndRun();
    EXPECT_EQ(Flag(a), "501");
    EXPECT_EQ(Flag(b), "-3");
    EXPECT_EQ(Flag(c), "-3");
    EXPECT_EQ(Logged("手机号码:(1)个,返回结果:" + SmsResultText(501)), 1);
    EXPECT_EQ(Logged("手机号码:(1)个,返回结果:" + SmsResultText(0)), 2);
    EXPECT_TRUE(prompts.notices.empty());
}

TEST_F(SendEngineTest, ShortAndLongResultListsAndBadMessageNumbers) {
    Queue("131", "x");
    std::int64_t b = Queue("132", "x");
    std::int64_t c = Queue("133", "x");
    gateway.QueuePut({0, "100", {"0,12x", "403,403"}});
    Queue("134", "y");
    gateway.QueuePut({0, "100", {"0,5", "0,6"}});
    TickAndRun();
    EXPECT_EQ(Value("SELECT mtID FROM mt_bak WHERE mob='131'"), "NULL");  // accepted all the same
    EXPECT_EQ(Flag(b), "403");
    EXPECT_EQ(Flag(c), "-3");
    EXPECT_EQ(Value("SELECT mtID FROM mt_bak WHERE mob='134'"), "5");
    EXPECT_EQ(Logged("多余的返回结果:0,6"), 1);
    EXPECT_TRUE(prompts.notices.empty());
}

TEST_F(SendEngineTest, AFailingStatementLeavesTheOtherRowsOfTheBatchRecorded) {
    for (std::string mob : {"131", "132", "133"}) Queue(mob, "x");
    db->pAdoCom(
        "CREATE TRIGGER bad BEFORE UPDATE ON mt WHEN NEW.mob='132' BEGIN SELECT RAISE(ABORT, 'no'); END");
    TickAndRun();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak WHERE mob IN ('131', '133')"), 2);
    EXPECT_EQ(Value("SELECT flag FROM mt WHERE mob='132'"), "0");
    EXPECT_FALSE(prompts.notices.empty());
}

TEST_F(SendEngineTest, TransportFailureEndsTheRunButStillMovesTheAcceptedRows) {
    Queue("131", "a");
    std::int64_t b = Queue("132", "b");
    std::int64_t c = Queue("133", "c");
    gateway.QueuePut({0, "100", {"0,1"}});
    gateway.QueuePut({500, "", {}});
    TickAndRun();
    EXPECT_EQ(gateway.Calls().size(), 2u);
    EXPECT_EQ(Logged("网络故障:  Internal Server Error"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak WHERE mob='131'"), 1);
    EXPECT_EQ(Flag(b), "0");
    EXPECT_EQ(Flag(c), "0");
    EXPECT_EQ(control.mt, 1);
    TickAndRun();  // sent again at the next tick
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt"), 0);
}

TEST_F(SendEngineTest, PausingDuringARunSendsNoEmptyRequest) {
    Queue("131", "a");
    Queue("132", "b");
    SendTick t = engine.tick(*db, account);
    ASSERT_TRUE(t.job);
    control.btnSmsSendPauseClick();  // paused between the tick and the worker's first row
    engine.run(std::move(*t.job));
    EXPECT_TRUE(gateway.Calls().empty());
    EXPECT_TRUE(prompts.notices.empty());

    control.btnSmsSendPauseClick();
    gateway.SetPutHandler([&](const MtRequest&) {
        control.btnSmsSendPauseClick();  // paused while the first request is out
        return FakeReply{0, "100", {"0,5"}};
    });
    TickAndRun();
    EXPECT_EQ(gateway.Calls().size(), 1u);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak"), 1);
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::Paused);
}

TEST_F(SendEngineTest, GoingOfflineLogsPausesAndWarnsOnce) {
    Queue("131", "a");
    online.online = false;
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::WentOffline);
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::Offline);
    EXPECT_EQ(Logged("网络故障"), 1);
    EXPECT_EQ(prompts.alerts, std::vector<std::string>{"网络中断,短信处理将停止!"});
    EXPECT_EQ(control.toggles, 1);
    EXPECT_TRUE(control.paused());
    online.online = true;  // coming back does not resume by itself
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::Paused);
    EXPECT_TRUE(gateway.Calls().empty());
}

// Blocks putMt until released, and tells when a request is waiting.
struct SlowService {
    explicit SlowService(FakeGateway& gateway) {
        gateway.SetPutHandler([this](const MtRequest& mt) {
            arrived.set_value();
            release.get_future().wait();
            FakeReply reply;
            for (std::size_t i = 0, n = std::count(mt.Mobs.begin(), mt.Mobs.end(), ',') + 1; i < n; ++i)
                reply.lines.push_back("0," + std::to_string(100 + i));
            return reply;
        });
    }
    std::promise<void> arrived;
    std::promise<void> release;
};

TEST_F(SendEngineTest, AccountChangeWaitsForTheRunWhichKeepsItsOwnAccount) {
    Queue("131", "first account");
    Queue("132", "second account", "20002");
    db->pAdoCom("INSERT INTO mt (corpID, mob, msg, flag, mtID) VALUES (20002, '139', 'done', 1, 5)");
    auto slow = std::make_unique<SlowService>(gateway);
    SendTick t = engine.tick(*db, account);
    ASSERT_TRUE(t.job);
    std::thread worker([&, job = std::move(*t.job)]() mutable { engine.run(std::move(job)); });
    slow->arrived.get_future().wait();

    const Credentials other{"20002", "other", "pw2"};
    EXPECT_EQ(engine.tick(*db, other).result, SendTickResult::Busy);
    slow->release.set_value();
    engine.WaitIdle();
    worker.join();
    auto calls = gateway.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].account.corpID, "10001");
    EXPECT_EQ(calls[0].mt.Mobs, "131");
    EXPECT_EQ(Value("SELECT flag FROM mt WHERE mob='139'"), "1");  // the other account's rows untouched

    gateway.SetPutHandler(nullptr);
    SendTick next = engine.tick(*db, other);
    ASSERT_TRUE(next.job);
    engine.run(std::move(*next.job));
    calls = gateway.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].account.loginName, "other");
    EXPECT_EQ(calls[1].mt.Mobs, "132");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak WHERE corpID=20002"), 2);
}

}  // namespace
}  // namespace xunda::test
