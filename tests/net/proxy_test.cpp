#include "net/system_proxy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

namespace xunda {
namespace {

ProxySetting Parse(const std::string& protocol, const std::string& list, const std::string& bypass = "") {
    return ParseProxySettings(protocol, ProxyInfo{3, list, bypass});
}

TEST(ProxyList, EntriesPerProtocol) {
    ProxySetting p = Parse("SOCKS", "proxy.example:3128");
    EXPECT_EQ(p.Host, "proxy.example");
    EXPECT_EQ(p.Port, "3128");
    const std::string both = "http=web.example:8080 socks=sock.example:1080";
    EXPECT_EQ(Parse("HTTP", both).Host, "web.example");
    EXPECT_EQ(Parse("", both).Port, "8080");
    EXPECT_EQ(Parse("socks", both).Host, "sock.example");
    EXPECT_EQ(Parse("HTTP", "https=secure.example:443").Host, "");
    EXPECT_EQ(Parse("HTTP", "a:1 b:2").Host, "b");  // the last plain entry wins
    EXPECT_EQ(Parse("HTTP", "\"http=quoted.example:1\"").Host, "quoted.example");
    // ";" separates entries as "," does.
    EXPECT_EQ(Parse("SOCKS", "http=web.example:8080;socks=sock.example:1080").Host, "sock.example");
    EXPECT_EQ(Parse("HTTP", "http=noport").Port, "noport");
    EXPECT_EQ(Parse("HTTP", "a:1", "localhost  *.lan").Bypass, "localhost,,*.lan");
    ProxySetting direct = ParseProxySettings("HTTP", ProxyInfo{1, "a:1", "x"});
    EXPECT_EQ(direct.Host, "");
    EXPECT_EQ(direct.Bypass, "");
}

// Sets environment variables for one test and restores them afterwards.
class ProxyEnvironment : public ::testing::Test {
protected:
    void Set(const std::string& name, const std::string& value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        setenv(name.c_str(), value.c_str(), 1);
    }
    void SetUp() override {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                                 "no_proxy", "NO_PROXY"})
            Set(name, "");
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(ProxyEnvironment, VariablesBecomeTheProxyList) {
    EXPECT_EQ(GetSystemProxy("HTTP").Host, "");
    Set("HTTP_PROXY", "http://upper.example:1");
    Set("http_proxy", "http://user:pw@lower.example:3128/");
    Set("all_proxy", "socks5h://sock.example");
    Set("NO_PROXY", "localhost,127.0.0.1");
    ProxySetting http = GetSystemProxy("HTTP");
    EXPECT_EQ(http.Host, "lower.example");
    EXPECT_EQ(http.Port, "3128");
    EXPECT_EQ(http.Bypass, "localhost,127.0.0.1");
    ProxySetting socks = GetSystemProxy("SOCKS");
    EXPECT_EQ(socks.Host, "sock.example");
    EXPECT_EQ(socks.Port, "1080");
    EXPECT_EQ(GetSystemProxy("HTTPS").Host, "");

    Set("http_proxy", "");
    EXPECT_EQ(GetSystemProxy("HTTP").Host, "upper.example");
    Set("all_proxy", "http://every.example:8000");
    Set("HTTP_PROXY", "");
    EXPECT_EQ(GetSystemProxy("HTTPS").Host, "every.example");
    EXPECT_EQ(GetSystemProxy("SOCKS").Port, "8000");
}

}  // namespace
}  // namespace xunda
