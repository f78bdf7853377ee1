#include "net/socket_api.h"
#include "net/socket_error.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>

namespace xunda {
namespace {

// Restores the binding's test hooks and table after a test changed them.
class BindingTest : public ::testing::Test {
protected:
    void TearDown() override {
        SocketLoadFaultsForTest() = {};
        SocketApiForTest() = saved_;
    }
    SocketFunctions saved_ = SocketApi();
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
}

TEST_F(BindingTest, AddressRoadsFollowWhereAddrInfoWasFound) {
    const int base = SocketLoadCount();
    for (int i = 0; i < base; ++i) UnloadSocketInterface();
    SocketLoadFaultsForTest().NoAddrInfoInSocketLibrary = true;
    ASSERT_TRUE(LoadSocketInterface());
    EXPECT_FALSE(HasAddrInfo(AF_INET));
    EXPECT_TRUE(HasAddrInfo(AF_INET6));  // taken from the IPv6 library
    UnloadSocketInterface();

    SocketLoadFaultsForTest().NoIPv6Library = true;
    ASSERT_TRUE(LoadSocketInterface());
    EXPECT_FALSE(HasAddrInfo(AF_INET6));
    // The host-entry road: IPv4 only, numeric text without a lookup, names through the host table.
    AddressRecord r{};
    EXPECT_EQ(FillSocketAddress(r, "127.0.0.1", "8080", AF_UNSPEC, IPPROTO_TCP, SOCK_STREAM, true), 0);
    EXPECT_EQ(r.sa.sa_family, AF_INET);
    EXPECT_EQ(AddressPort(r), 8080);
    EXPECT_EQ(AddressToText(r), "127.0.0.1");
    EXPECT_EQ(FillSocketAddress(r, "255.255.255.255", "x", AF_UNSPEC, IPPROTO_TCP, SOCK_STREAM, true), 0);
    EXPECT_EQ(r.in4.sin_addr.s_addr, INADDR_BROADCAST);
    EXPECT_EQ(AddressPort(r), 0);
    EXPECT_EQ(ResolveServicePort("http", AF_INET, IPPROTO_TCP, SOCK_STREAM), 80);
    EXPECT_EQ(ResolveNameToAddresses("10.1.2.3", AF_INET, IPPROTO_TCP, SOCK_STREAM),
              std::vector<std::string>{"10.1.2.3"});
    EXPECT_EQ(FillSocketAddress(r, "no-such-host.invalid", "80", AF_UNSPEC, IPPROTO_TCP, SOCK_STREAM, true),
              WSAHOST_NOT_FOUND);
    UnloadSocketInterface();
    SocketLoadFaultsForTest() = {};
    for (int i = 0; i < base; ++i) ASSERT_TRUE(LoadSocketInterface());
}

TEST_F(BindingTest, FillingRecordsOnTheAddressInformationRoad) {
    AddressRecord r{};
    EXPECT_EQ(FillSocketAddress(r, "0.0.0.0", "0", AF_INET, IPPROTO_TCP, SOCK_STREAM, true), 0);
    EXPECT_EQ(r.sa.sa_family, AF_INET);
    EXPECT_EQ(AddressToText(r), "0.0.0.0");
    EXPECT_EQ(FillSocketAddress(r, "::0", "0", AF_INET6, IPPROTO_TCP, SOCK_STREAM, true), 0);
    EXPECT_EQ(AddressToText(r), "::");
    EXPECT_EQ(FillSocketAddress(r, "127.0.0.1", "81", AF_INET6, IPPROTO_TCP, SOCK_STREAM, true), 0);
    EXPECT_EQ(AddressToText(r), "::1");  // the loopback of the family tried
    EXPECT_EQ(FillSocketAddress(r, "::1", "81", AF_UNSPEC, IPPROTO_TCP, SOCK_STREAM, true), 0);
    EXPECT_EQ(AddressToText(r), "127.0.0.1");
    EXPECT_EQ(FillSocketAddress(r, "::1", "81", AF_UNSPEC, IPPROTO_TCP, SOCK_STREAM, false), 0);
    EXPECT_EQ(AddressToText(r), "::1");
    EXPECT_EQ(AddressPort(r), 81);
    // An IPv6-only literal succeeds on the second pass.
    EXPECT_EQ(FillSocketAddress(r, "fe80::1", "81", AF_UNSPEC, IPPROTO_TCP, SOCK_STREAM, true), 0);
    EXPECT_EQ(r.sa.sa_family, AF_INET6);
    EXPECT_EQ(AddressLength(r), static_cast<int>(sizeof(sockaddr_in6)));
    EXPECT_NE(FillSocketAddress(r, "no-such-host.invalid", "80", AF_INET, IPPROTO_TCP, SOCK_STREAM, true), 0);
    EXPECT_EQ(r.sa.sa_family, AF_UNSPEC);  // left zeroed

    EXPECT_EQ(ResolveServicePort("http", AF_INET, IPPROTO_TCP, SOCK_STREAM), 80);
    EXPECT_EQ(ResolveServicePort("8080", AF_INET, IPPROTO_TCP, SOCK_STREAM), 8080);
    EXPECT_EQ(ResolveServicePort("x", AF_INET, IPPROTO_TCP, SOCK_STREAM), 0);
    EXPECT_EQ(ResolveNameToAddresses("no-such-host.invalid", AF_UNSPEC, IPPROTO_TCP, SOCK_STREAM),
              std::vector<std::string>{"0.0.0.0"});
    auto local = ResolveNameToAddresses("127.0.0.1", AF_INET, IPPROTO_TCP, SOCK_STREAM);
    EXPECT_EQ(local, std::vector<std::string>{"127.0.0.1"});
}

TEST(ErrorCodes, PlatformCodesMapToWinSockNumbersAndTexts) {
    for (const auto& [error, wsa] : {std::pair{ECONNREFUSED, 10061}, {ECONNRESET, 10054}, {EPIPE, 10054},
                                     {ETIMEDOUT, 10060}, {EAGAIN, 10035}, {EINPROGRESS, 10036}, {EHOSTUNREACH, 10065}})
        EXPECT_EQ(WsaErrorFromErrno(error), wsa) << error;
    EXPECT_EQ(WsaErrorFromAddrInfo(EAI_NONAME), 11001);
    EXPECT_EQ(WsaErrorFromAddrInfo(EAI_AGAIN), 11002);
    EXPECT_EQ(WsaErrorFromHostError(NO_DATA), 11004);
    for (const auto& [code, text] : {std::pair<int, std::string>{0, ""}, {12345, "Other Winsock error (12345)"},
                                     {10004, "Interrupted system call"}, {10059, "Too many references:can't splice"},
                                     {11004, "Valid name, no data record of requested type"}})
        EXPECT_EQ(GetErrorDesc(code), text);
}

}  // namespace
}  // namespace xunda
