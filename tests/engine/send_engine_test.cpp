// The send tick and worker against a database file and a scripted service.
#include "engine/send_engine.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "engine/mo_poller.h"
#include "engine_fixture.h"
#include "gateway/result_text.h"
#include "gateway/service_gateway.h"
#include "net/loopback_peer.h"
#include "net/socket_api.h"
#include "sms-sim/sms_sim.h"

namespace xunda::test {
namespace {

class SendEngineTest : public EngineTest {
  protected:
    // One tick and, when it starts one, the run.
    SendTickResult TickAndRun(SendEngine& e, const Credentials& who) {
        SendTick t = e.tick(*db, who);
        if (t.job) e.run(std::move(*t.job));
        return t.result;
    }
    SendTickResult TickAndRun() { return TickAndRun(engine, account); }
    std::string Flag(std::int64_t id) { return Value("SELECT flag FROM mt WHERE id=" + std::to_string(id)); }
    // Every number the service was asked for, in order.
    std::vector<std::string> Sent() {
        std::vector<std::string> mobs;
        for (const auto& call : gateway.calls) mobs.push_back(call.mt.Mobs);
        return mobs;
    }

    // The send engine and the inbox poller over real sockets, on one gateway to the simulator.
    struct OverSockets {
        // `log` sees each request's line before its reply goes out.
        OverSockets(SendEngineTest& test, std::chrono::milliseconds timeout,
                    std::function<void(const std::string&)> log = {})
            : t(test),
              service({.accounts = {{"demo", "secret", "10001", "g", "p"}}, .log = std::move(log)}),
              http({.host = (service.Start(), service.Host()), .timeout = timeout}),
              send(test.Services(http)),
              poller(test.Services(http)) {}
        SendTickResult TickAndRun() { return t.TickAndRun(send, t.account); }
        // One poll of the inbox (none while paused): an answer of the service, unless it drops the
        // connection.
        void Poll() {
            if (std::optional<PollJob> job = poller.tick(*t.db, t.account)) poller.poll(std::move(*job));
        }
        // "mob:text" of each number the service accepted, in order.
        std::string Accepted() {
            std::string sent;
            for (const sim::SentMessage& m : service.Sent())
                sent += (sent.empty() ? "" : ",") + m.mob + ":" + m.text;
            return sent;
        }

        SendEngineTest& t;
        sim::SmsSimulator service;
        ServiceGateway http;
        SendEngine send;
        MoPoller poller;
    };

