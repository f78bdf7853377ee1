// A bare HTTP client on a raw socket: sends one GET, reads everything until the server closes.
#pragma once

#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace xunda::test {

// The whole answer of the server on 127.0.0.1:port to "GET <target> HTTP/1.0" (empty when it closed
// at once); a silence of 20 seconds ends the read.
inline std::string RawGet(std::uint16_t port, const std::string& target) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{.sin_family = AF_INET, .sin_port = htons(port), .sin_addr = {htonl(INADDR_LOOPBACK)}};
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (fd >= 0) close(fd);
        throw std::runtime_error("cannot connect to the simulator");
    }
    const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    char buf[4096];
    for (pollfd p{fd, POLLIN, 0}; poll(&p, 1, 20000) > 0;) {
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        answer.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return answer;
}

// The body of an answer with a status line and headers (everything after the empty line).
inline std::string BodyOf(const std::string& answer) {
    const size_t at = answer.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : answer.substr(at + 4);
}

}  // namespace xunda::test
