// The scripted HTTP peer (tests/peers/script_peer.py) that the CTest fixture started on a
// loopback port; its state folder is named by XUNDA_SCRIPT_PEER_STATE.
#pragma once

#include <string>

namespace xunda::test {

class ScriptPeer {
public:
    // Reads the peer's port; throws when the fixture did not start it.
    ScriptPeer();

    const std::string& Port() const { return port_; }
    // "http://127.0.0.1:<port>" + path
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + port_ + path; }

private:
    std::string port_;
};

}  // namespace xunda::test