    SendEngine engine{Services()};
};

TEST_F(SendEngineTest, AHundredRowsPerTickGroupedByKeyThenMovedToTheHistory) {
    std::string first, second;
    for (int i = 0; i < 150; ++i) {
        const std::string mob = std::to_string(13600000000 + i);
        Queue(mob, "你好");
        (i < 100 ? first : second) += (i % 100 ? "," : "") + mob;
    }
    Queue("13900000000", "other", "20002");  // another account's row stays
    int refreshed = 0;
    engine.SetOutboxListener([&] { ++refreshed; });

    EXPECT_EQ(TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE flag=0"), 51);
    EXPECT_EQ(TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(TickAndRun(), SendTickResult::Empty);
    EXPECT_FALSE(engine.Busy());
    EXPECT_EQ(Sent(), (std::vector<std::string>{first, second}));
    const auto call = gateway.calls.front();
    EXPECT_EQ(call.msgFormat, 2);
    EXPECT_EQ(call.mt.msg, "你好");
    EXPECT_EQ(call.mt.mtLevel, "1");
    EXPECT_EQ(call.account.password, "secret");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE corpID=10001"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE corpID=20002"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak WHERE flag=1 AND mtID BETWEEN 9000 AND 9149"), 150);
    EXPECT_EQ(Value("SELECT mob FROM mt_bak WHERE mtID=9100"), "13600000100");
    EXPECT_EQ(desk.mt, 150);
    EXPECT_EQ(refreshed, 2);
    EXPECT_EQ(desk.slept, 100);
    EXPECT_EQ(Logged("发送短信:你好"), 2);
    EXPECT_EQ(Logged("手机号码:(100)个,返回结果:" + SmsResultText(100)), 1);
}

// Three rows with one text: what a reply makes of them.
TEST_F(SendEngineTest, WhatARequestsReplyMakesOfItsRows) {
    const std::string three = "手机号码:(3)个,返回结果:";
    const struct Case {
        const char* what;
        FakeReply reply;
        std::vector<std::string> flags;  // of the three rows afterwards ("" when moved to the history)
        std::vector<std::string> logged;
        bool sound = false;
        std::vector<std::string> rows = {"131", "132", "133"};
    } cases[] = {
        Case("partly", {0, "200", {"0,9001", "403,403", "0,9003"}}, {"", "403", ""},
             {three + SmsResultText(200)}),
        {"refused whole", {0, "501", {}}, {"501", "501", "501"}, {}, true},
        {"no line at all", {-3, "", {}}, {"-3", "-3", "-3"}, {three + SmsResultText(0)}, true},
        {"garbage code", {0, "1; DROP TABLE mt", {}}, {"-3", "-3", "-3"}, {}, true},
        Case("short list and unreadable message number", {0, "100", {"0,12x", "403,403"}}, {"", "403", "-3"},
             {"号码已发送,消息编号无法识别:131(0,12x)", "号码没有返回结果:133"}),
        {"long list", {0, "100", {"0,1", "0,2", "0,3", "0,4"}}, {"", "", ""}, {"多余的返回结果:0,4"}},
        Case("a number holding a comma is refused on its own", {0, "100", {"0,5", "0,6"}}, {"", "-3", ""},
             {"号码含有\",\",不能发送:13,2", "手机号码:(2)个,返回结果:" + SmsResultText(100)}, false,
             {"131", "13,2", "133"}),
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Exec("DELETE FROM mt");
        std::vector<std::int64_t> ids;
        for (const std::string& mob : c.rows) ids.push_back(Queue(mob, "x"));
        const std::size_t played = desk.played.size();
        gateway.putReplies.push_back(c.reply);
        TickAndRun();
        for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(Flag(ids[i]), c.flags[i]) << i;
        for (const std::string& line : c.logged) EXPECT_EQ(Logged(line), 1) << line;
        EXPECT_EQ(desk.played.size() - played, c.sound ? 1u : 0u);
    }
    EXPECT_EQ(Value("SELECT group_concat(mob || ':' || IFNULL(mtID, 'NULL'), ' ') FROM mt_bak"),
              "131:9001 133:9003 131:NULL 131:1 132:2 133:3 131:5 133:6");
    EXPECT_EQ(desk.played[0], SoundEvent::SendError);
    EXPECT_TRUE(prompts.notices().empty());
}

// A full disk, a locked or read-only file: the results stay in memory and nothing more is sent;
// every tick stores them again, quietly, and once they are stored sending goes on by itself. A
// mark that cannot be written likewise.
TEST_F(SendEngineTest, WhatCannotBeStoredIsTriedAgainQuietlyAtEachTickAndSendingGoesOnByItself) {
    for (std::string mob : {"131", "132"}) Queue(mob, "a");
    Queue("133", "b");
    const struct {
        const char* trigger;
        std::vector<std::string> sent;  // when it fails
    } cases[] = {{"BEFORE UPDATE ON mt", {"131,132"}}, {"BEFORE INSERT ON mt_sending", {"131,132", "133"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trigger);
        const int round = static_cast<int>(&c - cases) + 1;
        if (round == 2) Queue("134", "c");
        Exec(std::string("CREATE TRIGGER full ") + c.trigger +
             " BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        for (int tick = 0; tick < 3; ++tick) EXPECT_EQ(TickAndRun(), SendTickResult::Started);
        EXPECT_EQ(prompts.notices().size(), static_cast<std::size_t>(round));  // the store's box, once
        EXPECT_EQ(Logged(kStoreFailedText), round);
        EXPECT_EQ(Sent(), c.sent);
        Exec("DROP TRIGGER full");
        TickAndRun();
        EXPECT_EQ(Logged(kStoreResumedText), round);
    }
    EXPECT_EQ(Sent(), (std::vector<std::string>{"131,132", "133", "134"}));
    EXPECT_EQ(Value("SELECT group_concat(mob || ':' || mtID) FROM mt_bak"),
              "131:9000,132:9001,133:9002,134:9003");
    EXPECT_EQ(desk.toggles, 0);
}

// Results held for one account are stored at the next run, for whichever account it runs, and
// that account's accepted rows reach its own history.
TEST_F(SendEngineTest, ResultsHeldAcrossAChangeOfAccountReachTheirOwnHistory) {
    Queue("131", "a");
    Exec("CREATE TRIGGER locked BEFORE UPDATE ON mt BEGIN SELECT RAISE(ABORT, 'locked'); END");
    TickAndRun();
    Exec("DROP TRIGGER locked");
    Queue("141", "b", "20002");
    TickAndRun(engine, {"20002", "other", "pw2"});
    EXPECT_EQ(Value("SELECT group_concat(corpID || ':' || mob || ':' || mtID) FROM mt_bak"),
              "10001:131:9000,20002:141:9001");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt"), 0);
}

TEST_F(SendEngineTest, RowsAreMarkedInFlightDuringTheRequestAndMarksLeftByAKillAreNeverResent) {
    std::int64_t a = Queue("131", "x");
    Queue("132", "y");
    gateway.putHandler = [&](const MtRequest& mt) {
        EXPECT_EQ(Value("SELECT group_concat(mob) FROM mt JOIN mt_sending USING (id) WHERE corpID=10001"),
                  mt.Mobs);
        return FakeReply{0, "100", {"0,1"}};
    };
    TickAndRun();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_sending"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak"), 2);

    // A program killed after marking rows: an old file without the table gets it at open, and
    // the next program run flags the rows possibly sent and sends only the others.
    Exec("DROP TABLE mt_sending");
    db = Database::Open(db->Path(), prompts);
    ASSERT_TRUE(db);
    a = Queue("141", "x");
    std::int64_t b = Queue("142", "x");
    Queue("143", "z");
    Queue("151", "x", "20002");
    Exec("INSERT INTO mt_sending SELECT id FROM mt WHERE mob IN ('141', '142', '151')");
    SendEngine restarted{Services()};
    ASSERT_EQ(TickAndRun(restarted, account), SendTickResult::Started);
    EXPECT_EQ(gateway.calls.back().mt.Mobs, "143");
    EXPECT_EQ(Flag(a), "-4");
    EXPECT_EQ(Flag(b), "-4");
    EXPECT_EQ(Logged(std::string(SendEngine::kPossiblySentText) + "141,142"), 1);
    EXPECT_EQ(Value("SELECT group_concat(id) FROM mt_sending JOIN mt USING (id)"),
              Value("SELECT id FROM mt WHERE mob='151'"));  // another account's marks wait for it
}

// The end-of-run move is one transaction (a delete that fails leaves no copy in the history),
// and runs after a transport failure too.
TEST_F(SendEngineTest, TransportFailureEndsTheRunAndTheMoveIsAllOrNothing) {
    Queue("131", "a");
    std::int64_t b = Queue("132", "b");
    Queue("133", "c");
    gateway.putReplies = {{0, "100", {"0,1"}}, {500, "", {}}};
    Exec("CREATE TRIGGER keep BEFORE DELETE ON mt BEGIN SELECT RAISE(ABORT, 'no'); END");
    TickAndRun();
    EXPECT_EQ(gateway.calls.size(), 2u);
    EXPECT_EQ(Logged("网络故障:  Internal Server Error"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak"), 0);
    EXPECT_EQ(Value("SELECT flag FROM mt WHERE mob='131'"), "1");
    EXPECT_EQ(Flag(b), "0");
    EXPECT_EQ(desk.mt, 1);
    Exec("DROP TRIGGER keep");
    TickAndRun();  // sent again at the next tick
    EXPECT_EQ(Sent(), (std::vector<std::string>{"131", "132", "132", "133"}));
    EXPECT_EQ(Value("SELECT group_concat(mob) FROM mt_bak"), "131,132,133");
}

// Over real sockets: a request that went out without a complete reply (the connection closed, the
// reply broken off or too late) may have been accepted; its rows are flagged possibly sent and
// named, and never sent again. One that never reached the service (a refused connection, a
// connection that fails on its first write) stays queued, and the next tick sends it.
TEST_F(SendEngineTest, ALostReplyLeavesItsRowsPossiblySentAndARequestThatNeverWentOutLeavesThemQueued) {
    OverSockets real(*this, std::chrono::milliseconds(500));
    const sim::ReplyScript lost[] = {
        {.dropConnection = true}, {.cutAfter = 40}, {.delay = std::chrono::seconds(3)}};
    for (const sim::ReplyScript& script : lost) {
        const std::string mob = "1380000000" + std::to_string(&script - lost);
        const std::int64_t id = Queue(mob, "x");
        real.service.Script(script);
        real.TickAndRun();
        EXPECT_EQ(Flag(id), "-4") << mob;
        EXPECT_EQ(Logged(std::string(SendEngine::kPossiblySentText) + mob), 1);
        EXPECT_EQ(real.service.SendCount(mob), 1);
        real.Poll();  // the service answers again
        Queue(mob + "9", "x");
        EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);  // and a send, so that none is the second loss
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_sending"), 0);

    const std::int64_t id = Queue("13900000000", "x");
    static SocketFunctions saved;
    saved = SocketApiForTest();
    SocketApiForTest().send = [](SocketHandle s, const char* bytes, int length, int flags) {
        ::shutdown(s, SHUT_WR);  // the connection stands, but no byte of the request can go
        return saved.send(s, bytes, length, flags);
    };
    const SendTickResult firstWrite = real.TickAndRun();
    SocketApiForTest() = saved;
    EXPECT_EQ(firstWrite, SendTickResult::Started);
    EXPECT_EQ(Flag(id), "0");

    RefusedPort refused;
    ServiceGateway nowhere({.host = "127.0.0.1:" + refused.Port()});
    SendEngine unreached(Services(nowhere));
    for (int tick = 0; tick < 2; ++tick) EXPECT_EQ(TickAndRun(unreached, account), SendTickResult::Started);
    EXPECT_EQ(Flag(id), "0");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_sending"), 0);
    EXPECT_EQ(Logged(std::string(SendEngine::kPossiblySentText) + "13900000000"), 0);
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(real.service.SendCount("13900000000"), 1);
}

// Over real sockets: a service (or a proxy) that takes every connection and drops it without a
// reply costs one batch. Nothing more is sent until it answers a request completely again (here
// the inbox poller's); then sending goes on by itself, with one log line.
TEST_F(SendEngineTest, AServiceThatDropsEveryConnectionCostsOneBatchThenSendingGoesOnByItself) {
    OverSockets real(*this, std::chrono::milliseconds(2000));
    const std::int64_t a = Queue("13800000131", "a"), b = Queue("13800000132", "a");
    Queue("13800000133", "b");
    Queue("13800000134", "c");
    for (int i = 0; i < 3; ++i) real.service.Script({.serviceActs = false, .dropConnection = true});

    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(Flag(a) + Flag(b), "-4-4");
    EXPECT_EQ(Logged(std::string(SendEngine::kPossiblySentText) + "13800000131,13800000132"), 1);
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(real.TickAndRun(), SendTickResult::Waiting);
        real.Poll();  // dropped twice, then answered
    }
    EXPECT_EQ(Logged(SendEngine::kAnsweredText), 0);
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Empty);
    EXPECT_EQ(Logged(SendEngine::kAnsweredText), 1);
    EXPECT_EQ(Value("SELECT group_concat(mob) FROM mt_bak"), "13800000133,13800000134");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt"), 2);
    int putMts = 0;
    for (const sim::RequestRecord& r : real.service.Requests()) putMts += r.path == "/sms/putMt/";
    EXPECT_EQ(putMts, 3);
}

// Over real sockets: rows the user deletes or changes ("删除", "删除待发短信", clearing all data, an
// edit) after the tick read them are never sent: a batch sends only the rows still queued as they
// were read when it marks them; an edited row goes later with its new text.
TEST_F(SendEngineTest, RowsDeletedOrChangedAfterTheTickReadThemAreNeverSent) {
    std::function<void()> duringFirstSend;
    OverSockets real(*this, std::chrono::milliseconds(2000), [&](const std::string& line) {
        if (line.find("/sms/putMt/") != std::string::npos && duringFirstSend)
            std::exchange(duringFirstSend, {})();
    });
    Queue("13800000001", "a");
    Queue("13800000002", "a");
    const std::string gone = std::to_string(Queue("13800000011", "b"));
    const std::string edited = std::to_string(Queue("13800000012", "b"));
    Queue("13800000013", "b");
    Queue("13800000021", "c");
    duringFirstSend = [&] {
        Exec("DELETE FROM mt WHERE id=" + gone + " OR msg='c'");
        Exec("UPDATE mt SET msg='b2' WHERE id=" + edited);
    };
    ASSERT_EQ(real.TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(real.Accepted(), "13800000001:a,13800000002:a,13800000013:b");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_sending"), 0);
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(real.Accepted(), "13800000001:a,13800000002:a,13800000013:b,13800000012:b2");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt"), 0);
}

// Over real sockets: after a lost send reply any complete reply of the service lets sending go on,
// a 500 too. A service (or proxy) that answers the polls but cuts every send reply costs two
// batches: the second loss with no complete send reply in between pauses processing, with one
// warning, until the user resumes.
TEST_F(SendEngineTest, AfterALostReplyAnyAnswerLetsSendingGoOnAndASecondLossInARowPauses) {
    OverSockets real(*this, std::chrono::milliseconds(2000));
    for (int i = 0; i < 5; ++i) Queue("1380000010" + std::to_string(i), "text " + std::to_string(i));
    real.service.Script({.path = "/sms/putMt/", .cutAfter = 40});
    real.service.Script({.path = "/sms/getMo/", .status = 500});
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Waiting);
    real.Poll();  // answered with 500
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(
        real.Accepted(),  // the first taken by the service, its reply cut
        "13800000100:text 0,13800000101:text 1,13800000102:text 2,13800000103:text 3,13800000104:text 4");

    for (int i = 0; i < 4; ++i) Queue("1380000020" + std::to_string(i), "again " + std::to_string(i));
    for (int i = 0; i < 3; ++i) real.service.Script({.path = "/sms/putMt/", .cutAfter = 40});
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    real.Poll();
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    real.Poll();
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Stalled);
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Paused);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE flag=-4"), 3);
    EXPECT_EQ(prompts.alerts(), std::vector<std::string>{SendEngine::kStalledWarning});
    EXPECT_EQ(Logged(SendEngine::kStalledWarning), 1);

    desk.btnSmsSendPauseClick();  // "继续短信处理": one more loss in a row pauses again
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Stalled);
    desk.btnSmsSendPauseClick();
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Waiting);
    real.Poll();
    EXPECT_EQ(real.TickAndRun(), SendTickResult::Started);  // the service answers sends again
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE flag=-4"), 4);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt"), 4);
    EXPECT_EQ(desk.toggles, 4);
}

