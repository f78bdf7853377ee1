#include "net/loopback_peer.h"
#include "net/net_text.h"
#include "net/tcp_socket.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

using test::LoopbackPeer;
using namespace std::string_literals;

// Runs SOCKS proxies that check each expected message and answer it, then send "payload"; a
// message other than the expected one fails the test.
class SocksTest : public ::testing::Test {
protected:
    LoopbackPeer SocksProxy(std::vector<std::pair<std::string, std::string>> exchange) {
        return LoopbackPeer([this, exchange](int c) {
            for (const auto& [expected, answer] : exchange) {
                std::string got = LoopbackPeer::ReadExactly(c, expected.size());
                if (got != expected) {
                    ADD_FAILURE() << "the proxy got " << testing::PrintToString(got);
                    return;
                }
                LoopbackPeer::Send(c, answer);
            }
            LoopbackPeer::Send(c, "payload");
            LoopbackPeer::ReadSome(c, 500);
        });
    }
};
using Socks5 = SocksTest;
using Socks4 = SocksTest;
using SocksBind = SocksTest;

TcpSocket& ThroughSocks(TcpSocket& s, const LoopbackPeer& proxy) {
    s.SocksIP = "127.0.0.1";
    s.SocksPort = proxy.Port();
    s.SocksTimeout = 2000;
    return s;
}

TEST_F(Socks5, DomainRequestWithoutAuthentication) {
    LoopbackPeer proxy = SocksProxy({{"\x05\x01\x00"s, "\x05\x00"s},
                                     {"\x05\x01\x00\x03\x0c" "example.test\x00\x50"s,
                                      "\x05\x00\x00\x01\x0a\x01\x02\x03\x1f\x90"s}});
    TcpSocket s;
    s.SocksUsername = "";
    ThroughSocks(s, proxy).Connect("example.test", "http");
    ASSERT_EQ(s.LastError(), 0);
    EXPECT_TRUE(s.UsingSocks);
    EXPECT_EQ(s.SocksReplyCode, 0);
    EXPECT_EQ(s.LocalIP(), "10.1.2.3");
    EXPECT_EQ(s.LocalPort(), 8080);
    EXPECT_EQ(s.RemoteIP(), "example.test");
    EXPECT_EQ(s.RemotePort(), 80);
    EXPECT_EQ(s.ReceiveExactString(7, 2000), "payload");
}

TEST_F(Socks5, UserPasswordAndDomainReplyOfLengthZero) {
    LoopbackPeer proxy = SocksProxy({{"\x05\x02\x02\x00"s, "\x05\x02"s},
                                     {"\x01\x04user\x06secret"s, "\x01\x00"s},
                                     {"\x05\x01\x00\x01\x7f\x00\x00\x01\x00\x19"s, "\x05\x00\x00\x03\x00\x00\x07"s}});
    TcpSocket s;
    s.SocksUsername = "user";
    s.SocksPassword = "secret";
    ThroughSocks(s, proxy).Connect("127.0.0.1", "25");
    ASSERT_EQ(s.LastError(), 0);
    EXPECT_EQ(s.SocksResponseIP, "");
    EXPECT_EQ(s.SocksResponsePort, "7");
}

TEST_F(Socks5, NoUserPasswordExchangeWhenTheProxyNeedsNone) {
    LoopbackPeer proxy = SocksProxy(
        {{"\x05\x02\x02\x00"s, "\x05\x00"s},
         {"\x05\x01\x00\x04"s + std::string(15, '\0') + "\x01\x01\xbb"s,
          "\x05\x00\x00\x04"s + std::string(15, '\0') + "\x01\x01\xbb"s}});
    TcpSocket s;
    s.SocksUsername = "user";
    ThroughSocks(s, proxy).Connect("::1", "443");
    ASSERT_EQ(s.LastError(), 0);
    EXPECT_EQ(s.SocksResponseIP, "::1");
    EXPECT_EQ(s.SocksResponsePort, "443");
}

