#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <climits>
#include <functional>
#include <tuple>

#include "core/text_util.h"
#include "gateway/http_fetch.h"
#include "net/http_request.h"
#include "net/loopback_peer.h"
#include "net/net_text.h"
#include "support/memory.h"

namespace xunda {
namespace {

using test::LoopbackPeer;

// One reply of the scripted server: its bytes, whether the connection stays for another request,
// bytes that follow one at a time, each after a pause, and the reply to "Expect: 100-continue"
// (when it is no 100, the body is not read); Reset closes with RST.
struct Reply {
    std::string bytes;
    bool keep = false;
    std::string trickle;
    int pauseMs = 0;
    std::string interim;
    bool reset = false;
};

// A request as the server read it: up to the empty line (one line for HTTP/0.9) and its body.
std::string ReadRequest(int c, const std::string& interim) {
    std::string request = LoopbackPeer::ReadUntil(c, "\r\n");
    if (request.find(" HTTP/") == std::string::npos) return request;
    request += LoopbackPeer::ReadUntil(c, "\r\n\r\n");
    if (request.find("Expect: 100-continue") != std::string::npos) LoopbackPeer::Send(c, interim);
    if (interim.find(" 100 ") == std::string::npos && !interim.empty()) return request;
    std::int64_t length = 0;
    if (auto at = request.find("Content-Length: "); at != std::string::npos)
        ParseDecimal(TextBefore(request.substr(at + 16), "\r"), length);
    return request + LoopbackPeer::ReadExactly(c, static_cast<std::size_t>(length));
}

// An HTTP server on a loopback port: answers each request with the next reply, over up to
// Connections connections one after another, and records the requests.
class Server {
  public:
    explicit Server(std::vector<Reply> replies, int connections = 1)
        : replies_(std::move(replies)), peer_([this](int c) { Serve(c); }, connections) {}
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + peer_.Port() + path; }
    std::string Port() const { return peer_.Port(); }
    std::vector<std::string> requests;