// A lost reply whose possibly-sent flags could not be stored at once (a locked file): the next run
// stores them and still waits for the service to answer before it sends anything.
TEST_F(SendEngineTest, ALostReplyStoredLateStillHoldsBackTheNextRun) {
    const std::int64_t a = Queue("131", "a");
    Queue("132", "b");
    gateway.putReplies = {{500, "", {}, true}};
    Exec("CREATE TRIGGER locked BEFORE UPDATE ON mt BEGIN SELECT RAISE(ABORT, 'locked'); END");
    EXPECT_EQ(TickAndRun(), SendTickResult::Started);
    Exec("DROP TRIGGER locked");
    EXPECT_EQ(TickAndRun(), SendTickResult::Started);
    EXPECT_EQ(Flag(a), "-4");
    EXPECT_EQ(Sent(), std::vector<std::string>{"131"});
    EXPECT_EQ(TickAndRun(), SendTickResult::Waiting);
}

TEST_F(SendEngineTest, PausingDuringARunSendsNoEmptyRequestAndGoingOfflinePausesOnce) {
    Queue("131", "a");
    Queue("132", "b");
    SendTick t = engine.tick(*db, account);
    ASSERT_TRUE(t.job);
    desk.btnSmsSendPauseClick();  // paused between the tick and the worker's first row
    engine.run(std::move(*t.job));
    EXPECT_TRUE(gateway.calls.empty());
    desk.btnSmsSendPauseClick();
    gateway.putHandler = [&](const MtRequest&) {
        desk.btnSmsSendPauseClick();  // paused while the first request is out
        return FakeReply{0, "100", {"0,5"}};
    };
    TickAndRun();
    EXPECT_EQ(Sent(), std::vector<std::string>{"131"});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak"), 1);
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::Paused);

    desk.btnSmsSendPauseClick();
    desk.online = false;
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::WentOffline);
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::Offline);
    EXPECT_EQ(Logged("网络故障"), 1);
    EXPECT_EQ(prompts.alerts(), std::vector<std::string>{"网络中断,短信处理将停止!"});
    EXPECT_EQ(desk.toggles, 5);
    desk.online = true;  // coming back does not resume by itself
    EXPECT_EQ(engine.tick(*db, account).result, SendTickResult::Paused);
}

