#include "net/http_request.h"
#include "net/net_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace xunda {
namespace {

// The scripted HTTP peer (tests/peers/script_peer.py) that the CTest fixture started on a loopback
// port; its state folder is named by XUNDA_SCRIPT_PEER_STATE.
class ScriptPeer {
public:
    ScriptPeer() {
        const char* state = std::getenv("XUNDA_SCRIPT_PEER_STATE");
        std::ifstream in(std::string(state ? state : "") + "/port");
        if (!state || !std::getline(in, port_) || port_.empty())
            throw std::runtime_error("the scripted peer is not running: run these tests through ctest");
    }
    const std::string& Port() const { return port_; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + port_ + path; }

private:
    std::string port_;
};

std::string Body(HttpRequest& http) { return std::string(http.Document().Bytes()); }

std::string Get(HttpRequest& http, const std::string& url, bool* ok = nullptr) {
    http.Clear();
    bool result = http.ExecuteMethod("GET", url);
    if (ok) *ok = result;
    return Body(http);
}

class HttpTest : public ::testing::Test {
protected:
    ScriptPeer peer_;
    std::string HostHeader() const { return "Host: 127.0.0.1:" + peer_.Port() + "\r\n"; }
};

// --- request heads ---

TEST_F(HttpTest, WireExampleOfTheDefaults) {
    HttpRequest http;
    bool ok = false;
    EXPECT_EQ(Get(http, peer_.Url("/echo?query"), &ok),
              "GET /echo?query HTTP/1.0\r\n" + HostHeader() + "User-Agent: Mozilla/4.0 (compatible)\r\n\r\n");
    EXPECT_TRUE(ok);
    EXPECT_EQ(http.ResultCode(), 200);
    EXPECT_EQ(http.ResultString(), "OK");
    EXPECT_EQ(http.Sock().Socket(), INVALID_SOCKET);  // HTTP/1.0: closed after the reply
    EXPECT_EQ(http.AliveHost(), "");
    ASSERT_FALSE(http.Headers().empty());
    EXPECT_EQ(http.Headers().front(), "HTTP/1.0 200 OK");
    EXPECT_EQ(http.Headers().back(), "");
}

TEST_F(HttpTest, HeaderOrderWithEverySetting) {
    HttpRequest http;
    http.Cookies() = {"a=1", "b=2"};
    http.KeepAlive = false;
    http.UserAgent = "agent";
    http.Headers() = {"X-Mine: 1"};
    http.RangeStart = 10;
    http.RangeEnd = 20;
    WriteBytesToStream(http.Document(), "body");
    http.MimeType = "text/plain";
    http.ExecuteMethod("post", "http://u:p@127.0.0.1:" + peer_.Port() + "/echo");
    EXPECT_EQ(Body(http), "POST /echo HTTP/1.0\r\n" + HostHeader() +
                              "Authorization: Basic dTpw\r\n"
                              "Connection: close\r\n"
                              "Cookie: a=1; b=2\r\n"
                              "Range: bytes=10-20\r\n"
                              "User-Agent: agent\r\n"
                              "Content-Type: text/plain\r\n"
                              "Content-Length: 4\r\n"
                              "X-Mine: 1\r\n\r\nbody");
    EXPECT_EQ(http.UploadSize(), static_cast<std::int64_t>(Body(http).size()));
}

TEST_F(HttpTest, CredentialsFromFieldsRangesAndLargeBodies) {
    HttpRequest http;
    http.UserName = "name";
    http.Password = "secret";
    http.UserAgent = "";
    http.RangeStart = 10;
    http.RangeEnd = 5;
    EXPECT_TRUE(http.ExecuteMethod("GET", peer_.Url("/echo")));
    EXPECT_EQ(Body(http), "GET /echo HTTP/1.0\r\n" + HostHeader() +
                              "Authorization: Basic bmFtZTpzZWNyZXQ=\r\nRange: bytes=10-\r\n\r\n");
    http.Clear();
    http.UserName.clear();
    http.RangeEnd = 5;  // without a start: nothing
    EXPECT_TRUE(http.ExecuteMethod("GET", peer_.Url("/echo")));
    EXPECT_EQ(Body(http), "GET /echo HTTP/1.0\r\n" + HostHeader() + "\r\n");

    http.Clear();
    std::string big(100000, 'b');
    WriteBytesToStream(http.Document(), big);
    EXPECT_TRUE(http.ExecuteMethod("PUT", peer_.Url("/echo")));
    EXPECT_EQ(Body(http), "PUT /echo HTTP/1.0\r\n" + HostHeader() +
                              "Content-Type: text/html\r\nContent-Length: 100000\r\n\r\n" + big);
    EXPECT_EQ(http.UploadSize(), 100000);
}

TEST_F(HttpTest, Http09RequestAndAsteriskPath) {
    HttpRequest http;
    http.Protocol = "0.9";
    bool ok = false;
    EXPECT_EQ(Get(http, peer_.Url("/echo09"), &ok), "GET /echo09\r\n");
    EXPECT_TRUE(ok);
    EXPECT_EQ(http.ResultCode(), 0);
    http.Protocol = "1.0";
    http.Clear();
    EXPECT_TRUE(http.ExecuteMethod("OPTIONS", peer_.Url("/*")));
    EXPECT_TRUE(std::string(http.Document().Bytes()).starts_with("OPTIONS * HTTP/1.0\r\n"));
}

TEST_F(HttpTest, ProxyFormAndBracketedIPv6Hosts) {
    HttpRequest http;
    http.ProxyHost = "127.0.0.1";
    http.ProxyPort = peer_.Port();
    http.ProxyUser = "pu";
    http.ProxyPass = "pp";
    EXPECT_EQ(Get(http, "http://example.invalid/echo?x=1"),
              "GET http://example.invalid:80/echo?x=1 HTTP/1.0\r\nHost: example.invalid\r\n"
              "Proxy-Authorization: Basic cHU6cHA=\r\nUser-Agent: Mozilla/4.0 (compatible)\r\n\r\n");
    EXPECT_EQ(http.TargetHost, "127.0.0.1");
    EXPECT_EQ(Get(http, "http://[::1]:8080/echo"),
              "GET http://[::1]:8080/echo HTTP/1.0\r\nHost: [::1]:8080\r\n"
              "Proxy-Authorization: Basic cHU6cHA=\r\nUser-Agent: Mozilla/4.0 (compatible)\r\n\r\n");
}

TEST_F(HttpTest, LineBreaksInAnyPartAreRefusedBeforeConnecting) {
    HttpRequest http;
    int connects = 0;
    http.Sock().OnStatus = [&](NetSocket&, THookSocketReason reason, const std::string&) {
        if (reason == THookSocketReason::HR_Connect) ++connects;
    };
    EXPECT_FALSE(http.ExecuteMethod("GET", peer_.Url("/echo\r\nX-Injected: 1")));
    EXPECT_FALSE(http.ExecuteMethod("GET\n", peer_.Url("/echo")));
    EXPECT_FALSE(http.ExecuteMethod("GET", "http://127.0.0.1%0d\r:" + peer_.Port() + "/"));
    http.Headers() = {"X-A: 1\nX-B: 2"};
    EXPECT_FALSE(http.ExecuteMethod("GET", peer_.Url("/echo")));
    http.UserAgent = std::string("a\0b", 3);
    EXPECT_FALSE(http.ExecuteMethod("GET", peer_.Url("/echo")));
    EXPECT_EQ(http.ResultCode(), 500);
    EXPECT_EQ(connects, 0);
}

// --- reply bodies ---

TEST_F(HttpTest, BodiesByLengthChunksAndCloseAndTheirFaults) {
    std::string bytes;
    for (int i = 0; i < 1048576; ++i) bytes += static_cast<char>((i * 7 + 3) & 0xFF);
    const struct Case {
        std::string path, body;
        bool ok;
        int code;
    } cases[] = {
        {"/length", "hello", true, 200},
        {"/chunked", "hello world", true, 200},
        {"/close", "until the end", true, 200},
        {"/no-blank-length", "abcdef", true, 200},  // no number: until the close
        {"/negative-length", "abcdef", true, 200},
        {"/http09", "plain old body\r\nsecond line", true, 0},
        {"/bytes/1048576", bytes, true, 200},
        {"/chunked-and-length", "abcd", true, 200},  // chunked wins
        {"/bad-chunk", "abcd", false, 200},
        {"/reset", "partial", false, 200},  // a reset is no orderly end
    };
    HttpRequest http;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        bool ok = !c.ok;
        EXPECT_EQ(Get(http, peer_.Url(c.path), &ok), c.body);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(http.ResultCode(), c.code);
        if (c.path == "/length") {
            EXPECT_EQ(http.MimeType, "text/plain; charset=utf-8");
            EXPECT_EQ(http.DownloadSize(), 5);
        }
        if (c.path == "/chunked") {
            EXPECT_EQ(http.TransferEncoding(), TTransferEncoding::TE_Chunked);
        }
    }
}

