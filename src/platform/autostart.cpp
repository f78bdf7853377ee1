#include "platform/autostart.h"

#include <cstdlib>
#include <system_error>

#include "core/file_write.h"

namespace xunda {
namespace fs = std::filesystem;

namespace {
constexpr const char* kEntryName = "泊舟讯达短信通-标准版";

fs::path ConfigHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".config";
}
}  // namespace

std::string DesktopExecQuote(const std::string& program) {
    // Inside the double quotes of an Exec argument, " ` $ and \ take a backslash; the entry's
    // string format then doubles every backslash once more. A % would start a field code.
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$') {
            quoted += "\\\\";
        } else if (c == '\\') {
            quoted += "\\\\\\";
        } else if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    return quoted + "\"";
}

fs::path XdgAutostart::EntryFile() {
    return ConfigHome() / "autostart" / "xunda-sms.desktop";
}

bool XdgAutostart::Enable(const fs::path& program, std::string& error) {
    const fs::path file = EntryFile();
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    const std::string entry = "[Desktop Entry]\nType=Application\nName=" + std::string(kEntryName) +
                              "\nExec=" + DesktopExecQuote(program.string()) +
                              "\nX-GNOME-Autostart-enabled=true\n";
    if (!WriteWholeFile(file, entry)) {
        error = "无法写入自动启动项: " + file.string();
        return false;
    }
    return true;
}

void XdgAutostart::Disable() {
    std::error_code ec;
    fs::remove(EntryFile(), ec);
}

}  // namespace xunda
