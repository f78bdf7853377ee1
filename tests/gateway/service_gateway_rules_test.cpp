// The gateway's result rules, with the HTTP exchange replaced by a scripted one.
#include <gtest/gtest.h>

#include "core/exceptions.h"
#include "gateway/service_gateway.h"
#include "gateway/trace_log.h"

namespace xunda {
namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

const Credentials kAccount{"10001", "demo", "s3cret"};
const MtRequest kMt{"13800000001", "hi", "1", "", ""};

class GatewayRulesTest : public ::testing::Test {
  protected:
    ServiceGateway gateway{{.host = "h:1",
                            .timeout = std::chrono::milliseconds(1234),
                            .fetch = [this](const std::string& url, const FetchLimits& limits, int) {
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

TEST_F(GatewayRulesTest, RepliesAndTheirResults) {
    const std::size_t kCap = 1024 * 1024;
    const struct {
        // The reply's fields one by one: a FetchResult in each case trips GCC 12's false
        // -Wmaybe-uninitialized in optimised builds.
        int status;
        std::string body;
        bool replyLost;  // and so the batch's outcome unknown
        int result;
        std::string value;
        Lines lines;
    } cases[] = {
        {200, " 100 \n0,12345 \n403,403", false, 0, "100", {"0,12345 ", "403,403"}},  // line one trimmed only
        {200, "100\r0,1\n403,403\r\n", false, 0, "100", {"0,1", "403,403"}},          // CR, LF, CR LF
        {200, "100\r\n\r\n0,1\n\r", false, 0, "100", {"", "0,1", ""}},                // empty lines count
        {200, "100\r\nx,\xC4\xE3", false, 0, "100", {"x,你"}},                        // GBK in, UTF-8 out
        {200, "100\r\n0,1\0\r\n0,2"s, false, 0, "100", {"0,1\0"s, "0,2"}},            // NUL ends nothing
        {200, "\0"s + "100", false, 0, "100", {}},
        {500, "", true, 500, "old", {}},  // the request went out, its reply was lost
        {200, "", false, -3, "old", {}},
        {0, "100\r\n", false, 500, "old", {}},  // no status line: no answer
        {404, "100\r\n", false, 404, "old", {}},
        {200, "100\r\n" + std::string(kCap - 5, '0'), false, 0, "100", {std::string(kCap - 5, '0')}},
        {200, "100\r\n" + std::string(kCap - 4, '0'), false, 500, "old", {}},  // over the putMt cap
    };
    for (const auto& c : cases) {
        reply = {c.status, c.body, c.replyLost, !c.replyLost};
        value = "old";
        bool lost = !c.replyLost;
        EXPECT_EQ(gateway.PutMt(value, lines, 2, kAccount, kMt, 0, lost), c.result) << c.body.substr(0, 20);
        EXPECT_EQ(lost, c.replyLost);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(lines, c.lines);
    }
    EXPECT_EQ(gateway.SendAnswers(), 9u);  // every reply read whole, whatever its status
    EXPECT_EQ(urls.back(), PutMtUrl("h:1", 2, kAccount, kMt));
    EXPECT_EQ(lastLimits.timeout.count(), 1234);
    EXPECT_EQ(lastLimits.maxBody, 1024u * 1024u);
    reply.body = std::string(16 * 1024 * 1024, '1');  // the polls' cap
    EXPECT_EQ(gateway.GetMo(value, lines, 0, kAccount, 0), 0);
    reply.body += '1';
    EXPECT_EQ(gateway.GetReport(value, lines, 1, kAccount, 0), 500);
    EXPECT_EQ(gateway.Answers(), 10u);
    EXPECT_EQ(gateway.SendAnswers(), 9u);
    // A format outside 0 to 3 sends nothing.
    urls.clear();
    bool lost = false;
    EXPECT_EQ(gateway.PutMt(value, lines, 4, kAccount, kMt, 0, lost), -2);
    EXPECT_EQ(gateway.GetMo(value, lines, -1, kAccount, 0), -2);
    EXPECT_TRUE(urls.empty());
}

TEST_F(GatewayRulesTest, DataRepliesRowsAttributesAndHexValues) {
    FieldList fields;
    int cols = 0, rows = 0;
    auto read = [&](const std::string& xml) {
        reply = {200, xml};
        return gateway.GetData("http://h/data/?sql=x", fields, cols, rows, 0);
    };
    ASSERT_EQ(read("<r><row c=\"31\" g=\"e4bda0\" p=\"E4BDA0\"/><x/><ROW c=\"34\" d=\"313\"/><x><row "
                   "c=\"35\"/></x></r>"),
              0);
    // The root's own rows, names in any case; ColCount is the last row's attribute count.
    EXPECT_EQ(std::to_string(rows) + std::to_string(cols), "22");
    ASSERT_EQ(fields.size(), 5u);  // the odd digit of the last is the byte 0xFF, which UTF-8 cannot hold
    EXPECT_EQ(fields[1].Value + fields[2].Value + fields[3].Value + fields[4].Value, "你你41?");
    // A field by name (in any case) within its row of ColCount fields; the value emptied otherwise.
    std::string v = "x";
    EXPECT_EQ(GetFieldValue("C", 1, v, cols, fields), 0);  // row 1: fields 2 and 3
    EXPECT_EQ(v, "4");
    EXPECT_EQ(GetFieldValue("g", 1, v, cols, fields), -1);  // row 0's field
    EXPECT_EQ(v, "");
    for (auto [row, colCount] :
         {std::pair{2, cols}, {-1, cols}, {0, 0}, {1, 3}})  // no such row, or not whole
        EXPECT_EQ(GetFieldValue("c", row, v, colCount, fields), -2) << row << " " << colCount;
    EXPECT_EQ(read("<data></data>"), 0);
    EXPECT_EQ(rows + cols + fields.size(), 0u);
    EXPECT_THROW(read(""), EStreamError);
}

TEST_F(GatewayRulesTest, TracesEachStepWithoutThePassword) {
    Lines traced;
    SetTraceSink([&](const std::string& line) { traced.push_back(line); });
    bool lost = false;
    gateway.PutMt(value, lines, 2, kAccount, kMt, 0, lost);
    reply = {404, ""};
    gateway.GetMo(value, lines, 0, kAccount, 0);
    gateway.GetReport(value, lines, 1, kAccount, 0);
    reply = {200, ""};
    gateway.GetReport(value, lines, 1, kAccount, 0);
    FieldList fields;
    int cols = 0, rows = 0;
    reply = {503, ""};
    gateway.GetData(DataQueryBase("h:1") + "'G','demo','s3cret'", fields, cols, rows, 0);
    SetTraceSink(nullptr);
    const Lines expected = {
        "发送MT消息=http://h:1/sms/putMt/"
        "?msgFormat=2&corpID=10001&loginName=demo&password=***&Mobs=13800000001&msg=hi"
        "&mtLevel=1&subNumber=&linkID=",
        "提交URL成功",
        "ResultValue=100",
        "发送GetMo消息=" + MaskPasswords(PollUrl("h:1", "/sms/getMo/", 0, kAccount)),
        "GetMo失败:Not Found",
        "发送Getreport消息=" + MaskPasswords(PollUrl("h:1", "/sms/getReport/", 1, kAccount)),
        "Getport失败:Not Found",
        "发送Getreport消息=" + MaskPasswords(PollUrl("h:1", "/sms/getReport/", 1, kAccount)),
        "Getreport成功",
        "接收XML文件错误:503",
    };
    EXPECT_EQ(traced, expected);
    for (const std::string& line : traced) EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
}

}  // namespace
}  // namespace xunda
