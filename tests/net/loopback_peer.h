// In-process loopback helpers for socket tests: a TCP peer on 127.0.0.1 that accepts connections one
// after another and runs a script on each in its own thread, and a port where connects are refused.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace xunda::test {

// A TCP socket bound to a free port of 127.0.0.1; its port goes to Port.
inline int BoundLoopbackSocket(std::string& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0)
        throw std::runtime_error("loopback socket: cannot bind");
    port = std::to_string(ntohs(a.sin_port));
    return fd;
}

class LoopbackPeer {
  public:
    using Script = std::function<void(int connection)>;
    // Runs Script on each of up to Connections connections; gives up waiting for one after 5 s.
    explicit LoopbackPeer(Script script, int connections = 1);
    ~LoopbackPeer();
    std::string Port() const { return port_; }

    // Helpers for scripts; every read gives up after 2 s.
    static void Send(int connection, const std::string& bytes);
    static std::string ReadSome(int connection, int timeoutMs = 2000);
    static std::string ReadUntil(int connection, const std::string& terminator);
    static std::string ReadExactly(int connection, std::size_t count);
    static void Pause(int ms);
    // Closes with RST instead of an orderly FIN.
    static void Reset(int connection);

  private:
    std::string port_;  // before listener_, which is made with it
    int listener_;
    std::thread thread_;
};

// A loopback port that is bound but not listening: connects are refused, and no other test can take
// the port while the object lives.
class RefusedPort {
  public:
    RefusedPort() : fd_(BoundLoopbackSocket(port_)) {}
    ~RefusedPort() { ::close(fd_); }
    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;
    const std::string& Port() const { return port_; }

  private:
    std::string port_;  // before fd_, which is made with it
    int fd_;
};

}  // namespace xunda::test
