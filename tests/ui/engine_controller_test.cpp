// The engine's timers in the main window: pause and resume, the offline warning, the sounds, the
// workers and the re-arming of the timers.
#include "ui/engine_controller.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QDeadlineTimer>
#include <atomic>

#include "store/sql_text.h"
#include "ui/about_page.h"
#include "ui/shell_fixture.h"
#include "ui/workers.h"

namespace xunda::test {
namespace {

using namespace std::chrono_literals;

// The service for the engine: putMt answers `putCode` (100: every number accepted) and, while
// held, waits (at most 10 s); each poll hands out its queued lines once, then has no data.
class EngineService : public FakeGateway {
  public:
    int PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int, const Credentials&,
              const MtRequest& mt) override {
        ++putCalls;
        for (QDeadlineTimer limit(10000); held && !limit.hasExpired();) std::this_thread::sleep_for(1ms);
        resultValue = putCode;
        replyLines.clear();
        const auto n = std::count(mt.Mobs.begin(), mt.Mobs.end(), ',') + 1;
        for (int i = 0; putCode == "100" && i < n; ++i) replyLines.push_back("0," + std::to_string(7000 + i));
        return 0;
    }
    int GetMo(std::string& resultValue, std::vector<std::string>& replyLines, int, const Credentials&) override {
        return Poll(mo, resultValue, replyLines);
    }
    int GetReport(std::string& resultValue, std::vector<std::string>& replyLines, int, const Credentials&) override {
        return Poll(reports, resultValue, replyLines);
    }
    void Hand(std::vector<std::string>& queue, std::vector<std::string> lines) {
        std::lock_guard lock(mutex);
        queue = std::move(lines);
    }

    std::string putCode = "100";
    std::atomic<int> putCalls{0};
    std::atomic<bool> held{false};
    std::vector<std::string> mo, reports;  // under `mutex`

  private:
    int Poll(std::vector<std::string>& queued, std::string& resultValue, std::vector<std::string>& replyLines) {
        std::lock_guard lock(mutex);
        replyLines = std::exchange(queued, {});
        resultValue = replyLines.empty() ? "300" : "100";
        return 0;
    }
};

class EngineControllerTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        controller = std::make_unique<EngineController>(*main, service);
        main->SetEngine(controller.get());
    }
    void TearDown() override {
        main->SetEngine(nullptr);
        controller.reset();
    }

    void Queue(const std::string& mob) {
        main->db().pAdoCom(
            "INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES (10001, " +
            SqlQuote(mob) + ", 'hi', '', '', 1, 0)");
    }
    std::string Value(const std::string& sql) {
        ResultSet rs = main->db().pAdoQuery(sql);
        return rs.Eof() || !rs.At(0, 0) ? "" : *rs.At(0, 0);
    }
    // Waits until no job runs and the re-arming calls have been handled.
    void WaitIdle() {
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return !controller->Busy() && main->workers().Running() == 0; }));
        Settle();
    }

    EngineService service;
    std::unique_ptr<EngineController> controller;
};

TEST_F(EngineControllerTest, SendTickRunsAWorkerThenRearmsAndCountsPauseStopsOnlySending) {
    EXPECT_FALSE(controller->mtTime().isActive());
    ASSERT_TRUE(Login());
    Queue("13800000001");
    Queue("13800000002");
    controller->mtTimeTimer();
    WaitIdle();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt"), "0");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt_bak WHERE mtID IS NOT NULL"), "2");
    EXPECT_TRUE(controller->mtTime().isActive());
    EXPECT_EQ(main->PanelText(2), QStringLiteral("发送(2)"));

    main->btnSmsSendPauseClick();
    EXPECT_FALSE(controller->mtTime().isActive());
    EXPECT_TRUE(controller->moTime().isActive());
    EXPECT_TRUE(controller->reportTime().isActive());
    Queue("13800000003");
    controller->mtTimeTimer();  // a tick that was already on its way does nothing
    WaitIdle();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt"), "1");
    main->btnSmsSendPauseClick();
    EXPECT_TRUE(controller->mtTime().isActive());
}

