#include "net/loopback_peer.h"
#include "net/net_socket.h"
#include "net/net_text.h"
#include "net/tcp_socket.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace xunda {
namespace {

using test::LoopbackPeer;

// A stream socket (the base class asks for type 0, which no platform serves).
class StreamSocket : public NetSocket {
public:
    ~StreamSocket() override { CloseSocket(); }

protected:
    int SocketType() override { return SOCK_STREAM; }
    int SocketProtocol() override { return IPPROTO_TCP; }
};

// Sends each packet with a pause between them, then closes.
LoopbackPeer Packets(std::vector<std::string> packets, int pauseMs = 50) {
    return LoopbackPeer([packets, pauseMs](int c) {
        for (const std::string& p : packets) {
            LoopbackPeer::Send(c, p);
            LoopbackPeer::Pause(pauseMs);
        }
    });
}

TEST(LineReading, LineEndsInOnePacketOrSplitAcrossPackets) {
    const struct Case {
        std::vector<std::string> packets;
        bool convert;
        std::vector<std::string> lines;
    } cases[] = {
        {{"a\r\nb\r\n"}, true, {"a", "b"}},
        {{"a\nb\n"}, true, {"a", "b"}},
        {{"a\rb\r"}, true, {"a", "b"}},
        {{"a\n\rb\n\r"}, true, {"a", "b"}},
        {{"a\r", "\nb\r\n", "c\n", "\rd\r\n"}, true, {"a", "b", "c", "d"}},
        {{"a\nb\r", "\nc\r\n"}, false, {"a\nb", "c"}},  // without conversion only CR LF ends a line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.packets));
        LoopbackPeer peer = Packets(c.packets);
        StreamSocket s;
        s.ConvertLineEnd = c.convert;
        s.Connect("127.0.0.1", peer.Port());
        ASSERT_EQ(s.LastError(), 0);
        for (const std::string& line : c.lines) EXPECT_EQ(s.ReceiveLine(2000), line);
    }
}

TEST(LineReading, LimitAppliesPerLine) {
    std::string many;
    for (int i = 0; i < 200; ++i) many += "line" + std::to_string(i) + "\r\n";
    LoopbackPeer peer = Packets({many, std::string(100, 'x') + "\r\n"});
    StreamSocket s;
    s.MaxLineLength = 64;
    s.Connect("127.0.0.1", peer.Port());
    for (int i = 0; i < 200; ++i) ASSERT_EQ(s.ReceiveLine(2000), "line" + std::to_string(i)) << s.LastError();
    EXPECT_EQ(s.ReceiveLine(2000), "");
    EXPECT_EQ(s.LastError(), WSAENOBUFS);
    EXPECT_FALSE(s.LineBuffer().empty());  // what was read stays buffered
}

TEST(LineReading, ExactReadLeavesTheRestBufferedAndTheCloseGives10054) {
    LoopbackPeer peer = Packets({"0123456789abcde"});
    StreamSocket s;
    s.Connect("127.0.0.1", peer.Port());
    char buffer[10];
    EXPECT_EQ(s.ReceiveExact(buffer, 10, 2000), 10);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_EQ(s.LineBuffer(), "abcde");
    EXPECT_TRUE(s.WaitReadableBuffered(0));
    EXPECT_EQ(s.ReceiveAvailable(0), "abcde");
    EXPECT_EQ(s.ReceiveBlock(200), "");  // the peer closed: 10054, as an orderly end
    EXPECT_EQ(s.LastError(), WSAECONNRESET);
    EXPECT_TRUE(s.EndOfStream());
}

TEST(LineReading, BlocksAndIntegersLeastSignificantFirst) {
    std::string received;
    LoopbackPeer peer([&](int c) {
        received = LoopbackPeer::ReadSome(c);
        LoopbackPeer::Send(c, std::string("\x03\x00\x00\x00xyz\x2A\x00\x00\x00", 11));
    });
    StreamSocket s;
    s.Connect("127.0.0.1", peer.Port());
    EXPECT_EQ(s.SendBlock(""), 4);
    EXPECT_EQ(s.ReceiveBlock(2000), "xyz");
    EXPECT_EQ(s.ReceiveInteger(2000), 42);
    EXPECT_EQ(received, std::string(4, '\0'));
}

TEST(PeerEnds, ResetIsNoOrderlyEnd) {
    LoopbackPeer peer([](int c) {
        LoopbackPeer::Send(c, "partial");
        LoopbackPeer::Pause(50);
        LoopbackPeer::Reset(c);
    });
    StreamSocket s;
    s.Connect("127.0.0.1", peer.Port());
    std::string got;
    while (s.LastError() == 0) got += s.ReceiveAvailable(2000);
    EXPECT_EQ(got, "partial");
    EXPECT_EQ(s.LastError(), WSAECONNRESET);
    EXPECT_FALSE(s.EndOfStream());
}

TEST(PeerEnds, SilenceGives10060AfterTheTimeout) {
    LoopbackPeer peer([](int c) { LoopbackPeer::ReadSome(c, 3000); });
    StreamSocket s;
    std::vector<std::string> errors;
    s.OnStatus = [&](NetSocket&, THookSocketReason reason, const std::string& value) {
        if (reason == THookSocketReason::HR_Error) errors.push_back(value);
    };
    s.Connect("127.0.0.1", peer.Port());
    std::uint64_t start = MonotonicMs();
    EXPECT_EQ(s.ReceiveLine(200), "");
    std::uint64_t elapsed = MonotonicMs() - start;
    EXPECT_EQ(s.LastError(), WSAETIMEDOUT);
    EXPECT_EQ(s.LastErrorDesc(), "Connection timed out");
    EXPECT_GE(elapsed, 180u);
    EXPECT_LT(elapsed, 2000u);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), "10060,Connection timed out");
    s.SendString("x");  // let the peer go
}

