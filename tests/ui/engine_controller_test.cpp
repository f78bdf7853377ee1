// The engine's timers in the main window: login, pause and resume, the offline warning, the error sound,
// the workers and the re-arming of the timers.
#include "ui/engine_controller.h"

#include <QCheckBox>
#include <QLineEdit>
#include <atomic>
#include <future>

#include "store/sql_text.h"
#include "ui/about_page.h"
#include "ui/shell_fixture.h"
#include "ui/workers.h"

namespace xunda::test {
namespace {

// The service for the engine: putMt accepts every number (or answers `putCode` alone) and, while
// held, waits for Release(); each poll hands out its queued lines once, then has no data.
class EngineService : public FakeGateway {
  public:
    int PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int, const Credentials&,
              const MtRequest& mt) override {
        ++putCalls;
        if (held) released.wait();
        replyLines.clear();
        if (!putCode.empty()) {
            resultValue = putCode;
            return 0;
        }
        std::size_t n = std::count(mt.Mobs.begin(), mt.Mobs.end(), ',') + 1;
        for (std::size_t i = 0; i < n; ++i) replyLines.push_back("0," + std::to_string(7000 + i));
        resultValue = "100";
        return 0;
    }
    int GetMo(std::string& resultValue, std::vector<std::string>& replyLines, int,
              const Credentials&) override {
        return Poll(moLines, resultValue, replyLines);
    }
    int GetReport(std::string& resultValue, std::vector<std::string>& replyLines, int,
                  const Credentials&) override {
        return Poll(reportLines, resultValue, replyLines);
    }

    void Hold() { held = true; }
    void Release() { release.set_value(); }
    void SetMoLines(std::vector<std::string> lines) {
        std::lock_guard lock(mutex);
        moLines = std::move(lines);
    }
    void SetReportLines(std::vector<std::string> lines) {
        std::lock_guard lock(mutex);
        reportLines = std::move(lines);
    }

    std::string putCode;
    std::atomic<int> putCalls{0};

  private:
    int Poll(std::vector<std::string>& queued, std::string& resultValue, std::vector<std::string>& replyLines) {
        std::lock_guard lock(mutex);
        replyLines = std::exchange(queued, {});
        resultValue = replyLines.empty() ? "300" : "100";
        return 0;
    }

    std::atomic<bool> held{false};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<std::string> moLines;
    std::vector<std::string> reportLines;
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

TEST_F(EngineControllerTest, LoginStartsTheThreeTimers) {
    EXPECT_FALSE(controller->mtTime().isActive());
    ASSERT_TRUE(Login());
    EXPECT_TRUE(controller->mtTime().isActive());
    EXPECT_EQ(controller->mtTime().interval(), 1000);
    EXPECT_TRUE(controller->moTime().isActive());
    EXPECT_EQ(controller->moTime().interval(), 2000);
    EXPECT_TRUE(controller->reportTime().isActive());
}

TEST_F(EngineControllerTest, SendTickRunsAWorkerThenRearmsAndCounts) {
    ASSERT_TRUE(Login());
    Queue("13800000001");
    Queue("13800000002");
    controller->mtTimeTimer();
    WaitIdle();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt"), "0");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt_bak WHERE mtID IS NOT NULL"), "2");
    EXPECT_TRUE(controller->mtTime().isActive());
    EXPECT_EQ(main->PanelText(2), QStringLiteral("发送(2)"));
}

TEST_F(EngineControllerTest, RefusedRequestPlaysTheErrorSoundOnlyWhenTickedWithAFile) {
    ASSERT_TRUE(Login());
    const std::string wav = (home / "error.wav").string();
    WriteFile(wav, "RIFF");
    AboutPage& about = main->About();
    service.putCode = "501";
    for (bool ticked : {true, false}) {
        about.SoundEdit(SoundEvent::SendError)->setText(QString::fromStdString(" " + wav + " "));
        about.SoundCheck(SoundEvent::SendError)->setChecked(ticked);
        Queue("13800000001");
        controller->mtTimeTimer();
        WaitIdle();
    }
    about.SoundCheck(SoundEvent::SendError)->setChecked(true);
    about.SoundEdit(SoundEvent::SendError)->setText(QString::fromStdString(wav + ".missing"));
    Queue("13800000001");
    controller->mtTimeTimer();
    WaitIdle();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt WHERE flag=501"), "3");
    EXPECT_EQ(sound.played, std::vector<std::string>{wav});
}

