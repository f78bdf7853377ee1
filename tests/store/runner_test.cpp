// Faults caught: a failing statement that half-changes tables or stops the caller, a second
// statement smuggled behind the first, multi-statement changes left half done, another insert's
// id read back, result rows addressed wrongly.
#include <gtest/gtest.h>

#include <thread>

#include "store/sql_text.h"
#include "store_fixture.h"

namespace xunda::test {
namespace {

using RunnerTest = StoreTest;

TEST_F(RunnerTest, StatementErrorIsReportedAndChangesNothing) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO mt (corpID, mob, msg, flag) VALUES (1,'1','a',0)"));
    const std::string bad = "UPDATE mt SET flag=2 WHERE nosuchcolumn=1";
    EXPECT_FALSE(db_->pAdoCom(bad));
    ResultSet broken = db_->pAdoQuery("SELECT * FROM mt WHERE");
    EXPECT_FALSE(broken.Ok());
    EXPECT_TRUE(broken.Eof());

    auto notices = prompts_.notices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].rfind("数据库命令执行失败,请检查!\n" + bad + "\n", 0), 0u) << notices[0];
    EXPECT_NE(notices[0].find("nosuchcolumn"), std::string::npos);
    EXPECT_EQ(notices[1].rfind("数据库命令执行失败,请检查!\nSELECT * FROM mt WHERE\n", 0), 0u);

    // The next statement runs normally and the table is as it was.
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt WHERE flag=0"), 1);
}

TEST_F(RunnerTest, FailingRowOfAMultiRowStatementLeavesNoRows) {
    ASSERT_TRUE(db_->pAdoCom("CREATE TABLE t (v INTEGER UNIQUE)"));
    EXPECT_FALSE(db_->pAdoCom("INSERT INTO t (v) VALUES (1),(2),(1)"));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM t"), 0);
}

TEST_F(RunnerTest, EmptyStatementRunsThePagesLastQueryAgain) {
    ResultSet page;
    db_->pAdoQuery("SELECT msg FROM okMsg WHERE corpID=1 ORDER BY id", page);
    EXPECT_TRUE(page.Ok());
    EXPECT_EQ(page.RecordCount(), 0u);
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'added by a dialog')"));
    db_->pAdoQuery("", page);
    ASSERT_EQ(page.RecordCount(), 1u);
    EXPECT_EQ(page.AsString("msg"), "added by a dialog");
    EXPECT_EQ(page.Sql(), "SELECT msg FROM okMsg WHERE corpID=1 ORDER BY id");

    // A failed statement leaves the page empty, and a refresh runs it (and reports it) again.
    db_->pAdoQuery("SELECT nosuchcolumn FROM okMsg", page);
    EXPECT_FALSE(page.Ok());
    EXPECT_TRUE(page.Eof());
    db_->pAdoQuery("", page);
    EXPECT_FALSE(page.Ok());
    EXPECT_EQ(prompts_.notices().size(), 2u);
}

TEST_F(RunnerTest, SecondStatementIsRefusedUnrun) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'keep')"));
    EXPECT_FALSE(db_->pAdoCom("UPDATE okMsg SET msg='x' WHERE corpID=2; DELETE FROM okMsg"));
    EXPECT_FALSE(db_->pAdoQuery("SELECT * FROM okMsg; DELETE FROM okMsg").Ok());
    using namespace std::string_literals;
    EXPECT_FALSE(db_->pAdoCom("UPDATE okMsg SET corpID=1\0; DELETE FROM okMsg"s));
    EXPECT_EQ(prompts_.notices().size(), 3u);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg='keep'"), 1);
    // Trailing semicolons, blanks and comments are not a second statement.
    EXPECT_TRUE(db_->pAdoCom("UPDATE okMsg SET corpID=1 ;  -- done\n"));
    EXPECT_EQ(prompts_.notices().size(), 3u);
}

TEST_F(RunnerTest, TransactionIsAllOrNothing) {
    bool committed = db_->Transaction([&] {
        db_->pAdoCom("INSERT INTO histMsg (corpID, msgContent) VALUES (1,'a')");
        db_->pAdoCom("INSERT INTO histMsgType (corpID, msgID, msgType) VALUES (1, 'x', )");  // fails
        db_->pAdoCom("INSERT INTO histMsgType (corpID, msgID, msgType) VALUES (1, 1, 'b')");
        return true;
    });
    EXPECT_FALSE(committed);
    EXPECT_EQ(prompts_.notices().size(), 1u);  // statements after the failure are not run
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM histMsg"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM histMsgType"), 0);

    EXPECT_FALSE(db_->Transaction([&] {
        db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'a')");
        return false;  // the caller changed its mind
    }));
    EXPECT_THROW(db_->Transaction([&]() -> bool {
        db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'b')");
        throw std::runtime_error("boom");
    }),
                 std::runtime_error);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg"), 0);

    EXPECT_TRUE(db_->Transaction([&] {
        return db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'c')") && db_->Transaction([&] {
            return db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'d')");
        });
    }));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg"), 2);
}