TEST(PeerEnds, TheReceiveTimeoutOptionGives10060) {
    LoopbackPeer peer([](int c) { LoopbackPeer::ReadSome(c, 3000); });
    StreamSocket s;
    s.SetReceiveTimeout(100);
    s.Connect("127.0.0.1", peer.Port());
    char c;
    EXPECT_EQ(s.ReceiveBuffer(&c, 1), -1);  // a blocking read that the option ends
    EXPECT_EQ(s.LastError(), WSAETIMEDOUT);
    EXPECT_EQ(s.LastErrorDesc(), "Connection timed out");
    s.SendString("x");  // let the peer go
}

// Eight bytes 60 ms apart, then the line end: 480 ms in all, each gap far below 300 ms.
LoopbackPeer SlowLine() {
    return LoopbackPeer([](int c) {
        for (int i = 0; i < 8; ++i) {
            LoopbackPeer::Send(c, "x");
            LoopbackPeer::Pause(60);
        }
        LoopbackPeer::Send(c, "\r\n");
    });
}

TEST(PeerEnds, InterPacketTimeoutBoundsEachWaitOrTheWholeLine) {
    LoopbackPeer each = SlowLine();
    StreamSocket s;
    s.Connect("127.0.0.1", each.Port());
    EXPECT_EQ(s.ReceiveLine(300), "xxxxxxxx");
    EXPECT_EQ(s.LastError(), 0);

    LoopbackPeer whole = SlowLine();
    StreamSocket t;
    t.InterPacketTimeout = false;
    t.Connect("127.0.0.1", whole.Port());
    EXPECT_EQ(t.ReceiveLine(200), "");
    EXPECT_EQ(t.LastError(), WSAETIMEDOUT);
}

