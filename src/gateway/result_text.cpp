#include "gateway/result_text.h"

#include <string_view>

namespace xunda {

namespace {

struct CodeText {
    int code;
    std::string_view text;
};

constexpr CodeText kServiceTexts[] = {
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

constexpr CodeText kHttpTexts[] = {
    {100, "Continue"},
    {101, "Switching Protocols"},
    {200, "OK"},
    {201, "Created"},
    {202, "Accepted"},
    {203, "Non-Authoritative Information"},
    {204, "No Content"},
    {205, "Reset Content"},
    {206, "Partial Content"},
    {300, "Multiple Choices"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {304, "Not Modified"},
    {305, "Use Proxy"},
    {307, "Temporary Redirect"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {402, "Payment Required"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {406, "Not Acceptable"},
    {407, "Proxy Authentication Required"},
    {408, "Request Time-out"},
    {409, "Conflict"},
    {410, "Gone"},
    {411, "Length Required"},
    {412, "Precondition Failed"},
    {413, "Request Entity Too Large"},
    {414, "Request-URI Too Large"},
    {415, "Unsupported Media Type"},
    {416, "Requested range not satisfiable"},
    {417, "Expectation Failed"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Time-out"},
    {505, "HTTP Version not supported"},
};

template <size_t N>
std::string_view Lookup(const CodeText (&table)[N], int code, std::string_view otherwise) {
    for (const CodeText& entry : table)
        if (entry.code == code) return entry.text;
    return otherwise;
}

}  // namespace

std::string SmsResultText(int code) {
    return std::string(Lookup(kServiceTexts, code, "未知错误消息")) + ":" + std::to_string(code);
}

std::string HttpStatusText(int code) {
    return std::string(Lookup(kHttpTexts, code, ""));
}

}  // namespace xunda
