// Scripted replies: service codes and transport faults, each used once and in order, and on the
// wire exactly as the transport tests count on.
#include <gtest/gtest.h>

#include <thread>

#include "raw_client.h"
#include "sms-sim/sms_sim.h"

namespace xunda::sim {
namespace {

using namespace std::chrono_literals;
using test::BodyOf;

const std::string kPut =
    "/sms/putMt/?msgFormat=2&corpID=10001&loginName=demo&password=pw&Mobs=13800000001&msg=hi&mtLevel=1";
const std::string kMo = "/sms/getMo/?msgFormat=0&corpID=10001&loginName=demo&password=pw&MD5Str=";

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override { sim.Start(); }
    std::string Get(const std::string& target) { return test::RawGet(sim.Port(), target); }

    SmsSimulator sim{{.accounts = {{"demo", "pw", "10001", "g1", "p1"}}}};
};

TEST_F(FaultTest, ScriptsApplyOnceInOrderToTheirPath) {
    sim.Script({.path = "/sms/putMt/", .serviceCode = "501"});
    sim.Script({.serviceCode = "502", .delay = 50ms});
    EXPECT_EQ(BodyOf(Get(kMo)), "502\r\n");  // the first script waits for its path
    EXPECT_EQ(BodyOf(Get(kPut)), "501\r\n");
    EXPECT_EQ(BodyOf(Get(kPut)), "100\r\n0,1000\r\n");
    sim.Script({.serviceActs = false, .dropConnection = true});
    EXPECT_EQ(Get(kPut), "");
    EXPECT_EQ(sim.SendCount("13800000001"), 1);
    sim.Script({.dropConnection = true});  // lost after the service acted: the number counts as sent
    EXPECT_EQ(Get(kPut), "");
    EXPECT_EQ(sim.SendCount("13800000001"), 2);
    EXPECT_EQ(sim.Requests().size(), 5u);
}

TEST_F(FaultTest, RepliesGoOnTheWireAsScripted) {
    const std::string type = "Content-Type: text/plain; charset=GBK\r\n";
    const std::pair<ReplyScript, std::string> cases[] = {
        {{.serviceActs = false, .status = 404},
         "HTTP/1.1 404 Not Found\r\n" + type + "Content-Length: 9\r\nConnection: close\r\n\r\nNot Found"},
        {{.status = 500, .body = "oops"},
         "HTTP/1.1 500 Internal Server Error\r\n" + type +
             "Content-Length: 4\r\nConnection: close\r\n\r\noops"},
        {{.body = " 100 \r\n", .framing = Framing::Http09}, " 100 \r\n"},
        {{.body = "100\n0,12345\n403,403", .framing = Framing::Chunked},
         "HTTP/1.1 200 OK\r\n" + type +
             "Transfer-Encoding: chunked\r\nConnection: "
             "close\r\n\r\n8\r\n100\n0,12\r\n8\r\n345\n403,\r\n3\r\n403\r\n0\r\n\r\n"},
        {{.body = "100", .framing = Framing::UntilClose},
         "HTTP/1.1 200 OK\r\n" + type + "Connection: close\r\n\r\n100"},
        {{.body = "100", .lengthDelta = 5},
         "HTTP/1.1 200 OK\r\n" + type + "Content-Length: 8\r\nConnection: close\r\n\r\n100"},
        {{.body = std::string("1\0", 2), .lineEnd = "\n"},
         "HTTP/1.1 200 OK\nContent-Type: text/plain; charset=GBK\nContent-Length: 2\nConnection: close\n\n" +
             std::string("1\0", 2)},
    };
    for (const auto& [script, wire] : cases) {
        sim.Script(script);
        EXPECT_EQ(Get(kPut), wire);
    }
    sim.Script({.body = std::string(6400, 'x'), .framing = Framing::Chunked});  // long bodies: 64 chunks
    const std::string chunks = BodyOf(Get(kPut));
    EXPECT_EQ(chunks.size(), 64 * (4 + 100 + 2) + 5u);
    EXPECT_TRUE(chunks.starts_with("64\r\nxxx")) << chunks.substr(0, 10);
}

TEST(SimLifecycle, StopCutsPendingDelaysAndConnections) {
    SmsSimulator sim({.accounts = {{"demo", "pw", "10001", "g1", "p1"}}});
    sim.Start();
    sim.Script({.delay = 1h});
    std::thread client([&] { EXPECT_EQ(test::RawGet(sim.Port(), kPut), ""); });
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (sim.Requests().empty() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(sim.Requests().size(), 1u);
    sim.Stop();
    client.join();
}

}  // namespace
}  // namespace xunda::sim
