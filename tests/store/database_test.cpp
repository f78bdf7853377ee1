// The runners and the settings on them. Faults caught: a failed statement that half-changes tables or
// shows its box while the file is locked, a second statement smuggled in, user texts that change a
// statement, a transaction left half done, another thread's insert id, a connection stuck read-only, a
// refused bulk row costing others; settings leaking between accounts, global keys stored per account,
// per-account keys touched before a login, the stored password shown in an error box, an account
// half cleared.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <thread>

#include "store/account_clear.h"
#include "store/settings.h"
#include "store/sql_text.h"
#include "store_fixture.h"

namespace xunda::test {
namespace {
using namespace std::string_literals;

class RunnerTest : public StoreTest {
  protected:
    bool Put(const std::string& msg) {
        return db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'" + msg + "')");
    }
};

TEST_F(RunnerTest, FailedStatementIsReportedAndChangesNothing) {
    ASSERT_TRUE(Put("keep"));
    const std::string refused[] = {
        "UPDATE okMsg SET msg='x' WHERE nosuchcolumn=1",
        "UPDATE okMsg SET msg='x' WHERE corpID=2; DELETE FROM okMsg",  // a second statement
        "UPDATE okMsg SET corpID=1\0; DELETE FROM okMsg"s, ""};
    for (const std::string& sql : refused) EXPECT_FALSE(db_->pAdoCom(sql)) << sql;
    EXPECT_FALSE(db_->pAdoQuery("SELECT * FROM okMsg; DELETE FROM okMsg").Ok());
    ResultSet page;
    db_->pAdoQuery("SELECT nosuchcolumn FROM okMsg", page);
    EXPECT_TRUE(!page.Ok() && page.Eof());
    ASSERT_EQ(prompts_.notices().size(), 6u);
    EXPECT_EQ(prompts_.notices()[0],
              "数据库命令执行失败,请检查!\n" + refused[0] + "\nno such column: nosuchcolumn");
    EXPECT_TRUE(db_->pAdoCom("UPDATE okMsg SET corpID=1 ;  -- a comment is no second statement\n"));
    db_->pAdoQuery("SELECT msg FROM okMsg WHERE corpID=1 AND msg<>'x' ORDER BY id", page);
    ASSERT_TRUE(Put("added by a dialog"));
    db_->pAdoQuery("", page);  // a refresh runs the page's statement again
    EXPECT_EQ(page.RecordCount(), 2u);
    EXPECT_EQ(prompts_.notices().size(), 6u);
}

TEST_F(RunnerTest, TransactionIsAllOrNothingAndReportsAfterTheRollback) {
    EXPECT_FALSE(db_->Transaction([&] {
        Put("a");
        db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1, )");  // fails
        db_->pAdoCom("INSERT INTO nosuchtable (corpID) VALUES (1)");   // not run
        return true;
    }));
    EXPECT_FALSE(db_->Transaction([&] { return Put("b") && false; }));  // the caller changed its mind
    EXPECT_THROW(db_->Transaction([&]() -> bool {
        Put("c");
        db_->pAdoQuery("SELECT nosuchcolumn FROM okMsg");  // shown after the rollback too
        throw std::runtime_error("boom");
    }),
                 std::runtime_error);
    EXPECT_EQ(prompts_.notices().size(), 2u);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg"), 0);
    for (bool inner : {false, true}) {  // a nested transaction joins the outer one
        const auto nested = [&] {
            return Put("d") && (db_->Transaction([&] { return Put("e") && inner; }) || true);
        };
        EXPECT_EQ(db_->Transaction(nested), inner);
    }
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg"), 2);
    ASSERT_TRUE(db_->pAdoCom("PRAGMA foreign_keys=ON") &&
                db_->pAdoCom("CREATE TABLE p (id INTEGER PRIMARY KEY)") &&
                db_->pAdoCom("CREATE TABLE c (p INTEGER REFERENCES p DEFERRABLE INITIALLY DEFERRED)"));
    EXPECT_FALSE(
        db_->Transaction([&] { return db_->pAdoCom("INSERT INTO c VALUES (1)"); }));  // refused by COMMIT
    EXPECT_EQ(prompts_.notices().back(), "数据库命令执行失败,请检查!\nCOMMIT\nFOREIGN KEY constraint failed");
    EXPECT_TRUE(Put("f"));  // outside any transaction again; every box above stood with the file unlocked
}

TEST_F(RunnerTest, ThreadsWriteThroughTheirOwnConnections) {
    ASSERT_TRUE(Put("mine"));
    const std::int64_t mine = db_->LastInsertId();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) db_->Transaction([&] { return Put("theirs"); });
        });
    for (auto& th : threads) th.join();
    EXPECT_TRUE(prompts_.notices().empty());
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg='theirs'"), 200);
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
    ASSERT_TRUE(Put("before"));  // the program runs
    std::thread([&] {
        ObeyFileModes();
        ASSERT_EQ(::chmod(file_.c_str(), 0400), 0);
        ASSERT_LT(::open(file_.c_str(), O_RDWR), 0) << "the file is still writable for this thread";
        EXPECT_FALSE(Put("a"));
        ASSERT_EQ(::chmod(file_.c_str(), 0600), 0);
        EXPECT_TRUE(Put("b"));
    }).join();
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg='b'"), 1);
    EXPECT_EQ(prompts_.notices().size(), 1u);
}

