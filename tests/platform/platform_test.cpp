#include <gtest/gtest.h>

#include "platform/autostart.h"
#include "platform/instance_lock.h"
#include "platform/online_probe.h"
#include "support/temp_dir.h"

namespace xunda::test {
namespace {

TEST(OnlineProbeTest, TheLoopbackIsLocalhostAnd127AndTheIPv6One) {
    for (const char* host : {"127.0.0.1:8360", "127.9.8.7", "localhost", "LocalHost:80", "[::1]:8360", "::1"})
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    for (const char* host :
         {"", "128.0.0.1:80", "127.0.0.1.example.com", "localhost.example.com", "[::2]:1", "sms.example.com"})
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
}

TEST(InstanceLockTest, OneHolderPerDataRootAndNoneWhereTheRootCannotBeMade) {
    TempDir dir;
    {
        InstanceLock first(dir / "root");
        EXPECT_TRUE(first.Held());
        InstanceLock second(dir / "root");
        EXPECT_FALSE(second.Held());
        EXPECT_TRUE(second.OtherProgram());
    }
    EXPECT_TRUE(InstanceLock(dir / "root").Held());  // released with its holder
    WriteFile(dir / "file", "");
    InstanceLock under(dir / "file/root");
    EXPECT_FALSE(under.Held());
    EXPECT_FALSE(under.OtherProgram());
    EXPECT_NE(under.Error().find("xunda-sms.lock"), std::string::npos) << under.Error();
}

TEST(AutostartTest, TheEntryQuotesTheProgramAndIsPrivate) {
    EXPECT_EQ(DesktopExecQuote("/opt/my app/xunda-sms"), "\"/opt/my app/xunda-sms\"");
    EXPECT_EQ(DesktopExecQuote("/a\"b$c`d\\e"), "\"/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e\"");
    EXPECT_EQ(DesktopExecQuote("/opt/100%/xunda-sms"), "\"/opt/100%%/xunda-sms\"");
    XdgAutostart autostart;
    std::string error;
    ASSERT_TRUE(autostart.Enable("/opt/xunda-sms", error)) << error;
    EXPECT_NE(ReadFile(XdgAutostart::EntryFile()).find("Exec=\"/opt/xunda-sms\"\n"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(XdgAutostart::EntryFile()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    autostart.Disable();
    EXPECT_FALSE(std::filesystem::exists(XdgAutostart::EntryFile()));
    autostart.Disable();  // a missing entry is fine
}

}  // namespace
}  // namespace xunda::test
