#include <gtest/gtest.h>

#include "platform/autostart.h"
#include "platform/online_probe.h"

namespace xunda::test {
namespace {

TEST(OnlineProbeTest, TheLoopbackIsLocalhostAnd127AndTheIPv6One) {
    for (const char* host : {"127.0.0.1:8360", "127.9.8.7", "localhost", "LocalHost:80", "[::1]:8360", "::1"})
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    for (const char* host :
         {"", "128.0.0.1:80", "127.0.0.1.example.com", "localhost.example.com", "[::2]:1", "sms.example.com"})
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
}

TEST(AutostartTest, TheEntryQuotesTheProgramAndIsPrivate) {
    EXPECT_EQ(DesktopExecQuote("/opt/my app/xunda-sms"), "\"/opt/my app/xunda-sms\"");
    EXPECT_EQ(DesktopExecQuote("/a\"b$c`d\\e"), "\"/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e\"");
    EXPECT_EQ(DesktopExecQuote("/opt/100%/xunda-sms"), "\"/opt/100%%/xunda-sms\"");
    XdgAutostart autostart;
    std::string error;
    ASSERT_TRUE(autostart.Enable("/opt/xunda-sms", error)) << error;  // the settings page's test reads it
    EXPECT_EQ(std::filesystem::status(XdgAutostart::EntryFile()).permissions(), std::filesystem::perms(0600));
}

}  // namespace
}  // namespace xunda::test
