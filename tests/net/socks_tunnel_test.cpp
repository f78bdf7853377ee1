#include <gtest/gtest.h>

#include <functional>

#include "net/loopback_peer.h"
#include "net/net_text.h"
#include "net/tcp_socket.h"

namespace xunda {
namespace {

using test::LoopbackPeer;
using namespace std::string_literals;
using Exchange = std::vector<std::pair<std::string, std::string>>;

// A SOCKS proxy that checks each expected message and answers it (an empty answer: falls silent),
// then sends "payload"; a message other than the expected one, or any byte after the last, fails
// the test.
LoopbackPeer SocksProxy(Exchange exchange) {
    return LoopbackPeer([exchange](int c) {
        for (const auto& [expected, answer] : exchange) {
            std::string got = LoopbackPeer::ReadExactly(c, expected.size());
            if (got != expected)
                return (void)(ADD_FAILURE() << "the proxy got " << testing::PrintToString(got));
            if (answer.empty()) return (void)LoopbackPeer::ReadSome(c, 600);
            LoopbackPeer::Send(c, answer);
        }
        LoopbackPeer::Send(c, "payload");
        const std::string more = LoopbackPeer::ReadSome(c, 300);
        EXPECT_EQ(more, "") << "the proxy got more";
    });
}

const std::string kNoAuth = "\x05\x01\x00"s, kChosenNone = "\x05\x00"s,
                  kAskExample = "\x05\x01\x00\x03\x0c"s + "example.test\x00\x50"s;

TEST(Socks, ConnectRequestsRepliesAndRefusals) {
    const struct Case {
        std::function<void(TcpSocket&)> setup;
        std::string host, port;
        int error;
        Exchange exchange;
        std::string local = ":";  // the address and port the proxy reported, "ip:port"
    } cases[] = {
        Case(nullptr, "example.test", "http", 0,
             {{kNoAuth, kChosenNone}, {kAskExample, "\x05\0\0\x01\x0a\1\2\3\x1f\x90"s}}, "10.1.2.3:8080"),
        Case([](TcpSocket& s) { s.SocksUsername = "user", s.SocksPassword = "secret"; }, "127.0.0.1", "25", 0,
             {{"\x05\x02\x02\x00"s, "\x05\x02"s},
              {"\x01\x04user\x06secret"s, "\x01\x00"s},
              {"\x05\x01\x00\x01\x7f\x00\x00\x01\x00\x19"s, "\x05\x00\x00\x03\x00\x00\x07"s}},
             ":7"),                                                            // a name of length 0
        Case([](TcpSocket& s) { s.SocksUsername = "user"; }, "::1", "443", 0,  // the proxy needs no password
             {{"\x05\x02\x02\x00"s, kChosenNone},
              {"\x05\x01\x00\x04"s + std::string(15, '\0') + "\x01\x01\xbb"s,
               "\x05\x00\x00\x04"s + std::string(15, '\0') + "\x01\x01\xbb"s}},
             "::1:443"),
        Case([](TcpSocket& s) { s.SocksType = SocksVersion::ST_Socks4, s.SocksUsername = "id"; },
             "example.test", "80", 0,
             {{"\x04\x01\0\x50\0\0\0\x01"s + "id\0example.test\0"s, "\0\x5a\x1f\x90\x0a\0\0\x01"s}},
             "10.0.0.1:8080"),
        // SOCKS wins over the tunnel.
        Case(
            [](TcpSocket& s) {
                s.SocksType = SocksVersion::ST_Socks4, s.SocksResolver = false, s.HTTPTunnelIP = "127.0.0.1";
            },
            "localhost", "80", WSASYSNOTREADY, {{"\x04\x01\0\x50\x7f\0\0\x01\0"s, "\0\x5b\0\0\0\0\0\0"s}}),
        // A name that cannot be resolved: never a request for 0.0.0.0.
        Case([](TcpSocket& s) { s.SocksResolver = false; }, "no-such-host.invalid", "80", WSAHOST_NOT_FOUND,
             {{kNoAuth, kChosenNone}}),
        Case(nullptr, "example.test", "80", WSASYSNOTREADY, {{kNoAuth, "\x05\xff"s}}),
        Case(nullptr, "example.test", "80", WSASYSNOTREADY,
             {{kNoAuth, kChosenNone}, {kAskExample, "\x05\x05\0\x01\0\0\0\0\0\0"s}}),
        Case(nullptr, std::string(256, 'h'), "80", WSASYSNOTREADY, {{kNoAuth, kChosenNone}}),
        Case([](TcpSocket& s) { s.SocksUsername = std::string(256, 'u'); }, "example.test", "80",
             WSASYSNOTREADY, {}),
        Case([](TcpSocket& s) { s.SocksTimeout = 200; }, "example.test", "80", WSAETIMEDOUT, {{kNoAuth, ""}}),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host + ":" + c.port);
        LoopbackPeer proxy = SocksProxy(c.exchange);
        TcpSocket s;
        s.SocksIP = "127.0.0.1", s.SocksPort = proxy.Port(), s.SocksTimeout = 2000;
        if (c.setup) c.setup(s);
        s.Connect(c.host, c.port);
        EXPECT_EQ(s.LastError(), c.error);
        EXPECT_EQ(s.SocksResponseIP + ":" + s.SocksResponsePort, c.local);
        if (c.error != 0) continue;
        EXPECT_TRUE(s.UsingSocks);
        EXPECT_FALSE(s.HTTPTunnel);
        EXPECT_EQ(s.LocalIP() + ":" + std::to_string(s.LocalPort()), c.local);
        EXPECT_EQ(s.RemoteIP() + ":" + std::to_string(s.RemotePort()),
                  c.host + ":" + (c.port == "http" ? "80" : c.port));
        EXPECT_EQ(s.ReceiveExactString(7, 2000), "payload");
    }
}

TEST(Socks, BindAsksForTheLocalAddressAndARefusalGives11003) {
    TcpSocket s;
    s.Bind("127.0.0.1", "0");
    const std::string bound = EncodeWord16(static_cast<std::uint16_t>(s.LocalPort()));
    // The proxy reports the wildcard address: the proxy's own address stands for it.
    LoopbackPeer proxy =
        SocksProxy({{kNoAuth, kChosenNone},
                    {"\x05\x02\x00\x01\x7f\x00\x00\x01"s + bound, "\x05\x00\x00\x01\0\0\0\0\x1f\x90"s}});
    s.SocksIP = "127.0.0.1", s.SocksPort = proxy.Port(), s.SocksRemoteIP = "earlier.test";
    s.Listen();
    EXPECT_EQ(s.LastError(), 0);
    EXPECT_EQ(s.LocalIP() + ":" + std::to_string(s.LocalPort()) + s.SocksRemoteIP, "127.0.0.1:8080");

    // Without a bound address the request names this host (SOCKS4a form).
    const std::string request = "\x04\x02\0\0\0\0\0\x01\0"s + TcpSocket().LocalHostName() + '\0';
    LoopbackPeer refusing = SocksProxy({{request, "\x00\x5b\0\0\0\0\0\0"s}});
    TcpSocket t;
    t.SocksType = SocksVersion::ST_Socks4, t.SocksIP = "127.0.0.1", t.SocksPort = refusing.Port();
    t.Listen();
    EXPECT_EQ(t.LastError(), WSANO_RECOVERY);
    test::RefusedPort unreachable;  // keeps its own error and the last connection's fields
    t.CloseSocket();
    t.SocksPort = unreachable.Port(), t.SocksRemoteIP = "earlier.test";
    t.Connect("example.test", "80");
    EXPECT_EQ(std::to_string(t.LastError()) + t.SocksRemoteIP, "10061earlier.test");
}

// An HTTP proxy that answers CONNECT with the given head and records the request.
LoopbackPeer ConnectProxy(std::string replyHead, std::string* request) {
    return LoopbackPeer([replyHead, request](int c) {
        *request = LoopbackPeer::ReadUntil(c, "\r\n\r\n");
        LoopbackPeer::Send(c, replyHead + "tunnelled");
        LoopbackPeer::ReadSome(c, 300);
    });
}

TEST(Tunnel, ConnectLinesAndRefusals) {
    const struct Case {
        std::string host, port, user, reply, request;
        int error;
    } cases[] = {
        {"example.test", "https", "u", "HTTP/1.0 200 Connection established\r\nX-A: 1\r\n\r\n",
         "CONNECT example.test:443 HTTP/1.0\r\nProxy-Authorization: Basic dTpw\r\n\r\n", 0},
        {"::1", "8443", "", "HTTP/1.1 407 Proxy Authentication Required\r\nX-A: 1\r\n\r\n",
         "CONNECT [::1]:8443 HTTP/1.0\r\n\r\n", WSASYSNOTREADY},
        {"h", "80", "", "HTTP/1.0 2\r\n\r\n", "CONNECT h:80 HTTP/1.0\r\n\r\n",
         WSASYSNOTREADY},  // 11 characters
    };
    for (const Case& c : cases) {
        std::string request;
        LoopbackPeer proxy = ConnectProxy(c.reply, &request);
        TcpSocket s;
        s.HTTPTunnelIP = "127.0.0.1", s.HTTPTunnelPort = proxy.Port(), s.HTTPTunnelUser = c.user,
        s.HTTPTunnelPass = "p";
        s.Connect(c.host, c.port);
        EXPECT_EQ(s.LastError(), c.error);
        EXPECT_EQ(request, c.request);
        EXPECT_EQ(s.HTTPTunnel, c.error == 0);
        EXPECT_EQ(s.ReceiveExactString(9, 2000), "tunnelled");  // the whole head was read
        if (c.error == 0) {
            EXPECT_EQ(s.RemoteIP() + ":" + std::to_string(s.RemotePort()), "example.test:443");
        }
    }
    TcpSocket s;
    s.HTTPTunnelIP = "127.0.0.1", s.HTTPTunnelPort = "1";
    s.Connect("example.test\r\nX-Injected: 1", "80");
    EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
    EXPECT_EQ(s.Socket(), INVALID_SOCKET);
}

}  // namespace
}  // namespace xunda
