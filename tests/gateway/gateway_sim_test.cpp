// The gateway against the in-process service simulator, over real sockets.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/codepage.h"
#include "core/exceptions.h"
#include "gateway/service_gateway.h"
#include "net/loopback_peer.h"
#include "sms-sim/sms_sim.h"
#include "store/sql_text.h"

namespace xunda {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::milliseconds;

// Every character that has a meaning in a URL or an SQL literal.
const std::string kOddPassword = "p+w#d&x=1 @h:8/?%'_,;";

class GatewaySimTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.Start();
        gateway = Gateway();
    }

    ServiceGateway Gateway(milliseconds timeout = milliseconds(5000)) {
        return ServiceGateway({.host = sim.Host(), .timeout = timeout});
    }
    std::string LastRequestLine() {
        std::vector<sim::RequestRecord> records = sim.Requests();
        return records.empty() ? "" : records.back().requestLine;
    }

    sim::SmsSimulator sim{{.accounts = {{"demo", "pw", "10001", "g1", "p1"}, {"a&b=c 张", kOddPassword, "7", "g", "p"}}}};
    ServiceGateway gateway;
    const Credentials account{"10001", "demo", "pw"};
    std::string value = "old";
    Lines lines = {"stale"};
};

TEST_F(GatewaySimTest, ExactRequestLinesOfTheThreeRequests) {
    const MtRequest mt{"13800000001,13800000002", "你好_1", "1", "", ""};
    const std::string head = "GET /sms/putMt/?msgFormat=";
    const std::string keys = "&corpID=10001&loginName=demo&password=pw&Mobs=13800000001,13800000002&msg=";
    const std::string tail = "&mtLevel=1&subNumber=&linkID= HTTP/";
    const std::string texts[] = {"\xC4\xE3\xBA\xC3_1", "%25C4%25E3%25BA%25C3%255F1", "%E4%BD%A0%E5%A5%BD%5F1",
                                 "4F60597D005F0031"};
    for (int format = 0; format <= 3; ++format) {
        EXPECT_EQ(gateway.PutMt(value, lines, format, account, mt), 0) << format;
        EXPECT_EQ(value, "100");
        EXPECT_EQ(lines.size(), 2u);
        std::string line = LastRequestLine();
        EXPECT_EQ(line.substr(0, line.rfind("HTTP/") + 5), head + std::to_string(format) + keys + texts[format] + tail);
    }
    for (const sim::SentMessage& m : sim.Sent()) EXPECT_EQ(m.text, "你好_1") << m.msgFormat;
    EXPECT_EQ(sim.SendCount("13800000001"), 4);
    // The polls send an empty MD5Str last.
    EXPECT_EQ(gateway.GetMo(value, lines, 0, account), 0);
    EXPECT_TRUE(LastRequestLine().starts_with(
        "GET /sms/getMo/?msgFormat=0&corpID=10001&loginName=demo&password=pw&MD5Str= HTTP/"));
    EXPECT_EQ(gateway.GetReport(value, lines, 1, account), 0);
    EXPECT_TRUE(LastRequestLine().starts_with(
        "GET /sms/getReport/?msgFormat=1&corpID=10001&loginName=demo&password=pw&MD5Str= HTTP/"));
}

TEST_F(GatewaySimTest, AmpersandPlusHashAndEqualsRoundTrip) {
    const Credentials odd{"7", "a&b=c 张", kOddPassword};
    const MtRequest mt{"13800000001", "1+1=2 & 100% #1 a_b", "1", "", ""};
    for (int format = 0; format <= 3; ++format) {
        EXPECT_EQ(gateway.PutMt(value, lines, format, odd, mt), 0);
        EXPECT_EQ(value, "100") << format;
    }
    std::vector<sim::SentMessage> sent = sim.Sent();
    ASSERT_EQ(sent.size(), 4u);
    for (const sim::SentMessage& m : sent) EXPECT_EQ(m.text, mt.msg) << m.msgFormat;
}

