// Faults caught: compaction losing rows, replacing the file under another program (whose next
// commit then corrupts it), rebuilding a damaged file, waiting for a program that writes.
#include "store/compaction.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "store_fixture.h"

namespace xunda::test {
namespace {
namespace fs = std::filesystem;

class CompactionTest : public StoreTest {
  protected:
    // 5000 rows of which 1000 stay, and the test's Database closed: compaction runs before the
    // program opens the file.
    void FillAndClose() {
        BulkWriter w(*db_, "INSERT INTO mt_bak (corpID, mtID, mob, msg, flag) VALUES (1,?,'13800000000',?,1)");
        const std::string text(200, 'x');
        for (int i = 0; i < 5000; ++i) w.Add({std::int64_t{i}, std::string_view(text)});
        ASSERT_TRUE(w.Commit());
        ASSERT_TRUE(db_->pAdoCom("DELETE FROM mt_bak WHERE mtID >= 1000"));
        db_.reset();
    }
    std::string Ask(const std::string& sql) {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(file_.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw, sql.c_str(), -1, &stmt, nullptr);
        std::string answer = sqlite3_step(stmt) == SQLITE_ROW ? (const char*)sqlite3_column_text(stmt, 0) : "";
        sqlite3_finalize(stmt);
        sqlite3_close(raw);
        return answer;
    }
};

// Waits at most 10 s for a byte on `fd`.
bool Await(int fd) {
    pollfd p{fd, POLLIN, 0};
    char byte;
    return ::poll(&p, 1, 10000) == 1 && ::read(fd, &byte, 1) == 1;
}

TEST_F(CompactionTest, AnotherProcessCommitsSafelyAfterTheCompaction) {
    FillAndClose();
    const auto before = fs::file_size(file_);
    int opened[2], compacted[2];
    ASSERT_EQ(::pipe(opened), 0);
    ASSERT_EQ(::pipe(compacted), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // another program holding the file open across the compaction
        sqlite3* raw = nullptr;
        bool ok = sqlite3_open_v2(file_.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                  sqlite3_exec(raw, "PRAGMA journal_mode=WAL; SELECT COUNT(*) FROM mt_bak", nullptr, nullptr,
                               nullptr) == SQLITE_OK;
        ok = ok && ::write(opened[1], "o", 1) == 1 && Await(compacted[0]) &&
             sqlite3_exec(raw, "INSERT INTO okMsg (corpID, msg) VALUES (1,'after')", nullptr, nullptr,
                          nullptr) == SQLITE_OK;
        sqlite3_close(raw);
        ::_exit(ok ? 0 : 1);
    }
    ASSERT_TRUE(Await(opened[0]));
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Compacted);
    ASSERT_EQ(::write(compacted[1], "c", 1), 1);
    int status = -1;
    for (int i = 0; i < 1000 && ::waitpid(child, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (status == -1) ::kill(child, SIGKILL);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Ask("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(Ask("SELECT COUNT(*) FROM mt_bak"), "1000");
    EXPECT_EQ(Ask("SELECT msg FROM okMsg"), "after");
    EXPECT_LT(fs::file_size(file_), before / 2);
    EXPECT_TRUE(prompts_.notices().empty()) << ::testing::PrintToString(prompts_.notices());
}

TEST_F(CompactionTest, DamagedFileIsLeftAsItIs) {
    FillAndClose();
    // A page no table owns: the header counts one page more and the file has it.
    const auto pages = static_cast<std::uint32_t>(std::stoul(Ask("PRAGMA page_count"))) + 1;
    std::string damaged = ReadFile(file_) + std::string(std::stoul(Ask("PRAGMA page_size")), '\0');
    for (int i = 0; i < 4; ++i) damaged[28 + i] = static_cast<char>(pages >> (24 - 8 * i));
    WriteFile(file_, damaged);
    ASSERT_NE(Ask("PRAGMA quick_check"), "ok");
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Failed);
    EXPECT_TRUE(ReadFile(file_) == damaged) << "the damaged file was changed";
    ASSERT_EQ(prompts_.notices().size(), 1u);
    EXPECT_EQ(prompts_.notices()[0].rfind("数据库压缩失败!\n", 0), 0u);
}

TEST_F(CompactionTest, SkipsWhileAnotherProgramWrites) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'kept')"));
    bool skipped = false;
    db_->Transaction([&] {
        skipped = CompactDatabase(file_, prompts_) == CompactResult::Skipped;
        return db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'written meanwhile')");
    });
    EXPECT_TRUE(skipped);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg"), 2);
    EXPECT_TRUE(prompts_.notices().empty()) << ::testing::PrintToString(prompts_.notices());
}

}  // namespace
}  // namespace xunda::test
