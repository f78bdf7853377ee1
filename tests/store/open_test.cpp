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

using SchemaTest = StoreTest;

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