  private:
    void Serve(int c) {
        while (next_ < replies_.size()) {
            const Reply& reply = replies_[next_];
            std::string request = ReadRequest(c, reply.interim);
            if (request.empty()) return;
            requests.push_back(request);
            ++next_;
            LoopbackPeer::Send(c, reply.bytes);
            for (char byte : reply.trickle) {
                LoopbackPeer::Pause(reply.pauseMs);
                if (::send(c, &byte, 1, MSG_NOSIGNAL) != 1) return;  // the client gave up
            }
            if (reply.reset) LoopbackPeer::Reset(c);
            if (!reply.keep) return;
        }
    }
    std::vector<Reply> replies_;
    std::size_t next_ = 0;
    LoopbackPeer peer_;  // last: its thread uses the fields above
};

const std::string kEmpty200 = "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n";

std::string Body(HttpRequest& http) {
    return std::string(http.Document().Bytes());
}

bool Get(HttpRequest& http, const std::string& url) {
    return http.Clear(), http.ExecuteMethod("GET", url);
}

TEST(HttpRequestHead, EverySettingInItsPlace) {
    const std::string big(65536, 'b');  // the smallest body sent apart from the head
    const struct Case {
        std::function<void(HttpRequest&)> setup;
        std::string method, url, expected;  // "@" in the expected head stands for 127.0.0.1:<port>
    } cases[] = {
        {[](HttpRequest&) {}, "GET", "/p?q",
         "GET /p?q HTTP/1.0\r\nHost: @\r\nUser-Agent: Mozilla/4.0 (compatible)\r\n\r\n"},
        {[](HttpRequest& h) {
             h.Cookies() = {"a=1", "b=2"}, h.Headers() = {"X-Mine: 1"}, h.KeepAlive = false;
             h.UserAgent = "agent", h.RangeStart = 10, h.RangeEnd = 10, h.MimeType = "text/plain";
             WriteBytesToStream(h.Document(), "body");
         },
         "post", "/e",
         "POST /e HTTP/1.0\r\nHost: @\r\nAuthorization: Basic dTpw\r\nConnection: close\r\n"
         "Cookie: a=1; b=2\r\nRange: bytes=10-10\r\nUser-Agent: agent\r\nContent-Type: text/plain\r\n"
         "Content-Length: 4\r\nX-Mine: 1\r\n\r\nbody"},
        {[](HttpRequest& h) {
             h.UserName = "name", h.Password = "secret", h.UserAgent = "", h.RangeStart = 10, h.RangeEnd = 9;
         },
         "GET", "/",
         "GET / HTTP/1.0\r\nHost: @\r\nAuthorization: Basic bmFtZTpzZWNyZXQ=\r\nRange: bytes=10-\r\n\r\n"},
        {[](HttpRequest& h) { h.UserAgent = "", h.RangeEnd = 5; }, "GET", "/",
         "GET / HTTP/1.0\r\nHost: @\r\n\r\n"},
        {[&](HttpRequest& h) { h.UserAgent = "", WriteBytesToStream(h.Document(), big); }, "PUT", "/",
         "PUT / HTTP/1.0\r\nHost: @\r\nContent-Type: text/html\r\nContent-Length: 65536\r\n\r\n" + big},
        {[](HttpRequest& h) { h.Protocol = "0.9"; }, "GET", "/old", "GET /old\r\n"},
        {[](HttpRequest& h) { h.UserAgent = ""; }, "OPTIONS", "/*", "OPTIONS * HTTP/1.0\r\nHost: @\r\n\r\n"},
        // Through an HTTP proxy (at the server's port): the absolute form, IPv6 hosts in brackets.
        {[](HttpRequest& h) {
             h.ProxyHost = "127.0.0.1", h.ProxyUser = "pu", h.ProxyPass = "pp", h.UserAgent = "";
         },
         "GET", "http://example.invalid/e?x=1",
         "GET http://example.invalid:80/e?x=1 HTTP/1.0\r\nHost: example.invalid\r\n"
         "Proxy-Authorization: Basic cHU6cHA=\r\n\r\n"},
        {[](HttpRequest& h) { h.ProxyHost = "127.0.0.1", h.UserAgent = ""; }, "GET", "http://[::1]:8080/e",
         "GET http://[::1]:8080/e HTTP/1.0\r\nHost: [::1]:8080\r\n\r\n"},
    };
    for (const Case& c : cases) {
        Server server({{kEmpty200}});
        HttpRequest http;
        c.setup(http);
        if (!http.ProxyHost.empty()) http.ProxyPort = server.Port();
        const std::string url = c.url.starts_with("http") ? c.url : server.Url(c.url);
        EXPECT_TRUE(http.ExecuteMethod(c.method, c.method == "post" ? ReplaceAll(url, "//", "//u:p@") : url));
        ASSERT_EQ(server.requests.size(), 1u) << c.url;
        EXPECT_EQ(server.requests[0], ReplaceAll(c.expected, "@", "127.0.0.1:" + server.Port()));
        const std::size_t upload = c.method == "PUT"    ? big.size()
                                   : c.method == "post" ? server.requests[0].size()
                                                        : 0;
        EXPECT_EQ(http.UploadSize(), static_cast<std::int64_t>(upload));
    }
}

TEST(HttpRequestHead, RefusedRequestsConnectsAndHttpsFailWith500AndTheirCodes) {
    test::RefusedPort refused;  // a line break or NUL is refused before any connect
    Server silent({});
    const std::string url = "http://127.0.0.1:" + refused.Port() + "/";
    using Bad = std::tuple<std::string, std::string, std::string, std::string, int>;
    for (const auto& [method, target, header, agent, error] :  // the last: no TLS layer
         {Bad{"GET", url + "\r\nX: 1", "", "a", WSAEINVAL}, Bad{"GET\n", url, "", "a", WSAEINVAL},
          Bad{"GET", url, "X-A: 1\nX-B: 2", "a", WSAEINVAL},
          Bad{"GET", url, "", std::string("a\0b", 3), WSAEINVAL}, Bad{"GET", url, "", "a", 10061},
          Bad{"GET", "https://127.0.0.1:" + silent.Port() + "/", "", "a", WSASYSNOTREADY}}) {
        HttpRequest http;
        if (!header.empty()) http.Headers() = {header};
        http.UserAgent = agent;
        EXPECT_FALSE(http.ExecuteMethod(method, target));
        EXPECT_EQ(http.ResultCode(), 500);
        EXPECT_EQ(http.Sock().LastError(), error);
        EXPECT_EQ(http.Sock().LastErrorDesc(), GetErrorDesc(error));
    }
}

TEST(HttpReply, BodiesTheirCapsAndFaults) {
    const std::string ok = "HTTP/1.0 200 OK\r\n",
                      ch = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    std::string heads = ok;
    for (int i = 0; i < 1100; ++i) heads += "X: " + std::string(1000, 'y') + "\r\n";
    const struct Case {
        std::string reply, body;
        bool ok;
        int code;
        int error = 0;
        std::int64_t maxBody = 64 << 20;
        std::string method = "GET";
    } cases[] = {
        {ok + "Content-Type: text/plain\r\nContent-Length: 5\r\n\r\nhello", "hello", true, 200},
        {ok + "content-length:3\r\n\r\nabcdef", "abc", true, 200},
        {ok + "Content-Length: -5\r\n\r\nabcdef", "abcdef", true, 200},  // no length: until the close
        {ok + "\r\nuntil the end", "until the end", true, 200},
        {"plain old body\nsecond", "plain old body\r\nsecond", true, 0},  // HTTP/0.9: all body
        {ch + "5;ext=1\r\nhello\r\n6\r\n world\r\n0\r\nX-T: t\r\n\r\n", "hello world", true, 200},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n4\r\nabcd\r\n0\r\n\r\n",
         "abcd", true, 200},  // chunks win over a length
        {"HTTP/1.1 100 C\r\nX: 1\r\n\r\nHTTP/1.1 102 P\r\n\r\nHTTP/1.1 201 M\r\nContent-Length: 2\r\n\r\nok",
         "ok", true, 201},
        {"HTTP/1.1 101 Switching Protocols\r\n\r\n", "", true, 101},  // final, not interim
        {"HTTP/1.0 204 No Content\r\nContent-Length: 5\r\n\r\n", "", true, 204},
        {"HTTP/1.0 304 Not Modified\r\nContent-Length: 5\r\n\r\n", "", true, 304},
        {ok + "Content-Length: 5\r\n\r\n", "", true, 200, 0, 64 << 20, "head"},
        // Cut short: by the close, inside a chunk; a chunk size that is no number.
        {ok + "Content-Length: 10\r\n\r\n12345", "12345", false, 200, WSAECONNRESET},
        {ch + "a\r\nhello wor", "hello wor", false, 200, WSAECONNRESET},
        {ch + "4\r\nabcd\r\nzz\r\n", "abcd", false, 200, WSAEINVAL},
        {ch + "5\r\nhello\r\n", "hello", false, 200, WSAECONNRESET},
        {ch + "\r\n5\r\nhello\r\n\r\n\r\n6\r\n world\r\n0\r\n\r\n", "hello world", true,
         200},                                                                     // blank lines
                                                                                   // before sizes
        {ch + "5\r\nhello3\r\nabc\r\n0\r\n\r\n", "hello", false, 200, WSAEINVAL},  // data without its CR LF
        // The last chunk ends the body: a close instead of the trailer's end loses nothing.
        {ch + "5\r\nhello\r\n0\r\n", "hello", true, 200},
        // Lengths: the last readable one, unless another differs; an unreadable one reads to the close.
        {ok + "Content-Length: 5\r\nContent-Length: x\r\n\r\nhello", "hello", true, 200},
        {ok + "Content-Length: 5\r\nContent-Length: -1\r\n\r\nhello", "hello", true, 200},
        {ok + "Content-Length: 5\r\nContent-Length: 5\r\n\r\nhello!", "hello", true, 200},
        {ok + "Content-Length: 3\r\nContent-Length: 5\r\n\r\nhello", "", false, 200, WSAEINVAL},
        {ok + "Content-Length:\t5 \t\r\n\r\nhello world", "hello", true, 200},
        // Caps, at their exact bounds.
        {ok + "Content-Length: 4\r\n\r\nabcd", "abcd", true, 200, 0, 4},
        {ok + "Content-Length: 5\r\n\r\nabcde", "", false, 200, WSAENOBUFS, 4},
        {ok + "\r\nabcd", "abcd", true, 200, 0, 4},
        {ok + "\r\nabcde", "", false, 200, WSAENOBUFS, 4},
        {ch + "2\r\nab\r\n3\r\ncde\r\n0\r\n\r\n", "ab", false, 200, WSAENOBUFS, 4},
        // A cap raised past what memory holds: a length announced beyond it fails as any read.
        {ok + "Content-Length: 4611686018427387904\r\n\r\nabc", "", false, 200, WSAENOBUFS, INT64_MAX},
        {ch + "10\r\n" + std::string(16, 'a') + "\r\n7FFFFFFFFFFFFFF0\r\n" + std::string(5000, 'z'),
         std::string(16, 'a'), false, 200, WSAENOBUFS, 1 << 20},  // 16 + the size would overflow
        {"HTTP/1.0 200 " + std::string(HttpRequest::LineLimit + 1, 'x') + "\r\n\r\n", "", false, 500,
         WSAENOBUFS},
        {heads + "\r\n", "", false, 200, WSAENOBUFS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.substr(0, 80));
        Server server({{c.reply}});
        HttpRequest http;
        http.MaxBodySize = c.maxBody;
        EXPECT_EQ(http.ExecuteMethod(c.method, server.Url("/")), c.ok);
        EXPECT_EQ(Body(http), c.body);
        EXPECT_EQ(http.ResultCode(), c.code);
        EXPECT_EQ(http.Sock().LastError(), c.error);
        EXPECT_EQ(http.Sock().LastErrorDesc(), GetErrorDesc(c.error));
        if (c.code == 200 && c.ok && c.reply.find("text/plain") != std::string::npos) {
            EXPECT_EQ(http.MimeType, "text/plain");
            EXPECT_EQ(http.DownloadSize(), 5);
        }
    }
}

