#include "gateway/request_url.h"

#include <gtest/gtest.h>

#include "core/codepage.h"
#include "net/net_code.h"

namespace xunda {
namespace {

TEST(EncodeUrlValue, QuerySeparatorsEscapedOnTopOfTheUrlSet) {
    EXPECT_EQ(EncodeUrlValue("\"%<>[\\]^`{|}~\x7f\x01 " + Utf8ToGbk("你")),
              "%22%25%3C%3E%5B%5C%5D%5E%60%7B%7C%7D%7E%7F%01%20%C4%E3");
    EXPECT_EQ(EncodeUrlValue("!$'()*,-.:;?@/"), "!$'()*,-.:;?@/");
    EXPECT_EQ(EncodeUrlValue("a&b+c#d=e_f"), "a%26b%2Bc%23d%3De%5Ff");
    EXPECT_EQ(EncodeRawUrlValue("a b&c+d#e=f%\r\n" + Utf8ToGbk("你") + "_"),
              "a%20b%26c%2Bd%23e%3Df%25%0D%0A\xC4\xE3_");
}

TEST(RequestUrls, EveryValueInItsPlace) {
    const Credentials account{"10001", "张三_x", "p@ss:w/o'rd,;!"};
    const MtRequest mt{"13800000001", "改到 3:00, 准时!\"<>_~%", "2", "123", "456"};
    EXPECT_EQ(
        PutMtUrl("h:8360", 2, account, mt),
        "http://h:8360/sms/putMt/?msgFormat=2&corpID=10001&loginName=%D5%C5%C8%FD%5Fx&password=p@ss:w/o'rd,;!"
        "&Mobs=13800000001&msg=%E6%94%B9%E5%88%B0%203:00,%20%E5%87%86%E6%97%B6!%22%3C%3E%5F%7E%25"
        "&mtLevel=2&subNumber=123&linkID=456");
    // Format 0 sends the GBK bytes with only blanks and separators escaped; the polls encode even format 0.
    EXPECT_EQ(
        PutMtUrl("h", 0, account, {"1", "改 a&b", "1", "", ""}),
        "http://h/sms/putMt/?msgFormat=0&corpID=10001&loginName=\xD5\xC5\xC8\xFD_x&password=p@ss:w/o'rd,;!"
        "&Mobs=1&msg=\xB8\xC4%20a%26b&mtLevel=1&subNumber=&linkID=");
    // Format 1 encodes the GBK text as a value, and that once more as the value of msg.
    EXPECT_EQ(
        PutMtUrl("h", 1, account, {"1", "改 a&b+c#d=e%_", "1", "", ""}),
        "http://h/sms/putMt/?msgFormat=1&corpID=10001&loginName=%D5%C5%C8%FD%5Fx&password=p@ss:w/o'rd,;!"
        "&Mobs=1&msg=%25B8%25C4%2520a%2526b%252Bc%2523d%253De%2525%255F&mtLevel=1&subNumber=&linkID=");
    EXPECT_EQ(PollUrl("h", "/sms/getMo/", 0, account),
              "http://h/sms/getMo/?msgFormat=0&corpID=10001&loginName=%D5%C5%C8%FD%5Fx&password=p@ss:w/"
              "o'rd,;!&MD5Str=");
}

TEST(DataQueryUrl, ArgumentsEncodedAsOneValueInUtf8) {
    const std::string base = DataQueryBase("127.0.0.1:8360");
    EXPECT_EQ(base, "http://127.0.0.1:8360/data/?sql=getData+");
    EXPECT_EQ(DataQueryUrl(base + "'G','demo','it''s'"), base + "'G','demo','it''s'");
    EXPECT_EQ(DataQueryUrl(base + "'G','张 三','a&b+c'"), base + "'G','%E5%BC%A0%20%E4%B8%89','a%26b%2Bc'");
    EXPECT_EQ(DataQueryUrl("http://h/other?x=a b"), "http://h/other?x=a%20b");
    // Without "&+#=" in the values, the bytes of encoding the whole URL at once.
    const std::string plain = base + "'G','张_三 x','p@s/s:%?''~'";
    EXPECT_EQ(DataQueryUrl(plain), PercentEncodeUrl(plain));
}

}  // namespace
}  // namespace xunda
