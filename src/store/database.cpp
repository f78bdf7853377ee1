#include "store/database.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "core/paths.h"
#include "core/ports.h"
#include "store/compaction.h"
#include "store/connection.h"
#include "store/schema.h"
#include "store/sql_text.h"

namespace xunda {
namespace fs = std::filesystem;
using store_detail::Connection;

struct Database::Shared {
    fs::path path;
    Prompts* prompts;
};

namespace {

// The connections of the current thread, one per open Database. A connection whose Database is
// gone is closed on the thread's next lookup or when the thread ends.
struct ThreadConnection {
    std::weak_ptr<void> owner;
    const void* key;
    std::unique_ptr<Connection> conn;
};
using ThreadConnections = std::vector<ThreadConnection>;

// The list lives behind a plain pointer, which stays readable while the thread's other
// thread-local objects are destroyed (a Database held by one of them may still look it up).
thread_local ThreadConnections* tConnections = nullptr;
struct ThreadConnectionsReaper {
    ~ThreadConnectionsReaper() {
        delete tConnections;
        tConnections = nullptr;
    }
};
thread_local ThreadConnectionsReaper tReaper;

ThreadConnections& CurrentThreadConnections() {
    if (!tConnections) {
        tConnections = new ThreadConnections;
        static_cast<void>(&tReaper);  // registers the reaper for this thread
    }
    return *tConnections;
}

void ReportOpenFailure(Prompts& prompts, const fs::path& file) {
    prompts.Notice("数据库打开失败!\n" + file.string());
}

// Empty text when `file` is a database of this program; else why not. Creates nothing.
std::string CheckDatabaseFile(const fs::path& file) {
    std::error_code ec;
    auto size = fs::file_size(file, ec);
    if (ec) return ec.message();
    if (size == 0) return "empty file";
    std::string error;
    sqlite3* db = store_detail::OpenExistingFile(file, error);
    if (db) {
        sqlite3_stmt* stmt = nullptr;
        int found = 0;
        if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &stmt, nullptr) ==
            SQLITE_OK) {
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                std::string_view name(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
                auto& names = store_detail::kTableNames;
                if (std::find(names.begin(), names.end(), name) != names.end()) ++found;
            }
            if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
        } else {
            error = sqlite3_errmsg(db);
        }
        sqlite3_finalize(stmt);
        if (error.empty() && found != static_cast<int>(store_detail::kTableNames.size()))
            error = "not a database of this program";
    }
    sqlite3_close_v2(db);
    return error;
}

