// The texts themselves are data: the whole table of the service's codes is checked, so that a text
// given to the wrong code is caught; the HTTP reason phrases by samples and the unknown codes.
#include "gateway/result_text.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(ResultTexts, EveryServiceCodeHasItsOwnText) {
    const struct {
        int code;
        const char* text;
    } table[] = {
        {100, "全部成功"},
        {200, "部分成功"},
        {201, "用户名（loginName）不存在或用户名为空"},
        {202, "企业端口号（corpID）不存在或企业端口号为空"},
        {203, "密码（password）错误或密码为空"},
        {204, "非法IP地址"},
        {205, "错误登录达到30次，拒绝登录"},
        {206, "帐户过期，拒绝登录"},
        {207, "企业子用户无终端发送权限"},
        {208, "随机码（MD5str）错误"},
        {300, "全部失败"},
        {401, "编码格式（msgFormat）为空或非法"},
        {402, "发送手机列表（gsm）为空"},
        {403, "发送手机列表（gsm）超过最大100个号码"},
        {404, "国内手机号码非法"},
        {405, "缺少发送短信内容（msg）或内容为空"},
        {406, "发送短信内容（msg）超过500字"},
        {407, "编码格式错误或不可识别"},
        {408, "短信子号码（subNumber）错误"},
        {409, "附加标识码（linkID）错误"},
        {410, "短信紧急程度（mtLevel）错误"},
        {411, "未支持发送的国际号码"},
        {412, "PUSH信息msg内容格式不正确"},
        {413, "不能对非中国移动的手机发送PUSH信息"},
        {414, "时间有误或超出协议限制"},
        {501, "系统忙限制发送"},
        {502, "发送过快流量限制"},
        {503, "企业帐户可用国内短信条数不足"},
        {504, "企业子用户可用国内短信条数不足"},
        {505, "企业帐户可用国际短信条数不足"},
        {506, "企业子用户可用国际短信条数不足"},
    };
    for (const auto& row : table)
        EXPECT_EQ(SmsResultText(row.code), row.text + (":" + std::to_string(row.code)));
    for (int code : {0, -3, 99, 101, 209, 415, 500, 507})
        EXPECT_EQ(SmsResultText(code), "未知错误消息:" + std::to_string(code));
}

TEST(ResultTexts, HttpReasonPhrases) {
    EXPECT_EQ(HttpStatusText(100), "Continue");
    EXPECT_EQ(HttpStatusText(101), "Switching Protocols");
    EXPECT_EQ(HttpStatusText(408), "Request Time-out");
    EXPECT_EQ(HttpStatusText(414), "Request-URI Too Large");
    EXPECT_EQ(HttpStatusText(416), "Requested range not satisfiable");
    EXPECT_EQ(HttpStatusText(500), "Internal Server Error");
    EXPECT_EQ(HttpStatusText(504), "Gateway Time-out");
    EXPECT_EQ(HttpStatusText(505), "HTTP Version not supported");
    for (int code : {-1, 99, 207, 306, 308, 418, 506, 600}) EXPECT_EQ(HttpStatusText(code), "") << code;
}

}  // namespace
}  // namespace xunda
