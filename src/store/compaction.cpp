#include "store/compaction.h"

#include <sqlite3.h>

#include <string>

#include "core/ports.h"
#include "store/connection.h"

namespace xunda {
namespace {

// Runs `sql` and keeps the first column of its first row in `first`; SQLite's result code.
int Run(sqlite3* db, const char* sql, std::string& first) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            if (first.empty()) first = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

}  // namespace

CompactResult CompactDatabase(const std::filesystem::path& file, Prompts& prompts) {
    std::string error;
    sqlite3* db = store_detail::OpenExistingFile(file, error);
    CompactResult result = CompactResult::Failed;
    if (db) {
        sqlite3_busy_timeout(db, 0);  // a program writing the file is never waited for
        std::string check, none;
        int rc = Run(db, "PRAGMA quick_check", check);
        if (rc == SQLITE_OK && check == "ok") rc = Run(db, "VACUUM", none);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            result = CompactResult::Skipped;
        } else if (rc != SQLITE_OK) {
            error = sqlite3_errmsg(db);
        } else if (check != "ok") {
            error = check;
        } else {
            result = CompactResult::Compacted;  // the file shrinks when its log is written back
        }
    }
    sqlite3_close_v2(db);
    if (result == CompactResult::Failed) prompts.Notice("数据库压缩失败!\n" + error);
    return result;
}

}  // namespace xunda