TEST(HttpReply, BodiesReadStraightFromTheSocket) {
    const std::string big(300000, 'b');                           // past what the head's reads take along
    const std::string large(HttpRequest::WarmBodySize + 1, 'l');  // its pages mapped on another thread
    for (const auto& [reply, body] :
         {std::pair{Reply{"HTTP/1.0 200 OK\r\nContent-Length: 300000\r\n\r\n" + big}, big},
          {Reply{"HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(large.size()) + "\r\n\r\n" + large},
           large},
          {Reply{"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r", false, "\nhello", 20}, "hello"}}) {  // CR | LF
        Server server({reply});
        HttpRequest http;
        EXPECT_TRUE(http.ExecuteMethod("GET", server.Url("/")));
        EXPECT_EQ(Body(http) == body, true);
    }
}

// A body announced far longer than what comes takes memory for what has come (and a little
// room ahead of it), not for what was announced.
TEST(HttpReply, MemoryFollowsTheBytesThatArrive) {
    // Announced, sent, and the most the client may take meanwhile (the bytes and the room ahead).
    for (const auto& [announced, sent, most] : {std::tuple{64 << 20, 1 << 20, 16}, {16 << 20, 0, 4}}) {
        std::atomic<long> before = 0, grown = -1;
        LoopbackPeer peer([&](int c) {
            ReadRequest(c, "");
            LoopbackPeer::Send(c, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(announced) +
                                      "\r\n\r\n" + std::string(static_cast<std::size_t>(sent), 'm'));
            LoopbackPeer::Pause(300);  // long enough to map whatever the client would map
            grown = test::ResidentMiB() - before;
        });
        HttpRequest http;
        before = test::ResidentMiB();
        EXPECT_FALSE(http.ExecuteMethod("GET", "http://127.0.0.1:" + peer.Port() + "/"));
        EXPECT_EQ(http.Document().Size(), sent);
        EXPECT_GE(grown, 0);
        EXPECT_LT(grown, most) << announced;
    }
}

// A chunked body grows in place: its storage is not copied for each chunk that comes.
TEST(HttpReply, AChunkedBodyGrowsWithoutCopies) {
    const std::string chunk(8 << 20, 'c');
    const int chunks = 6;
    LoopbackPeer peer([&](int c) {
        ReadRequest(c, "");
        LoopbackPeer::Send(c, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        for (int i = 0; i < chunks; ++i) {
            LoopbackPeer::Send(c, "800000\r\n");
            LoopbackPeer::Send(c, chunk);
            LoopbackPeer::Send(c, "\r\n");
        }
        LoopbackPeer::Send(c, "0\r\n\r\n");
    });
    auto peakMiB = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss / 1024;
    };
    const long before = peakMiB();
    HttpRequest http;
    http.Protocol = "1.1";
    EXPECT_TRUE(http.ExecuteMethod("GET", "http://127.0.0.1:" + peer.Port() + "/"));
    EXPECT_EQ(http.Document().Size(), std::int64_t{chunks} << 23);
    EXPECT_LT(peakMiB() - before, (chunks << 3) + 16 + 16);  // the body, the room ahead, the peer's chunks
}

TEST(HttpReply, AResetEndsNoBodyThatRunsToTheClose) {
    Server server({{"HTTP/1.0 200 OK\r\n\r\npartial", false, "", 0, "", true}});
    HttpRequest http;
    EXPECT_FALSE(http.ExecuteMethod("GET", server.Url("/")));
    EXPECT_EQ(http.ResultCode(), 200);
    EXPECT_EQ(http.Sock().LastError(), WSAECONNRESET);
}

TEST(HttpReply, SilenceAndTricklesEndByTheWaitOrTheWholeRequestsDeadline) {
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: 60\r\n\r\n";
    const struct Case {
        Reply reply;
        int timeout, deadline, code;
    } cases[] = {
        {{"", false, "H", 400}, 200, 0, 500},                      // silence: the wait ends it
        {{head, false, std::string(60, 's'), 20}, 500, 300, 200},  // a byte every 20 ms: only the deadline
        {{"", false, head + std::string(60, 's'), 20}, 60000, 300, 500},  // the same in the head
    };
    for (const Case& c : cases) {
        Server server({c.reply});
        HttpRequest http;
        http.Timeout = c.timeout, http.Deadline = c.deadline;
        const std::uint64_t start = MonotonicMs();
        EXPECT_FALSE(http.ExecuteMethod("GET", server.Url("/")));
        EXPECT_LT(MonotonicMs() - start, 1500u);
        EXPECT_EQ(http.ResultCode(), c.code);
        EXPECT_EQ(http.Sock().LastError(), WSAETIMEDOUT);
        EXPECT_EQ(http.Sock().LastErrorDesc(), "Connection timed out");
        EXPECT_EQ(http.Sock().Deadline, 0u);
    }
}

TEST(HttpReply, ExpectContinueSendsTheBodyOnlyAfterTheInterimReply) {
    const std::string proceed = "HTTP/1.1 100 Continue\r\n\r\n";
    using Case = std::pair<Reply, int>;  // the last: the interim status alone is no reply
    for (const auto& [reply, code] :
         {Case{{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok", false, "", 0, proceed},
               200},
          Case{{"", false, "", 0, "HTTP/1.1 417 Expectation Failed\r\nContent-Length: 4\r\n\r\nnope"}, 417},
          Case{{"", false, "", 0, proceed}, 500}}) {
        Server server({reply});
        HttpRequest http;
        http.Protocol = "1.1", http.Status100 = true, http.Timeout = 500;
        WriteBytesToStream(http.Document(), "data");
        EXPECT_EQ(http.ExecuteMethod("POST", server.Url("/")), code != 500);
        EXPECT_EQ(http.ResultCode(), code);
        ASSERT_EQ(server.requests.size(), 1u);
        EXPECT_NE(server.requests[0].find("Expect: 100-continue\r\n\r\n"), std::string::npos);
        EXPECT_EQ(server.requests[0].ends_with("data"), code != 417);
        EXPECT_EQ(http.Sock().Socket(), INVALID_SOCKET);  // refused or failed: not kept
    }
}

TEST(HttpKeepAlive, ReusedOnlyWhileCleanAndNotClosed) {
    auto keep = [](const std::string& body, const std::string& extra = "") {
        return Reply{
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body + extra,
            true};
    };
    const std::string stale = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nstale";
    const struct Case {
        std::vector<Reply> replies;
        int connections;
        std::vector<std::string> bodies;
    } cases[] = {
        // The trailer is read with the chunks.
        Case({keep("one"),
              {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\ntwo\r\n0\r\nX-T: 1\r\n\r\n", true},
              keep("three")},
             1, {"one", "two", "three"}),
        Case({keep("one", stale), keep("two")}, 2, {"one", "two"}),  // leftover bytes: a new connection
        Case({{"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\none"}, keep("two")}, 2,
             {"one", "two"}),  // closed idle
        Case({{"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\none", true}, keep("two")}, 2,
             {"one", "two"}),  // stalled
    };
    for (const Case& c : cases) {
        Server server(c.replies, c.connections);
        HttpRequest http;
        http.Protocol = "1.1", http.Timeout = 300;
        for (const std::string& body : c.bodies) {
            Get(http, server.Url("/"));
            if (body == "one") LoopbackPeer::Pause(50);  // let a close or leftover bytes arrive
            EXPECT_EQ(Body(http).substr(0, body.size()), body);
        }
        EXPECT_EQ(server.requests.size(), c.bodies.size());
    }
}

TEST(HttpKeepAlive, ConnectionCloseInAnySpellingEndsTheConnection) {
    for (const char* header : {"Connection: close", "Connection:close", "connection: Close",
                               "CONNECTION: keep-alive, close", "Connection: keep-alive"}) {
        Server server(
            {{std::string("HTTP/1.1 200 OK\r\n") + header + "\r\nContent-Length: 2\r\n\r\nok", true}});
        HttpRequest http;
        http.Protocol = "1.1";
        EXPECT_TRUE(Get(http, server.Url("/")));
        const bool closes = std::string(header).ends_with("lose");
        EXPECT_EQ(http.Sock().Socket() == INVALID_SOCKET, closes) << header;
        EXPECT_EQ(http.AliveHost(), closes ? "" : "127.0.0.1") << header;
        http.Sock().CloseSocket();
    }
}

TEST(HttpCookies, StoredReplacedDroppedAndSent) {
    const std::string nul("Set-Cookie: bad=x\0y\r\n", 21);
    Server server(
        {{"HTTP/1.0 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: B = two \r\nSet-Cookie: c=3\r\n" + nul +
          "\r\n"},
         {"HTTP/1.0 200 OK\r\nSet-Cookie: a=; path=/\r\nSet-Cookie: flag\r\n\r\n"},
         {kEmpty200}},
        3);
    HttpRequest http;
    EXPECT_TRUE(Get(http, server.Url("/")));
    EXPECT_EQ(http.Cookies(), (std::vector<std::string>{"a=1", "B=two", "c=3"}));
    EXPECT_TRUE(Get(http, server.Url("/")));
    EXPECT_EQ(http.Cookies(), (std::vector<std::string>{"B=two", "c=3", "flag=flag"}));
    EXPECT_TRUE(Get(http, server.Url("/")));
    ASSERT_EQ(server.requests.size(), 3u);
    EXPECT_NE(server.requests[2].find("\r\nCookie: B=two; c=3; flag=flag\r\n"), std::string::npos);
}

// The gateway's GET: bytes that keep coming end at the whole request's deadline, as no reply (its
// other failures are the gateway's simulator tests').
TEST(HttpFetchTest, ATrickleEndsAtTheDeadlineAsNoReply) {
    Server server({{"HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\n", false, "100\r\n0\r\n", 60}});
    const FetchResult result =
        HttpFetch(server.Url("/"), {std::chrono::milliseconds(1000), 64, std::chrono::milliseconds(300)}, 0);
    EXPECT_EQ(result.status, kFetchTimedOut);
    EXPECT_EQ(result.body, "");
}

}  // namespace
}  // namespace xunda
