// What tests/peers/real_peers.py started, for a test run with the real peers (the CTest fixture
// of tests/CMakeLists.txt): each peer's port, whether it passed its own curl check, the web root.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace xunda::test {

class RealPeers {
  public:
    RealPeers() {
        const char* state = std::getenv("XUNDA_PEERS_STATE");
        std::ifstream list(std::string(state ? state : "") + "/peers.txt");
        for (std::string line; std::getline(list, line);)
            if (auto eq = line.find('='); eq != std::string::npos)
                values_[line.substr(0, eq)] = line.substr(eq + 1);
    }

    // The peer's port; fails the test when the peer did not pass its curl check.
    std::string Port(const std::string& name) {
        EXPECT_EQ(values_[name + "_ok"], "1")
            << "peer " << name << " failed its own curl check: the peer is broken";
        return values_[name + "_port"];
    }
    // nginx's web root.
    std::string Www() { return values_["www"]; }

  private:
    std::map<std::string, std::string> values_;
};

}  // namespace xunda::test
