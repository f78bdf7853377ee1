#include "net/http/script_peer.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace xunda::test {

ScriptPeer::ScriptPeer() {
    const char* state = std::getenv("XUNDA_SCRIPT_PEER_STATE");
    std::ifstream in(std::string(state ? state : "") + "/port");
    if (!state || !std::getline(in, port_) || port_.empty())
        throw std::runtime_error("the scripted peer is not running: run these tests through ctest");
}

}  // namespace xunda::test