TEST_F(Socks5, RefusalsAndSilence) {
    {
        LoopbackPeer proxy = SocksProxy({{"\x05\x01\x00"s, "\x05\xff"s}});
        TcpSocket s;
        ThroughSocks(s, proxy).Connect("example.test", "80");
        EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
    }
    {
        LoopbackPeer proxy = SocksProxy({{"\x05\x01\x00"s, "\x05\x00"s},
                                         {"\x05\x01\x00\x03\x0c" "example.test\x00\x50"s,
                                          "\x05\x05\x00\x01\x00\x00\x00\x00\x00\x00"s}});
        TcpSocket s;
        ThroughSocks(s, proxy).Connect("example.test", "80");
        EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
        EXPECT_EQ(s.SocksReplyCode, 5);
    }
    {
        LoopbackPeer proxy([](int c) {
            LoopbackPeer::ReadSome(c);
            LoopbackPeer::Pause(600);
        });
        TcpSocket s;
        ThroughSocks(s, proxy).SocksTimeout = 200;
        s.Connect("example.test", "80");
        EXPECT_EQ(s.LastError(), WSAETIMEDOUT);
    }
}

TEST_F(Socks5, LengthsOver255AreRefusedNotWrapped) {
    {
        LoopbackPeer proxy = SocksProxy({{"\x05\x01\x00"s, "\x05\x00"s}});
        TcpSocket s;
        ThroughSocks(s, proxy).Connect(std::string(300, 'h') + ".test", "80");
        EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
    }
    {
        LoopbackPeer proxy([](int c) { LoopbackPeer::ReadSome(c, 300); });
        TcpSocket s;
        s.SocksUsername = std::string(256, 'u');
        ThroughSocks(s, proxy).Connect("example.test", "80");
        EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
    }
}

TEST_F(Socks4, HostNamesUseThe4aFormUnlessResolvedLocally) {
    {
        LoopbackPeer proxy = SocksProxy({{"\x04\x01\x00\x50\x00\x00\x00\x01" "id\x00" "example.test\x00"s,
                                          "\x00\x5a\x1f\x90\x0a\x00\x00\x01"s}});
        TcpSocket s;
        s.SocksType = TSocksType::ST_Socks4;
        s.SocksUsername = "id";
        ThroughSocks(s, proxy).Connect("example.test", "80");
        ASSERT_EQ(s.LastError(), 0);
        EXPECT_EQ(s.SocksReplyCode, 90);
        EXPECT_EQ(s.LocalIP(), "10.0.0.1");
        EXPECT_EQ(s.LocalPort(), 8080);
    }
    {
        LoopbackPeer proxy = SocksProxy({{"\x04\x01\x00\x50\x7f\x00\x00\x01\x00"s, "\x00\x5b\x00\x00\x00\x00\x00\x00"s}});
        TcpSocket s;
        s.SocksType = TSocksType::ST_Socks4;
        s.SocksResolver = false;
        ThroughSocks(s, proxy).Connect("localhost", "80");
        EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
    }
}

TEST_F(Socks4, SocksWinsOverTheTunnel) {
    LoopbackPeer proxy = SocksProxy({{"\x04\x01\x00\x50\x0a\x00\x00\x02\x00"s, "\x00\x5a\x00\x00\x00\x00\x00\x00"s}});
    TcpSocket s;
    s.SocksType = TSocksType::ST_Socks4;
    s.HTTPTunnelIP = "127.0.0.1";
    s.HTTPTunnelPort = "1";
    ThroughSocks(s, proxy).Connect("10.0.0.2", "80");
    EXPECT_EQ(s.LastError(), 0);
    EXPECT_FALSE(s.HTTPTunnel);
}

TEST_F(SocksBind, RequestForTheLocalAddressAndTheReplysFields) {
    TcpSocket s;
    s.Bind("127.0.0.1", "0");
    ASSERT_EQ(s.LastError(), 0);
    const std::string bound = EncodeWord16(static_cast<std::uint16_t>(s.LocalPort()));
    // The proxy reports the wildcard address: the proxy's own address stands for it.
    LoopbackPeer proxy = SocksProxy({{"\x05\x01\x00"s, "\x05\x00"s},
                                     {"\x05\x02\x00\x01\x7f\x00\x00\x01"s + bound,
                                      "\x05\x00\x00\x01\x00\x00\x00\x00\x1f\x90"s}});
    s.SocksRemoteIP = "earlier.test";
    ThroughSocks(s, proxy).Listen();
    ASSERT_EQ(s.LastError(), 0);
    EXPECT_EQ(s.SocksLocalIP, "127.0.0.1");
    EXPECT_EQ(s.LocalIP(), "127.0.0.1");
    EXPECT_EQ(s.LocalPort(), 8080);
    EXPECT_EQ(s.SocksRemoteIP, "");
    EXPECT_EQ(s.SocksRemotePort, "");
}

