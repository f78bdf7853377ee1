#include <gtest/gtest.h>
#include <netdb.h>

#include "net/socket_api.h"
#include "net/socket_error.h"

namespace xunda {
namespace {

class BindingTest : public ::testing::Test {
  protected:
    void TearDown() override { SocketLoadFaultsForTest() = {}; }
};

TEST_F(BindingTest, LoadsCountAndAFailedStartRaisesTheFixedText) {
    const int base = SocketLoadCount();  // the program's own load at start
    EXPECT_GE(base, 1);
    EXPECT_TRUE(LoadSocketInterface("WS2_32.DLL"));
    EXPECT_EQ(SocketLoadCount(), base + 1);
    for (int i = 0; i <= base + 1; ++i) UnloadSocketInterface();  // one more: never below 0
    EXPECT_EQ(SocketLoadCount(), 0);
    EXPECT_FALSE(LoadSocketInterface("missing.dll"));
    SocketLoadFaultsForTest().FailLoad = true;
    try {
        StartSocketInterface();
        ADD_FAILURE() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_STREQ(e.what(), "Error loading Socket interface (ws2_32.dll)!");
        EXPECT_EQ(e.ErrorCode, 0);
        EXPECT_EQ(e.ErrorMessage, e.what());
    }
    SocketLoadFaultsForTest().FailLoad = false;
    for (int i = 0; i < base; ++i) ASSERT_TRUE(LoadSocketInterface());
    EXPECT_EQ(GetErrorDesc(0) + GetErrorDesc(12345), "Other Winsock error (12345)");
}

// A filled record as "address port length", or the lookup's error.
std::string Fill(const std::string& ip, const std::string& port, int family, bool preferIP4 = true) {
    AddressRecord r{};
    int error = FillSocketAddress(r, ip, port, family, IPPROTO_TCP, SOCK_STREAM, preferIP4);
    if (error != 0) return "error " + std::to_string(error);
    return AddressToText(r) + " " + std::to_string(AddressPort(r)) + " " + std::to_string(AddressLength(r));
}

TEST_F(BindingTest, RecordsOnBothAddressRoads) {
    EXPECT_EQ(Fill("0.0.0.0", "0", AF_INET), "0.0.0.0 0 16");
    EXPECT_EQ(Fill("::0", "0", AF_INET6), ":: 0 28");
    EXPECT_EQ(Fill("127.0.0.1", "81", AF_INET6), "::1 81 28");  // the loopback of the family tried
    EXPECT_EQ(Fill("::1", "258", AF_UNSPEC), "127.0.0.1 258 16");
    EXPECT_EQ(Fill("::1", "258", AF_UNSPEC, false), "::1 258 28");
    EXPECT_EQ(Fill("fe80::1", "http", AF_UNSPEC), "fe80::1 80 28");  // IPv6 only: the second pass
    EXPECT_EQ(Fill("no-such-host.invalid", "80", AF_INET), "error 11001");
    EXPECT_EQ(ResolveServicePort("8080", AF_INET, IPPROTO_TCP, SOCK_STREAM), 8080);
    EXPECT_EQ(ResolveServicePort("x", AF_INET, IPPROTO_TCP, SOCK_STREAM), 0);
    EXPECT_EQ(ResolveNameToAddresses("no-such-host.invalid", AF_UNSPEC, IPPROTO_TCP, SOCK_STREAM),
              std::vector<std::string>{"0.0.0.0"});

    // Without the address-information functions in the socket library they come from the IPv6
    // library; without that too, the host-entry road: IPv4 only.
    const int base = SocketLoadCount();
    for (int i = 0; i < base; ++i) UnloadSocketInterface();
    SocketLoadFaultsForTest().NoAddrInfoInSocketLibrary = true;
    ASSERT_TRUE(LoadSocketInterface());
    EXPECT_EQ(std::pair(HasAddrInfo(AF_INET), HasAddrInfo(AF_INET6)), std::pair(false, true));
    UnloadSocketInterface();
    SocketLoadFaultsForTest().NoIPv6Library = true;
    ASSERT_TRUE(LoadSocketInterface());
    EXPECT_FALSE(HasAddrInfo(AF_INET6));
    EXPECT_EQ(Fill("127.0.0.1", "258", AF_UNSPEC), "127.0.0.1 258 16");
    EXPECT_EQ(Fill("255.255.255.255", "x", AF_UNSPEC), "255.255.255.255 0 16");
    EXPECT_EQ(Fill("no-such-host.invalid", "80", AF_UNSPEC), "error 11001");
    EXPECT_EQ(ResolveServicePort("http", AF_INET, IPPROTO_TCP, SOCK_STREAM), 80);
    EXPECT_EQ(ResolveNameToAddresses("10.1.2.3", AF_INET, IPPROTO_TCP, SOCK_STREAM),
              std::vector<std::string>{"10.1.2.3"});
    UnloadSocketInterface();
    SocketLoadFaultsForTest() = {};
    for (int i = 0; i < base; ++i) ASSERT_TRUE(LoadSocketInterface());
}

}  // namespace
}  // namespace xunda
