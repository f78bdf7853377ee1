// Starting the program with the desktop session: an XDG autostart entry.
#pragma once

#include <filesystem>
#include <string>

namespace xunda {

// Start with the session on or off. Called on the GUI thread.
class Autostart {
  public:
    virtual ~Autostart() = default;
    // Writes the entry that starts `program`; false (with `error` set) when it cannot be written.
    virtual bool Enable(const std::filesystem::path& program, std::string& error) = 0;
    // Removes the entry; a missing entry is fine.
    virtual void Disable() = 0;
};

// The entry "xunda-sms.desktop" in $XDG_CONFIG_HOME/autostart (default ~/.config/autostart).
class XdgAutostart : public Autostart {
  public:
    bool Enable(const std::filesystem::path& program, std::string& error) override;
    void Disable() override;

    static std::filesystem::path EntryFile();
};

// The program path as one Exec argument of a desktop entry: quoted, with the characters the
// entry format reserves escaped.
std::string DesktopExecQuote(const std::string& program);

}  // namespace xunda
