// The texts themselves are data; what can go wrong is finding a code's own text and the form of
// the result, for known and unknown codes.
#include "gateway/result_text.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(ResultTexts, KnownAndUnknownCodes) {
    EXPECT_EQ(SmsResultText(100), "全部成功:100");
    EXPECT_EQ(SmsResultText(506), "企业子用户可用国际短信条数不足:506");
    for (int code : {0, -3, 99, 101, 209, 415, 500, 507})
        EXPECT_EQ(SmsResultText(code), "未知错误消息:" + std::to_string(code));
    EXPECT_EQ(HttpStatusText(100), "Continue");
    EXPECT_EQ(HttpStatusText(505), "HTTP Version not supported");
    for (int code : {-1, 99, 207, 306, 308, 418, 506, 600}) EXPECT_EQ(HttpStatusText(code), "") << code;
}

}  // namespace
}  // namespace xunda
