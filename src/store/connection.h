// One thread's connection to the database file (internal to store/).
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace xunda {
class Prompts;
}

namespace xunda::store_detail {

class Connection {
  public:
    // Opens an existing file (never creates one) in WAL mode with a busy timeout. When opening
    // fails, Ok() is false and Error() tells why.
    explicit Connection(const std::filesystem::path& file);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Ok() const { return db_ != nullptr; }
    const std::string& Error() const { return openError_; }
    sqlite3* Handle() const { return db_; }

    // Prepares exactly one statement; a second statement behind it, an empty text or a
    // compile error gives nullptr and the error text.
    sqlite3_stmt* PrepareOne(std::string_view sql, std::string& error);
    // Runs a statement without reporting anything (transaction control); false on error.
    bool ExecQuiet(const char* sql);

    // Transaction state of this connection (Database::Transaction, BulkWriter).
    int depth = 0;
    bool failed = false;  // a statement inside the current transaction failed

  private:
    sqlite3* db_ = nullptr;
    std::string openError_;
};

// Opens an existing database file (never creates one) with the busy timeout set; nullptr and
// the error text when it cannot be opened.
sqlite3* OpenExistingFile(const std::filesystem::path& file, std::string& error);

// "数据库命令执行失败,请检查!", the statement and the error text, as one notice.
void ReportStatementError(Prompts& prompts, std::string_view sql, std::string_view error);

}  // namespace xunda::store_detail
