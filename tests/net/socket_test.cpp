#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/time.h>

#include <csignal>

#include "net/loopback_peer.h"
#include "net/net_socket.h"
#include "net/net_text.h"
#include "net/tcp_socket.h"

namespace xunda {
namespace {

using test::LoopbackPeer;

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
    // Packets, whether line ends are converted (without, only CR LF ends a line), the lines.
    using Lines = std::vector<std::string>;
    using Case = std::tuple<Lines, bool, Lines>;
    for (const auto& [packets, convert, lines] :
         {Case{{"a\r\nb\r\n"}, true, {"a", "b"}}, Case{{"a\nb\n"}, true, {"a", "b"}},
          Case{{"a\rb\r"}, true, {"a", "b"}}, Case{{"a\n\rb\n\r"}, true, {"a", "b"}},
          Case{{"a\r", "\nb\r\n", "c\n", "\rd\r\n"}, true, {"a", "b", "c", "d"}},
          Case{{"a\nb\r", "\nc\r\n"}, false, {"a\nb", "c"}}}) {
        SCOPED_TRACE(testing::PrintToString(packets));
        LoopbackPeer peer = Packets(packets);
        TcpSocket s;
        s.Lines.ConvertLineEnd = convert;
        s.Connect("127.0.0.1", peer.Port());
        for (const std::string& line : lines) EXPECT_EQ(s.ReceiveLine(2000), line);
    }
}

TEST(LineReading, TheLimitHoldsALineOfExactlyItsLengthAndNoLonger) {
    LoopbackPeer peer = Packets({"0123\r\n01234\r\n"});
    TcpSocket s;
    s.Lines.MaxLineLength = 4;
    s.Connect("127.0.0.1", peer.Port());
    EXPECT_EQ(s.ReceiveLine(2000), "0123");
    EXPECT_EQ(s.ReceiveLine(2000), "");
    EXPECT_EQ(s.LastError(), WSAENOBUFS);
    EXPECT_EQ(s.Lines.Buffered(), "01234\r\n");  // what was read stays buffered
}

TEST(LineReading, ExactReadsBlocksAndStreamsInBothByteOrders) {
    const std::string wire("\x03\0\0\0xyz\0\0\0\x02yz\x04\x03\x02\x01\0\0\0\0\x02\0\0\0ab", 27);
    std::string received;
    LoopbackPeer peer([&](int c) {
        received = LoopbackPeer::ReadExactly(c, wire.size());
        LoopbackPeer::Send(c, received + "0123456789abcde");
    });
    TcpSocket s;
    s.SendMaxChunk = 2;  // pieces smaller than the data
    s.Connect("127.0.0.1", peer.Port());
    MemoryStream out, in;
    WriteBytesToStream(out, "xyz");
    out.SetPosition(0);
    s.SendStream(out);  // least significant byte of the length first
    out.SetPosition(1);
    s.SendStreamBigEndian(out);
    s.SendStream(out);  // at its end: nothing at all, not even the length
    s.SendInteger(0x01020304);
    s.SendBlock("");
    s.SendBlock("ab");
    s.ReceiveStream(in, 2000);
    s.ReceiveStreamBigEndian(in, 2000);
    EXPECT_EQ(in.Bytes(), "xyzyz");
    EXPECT_EQ(s.ReceiveInteger(2000), 0x01020304);
    EXPECT_EQ(s.ReceiveBlock(2000), "");
    EXPECT_EQ(s.ReceiveBlock(2000), "ab");
    EXPECT_EQ(received, wire);
    char ten[10];
    EXPECT_EQ(s.ReceiveExact(ten, 10, 2000), 10);
    EXPECT_EQ(std::string(ten, 10), "0123456789");
    EXPECT_EQ(s.Lines.Buffered(), "abcde");  // the surplus of the packet, handed out first
    EXPECT_EQ(s.ReceiveByte(2000), 'a');
    s.ReceiveStreamRaw(in, 2000);
    EXPECT_EQ(in.Bytes(), "xyzyzbcde");
    EXPECT_EQ(s.LastError(), WSAECONNRESET);  // the peer closed: an orderly end
    EXPECT_TRUE(s.EndOfStream());
}

TEST(PeerEnds, ResetAndSilenceAreNoOrderlyEnd) {
    for (int error : {WSAECONNRESET, WSAETIMEDOUT}) {
        LoopbackPeer peer([error](int c) {
            LoopbackPeer::Send(c, "partial");
            LoopbackPeer::ReadSome(c, 3000);  // a reset could drop what the client has not read yet
            if (error == WSAETIMEDOUT) LoopbackPeer::ReadSome(c, 3000);
            LoopbackPeer::Reset(c);
        });
        TcpSocket s;
        std::string errors;  // the last error the status hook reported
        s.OnStatus = [&](NetSocket&, HookSocketReason reason, const std::string& value) {
            if (reason == HookSocketReason::HR_Error) errors = value;
        };
        s.Connect("127.0.0.1", peer.Port());
        std::string got;
        while (got.size() < 7 && s.LastError() == 0) got += s.ReceiveAvailable(2000);
        s.SendString("go");
        while (s.LastError() == 0) got += s.ReceiveAvailable(200);
        EXPECT_EQ(got + "|" + errors, "partial|" + std::to_string(error) + "," + GetErrorDesc(error));
        EXPECT_FALSE(s.EndOfStream());
        s.OnStatus = nullptr, s.SendString("x");  // let the peer go
    }
}

TEST(PeerEnds, InterPacketTimeoutBoundsEachWaitOrTheWholeRead) {
    // Twelve bytes 40 ms apart, then the line end: 480 ms in all, each gap far below 200 ms. Each wait
    // bounded by 200 ms, the whole read by 200 ms, the whole read by 1500 ms.
    std::vector<std::string> slowLine(12, "x");
    slowLine.push_back("\r\n");
    for (bool line : {true, false}) {
        for (const auto& [each, timeout, whole] :
             {std::tuple{true, 200, true}, {false, 200, false}, {false, 1500, true}}) {
            LoopbackPeer peer = Packets(slowLine, 40);
            TcpSocket s;
            s.InterPacketTimeout = each;
            s.Connect("127.0.0.1", peer.Port());
            char buffer[12];
            const std::size_t got = line ? s.ReceiveLine(timeout).size()
                                         : static_cast<std::size_t>(s.ReceiveExact(buffer, 12, timeout));
            EXPECT_EQ(got == 12, whole) << line << timeout;
            EXPECT_EQ(s.LastError(), whole ? 0 : WSAETIMEDOUT) << line << timeout;
        }
    }
}

TEST(PeerEnds, TheDeadlineEndsWaitsReadsAndConnectsWhateverTheirTimeOuts) {
    LoopbackPeer flood([](int c) {
        const std::string chunk(4096, 'z');
        for (std::uint64_t end = MonotonicMs() + 1500; MonotonicMs() < end;)
            if (::send(c, chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0) return;  // the socket went
    });
    TcpSocket s;
    s.Connect("127.0.0.1", flood.Port());
    s.ReceiveLimit.Max = 1 << 20;  // a slow reader: there is always data pending
    s.Deadline = MonotonicMs() + 200;
    const std::uint64_t start = MonotonicMs();
    MemoryStream sink;
    s.ReceiveStreamRaw(sink, 60000);  // data keeps coming: only the deadline ends the read
    EXPECT_EQ(s.LastError(), WSAETIMEDOUT);
    EXPECT_LT(MonotonicMs() - start, 1200u);
    EXPECT_FALSE(s.WaitReadable(0));
    EXPECT_EQ(s.LastError(), WSAETIMEDOUT);
    s.Deadline = 0;
    s.CloseSocket();

    // A connect that never completes: the platform reports it in progress and nothing answers.
    SocketFunctions saved = SocketApi();
    SocketApiForTest().connect = [](SocketHandle, const sockaddr*, int) { return SOCKET_ERROR; };
    SocketApiForTest().WSAGetLastError = [] { return WSAEINPROGRESS; };
    SocketApiForTest().WSAPoll = [](pollfd*, nfds_t, int timeout) {
        SleepMs(static_cast<std::uint32_t>(timeout < 0 ? 5000 : timeout));
        return 0;
    };
    for (const auto& [connectTimeout, deadline] : {std::pair{150, 0}, {0, 150}, {60000, 150}}) {
        TcpSocket t;
        t.ConnectTimeout = connectTimeout, t.Deadline = deadline ? MonotonicMs() + deadline : 0;
        const std::uint64_t begin = MonotonicMs();
        t.Connect("127.0.0.1", "9");
        EXPECT_EQ(t.LastError(), WSAETIMEDOUT);
        EXPECT_LT(MonotonicMs() - begin, 1000u);
    }
    SocketApiForTest() = saved;
}

TEST(PeerEnds, SendAfterPeerCloseSurvivesAndStopFlagAbortsTheNextTransfer) {
    LoopbackPeer peer([](int c) { LoopbackPeer::Reset(c); });
    TcpSocket s;
    s.Connect("127.0.0.1", peer.Port());
    s.StopFlag = true;
    EXPECT_EQ(s.SendString("abc"), 0);
    EXPECT_EQ(s.LastError(), WSAECONNABORTED);
    EXPECT_FALSE(s.StopFlag);
    s.StopFlag = true;
    char c;
    EXPECT_EQ(s.ReceiveBuffer(&c, 1), 0);
    EXPECT_EQ(s.LastError(), WSAECONNABORTED);
    LoopbackPeer::Pause(100);
    const std::string big(1 << 16, 'x');
    for (int i = 0; i < 20 && s.LastError() != WSAECONNRESET; ++i) s.SendString(big);
    EXPECT_EQ(s.LastError(), WSAECONNRESET);  // and no SIGPIPE ended the program
}

TEST(Waiting, DescriptorAbove1024AndInterruptedWaits) {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 2048);
    setrlimit(RLIMIT_NOFILE, &limit);
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    int high = fcntl(pair[0], F_DUPFD_CLOEXEC, 1500);
    ::close(pair[0]);
    if (high < 1024) GTEST_SKIP() << "cannot open descriptors above 1024";
    TcpSocket s;
    s.AttachSocket(high);
    // A signal without SA_RESTART interrupts the wait, which goes on with the time left.
    struct sigaction action {
    }, saved{};
    action.sa_handler = [](int) {};
    sigaction(SIGALRM, &action, &saved);
    itimerval timer{{0, 0}, {0, 50000}};
    setitimer(ITIMER_REAL, &timer, nullptr);
    const std::uint64_t start = MonotonicMs();
    EXPECT_EQ(s.ReceiveLine(250), "");
    EXPECT_GE(MonotonicMs() - start, 230u);
    sigaction(SIGALRM, &saved, nullptr);
    EXPECT_EQ(s.LastError(), WSAETIMEDOUT);
    ASSERT_EQ(::write(pair[1], "hi", 2), 2);
    EXPECT_EQ(s.ReceiveAvailable(1000), "hi");
    ::close(pair[1]);
}

TEST(Options, QueuedUntilASocketExistsAndDroppedByClose) {
    // Two connections in turn, each silent until the socket sends something (or 3 s pass).
    LoopbackPeer peer([](int c) { LoopbackPeer::ReadSome(c, 3000); }, 2);
    auto receiveTimeout = [](NetSocket& s) {
        timeval tv{};
        socklen_t length = sizeof tv;
        getsockopt(s.Socket(), SOL_SOCKET, SO_RCVTIMEO, &tv, &length);
        return tv.tv_sec * 1000 + tv.tv_usec / 1000;
    };
    TcpSocket s;
    s.SetReceiveTimeout(1500);
    s.Connect("127.0.0.1", peer.Port());
    EXPECT_EQ(receiveTimeout(s), 1500);
    s.SendString("x"), s.CloseSocket();
    s.SetReceiveTimeout(700), s.CloseSocket();
    s.Connect("127.0.0.1", peer.Port());
    EXPECT_EQ(receiveTimeout(s), 0);
    s.SendString("x");
}

TEST(Names, EveryAddressOfTheSocketsFamilyOrTheAnyAddress) {
    TcpSocket s;
    std::vector<std::string> list{"stale"};
    using List = std::vector<std::string>;
    s.SetFamily(SocketFamily::SF_IP4);
    s.ResolveNameToList("localhost", list);
    EXPECT_EQ(list, List{"127.0.0.1"});
    s.ResolveNameToList("::1", list);  // no IPv4 address
    EXPECT_EQ(list, List{"0.0.0.0"});
    s.SetFamily(SocketFamily::SF_IP6);
    s.ResolveNameToList("::1", list);
    EXPECT_EQ(list, List{"::1"});
    s.SetFamily(SocketFamily::SF_Any);
    s.ResolveNameToList("no-such-host.invalid", list);
    EXPECT_EQ(list, List{"0.0.0.0"});
}

TEST(Errors, RaiseExceptThrowsTheCodeAndItsTextAndWaitsWithoutASocketFailAtOnce) {
    test::RefusedPort refused;
    TcpSocket s;
    s.Bind("0.0.0.0", "0");  // on a fresh socket: nothing at all
    EXPECT_EQ(s.Socket(), INVALID_SOCKET);
    s.RaiseExcept = true;
    try {
        s.Connect("127.0.0.1", refused.Port());
        ADD_FAILURE() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.what() + std::to_string(e.ErrorCode) + e.ErrorMessage,
                  "TCP/IP socket error 10061: Connection refused10061Connection refused");
    }
    s.RaiseExcept = false, s.CloseSocket();
    const std::uint64_t start = MonotonicMs();
    EXPECT_EQ(s.ReceiveLine(5000), "");
    EXPECT_EQ(s.LastError(), WSAENOTSOCK);
    EXPECT_FALSE(s.WaitWritable(5000));
    EXPECT_LT(MonotonicMs() - start, 2000u);
}

}  // namespace
}  // namespace xunda
