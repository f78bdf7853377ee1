// An in-process TCP peer on 127.0.0.1 for socket tests: accepts one connection and runs a script
// on it in its own thread.
#pragma once

#include <functional>
#include <string>
#include <thread>

namespace xunda::test {

class LoopbackPeer {
public:
    using Script = std::function<void(int connection)>;
    explicit LoopbackPeer(Script script);
    ~LoopbackPeer();
    std::string Port() const { return std::to_string(port_); }

    // Helpers for scripts.
    static void Send(int connection, const std::string& bytes);
    static std::string ReadSome(int connection, int timeoutMs = 2000);
    // Reads until `count` bytes (or the terminator) arrived, or 2 s passed.
    static std::string ReadExactly(int connection, std::size_t count);
    static std::string ReadUntil(int connection, const std::string& terminator);
    static void Pause(int ms);
    // Closes with RST instead of an orderly FIN.
    static void Reset(int connection);

private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace xunda::test
