#include "store/log.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "core/file_size.h"
#include "core/file_write.h"
#include "core/local_time.h"
#include "core/paths.h"
#include "core/ports.h"

namespace xunda {
namespace fs = std::filesystem;

namespace {

// Moves `from` to `to` unless `to` exists (a plain rename would replace it).
int RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing name as well.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

// The text with CR, LF and NUL written as \r, \n and \0, so that one call is one line.
std::string OneLine(std::string_view text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\0')
            line.append(c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\0");
        else
            line += c;
    }
    return line;
}

}  // namespace

Log::Log(fs::path folder) : folder_(std::move(folder)) {}

void Log::SetAccount(std::string corpID) {
    std::lock_guard lock(mutex_);
    corpID_ = std::move(corpID);
}

void Log::SetSink(Sink sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

fs::path Log::FileOf(const std::string& corpID) const {
    return folder_ / ("LOG_" + corpID + ".LOG");
}

fs::path Log::BackupOf(const std::string& corpID) const {
    return folder_ / ("LOG_" + corpID + "_" + LocalTime("%Y%m%d") + ".LOG");
}

fs::path Log::FilePath() const {
    std::lock_guard lock(mutex_);
    return FileOf(corpID_);
}

fs::path Log::BackupPath() const {
    std::lock_guard lock(mutex_);
    return BackupOf(corpID_);
}

void Log::logit(std::string_view text) noexcept {
    try {
        Sink sink;
        {
            std::lock_guard lock(mutex_);
            sink = sink_;
        }
        if (sink) sink(std::string(text));

        std::string line;
        if (text == "----")
            line.assign(56, '-');
        else if (!text.empty())
            line = LocalTime("%Y-%m-%d %H:%M:%S") + "   " + OneLine(text);
        line += '\n';

        std::lock_guard lock(mutex_);
        fs::path file = FileOf(corpID_);
        EnsurePrivateDir(folder_);
        FileWriter writer(file, FileWriter::Mode::Append);
        if (writer.Created()) line = LocalTime("%Y-%m-%d %H:%M:%S") + "   日志文件创建！\n" + line;
        writer.Write(line);
        writer.Commit();
    } catch (...) {
        // The log must never stop the operation that writes it.
    }
}

bool Log::NeedsBackup() const {
    try {
        return GetFileSizeByName(FilePath()) >= kBackupSize;
    } catch (const std::system_error&) {
        return false;  // a log that cannot be read is not offered for backup
    }
}

std::string Log::Backup() {
    {
        std::lock_guard lock(mutex_);
        fs::path file = FileOf(corpID_);
        fs::path backup = BackupOf(corpID_);
        if (int err = RenameNoReplace(file, backup)) {
            std::string reason = std::system_category().message(err);
            if (err == EEXIST) reason = "今天的备份文件已经存在";
            return "日志文件备份失败!\n" + backup.string() + "\n" + reason;
        }
    }
    logit("日志文件清空");
    return {};
}

void OfferLogBackup(Log& log, Prompts& prompts) {
    if (!log.NeedsBackup() || !prompts.Confirm("日志文件已经过大,你要立即备份吗?")) return;
    std::string error = log.Backup();
    if (!error.empty()) prompts.Notice(error);
}

}  // namespace xunda
