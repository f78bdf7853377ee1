#include "office/document_text.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "office/xml_parts.h"
#include "office/zip_archive.h"

extern char** environ;

namespace xunda {

namespace {

// The most text a document makes, and the most XML a byte of it may take in a .docx (a paragraph
// of formatted runs of a few characters each).
constexpr std::size_t kMaxDocumentText = 64u << 20;
constexpr std::uint64_t kXmlPerTextByte = 64;

}  // namespace

std::string ReadDocxText(const std::filesystem::path& file) {
    std::string text;
    const ZipArchive zip(file, [&text] { return kXmlPerTextByte * text.size(); });
    XmlDocument doc;
    StreamPart(zip, "word/document.xml", doc, {"p"}, [&](XmlNode& node) {
        if (LocalName(node) != "p") return;
        AppendRunTexts(node, text);
        text += '\n';
        if (text.size() > kMaxDocumentText) throw std::runtime_error("document text too long");
    });
    return text;
}

namespace {

// Closes a file descriptor when it goes.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

std::optional<std::string> RunProgramOutput(const std::string& program, const std::vector<std::string>& args,
                                            std::chrono::milliseconds timeout, std::size_t maxBytes) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
    Fd readEnd{ends[0]}, writeEnd{ends[1]};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return std::nullopt;
    close(writeEnd.fd);
    writeEnd.fd = -1;

    std::string output;
    bool ok = true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (char buffer[65536];;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd waiting{readEnd.fd, POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&waiting, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {  // the time is up
            ok = false;
            break;
        }
        const ssize_t n = read(readEnd.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (output.size() + static_cast<std::size_t>(n) > maxBytes) {
            ok = false;
            break;
        }
        output.append(buffer, static_cast<std::size_t>(n));
    }
    if (!ok) kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return output;
}

std::optional<std::string> ReadDocText(const std::filesystem::path& file, const std::string& program) {
    return RunProgramOutput(program, {"-w", "0", "-m", "UTF-8.txt", "--", file.string()},
                            std::chrono::seconds(30), kMaxDocumentText);
}

}  // namespace xunda