TEST_F(EngineControllerTest, GoingOfflinePausesAndWarnsOnce) {
    ASSERT_TRUE(Login());
    online.online = false;
    controller->mtTimeTimer();
    controller->mtTimeTimer();
    EXPECT_TRUE(main->Paused());
    EXPECT_FALSE(controller->mtTime().isActive());
    const std::vector<std::string> boxes = prompts.Boxes();
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "警告: 网络中断,短信处理将停止!"), 1);
    EXPECT_NE(LogText().find("网络故障"), std::string::npos);
}

TEST_F(EngineControllerTest, PollBacksOffAndStopKeepsTheTimersOff) {
    ASSERT_TRUE(Login());
    EXPECT_EQ(controller->moTime().interval(), 2000);
    controller->moTimeTimer();
    WaitIdle();
    EXPECT_TRUE(controller->moTime().isActive());
    // 3000 ms after the empty answer (more should the timer itself have polled meanwhile).
    EXPECT_GE(controller->moTime().interval(), 3000);

    controller->reportTimeTimer();
    controller->Stop();  // before the worker's re-arming reaches the timer
    WaitIdle();
    EXPECT_FALSE(controller->reportTime().isActive());
    EXPECT_FALSE(controller->moTime().isActive());
    EXPECT_FALSE(controller->mtTime().isActive());
}

TEST_F(EngineControllerTest, ResumeOrLoginWhileARunWaitsOnTheServiceStartsNoSecondRun) {
    ASSERT_TRUE(Login());
    Queue("13800000001");
    Queue("13800000002");
    service.held = true;
    controller->mtTimeTimer();
    EXPECT_TRUE(QTest::qWaitFor([this] { return service.putCalls == 1; }));
    main->btnSmsSendPauseClick();
    main->btnSmsSendPauseClick();
    controller->mtTimeTimer();
    controller->Start(main->Account());  // as a new login does
    controller->mtTimeTimer();
    service.held = false;
    WaitIdle();
    EXPECT_EQ(service.putCalls, 1);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt_bak"), "2");
    EXPECT_EQ(main->PanelText(2), QStringLiteral("发送(2)"));
    EXPECT_TRUE(controller->mtTime().isActive());
}

// Each event plays its own row's sound: a refused send, incoming messages, delivery reports.
TEST_F(EngineControllerTest, RunsCountStoreAndPlayTheirOwnSounds) {
    ASSERT_TRUE(Login());
    AboutPage& about = main->About();
    for (SoundEvent event : {SoundEvent::Incoming, SoundEvent::Report, SoundEvent::SendError}) {
        const std::string wav = (home / (std::to_string(static_cast<int>(event)) + ".wav")).string();
        WriteFile(wav, "RIFF");
        about.SoundEdit(event)->setText(QString::fromStdString(wav));
    }
    auto file = [&](SoundEvent event) { return about.SoundEdit(event)->text().toStdString(); };
    service.putCode = "501";
    Queue("13800000001");
    controller->mtTimeTimer();
    WaitIdle();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt WHERE flag=501"), "1");
    EXPECT_EQ(sound.played, std::vector<std::string>{file(SoundEvent::SendError)});

    main->db().pAdoCom("INSERT INTO mt_bak (corpID, mtID, mob, flag) VALUES (10001, 4294967296, '131', 1)");
    service.Hand(service.mo, {"x,1,20240102030405,131,106,hello, world", "x,2,20240102030405,132,106,again"});
    controller->moTimeTimer();
    WaitIdle();
    EXPECT_EQ(main->PanelText(1), QStringLiteral("接收(2)"));
    EXPECT_EQ(sound.played.back(), file(SoundEvent::Incoming));
    EXPECT_EQ(Value("SELECT msg FROM mo WHERE moID=1"), "hello, world");

    service.Hand(service.reports, {"4294967296,0"});
    controller->reportTimeTimer();
    WaitIdle();
    EXPECT_EQ(main->PanelText(3), QStringLiteral("收条(1)"));
    EXPECT_EQ(sound.played.back(), file(SoundEvent::Report));
    EXPECT_EQ(sound.played.size(), 3u);
    EXPECT_EQ(Value("SELECT mstatus FROM mt_bak WHERE mtID=4294967296"), "0");
    EXPECT_NE(LogText().find("接收短信:收到(2)条短信"), std::string::npos);
    EXPECT_NE(LogText().find("短信收条:收到(1)个状态报告"), std::string::npos);
}

}  // namespace
}  // namespace xunda::test
