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
        BulkWriter w(*db_,
                     "INSERT INTO mt_bak (corpID, mtID, mob, msg, flag) VALUES (1,?,'13800000000',?,1)");
        const std::string text(200, 'x');
        for (int i = 0; i < 5000; ++i) w.Add({std::int64_t{i}, std::string_view(text)});
        ASSERT_TRUE(w.Commit());
        ASSERT_TRUE(db_->pAdoCom("DELETE FROM mt_bak WHERE mtID >= 1000"));
        db_.reset();
    }
    // Opens the file as the program would, with the integrity verdict.
    std::string Reopen() {
        db_ = Database::Open(file_, prompts_);
        return db_ ? db_->pAdoQuery("PRAGMA integrity_check").AsString("integrity_check") : "cannot open";
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
    EXPECT_LT(fs::file_size(file_), before / 2);
    EXPECT_EQ(Reopen(), "ok");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt_bak") +
                  Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg='after'"),
              1001);
    EXPECT_TRUE(prompts_.notices().empty()) << ::testing::PrintToString(prompts_.notices());
}

TEST_F(CompactionTest, DamagedFileIsLeftAsItIs) {
    FillAndClose();
    // A page no table owns: the file has one page more and its header counts it.
    std::string damaged = ReadFile(file_);
    const std::size_t page = std::uint8_t(damaged[16]) << 8 | std::uint8_t(damaged[17]);
    damaged.append(page, '\0');
    for (std::size_t i = 0, pages = damaged.size() / page; i < 4; ++i)
        damaged[28 + i] = char(pages >> (24 - 8 * i));
    WriteFile(file_, damaged);
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
