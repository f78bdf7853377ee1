// Every test program runs in a private home: before any test (at static initialisation, before a
// QApplication exists) HOME, TMPDIR, the XDG folders and the data root point into a fresh folder,
// removed when the program (not a forked child) ends. CTest runs each test in a process of its own, so
// each test has its own; the programs a test starts inherit it. Qt draws offscreen, no proxy variable
// comes in from the caller's shell, and the service host is a port where nothing listens.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

// The sanitizers' settings of the test program (and, through the environment, of the programs it
// starts): the same for ctest alone as for ./test.sh. No leak reports: Qt keeps objects until exit.
extern "C" const char* __asan_default_options() { return "detect_leaks=0:abort_on_error=0"; }
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

namespace {

namespace fs = std::filesystem;

struct PrivateHome {
    PrivateHome() {
        std::string root = (fs::temp_directory_path() / "xunda-home-XXXXXX").string();
        if (!mkdtemp(root.data())) std::abort();
        path = root;
        for (const char* variable : {"HOME", "TMPDIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                     "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
            mkdir((path / variable).c_str(), 0700);
            setenv(variable, (path / variable).c_str(), 1);
        }
        setenv("XUNDA_SMS_HOME", (path / "XDG_DATA_HOME/xunda-sms").c_str(), 1);
        setenv("XUNDA_SMS_HOST", "127.0.0.1:1", 1);  // a test that needs the service starts the simulator
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const char* proxy : {"http_proxy", "https_proxy", "all_proxy", "no_proxy", "HTTP_PROXY", "HTTPS_PROXY",
                                  "ALL_PROXY", "NO_PROXY"})
            unsetenv(proxy);
        setenv("ASAN_OPTIONS", __asan_default_options(), 0);
        setenv("UBSAN_OPTIONS", __ubsan_default_options(), 0);
    }
    ~PrivateHome() { if (std::error_code ec; getpid() == owner) fs::remove_all(path, ec); }
    fs::path path;
    const pid_t owner = getpid();
} const home;

}  // namespace
