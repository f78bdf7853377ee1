// The main road in one process, over real sockets: the main window logs in to the simulator, a
// message and three numbers are typed on the send page and sent, the engine hands them to the
// service and moves them to the sent history, and the pollers fetch what the service holds for the
// account.
#include "gateway/service_gateway.h"
#include "sms-sim/sms_sim.h"
#include "store/database.h"
#include "ui/engine_waits.h"
#include "ui/send/send_sms_page.h"
#include "ui/shell/engine_controller.h"
#include "ui/shell/page.h"
#include "ui/shell/workers.h"
#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

using ::testing::HasSubstr;

// Generous (sanitizers and a busy machine slow everything down; the test ends as soon as it may),
// yet short of the test's own time limit, so that a wait that fails still says what it saw.
constexpr int kBoundMs = 20000;
constexpr const char* kText = "您好, main road";
const std::vector<std::string> kMobs = {"13800000001", "13800000002", "13800000003"};

class MainRoadTest : public ShellTest {
  protected:
    void SetUp() override {
        simulator.Start();
        setenv("XUNDA_SMS_HOST", simulator.Host().c_str(), 1);  // for the login and the service pages
        ShellTest::SetUp();
        gateway = std::make_unique<ServiceGateway>(GatewayOptions{.host = simulator.Host()});
        controller = std::make_unique<EngineController>(*main, *gateway);
        main->SetEngine(controller.get());
        login = std::make_unique<LoginDialog>(*main, *gateway);
        main->SetLoginDialog(login.get());
        ASSERT_TRUE(Login());
        ASSERT_EQ(main->Account().corpID, "10001");
        ASSERT_TRUE(main->SelectTreeNodeByText(QStringLiteral("短信发送")));
        page = qobject_cast<SendSmsPage*>(main->FindPage(QStringLiteral("sendSmsPage")));
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override {
        main->SetEngine(nullptr), controller.reset();
        EXPECT_TRUE(main->workers().WaitAll(std::chrono::seconds(30)));
    }

    // Types the message and the numbers as a person would and presses the send button; the
    // question is answered yes.
    void TypeAndSend() {
        QInputMethodEvent chinese;  // Chinese comes through the input method
        chinese.setCommitString(QStringLiteral("您好,"));
        QApplication::sendEvent(page->sMsg(), &chinese);
        QTest::keyClicks(page->sMsg(), QStringLiteral(" main road"));
        QTest::keyClicks(page->sMobs(), QString::fromStdString(kMobs[2] + ", " + kMobs[0] + "; " + kMobs[1]));
        page->findChild<QPushButton*>(QStringLiteral("btnSendSms"))->click();
    }
    // What the test saw, for a failure message.
    std::string Seen() {
        std::string text;
        for (const char* sql :
             {"SELECT mob, flag, msg FROM mt", "SELECT mob, flag, mtID, mstatus FROM mt_bak"})
            for (const std::string& row : Records(sql)) text += row + "\n";
        for (const std::string& box : prompts.Boxes()) text += "box: " + box + "\n";
        return text + "log:\n" + LogText();
    }
    bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, kBoundMs); }
    // Waits until no job runs and the timers have been re-armed.
    void WaitIdle() { ASSERT_TRUE(WaitEngineIdle(*controller, main->workers(), kBoundMs)); }
    // The simulator's message number for a number it accepted.
    std::string SentId(const std::string& mob) {
        for (const sim::SentMessage& m : simulator.Sent())
            if (m.mob == mob) return std::to_string(m.mtID);
        return "";
    }

    sim::SmsSimulator simulator{{.accounts = {{"demo", "demo", "10001", "g1", "p1"}}}};
    std::unique_ptr<ServiceGateway> gateway;
    std::unique_ptr<EngineController> controller;
    SendSmsPage* page = nullptr;
};

TEST_F(MainRoadTest, TypedMessageIsSentOnceToEachNumberAndRepliesAndReportsComeBack) {
    simulator.SetNextMessageId(5000000000ULL);  // message numbers beyond 32 bits
    simulator.RefuseNumber(kMobs[1], "404");
    TypeAndSend();
    ASSERT_TRUE(WaitFor([this] {
        return Value("SELECT COUNT(*) FROM mt_bak") == "2" &&
               Value("SELECT COUNT(*) FROM mt WHERE flag=0") == "0";
    })) << Seen();
    WaitIdle();

    EXPECT_EQ(prompts.Boxes(),
              std::vector<std::string>{"警告: 短信将进入发送队列并立即开始发送!你要继续吗?"});
    EXPECT_EQ(main->PageArea()->currentWidget(), main->FindPage(QStringLiteral("sendBoxPage")));
    for (const sim::SentMessage& m : simulator.Sent())
        EXPECT_EQ(m.corpID + " " + m.text + " " + m.mtLevel + " " + std::to_string(m.msgFormat),
                  std::string("10001 ") + kText + " 1 2");
    EXPECT_EQ(Records("SELECT mob, flag, mtID FROM mt"), std::vector<std::string>{kMobs[1] + " 404 NULL"});
    EXPECT_EQ(Records("SELECT corpID, mob, mtID, flag, msg, mtLevel FROM mt_bak ORDER BY mob"),
              (std::vector<std::string>{"10001 13800000001 " + SentId(kMobs[0]) + " 1 " + kText + " 1",
                                        "10001 13800000003 " + SentId(kMobs[2]) + " 1 " + kText + " 1"}));
    EXPECT_THAT(LogText(), HasSubstr(std::string("发送短信:") + kText));
    EXPECT_THAT(LogText(), HasSubstr("手机号码:(3)个,返回结果:部分成功"));
    EXPECT_EQ(main->PanelText(2), QStringLiteral("发送(3)"));
    controller->mtTimeTimer();  // a refused row stays where it is: nothing more to send
    WaitIdle();
    EXPECT_EQ(simulator.Sent().size(), 2u);

    // The service now holds a delivery report for the third number and a reply to the account.
    simulator.QueueReport({.mtID = std::stoull(SentId(kMobs[2])), .status = "DELIVRD"});
    simulator.QueueIncoming(
        {.mob = "13900000009", .destID = "1000101", .text = "收到,谢谢", .moTime = "20261206123000"});
    // Polled by hand rather than waiting for the backed-off timers.
    ASSERT_TRUE(PollUntil(
        *controller, {&EngineController::moTimeTimer, &EngineController::reportTimeTimer},
        [this] {
            return Value("SELECT COUNT(*) FROM mo") == "1" &&
                   Value("SELECT COUNT(*) FROM mt_bak WHERE mstatus IS NOT NULL") == "1";
        },
        kBoundMs))
        << Seen();
    WaitIdle();
    EXPECT_EQ(Value("SELECT mob FROM mt_bak WHERE mstatus='DELIVRD'"), kMobs[2]);
    EXPECT_EQ(Value("SELECT corpID, moID, moTime, mob, destID, msg FROM mo"),
              "10001 5000000002 2026-12-06 12:30:00 13900000009 1000101 收到,谢谢");
    EXPECT_EQ(main->PanelText(1), QStringLiteral("接收(1)"));
    EXPECT_EQ(main->PanelText(3), QStringLiteral("收条(1)"));
}

}  // namespace
}  // namespace xunda::test
