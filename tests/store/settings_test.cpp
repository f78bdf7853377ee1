// Faults caught: settings of one account leaking into another, global keys stored per account,
// a global update missing rows, quotes in values, per-account keys touched before a login.
#include "store/settings.h"

#include <gtest/gtest.h>

#include "store_fixture.h"

namespace xunda::test {
namespace {

using SettingsTest = StoreTest;

TEST(GlobalKeyTest, SubstringRule) {
    for (const char* k :
         {"autoStart", "userName", "userPwd", "USER", "name", "t, u", "AUTOSTART, USERNAME, USERPWD"})
        EXPECT_TRUE(IsGlobalSysKey(k)) << k;
    for (const char* k : {"", "autoMini", "revMoPlay", "userNames", "pwdx"})
        EXPECT_FALSE(IsGlobalSysKey(k)) << k;
}

TEST_F(SettingsTest, PerAccountKeysKeepOneRowPerAccount) {
    EXPECT_EQ(pReadSysValue(*db_, "100", "autoMini"), "");  // never written: empty, not "0"
    EXPECT_TRUE(pWriteSysValue(*db_, "100", "autoMini", "1"));
    EXPECT_TRUE(pWriteSysValue(*db_, "200", "autoMini", "0"));
    EXPECT_TRUE(pWriteSysValue(*db_, "100", "autoMini", "0"));
    EXPECT_EQ(pReadSysValue(*db_, "100", "autoMini"), "0");
    EXPECT_EQ(pReadSysValue(*db_, "200", "autoMini"), "0");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig WHERE sysConfigName='autoMini'"), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig WHERE corpID=100"), 1);

    // Before a login there is no account: nothing is read or written.
    EXPECT_FALSE(pWriteSysValue(*db_, "", "revMoFile", "x.wav"));
    EXPECT_EQ(pReadSysValue(*db_, "", "autoMini"), "");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig"), 2);
    EXPECT_TRUE(prompts_.notices().empty());
}

TEST_F(SettingsTest, GlobalKeysIgnoreTheAccount) {
    EXPECT_TRUE(pWriteSysValue(*db_, "", "autoStart", "1"));  // before any login
    EXPECT_TRUE(pWriteSysValue(*db_, "100", "autoStart", "0"));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig WHERE sysConfigName='autoStart' AND corpID=0"), 1);
    EXPECT_EQ(pReadSysValue(*db_, "200", "autoStart"), "0");

    // Rows of a global name kept by several accounts are all updated.
    ASSERT_TRUE(
        db_->pAdoCom("INSERT INTO sysConfig (corpID, sysConfigName, sysValue) VALUES (7,'userName','a')"));
    ASSERT_TRUE(
        db_->pAdoCom("INSERT INTO sysConfig (corpID, sysConfigName, sysValue) VALUES (8,'userName','b')"));
    EXPECT_TRUE(pWriteSysValue(*db_, "100", "userName", "O'Neil \"boss\""));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM sysConfig WHERE sysConfigName='userName' AND "
                    "sysValue='O''Neil \"boss\"'"),
              2);
    EXPECT_EQ(pReadSysValue(*db_, "", "userName"), "O'Neil \"boss\"");
}

TEST_F(SettingsTest, AccountNumberMustBeDigits) {
    EXPECT_THROW(pWriteSysValue(*db_, "1 OR 1=1", "autoMini", "1"), std::invalid_argument);
    EXPECT_THROW(pReadSysValue(*db_, "1;DELETE FROM sysConfig", "autoMini"), std::invalid_argument);
}

}  // namespace
}  // namespace xunda::test