TEST_F(SocksBind, ARefusalGives11003) {
    LoopbackPeer proxy = SocksProxy({{"\x04\x02"s, "\x00\x5b\x00\x00\x00\x00\x00\x00"s}});
    TcpSocket s;
    s.SocksType = TSocksType::ST_Socks4;
    ThroughSocks(s, proxy).Listen();
    EXPECT_EQ(s.LastError(), WSANO_RECOVERY);
    EXPECT_EQ(s.SocksReplyCode, 91);
}

// An HTTP proxy that answers CONNECT with the given head and records the request.
LoopbackPeer ConnectProxy(std::string replyHead, std::string* request) {
    return LoopbackPeer([replyHead, request](int c) {
        *request = LoopbackPeer::ReadUntil(c, "\r\n\r\n");
        LoopbackPeer::Send(c, replyHead);
        LoopbackPeer::Send(c, "tunnelled");
        LoopbackPeer::ReadSome(c, 300);
    });
}

TcpSocket& ThroughTunnel(TcpSocket& s, const std::string& port) {
    s.HTTPTunnelIP = "127.0.0.1";
    s.HTTPTunnelPort = port;
    return s;
}

TEST(Tunnel, ConnectLineCredentialsAndAddresses) {
    std::string request;
    LoopbackPeer proxy = ConnectProxy("HTTP/1.0 200 Connection established\r\nX-A: 1\r\n\r\n", &request);
    TcpSocket s;
    s.HTTPTunnelUser = "u";
    s.HTTPTunnelPass = "p";
    ThroughTunnel(s, proxy.Port()).Connect("example.test", "https");
    ASSERT_EQ(s.LastError(), 0);
    EXPECT_EQ(request, "CONNECT example.test:443 HTTP/1.0\r\nProxy-Authorization: Basic dTpw\r\n\r\n");
    EXPECT_TRUE(s.HTTPTunnel);
    EXPECT_EQ(s.RemoteIP(), "example.test");
    EXPECT_EQ(s.RemotePort(), 443);
    EXPECT_EQ(s.ReceiveExactString(9, 2000), "tunnelled");
}

TEST(Tunnel, RefusalsAndShortStatusLines) {
    std::string request;
    {
        LoopbackPeer proxy = ConnectProxy("HTTP/1.1 407 Proxy Authentication Required\r\nX-A: 1\r\n\r\n", &request);
        TcpSocket s;
        ThroughTunnel(s, proxy.Port()).Connect("::1", "8443");
        EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
        EXPECT_EQ(request, "CONNECT [::1]:8443 HTTP/1.0\r\n\r\n");
        EXPECT_EQ(s.ReceiveExactString(9, 2000), "tunnelled");  // the whole head was read
    }
    {
        LoopbackPeer proxy = ConnectProxy("HTTP/1.0 2\r\n\r\n", &request);  // 11 characters with its CR
        TcpSocket s;
        ThroughTunnel(s, proxy.Port()).Connect("example.test", "80");
        EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
    }
    {
        TcpSocket s;
        ThroughTunnel(s, "1").Connect("example.test\r\nX-Injected: 1", "80");
        EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
        EXPECT_EQ(s.Socket(), INVALID_SOCKET);
    }
}

TEST(SslLayer, SslNoneFailsEveryOperationWithItsText) {
    TcpSocket s;
    CustomSSL& ssl = s.SSL();
    EXPECT_EQ(ssl.LibVersion(), "Without SSL support");
    EXPECT_EQ(ssl.LibName(), "ssl_none");
    char buffer[4] = {};
    EXPECT_EQ(ssl.SendBuffer(buffer, 4), -1);
    EXPECT_EQ(ssl.ReceiveBuffer(buffer, 4), -1);
    EXPECT_EQ(ssl.PendingBytes(), 0);
    EXPECT_FALSE(ssl.Shutdown());
    EXPECT_EQ(ssl.LastError, -1);
    EXPECT_EQ(ssl.LastErrorDesc, "SLL is not implemented!");
    s.StartSsl();
    EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
    EXPECT_FALSE(ssl.SslConnected);

    TcpSocket other;  // Assign copies all but the SSH channel
    ssl.CertCAFile = "ca.pem";
    ssl.SSHChannelType = "session";
    other.SSL().Assign(ssl);
    EXPECT_EQ(other.SSL().CertCAFile, "ca.pem");
    EXPECT_EQ(other.SSL().SSHChannelType, "");
}

}  // namespace
}  // namespace xunda
