// Opening the database at start. Faults caught: a missing or damaged file silently replaced by an
// empty one (or files created beside it), a half-made first start taken for a database, defaults
// missing from the schema, files readable by other users; compaction losing rows, replacing the file
// under another program (whose next commit then corrupts it), rebuilding a damaged file.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <thread>

#include "store/compaction.h"
#include "store_fixture.h"

namespace xunda::test {
namespace {
namespace fs = std::filesystem;

std::ptrdiff_t Entries(const fs::path& dir) {
    return std::distance(fs::directory_iterator(dir), {});
}

TEST(OpenTest, BadFilesFailWithoutCreatingAnything) {
    TempDir dir;
    WriteFile(dir / "empty.db", "");
    WriteFile(dir / "text.db", std::string(4096, 'x'));
    sqlite3* other = nullptr;  // a real SQLite file, but not this program's
    sqlite3_open((dir / "foreign.db").c_str(), &other);
    sqlite3_exec(other, "CREATE TABLE t (a)", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    for (const char* name : {"missing.db", "empty.db", "text.db", "foreign.db", "nofolder/x.db"}) {
        RecordingPrompts prompts;
        EXPECT_FALSE(Database::Open(dir / name, prompts)) << name;
        EXPECT_EQ(prompts.notices(), std::vector<std::string>{"数据库打开失败!\n" + (dir / name).string()});
    }
    EXPECT_EQ(Entries(dir.path()), 3);
}

TEST(OpenTest, FirstStartCreatesThenLaterStartsRequireTheFile) {
    TempDir dir;
    setenv("XUNDA_SMS_HOME", dir.path().c_str(), 1);
    // What a first start stopped half-way leaves: its temporary folder, but no DATA folder.
    fs::create_directory(dir / "DATA.new-abcdef");
    WriteFile(dir / "DATA.new-abcdef/TOLVI_DY.db.new", "half a database");
    RecordingPrompts prompts;
    for (int start = 0; start < 2; ++start) {
        auto db = Database::OpenAtStart(prompts);
        ASSERT_TRUE(db);
        EXPECT_TRUE(db->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'kept')"));
        EXPECT_EQ(db->pAdoQuery("SELECT COUNT(*) AS n FROM okMsg").AsInt("n"), start + 1);
    }
    EXPECT_EQ(fs::status(dir / "DATA/TOLVI_DY.db").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(dir / "DATA").permissions(), fs::perms::owner_all);
    EXPECT_EQ(Entries(dir.path()), 2);  // the earlier start's folder is left as it was
    EXPECT_TRUE(prompts.notices().empty());
    fs::remove(dir / "DATA/TOLVI_DY.db");
    EXPECT_FALSE(Database::OpenAtStart(prompts));
    unsetenv("XUNDA_SMS_HOME");
    EXPECT_EQ(prompts.notices().size(), 1u);
    EXPECT_FALSE(fs::exists(dir / "DATA/TOLVI_DY.db"));
}

using SchemaTest = StoreTest;

TEST_F(SchemaTest, DefaultsAndCollationsHold) {
    for (const char* sql : {"INSERT INTO mo (corpID, moID, mob, msg) VALUES (1,5,'138','hi')",
                            "INSERT INTO mobOrder (corpID, mob, msgType) VALUES (1,'138','News')",
                            "INSERT INTO mt (corpID, mob, msg, flag) VALUES (1,'138','Msg',0)",
                            "INSERT INTO msgType (corpID, msgType) VALUES (1,'News')",
                            "INSERT INTO histMsg (corpID, msgContent) VALUES (1,'b')"})
        ASSERT_TRUE(db_->pAdoCom(sql)) << sql;
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mo WHERE flag=0"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mobOrder WHERE dgStatus=1 AND msgType IN ('news')"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt WHERE msg='MSG' AND mtID IS NULL"), 1);
    const std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    for (const char* sql : {"SELECT dgTime AS t FROM mobOrder", "SELECT mtTime AS t FROM mt",
                            "SELECT addtime AS t FROM msgType", "SELECT msgTime AS t FROM histMsg"})
        EXPECT_TRUE(std::regex_match(db_->pAdoQuery(sql).AsString("t"), stamp)) << sql;
}

class CompactionTest : public StoreTest {
  protected:
    // 5000 rows of which 1000 stay, and the test's Database closed: compaction runs before the
    // program opens the file.
    void FillAndClose() {
        Exec(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<4999) "
            "INSERT INTO mt_bak (corpID, mtID, msg) SELECT 1, i, printf('%200d', i) FROM n");
        Exec("DELETE FROM mt_bak WHERE mtID >= 1000");
        db_.reset();
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
    ASSERT_TRUE(::pipe(opened) == 0 && ::pipe(compacted) == 0);
    const pid_t child = ::fork();
    if (child == 0) {  // another program holding the file open across the compaction
        sqlite3* raw = nullptr;
        sqlite3_open_v2(file_.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        auto run = [raw](const char* sql) {
            return sqlite3_exec(raw, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
        };
        const bool ok = run("PRAGMA journal_mode=WAL; SELECT COUNT(*) FROM mt_bak") &&
                        ::write(opened[1], "o", 1) == 1 && Await(compacted[0]) &&
                        run("INSERT INTO okMsg (corpID, msg) VALUES (1,'after')");
        sqlite3_close(raw);
        ::_exit(ok ? 0 : 1);
    }
    ASSERT_TRUE(child > 0 && Await(opened[0]));
    EXPECT_EQ(CompactDatabase(file_, prompts_), CompactResult::Compacted);
    ASSERT_EQ(::write(compacted[1], "c", 1), 1);
    int status = -1;
    for (int i = 0; i < 1000 && ::waitpid(child, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (status == -1) ::kill(child, SIGKILL);
    EXPECT_EQ(status, 0);
    EXPECT_LT(fs::file_size(file_), before / 2);
    db_ = Database::Open(file_, prompts_);
    ASSERT_TRUE(db_);
    EXPECT_EQ(db_->pAdoQuery("PRAGMA integrity_check").AsString("integrity_check"), "ok");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt_bak") +
                  Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg='after'"),
              1001);
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
    EXPECT_EQ(prompts_.notices().size(), 1u);
    EXPECT_EQ(prompts_.notices().at(0).rfind("数据库压缩失败!\n", 0), 0u);
}

TEST_F(CompactionTest, SkipsWhileAnotherProgramWrites) {
    bool skipped = false;
    db_->Transaction([&] {
        skipped = CompactDatabase(file_, prompts_) == CompactResult::Skipped;
        return db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'written meanwhile')");
    });
    EXPECT_TRUE(skipped);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg"), 1);
    EXPECT_TRUE(prompts_.notices().empty());
}

}  // namespace
}  // namespace xunda::test