TEST_F(HttpTest, NoBodyFor204And304AndHead) {
    // Each reply announces a body and closes without it: reading one would fail.
    HttpRequest http;
    for (const auto& [method, path, code] : {std::tuple{"GET", "/204", 204}, {"GET", "/304", 304}, {"head", "/head", 200}}) {
        http.Clear();
        EXPECT_TRUE(http.ExecuteMethod(method, peer_.Url(path))) << path;
        EXPECT_EQ(http.ResultCode(), code);
        EXPECT_EQ(Body(http), "");
    }
}

TEST_F(HttpTest, SilenceFailsAfterTheTimeout) {
    HttpRequest http;
    http.Timeout = 200;
    bool ok = true;
    std::uint64_t start = MonotonicMs();
    EXPECT_EQ(Get(http, peer_.Url("/silent"), &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(http.ResultCode(), 500);
    EXPECT_TRUE(http.Headers().empty());
    EXPECT_GE(MonotonicMs() - start, 180u);
    EXPECT_LT(MonotonicMs() - start, 900u);
}

TEST_F(HttpTest, InterimRepliesAreNotFinal) {
    HttpRequest http;
    http.Protocol = "1.1";
    bool ok = false;
    EXPECT_EQ(Get(http, peer_.Url("/interim"), &ok), "ok");
    EXPECT_TRUE(ok);
    EXPECT_EQ(http.ResultCode(), 200);
}

TEST_F(HttpTest, ExpectContinueSendsTheBodyOnlyAfterTheInterimReply) {
    HttpRequest http;
    http.Protocol = "1.1";
    http.Status100 = true;
    WriteBytesToStream(http.Document(), "data");
    EXPECT_TRUE(http.ExecuteMethod("POST", peer_.Url("/echo")));
    EXPECT_TRUE(Body(http).ends_with("Expect: 100-continue\r\n\r\ndata"));
    EXPECT_EQ(http.Sock().Socket(), INVALID_SOCKET);  // the reply said "Connection: close"

    http.Clear();
    WriteBytesToStream(http.Document(), "data");
    EXPECT_TRUE(http.ExecuteMethod("POST", peer_.Url("/refuse-body")));
    EXPECT_EQ(http.ResultCode(), 417);
    EXPECT_EQ(Body(http), "nope");
    EXPECT_EQ(http.Sock().Socket(), INVALID_SOCKET);

    // The interim status alone is no reply: silence after it leaves 500.
    http.Clear();
    http.Timeout = 200;
    WriteBytesToStream(http.Document(), "data");
    EXPECT_FALSE(http.ExecuteMethod("POST", peer_.Url("/silent")));
    EXPECT_EQ(http.ResultCode(), 500);
    EXPECT_EQ(http.ResultString(), "");
}

// --- keep-alive ---

TEST_F(HttpTest, KeepAliveReusesTheConnection) {
    HttpRequest http;
    http.Protocol = "1.1";
    std::string first = Get(http, peer_.Url("/keep"));
    EXPECT_EQ(http.AlivePort(), peer_.Port());
    EXPECT_EQ(Get(http, peer_.Url("/keep")), first);
    EXPECT_EQ(Get(http, peer_.Url("/chunked")), "hello world");
    EXPECT_EQ(Get(http, peer_.Url("/keep")), first);  // the trailer was read with the chunks
}

TEST_F(HttpTest, AnIdleConnectionThePeerClosedIsNotReused) {
    HttpRequest http;
    http.Protocol = "1.1";
    std::string first = Get(http, peer_.Url("/keep-then-close"));
    EXPECT_EQ(http.AlivePort(), peer_.Port());  // kept: the reply did not ask to close
    ASSERT_TRUE(http.Sock().WaitReadable(2000));  // the peer's close arrived
    bool ok = false;
    std::string second = Get(http, peer_.Url("/keep"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(second.starts_with("connection ")) << second;
    EXPECT_NE(second, first);
}

TEST_F(HttpTest, AFailedReadForgetsTheConnection) {
    HttpRequest http;
    http.Protocol = "1.1";
    http.Timeout = 200;
    bool ok = true;
    Get(http, peer_.Url("/stall"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(http.AliveHost(), "");
    EXPECT_EQ(http.Sock().Socket(), INVALID_SOCKET);
    http.Timeout = 2000;
    std::string next = Get(http, peer_.Url("/keep"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(http.ResultCode(), 200);
    EXPECT_TRUE(next.starts_with("connection ")) << next;
}

// --- caps and malformed replies ---

TEST_F(HttpTest, CapsOnLinesHeadsAndBodies) {
    HttpRequest http;
    for (const char* path : {"/long-line", "/many-headers", "/huge-length", "/bytes/5000"}) {
        http.MaxBodySize = std::string(path) == "/bytes/5000" ? 1000 : 64 << 20;
        bool ok = true;
        Get(http, peer_.Url(path), &ok);
        EXPECT_FALSE(ok) << path;
        EXPECT_EQ(http.Sock().LastError(), WSAENOBUFS) << path;
    }
    bool ok = false;
    Get(http, peer_.Url("/close"), &ok);  // the next request is unharmed
    EXPECT_TRUE(ok);
}

TEST_F(HttpTest, CookiesStoredReplacedAndSent) {
    HttpRequest http;
    EXPECT_TRUE(http.ExecuteMethod("GET", peer_.Url("/cookies")));
    EXPECT_EQ(http.Cookies(), (std::vector<std::string>{"a=1", "B=two", "c=3"}));
    http.Clear();
    EXPECT_TRUE(http.ExecuteMethod("GET", peer_.Url("/cookies-drop")));
    EXPECT_EQ(http.Cookies(), (std::vector<std::string>{"B=two", "c=3", "flag=flag"}));
    EXPECT_NE(Get(http, peer_.Url("/echo")).find("\r\nCookie: B=two; c=3; flag=flag\r\n"), std::string::npos);
}

TEST_F(HttpTest, HttpsFailsAtTheSslStep) {
    HttpRequest http;
    EXPECT_FALSE(http.ExecuteMethod("GET", "https://127.0.0.1:" + peer_.Port() + "/echo"));
    EXPECT_EQ(http.ResultCode(), 500);
    EXPECT_EQ(http.Sock().SSL().LastErrorDesc, "SLL is not implemented!");
}

TEST(HttpConnect, RefusedConnectionGives500) {
    HttpRequest http;
    http.Timeout = 300;
    EXPECT_FALSE(http.ExecuteMethod("GET", "http://127.0.0.1:1/"));
    EXPECT_EQ(http.ResultCode(), 500);
    EXPECT_EQ(http.Sock().LastError(), 10061);
}

}  // namespace
}  // namespace xunda
