// Where the program keeps its files and which host plays the SMS service.
#pragma once

#include <filesystem>
#include <string>

namespace xunda {

// $XUNDA_SMS_HOME, else $XDG_DATA_HOME/xunda-sms, else ~/.local/share/xunda-sms.
std::filesystem::path DataRoot();
// DataRoot()/DATA, /LOG and /Wave.
std::filesystem::path DataDir();
std::filesystem::path LogDir();
std::filesystem::path WaveDir();
// Creates a folder (and its parents) readable by the owner only; an existing folder is kept.
void EnsurePrivateDir(const std::filesystem::path& dir);

// "host[:port]" of the service: $XUNDA_SMS_HOST, else the value the program was built with.
std::string ServiceHost();

}  // namespace xunda
