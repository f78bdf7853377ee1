// The gateway's result rules, with the HTTP exchange replaced by a scripted one.
#include <gtest/gtest.h>

#include "gateway/service_gateway.h"
#include "gateway/trace_log.h"

namespace xunda {
namespace {

using Lines = std::vector<std::string>;

const Credentials kAccount{"10001", "demo", "s3cret"};
const MtRequest kMt{"13800000001", "hi", "1", "", ""};

class GatewayRulesTest : public ::testing::Test {
protected:
    ServiceGateway gateway{{.host = "h:1",
                            .timeout = std::chrono::milliseconds(1234),
                            .fetch = [this](const std::string& url, const FetchLimits& limits) {
                                urls.push_back(url);
                                lastLimits = limits;
                                return reply;
                            }}};
    FetchResult reply{200, "100\r\n0,1\r\n"};
    Lines urls;
    FetchLimits lastLimits;
    std::string value = "old";
    Lines lines = {"stale"};
};

TEST_F(GatewayRulesTest, FormatOutsideZeroToThreeSendsNothing) {
    EXPECT_EQ(gateway.PutMt(value, lines, 4, kAccount, kMt), -2);
    EXPECT_EQ(gateway.GetMo(value, lines, -1, kAccount), -2);
    EXPECT_EQ(gateway.GetReport(value, lines, 4, kAccount), -2);
    EXPECT_TRUE(urls.empty());
    EXPECT_EQ(value, "old");
    EXPECT_EQ(lines, Lines{"stale"});
}

TEST_F(GatewayRulesTest, SuccessGivesLineOneTrimmedAndTheRestUnchanged) {
    reply.body = " 100 \n0,12345 \n403,403";
    EXPECT_EQ(gateway.PutMt(value, lines, 2, kAccount, kMt), 0);
    EXPECT_EQ(value, "100");
    EXPECT_EQ(lines, (Lines{"0,12345 ", "403,403"}));
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], PutMtUrl("h:1", 2, kAccount, kMt));
    EXPECT_EQ(lastLimits.timeout.count(), 1234);
    EXPECT_EQ(lastLimits.maxBody, 1024u * 1024u);
}

// (The simulator tests cover an empty 200 and 404/500.)
TEST_F(GatewayRulesTest, NothingBeforeANulIsEmptyAndNoStatusLineIsNoAnswer) {
    reply.body = std::string("\0" "100", 4);
    EXPECT_EQ(gateway.GetReport(value, lines, 1, kAccount), -3);
    EXPECT_TRUE(lines.empty());
    // A reply without status line is no answer, not a success with nothing in it.
    reply = {0, "100\r\n"};
    EXPECT_EQ(gateway.PutMt(value, lines, 2, kAccount, kMt), 500);
    EXPECT_EQ(value, "old");
}

TEST_F(GatewayRulesTest, BodiesOverTheLimitAreNoAnswer) {
    reply.body = "100\r\n" + std::string(1024 * 1024, '0');
    EXPECT_EQ(gateway.PutMt(value, lines, 2, kAccount, kMt), 500);
    EXPECT_EQ(gateway.GetMo(value, lines, 0, kAccount), 0);
    EXPECT_EQ(lastLimits.maxBody, 16u * 1024u * 1024u);
    reply.body = std::string(16 * 1024 * 1024 + 1, '1');
    EXPECT_EQ(gateway.GetReport(value, lines, 1, kAccount), 500);
}

TEST_F(GatewayRulesTest, TracesEachStepWithoutThePassword) {
    Lines traced;
    SetTraceSink([&](const std::string& line) { traced.push_back(line); });
    gateway.PutMt(value, lines, 2, kAccount, kMt);
    reply = {404, ""};
    gateway.GetMo(value, lines, 0, kAccount);
    reply = {200, ""};
    gateway.GetReport(value, lines, 1, kAccount);
    FieldList fields;
    int cols = 0, rows = 0;
    reply = {503, ""};
    gateway.GetData(DataQueryBase("h:1") + "'G','demo','s3cret'", fields, cols, rows);
    SetTraceSink(nullptr);
    const Lines expected = {
        "发送MT消息=" + MaskPasswords(PutMtUrl("h:1", 2, kAccount, kMt)),
        "提交URL成功",
        "ResultValue=100",
        "发送GetMo消息=" + MaskPasswords(PollUrl("h:1", "/sms/getMo/", 0, kAccount)),
        "GetMo失败:Not Found",
        "发送Getreport消息=" + MaskPasswords(PollUrl("h:1", "/sms/getReport/", 1, kAccount)),
        "Getreport成功",
        "接收XML文件错误:503",
    };
    EXPECT_EQ(traced, expected);
    for (const std::string& line : traced) EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
}

}  // namespace
}  // namespace xunda
