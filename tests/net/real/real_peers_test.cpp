// GETs through the real peers that the fixture started; each peer passed its own curl check
// first, so a failure here is the client's.
#include "net/http_request.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace xunda {
namespace {

std::map<std::string, std::string> LoadPeers() {
    std::map<std::string, std::string> peers;
    const char* state = std::getenv("XUNDA_PEERS_STATE");
    std::ifstream in(std::string(state ? state : "") + "/peers.txt");
    for (std::string line; std::getline(in, line);)
        if (auto eq = line.find('='); eq != std::string::npos) peers[line.substr(0, eq)] = line.substr(eq + 1);
    return peers;
}

std::string ReadWhole(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class RealPeers : public ::testing::Test {
protected:
    static void SetUpTestSuite() { peers_ = LoadPeers(); }

    // The peer's port; fails the test when the peer did not pass its curl check.
    std::string Port(const std::string& name) {
        EXPECT_EQ(peers_[name + "_ok"], "1") << "peer " << name << " failed its own curl check: the peer is broken";
        return peers_[name + "_port"];
    }
    std::string Url(const std::string& peer, const std::string& path) {
        return "http://127.0.0.1:" + Port(peer) + path;
    }
    std::string File(const std::string& name) { return ReadWhole(peers_["www"] + "/" + name); }

    static std::string Get(HttpRequest& http, const std::string& url) {
        http.Clear();
        bool ok = http.ExecuteMethod("GET", url);
        EXPECT_TRUE(ok) << url << " error " << http.Sock().LastError();
        return std::string(http.Document().Bytes());
    }

    static std::map<std::string, std::string> peers_;
};

std::map<std::string, std::string> RealPeers::peers_;

TEST_F(RealPeers, NginxKeepAliveChunksAndALargeFileThenHttp10) {
    HttpRequest http;
    http.Protocol = "1.1";
    http.Timeout = 5000;
    EXPECT_EQ(Get(http, Url("nginx", "/hello.txt")), File("hello.txt"));
    SocketHandle first = http.Sock().Socket();
    EXPECT_NE(first, INVALID_SOCKET);
    std::string chunked = Get(http, Url("nginx", "/chunked.txt"));
    EXPECT_EQ(http.TransferEncoding(), TTransferEncoding::TE_Chunked);
    std::string expected;
    for (int i = 0; i < 50; ++i) expected += "chunked body of NGINX\n";
    EXPECT_EQ(chunked, expected);
    EXPECT_EQ(Get(http, Url("nginx", "/big.bin")), File("big.bin"));
    EXPECT_EQ(http.Sock().Socket(), first);  // one connection for all three
    http.Clear();
    EXPECT_TRUE(http.ExecuteMethod("GET", Url("nginx", "/missing")));
    EXPECT_EQ(http.ResultCode(), 404);
    http.Protocol = "1.0";
    EXPECT_EQ(Get(http, Url("nginx", "/hello.txt")), File("hello.txt"));
    EXPECT_EQ(http.Sock().Socket(), INVALID_SOCKET);  // closed after an HTTP/1.0 reply
}

TEST_F(RealPeers, TinyproxyAsHttpProxyAndTunnel) {
    HttpRequest http;
    http.Timeout = 5000;
    http.ProxyHost = "127.0.0.1";
    http.ProxyPort = Port("tinyproxy");
    EXPECT_EQ(Get(http, Url("nginx", "/hello.txt")), File("hello.txt"));
    EXPECT_EQ(Get(http, Url("nginx", "/big.bin")), File("big.bin"));

    http.ProxyPort = Port("tinyproxy_auth");
    http.Clear();
    http.ExecuteMethod("GET", Url("nginx", "/hello.txt"));
    EXPECT_EQ(http.ResultCode(), 407);
    http.ProxyUser = "user";
    http.ProxyPass = "secret";
    EXPECT_EQ(Get(http, Url("nginx", "/hello.txt")), File("hello.txt"));

    // https goes through the CONNECT tunnel and then stops at the SSL step.
    http.Clear();
    EXPECT_FALSE(http.ExecuteMethod("GET", "https://127.0.0.1:" + Port("nginx") + "/hello.txt"));
    EXPECT_EQ(http.ResultCode(), 500);
    EXPECT_EQ(http.Sock().SSL().LastErrorDesc, "SLL is not implemented!");

    TcpSocket tunnel;
    tunnel.HTTPTunnelIP = "127.0.0.1";
    tunnel.HTTPTunnelPort = Port("tinyproxy_auth");
    tunnel.Connect("127.0.0.1", Port("nginx"));
    EXPECT_EQ(tunnel.LastError(), WSASYSNOTREADY);  // 407 without credentials
    tunnel.CloseSocket();
    tunnel.HTTPTunnelUser = "user";
    tunnel.HTTPTunnelPass = "secret";
    tunnel.Connect("127.0.0.1", Port("nginx"));
    ASSERT_EQ(tunnel.LastError(), 0);
    tunnel.SendString("GET /hello.txt HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    tunnel.ConvertLineEnd = true;
    EXPECT_EQ(tunnel.ReceiveLine(5000), "HTTP/1.1 200 OK");
}

TEST_F(RealPeers, DanteSocks4And5AndBind) {
    HttpRequest http;
    http.Timeout = 5000;
    http.Sock().SocksIP = "127.0.0.1";
    http.Sock().SocksPort = Port("dante");
    EXPECT_EQ(Get(http, Url("nginx", "/hello.txt")), File("hello.txt"));
    EXPECT_EQ(Get(http, Url("nginx", "/big.bin")), File("big.bin"));
    http.Sock().SocksType = TSocksType::ST_Socks4;
    EXPECT_EQ(Get(http, Url("nginx", "/hello.txt")), File("hello.txt"));

    TcpSocket listener;
    listener.SocksIP = "127.0.0.1";
    listener.SocksPort = Port("dante");
    listener.SocksTimeout = 5000;
    listener.Listen();
    ASSERT_EQ(listener.LastError(), 0);
    EXPECT_EQ(listener.LocalIP(), "127.0.0.1");
    EXPECT_GT(listener.LocalPort(), 0);
    TcpSocket caller;
    caller.Connect(listener.LocalIP(), std::to_string(listener.LocalPort()));
    EXPECT_EQ(caller.LastError(), 0);  // the proxy listens for us
}

TEST_F(RealPeers, MicrosocksWithUserAndPassword) {
    HttpRequest http;
    http.Timeout = 5000;
    http.Sock().SocksIP = "127.0.0.1";
    http.Sock().SocksPort = Port("microsocks");
    http.Sock().SocksUsername = "user";
    http.Sock().SocksPassword = "secret";
    EXPECT_EQ(Get(http, Url("nginx", "/hello.txt")), File("hello.txt"));
    EXPECT_EQ(Get(http, Url("nginx", "/big.bin")), File("big.bin"));
    http.Sock().SocksPassword = "wrong";
    http.Clear();
    EXPECT_FALSE(http.ExecuteMethod("GET", Url("nginx", "/hello.txt")));
    EXPECT_EQ(http.ResultCode(), 500);
    EXPECT_EQ(http.Sock().LastError(), WSASYSNOTREADY);
}

}  // namespace
}  // namespace xunda
