#include "store/connection.h"

#include "core/ports.h"
#include "store/settings.h"

namespace xunda::store_detail {

namespace {
// Milliseconds a connection waits for another connection's write lock.
constexpr int kBusyTimeoutMs = 10000;
}  // namespace

sqlite3* OpenExistingFile(const std::filesystem::path& file, std::string& error) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

Connection::Connection(const std::filesystem::path& file) {
    sqlite3* db = OpenExistingFile(file, openError_);
    if (!db) return;
    // WAL lets the pollers read while the send worker writes; NORMAL sync is safe with WAL.
    char* err = nullptr;
    if (sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, &err) !=
        SQLITE_OK) {
        openError_ = err ? err : sqlite3_errmsg(db);
        sqlite3_free(err);
        sqlite3_close_v2(db);
        return;
    }
    db_ = db;
}

Connection::~Connection() {
    if (db_) sqlite3_close_v2(db_);
}

sqlite3_stmt* Connection::PrepareOne(std::string_view sql, std::string& error) {
    if (!db_) {
        error = openError_;
        return nullptr;
    }
    if (sql.empty()) {
        error = "empty statement";
        return nullptr;
    }
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, &tail) != SQLITE_OK) {
        error = sqlite3_errmsg(db_);
        return nullptr;
    }
    if (!stmt) {
        error = "empty statement";
        return nullptr;
    }
    // Only blanks, comments and semicolons may follow: a second statement is refused unrun.
    const char* end = sql.data() + sql.size();
    while (tail && tail < end) {
        sqlite3_stmt* next = nullptr;
        const char* nextTail = nullptr;
        int rc = sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &next, &nextTail);
        if (rc != SQLITE_OK || next || nextTail == tail) {  // a statement, garbage, or a NUL byte
            sqlite3_finalize(next);
            sqlite3_finalize(stmt);
            error = "only one statement may be run at a time";
            return nullptr;
        }
        tail = nextTail;
    }
    return stmt;
}

bool Connection::ExecQuiet(const char* sql) {
    return db_ && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void Connection::Report(Prompts& prompts, std::string_view sql, std::string_view error) {
    if (quiet) return;
    std::string text = "数据库命令执行失败,请检查!\n" + MaskStoredPassword(sql) + "\n" + std::string(error);
    if (db_ && !sqlite3_get_autocommit(db_))
        heldReports_.push_back(std::move(text));
    else
        prompts.Notice(text);
}

bool Connection::Begin(Prompts& prompts) {
    if (!ExecQuiet("BEGIN IMMEDIATE")) {
        Report(prompts, "BEGIN IMMEDIATE", db_ ? sqlite3_errmsg(db_) : openError_);
        return false;
    }
    depth = 1;
    failed = false;
    return true;
}

bool Connection::End(bool commit, Prompts& prompts) {
    depth = 0;
    failed = false;
    bool committed = commit && ExecQuiet("COMMIT");
    std::string error = commit && !committed ? sqlite3_errmsg(db_) : "";
    if (!committed) ExecQuiet("ROLLBACK");
    if (!error.empty()) Report(prompts, "COMMIT", error);
    std::vector<std::string> held;
    held.swap(heldReports_);
    for (const std::string& text : held) prompts.Notice(text);
    return committed;
}

}  // namespace xunda::store_detail