// Writes a new database file with every table. It is built beside its place and linked into
// it, so a half-made file never bears the name; an existing file is left alone (false).
bool WriteNewDatabase(const fs::path& file) {
    fs::path temp = file;
    temp += ".new";
    std::error_code ec;
    fs::remove(temp, ec);
    sqlite3* db = nullptr;
    bool ok =
        sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
    if (ok) {
        std::string script = std::string("BEGIN;") + store_detail::kSchemaSql + "COMMIT;";
        ok = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close_v2(db);
    ok = ok && ::chmod(temp.c_str(), 0600) == 0 && ::link(temp.c_str(), file.c_str()) == 0;
    fs::remove(temp, ec);
    return ok;
}

// The first start: makes the folder of `file` holding a new database. The folder is built under a
// temporary name and renamed into place, so it never exists without its database and a start
// interrupted half-way is a first start again. True when the folder exists afterwards (also when
// another program made it meanwhile).
bool CreateDataFolder(const fs::path& file) {
    const fs::path folder = file.parent_path();
    try {
        EnsurePrivateDir(folder.parent_path());
    } catch (const std::exception&) {
        return false;
    }
    std::string name = (folder.parent_path() / (folder.filename().string() + ".new-XXXXXX")).string();
    if (!::mkdtemp(name.data())) return false;  // 0700
    const fs::path temp = name;
    bool made = WriteNewDatabase(temp / file.filename()) && ::rename(temp.c_str(), folder.c_str()) == 0;
    std::error_code ec;
    if (!made) fs::remove_all(temp, ec);
    return made || fs::is_directory(folder, ec);
}

bool IsIdentifier(std::string_view name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

}  // namespace

fs::path Database::DefaultPath() {
    return DataDir() / "TOLVI_DY.db";
}

std::unique_ptr<Database> Database::OpenAtStart(Prompts& prompts) {
    fs::path file = DefaultPath();
    std::error_code ec;
    const bool firstStart = !fs::exists(file.parent_path(), ec);
    if (firstStart ? !CreateDataFolder(file) : !CheckDatabaseFile(file).empty()) {
        ReportOpenFailure(prompts, file);
        return nullptr;
    }
    if (!firstStart) CompactDatabase(file, prompts);
    return Open(file, prompts);
}

std::unique_ptr<Database> Database::Open(const fs::path& file, Prompts& prompts) {
    if (!CheckDatabaseFile(file).empty()) {
        ReportOpenFailure(prompts, file);
        return nullptr;
    }
    std::unique_ptr<Database> db(new Database(std::make_shared<Shared>(Shared{file, &prompts})));
    if (!db->Conn().Ok()) {
        ReportOpenFailure(prompts, file);
        return nullptr;
    }
    db->Conn().ExecQuiet(store_detail::kLaterTablesSql);  // a read-only file keeps what it has
    return db;
}

std::unique_ptr<Database> Database::Create(const fs::path& file, Prompts& prompts) {
    if (!WriteNewDatabase(file)) {
        ReportOpenFailure(prompts, file);
        return nullptr;
    }
    return Open(file, prompts);
}

Database::Database(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

Database::~Database() {
    if (tConnections)
        std::erase_if(*tConnections, [&](const ThreadConnection& t) { return t.key == shared_.get(); });
}

const fs::path& Database::Path() const {
    return shared_->path;
}
Prompts& Database::prompts() const {
    return *shared_->prompts;
}

Connection& Database::Conn() {
    ThreadConnections& list = CurrentThreadConnections();
    std::erase_if(list, [](const ThreadConnection& t) { return t.owner.expired(); });
    for (auto& t : list)
        if (t.key == shared_.get()) {
            if (t.conn->depth == 0 && !t.conn->Writable())  // the file may be writable again
                t.conn = std::make_unique<Connection>(shared_->path);
            return *t.conn;
        }
    auto& t = list.emplace_back(
        ThreadConnection{shared_, shared_.get(), std::make_unique<Connection>(shared_->path)});
    return *t.conn;
}

ResultSet Database::pAdoQuery(std::string_view sql) {
    ResultSet rs{std::string(sql), {}};
    const bool ok = pAdoQuery(
        sql,
        [&](const std::vector<std::string>& columns) {
            rs = ResultSet{std::string(sql), columns};
        },
        [&](const RowValues& values) {
            for (const auto& v : values) rs.AppendCell(v ? ResultSet::Value(std::string(*v)) : std::nullopt);
        });
    if (!ok) rs.MarkFailed();
    return rs;
}

bool Database::pAdoQuery(std::string_view sql, const ColumnsCallback& columns, const RowCallback& row) {
    RowValues values;
    return StepRows(
        sql,
        [&](sqlite3_stmt* stmt) {
            std::vector<std::string> names;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                names.emplace_back(sqlite3_column_name(stmt, i));
            values.resize(names.size());
            columns(names);
        },
        [&](sqlite3_stmt* stmt) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                const int c = static_cast<int>(i);
                if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
                    values[i].reset();
                } else {
                    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                    values[i].emplace(text ? text : "",
                                      static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
                }
            }
            row(values);
        });
}

bool Database::ReadIds(std::string_view sql, std::vector<std::int64_t>& ids) {
    return StepRows(
        sql, [](sqlite3_stmt*) {}, [&](sqlite3_stmt* stmt) { ids.push_back(sqlite3_column_int64(stmt, 0)); });
}

