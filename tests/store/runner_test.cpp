// Faults caught: a failing statement that half-changes tables, stops the caller or shows its box
// while the file is locked; a second statement smuggled behind the first; a transaction left half
// done; another thread's insert id read back; a connection stuck read-only; a refused bulk row
// costing its neighbours.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

#include "store/sql_text.h"
#include "store_fixture.h"

namespace xunda::test {
namespace {
using namespace std::string_literals;

using RunnerTest = StoreTest;

TEST_F(RunnerTest, FailedStatementIsReportedAndChangesNothing) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'keep')"));
    const std::string refused[] = {
        "UPDATE okMsg SET msg='x' WHERE nosuchcolumn=1",
        "UPDATE okMsg SET msg='x' WHERE corpID=2; DELETE FROM okMsg",  // a second statement
        "UPDATE okMsg SET corpID=1\0; DELETE FROM okMsg"s,
        "",
    };
    for (const std::string& sql : refused) EXPECT_FALSE(db_->pAdoCom(sql)) << sql;
    EXPECT_FALSE(db_->pAdoQuery("SELECT * FROM okMsg; DELETE FROM okMsg").Ok());
    ResultSet page;
    db_->pAdoQuery("SELECT nosuchcolumn FROM okMsg", page);
    EXPECT_TRUE(!page.Ok() && page.Eof());
    ASSERT_EQ(prompts_.notices().size(), 6u);
    EXPECT_EQ(prompts_.notices()[0], "数据库命令执行失败,请检查!\n" + refused[0] + "\nno such column: nosuchcolumn");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg='keep'"), 1);
    EXPECT_TRUE(db_->pAdoCom("UPDATE okMsg SET corpID=1 ;  -- a comment is no second statement\n"));
    db_->pAdoQuery("SELECT msg FROM okMsg WHERE corpID=1 ORDER BY id", page);
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'added by a dialog')"));
    db_->pAdoQuery("", page);  // a refresh runs the page's statement again
    EXPECT_EQ(page.RecordCount(), 2u);
    EXPECT_EQ(prompts_.notices().size(), 6u);
}

TEST_F(RunnerTest, TransactionIsAllOrNothingAndReportsAfterTheRollback) {
    EXPECT_FALSE(db_->Transaction([&] {
        db_->pAdoCom("INSERT INTO histMsg (corpID, msgContent) VALUES (1,'a')");
        db_->pAdoCom("INSERT INTO histMsgType (corpID, msgID, msgType) VALUES (1, 'x', )");  // fails
        db_->pAdoCom("INSERT INTO nosuchtable (corpID) VALUES (1)");
        return true;
    }));
    EXPECT_EQ(prompts_.notices().size(), 1u);  // statements after the failure are not run
    EXPECT_FALSE(db_->Transaction([&] {
        db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'a')");
        return false;  // the caller changed its mind
    }));
    EXPECT_THROW(db_->Transaction([&]() -> bool {
        db_->pAdoQuery("SELECT nosuchcolumn FROM okMsg");
        throw std::runtime_error("boom");
    }),
                 std::runtime_error);
    EXPECT_EQ(prompts_.notices().size(), 2u);
    EXPECT_EQ(Count("SELECT (SELECT COUNT(*) FROM histMsg) + (SELECT COUNT(*) FROM histMsgType) + "
                    "(SELECT COUNT(*) FROM okMsg) AS n"),
              0);
    for (bool inner : {false, true})  // a nested transaction joins the outer one
        EXPECT_EQ(db_->Transaction([&] {
            db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'c')");
            db_->Transaction([&] { return db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'d')") && inner; });
            return true;
        }),
                  inner);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg"), 2);
    // The fixture's prompts check that every box above stood with the file unlocked.
}

TEST_F(RunnerTest, ThreadsWriteThroughTheirOwnConnections) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO histMsg (corpID, msgContent) VALUES (1,'mine')"));
    const std::int64_t mine = db_->LastInsertId();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                db_->Transaction([&] {
                    return db_->pAdoCom("INSERT INTO histMsg (corpID, msgContent) VALUES (" +
                                        SqlInt(std::int64_t{t + 2}) + ",'theirs')");
                });
        });
    for (auto& th : threads) th.join();
    EXPECT_TRUE(prompts_.notices().empty());
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM histMsg WHERE corpID>1"), 200);
    EXPECT_EQ(db_->LastInsertId(), mine);
}

