// The simulator plays the service as the program's tests count on it, over real sockets: it checks
// each request as the service would, counts what it accepted, and hands out what was queued once.
#include <gtest/gtest.h>

#include <tuple>

#include "core/codepage.h"
#include "raw_client.h"
#include "sms-sim/sms_sim.h"

namespace xunda::sim {
namespace {

using test::BodyOf;
using test::RawGet;

const std::string kAccount = "&corpID=10001&loginName=demo&password=pw";

std::string PutMt(const std::string& mobs, const std::string& msg, int format = 2,
                  const std::string& tail = "") {
    return "/sms/putMt/?msgFormat=" + std::to_string(format) + kAccount + "&Mobs=" + mobs + "&msg=" + msg +
           "&mtLevel=1" + tail;
}

class SimTest : public ::testing::Test {
  protected:
    void SetUp() override { sim.Start(); }
    std::string Get(const std::string& target) { return BodyOf(RawGet(sim.Port(), target)); }

    SmsSimulator sim{{.accounts = {{"demo", "pw", "10001", "g1", "p1"}, {"other", "x", "20002", "g2", "p2"}},
                      .autoReports = true}};
};

TEST_F(SimTest, PutMtAcceptsEachNumberOnceAndRefusesWhatTheServiceRefuses) {
    sim.RefuseNumber("13800000002", "403");
    EXPECT_EQ(Get(PutMt("13800000001,13800000002,123", "hi")), "200\r\n0,1000\r\n403,403\r\n404,404\r\n");
    const RequestRecord request = sim.Requests().at(0);  // as it arrived
    EXPECT_EQ(request.requestLine, "GET " + PutMt("13800000001,13800000002,123", "hi") + " HTTP/1.0");
    EXPECT_EQ(request.path, "/sms/putMt/");
    EXPECT_EQ(Find(request.query, "password"), "pw");
    EXPECT_EQ(Find(request.headers, "Host"), "127.0.0.1");
    sim.SetNextMessageId(5'000'000'000ULL);  // message numbers go past 32 bits
    EXPECT_EQ(Get(PutMt("13800000001", "again", 2, "&subNumber=12&linkID=")), "100\r\n0,5000000000\r\n");
    EXPECT_EQ(sim.SendCount("13800000001"), 2);
    EXPECT_EQ(sim.SendCount("13800000002"), 0);
    const std::vector<SentMessage> sent = sim.Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(std::tie(sent[1].corpID, sent[1].mob, sent[1].text, sent[1].mtLevel, sent[1].subNumber),
              std::make_tuple("10001", "13800000001", "again", "1", "12"));
    EXPECT_EQ(sent[1].mtID, 5'000'000'000ULL);

    const auto As = [](const std::string& account) {
        return "/sms/putMt/?msgFormat=2" + account + "&Mobs=13800000001&msg=a&mtLevel=1";
    };
    std::string hundred = "13800000000";
    for (int i = 1; i < 100; ++i) hundred += ",13800000000";
    const std::pair<std::string, std::string> refused[] = {
        {PutMt("13800000001", "a", 4), "401"},
        {As("&corpID=10001&loginName=nobody&password=pw"), "201"},
        {As("&corpID=20002&loginName=demo&password=pw"), "202"},
        {As("&corpID=10001&loginName=demo&password=bad"), "203"},
        {PutMt("", "a"), "402"},
        {PutMt(hundred + ",13800000000", "a"), "403"},
        {PutMt("13800000001", ""), "405"},
        {PutMt("13800000001", std::string(501, 'a')), "406"},
        {PutMt("13800000001", "%FF%FE"), "407"},
        {PutMt("13800000001", "4F6", 3), "407"},
        {PutMt("13800000001", "a", 2, "&subNumber=1a"), "408"},
        {PutMt("13800000001", "a", 2, "&linkID=x"), "409"},
        {"/sms/putMt/?msgFormat=2" + kAccount + "&Mobs=13800000001&msg=a&mtLevel=4", "410"},
        {PutMt("13800000002", "hi"), "300"},  // nothing left to send
    };
    for (const auto& [target, code] : refused) EXPECT_EQ(Get(target), code + "\r\n") << target;
    EXPECT_EQ(sim.Sent().size(), 2u);
    EXPECT_EQ(
        Get("/sms/putMt/?msgFormat=2" + kAccount + "&Mobs=" + hundred + "&msg=a&mtLevel=3").substr(0, 5),
        "100\r\n");
    EXPECT_EQ(sim.SendCount("13800000000"), 100);
}

TEST_F(SimTest, IncomingMessagesAndReportsAreHandedOutOnceToTheirAccount) {
    const std::string mo = "/sms/getMo/?msgFormat=0" + kAccount + "&MD5Str=";
    sim.SetNextMessageId(3'000'000'000ULL);
    sim.QueueIncoming(
        {.mob = "13800000009", .destID = "10657", .text = "收到, 谢谢", .moTime = "20240102030405"});
    sim.QueueIncoming({.mob = "13800000008", .destID = "1", .text = "x", .moTime = "1", .corpID = "20002"});
    EXPECT_EQ(Get(mo),
              "100\r\n10001,3000000000,20240102030405,13800000009,10657," + Utf8ToGbk("收到, 谢谢") + "\r\n");
    EXPECT_EQ(Get(mo), "300\r\n");
    EXPECT_EQ(sim.PendingIncoming(), 1u);  // the other account's message stays
    sim.QueueIncoming({.mob = "13800000009", .destID = "1", .text = "你", .moTime = "20240102030405"});
    EXPECT_EQ(Get("/sms/getMo/?msgFormat=3" + kAccount + "&MD5Str="),
              "100\r\n10001,3000000002,20240102030405,13800000009,1,4F60\r\n");

    const std::string report = "/sms/getReport/?msgFormat=1" + kAccount + "&MD5Str=";
    Get(PutMt("13800000001", "hi"));  // every accepted number gets the report "0"
    sim.QueueReport({.mtID = 9001, .status = "0"});
    sim.QueueReport({.mtID = 9002, .status = "2"});
    sim.QueueReport({.mtID = 9003, .corpID = "20002"});
    EXPECT_EQ(Get("/sms/getReport/?msgFormat=1&corpID=10001&loginName=demo&password=no&MD5Str="), "203\r\n");
    EXPECT_EQ(Get(report), "100\r\n3000000003,0\r\n9001,0\r\n9002,2\r\n");
    EXPECT_EQ(Get(report), "300\r\n");
    EXPECT_EQ(sim.PendingReports(), 1u);  // the other account's report stays
}

TEST(SimDataQuery, AnswersTheAccountInHexEncodedUtf8OnlyForItsCredentials) {
    SmsSimulator sim({.accounts = {{"o'k", "a'b", "7", "ä", "p"}}});
    sim.Start();
    auto ask = [&](const std::string& sql) { return BodyOf(RawGet(sim.Port(), "/data/?sql=" + sql)); };
    const std::string xml = ask("getData+'G','o''k','a''b'");  // quotes doubled, as the client writes them
    EXPECT_TRUE(xml.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?>")) << xml;
    EXPECT_NE(xml.find("<row c=\"37\" g=\"c3a4\" p=\"70\"/>"), std::string::npos) << xml;
    for (std::string wrong :
         {"getData+'G','o''k','bad'", "getData+'G','o''k'", "select", "getData+'G','o''k','a''b"})
        EXPECT_EQ(ask(wrong).find("<row"), std::string::npos) << wrong;
    sim.SetDataReply(XmlEncoding::Utf8, true);
    EXPECT_NE(ask("getData+'G','o''k','a''b'").find("g=\"C3A4\""), std::string::npos);
    sim.SetDataReply(XmlEncoding::Utf16BE, false);
    EXPECT_EQ(ask("getData+'G','o''k','a''b'").substr(0, 4), std::string("\xFE\xFF\0<", 4));
}

}  // namespace
}  // namespace xunda::sim
