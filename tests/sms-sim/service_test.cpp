// The simulator answers the service's requests as the client expects them, over real sockets.
#include <gtest/gtest.h>

#include <thread>

#include "core/codepage.h"
#include "raw_client.h"
#include "sms-sim/sms_sim.h"

namespace xunda::sim {
namespace {

using test::BodyOf;
using test::RawGet;

const std::string kAccount = "&corpID=10001&loginName=demo&password=pw";

std::string PutMt(const std::string& mobs, const std::string& msg, int format = 2, const std::string& extra = "") {
    return "/sms/putMt/?msgFormat=" + std::to_string(format) + kAccount + "&Mobs=" + mobs + "&msg=" + msg +
           "&mtLevel=1&subNumber=&linkID=" + extra;
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { sim.Start(); }
    std::string Get(const std::string& target) { return BodyOf(RawGet(sim.Port(), target)); }

    SmsSimulator sim{{.accounts = {{"demo", "pw", "10001", "g1", "p1"}, {"other", "x", "20002", "g2", "p2"}}}};
};

TEST_F(SimTest, PutMtAcceptsEveryNumberAndCountsIt) {
    EXPECT_EQ(Get(PutMt("13800000001,13800000002", "hi")), "100\r\n0,1000\r\n0,1001\r\n");
    EXPECT_EQ(Get(PutMt("13800000001", "again")), "100\r\n0,1002\r\n");
    EXPECT_EQ(sim.SendCount("13800000001"), 2);
    EXPECT_EQ(sim.SendCount("13800000002"), 1);
    EXPECT_EQ(sim.SendCount("13900000000"), 0);
    std::vector<SentMessage> sent = sim.Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].corpID, "10001");
    EXPECT_EQ(sent[0].text, "hi");
    EXPECT_EQ(sent[0].mtLevel, "1");
    EXPECT_EQ(sent[2].mtID, 1002u);
    sim.SetNextMessageId(5'000'000'000ULL);  // message numbers go past 31 bits
    EXPECT_EQ(Get(PutMt("13800000001", "hi")), "100\r\n0,5000000000\r\n");
}

TEST_F(SimTest, PutMtPartlyRefusedGivesTwoHundredWithTheRefusedNumbersCode) {
    sim.RefuseNumber("13800000002", "403");
    EXPECT_EQ(Get(PutMt("13800000001,13800000002,123", "hi")), "200\r\n0,1000\r\n403,403\r\n404,404\r\n");
    EXPECT_EQ(Get(PutMt("13800000002", "hi")), "300\r\n");
    EXPECT_EQ(sim.Sent().size(), 1u);
}

TEST_F(SimTest, PutMtRefusesBadRequestsWithTheServiceCodes) {
    const std::string hundredAndOne = [] {
        std::string mobs = "13800000000";
        for (int i = 1; i <= 100; ++i) mobs += ",13800000000";
        return mobs;
    }();
    struct Case {
        std::string target, code;
    } cases[] = {
        {"/sms/putMt/?msgFormat=4" + kAccount + "&Mobs=13800000001&msg=a&mtLevel=1", "401"},
        {"/sms/putMt/?msgFormat=2&corpID=10001&loginName=nobody&password=pw&Mobs=13800000001&msg=a&mtLevel=1", "201"},
        {"/sms/putMt/?msgFormat=2&corpID=20002&loginName=demo&password=pw&Mobs=13800000001&msg=a&mtLevel=1", "202"},
        {"/sms/putMt/?msgFormat=2&corpID=10001&loginName=demo&password=bad&Mobs=13800000001&msg=a&mtLevel=1", "203"},
        {PutMt("", "a"), "402"},
        {PutMt(hundredAndOne, "a"), "403"},
        {PutMt("13800000001", ""), "405"},
        {PutMt("13800000001", std::string(501, 'a')), "406"},
        {PutMt("13800000001", "%FF%FE", 2), "407"},
        {PutMt("13800000001", "4F6", 3), "407"},
        {"/sms/putMt/?msgFormat=2" + kAccount + "&Mobs=13800000001&msg=a&mtLevel=1&subNumber=1a", "408"},
        {"/sms/putMt/?msgFormat=2" + kAccount + "&Mobs=13800000001&msg=a&mtLevel=1&linkID=x", "409"},
        {"/sms/putMt/?msgFormat=2" + kAccount + "&Mobs=13800000001&msg=a&mtLevel=4", "410"},
    };
    for (const Case& c : cases) EXPECT_EQ(Get(c.target), c.code + "\r\n") << c.target;
    EXPECT_TRUE(sim.Sent().empty());
}

TEST_F(SimTest, PutMtReadsTheMessageInEachOfTheFourFormats) {
    const std::string hello = "你好 a+b";
    const std::string gbk = Utf8ToGbk(hello);
    // Format 0 comes as raw GBK bytes; "+" is sent escaped, as a blank would be.
    std::string raw0 = gbk.substr(0, 4) + "%20a%2Bb";
    EXPECT_EQ(Get(PutMt("13800000000", raw0, 0)), "100\r\n0,1000\r\n");
    EXPECT_EQ(Get(PutMt("13800000000", "%25C4%25E3%25BA%25C3%2520a%252Bb", 1)), "100\r\n0,1001\r\n");
    EXPECT_EQ(Get(PutMt("13800000000", "%E4%BD%A0%E5%A5%BD%20a%2Bb", 2)), "100\r\n0,1002\r\n");
    EXPECT_EQ(Get(PutMt("13800000000", "4F60597D00200061002B0062", 3)), "100\r\n0,1003\r\n");
    for (const SentMessage& m : sim.Sent()) EXPECT_EQ(m.text, hello) << "format " << m.msgFormat;
}

TEST_F(SimTest, IncomingMessagesAreHandedOutOnceInTheAskedFormat) {
    const std::string ask = "/sms/getMo/?msgFormat=0" + kAccount + "&MD5Str=";
    EXPECT_EQ(Get(ask), "300\r\n");
    sim.SetNextMessageId(3'000'000'000ULL);
    sim.QueueIncoming({.mob = "13800000009", .destID = "10657", .text = "收到, 谢谢", .moTime = "20240102030405"});
    sim.QueueIncoming({.mob = "13800000008", .destID = "10657", .text = "x", .moTime = "1", .corpID = "20002"});
    EXPECT_EQ(Get(ask), "100\r\n10001,3000000000,20240102030405,13800000009,10657," + Utf8ToGbk("收到, 谢谢") + "\r\n");
    EXPECT_EQ(Get(ask), "300\r\n");
    EXPECT_EQ(sim.PendingIncoming(), 1u);  // the other account's message stays
    sim.QueueIncoming({.mob = "13800000009", .destID = "1", .text = "你", .moTime = "20240102030405"});
    EXPECT_EQ(Get("/sms/getMo/?msgFormat=3" + kAccount + "&MD5Str="),
              "100\r\n10001,3000000002,20240102030405,13800000009,1,4F60\r\n");
}

TEST_F(SimTest, DeliveryReportsAreHandedOutOnce) {
    const std::string ask = "/sms/getReport/?msgFormat=1" + kAccount + "&MD5Str=";
    sim.QueueReport({.mtID = 9001, .status = "0"});
    sim.QueueReport({.mtID = 9002, .status = "2"});
    EXPECT_EQ(Get(ask), "100\r\n9001,0\r\n9002,2\r\n");
    EXPECT_EQ(Get(ask), "300\r\n");
    EXPECT_EQ(Get("/sms/getReport/?msgFormat=1&corpID=10001&loginName=demo&password=no&MD5Str="), "203\r\n");
}

TEST(SimAutoReports, EveryAcceptedNumberGetsAReport) {
    SmsSimulator sim({.accounts = {{"demo", "pw", "10001", "g1", "p1"}}, .autoReports = true});
    sim.Start();
    BodyOf(RawGet(sim.Port(), PutMt("13800000001,13800000002", "hi")));
    EXPECT_EQ(BodyOf(RawGet(sim.Port(), "/sms/getReport/?msgFormat=1" + kAccount + "&MD5Str=")),
              "100\r\n1000,0\r\n1001,0\r\n");
}

TEST_F(SimTest, DataQueryAnswersTheAccountInHexEncodedUtf8) {
    const std::string row = "<row c=\"3130303031\" g=\"6731\" p=\"7031\"/>";
    std::string xml = Get("/data/?sql=getData+'G','demo','pw'");
    EXPECT_TRUE(xml.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?>")) << xml;
    EXPECT_NE(xml.find(row), std::string::npos) << xml;
    // Quotes doubled inside a literal, as the client's quoting writes them.
    SmsSimulator quoted({.accounts = {{"o'k", "a'b", "7", "ä", "p"}}});
    quoted.Start();
    xml = BodyOf(RawGet(quoted.Port(), "/data/?sql=getData+'G','o''k','a''b'"));
    EXPECT_NE(xml.find("<row c=\"37\" g=\"c3a4\" p=\"70\"/>"), std::string::npos) << xml;
    quoted.SetDataReply(XmlEncoding::Utf8, true);
    xml = BodyOf(RawGet(quoted.Port(), "/data/?sql=getData+'G','o''k','a''b'"));
    EXPECT_NE(xml.find("g=\"C3A4\""), std::string::npos) << xml;
}

TEST_F(SimTest, DataQueryWithWrongCredentialsHasNoRow) {
    for (std::string q : {"getData+'G','demo','bad'", "getData+'G','demo'", "select", "getData+'G','demo','pw"}) {
        std::string xml = Get("/data/?sql=" + q);
        EXPECT_NE(xml.find("<data>"), std::string::npos) << q;
        EXPECT_EQ(xml.find("<row"), std::string::npos) << q;
    }
}

TEST_F(SimTest, DataQueryCanAnswerInUtf16) {
    sim.SetDataReply(XmlEncoding::Utf16LE, false);
    EXPECT_EQ(Get("/data/?sql=getData+'G','demo','pw'").substr(0, 4), std::string("\xFF\xFE<\0", 4));
    sim.SetDataReply(XmlEncoding::Utf16BE, false);
    EXPECT_EQ(Get("/data/?sql=getData+'G','demo','pw'").substr(0, 4), std::string("\xFE\xFF\0<", 4));
}

TEST_F(SimTest, ServesTheWebPagesAndTheSignUpPage) {
    std::string page = Get("/corp/client/?v=msg&a=advice&c=10001&g=g1&p=p1");
    EXPECT_NE(page.find("意见与投诉"), std::string::npos);
    EXPECT_NE(page.find("10001"), std::string::npos);
    EXPECT_NE(Get("/corp/client/?v=msg&a=welcome&c=10001&g=g1&p=wrong").find("请先登录"), std::string::npos);
    EXPECT_NE(Get("/index/apply.asp").find("<html>"), std::string::npos);
    EXPECT_TRUE(RawGet(sim.Port(), "/corp/client/?v=msg&a=nothing").starts_with("HTTP/1.1 404 "));
    EXPECT_TRUE(RawGet(sim.Port(), "/elsewhere").starts_with("HTTP/1.1 404 "));
}

TEST_F(SimTest, RecordsEveryRequestAsItArrived) {
    RawGet(sim.Port(), "/sms/getMo/?msgFormat=0" + kAccount + "&MD5Str=");
    std::vector<RequestRecord> records = sim.Requests();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].requestLine, "GET /sms/getMo/?msgFormat=0" + kAccount + "&MD5Str= HTTP/1.0");
    EXPECT_EQ(records[0].path, "/sms/getMo/");
    EXPECT_EQ(Find(records[0].query, "password"), "pw");
    EXPECT_EQ(Find(records[0].headers, "Host"), "127.0.0.1");
}

TEST_F(SimTest, ConcurrentSendsAreEachCountedOnce) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) Get(PutMt("1380000000" + std::to_string(t), "hi"));
        });
    for (auto& t : threads) t.join();
    std::vector<SentMessage> sent = sim.Sent();
    ASSERT_EQ(sent.size(), 40u);
    for (int t = 0; t < 8; ++t) EXPECT_EQ(sim.SendCount("1380000000" + std::to_string(t)), 5);
    std::set<std::uint64_t> ids;
    for (const SentMessage& m : sent) ids.insert(m.mtID);
    EXPECT_EQ(ids.size(), 40u);
}

}  // namespace
}  // namespace xunda::sim
