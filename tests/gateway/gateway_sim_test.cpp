// The gateway against the in-process service simulator, over real sockets.
#include <gtest/gtest.h>

#include "core/exceptions.h"
#include "gateway/service_gateway.h"
#include "net/loopback_peer.h"
#include "sms-sim/sms_sim.h"
#include "store/sql_text.h"

namespace xunda {
namespace {

using Lines = std::vector<std::string>;

// Every character that has a meaning in a URL or an SQL literal.
const std::string kOddPassword = "p+w#d&x=1 @h:8/?%'_,;";

class GatewaySimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim.Start();
        gateway.emplace(GatewayOptions{.host = sim.Host(), .timeout = std::chrono::milliseconds(5000)});
    }

    sim::SmsSimulator sim{
        {.accounts = {{"demo", "pw", "10001", "g1", "p1"}, {"a&b=c 张", kOddPassword, "7", "g", "p"}}}};
    std::optional<ServiceGateway> gateway;
    const Credentials account{"10001", "demo", "pw"};
    std::string value = "old";
    Lines lines = {"stale"};
    bool lost = false;
};

// The exact request lines are the request URLs' test; here the service reads back what was sent.
TEST_F(GatewaySimTest, TextsInEveryFormatReachTheService) {
    const MtRequest mt{"13800000001,13800000002", "你好_1+", "1", "", ""};
    const Credentials odd{"7", "a&b=c 张", kOddPassword};
    const MtRequest oddMt{"13800000003", "1+1=2 & 100% #1 a_b", "1", "", ""};
    for (int format = 0; format <= 3; ++format) {
        EXPECT_EQ(gateway->PutMt(value, lines, format, account, mt, 0, lost), 0) << format;
        EXPECT_EQ(lines.size(), 2u);
        value.clear();
        EXPECT_EQ(gateway->PutMt(value, lines, format, odd, oddMt, 0, lost), 0);
        EXPECT_EQ(value, "100") << format;
    }
    for (const sim::SentMessage& m : sim.Sent())
        EXPECT_EQ(m.text, m.corpID == "7" ? oddMt.msg : mt.msg) << m.msgFormat;
    EXPECT_EQ(sim.SendCount("13800000003"), 4);
    EXPECT_EQ(gateway->Answers(), 8u);
}

// Every failure after the request went out may have reached the service: its reply is lost. No
// failure counts as an answer.
TEST_F(GatewaySimTest, FailuresComeBackAsStatusesLeaveTheValueAndTellWhetherTheRequestWentOut) {
    const struct {
        sim::ReplyScript script;
        int result;
    } cases[] = {
        {{.serviceActs = false, .dropConnection = true}, 500},
        {{.body = "100\r\n" + std::string(1024 * 1024, '0'), .framing = sim::Framing::Chunked}, 500},
        {{.cutAfter = 40}, 500},
        {{.delay = std::chrono::milliseconds(3000)}, 408},
    };
    gateway.emplace(GatewayOptions{.host = sim.Host(), .timeout = std::chrono::milliseconds(500)});
    for (const auto& c : cases) {
        sim.Script(c.script);
        EXPECT_EQ(gateway->PutMt(value, lines, 2, account, {"13800000001", "x", "1", "", ""}, 0, lost),
                  c.result);
        EXPECT_EQ(value, "old");
        EXPECT_TRUE(lines.empty() && lost);
    }
    sim.Script({.status = 503});  // a reply, though not the service's own
    EXPECT_EQ(gateway->PutMt(value, lines, 2, account, {"13800000001", "x", "1", "", ""}, 0, lost), 503);
    EXPECT_FALSE(lost);
    EXPECT_EQ(gateway->Answers(), 1u);  // only the 503 was a complete reply
    EXPECT_EQ(gateway->SendAnswers(), 1u);
    test::RefusedPort refused;
    gateway.emplace(GatewayOptions{.host = "127.0.0.1:" + refused.Port()});
    EXPECT_EQ(gateway->PutMt(value, lines, 2, account, {"13800000001", "x", "1", "", ""}, 0, lost), 500);
    EXPECT_FALSE(lost);
}

TEST_F(GatewaySimTest, DataQueryInEveryEncodingWithOddCredentials) {
    FieldList fields = {{"stale", "x"}};
    int cols = 9, rows = 9;
    auto query = [&](const std::string& user, const std::string& password) {
        return gateway->GetData(
            DataQueryBase(sim.Host()) + SqlQuote("G") + "," + SqlQuote(user) + "," + SqlQuote(password),
            fields, cols, rows, 0);
    };
    auto field = [&](const std::string& name) {
        std::string v = "x";
        GetFieldValue(name, 0, v, cols, fields);
        return v;
    };
    for (auto encoding : {sim::XmlEncoding::Utf8, sim::XmlEncoding::Utf8Bom, sim::XmlEncoding::Utf16LE,
                          sim::XmlEncoding::Utf16BE}) {
        sim.SetDataReply(encoding, encoding == sim::XmlEncoding::Utf16BE);
        ASSERT_EQ(query("demo", "pw"), 0);
        EXPECT_EQ(field("c") + field("g") + field("p") + std::to_string(rows) + std::to_string(cols),
                  "10001g1p113");
    }
    EXPECT_TRUE(
        sim.Requests().back().requestLine.starts_with("GET /data/?sql=getData+'G','demo','pw' HTTP/"));
    EXPECT_EQ(query("a&b=c 张", kOddPassword), 0);
    EXPECT_EQ(field("c"), "7");
    EXPECT_EQ(query("demo", "wrong"), 0);
    EXPECT_EQ(rows + cols + fields.size(), 0u);
    sim.Script({.body = "this is not xml"});
    EXPECT_THROW(query("demo", "pw"), EFilerError);
    sim.Script({.serviceActs = false, .status = 404});
    EXPECT_EQ(query("demo", "pw"), 404);
}

}  // namespace
}  // namespace xunda
