// Faults caught: a missing or damaged file silently replaced by an empty one (or files created
// beside it), a half-made first start taken for a database, defaults the program relies on
// missing from the schema, database files readable by other users.
#include <sys/stat.h>

#include <cstdlib>
#include <regex>

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

unsigned Mode(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

TEST(OpenTest, BadFilesFailWithoutCreatingAnything) {
    TempDir dir;
    WriteFile(dir / "empty.db", "");
    WriteFile(dir / "text.db", std::string(4096, 'x'));
    sqlite3* other = nullptr;  // a real SQLite file, but not this program's
    sqlite3_open((dir / "foreign.db").c_str(), &other);
    sqlite3_exec(other, "CREATE TABLE t (a)", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const auto before = Listing(dir.path());
    for (const char* name : {"missing.db", "empty.db", "text.db", "foreign.db", "nofolder/x.db"}) {
        RecordingPrompts prompts;
        EXPECT_FALSE(Database::Open(dir / name, prompts)) << name;
        EXPECT_EQ(prompts.notices(), std::vector<std::string>{"数据库打开失败!\n" + (dir / name).string()});
    }
    EXPECT_EQ(Listing(dir.path()), before);
    EXPECT_EQ(ReadFile(dir / "empty.db"), "");
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
    EXPECT_EQ(Mode(dir / "DATA/TOLVI_DY.db"), 0600u);
    EXPECT_EQ(Mode(dir / "DATA"), 0700u);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"DATA", "DATA.new-abcdef"}));
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
    EXPECT_TRUE(prompts_.notices().empty());
}

}  // namespace
}  // namespace xunda::test