// Drops the calling thread's right to ignore file modes (root's), so that a read-only file is
// read-only for it even when the tests run as root. Capabilities belong to each thread.
void ObeyFileModes() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    ASSERT_EQ(syscall(SYS_capget, &header, caps), 0);
    caps[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    ASSERT_EQ(syscall(SYS_capset, &header, caps), 0);
}

TEST_F(RunnerTest, ConnectionOpenedOnAReadOnlyFileWritesOnceItIsWritableAgain) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'before')"));  // the program runs
    std::thread([&] {
        ObeyFileModes();
        ASSERT_EQ(::chmod(file_.c_str(), 0400), 0);
        const int fd = ::open(file_.c_str(), O_RDWR);
        ASSERT_LT(fd, 0) << "the file is still writable for this thread";
        EXPECT_FALSE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'a')"));
        ASSERT_EQ(::chmod(file_.c_str(), 0600), 0);
        EXPECT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'b')"));
    }).join();
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg='b'"), 1);
    EXPECT_EQ(prompts_.notices().size(), 1u) << ::testing::PrintToString(prompts_.notices());
}

TEST_F(RunnerTest, RowsAreDeletedAndUpdatedByRowid) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO mobs (corpID, mob, usermemo) VALUES (5,'1','x'), (5,'2','x'), (5,'3','x')"));
    ResultSet rs = db_->pAdoQuery("SELECT rowid AS rowid, * FROM mobs WHERE corpID=5 ORDER BY mob");
    ASSERT_TRUE(db_->UpdateRow("mobs", rs.RowId(), "usermemo", std::nullopt));
    rs.Next();
    ASSERT_TRUE(db_->UpdateRow("mobs", rs.RowId(), "usermemo", std::string_view("it's")));
    rs.Next();
    ASSERT_TRUE(db_->DeleteRow("mobs", rs.RowId()));
    EXPECT_TRUE(db_->pAdoQuery("SELECT usermemo FROM mobs WHERE mob='1'").IsNull("usermemo"));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mobs WHERE mob='2' AND usermemo='it''s'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mobs"), 2);
    for (const char* table : {"mobs; DROP TABLE mt", "1mobs", ""})
        EXPECT_THROW(db_->DeleteRow(table, 1), std::invalid_argument) << table;
    EXPECT_THROW(db_->UpdateRow("mobs", 1, "mob=1,usermemo", std::nullopt), std::invalid_argument);
}

TEST_F(RunnerTest, BulkWriterLosesOnlyARefusedRow) {
    ASSERT_TRUE(db_->pAdoCom("CREATE TRIGGER refuse BEFORE INSERT ON okMsg WHEN NEW.msg LIKE 'bad%' "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    {
        BulkWriter w(*db_, "INSERT INTO okMsg (corpID, msg) VALUES (?,?)");
        EXPECT_TRUE(w.Add({std::int64_t{1}, "it's"}));
        EXPECT_FALSE(w.Add({std::int64_t{1}, "bad 1"}));
        EXPECT_TRUE(w.Add({nullptr, "b"}));
        EXPECT_FALSE(w.Add({std::int64_t{1}, "bad 2"}));
        EXPECT_TRUE(w.Commit());
    }
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE corpID=1 AND msg='it''s'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE corpID IS NULL AND msg='b'"), 1);
    EXPECT_EQ(prompts_.notices(),
              (std::vector<std::string>{
                  "数据库命令执行失败,请检查!\nINSERT INTO okMsg (corpID, msg) VALUES (1,'bad 1')\nrefused",
                  "数据库命令执行失败,请检查!\nINSERT INTO okMsg (corpID, msg) VALUES (1,'bad 2')\nrefused"}));
    {
        BulkWriter w(*db_, "INSERT INTO okMsg (corpID, msg) VALUES (?,?)");
        w.Add({std::int64_t{3}, "never committed"});
    }
    {
        // A row with too few values loses the writer, not completed with the previous row's.
        BulkWriter w(*db_, "INSERT INTO okMsg (corpID, msg) VALUES (?,?)");
        std::string text = "first";
        EXPECT_TRUE(w.Add({std::int64_t{4}, std::string_view(text)}));
        text.assign(100, 'z');
        EXPECT_FALSE(w.Add({std::int64_t{4}}));
        EXPECT_FALSE(w.Add({std::int64_t{4}, "later"}));
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg"), 2);
    EXPECT_EQ(prompts_.notices().size(), 3u);
}

}  // namespace
}  // namespace xunda::test
