#include "net/loopback_peer.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>

namespace xunda::test {

LoopbackPeer::LoopbackPeer(Script script, int connections) : listener_(BoundLoopbackSocket(port_)) {
    if (::listen(listener_, 4) != 0) throw std::runtime_error("loopback peer: cannot listen");
    thread_ = std::thread([this, script = std::move(script), connections] {
        for (int i = 0; i < connections; ++i) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 5000) != 1) return;
            int c = ::accept(listener_, nullptr, nullptr);
            if (c < 0) return;
            script(c);
            ::close(c);
        }
    });
}

LoopbackPeer::~LoopbackPeer() {
    thread_.join(), ::close(listener_);
}

void LoopbackPeer::Send(int connection, const std::string& bytes) {
    ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string LoopbackPeer::ReadSome(int connection, int timeoutMs) {
    pollfd p{connection, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) != 1) return {};
    char buffer[65536];
    ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// Reads as many bytes as Wanted asks for (0: done) until the peer closes or 2 s pass.
static std::string Read(int connection, const std::function<std::size_t(const std::string&)>& wanted) {
    std::string data;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    char buffer[65536];
    for (std::size_t want; (want = wanted(data)) > 0 && std::chrono::steady_clock::now() < end;) {
        pollfd p{connection, POLLIN, 0};
        if (::poll(&p, 1, 100) != 1) continue;
        ssize_t n = ::recv(connection, buffer, std::min(sizeof buffer, want), 0);
        if (n <= 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

std::string LoopbackPeer::ReadUntil(int connection, const std::string& terminator) {
    return Read(connection, [&](const std::string& data) { return data.ends_with(terminator) ? 0 : 1; });
}

std::string LoopbackPeer::ReadExactly(int connection, std::size_t count) {
    return Read(connection, [&](const std::string& data) { return count - data.size(); });
}

void LoopbackPeer::Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void LoopbackPeer::Reset(int connection) {
    linger l{1, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

}  // namespace xunda::test