bool Database::StepRows(std::string_view sql, const std::function<void(sqlite3_stmt*)>& prepared,
                        const std::function<void(sqlite3_stmt*)>& row) {
    Connection& c = Conn();
    std::string error;
    sqlite3_stmt* stmt = c.failed ? nullptr : c.PrepareOne(sql, error);
    if (!stmt) {
        if (!c.failed) c.Fail(prompts(), sql, error);
        return false;
    }
    prepared(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) row(stmt);
    if (rc != SQLITE_DONE) {
        c.Fail(prompts(), sql, sqlite3_errmsg(c.Handle()));
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

void Database::pAdoQuery(std::string_view sql, ResultSet& query) {
    std::string statement(sql.empty() ? std::string_view(query.Sql()) : sql);
    query = pAdoQuery(statement);
}

bool Database::pAdoCom(std::string_view sql) {
    Connection& c = Conn();
    if (c.failed) return false;  // the transaction is lost already; its error was reported
    std::string error;
    sqlite3_stmt* stmt = c.PrepareOne(sql, error);
    if (stmt) {
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) error = sqlite3_errmsg(c.Handle());
        sqlite3_finalize(stmt);
        if (rc == SQLITE_DONE) return true;
    }
    c.Fail(prompts(), sql, error);
    return false;
}

bool Database::Transaction(const std::function<bool()>& body, bool quiet) {
    Connection& c = Conn();
    if (!quiet || c.quiet) return RunTransaction(c, body);
    c.quiet = true;
    struct Loud {
        Connection& c;
        ~Loud() { c.quiet = false; }
    } loud{c};
    return RunTransaction(c, body);
}

bool Database::RunTransaction(Connection& c, const std::function<bool()>& body) {
    if (c.depth > 0) {
        ++c.depth;
        bool ok = false;
        try {
            ok = body();
        } catch (...) {
            --c.depth;
            c.failed = true;
            throw;
        }
        --c.depth;
        if (!ok) c.failed = true;
        return ok && !c.failed;
    }
    if (!c.Begin(prompts())) return false;
    bool ok = false;
    try {
        ok = body();
    } catch (...) {
        c.End(false, prompts());
        throw;
    }
    return c.End(ok && !c.failed, prompts());
}

std::int64_t Database::LastInsertId() {
    Connection& c = Conn();
    return c.Ok() ? sqlite3_last_insert_rowid(c.Handle()) : 0;
}

int Database::Changes() {
    Connection& c = Conn();
    return c.Ok() ? sqlite3_changes(c.Handle()) : 0;
}

bool Database::ChangeRows(std::string_view sql) {
    if (!pAdoCom(sql)) return false;
    if (Changes() > 0) return true;
    Conn().Fail(prompts(), sql, "no row changed: the row is gone or was changed since it was listed");
    return false;
}

namespace {

// " WHERE rowid=<rowid> AND <field> IS <value shown> ...".
std::string ShownRow(std::int64_t rowid, const ShownFields& shown) {
    std::string where = " WHERE rowid=" + SqlInt(rowid);
    for (const auto& [field, value] : shown) {
        if (!IsIdentifier(field)) throw std::invalid_argument("bad column name");
        where += " AND " + field + " IS " + SqlQuoteOrNull(value);
    }
    return where;
}

}  // namespace

bool Database::DeleteRow(std::string_view table, std::int64_t rowid, const ShownFields& shown) {
    if (!IsIdentifier(table)) throw std::invalid_argument("bad table name");
    return ChangeRows("DELETE FROM " + std::string(table) + ShownRow(rowid, shown));
}

bool Database::UpdateRow(std::string_view table, std::int64_t rowid, std::string_view column,
                         const std::optional<std::string_view>& text, const ShownFields& shown) {
    if (!IsIdentifier(table) || !IsIdentifier(column))
        throw std::invalid_argument("bad table or column name");
    return ChangeRows("UPDATE " + std::string(table) + " SET " + std::string(column) + "=" +
                      SqlQuoteOrNull(text) + ShownRow(rowid, shown));
}

// ---- BulkWriter

BulkWriter::BulkWriter(Database& db, std::string_view sql) : db_(db), conn_(db.Conn()), sql_(sql) {
    // Inside Database::Transaction the writer joins it; else it runs its own.
    ownsTransaction_ = conn_.depth == 0;
    if (ownsTransaction_ && !conn_.Begin(db_.prompts())) {
        ok_ = false;
        done_ = true;
        return;
    }
    std::string error;
    stmt_ = conn_.PrepareOne(sql_, error);
    if (!stmt_) Fail(error.c_str());
}

BulkWriter::~BulkWriter() {
    if (!done_) Finish(false);
}

void BulkWriter::Fail(const char* error) {
    if (!ok_) return;
    ok_ = false;
    conn_.Report(db_.prompts(), sql_, error);
}

bool BulkWriter::Add(std::initializer_list<SqlValue> values) {
    if (!ok_ || done_) return false;
    if (static_cast<int>(values.size()) != sqlite3_bind_parameter_count(stmt_)) {
        // A parameter left out would keep the previous row's value, whose text may be gone.
        Fail("the number of values differs from the number of parameters");
        return false;
    }
    int i = 1;
    int rc = SQLITE_OK;
    for (const SqlValue& v : values) {
        if (const auto* text = std::get_if<std::string_view>(&v))
            rc = sqlite3_bind_text(stmt_, i, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
        else if (const auto* number = std::get_if<std::int64_t>(&v))
            rc = sqlite3_bind_int64(stmt_, i, *number);
        else
            rc = sqlite3_bind_null(stmt_, i);
        if (rc != SQLITE_OK) break;
        ++i;
    }
    if (rc == SQLITE_OK) rc = sqlite3_step(stmt_);
    const bool added = rc == SQLITE_DONE || rc == SQLITE_ROW;
    if (!added) {
        // A refused row costs only itself and is reported with its values, unless the error
        // ended the whole transaction (a full disk, a lost lock): then every row is lost.
        char* row = sqlite3_expanded_sql(stmt_);
        conn_.Report(db_.prompts(), row ? std::string_view(row) : std::string_view(sql_),
                     sqlite3_errmsg(conn_.Handle()));
        sqlite3_free(row);
        if (sqlite3_get_autocommit(conn_.Handle())) ok_ = false;
    }
    sqlite3_reset(stmt_);
    return added;
}

bool BulkWriter::Commit() {
    if (done_) return false;
    Finish(ok_);
    return ok_;
}

void BulkWriter::Finish(bool commit) {
    done_ = true;
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    if (!ownsTransaction_) {
        if (!commit) conn_.failed = true;  // the joined transaction is lost with the writer
    } else if (!conn_.End(commit, db_.prompts())) {
        ok_ = false;
    }
}

}  // namespace xunda
