// The scripted HTTP peer (tests/peers/script_peer.py) as a child process for one test: started
// on an ephemeral loopback port, terminated when the object goes.
#pragma once

#include <string>
#include <sys/types.h>

namespace xunda::test {

class ScriptPeer {
public:
    ScriptPeer();
    ~ScriptPeer();
    ScriptPeer(const ScriptPeer&) = delete;
    ScriptPeer& operator=(const ScriptPeer&) = delete;

    const std::string& Port() const { return port_; }
    // "http://127.0.0.1:<port>" + path
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + port_ + path; }

private:
    pid_t pid_ = -1;
    std::string port_;
};

}  // namespace xunda::test