TEST_F(RunnerTest, LastInsertIdBelongsToTheCallingThread) {
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO histMsg (corpID, msgContent) VALUES (1,'mine')"));
    std::int64_t mine = db_->LastInsertId();
    std::thread other([&] {
        for (int i = 0; i < 20; ++i)
            db_->pAdoCom("INSERT INTO histMsg (corpID, msgContent) VALUES (2,'theirs')");
    });
    other.join();
    EXPECT_EQ(db_->LastInsertId(), mine);
    ResultSet rs = db_->pAdoQuery("SELECT msgContent FROM histMsg WHERE msgID=" + SqlInt(mine));
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.AsString("msgContent"), "mine");
}

TEST_F(RunnerTest, ThreadsWriteConcurrentlyThroughTheirOwnConnections) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                db_->Transaction([&] {
                    return db_->pAdoCom("INSERT INTO mo (corpID, moID, mob, msg) VALUES (" +
                                        SqlInt(std::int64_t{t}) + "," + SqlInt(std::int64_t{i}) +
                                        ",'1','m')");
                });
        });
    for (auto& th : threads) th.join();
    EXPECT_TRUE(prompts_.notices().empty());
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mo WHERE flag=0"), 200);
}

TEST_F(RunnerTest, RowsAreDeletedAndUpdatedByRowid) {
    for (const char* mob : {"1", "2", "3"})
        ASSERT_TRUE(db_->pAdoCom(std::string("INSERT INTO mobs (corpID, mob) VALUES (5,'") + mob + "')"));
    ResultSet rs = db_->pAdoQuery("SELECT rowid AS rowid, * FROM mobs WHERE corpID=5 ORDER BY mob");
    rs.Next();  // "2"
    ASSERT_TRUE(db_->UpdateRow("mobs", rs.RowId(), "usermemo", std::string_view("it's a note")));
    rs.Next();  // "3"
    ASSERT_TRUE(db_->DeleteRow("mobs", rs.RowId()));

    ResultSet after = db_->pAdoQuery("SELECT mob, usermemo FROM mobs ORDER BY mob");
    ASSERT_EQ(after.RecordCount(), 2u);
    EXPECT_TRUE(after.IsNull("usermemo"));
    after.Next();
    EXPECT_EQ(after.AsString("usermemo"), "it's a note");
    EXPECT_THROW(db_->DeleteRow("mobs; DROP TABLE mt", 1), std::invalid_argument);
}

TEST_F(RunnerTest, BulkWriterCommitsAllRowsOrNone) {
    {
        BulkWriter w(
            *db_,
            "INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES (?,?,?,?,?,?,0)");
        for (int i = 0; i < 1000; ++i)
            ASSERT_TRUE(w.Add({std::int64_t{9}, std::string_view("1380000"), std::string_view("it's"),
                               nullptr, std::string_view(""), std::int64_t{1 + i / 500}}));
        EXPECT_TRUE(w.Commit());
    }
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt WHERE corpID=9 AND flag=0 AND msg='it''s'"), 1000);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt WHERE mtLevel='2'"), 500);

    ASSERT_TRUE(db_->pAdoCom("CREATE TABLE u (v INTEGER UNIQUE)"));
    {
        BulkWriter w(*db_, "INSERT INTO u (v) VALUES (?)");
        EXPECT_TRUE(w.Add({std::int64_t{1}}));
        EXPECT_FALSE(w.Add({std::int64_t{1}}));
        EXPECT_FALSE(w.Add({std::int64_t{2}}));
        EXPECT_FALSE(w.Commit());
    }
    {
        BulkWriter w(*db_, "INSERT INTO u (v) VALUES (?)");
        w.Add({std::int64_t{3}});
    }  // never committed
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM u"), 0);
    EXPECT_EQ(prompts_.notices().size(), 1u);

    // A row with too few or too many values is refused, not completed with the previous row's.
    {
        BulkWriter w(*db_, "INSERT INTO mobs (corpID, mob, userName) VALUES (?,?,?)");
        std::string name = "first";
        EXPECT_TRUE(w.Add({std::int64_t{4}, std::string_view("1"), std::string_view(name)}));
        name.assign(100, 'z');
        EXPECT_FALSE(w.Add({std::int64_t{4}, std::string_view("2")}));
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mobs"), 0);
    ASSERT_EQ(prompts_.notices().size(), 2u);
    EXPECT_NE(prompts_.notices()[1].find("INSERT INTO mobs"), std::string::npos);
    {
        BulkWriter w(*db_, "INSERT INTO u (v) VALUES (?)");
        EXPECT_FALSE(w.Add({std::int64_t{5}, std::int64_t{6}}));
    }
    EXPECT_EQ(prompts_.notices().size(), 3u);

    // Inside a transaction the writer joins it.
    EXPECT_FALSE(db_->Transaction([&] {
        BulkWriter w(*db_, "INSERT INTO u (v) VALUES (?)");
        w.Add({std::int64_t{4}});
        w.Commit();
        return db_->pAdoCom("INSERT INTO u (v) VALUES (4)");
    }));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM u"), 0);
}

}  // namespace
}  // namespace xunda::test
