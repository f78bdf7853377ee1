// The message store: the SQLite file DATA/TOLVI_DY.db under the data root, and the runners
// through which every statement of the program goes.
//
// Each thread talks to the file through a connection of its own (WAL, busy timeout), opened on its
// first statement and closed when the thread ends or the Database goes away; a Database object may
// be used from any thread. A failed statement is reported through Prompts::Notice as
// "数据库命令执行失败,请检查!" with the statement and the error text (shown once the transaction, if
// any, has ended), and the caller goes on with an empty result: the runners never throw for
// database errors.
//
// Typical use:
//     ResultSet rs = db.pAdoQuery("SELECT * FROM mt WHERE corpID=" + SqlInt(corpID) +
//                                 " AND flag=0 ORDER BY id");
//     for (; !rs.Eof(); rs.Next()) Send(rs.AsString("mob"), rs.AsString("msg"));
//     db.Transaction([&] { return db.pAdoCom(a) && db.pAdoCom(b); });  // all or nothing
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "store/result_set.h"

struct sqlite3_stmt;

namespace xunda {

class Prompts;

namespace store_detail {
class Connection;
}  // namespace store_detail

// A value bound to a prepared statement's parameter: NULL, a number or a text.
using SqlValue = std::variant<std::nullptr_t, std::int64_t, std::string_view>;

// One row as a streaming query hands it over (nullopt is SQL NULL); valid during the call only.
using RowValues = std::vector<std::optional<std::string_view>>;
// The fields a list shows of a row, each with the value shown (nullopt is NULL).
using ShownFields = std::vector<std::pair<std::string, std::optional<std::string>>>;
using ColumnsCallback = std::function<void(const std::vector<std::string>& columns)>;
using RowCallback = std::function<void(const RowValues& values)>;

class Database {
  public:
    // DATA/TOLVI_DY.db under the data root.
    static std::filesystem::path DefaultPath();

    // Program start. On the first start (no DATA folder yet) creates the folder with an empty
    // database in it (the folder appears only with the finished file, so an interrupted first
    // start is a first start again); afterwards compacts the file (CompactDatabase) and opens it
    // without creating anything. nullptr after "数据库打开失败!" and the path have been shown.
    static std::unique_ptr<Database> OpenAtStart(Prompts& prompts);
    // Opens an existing database file; a missing, empty or foreign file gives nullptr after
    // "数据库打开失败!" and the path have been shown, and no file is created beside it.
    static std::unique_ptr<Database> Open(const std::filesystem::path& file, Prompts& prompts);
    // Creates a database file with every table and opens it; an existing file is left alone
    // and gives nullptr after "数据库打开失败!".
    static std::unique_ptr<Database> Create(const std::filesystem::path& file, Prompts& prompts);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::filesystem::path& Path() const;
    Prompts& prompts() const;

    // Runs a statement that returns rows and reads them all. On error: reported, empty result
    // with Ok() false.
    ResultSet pAdoQuery(std::string_view sql);
    // Runs a statement that returns rows and hands them over as they are read: the column names
    // once, then each row. On error: reported, false (rows handed over before it stay handed).
    bool pAdoQuery(std::string_view sql, const ColumnsCallback& columns, const RowCallback& row);
    // Runs a statement selecting one number per row (rowids) and appends them to `ids`. On error:
    // reported, false.
    bool ReadIds(std::string_view sql, std::vector<std::int64_t>& ids);
    // A page's query: runs `sql` into `query`, or, when `sql` is empty, the statement `query` ran
    // last (refreshing a page after a dialog changed its rows).
    void pAdoQuery(std::string_view sql, ResultSet& query);
    // Runs a statement that changes rows. On error: reported, false, and the statement had no
    // effect.
    bool pAdoCom(std::string_view sql);

    // Runs `body` in one transaction on this thread's connection: committed when it returns true
    // and every statement in it succeeded, else rolled back (also when it throws). Nested calls
    // join the outer transaction. Returns whether the changes were committed. A quiet transaction
    // shows none of its failures: a retry of a store whose failure has been shown already.
    bool Transaction(const std::function<bool()>& body, bool quiet = false);

    // The id given to the last row this thread inserted (autonumber columns).
    std::int64_t LastInsertId();
    // Rows changed by this thread's last command.
    int Changes();

    // Runs a statement that changes the rows a list shows. When it changes none (they are gone or
    // were changed since they were listed), it is refused: reported like a failed statement, false.
    bool ChangeRows(std::string_view sql);
    // Deletes or updates the row a list shows by its rowid and, since rowids are given out again,
    // only while the row still holds the values shown (`shown`; none for a key never given out
    // again); a row gone or changed is refused as in ChangeRows. `table` and the column names are
    // names from the program's code; a null text stores NULL.
    bool DeleteRow(std::string_view table, std::int64_t rowid, const ShownFields& shown = {});
    bool UpdateRow(std::string_view table, std::int64_t rowid, std::string_view column,
                   const std::optional<std::string_view>& text, const ShownFields& shown = {});

  private:
    friend class BulkWriter;
    struct Shared;
    explicit Database(std::shared_ptr<Shared> shared);
    store_detail::Connection& Conn();
    bool RunTransaction(store_detail::Connection& c, const std::function<bool()>& body);
    // Prepares `sql`, hands the statement to `prepared`, then to `row` at each row; reports errors.
    bool StepRows(std::string_view sql, const std::function<void(sqlite3_stmt*)>& prepared,
                  const std::function<void(sqlite3_stmt*)>& row);

    std::shared_ptr<Shared> shared_;
};

// Many rows through one prepared statement inside one transaction (queueing the outbox, bulk
// subscribing):
//     BulkWriter w(db, "INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag)"
//                      " VALUES (?,?,?,?,?,?,0)");
//     for (...) w.Add({corp, mob, msg, sub, link, level});
//     w.Commit();
// A refused row (a constraint, a trigger) costs only that row: Add returns false and the row is
// reported once with its values. An error that ends the transaction (or a bad statement) loses
// every row: it is reported once, later rows are ignored and nothing is committed. Reports are
// shown after the transaction has ended. Made inside Database::Transaction, the writer joins that
// transaction: Commit then only finishes the writer, and a lost writer loses the transaction. A
// writer belongs to the thread that made it.
class BulkWriter {
  public:
    BulkWriter(Database& db, std::string_view sql);
    ~BulkWriter();  // rolls back what Commit did not commit
    BulkWriter(const BulkWriter&) = delete;
    BulkWriter& operator=(const BulkWriter&) = delete;

    // Binds the values to the parameters ?1, ?2, ... in order and runs the statement once; true
    // when the row was added. A count of values other than the statement's count of parameters
    // loses the writer.
    bool Add(std::initializer_list<SqlValue> values);
    // Commits every row added; false (and nothing stored) when the writer was lost.
    bool Commit();
    // False once the writer is lost.
    bool Ok() const { return ok_; }

  private:
    void Fail(const char* error);
    void Finish(bool commit);

    Database& db_;
    store_detail::Connection& conn_;
    std::string sql_;
    sqlite3_stmt* stmt_ = nullptr;
    bool ownsTransaction_ = false;
    bool ok_ = true;
    bool done_ = false;
};

}  // namespace xunda