TEST(PeerEnds, SendAfterPeerCloseSurvives) {
    LoopbackPeer peer([](int c) { LoopbackPeer::Reset(c); });
    StreamSocket s;
    s.Connect("127.0.0.1", peer.Port());
    LoopbackPeer::Pause(100);
    std::string big(1 << 16, 'x');
    int error = 0;
    for (int i = 0; i < 20 && error == 0; ++i) {
        s.SendString(big);
        error = s.LastError();
    }
    EXPECT_EQ(error, WSAECONNRESET);  // and no SIGPIPE ended the program
}

TEST(PeerEnds, StopFlagAbortsTheNextTransfer) {
    LoopbackPeer peer([](int c) { LoopbackPeer::ReadSome(c, 500); });
    StreamSocket s;
    s.Connect("127.0.0.1", peer.Port());
    s.StopFlag = true;
    EXPECT_EQ(s.SendString("abc"), 0);
    EXPECT_EQ(s.LastError(), WSAECONNABORTED);
    EXPECT_FALSE(s.StopFlag);
    EXPECT_EQ(s.SendString("abc"), 3);
    s.StopFlag = true;
    char c;
    EXPECT_EQ(s.ReceiveBuffer(&c, 1), 0);
    EXPECT_EQ(s.LastError(), WSAECONNABORTED);
}

TEST(Waiting, DescriptorAbove1024) {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < 1100) {
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 2048);
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur < 1100) GTEST_SKIP() << "cannot open descriptors above 1024";
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    int high = fcntl(pair[0], F_DUPFD_CLOEXEC, 1500);
    ASSERT_GE(high, 1024);
    ::close(pair[0]);
    StreamSocket s;
    s.AttachSocket(high);
    EXPECT_FALSE(s.WaitReadable(50));
    ASSERT_EQ(::write(pair[1], "hi", 2), 2);
    EXPECT_TRUE(s.WaitReadable(1000));
    EXPECT_EQ(s.ReceiveAvailable(1000), "hi");
    ::close(pair[1]);
}

TEST(Waiting, InterruptedWaitsGoOnWithTheTimeLeft) {
    LoopbackPeer peer([](int c) { LoopbackPeer::ReadSome(c, 1000); });
    StreamSocket s;
    s.Connect("127.0.0.1", peer.Port());
    struct sigaction action {}, saved {};
    action.sa_handler = [](int) {};
    sigaction(SIGALRM, &action, &saved);  // no SA_RESTART: the wait sees EINTR
    itimerval timer{{0, 0}, {0, 50000}};
    setitimer(ITIMER_REAL, &timer, nullptr);
    std::uint64_t start = MonotonicMs();
    EXPECT_EQ(s.ReceiveLine(250), "");
    std::uint64_t elapsed = MonotonicMs() - start;
    sigaction(SIGALRM, &saved, nullptr);
    EXPECT_EQ(s.LastError(), WSAETIMEDOUT);
    EXPECT_GE(elapsed, 230u);
    s.SendString("x");
}

