#include "gateway/service_gateway.h"

#include "core/paths.h"
#include "core/text_util.h"
#include "gateway/data_reply.h"
#include "gateway/reply_text.h"
#include "gateway/result_text.h"
#include "gateway/trace_log.h"

namespace xunda {

namespace {
constexpr std::size_t kMaxPutMtBody = 1024 * 1024;       // a line per number, at most 100 numbers
constexpr std::size_t kMaxOtherBody = 16 * 1024 * 1024;  // waiting messages, reports, data rows
constexpr int kNoAnswer = 500;

bool ValidFormat(int msgFormat) {
    return msgFormat >= 0 && msgFormat <= 3;
}
}  // namespace

// The trace texts of one kind of request.
struct ServiceGateway::Texts {
    const char* sending;
    const char* failed;
    const char* succeeded;
    bool send;  // a PutMt
};

ServiceGateway::ServiceGateway(GatewayOptions options)
    : host_(options.host.empty() ? ServiceHost() : std::move(options.host)),
      timeout_(options.timeout),
      fetch_(options.fetch ? std::move(options.fetch) : Fetcher(HttpFetch)) {}

FetchResult ServiceGateway::Fetch(const std::string& url, std::size_t maxBody, int proxyType, bool send) {
    FetchResult reply = fetch_(url, {timeout_, maxBody}, proxyType);
    // A reply without status line, or one larger than the service ever sends, is no answer.
    if (reply.status <= 0 || reply.body.size() > maxBody) return {kNoAnswer, {}, false, false};
    if (reply.complete) CountAnswer(send);
    return reply;
}

int ServiceGateway::TextRequest(const Texts& texts, const std::string& url, std::size_t maxBody,
                                int proxyType, std::string& resultValue, std::vector<std::string>& replyLines,
                                bool& replyLost) {
    replyLines.clear();
    TraceLog(texts.sending + url);
    FetchResult reply = Fetch(url, maxBody, proxyType, texts.send);
    replyLost = reply.replyLost;
    if (reply.status != 200) {
        TraceLog(texts.failed + HttpStatusText(reply.status));
        return reply.status;
    }
    TraceLog(texts.succeeded);
    std::vector<std::string> lines = SplitReplyLines(reply.body);
    if (lines.empty()) return -3;
    resultValue = TrimControls(lines.front());
    TraceLog("ResultValue=" + resultValue);
    replyLines.assign(std::make_move_iterator(lines.begin() + 1), std::make_move_iterator(lines.end()));
    return 0;
}

int ServiceGateway::PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                          const Credentials& account, const MtRequest& mt, int proxyType, bool& replyLost) {
    replyLost = false;
    if (!ValidFormat(msgFormat)) return -2;
    static constexpr Texts kTexts{"发送MT消息=", "发送消息失败:", "提交URL成功", true};
    return TextRequest(kTexts, PutMtUrl(host_, msgFormat, account, mt), kMaxPutMtBody, proxyType, resultValue,
                       replyLines, replyLost);
}

int ServiceGateway::Poll(const Texts& texts, std::string_view path, std::string& resultValue,
                         std::vector<std::string>& replyLines, int msgFormat, const Credentials& account,
                         int proxyType) {
    if (!ValidFormat(msgFormat)) return -2;
    bool replyLost = false;  // a poll whose reply was lost is a failed poll like any other
    return TextRequest(texts, PollUrl(host_, path, msgFormat, account), kMaxOtherBody, proxyType, resultValue,
                       replyLines, replyLost);
}

int ServiceGateway::GetMo(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                          const Credentials& account, int proxyType) {
    static constexpr Texts kTexts{"发送GetMo消息=", "GetMo失败:", "GetMo成功", false};
    return Poll(kTexts, "/sms/getMo/", resultValue, replyLines, msgFormat, account, proxyType);
}

int ServiceGateway::GetReport(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                              const Credentials& account, int proxyType) {
    static constexpr Texts kTexts{"发送Getreport消息=", "Getport失败:", "Getreport成功", false};
    return Poll(kTexts, "/sms/getReport/", resultValue, replyLines, msgFormat, account, proxyType);
}

int ServiceGateway::GetData(const std::string& url, FieldList& fields, int& colCount, int& rowCount,
                            int proxyType) {
    fields.clear();
    colCount = 0;
    rowCount = 0;
    FetchResult reply = Fetch(DataQueryUrl(url), kMaxOtherBody, proxyType, false);
    if (reply.status != 200) {
        TraceLog("接收XML文件错误:" + std::to_string(reply.status));
        return reply.status;
    }
    return ReadDataReply(reply.body, fields, colCount, rowCount);
}

}  // namespace xunda
