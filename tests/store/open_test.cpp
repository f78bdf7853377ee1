// Faults caught: a missing or damaged file silently replaced by an empty one (or files created
// beside it), defaults the program relies on missing from the schema, database files readable by
// other users.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdlib>
#include <regex>

#include "core/paths.h"
#include "store/sql_text.h"
#include "store_fixture.h"

namespace xunda::test {
namespace {
namespace fs = std::filesystem;

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OpenTest, BadFilesFailWithoutCreatingAnything) {
    TempDir dir;
    fs::create_directory(dir / "DATA");
    WriteFile(dir / "DATA/empty.db", "");
    WriteFile(dir / "DATA/text.db", std::string(4096, 'x'));
    {
        sqlite3* other = nullptr;  // a real SQLite file, but not this program's
        sqlite3_open((dir / "DATA/foreign.db").c_str(), &other);
        sqlite3_exec(other, "CREATE TABLE t (a)", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    }
    auto before = Listing(dir / "DATA");
    for (const char* name : {"missing.db", "empty.db", "text.db", "foreign.db", "nofolder/x.db"}) {
        RecordingPrompts prompts;
        fs::path file = dir / "DATA" / name;
        EXPECT_FALSE(Database::Open(file, prompts)) << name;
        ASSERT_EQ(prompts.notices().size(), 1u) << name;
        EXPECT_EQ(prompts.notices()[0], "数据库打开失败!\n" + file.string());
    }
    EXPECT_EQ(Listing(dir / "DATA"), before);
    EXPECT_EQ(ReadFile(dir / "DATA/empty.db"), "");
}

TEST(OpenTest, FirstStartCreatesThenLaterStartsRequireTheFile) {
    TempDir dir;
    setenv("XUNDA_SMS_HOME", dir.path().c_str(), 1);
    RecordingPrompts prompts;
    {
        auto db = Database::OpenAtStart(prompts);
        ASSERT_TRUE(db);
        EXPECT_EQ(db->Path(), dir / "DATA/TOLVI_DY.db");
        ASSERT_TRUE(db->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'kept')"));
        struct stat st {};
        ASSERT_EQ(stat(db->Path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        ASSERT_EQ(stat((dir / "DATA").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    {
        auto db = Database::OpenAtStart(prompts);
        ASSERT_TRUE(db);
        ResultSet rs = db->pAdoQuery("SELECT msg FROM okMsg");
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs.AsString("msg"), "kept");
    }
    EXPECT_TRUE(prompts.notices().empty());

    fs::remove(dir / "DATA/TOLVI_DY.db");
    EXPECT_FALSE(Database::OpenAtStart(prompts));
    EXPECT_EQ(prompts.notices().size(), 1u);
    EXPECT_FALSE(fs::exists(dir / "DATA/TOLVI_DY.db"));
    unsetenv("XUNDA_SMS_HOME");
}

TEST(OpenTest, InterruptedFirstStartIsAFirstStartAgain) {
    TempDir dir;
    setenv("XUNDA_SMS_HOME", dir.path().c_str(), 1);
    // What a first start stopped half-way leaves: its temporary folder, but no DATA folder.
    fs::create_directory(dir / "DATA.new-abcdef");
    WriteFile(dir / "DATA.new-abcdef/TOLVI_DY.db.new", "half a database");
    RecordingPrompts prompts;
    auto db = Database::OpenAtStart(prompts);
    unsetenv("XUNDA_SMS_HOME");
    ASSERT_TRUE(db);
    EXPECT_TRUE(prompts.notices().empty());
    EXPECT_TRUE(fs::is_regular_file(dir / "DATA/TOLVI_DY.db"));
    for (const auto& name : Listing(dir / "DATA")) EXPECT_EQ(name.find(".new"), std::string::npos) << name;
    // The start's own temporary folder is gone; the earlier one is left as it was.
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"DATA", "DATA.new-abcdef"}));
    EXPECT_TRUE(db->pAdoCom("INSERT INTO okMsg (corpID, msg) VALUES (1,'x')"));
}

using SchemaTest = StoreTest;

// The free-text columns are all reached by the next test; here the table count and the two tables
// whose rows the send run moves between them.
TEST_F(SchemaTest, TheElevenTablesAndTheOutboxColumns) {
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%'"), 12);  // and mt_sending
    const std::pair<std::string, std::vector<std::string>> tables[] = {
        {"mt", {"id", "corpID", "mob", "msg", "subNumber", "linkID", "mtLevel", "flag", "mtTime", "mtID"}},
        {"mt_bak",
         {"corpID", "mtID", "mtTime", "mob", "msg", "subNumber", "linkID", "mtLevel", "flag", "mstatus"}},
    };
    for (const auto& [table, columns] : tables) {
        ResultSet rs = db_->pAdoQuery("SELECT name FROM pragma_table_info(" + SqlQuote(table) + ")");
        std::vector<std::string> names;
        for (; !rs.Eof(); rs.Next()) names.push_back(rs.AsString("name"));
        EXPECT_EQ(names, columns) << table;
    }
    EXPECT_TRUE(prompts_.notices().empty());
}

TEST_F(SchemaTest, TextsCompareWithoutRegardToCase) {
    // Every free-text column; dates and the level are texts of digits.
    const std::vector<std::pair<std::string, std::vector<std::string>>> texts = {
        {"mobs", {"mob", "userName", "nickName", "usermemo"}},
        {"msgType", {"msgType"}},
        {"mobOrder", {"mob", "msgType"}},
        {"histMsg", {"msgContent"}},
        {"histMsgType", {"msgType"}},
        {"mt", {"mob", "msg", "subNumber", "linkID"}},
        {"mt_bak", {"mob", "msg", "subNumber", "linkID", "mstatus"}},
        {"mo", {"mob", "destID", "msg"}},
        {"okMsg", {"msg"}},
        {"lastSendMobs", {"mob"}},
        {"sysConfig", {"sysConfigName", "sysValue"}},
    };
    for (const auto& [table, columns] : texts)
        for (const auto& column : columns) {
            ASSERT_TRUE(db_->pAdoCom("INSERT INTO " + table + " (corpID, " + column + ") VALUES (3,'AbC')"));
            const std::string where = " FROM " + table + " WHERE corpID=3 AND " + column;
            EXPECT_EQ(Count("SELECT COUNT(*) AS n" + where + "='aBc'"), 1) << table << "." << column;
            EXPECT_EQ(Count("SELECT COUNT(*) AS n" + where + " IN ('ABC')"), 1) << table << "." << column;
            ASSERT_TRUE(db_->pAdoCom("DELETE" + where + "='abc'"));
        }
}

TEST_F(SchemaTest, StatementsOfOneAccountLeaveTheOthersRows) {
    for (const char* corp : {"1", "2"})
        ASSERT_TRUE(db_->pAdoCom(std::string("INSERT INTO mt (corpID, mob, msg, mtLevel, flag) VALUES (") +
                                 corp + ",'138','m',1,0)"));
    ASSERT_TRUE(db_->pAdoCom("UPDATE mt SET flag=1, mtID=9001 WHERE corpID=1 AND flag=0"));
    // The end-of-run move copies the nine columns and keeps the level as text.
    ASSERT_TRUE(
        db_->pAdoCom("INSERT INTO mt_bak (corpID,mtID, mtTime, mob, msg, subNumber, linkID, mtLevel, flag) "
                     "SELECT corpID,mtID, mtTime, mob, msg, subNumber, linkID, mtLevel, flag FROM mt "
                     "WHERE corpID=1 AND flag=1"));
    ASSERT_TRUE(db_->pAdoCom("DELETE FROM mt WHERE corpID=1 AND flag=1"));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt WHERE corpID=2 AND flag=0"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt WHERE corpID=1"), 0);
    ResultSet bak = db_->pAdoQuery("SELECT * FROM mt_bak WHERE corpID=1");
    ASSERT_EQ(bak.RecordCount(), 1u);
    EXPECT_EQ(bak.AsString("mtLevel"), "1");
    EXPECT_EQ(bak.AsString("mtID"), "9001");
    EXPECT_FALSE(bak.IsNull("mtTime"));
    EXPECT_TRUE(bak.IsNull("mstatus"));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt_bak WHERE corpID=2"), 0);
}

TEST_F(SchemaTest, DefaultsAndCollationsHold) {
    ASSERT_TRUE(
        db_->pAdoCom("INSERT INTO mo (corpID, moID, moTime, mob, destID, msg) VALUES (1,5,'2024-01-02 "
                     "03:04:05','138','106','hi')"));
    ASSERT_TRUE(db_->pAdoCom(
        "INSERT INTO mobOrder (corpID, mob, msgType, dgTimeOut) VALUES (1,'138','News','2999-01-01')"));
    ASSERT_TRUE(
        db_->pAdoCom("INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES "
                     "(1,'138','m','','',1,0)"));
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO msgType (corpID, msgType) VALUES (1,'News')"));
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO histMsg (corpID, msgContent) VALUES (1,'b')"));

    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mo WHERE corpID=1 AND flag=0"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mobOrder WHERE dgStatus=True AND msgType IN ('news') AND "
                    "dgTimeOut>=date('now','localtime')"),
              1);
    const std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    for (const char* sql : {"SELECT dgTime AS t FROM mobOrder", "SELECT mtTime AS t FROM mt",
                            "SELECT addtime AS t FROM msgType", "SELECT msgTime AS t FROM histMsg"}) {
        ResultSet rs = db_->pAdoQuery(sql);
        ASSERT_FALSE(rs.Eof()) << sql;
        EXPECT_TRUE(std::regex_match(rs.AsString("t"), stamp)) << sql << ": " << rs.AsString("t");
    }
    ResultSet mt = db_->pAdoQuery("SELECT id, mtLevel, mtID FROM mt");
    EXPECT_EQ(mt.AsString("mtLevel"), "1");
    EXPECT_TRUE(mt.IsNull("mtID"));
    EXPECT_EQ(mt.AsInt("id"), 1);
    // Autonumbers are never reused after a delete.
    ASSERT_TRUE(db_->pAdoCom("DELETE FROM mt"));
    ASSERT_TRUE(db_->pAdoCom("INSERT INTO mt (corpID, mob, msg, flag) VALUES (1,'138','m',0)"));
    EXPECT_EQ(db_->LastInsertId(), 2);
    EXPECT_TRUE(prompts_.notices().empty());
}

}  // namespace
}  // namespace xunda::test