TEST_F(RunnerTest, RowsAreDeletedAndUpdatedByRowid) {
    Exec("INSERT INTO mobs (corpID, mob, usermemo) VALUES (5,'1','x'), (5,'2','x'), (5,'3','x')");
    ResultSet rs = db_->pAdoQuery("SELECT rowid AS rowid, * FROM mobs WHERE corpID=5 ORDER BY mob");
    ASSERT_TRUE(db_->UpdateRow("mobs", rs.RowId(), "usermemo", std::nullopt));
    rs.Next();
    ASSERT_TRUE(db_->UpdateRow("mobs", rs.RowId(), "usermemo", std::string_view("it's")));
    rs.Next();
    ASSERT_TRUE(db_->DeleteRow("mobs", rs.RowId()));
    EXPECT_TRUE(db_->pAdoQuery("SELECT usermemo FROM mobs WHERE mob='1'").IsNull("usermemo"));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mobs WHERE mob='2' AND usermemo='it''s' OR mob='3'"), 1);
    for (const char* table : {"mobs; DROP TABLE mt", "1mobs", ""})
        EXPECT_THROW(db_->DeleteRow(table, 1), std::invalid_argument) << table;
    EXPECT_THROW(db_->UpdateRow("mobs", 1, "mob=1,usermemo", std::nullopt), std::invalid_argument);
}

TEST_F(RunnerTest, ClearingAnAccountTakesItsRowsOfNineTablesOrNothing) {
    const std::string tables[] = {"histMsg", "mo",    "mt",           "mt_bak",      "mobs",     "mobOrder",
                                  "msgType", "okMsg", "lastSendMobs", "histMsgType", "sysConfig"};
    for (const std::string& table : tables)
        ASSERT_TRUE(db_->pAdoCom("INSERT INTO " + table + " (corpID) VALUES (7), (8)")) << table;
    auto left = [&] {
        std::string counts;
        for (const std::string& table : tables)
            counts += std::to_string(Count("SELECT COUNT(*) AS n FROM " + table + " WHERE corpID=7"));
        return counts + std::to_string(Count("SELECT COUNT(*) AS n FROM mo WHERE corpID=8")) +
               std::to_string(Count("SELECT COUNT(*) AS n FROM mt_sending"));
    };
    Exec("INSERT INTO mt_sending SELECT id FROM mt");  // marks left by a program that ended mid-request
    ASSERT_TRUE(db_->pAdoCom(
        "CREATE TRIGGER fail BEFORE DELETE ON lastSendMobs BEGIN SELECT RAISE(ABORT, 'no'); END"));
    EXPECT_FALSE(ClearAccountData(*db_, "7"));
    EXPECT_EQ(left(), "1111111111112");
    EXPECT_EQ(prompts_.notices().size(), 1u);
    Exec("DROP TRIGGER fail");
    EXPECT_TRUE(ClearAccountData(*db_, "7"));
    EXPECT_EQ(left(), "0000000001111");
}

TEST_F(RunnerTest, BulkWriterLosesOnlyARefusedRow) {
    ASSERT_TRUE(
        db_->pAdoCom("CREATE TRIGGER refuse BEFORE INSERT ON okMsg WHEN NEW.msg='bad' "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const char* sql = "INSERT INTO okMsg (corpID, msg) VALUES (?,?)";
    {
        BulkWriter w(*db_, sql);
        EXPECT_TRUE(w.Add({std::int64_t{1}, "it's"}) && !w.Add({std::int64_t{1}, "bad"}) &&
                    w.Add({nullptr, "b"}));
        EXPECT_TRUE(w.Commit());
    }
    EXPECT_EQ(prompts_.notices(),
              std::vector<std::string>{"数据库命令执行失败,请检查!\nINSERT INTO okMsg (corpID, "
                                       "msg) VALUES (1,'bad')\nrefused"});
    BulkWriter(*db_, sql).Add({std::int64_t{3}, "never committed"});
    {
        // A row with too few values loses the writer, not completed with the previous row's.
        BulkWriter w(*db_, sql);
        std::string text = "first";
        EXPECT_TRUE(w.Add({std::int64_t{4}, std::string_view(text)}));
        text.assign(100, 'z');
        EXPECT_FALSE(w.Add({std::int64_t{4}}) || w.Add({std::int64_t{4}, "later"}) || w.Commit());
    }
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE corpID=1 AND msg='it''s' OR corpID IS NULL AND "
                    "msg='b' OR corpID>1"),
              2);
    EXPECT_EQ(prompts_.notices().size(), 2u);
}

