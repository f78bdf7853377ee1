// The engine's timers in the main window: pause, the sounds, the workers, re-arming the timers.
#include "ui/shell/engine_controller.h"

#include "store/sql_text.h"
#include "ui/engine_waits.h"
#include "ui/mailbox/list_page.h"
#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

class EngineControllerTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        controller = std::make_unique<EngineController>(*main, query);
        main->SetEngine(controller.get());
        ASSERT_TRUE(Login());
    }
    void TearDown() override { main->SetEngine(nullptr), controller.reset(); }
    void Queue(const std::string& mob) {
        main->db().pAdoCom(
            "INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES (10001, " +
            SqlQuote(mob) + ", 'hi', '', '', 1, 0)");
    }
    // Waits until no job runs and the re-arming calls have been handled.
    void WaitIdle() { ASSERT_TRUE(WaitEngineIdle(*controller, main->workers(), kBoundMs)); }
    // Polls by hand until `arrived` holds (a tick that meets the timer's poll does nothing).
    bool PollUntil(void (EngineController::*tick)(), const std::function<bool()>& arrived) {
        return test::PollUntil(*controller, {tick}, arrived, kBoundMs);
    }

    static constexpr int kBoundMs = 30000;

    std::unique_ptr<EngineController> controller;
};

TEST_F(EngineControllerTest, SendTickRunsAWorkerThenRearmsAndCountsPauseStopsOnlySending) {
    ASSERT_TRUE(main->SelectTreeNodeByText(QStringLiteral("发信箱")));
    Queue("13800000001");
    Queue("13800000002");
    main->db().pAdoCom("INSERT INTO mt (corpID, mob, msg, flag) VALUES (10001, '13800000003', 'hi', 404)");
    auto* outbox = static_cast<ListPage*>(main->FindPage("sendBoxPage"));
    ASSERT_EQ(outbox->Grid()->model()->rowCount(), 0);  // listed before the rows came
    controller->mtTimeTimer();
    WaitIdle();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt_bak WHERE mtID IS NOT NULL"), "2");
    EXPECT_EQ(outbox->Grid()->model()->rowCount(), 1);  // the shown outbox lists again after the run
    EXPECT_TRUE(controller->mtTime().isActive());
    EXPECT_EQ(main->PanelText(2), QStringLiteral("发送(2)"));

    main->btnSmsSendPauseClick();
    EXPECT_FALSE(controller->mtTime().isActive());
    EXPECT_TRUE(controller->moTime().isActive() && controller->reportTime().isActive());
    Queue("13800000003");
    controller->mtTimeTimer();  // a tick that was already on its way does nothing
    WaitIdle();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt WHERE flag=0"), "1");
    main->btnSmsSendPauseClick();
    EXPECT_TRUE(controller->mtTime().isActive());
}

TEST_F(EngineControllerTest, PollBacksOffAndStopKeepsTheTimersOff) {
    EXPECT_EQ(controller->moTime().interval(), 2000);
    controller->moTimeTimer();
    WaitIdle();
    EXPECT_TRUE(controller->moTime().isActive());
    // 3000 ms after the empty answer (more should the timer itself have polled meanwhile).
    EXPECT_GE(controller->moTime().interval(), 3000);
    controller->reportTimeTimer();
    controller->Stop();  // before the worker's re-arming reaches the timer
    WaitIdle();
    EXPECT_FALSE(controller->reportTime().isActive() || controller->moTime().isActive() ||
                 controller->mtTime().isActive());
}

TEST_F(EngineControllerTest, ResumeOrLoginWhileARunWaitsOnTheServiceStartsNoSecondRun) {
    Queue("13800000001");
    Queue("13800000002");
    query.held = true;
    controller->mtTimeTimer();
    EXPECT_TRUE(QTest::qWaitFor([this] { return query.putCalls == 1; }));
    main->btnSmsSendPauseClick();
    main->btnSmsSendPauseClick();
    controller->mtTimeTimer();
    controller->Start(main->Account());  // as a new login does
    controller->mtTimeTimer();
    query.held = false;
    WaitIdle();
    EXPECT_EQ(query.putCalls, 1);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt_bak"), "2");
    EXPECT_EQ(main->PanelText(2), QStringLiteral("发送(2)"));
    EXPECT_TRUE(controller->mtTime().isActive());
}

// After a lost reply the send timer sends nothing new; the poll timers, running since the login,
// hear the service answer again, and sending goes on by itself.
TEST_F(EngineControllerTest, AfterALostReplyThePollsLetSendingGoOnByItself) {
    Queue("13800000001");
    query.putLost = true;
    query.pollsDropped = true;
    controller->mtTimeTimer();
    WaitIdle();
    EXPECT_EQ(Value("SELECT flag FROM mt"), "-4");
    Queue("13800000002");
    controller->mtTimeTimer();  // no poll has been answered yet
    WaitIdle();
    EXPECT_EQ(query.putCalls, 1);
    query.pollsDropped = false;
    EXPECT_TRUE(QTest::qWaitFor([this] { return Value("SELECT COUNT(*) FROM mt_bak") == "1"; }, 15000));
    EXPECT_EQ(query.putCalls, 2);

    // Send replies cut twice in a row while the polls are answered: the window pauses processing
    // with one warning, as it does when the network goes.
    for (const char* mob : {"13800000003", "13800000004"}) {
        const std::uint64_t answers = query.Answers();
        ASSERT_TRUE(PollUntil(&EngineController::moTimeTimer, [&] { return query.Answers() > answers; }));
        Queue(mob);
        query.putLost = true;
        controller->mtTimeTimer();
        WaitIdle();
    }
    controller->mtTimeTimer();
    EXPECT_TRUE(main->Paused());
    EXPECT_FALSE(controller->mtTime().isActive());
    EXPECT_EQ(prompts.Last(), std::string("警告: ") + SendEngine::kStalledWarning);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt WHERE flag=-4"), "3");
}

// Each event plays its own row's sound (the default sounds, ticked at login): a refused send,
// incoming messages, delivery reports.
TEST_F(EngineControllerTest, RunsCountAndPlayTheirOwnSounds) {
    query.putCode = "501";
    Queue("13800000001");
    controller->mtTimeTimer();
    WaitIdle();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt WHERE flag=501"), "1");
    main->db().pAdoCom("INSERT INTO mt_bak (corpID, mtID, mob, flag) VALUES (10001, 4294967296, '131', 1)");
    query.Hold(query.mo, {"x,1,20240102030405,131,106,hello, world", "x,2,20240102030405,132,106,again"});
    ASSERT_TRUE(PollUntil(&EngineController::moTimeTimer,
                          [this] { return Value("SELECT COUNT(*) FROM mo") == "2"; }));
    WaitIdle();
    EXPECT_EQ(main->PanelText(1), QStringLiteral("接收(2)"));
    query.Hold(query.reports, {"4294967296,0"});
    ASSERT_TRUE(PollUntil(&EngineController::reportTimeTimer, [this] {
        return Value("SELECT COUNT(*) FROM mt_bak WHERE mstatus IS NOT NULL") == "1";
    }));
    WaitIdle();
    EXPECT_EQ(main->PanelText(3), QStringLiteral("收条(1)"));
    auto file = [](const char* name) { return (WaveDir() / name).string(); };
    EXPECT_EQ(sound.played,
              (std::vector<std::string>{file("mtError.wav"), file("revMo.wav"), file("revReport.wav")}));
}

}  // namespace
}  // namespace xunda::test