TEST(Connecting, RefusedAndBoundedByTheConnectTimeout) {
    test::RefusedPort port;
    StreamSocket refused;
    refused.Connect("127.0.0.1", port.Port());
    EXPECT_EQ(refused.LastError(), 10061);

    // A connect that never completes: the platform reports it in progress and nothing answers.
    SocketFunctions saved = SocketApi();
    SocketApiForTest().connect = [](SocketHandle, const sockaddr*, int) { return SOCKET_ERROR; };
    SocketApiForTest().WSAGetLastError = [] { return WSAEINPROGRESS; };
    SocketApiForTest().WSAPoll = [](pollfd*, nfds_t, int timeout) {
        SleepMs(static_cast<std::uint32_t>(timeout));
        return 0;
    };
    StreamSocket s;
    s.ConnectTimeout = 150;
    std::uint64_t start = MonotonicMs();
    s.Connect("127.0.0.1", "9");
    std::uint64_t elapsed = MonotonicMs() - start;
    SocketApiForTest() = saved;
    EXPECT_EQ(s.LastError(), WSAETIMEDOUT);
    EXPECT_GE(elapsed, 140u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(Options, QueuedUntilASocketExistsAndDroppedByClose) {
    LoopbackPeer peer([](int c) { LoopbackPeer::ReadSome(c, 500); });
    auto receiveTimeout = [](NetSocket& s) {
        timeval tv{};
        socklen_t length = sizeof tv;
        getsockopt(s.Socket(), SOL_SOCKET, SO_RCVTIMEO, &tv, &length);
        return tv.tv_sec * 1000 + tv.tv_usec / 1000;
    };
    StreamSocket s;
    s.SetReceiveTimeout(1500);
    s.Connect("127.0.0.1", peer.Port());
    EXPECT_EQ(receiveTimeout(s), 1500);
    s.CloseSocket();

    LoopbackPeer second([](int c) { LoopbackPeer::ReadSome(c, 500); });
    s.SetReceiveTimeout(700);
    s.CloseSocket();
    s.Connect("127.0.0.1", second.Port());
    EXPECT_EQ(receiveTimeout(s), 0);
}

TEST(Options, BindOfTheWildcardOnAFreshObjectDoesNothing) {
    int events = 0;
    StreamSocket s;
    s.OnStatus = [&](NetSocket&, THookSocketReason, const std::string&) { ++events; };
    s.Bind("0.0.0.0", "0");
    EXPECT_EQ(s.Socket(), INVALID_SOCKET);
    EXPECT_EQ(events, 0);
    s.Bind("127.0.0.1", "0");
    EXPECT_TRUE(s.Bound());
    EXPECT_EQ(s.LocalIP(), "127.0.0.1");
    EXPECT_GT(s.LocalPort(), 0);
}

TEST(Limits, BandwidthDelaysTheNextSend) {
    LoopbackPeer peer([](int c) {
        for (int i = 0; i < 3; ++i) LoopbackPeer::ReadSome(c, 2000);
    });
    StreamSocket s;
    s.SetMaxBandwidth(1000);
    std::string waited;
    s.OnStatus = [&](NetSocket&, THookSocketReason reason, const std::string& value) {
        if (reason == THookSocketReason::HR_Wait) waited = value;
    };
    s.Connect("127.0.0.1", peer.Port());
    std::uint64_t start = MonotonicMs();
    s.SendString(std::string(200, 'x'));
    s.SendString("y");
    std::uint64_t elapsed = MonotonicMs() - start;
    EXPECT_GE(elapsed, 150u);
    EXPECT_LT(elapsed, 1500u);
    EXPECT_FALSE(waited.empty());
    s.SendMaxChunk = 0;  // counts as the default, no division by zero
    s.SetMaxBandwidth(0);
    EXPECT_EQ(s.SendString("abc"), 3);
    EXPECT_EQ(s.BytesSent(), 204);
}

TEST(Limits, PurgeIsBoundedAgainstAFloodingPeer) {
    std::atomic<bool> stop{false};
    LoopbackPeer peer([&](int c) {
        std::string chunk(65536, 'z');
        std::uint64_t end = MonotonicMs() + 3000;
        while (!stop && MonotonicMs() < end) LoopbackPeer::Send(c, chunk);
    });
    StreamSocket s;
    s.Connect("127.0.0.1", peer.Port());
    s.ReceiveAvailable(1000);
    std::uint64_t start = MonotonicMs();
    s.Purge();
    EXPECT_LT(MonotonicMs() - start, 2500u);
    EXPECT_EQ(s.LastError(), 0);
    stop = true;
    s.CloseSocket();
}

class DatagramSocket : public NetSocket {
protected:
    int SocketType() override { return SOCK_DGRAM; }
    int SocketProtocol() override { return IPPROTO_UDP; }
};

TEST(Addresses, StatusReportsOfAConnect) {
    LoopbackPeer peer([](int c) { LoopbackPeer::ReadSome(c, 300); });
    std::vector<std::string> events;  // outlives the socket, whose close reports too
    StreamSocket s;
    s.OnStatus = [&](NetSocket&, THookSocketReason reason, const std::string& value) {
        events.push_back(std::to_string(static_cast<int>(reason)) + ":" + value);
    };
    s.Connect("127.0.0.1", peer.Port());
    const std::string target = "127.0.0.1:" + peer.Port();
    EXPECT_EQ(events, (std::vector<std::string>{"0:" + target, "1:" + target, "2:IPv4", "5:" + target}));
    EXPECT_EQ(s.RemoteIP(), "127.0.0.1");
    EXPECT_EQ(std::to_string(s.RemotePort()), peer.Port());
    EXPECT_EQ(s.LocalIP(), "127.0.0.1");
}

TEST(Addresses, DatagramsToAndFromTheRemoteAddress) {
    DatagramSocket s;
    s.Bind("127.0.0.1", "0");
    ASSERT_EQ(s.LastError(), 0);
    s.RemoteAddr() = s.LocalAddr();  // to itself
    EXPECT_EQ(s.SendBufferTo("ping", 4), 4);
    char buffer[16] = {};
    EXPECT_EQ(s.ReceiveBufferFrom(buffer, sizeof buffer), 4);
    EXPECT_EQ(std::string(buffer, 4), "ping");
    EXPECT_EQ(s.BytesSent(), 4);
    EXPECT_EQ(s.BytesReceived(), 4);
}

TEST(Addresses, ListenWithoutAProxy) {
    TcpSocket listener;
    listener.Bind("127.0.0.1", "0");
    listener.Listen();
    ASSERT_EQ(listener.LastError(), 0);
    ASSERT_GT(listener.LocalPort(), 0);
    StreamSocket caller;
    caller.Connect("127.0.0.1", std::to_string(listener.LocalPort()));
    EXPECT_EQ(caller.LastError(), 0);
}

MemoryStream StreamOf(const std::string& bytes) {
    MemoryStream stream;
    WriteBytesToStream(stream, bytes);
    stream.SetPosition(0);
    return stream;
}

TEST(Streams, SizedTransfersBothByteOrders) {
    std::string received;
    LoopbackPeer peer([&](int c) {
        received = LoopbackPeer::ReadExactly(c, 4 + 5 + 4 + 3 + 2);
        LoopbackPeer::Send(c, received + received);  // echoed twice
    });
    StreamSocket s;
    s.SendMaxChunk = 2;  // pieces smaller than the data
    s.Connect("127.0.0.1", peer.Port());
    MemoryStream little = StreamOf("hello"), big = StreamOf("abc"), raw = StreamOf("xyz");
    raw.SetPosition(1);
    s.SendStream(little);
    s.SendStreamBigEndian(big);
    s.SendStreamRaw(raw);
    MemoryStream atEnd = StreamOf("ignored");
    atEnd.Seek(0, SeekOrigin::End);
    s.SendStream(atEnd);  // nothing at all, not even the length
    EXPECT_EQ(s.ReceiveExactString(18, 2000), std::string("\x05\x00\x00\x00hello\x00\x00\x00\x03" "abcyz", 18));

    MemoryStream in;
    s.ReceiveStream(in, 2000);
    EXPECT_EQ(in.Bytes(), "hello");
    s.ReceiveStreamBigEndian(in, 2000);
    EXPECT_EQ(in.Bytes(), "helloabc");
    s.ReceiveStreamSized(in, 2000, 0);
    EXPECT_EQ(in.Bytes(), "helloabc");
    s.ReceiveStreamRaw(in, 300);
    EXPECT_EQ(in.Bytes(), "helloabcyz");
    EXPECT_EQ(s.LastError(), WSAECONNRESET);

    in.SetPosition(5);
    EXPECT_EQ(ReadBytesFromStream(in, 100), "abcyz");
    EXPECT_EQ(ReadBytesFromStream(in, 100), "");
}

}  // namespace
}  // namespace xunda
