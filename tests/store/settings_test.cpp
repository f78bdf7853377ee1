// Faults caught: settings of one account leaking into another, global keys stored per account,
// a global update missing rows, quotes in values, per-account keys touched before a login, the
// stored password shown in an error box.
#include "store/settings.h"

#include <gtest/gtest.h>

#include <array>

#include "store_fixture.h"

namespace xunda::test {
namespace {

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
    ASSERT_TRUE(
        db_->pAdoCom("INSERT INTO sysConfig (corpID, sysConfigName, sysValue) VALUES (7,'userName','a'), "
                     "(8,'userName','b')"));
    EXPECT_TRUE(pWriteSysValue(*db_, "", "autoStart", "1") && pWriteSysValue(*db_, "100", "autoStart", "0"));
    EXPECT_TRUE(pWriteSysValue(*db_, "100", "userName", "O'Neil \"boss\""));
    EXPECT_EQ(pReadSysValue(*db_, "200", "autoStart") + pReadSysValue(*db_, "", "userName"),
              "0O'Neil \"boss\"");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig"), 5);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig WHERE corpID=0 AND sysConfigName='autoStart' OR "
                    "sysValue='O''Neil \"boss\"'"),
              3);
    EXPECT_TRUE(prompts_.notices().empty());
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
