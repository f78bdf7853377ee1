// Every test program runs in a private home. Before any test starts (at static initialisation, so
// also before a QApplication or a logger looks at the environment) HOME, the XDG folders and the
// data root point into a fresh temporary folder, which is removed when the program ends. CTest runs
// each test in a process of its own, so each test has its own home. Child processes inherit it.
//
// The Qt platform is offscreen, no proxy variable leaks in from the caller's shell, and the service
// host is a port where nothing listens: a test that needs the service starts the simulator and
// names its host.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// The sanitizers' settings for the tests and for the programs they start (ctest alone, without
// ./test.sh, runs the same way). Leak reports are off: Qt and its browser keep objects until exit.
constexpr const char* kAsanOptions = "detect_leaks=0:abort_on_error=0";
constexpr const char* kUbsanOptions = "print_stacktrace=1:halt_on_error=1";

class PrivateHome {
public:
    PrivateHome() {
        std::string root = (fs::temp_directory_path() / "xunda-home-XXXXXX").string();
        if (!mkdtemp(root.data())) {
            std::perror("xunda tests: cannot make a private home");
            std::abort();
        }
        root_ = root;
        Folder("HOME", "home");
        Folder("XDG_DATA_HOME", "data");
        Folder("XDG_CONFIG_HOME", "config");
        Folder("XDG_CACHE_HOME", "cache");
        Folder("XDG_STATE_HOME", "state");
        Folder("XDG_RUNTIME_DIR", "runtime");
        setenv("XUNDA_SMS_HOME", (root_ / "data" / "xunda-sms").c_str(), 1);
        setenv("XUNDA_SMS_HOST", "127.0.0.1:1", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                                 "no_proxy", "NO_PROXY"})
            unsetenv(name);
        setenv("ASAN_OPTIONS", kAsanOptions, 0);
        setenv("UBSAN_OPTIONS", kUbsanOptions, 0);
    }
    ~PrivateHome() {
        if (getpid() != owner_) return;  // a forked child that did not exec leaves the home to its parent
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

private:
    // A folder of the home, for the owner only, named by an environment variable.
    void Folder(const char* variable, const char* name) {
        const fs::path dir = root_ / name;
        if (mkdir(dir.c_str(), 0700) != 0) {
            std::perror("xunda tests: cannot make a private home");
            std::abort();
        }
        setenv(variable, dir.c_str(), 1);
    }

    fs::path root_;
    pid_t owner_ = getpid();
};

const PrivateHome home;

}  // namespace

// The test program's own sanitizer settings (read before any static initialiser runs).
extern "C" const char* __asan_default_options() { return kAsanOptions; }
extern "C" const char* __ubsan_default_options() { return kUbsanOptions; }
