// Faults caught: compaction losing the database (delete before rename, rows left in the
// write-ahead log), a stale temporary file blocking the start, replacing a file under a program
// that holds it open.
#include "store/compaction.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store_fixture.h"

namespace xunda::test {
namespace {
namespace fs = std::filesystem;

class CompactionTest : public StoreTest {
  protected:
    void Fill(int rows) {
        BulkWriter w(*db_,
                     "INSERT INTO mt_bak (corpID, mtID, mob, msg, flag) VALUES (1,?,'13800000000',?,1)");
        std::string text(200, 'x');
        for (int i = 0; i < rows; ++i) w.Add({std::int64_t{i}, std::string_view(text)});
        ASSERT_TRUE(w.Commit());
    }
    // Closes the test's Database: compaction runs before the program opens the file.
    void Close() { db_.reset(); }
    void Reopen() {
        db_ = Database::Open(file_, prompts_);
        ASSERT_TRUE(db_);
    }
};

TEST_F(CompactionTest, KeepsEveryRowAndShrinksTheFile) {
    Fill(5000);
    ASSERT_TRUE(db_->pAdoCom("DELETE FROM mt_bak WHERE mtID >= 1000"));
    Close();
    auto before = fs::file_size(file_);
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Compacted);
    EXPECT_LT(fs::file_size(file_), before);
    EXPECT_FALSE(fs::exists(dir_ / "msaTemp.db"));
    Reopen();
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt_bak"), 1000);
    EXPECT_TRUE(prompts_.notices().empty());
}

TEST_F(CompactionTest, KeepsRowsStillInTheWriteAheadLog) {
    Close();
    {
        // A program that ended without writing its log back into the file.
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(file_.c_str(), &raw), SQLITE_OK);
        int off = 1;
        sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, &off);
        sqlite3_exec(raw, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", nullptr, nullptr, nullptr);
        ASSERT_EQ(sqlite3_exec(raw, "INSERT INTO okMsg (corpID, msg) VALUES (1,'in the log')", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
    }
    fs::path wal = file_;
    wal += "-wal";
    ASSERT_GT(fs::file_size(wal), 0u);
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Compacted);
    EXPECT_FALSE(fs::exists(wal) && fs::file_size(wal) > 0);
    Reopen();
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg='in the log'"), 1);
}

TEST_F(CompactionTest, CrashBetweenCopyAndRenameLeavesAWholeDatabase) {
    Fill(100);
    Close();
    // What an interrupted compaction leaves: the database untouched plus a half-written copy.
    WriteFile(dir_ / "msaTemp.db", "half a copy");
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::StaleTemp);
    ASSERT_EQ(prompts_.notices().size(), 1u);
    EXPECT_NE(prompts_.notices()[0].find("msaTemp.db"), std::string::npos);
    Reopen();
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt_bak"), 100);
    db_.reset();
    // The next start compacts again.
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Compacted);
    EXPECT_EQ(prompts_.notices().size(), 1u);
}

TEST_F(CompactionTest, StaleTempAtStartIsReportedAndTheDatabaseOpens) {
    Close();
    setenv("XUNDA_SMS_HOME", dir_.path().c_str(), 1);
    fs::create_directory(dir_ / "DATA");
    fs::rename(file_, dir_ / "DATA/TOLVI_DY.db");
    WriteFile(dir_ / "DATA/msaTemp.db", "stale");
    auto db = Database::OpenAtStart(prompts_);
    unsetenv("XUNDA_SMS_HOME");
    ASSERT_TRUE(db);
    EXPECT_EQ(prompts_.notices().size(), 1u);
    EXPECT_TRUE(db->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'x')"));
}

TEST_F(CompactionTest, SkipsWhileAnotherProgramHoldsTheDatabase) {
    Fill(10);
    // db_ stays open: it holds the lock shared, as a running program does.
    struct stat before {};
    ASSERT_EQ(stat(file_.c_str(), &before), 0);
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Skipped);
    struct stat after {};
    ASSERT_EQ(stat(file_.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt_bak"), 10);

    // Another process's lock counts the same.
    Close();
    int fd = ::open((file_.string() + ".lock").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_SH), 0);
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Skipped);
    ::close(fd);
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Compacted);
    EXPECT_TRUE(prompts_.notices().empty());
}

}  // namespace
}  // namespace xunda::test
