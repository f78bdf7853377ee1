#include "sms-sim/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace xunda::sim {
namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr int kReadTimeoutMs = 10000;  // a silent client is let go after this
constexpr int kLingerMs = 2000;        // how long the client may take to close after the reply

// Waits until fd is readable; false on time-out or error.
bool Readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

// Reads up to the empty line that ends the request head (CR LF CR LF or LF LF).
std::optional<std::string> ReadHead(int fd) {
    std::string data;
    char buf[4096];
    while (data.size() < kMaxHead) {
        if (!Readable(fd, kReadTimeoutMs)) return std::nullopt;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return std::nullopt;
        data.append(buf, static_cast<size_t>(n));
        size_t crlf = data.find("\r\n\r\n"), lf = data.find("\n\n");
        size_t end =
            std::min(crlf == std::string::npos ? crlf : crlf + 4, lf == std::string::npos ? lf : lf + 2);
        if (end != std::string::npos) return data.substr(0, end);
    }
    return std::nullopt;
}

void SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the client went away; nothing to do about it
        sent += static_cast<size_t>(n);
    }
}

}  // namespace

HttpServer::HttpServer(Handler handler) : handler_(std::move(handler)) {}

HttpServer::~HttpServer() {
    Stop();
}

void HttpServer::Start(std::uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "socket");
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        int err = errno;
        close(fd);
        throw std::system_error(err, std::generic_category(),
                                "cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    listenFd_ = fd;
    port_ = ntohs(addr.sin_port);
    stopping_ = false;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

void HttpServer::Stop() {
    {
        std::lock_guard lock(mu_);
        if (listenFd_ < 0) return;
        stopping_ = true;
        shutdown(listenFd_, SHUT_RDWR);  // wakes accept()
        for (int fd : openFds_) shutdown(fd, SHUT_RDWR);
    }
    stopCv_.notify_all();
    acceptThread_.join();
    close(listenFd_);
    listenFd_ = -1;
    std::list<Worker> workers;
    {
        std::lock_guard lock(mu_);
        workers.swap(workers_);
    }
    for (Worker& w : workers) w.thread.join();
}

void HttpServer::AcceptLoop() {
    for (;;) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard lock(mu_);
        if (stopping_) {
            if (fd >= 0) close(fd);
            return;
        }
        if (fd < 0) continue;  // a connection that went away before it was taken
        ReapFinished();
        openFds_.insert(fd);
        Worker& w = workers_.emplace_back();
        w.thread = std::thread([this, fd, &w] {
            Serve(fd);
            std::lock_guard done(mu_);
            openFds_.erase(fd);
            close(fd);
            w.done = true;
        });
    }
}

void HttpServer::ReapFinished() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->done) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void HttpServer::Serve(int fd) {
    std::optional<std::string> head = ReadHead(fd);
    if (!head) return;
    std::optional<RequestHead> request = ParseRequestHead(*head);
    Reply reply;
    if (request) {
        reply = handler_(*request);
    } else {
        reply.status = 400;
        reply.body = "bad request";
    }
    Answer(fd, reply);
}

void HttpServer::Answer(int fd, const Reply& reply) {
    if (!Wait(reply.delay) || reply.dropConnection) return;
    std::string bytes = SerializeReply(reply);
    if (reply.cutAfter) bytes.resize(std::min(bytes.size(), *reply.cutAfter));
    SendAll(fd, bytes);
    // Half-close, then let the client read to the end and close first, so that no reset cuts
    // the reply short.
    shutdown(fd, SHUT_WR);
    char buf[1024];
    while (Readable(fd, kLingerMs) && recv(fd, buf, sizeof buf, 0) > 0) {
    }
}

bool HttpServer::Wait(std::chrono::milliseconds delay) {
    std::unique_lock lock(mu_);
    if (delay.count() > 0) stopCv_.wait_for(lock, delay, [this] { return stopping_; });
    return !stopping_;
}

}  // namespace xunda::sim
