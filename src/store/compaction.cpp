#include "store/compaction.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <system_error>

#include "core/ports.h"
#include "store/connection.h"
#include "store/file_lock.h"
#include "store/sql_text.h"

namespace xunda {
namespace fs = std::filesystem;

namespace {

bool SyncPath(const fs::path& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void ReportFailure(Prompts& prompts, const std::string& detail) {
    prompts.Notice("数据库压缩失败!\n" + detail);
}

// Copies `file` into `temp`; the source connection is closed afterwards, which as the last one
// writes its log back into the file and removes it. Empty text on success, else the error.
std::string VacuumInto(const fs::path& file, const fs::path& temp) {
    std::string error;
    sqlite3* db = store_detail::OpenExistingFile(file, error);
    if (db) {
        std::string sql = "VACUUM INTO " + SqlQuote(temp.string());
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) error = sqlite3_errmsg(db);
    }
    if (sqlite3_close(db) != SQLITE_OK && error.empty()) error = "cannot close the database";
    return error;
}

}  // namespace

CompactResult CompactDatabase(const fs::path& file, Prompts& prompts) {
    store_detail::FileLock lock(file, store_detail::FileLock::Mode::ExclusiveNoWait);
    if (!lock.Held()) return CompactResult::Skipped;

    std::error_code ec;
    fs::path temp = file.parent_path() / "msaTemp.db";
    if (fs::symlink_status(temp, ec).type() != fs::file_type::not_found) {
        // Left by an interrupted compaction: the database itself is whole. Tell, clear it away
        // so that the next start compacts again, and open the database as it is.
        ReportFailure(prompts, "上次压缩留下的临时文件已存在,本次不压缩: " + temp.string());
        fs::remove(temp, ec);
        return CompactResult::StaleTemp;
    }

    std::string error = VacuumInto(file, temp);
    fs::path wal = file;
    wal += "-wal";
    if (error.empty() && fs::exists(wal, ec) && fs::file_size(wal, ec) > 0)
        error = "the write-ahead log could not be written back";  // replacing the file would orphan it
    if (error.empty() && (::chmod(temp.c_str(), 0600) != 0 || !SyncPath(temp, O_RDONLY)))
        error = std::system_category().message(errno);
    if (error.empty() && ::rename(temp.c_str(), file.c_str()) != 0)
        error = std::system_category().message(errno);
    if (!error.empty()) {
        fs::remove(temp, ec);
        ReportFailure(prompts, error);
        return CompactResult::Failed;
    }
    SyncPath(file.parent_path(), O_RDONLY | O_DIRECTORY);
    return CompactResult::Compacted;
}

}  // namespace xunda
