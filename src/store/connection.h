// One thread's connection to the database file (internal to store/).
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
    // False when the file could not be opened or only for reading (it was read-only then): such a
    // connection stays so, a new one sees the file as it is now.
    bool Writable() const { return db_ && sqlite3_db_readonly(db_, "main") == 0; }

    // Prepares exactly one statement; a second statement behind it, an empty text or a
    // compile error gives nullptr and the error text.
    sqlite3_stmt* PrepareOne(std::string_view sql, std::string& error);
    // Runs a statement without reporting anything (transaction control); false on error.
    bool ExecQuiet(const char* sql);

    // Reports a failed statement: "数据库命令执行失败,请检查!", the statement (the stored password
    // masked) and the error text, as one notice. While a transaction is open the notice is held
    // back until End: no box may stand while the file is locked. Nothing while `quiet`.
    void Report(Prompts& prompts, std::string_view sql, std::string_view error);
    // A statement that failed: reported, and the transaction it ran in (if any) is lost.
    void Fail(Prompts& prompts, std::string_view sql, std::string_view error) {
        Report(prompts, sql, error);
        if (depth > 0) failed = true;
    }
    // The outermost transaction of Database::Transaction and BulkWriter: BEGIN IMMEDIATE (a failure
    // is reported, false) and its end, committed when `commit` and COMMIT succeeds, else rolled
    // back; the held reports are shown after it. End returns whether it committed.
    bool Begin(Prompts& prompts);
    bool End(bool commit, Prompts& prompts);

    // Transaction state of this connection (Database::Transaction, BulkWriter).
    int depth = 0;
    bool failed = false;  // a statement inside the current transaction failed
    bool quiet = false;   // Report shows nothing (Database::Transaction's quiet retries)

  private:
    sqlite3* db_ = nullptr;
    std::string openError_;
    std::vector<std::string> heldReports_;
};

// Opens an existing database file (never creates one) with the busy timeout set; nullptr and
// the error text when it cannot be opened.
sqlite3* OpenExistingFile(const std::filesystem::path& file, std::string& error);

}  // namespace xunda::store_detail