TEST_F(RunnerTest, HostileTextsRoundTripAndFindExactlyThemselves) {
    const std::string texts[] = {"O'Brien", "''", "NULL", "", "a\\'b", "x'); DELETE FROM okMsg; --",
                                 "中文\r\n"};
    for (const auto& t : texts)
        ASSERT_TRUE(db_->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (7," + SqlQuote(t) + ")")) << t;
    ResultSet rs = db_->pAdoQuery("SELECT msg FROM okMsg WHERE corpID=7 ORDER BY id");
    ASSERT_EQ(rs.RecordCount(), std::size(texts));
    for (const auto& t : texts) {
        EXPECT_EQ(rs.AsString("msg"), t);
        EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM okMsg WHERE msg=" + SqlQuote(t)), 1) << t;
        rs.Next();
    }
}

TEST(SqlIntTest, AcceptsOnlyDigits) {
    EXPECT_EQ(SqlInt("123456789012345678"), "123456789012345678");
    for (const char* bad : {"", "-", "12 ", " 12", "1;DROP TABLE mt", "1 OR 1=1", "0x10", "1e5", "１２",
                            "--1", "1234567890123456789"}) {
        EXPECT_FALSE(IsSqlInt(bad)) << bad;
        EXPECT_THROW(SqlInt(bad), std::invalid_argument) << bad;
    }
}

using SettingsTest = StoreTest;

TEST(GlobalKeyTest, SubstringRule) {
    for (const char* k : {"autoStart", "userName", "userPwd", "USER", "name", "t, u"})
        EXPECT_TRUE(IsGlobalSysKey(k)) << k;
    for (const char* k : {"", "autoMini", "revMoPlay", "userNames", "pwdx"})
        EXPECT_FALSE(IsGlobalSysKey(k)) << k;
}

TEST_F(SettingsTest, PerAccountKeysKeepOneRowPerAccountAndGlobalKeysIgnoreIt) {
    EXPECT_EQ(pReadSysValue(*db_, "100", "autoMini"), "");  // never written: empty, not "0"
    for (const char* write : {"100=1", "200=2", "100=0"})
        EXPECT_TRUE(pWriteSysValue(*db_, std::string_view(write, 3), "autoMini", write + 4));
    EXPECT_EQ(pReadSysValue(*db_, "100", "autoMini") + pReadSysValue(*db_, "200", "autoMini"), "02");
    // Before a login there is no account: a per-account key is neither read nor written.
    EXPECT_FALSE(pWriteSysValue(*db_, "", "revMoFile", "x.wav"));
    EXPECT_EQ(pReadSysValue(*db_, "", "autoMini"), "");
    EXPECT_THROW(pWriteSysValue(*db_, "1 OR 1=1", "autoMini", "1"), std::invalid_argument);
    // A global key has one row, corpID 0, written before or after a login; rows of its name that
    // several accounts keep are all updated.
    Exec(
        "INSERT INTO sysConfig (corpID, sysConfigName, sysValue) VALUES (7,'userName','a'), "
        "(8,'userName','b')");
    EXPECT_TRUE(pWriteSysValue(*db_, "", "autoStart", "1") && pWriteSysValue(*db_, "100", "autoStart", "0"));
    EXPECT_TRUE(pWriteSysValue(*db_, "100", "userName", "O'Neil \"boss\""));
    EXPECT_EQ(pReadSysValue(*db_, "200", "autoStart") + pReadSysValue(*db_, "", "userName"),
              "0O'Neil \"boss\"");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig"), 5);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig WHERE corpID=0 AND sysConfigName='autoStart' OR "
                    "sysValue='O''Neil \"boss\"'"),
              3);
}

TEST_F(SettingsTest, FailedWriteShowsTheStatementWithThePasswordMasked) {
    ASSERT_TRUE(db_->pAdoCom("DROP TABLE sysConfig") &&
                db_->pAdoCom("CREATE TABLE sysConfig (corpID INTEGER, sysConfigName TEXT COLLATE NOCASE, "
                             "sysValue TEXT CONSTRAINT refused CHECK (sysValue NOT LIKE 's3cr%'))"));
    const std::array<const char*, 3> cases[] = {
        // account, key, statement shown
        {"", "userPwd", "INSERT INTO sysConfig (corpID, sysConfigName, sysValue) VALUES (0,'userPwd','***')"},
        {"", "USERPWD", "UPDATE sysConfig SET sysValue='***' WHERE sysConfigName='USERPWD'"},
        {"5", "autoMini",
         "UPDATE sysConfig SET sysValue='s3cr''et' WHERE sysConfigName='autoMini' AND corpID=5"},
    };
    ASSERT_TRUE(pWriteSysValue(*db_, "5", "autoMini", "0"));
    for (const auto& c : cases) {
        EXPECT_FALSE(pWriteSysValue(*db_, c[0], c[1], "s3cr'et"));
        EXPECT_EQ(prompts_.notices().back(),
                  std::string("数据库命令执行失败,请检查!\n") + c[2] + "\nCHECK constraint failed: refused");
        ASSERT_TRUE(pWriteSysValue(*db_, c[0], c[1], "old"));  // the next write updates it
    }
    EXPECT_EQ(prompts_.notices().size(), 3u);
}

}  // namespace
}  // namespace xunda::test
