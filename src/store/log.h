// The per-account text log LOG/LOG_<corpID>.LOG under the data root.
//
// Each line is the local time "YYYY-MM-DD HH:MM:SS", three blanks and the text; "" writes an empty
// line and "----" a line of 56 minus signs; CR, LF and NUL in a text are written as \r, \n and \0.
// A new file starts with the line "<time>   日志文件创建！". Files are UTF-8 with "\n" line ends, as
// the text files a user reads on this system are (only CSV exports end rows with CRLF). Safe to call
// from any thread: lines are written whole, in the order of the calls. A log that cannot be written
// never stops the caller.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace xunda {

class Prompts;

class Log {
  public:
    // Receives every logged text before it is written (the main window's status bar).
    using Sink = std::function<void(const std::string&)>;

    // Logs into `folder` (LogDir() in the program); the folder is created when missing.
    explicit Log(std::filesystem::path folder);

    // The account whose file the next lines go to ("" before a login).
    void SetAccount(std::string corpID);
    void SetSink(Sink sink);

    void logit(std::string_view text) noexcept;

    // LOG_<corpID>.LOG and the backup name LOG_<corpID>_<YYYYMMDD>.LOG of today.
    std::filesystem::path FilePath() const;
    std::filesystem::path BackupPath() const;

    // True when the file has reached the size at which a backup is offered (1048577 bytes); false
    // when it cannot be read.
    bool NeedsBackup() const;
    // Renames the log to today's backup name and starts a new file with the line "日志文件清空".
    // An existing backup of the same day is never overwritten: then the log stays and the
    // error text is returned. Empty text on success.
    std::string Backup();

    static constexpr std::int64_t kBackupSize = 1048577;

  private:
    std::filesystem::path FileOf(const std::string& corpID) const;
    std::filesystem::path BackupOf(const std::string& corpID) const;

    const std::filesystem::path folder_;
    mutable std::mutex mutex_;  // guards the fields below and serialises the writes
    std::string corpID_;
    Sink sink_;
};

// On opening the settings page: when the log is big, asks "日志文件已经过大,你要立即备份吗?" and on Yes
// backs it up; a failed backup is shown.
void OfferLogBackup(Log& log, Prompts& prompts);

}  // namespace xunda
