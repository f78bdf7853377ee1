// The texts themselves are data; what can go wrong is finding a code's own text and the form of
// the result, for known and unknown codes.
#include "gateway/result_text.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(ResultTexts, KnownAndUnknownCodes) {
    // the first and last code of each group
    EXPECT_EQ(SmsResultText(100), "全部成功:100");
    EXPECT_EQ(SmsResultText(201), "用户名（loginName）不存在或用户名为空:201");
    EXPECT_EQ(SmsResultText(208), "随机码（MD5str）错误:208");
    EXPECT_EQ(SmsResultText(300), "全部失败:300");
    EXPECT_EQ(SmsResultText(401), "编码格式（msgFormat）为空或非法:401");
    EXPECT_EQ(SmsResultText(414), "时间有误或超出协议限制:414");
    EXPECT_EQ(SmsResultText(501), "系统忙限制发送:501");
    EXPECT_EQ(SmsResultText(506), "企业子用户可用国际短信条数不足:506");
    for (int code : {0, -3, 99, 101, 209, 415, 500, 507})
        EXPECT_EQ(SmsResultText(code), "未知错误消息:" + std::to_string(code));
    // the reason phrases, in their old spellings
    EXPECT_EQ(HttpStatusText(100), "Continue");
    EXPECT_EQ(HttpStatusText(408), "Request Time-out");
    EXPECT_EQ(HttpStatusText(416), "Requested range not satisfiable");
    EXPECT_EQ(HttpStatusText(505), "HTTP Version not supported");
    for (int code : {-1, 99, 207, 306, 308, 418, 506, 600}) EXPECT_EQ(HttpStatusText(code), "") << code;
}

}  // namespace
}  // namespace xunda