TEST_F(GatewaySimTest, IncomingMessagesAndReportsComeAsTheirLines) {
    sim.SetNextMessageId(4'294'967'296ULL);
    sim.QueueIncoming({.mob = "13800000009", .destID = "10657", .text = "收到, 谢谢", .moTime = "20240102030405"});
    EXPECT_EQ(gateway.GetMo(value, lines, 0, account), 0);
    EXPECT_EQ(value, "100");
    EXPECT_EQ(lines, Lines{"10001,4294967296,20240102030405,13800000009,10657,收到, 谢谢"});
    EXPECT_EQ(gateway.PutMt(value, lines, 2, account, {"13800000001", "x", "1", "", ""}), 0);
    EXPECT_EQ(lines, Lines{"0,4294967297"});
    sim.QueueReport({.mtID = 4294967297ULL, .status = "0"});
    EXPECT_EQ(gateway.GetReport(value, lines, 1, account), 0);
    EXPECT_EQ(lines, Lines{"4294967297,0"});
}

TEST_F(GatewaySimTest, ReplySplitTable) {
    struct Case {
        std::string body;
        int result;
        std::string value;
        Lines lines;
    } cases[] = {
        {"100\r0,1\r", 0, "100", {"0,1"}},
        {"100\n0,1\n403,403", 0, "100", {"0,1", "403,403"}},
        {"100\r\n0,1\r\n", 0, "100", {"0,1"}},
        {std::string("100\r\n0,1\0\r\n0,2", 14), 0, "100", {"0,1"}},
        {"100\r\n\r\n0,1\r\n", 0, "100", {"", "0,1"}},
        {" 100 \r\n", 0, "100", {}},
        {"", -3, "old", {}},
    };
    for (const Case& c : cases) {
        sim.Script({.body = c.body});
        value = "old";
        EXPECT_EQ(gateway.PutMt(value, lines, 2, account, {"13800000001", "x", "1", "", ""}), c.result) << c.body;
        EXPECT_EQ(value, c.value) << c.body;
        EXPECT_EQ(lines, c.lines) << c.body;
    }
}

TEST_F(GatewaySimTest, TransportVariantsOfAGoodReply) {
    const sim::ReplyScript scripts[] = {
        {.body = "100\r\n0,1\r\n", .framing = sim::Framing::Chunked},
        {.body = "100\r\n0,1\r\n", .framing = sim::Framing::UntilClose},
        {.body = "100\r\n0,1\r\n", .lineEnd = "\n"},
        {.body = "100\r\n0,1\r\n", .lineEnd = "\r"},
        // A Content-Length too short: the declared bytes are the body.
        {.body = "100\r\n0,1\r\n", .lengthDelta = -2},
    };
    for (const sim::ReplyScript& s : scripts) {
        sim.Script(s);
        value = "old";
        EXPECT_EQ(gateway.GetMo(value, lines, 0, account), 0) << s.lengthDelta;
        EXPECT_EQ(value, "100");
        EXPECT_EQ(lines, Lines{"0,1"});
    }
}

TEST_F(GatewaySimTest, FailuresComeBackAsStatusesAndLeaveTheValue) {
    const std::pair<sim::ReplyScript, int> cases[] = {
        {{.serviceActs = false, .status = 404}, 404},
        {{.serviceActs = false, .status = 500}, 500},
        {{.serviceActs = false, .dropConnection = true}, 500},
        {{.body = "100\r\n0,1\r\n", .lengthDelta = 5}, 500},  // cut short of its Content-Length
        {{.body = "100\r\n0,1\r\n", .framing = sim::Framing::Http09}, 500},
        {{.body = "100\r\n" + std::string(1024 * 1024, '0')}, 500},
        {{.body = "100\r\n" + std::string(1024 * 1024, '0'), .framing = sim::Framing::UntilClose}, 500},
        {{.body = "100\r\n" + std::string(1024 * 1024, '0'), .framing = sim::Framing::Chunked}, 500},
    };
    for (const auto& [script, result] : cases) {
        sim.Script(script);
        EXPECT_EQ(gateway.PutMt(value, lines, 2, account, {"13800000001", "x", "1", "", ""}), result);
        EXPECT_EQ(value, "old");
        EXPECT_TRUE(lines.empty());
    }
}

TEST_F(GatewaySimTest, TimeOutAndClosedPortAreNoAnswer) {
    ServiceGateway impatient = Gateway(milliseconds(200));
    sim.Script({.delay = milliseconds(5000)});
    EXPECT_EQ(impatient.GetMo(value, lines, 0, account), kFetchTimedOut);
    EXPECT_EQ(value, "old");
    test::RefusedPort port;
    ServiceGateway closed({.host = "127.0.0.1:" + port.Port(), .timeout = milliseconds(2000)});
    EXPECT_EQ(closed.GetReport(value, lines, 1, account), 500);
}

TEST_F(GatewaySimTest, OneGatewayServesSeveralThreadsAtOnce) {
    sim.QueueReport({.mtID = 1, .status = "0"});
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                std::string code;
                Lines result;
                const std::string mob = "1380000000" + std::to_string(t);
                if (gateway.PutMt(code, result, 2, account, {mob, "x", "1", "", ""}) != 0 || code != "100") ++failures;
                if (gateway.GetReport(code, result, 1, account) != 0) ++failures;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures, 0);
    for (int t = 0; t < 4; ++t) EXPECT_EQ(sim.SendCount("1380000000" + std::to_string(t)), 5);
    EXPECT_EQ(sim.PendingReports(), 0u);
}

