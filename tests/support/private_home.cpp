// Every test program runs in a private home: before any test (at static initialisation, before a
// QApplication exists) HOME, TMPDIR, the XDG folders and the data root point into a fresh folder,
// removed when the program (not a forked child) ends; CTest runs each test in a process of its own.
// Qt draws offscreen, the locale is C.UTF-8, the caller's proxy variables are gone, and the service
// host is a port where nothing listens.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

// Sanitizer settings of the tests: leaks are reported, except those of libraries that keep objects until
// exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libudev.so\n";
}
// A failed allocation returns null, as it does without the sanitizer (where the code that asked
// for it turns it into std::bad_alloc), instead of ending the program.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

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
        setenv("LC_ALL", "C.UTF-8", 1);
        for (const char* proxy : {"http_proxy", "https_proxy", "all_proxy", "no_proxy", "HTTP_PROXY",
                                  "HTTPS_PROXY", "ALL_PROXY", "NO_PROXY"})
            unsetenv(proxy);
        const char* asan = getenv("ASAN_OPTIONS");  // programs a test starts: their embedded browser leaks
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
        setenv("UBSAN_OPTIONS", __ubsan_default_options(), 0);
    }
    ~PrivateHome() {
        if (std::error_code ec; getpid() == owner) fs::remove_all(path, ec);
    }
    fs::path path;
    const pid_t owner = getpid();
} const home;

}  // namespace
