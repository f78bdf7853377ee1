// The SSL plug-in point: the layer a TCP socket is made with, and what the socket does through it.
#include "net/ssl_layer.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cctype>

#include "net/http_request.h"
#include "net/loopback_peer.h"
#include "net/tcp_socket.h"

namespace xunda {
namespace {

using test::LoopbackPeer;

// A stand-in for a real layer: it "encrypts" by flipping the case of letters.
class CaseFlipLayer : public CustomSSL {
  public:
    using CustomSSL::CustomSSL;
    std::string LibName() override { return "case-flip"; }
    bool Connect() override { return SslConnected = true; }
    bool Shutdown() override {
        SslConnected = false;
        ++shutdowns;
        return true;
    }
    int SendBuffer(const char* buffer, int length) override {
        std::string flipped(buffer, static_cast<std::size_t>(length));
        Flip(flipped.data(), length);
        return static_cast<int>(::send(Owner().Socket(), flipped.data(), flipped.size(), MSG_NOSIGNAL));
    }
    int ReceiveBuffer(char* buffer, int length) override {
        ++receives;
        const int n = static_cast<int>(::recv(Owner().Socket(), buffer, static_cast<std::size_t>(length), 0));
        Flip(buffer, n);
        return n;
    }
    int PendingBytes() override { return 0; }  // the socket's own count then
    static inline int shutdowns = 0;
    static inline int receives = 0;

    static void Flip(char* bytes, int length) {
        for (int i = 0; i < length; ++i)
            if (std::isalpha(static_cast<unsigned char>(bytes[i]))) bytes[i] ^= 0x20;
    }
    static std::string Flipped(std::string text) {
        Flip(text.data(), static_cast<int>(text.size()));
        return text;
    }
};

TEST(SSLPlugIn, WithoutALayerEveryQueryHasItsDefaultAndTheConnectFails) {
    TcpSocket s;
    CustomSSL& ssl = s.SSL();
    EXPECT_EQ(ssl.LibName() + "|" + ssl.LibVersion(), "ssl_none|Without SSL support");
    EXPECT_EQ(ssl.GetSSLVersion() + ssl.GetPeerSubject() + ssl.GetPeerIssuer() + ssl.GetPeerName() +
                  ssl.GetPeerFingerprint() + ssl.GetCertInfo() + ssl.GetCipherName(),
              "");
    EXPECT_EQ(std::tuple(ssl.GetCipherBits(), ssl.GetCipherAlgBits(), ssl.GetVerifyCert()),
              std::tuple(0, 0, 1));
    s.StartSsl();
    EXPECT_EQ(s.LastError(), WSASYSNOTREADY);
    EXPECT_EQ(std::pair(ssl.LastError, ssl.LastErrorDesc),
              std::pair(-1, std::string("SLL is not implemented!")));
    EXPECT_FALSE(ssl.SslConnected);
}

TEST(SSLPlugIn, SocketsMadeAfterTheClassIsSetSendReceiveAndCloseThroughItsLayer) {
    LoopbackPeer peer([](int c) {
        EXPECT_EQ(LoopbackPeer::ReadExactly(c, 13), "plain HELLO\r\n");  // as the layer put it on the wire
        LoopbackPeer::Send(c, "wORLD\r\n");
        LoopbackPeer::ReadSome(c, 1000);
    });
    TcpSocket before;
    SetSSLClass(&MakeSSL<CaseFlipLayer>);
    TcpSocket s;
    SetSSLClass(nullptr);
    TcpSocket after;
    EXPECT_EQ(before.SSL().LibName() + "|" + s.SSL().LibName() + "|" + after.SSL().LibName(),
              "ssl_none|case-flip|ssl_none");

    s.Connect("127.0.0.1", peer.Port());
    s.SendString("plain ");  // before the SSL connection: straight to the socket
    s.StartSsl();
    ASSERT_EQ(s.LastError(), 0);
    EXPECT_EQ(s.SendString("hello\r\n"), 7);
    EXPECT_EQ(s.ReceiveLine(2000), "World");
    s.CloseSocket();
    EXPECT_EQ(CaseFlipLayer::shutdowns, 1);
    EXPECT_FALSE(s.SSL().SslConnected);
}

// The layer's orderly end (0 bytes, no error) ends a body that runs to the close, as the plain
// socket's end does: read whole in a few reads, not read again and again until the deadline.
TEST(SSLPlugIn, ABodyThatRunsToTheCloseEndsWithTheLayersEndOfStream) {
    const std::string body(200000, 'b');
    LoopbackPeer peer([&](int c) {
        LoopbackPeer::ReadUntil(c, "\r\n\r\n");
        LoopbackPeer::Send(
            c, CaseFlipLayer::Flipped("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body));
    });
    SetSSLClass(&MakeSSL<CaseFlipLayer>);
    HttpRequest http;
    SetSSLClass(nullptr);
    http.Timeout = 5000;
    http.Deadline = 5000;
    CaseFlipLayer::receives = 0;
    EXPECT_TRUE(http.ExecuteMethod("GET", "https://127.0.0.1:" + peer.Port() + "/"));
    EXPECT_EQ(http.ResultCode(), 200);
    EXPECT_EQ(http.Document().Bytes(), body);
    EXPECT_LE(CaseFlipLayer::receives, 64);
}

}  // namespace
}  // namespace xunda
