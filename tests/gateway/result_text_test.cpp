#include "gateway/result_text.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

// Spot checks of exact texts (full-width brackets, ASCII inside, the ":code" suffix), the texts for
// unknown codes, and how many codes have a text of their own.
TEST(ResultTexts, SpotChecksUnknownCodesAndTheNumberOfKnownOnes) {
    const std::pair<int, const char*> service[] = {
        {100, "全部成功"},
        {201, "用户名（loginName）不存在或用户名为空"},
        {208, "随机码（MD5str）错误"},
        {403, "发送手机列表（gsm）超过最大100个号码"},
        {506, "企业子用户可用国际短信条数不足"},
        {0, "未知错误消息"},
        {-3, "未知错误消息"},
        {415, "未知错误消息"},
    };
    for (const auto& [code, text] : service) EXPECT_EQ(SmsResultText(code), std::string(text) + ":" + std::to_string(code));
    const std::pair<int, const char*> http[] = {
        {100, "Continue"},         {203, "Non-Authoritative Information"},   {307, "Temporary Redirect"},
        {408, "Request Time-out"}, {416, "Requested range not satisfiable"}, {505, "HTTP Version not supported"},
        {306, ""},                 {600, ""},                                {-1, ""},
    };
    for (const auto& [code, text] : http) EXPECT_EQ(HttpStatusText(code), text) << code;

    int serviceCodes = 0, httpCodes = 0;
    for (int code = -1000; code < 1000; ++code) {
        serviceCodes += SmsResultText(code) != "未知错误消息:" + std::to_string(code);
        httpCodes += !HttpStatusText(code).empty();
    }
    EXPECT_EQ(serviceCodes, 31);
    EXPECT_EQ(httpCodes, 40);
}

}  // namespace
}  // namespace xunda
