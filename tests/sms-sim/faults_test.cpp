// Scripted replies: service codes on demand and transport faults, each used once.
#include <gtest/gtest.h>

#include "raw_client.h"
#include "sms-sim/sms_sim.h"

namespace xunda::sim {
namespace {

using test::BodyOf;
using test::RawExchange;
using test::RawGet;

const std::string kPut =
    "/sms/putMt/?msgFormat=2&corpID=10001&loginName=demo&password=pw&Mobs=13800000001&msg=hi&mtLevel=1";
const std::string kMo = "/sms/getMo/?msgFormat=0&corpID=10001&loginName=demo&password=pw&MD5Str=";

class FaultTest : public ::testing::Test {
protected:
    void SetUp() override { sim.Start(); }
    std::string Get(const std::string& target) { return RawGet(sim.Port(), target); }

    SmsSimulator sim{{.accounts = {{"demo", "pw", "10001", "g1", "p1"}}}};
};

TEST_F(FaultTest, ServiceCodesOnDemandApplyInOrderOnceEach) {
    sim.Script({.path = "/sms/putMt/", .serviceCode = "501"});
    EXPECT_EQ(BodyOf(Get(kMo)), "300\r\n");  // another path leaves the script waiting
    EXPECT_EQ(BodyOf(Get(kPut)), "501\r\n");
    EXPECT_EQ(BodyOf(Get(kPut)), "100\r\n0,1000\r\n");  // used once
    EXPECT_EQ(sim.SendCount("13800000001"), 1);
    sim.Script({.serviceCode = "502"});
    sim.Script({.serviceCode = "503", .delay = std::chrono::milliseconds(50)});
    EXPECT_EQ(BodyOf(Get(kPut)), "502\r\n");
    EXPECT_EQ(BodyOf(Get(kMo)), "503\r\n");  // a delayed reply still comes
}

TEST_F(FaultTest, DroppedConnectionAnswersNothing) {
    sim.Script({.serviceActs = false, .dropConnection = true});
    EXPECT_EQ(Get(kPut), "");
    EXPECT_EQ(sim.SendCount("13800000001"), 0);
    // A lost reply after the service acted: the number counts as sent.
    sim.Script({.dropConnection = true});
    EXPECT_EQ(Get(kPut), "");
    EXPECT_EQ(sim.SendCount("13800000001"), 1);
    EXPECT_EQ(sim.Requests().size(), 2u);
}

TEST_F(FaultTest, HttpStatusOtherThanOk) {
    sim.Script({.serviceActs = false, .status = 404});
    EXPECT_EQ(Get(kPut),
              "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain; charset=GBK\r\nContent-Length: 9\r\n"
              "Connection: close\r\n\r\nNot Found");
    sim.Script({.status = 500, .body = "oops"});
    EXPECT_TRUE(Get(kPut).starts_with("HTTP/1.1 500 Internal Server Error\r\n"));
}

TEST_F(FaultTest, FramingVariants) {
    sim.Script({.body = " 100 \r\n", .framing = Framing::Http09});
    EXPECT_EQ(Get(kPut), " 100 \r\n");

    sim.Script({.body = "100\n0,12345\n403,403", .framing = Framing::Chunked});
    EXPECT_EQ(BodyOf(Get(kPut)), "8\r\n100\n0,12\r\n8\r\n345\n403,\r\n3\r\n403\r\n0\r\n\r\n");

    sim.Script({.body = std::string(6400, 'x'), .framing = Framing::Chunked});  // long bodies: 64 chunks
    std::string chunks = BodyOf(Get(kPut));
    EXPECT_EQ(chunks.size(), 64 * (4 + 100 + 2) + 5u);
    EXPECT_TRUE(chunks.starts_with("64\r\nxxx")) << chunks.substr(0, 10);

    sim.Script({.body = "100", .framing = Framing::UntilClose});
    std::string answer = Get(kPut);
    EXPECT_EQ(answer.find("Content-Length"), std::string::npos);
    EXPECT_EQ(BodyOf(answer), "100");

    sim.Script({.body = std::string(2 << 20, 'x')});  // oversize: sent whole
    EXPECT_EQ(BodyOf(Get(kPut)).size(), std::size_t{2} << 20);

    sim.Script({.body = "100", .lengthDelta = 5});
    EXPECT_NE(Get(kPut).find("Content-Length: 8\r\n"), std::string::npos);

    sim.Script({.body = std::string("100\0tail", 8), .lineEnd = "\n"});
    EXPECT_EQ(Get(kPut), "HTTP/1.1 200 OK\nContent-Type: text/plain; charset=GBK\nContent-Length: 8\n"
                         "Connection: close\n\n" +
                             std::string("100\0tail", 8));
}

TEST(SimLifecycle, StopCutsPendingDelaysAndConnections) {
    SmsSimulator sim({.accounts = {{"demo", "pw", "10001", "g1", "p1"}}});
    sim.Start();
    sim.Script({.delay = std::chrono::hours(1)});
    std::thread client([&] { EXPECT_EQ(RawGet(sim.Port(), kPut), ""); });
    while (sim.Requests().empty()) std::this_thread::yield();
    sim.Stop();
    client.join();
    sim.Stop();  // again: nothing happens
}

TEST(SimLifecycle, RequestHeadsEndedByBareLineFeedsAreRead) {
    SmsSimulator sim({.accounts = {{"demo", "pw", "10001", "g1", "p1"}}});
    sim.Start();
    EXPECT_EQ(BodyOf(RawExchange(sim.Port(), "GET " + kMo + " HTTP/1.1\nHost: x\n\n")), "300\r\n");
    EXPECT_TRUE(RawExchange(sim.Port(), "\r\n\r\n").starts_with("HTTP/1.1 400 "));
}

}  // namespace
}  // namespace xunda::sim
