#include "net/script_peer.h"

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace xunda::test {

ScriptPeer::ScriptPeer() {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("script peer: no pipe");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execlp("python3", "python3", XUNDA_PEERS_DIR "/script_peer.py", "--lifetime", "120", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* f = fdopen(out[0], "r");
    char line[32] = {};
    if (!f || !fgets(line, sizeof line, f)) throw std::runtime_error("script peer did not start");
    fclose(f);
    port_ = std::to_string(std::stoi(line));
}

ScriptPeer::~ScriptPeer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

}  // namespace xunda::test
