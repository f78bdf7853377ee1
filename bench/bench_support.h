// What the benchmarks share: message boxes that print, a private temporary folder, the logged-in
// account over an open database, the numbers they queue, the clock and work measured in a child
// process.
#pragma once

#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "core/ports.h"
#include "store/account_host.h"

namespace xunda::bench {

// The process's resident memory now, in KiB.
inline long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The message boxes: texts go to stderr, questions are answered No, file dialogs are cancelled.
class PrintingPrompts : public Prompts {
  public:
    void Notice(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void Alert(const std::string& text) override { Notice(text); }
    bool Confirm(const std::string&) override { return false; }
    bool ConfirmSevere(const std::string&) override { return false; }
    bool OfferOpen(const std::string&) override { return false; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override { return {}; }
};

// A fresh private folder in the temporary directory, removed with everything in it when it goes.
class TempFolder {
  public:
    TempFolder() {
        std::string name = (std::filesystem::temp_directory_path() / "xunda-bench-XXXXXX").string();
        if (!mkdtemp(name.data())) std::abort();
        path_ = name;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Account 10001 logged in over `db`, its questions answered by a `Boxes`.
template <class Host = AccountHost, class Boxes = PrintingPrompts>
class Account : public Host {
  public:
    explicit Account(Database& db) : db_(db) {}
    Database& db() override { return db_; }
    Prompts& prompts() override { return prompts_; }
    std::string corpID() override { return "10001"; }

  private:
    Database& db_;
    Boxes prompts_;
};

// The i-th mobile number of a benchmark's list: 138 and eight digits.
inline std::string Mob(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "138%08d", i);
    return buf;
}

using Steady = std::chrono::steady_clock;

inline double SecondsSince(Steady::time_point start) {
    return std::chrono::duration<double>(Steady::now() - start).count();
}

// What a piece of work did in a child process of its own: the child's peak resident memory, the
// time from the fork to the child's end, and the number the work returned (0 when the child ended
// before it could hand it over).
struct ChildRun {
    long peakKiB;
    double seconds;
    std::uint64_t result;
};

// Runs `work`, which returns a std::uint64_t, in a child process.
template <typename Work>
ChildRun RunInChild(Work work) {
    int ends[2];
    if (pipe(ends) != 0) std::abort();
    const Steady::time_point start = Steady::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        const std::uint64_t result = work();
        _exit(write(ends[1], &result, sizeof result) == sizeof result ? 0 : 1);
    }
    close(ends[1]);
    std::uint64_t result = 0;
    if (read(ends[0], &result, sizeof result) != sizeof result) result = 0;
    close(ends[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {usage.ru_maxrss, SecondsSince(start), result};
}

}  // namespace xunda::bench
