#include "gateway/request_url.h"

#include <gtest/gtest.h>

#include "core/codepage.h"
#include "gateway/text_codec.h"
#include "gateway/trace_log.h"
#include "net/net_code.h"

namespace xunda {
namespace {

// The message text as the template took it: GBK, percent-encoded GBK, UTF-8 or UCS-2 hex.
std::string TemplateText(int format, const std::string& text) {
    switch (format) {
        case 0: return Utf8ToGbk(text);
        case 1: return PercentEncodeUrl(Utf8ToGbk(text));
        case 2: return text;
        default: return StrToUcs2Hex(text);
    }
}

// The request as encoding the whole URL at once gives it: the template filled in, then the whole
// URL encoded (format 0: not encoded).
std::string WholeUrl(int format, const Credentials& a, const MtRequest& mt) {
    std::string url = "http://h:8360/sms/putMt/?msgFormat=" + std::to_string(format) + "&corpID=" + a.corpID +
                      "&loginName=" + Utf8ToGbk(a.loginName) + "&password=" + Utf8ToGbk(a.password) +
                      "&Mobs=" + mt.Mobs + "&msg=" + TemplateText(format, mt.msg) + "&mtLevel=" + mt.mtLevel +
                      "&subNumber=" + mt.subNumber + "&linkID=" + mt.linkID;
    return format == 0 ? url : PercentEncodeUrl(url);
}

TEST(EncodeUrlValue, QuerySeparatorsEscapedOnTopOfTheUrlSet) {
    EXPECT_EQ(EncodeUrlValue("\"%<>[\\]^`{|}~\x7f\x01 " + Utf8ToGbk("你")), "%22%25%3C%3E%5B%5C%5D%5E%60%7B%7C%7D%7E%7F%01%20%C4%E3");
    EXPECT_EQ(EncodeUrlValue("!$'()*,-.:;?@/"), "!$'()*,-.:;?@/");
    EXPECT_EQ(EncodeUrlValue("a&b+c#d=e_f"), "a%26b%2Bc%23d%3De%5Ff");
    EXPECT_EQ(EncodeRawUrlValue("a b&c+d#e=f%\r\n" + Utf8ToGbk("你") + "_"), "a%20b%26c%2Bd%23e%3Df%25%0D%0A\xC4\xE3_");
}

TEST(RequestUrls, SameBytesAsTheWholeUrlEncodingForOrdinaryValues) {
    const Credentials account{"10001", "张三_x", "p@ss:w/o'rd,;!"};
    const MtRequest mt{"13800000001", "会议改到 3:00, 请准时!\"<>_~%", "2", "123", "456"};
    for (int format = 0; format <= 3; ++format) {
        MtRequest m = mt;
        if (format == 0) m.msg = "会议改到3:00,请准时!";  // format 0 sends what it has, blanks aside
        EXPECT_EQ(PutMtUrl("h:8360", format, account, m), WholeUrl(format, account, m)) << format;
    }
    // The polls encode even format 0.
    EXPECT_EQ(PollUrl("h", "/sms/getMo/", 0, account),
              PercentEncodeUrl("http://h/sms/getMo/?msgFormat=0&corpID=10001&loginName=" + Utf8ToGbk(account.loginName) +
                               "&password=" + account.password + "&MD5Str="));
}

TEST(DataQueryUrl, ArgumentsEncodedAsOneValueInUtf8) {
    const std::string base = DataQueryBase("127.0.0.1:8360");
    EXPECT_EQ(base, "http://127.0.0.1:8360/data/?sql=getData+");
    EXPECT_EQ(DataQueryUrl(base + "'G','demo','it''s'"), base + "'G','demo','it''s'");
    EXPECT_EQ(DataQueryUrl(base + "'G','张 三','a&b+c'"),
              base + "'G','%E5%BC%A0%20%E4%B8%89','a%26b%2Bc'");
    EXPECT_EQ(DataQueryUrl("http://h/other?x=a b"), "http://h/other?x=a%20b");
    // Without "&+#=" in the values, the bytes of encoding the whole URL at once.
    const std::string plain = base + "'G','张_三 x','p@s/s:%?''~'";
    EXPECT_EQ(DataQueryUrl(plain), PercentEncodeUrl(plain));
}

TEST(TraceLog, NeverPassesAPasswordOn) {
    std::vector<std::string> traced;
    SetTraceSink([&](const std::string& line) { traced.push_back(line); });
    TraceLog("发送MT消息=" + PutMtUrl("h", 2, {"1", "u", "s3cret"}, {"138", "x", "1", "", ""}));
    TraceLog("password=a&password=b");
    TraceLog("ResultValue=100");
    SetTraceSink(nullptr);
    TraceLog("password=unseen");
    ASSERT_EQ(traced.size(), 3u);
    EXPECT_EQ(traced[0], "发送MT消息=http://h/sms/putMt/?msgFormat=2&corpID=1&loginName=u&password=***&Mobs=138&msg=x"
                         "&mtLevel=1&subNumber=&linkID=");
    EXPECT_EQ(traced[1], "password=***&password=***");
    EXPECT_EQ(traced[2], "ResultValue=100");
}

}  // namespace
}  // namespace xunda
