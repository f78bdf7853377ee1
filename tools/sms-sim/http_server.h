// A small HTTP/1.1 server on 127.0.0.1 over POSIX sockets: one thread accepts, one thread per
// connection reads one request, asks the handler for the reply and writes it, then closes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <thread>

#include "sms-sim/http_message.h"

namespace xunda::sim {

class HttpServer {
  public:
    // Called on a connection's thread, possibly on several threads at once.
    using Handler = std::function<Reply(const RequestHead&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on 127.0.0.1:port (0 = any free port); throws std::system_error when it cannot.
    void Start(std::uint16_t port);
    // Stops accepting, cuts open connections and pending delays short, and waits for every thread.
    void Stop();
    std::uint16_t Port() const { return port_; }

  private:
    struct Worker {
        std::thread thread;
        bool done = false;
    };

    void AcceptLoop();
    void Serve(int fd);
    void Answer(int fd, const Reply& reply);
    // Waits `delay`; false when the server is stopping.
    bool Wait(std::chrono::milliseconds delay);
    void ReapFinished();

    Handler handler_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::thread acceptThread_;
    std::mutex mu_;
    std::condition_variable stopCv_;
    bool stopping_ = false;
    std::set<int> openFds_;
    std::list<Worker> workers_;
};

}  // namespace xunda::sim
