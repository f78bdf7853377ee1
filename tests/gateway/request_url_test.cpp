#include "gateway/request_url.h"

#include <gtest/gtest.h>

#include "core/codepage.h"
#include "gateway/text_codec.h"
#include "gateway/trace_log.h"
#include "net/net_code.h"
#include "sms-sim/http_message.h"

namespace xunda {
namespace {

const Credentials kAccount{"10001", "demo", "pw"};

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

TEST(PutMtUrl, KeysInOrderAndTheTextInEachFormat) {
    const MtRequest mt{"13800000001,13800000002", "你好_1", "1", "", ""};
    const std::string head = "http://h:8360/sms/putMt/?msgFormat=";
    const std::string account = "&corpID=10001&loginName=demo&password=pw&Mobs=13800000001,13800000002&msg=";
    const std::string tail = "&mtLevel=1&subNumber=&linkID=";
    EXPECT_EQ(PutMtUrl("h:8360", 0, kAccount, mt), head + "0" + account + "\xC4\xE3\xBA\xC3_1" + tail);
    EXPECT_EQ(PutMtUrl("h:8360", 1, kAccount, mt), head + "1" + account + "%25C4%25E3%25BA%25C3%255F1" + tail);
    EXPECT_EQ(PutMtUrl("h:8360", 2, kAccount, mt), head + "2" + account + "%E4%BD%A0%E5%A5%BD%5F1" + tail);
    EXPECT_EQ(PutMtUrl("h:8360", 3, kAccount, mt), head + "3" + account + "4F60597D005F0031" + tail);
}

TEST(PutMtUrl, SameBytesAsTheWholeUrlEncodingForOrdinaryValues) {
    const Credentials account{"10001", "张三_x", "p@ss:w/o'rd,;!"};
    const MtRequest mt{"13800000001", "会议改到 3:00, 请准时!\"<>_~%", "2", "123", "456"};
    for (int format = 0; format <= 3; ++format) {
        MtRequest m = mt;
        if (format == 0) m.msg = "会议改到3:00,请准时!";  // format 0 sends what it has, blanks aside
        EXPECT_EQ(PutMtUrl("h:8360", format, account, m), WholeUrl(format, account, m)) << format;
    }
}

TEST(PutMtUrl, AmpersandPlusHashAndEqualsSurviveTheTrip) {
    const Credentials account{"10001", "a&b=c", "p+w#d&x=1"};
    const MtRequest mt{"13800000001", "1+1=2 & 100% #1 你好", "1", "", ""};
    for (int format = 0; format <= 3; ++format) {
        std::string url = PutMtUrl("h", format, account, mt);
        std::optional<sim::RequestHead> head = sim::ParseRequestHead("GET " + url.substr(8) + " HTTP/1.0\r\n\r\n");
        ASSERT_TRUE(head) << format;
        EXPECT_EQ(head->query.size(), 9u) << url;
        EXPECT_EQ(sim::Find(head->query, "loginName"), "a&b=c");
        EXPECT_EQ(sim::Find(head->query, "password"), "p+w#d&x=1");
        std::string msg = *sim::Find(head->query, "msg");
        if (format == 3) {
            EXPECT_EQ(msg, StrToUcs2Hex(mt.msg));
        } else if (format == 1) {
            // The second decoding gives the text whether or not it reads "+" as a blank.
            EXPECT_EQ(GbkToUtf8(sim::PercentDecode(msg, true)), mt.msg);
            EXPECT_EQ(GbkToUtf8(sim::PercentDecode(msg, false)), mt.msg);
        } else {
            EXPECT_EQ(format == 0 ? GbkToUtf8(msg) : msg, mt.msg) << format;
        }
    }
}

TEST(PollUrl, AlwaysEncodedWithAnEmptyMd5StrLast) {
    const Credentials account{"10001", "张", "p w"};
    EXPECT_EQ(PollUrl("h", "/sms/getMo/", 0, account),
              "http://h/sms/getMo/?msgFormat=0&corpID=10001&loginName=%D5%C5&password=p%20w&MD5Str=");
    EXPECT_EQ(PollUrl("h", "/sms/getReport/", 1, kAccount),
              "http://h/sms/getReport/?msgFormat=1&corpID=10001&loginName=demo&password=pw&MD5Str=");
    const Credentials plain{"10001", "张三_x", "p@ss:w/o'rd,;!%"};
    EXPECT_EQ(PollUrl("h", "/sms/getMo/", 0, plain),
              PercentEncodeUrl("http://h/sms/getMo/?msgFormat=0&corpID=10001&loginName=" + Utf8ToGbk(plain.loginName) +
                               "&password=" + plain.password + "&MD5Str="));
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