TEST_F(EngineControllerTest, PauseStopsOnlyTheSendTimer) {
    ASSERT_TRUE(Login());
    main->btnSmsSendPauseClick();
    EXPECT_FALSE(controller->mtTime().isActive());
    EXPECT_TRUE(controller->moTime().isActive());
    Queue("13800000001");
    controller->mtTimeTimer();  // a tick that was already on its way does nothing
    WaitIdle();
    EXPECT_EQ(Value("SELECT flag FROM mt"), "0");
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
    const std::vector<std::string> texts = prompts.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "网络中断,短信处理将停止!"), 1);
    EXPECT_EQ(prompts.Captions().back(), "警告");
    EXPECT_NE(LogText().find("网络故障"), std::string::npos);
}

TEST_F(EngineControllerTest, PollBacksOffAndStopKeepsTheTimersOff) {
    ASSERT_TRUE(Login());
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
    service.Hold();
    controller->mtTimeTimer();
    EXPECT_TRUE(QTest::qWaitFor([this] { return service.putCalls == 1; }));
    main->btnSmsSendPauseClick();
    main->btnSmsSendPauseClick();
    EXPECT_TRUE(controller->mtTime().isActive());
    controller->mtTimeTimer();
    controller->Start(main->Account());  // as a new login does
    controller->mtTimeTimer();
    service.Release();
    WaitIdle();
    EXPECT_EQ(service.putCalls, 1);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt"), "0");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM mt_bak"), "2");
    EXPECT_EQ(main->PanelText(2), QStringLiteral("发送(2)"));
    EXPECT_TRUE(controller->mtTime().isActive());
}

TEST_F(EngineControllerTest, PollsWithDataCountPlayTheirOwnSoundsAndStore) {
    ASSERT_TRUE(Login());
    AboutPage& about = main->About();
    const std::string moWav = (home / "mo.wav").string(), rpWav = (home / "rp.wav").string();
    for (auto [event, wav] : {std::pair{SoundEvent::Incoming, moWav}, std::pair{SoundEvent::Report, rpWav}}) {
        WriteFile(wav, "RIFF");
        about.SoundEdit(event)->setText(QString::fromStdString(wav));
        about.SoundCheck(event)->setChecked(true);
    }
    main->db().pAdoCom("INSERT INTO mt_bak (corpID, mtID, mob, flag) VALUES (10001, 4294967296, '131', 1)");

    service.SetMoLines({"x,1,20240102030405,131,106,hello, world", "x,2,20240102030405,132,106,again"});
    controller->moTimeTimer();
    WaitIdle();
    EXPECT_EQ(main->PanelText(1), QStringLiteral("接收(2)"));
    EXPECT_EQ(sound.played, std::vector<std::string>{moWav});
    EXPECT_EQ(Value("SELECT msg FROM mo WHERE moID=1"), "hello, world");

    service.SetReportLines({"4294967296,0"});
    controller->reportTimeTimer();
    WaitIdle();
    EXPECT_EQ(main->PanelText(3), QStringLiteral("收条(1)"));
    EXPECT_EQ(sound.played, (std::vector<std::string>{moWav, rpWav}));
    EXPECT_EQ(Value("SELECT mstatus FROM mt_bak WHERE mtID=4294967296"), "0");
    EXPECT_NE(LogText().find("接收短信:收到(2)条短信"), std::string::npos);
    EXPECT_NE(LogText().find("短信收条:收到(1)个状态报告"), std::string::npos);
}

}  // namespace
}  // namespace xunda::test
