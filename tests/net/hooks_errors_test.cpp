#include "net/loopback_peer.h"
#include "net/net_text.h"
#include "net/tcp_socket.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

using test::LoopbackPeer;
using test::RefusedPort;

TEST(Hooks, CreateMonitorFilterAndCounts) {
    LoopbackPeer peer([](int c) {
        LoopbackPeer::ReadSome(c);
        LoopbackPeer::Send(c, "abcdef");
        LoopbackPeer::ReadSome(c, 500);
    });
    std::vector<std::string> monitored, counts;
    int created = 0;
    TcpSocket s;
    s.OnCreateSocket = [&](NetSocket& sender) {
        ++created;
        EXPECT_NE(sender.Socket(), INVALID_SOCKET);
    };
    s.OnMonitor = [&](NetSocket&, bool writing, const char* buffer, int length) {
        monitored.push_back((writing ? "sent " : "received ") + std::string(buffer, static_cast<std::size_t>(length)));
    };
    // A longer result is cut back to the length that was read.
    s.OnReadFilter = [](NetSocket&, std::string& value) { value = "X" + value; };
    s.OnStatus = [&](NetSocket&, THookSocketReason reason, const std::string& value) {
        if (reason == THookSocketReason::HR_ReadCount) counts.push_back("read " + value);
        if (reason == THookSocketReason::HR_WriteCount) counts.push_back("wrote " + value);
    };
    s.Connect("127.0.0.1", peer.Port());
    EXPECT_EQ(created, 1);
    EXPECT_EQ(s.SendString("hi"), 2);
    EXPECT_EQ(s.ReceiveExactString(6, 2000), "Xabcde");
    EXPECT_EQ(monitored, (std::vector<std::string>{"sent hi", "received abcdef"}));
    EXPECT_EQ(counts, (std::vector<std::string>{"wrote 2", "read 6"}));
    EXPECT_EQ(s.BytesSent(), 2);
    EXPECT_EQ(s.BytesReceived(), 6);
    s.OnStatus = nullptr;
}

TEST(Hooks, OneCloseReportWhenAConnectedSocketGoes) {
    LoopbackPeer peer([](int c) { LoopbackPeer::ReadSome(c, 300); });
    int closes = 0;
    {
        TcpSocket s;
        s.OnStatus = [&](NetSocket&, THookSocketReason reason, const std::string&) {
            if (reason == THookSocketReason::HR_SocketClose) ++closes;
        };
        s.Connect("127.0.0.1", peer.Port());
        ASSERT_EQ(s.LastError(), 0);
    }
    EXPECT_EQ(closes, 1);
}

TEST(Hooks, PeekAndSingleBytes) {
    LoopbackPeer peer([](int c) { LoopbackPeer::Send(c, "xy"); });
    TcpSocket s;
    s.Connect("127.0.0.1", peer.Port());
    EXPECT_EQ(s.PeekByte(2000), 'x');
    EXPECT_EQ(s.ReceiveByte(2000), 'x');
    EXPECT_EQ(s.ReceiveByte(2000), 'y');
    EXPECT_EQ(s.ReceiveByte(2000), 0);
    EXPECT_EQ(s.LastError(), WSAECONNRESET);
}

TEST(Errors, RaiseExceptThrowsTheCodeAndItsText) {
    RefusedPort refused;
    TcpSocket s;
    s.RaiseExcept = true;
    try {
        s.Connect("127.0.0.1", refused.Port());
        ADD_FAILURE() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_STREQ(e.what(), "TCP/IP socket error 10061: Connection refused");
        EXPECT_EQ(e.ErrorCode, 10061);
        EXPECT_EQ(e.ErrorMessage, "Connection refused");
    }
    EXPECT_EQ(s.LastErrorDesc(), "Connection refused");
    s.RaiseExcept = false;
}

TEST(Errors, WaitsWithoutASocketFailAtOnce) {
    TcpSocket s;
    const std::uint64_t start = MonotonicMs();
    EXPECT_EQ(s.ReceiveLine(5000), "");
    EXPECT_EQ(s.LastError(), WSAENOTSOCK);
    EXPECT_FALSE(s.WaitWritable(5000));
    EXPECT_EQ(s.LastErrorDesc(), "Socket operation on nonsocket");
    EXPECT_LT(MonotonicMs() - start, 2000u);
}

TEST(Errors, AnUnreachableSocksProxyKeepsItsErrorAndTheLastConnection) {
    RefusedPort refused;
    TcpSocket s;
    s.SocksIP = "127.0.0.1";
    s.SocksPort = refused.Port();
    s.SocksRemoteIP = "earlier.test";
    s.Connect("example.test", "80");
    EXPECT_EQ(s.LastError(), 10061);
    EXPECT_EQ(s.SocksRemoteIP, "earlier.test");
    s.CloseSocket();
    s.Listen();
    EXPECT_EQ(s.LastError(), 10061);
}

}  // namespace
}  // namespace xunda