TEST_F(SendEngineTest, AccountChangeWaitsForTheRunWhichKeepsItsOwnAccount) {
    Queue("131", "first account");
    Queue("132", "second account", "20002");
    std::promise<void> arrived, release;
    gateway.putHandler = [&](const MtRequest&) {
        arrived.set_value();
        release.get_future().wait();
        return FakeReply{0, "100", {"0,100"}};
    };
    SendTick t = engine.tick(*db, account);
    ASSERT_TRUE(t.job);
    std::thread worker([&, job = std::move(*t.job)]() mutable { engine.run(std::move(job)); });
    arrived.get_future().wait();

    const Credentials other{"20002", "other", "pw2"};
    EXPECT_EQ(engine.tick(*db, other).result, SendTickResult::Busy);
    release.set_value();
    engine.WaitIdle();
    worker.join();
    EXPECT_EQ(gateway.calls[0].account.corpID, "10001");

    gateway.putHandler = nullptr;
    ASSERT_EQ(TickAndRun(engine, other), SendTickResult::Started);
    EXPECT_EQ(gateway.calls[1].account.loginName, "other");
    EXPECT_EQ(Sent(), (std::vector<std::string>{"131", "132"}));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt_bak WHERE corpID=20002"), 1);
}

}  // namespace
}  // namespace xunda::test
