// GETs through the real peers the fixture started; each passed its own curl check first.
#include "peers/real_peers.h"

#include <gtest/gtest.h>

#include <functional>

#include "net/http_request.h"
#include "support/temp_dir.h"

namespace xunda {
namespace {

test::RealPeers peers;

std::string File(const std::string& name) {
    return test::ReadFile(peers.Www() + "/" + name);
}

std::string Port(const std::string& name) {
    return peers.Port(name);
}

TEST(RealPeers, EveryRouteFetchesWholeFiles) {
    const std::string nginx = "http://127.0.0.1:" + Port("nginx");
    std::string chunked;
    for (int i = 0; i < 50; ++i) chunked += "chunked body of NGINX\n";
    const struct Case {
        std::string name;
        std::function<void(HttpRequest&)> route;
    } cases[] = {
        {"direct HTTP/1.1", [](HttpRequest& h) { h.Protocol = "1.1"; }},
        {"direct HTTP/1.0", [](HttpRequest&) {}},
        {"tinyproxy",
         [](HttpRequest& h) {
             h.ProxyHost = "127.0.0.1", h.ProxyPort = Port("tinyproxy"), h.ProxyUser = "user",
             h.ProxyPass = "secret";
         }},
        {"dante socks5",
         [](HttpRequest& h) { h.Sock().SocksIP = "127.0.0.1", h.Sock().SocksPort = Port("dante"); }},
        {"dante socks4",
         [](HttpRequest& h) {
             h.Sock().SocksIP = "127.0.0.1", h.Sock().SocksPort = Port("dante");
             h.Sock().SocksType = SocksVersion::ST_Socks4;
         }},
        {"microsocks",
         [](HttpRequest& h) {
             h.Sock().SocksIP = "127.0.0.1", h.Sock().SocksPort = Port("microsocks");
             h.Sock().SocksUsername = "user", h.Sock().SocksPassword = "secret";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpRequest http;
        http.Timeout = 5000;
        c.route(http);
        using Get = std::pair<const char*, std::string>;
        for (const auto& [path, body] : {Get{"/hello.txt", File("hello.txt")}, Get{"/chunked.txt", chunked},
                                         Get{"/big.bin", File("big.bin")}, Get{"/missing", ""}}) {
            http.Clear();
            EXPECT_TRUE(http.ExecuteMethod("GET", nginx + path))
                << path << " error " << http.Sock().LastError();
            EXPECT_EQ(http.ResultCode(), body.empty() ? 404 : 200) << path;
            EXPECT_TRUE(body.empty() || http.Document().Bytes() == body)
                << path;  // 404 pages are nginx's own
        }
        // HTTP/1.1 straight to nginx keeps one connection for all four.
        EXPECT_EQ(http.AliveHost().empty(), c.name != "direct HTTP/1.1");
    }
}

}  // namespace
}  // namespace xunda