class DataQueryTest : public GatewaySimTest {
protected:
    int Query(const std::string& user, const std::string& password) {
        return gateway.GetData(
            DataQueryBase(sim.Host()) + SqlQuote("G") + "," + SqlQuote(user) + "," + SqlQuote(password), fields, cols,
            rows);
    }
    int Reply(const std::string& xml) {
        sim.Script({.body = xml});
        return Query("demo", "pw");
    }
    std::string Field(const std::string& name, int row) {
        std::string v = "x";
        GetFieldValue(name, row, v, cols, fields);
        return v;
    }

    FieldList fields = {{"stale", "x"}};
    int cols = 9, rows = 9;
};

TEST_F(DataQueryTest, TheAccountRowInEveryEncoding) {
    for (sim::XmlEncoding encoding : {sim::XmlEncoding::Utf8, sim::XmlEncoding::Utf8Bom, sim::XmlEncoding::Utf16LE,
                                      sim::XmlEncoding::Utf16BE}) {
        sim.SetDataReply(encoding, encoding == sim::XmlEncoding::Utf16BE);
        ASSERT_EQ(Query("demo", "pw"), 0);
        EXPECT_EQ(rows, 1);
        EXPECT_EQ(cols, 3);
        EXPECT_EQ(Field("c", 0), "10001");
        EXPECT_EQ(Field("g", 0), "g1");
        EXPECT_EQ(Field("p", 0), "p1");
    }
    EXPECT_TRUE(sim.Requests().back().requestLine.starts_with("GET /data/?sql=getData+'G','demo','pw' HTTP/"));
}

TEST_F(DataQueryTest, SpecialCharactersInTheCredentialsArriveWhole) {
    EXPECT_EQ(Query("a&b=c 张", kOddPassword), 0);
    EXPECT_EQ(Field("c", 0), "7");
    EXPECT_EQ(Query("demo", "wrong"), 0);
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(cols, 0);
    EXPECT_TRUE(fields.empty());
}

TEST_F(DataQueryTest, RowsAttributesAndHexValues) {
    ASSERT_EQ(Reply("<r><row c=\"31\" g=\"32\" p=\"33\"/><x/><ROW c=\"34\" g=\"e4bda0\" p=\"E4BDA0\"/>"
                    "<x><row c=\"35\"/></x></r>"),
              0);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(cols, 3);
    ASSERT_EQ(fields.size(), 6u);
    EXPECT_EQ(fields[3].Name, "c");
    EXPECT_EQ(Field("C", 1), "4");
    EXPECT_EQ(Field("g", 1), "你");
    EXPECT_EQ(Field("p", 1), "你");

    // ColCount is the last row's attribute count; rows are read from the flat list by it.
    ASSERT_EQ(Reply("<r><row a=\"31\" b=\"32\"/><row c=\"33\" d=\"34\" e=\"35\"/></r>"), 0);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(cols, 3);
    EXPECT_EQ(fields.size(), 5u);
    EXPECT_EQ(Field("c", 0), "3");

    ASSERT_EQ(Reply("<r><row c=\"313\"/></r>"), 0);
    EXPECT_EQ(Field("c", 0), "1?");  // the odd digit is the byte 0xFF, which UTF-8 cannot hold
}

TEST_F(DataQueryTest, NoRowsNoRootAndNoXml) {
    EXPECT_EQ(Reply("<data></data>"), 0);
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(cols, 0);
    // The XML model's errors reach the caller as they are.
    auto error = [&](const std::string& body) -> std::string {
        try {
            Reply(body);
        } catch (const EFilerError& e) {
            return std::string("EFilerError: ") + e.what();
        } catch (const EStreamError& e) {
            return std::string("EStreamError: ") + e.what();
        }
        return "no error";
    };
    EXPECT_EQ(error(""), "EStreamError: Unsupported string encoding");
    EXPECT_EQ(error("this is not xml"), "EFilerError: No root element found in xml");
    sim.Script({.serviceActs = false, .status = 404});
    EXPECT_EQ(Query("demo", "pw"), 404);
    EXPECT_TRUE(fields.empty());
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(cols, 0);
}

}  // namespace
}  // namespace xunda
