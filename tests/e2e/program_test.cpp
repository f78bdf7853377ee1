// Starts the program offscreen in a private data root with auto-login stored, lets it log in to
// the simulator, send the outbox and fetch the inbox, and ends it with SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "core/paths.h"
#include "sms-sim/sms_sim.h"
#include "store/database.h"
#include "store/settings.h"
#include "support/recording_prompts.h"
#include "support/temp_dir.h"

namespace xunda::test {
namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

TEST(ProgramTest, AutoLoginReachesTheSimulatorAndSigtermEndsCleanly) {
    TempDir home;
    sim::SmsSimulator simulator({.accounts = {{"demo", "demo", "10001", "g1", "p1"}}});
    simulator.Start();

    setenv("XUNDA_SMS_HOME", home.path().c_str(), 1);
    {
        RecordingPrompts prompts;
        EnsurePrivateDir(DataDir());
        std::unique_ptr<Database> db = Database::Create(Database::DefaultPath(), prompts);
        ASSERT_NE(db, nullptr);
        for (const auto& [key, value] :
             {std::pair{"autoStart", "1"}, {"userName", "demo"}, {"userPwd", "demo"}})
            ASSERT_TRUE(pWriteSysValue(*db, "", key, value));
        // A message waiting in the outbox, for the engine to send after the login.
        ASSERT_TRUE(
            db->pAdoCom("INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) "
                        "VALUES (10001, '13800138000', '你好', '', '', '1', 0)"));
        ASSERT_TRUE(prompts.notices().empty());
    }
    simulator.QueueIncoming(
        {.mob = "13900139000", .destID = "10001", .text = "收到", .moTime = "", .corpID = "10001"});

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("XUNDA_SMS_HOST", simulator.Host().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        // Qt WebEngine's own code frees some objects with a mismatched size, which the sanitizer
        // would stop the program for; our code is still checked for everything else.
        const char* asan = std::getenv("ASAN_OPTIONS");
        const std::string options = std::string(asan ? asan : "") + ":new_delete_type_mismatch=0";
        setenv("ASAN_OPTIONS", options.c_str(), 1);
        execl(XUNDA_SMS_BINARY, XUNDA_SMS_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto logFile = LogDir() / "LOG_10001.LOG";
    EXPECT_TRUE(WaitFor([&] { return ReadFile(logFile).find("登录成功(10001)") != std::string::npos; }, 60s));
    // The engine runs: the outbox is sent and the incoming message is fetched.
    EXPECT_TRUE(WaitFor([&] { return simulator.SendCount("13800138000") == 1; }, 60s)) << ReadFile(logFile);
    EXPECT_TRUE(WaitFor([&] { return simulator.PendingIncoming() == 0; }, 60s));

    kill(pid, SIGTERM);
    int status = -1;
    const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 30s);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(ended);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(ReadFile(logFile).find("暂停短信处理"), std::string::npos);
    // The stored auto-login ticked start-with-the-session again, which wrote the entry.
    EXPECT_TRUE(std::filesystem::exists(home / "config/autostart/xunda-sms.desktop"));
}

}  // namespace
}  // namespace xunda::test
