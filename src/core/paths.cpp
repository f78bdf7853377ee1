#include "core/paths.h"

#include <cstdlib>

namespace xunda {
namespace fs = std::filesystem;

namespace {
const char* Env(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}
}  // namespace

fs::path DataRoot() {
    if (const char* home = Env("XUNDA_SMS_HOME")) return home;
    if (const char* xdg = Env("XDG_DATA_HOME")) return fs::path(xdg) / "xunda-sms";
    const char* home = Env("HOME");
    return fs::path(home ? home : "/tmp") / ".local/share/xunda-sms";
}

fs::path DataDir() {
    return DataRoot() / "DATA";
}
fs::path LogDir() {
    return DataRoot() / "LOG";
}
fs::path WaveDir() {
    return DataRoot() / "Wave";
}

void EnsurePrivateDir(const fs::path& dir) {
    if (fs::is_directory(dir)) return;
    fs::create_directories(dir);
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace);
}

std::string ServiceHost() {
    if (const char* host = Env("XUNDA_SMS_HOST")) return host;
    return XUNDA_DEFAULT_SERVICE_HOST;
}

}  // namespace xunda
