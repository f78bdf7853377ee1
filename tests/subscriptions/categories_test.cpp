#include "subscriptions/categories.h"

#include <gmock/gmock.h>

#include "subscriptions_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;

class CategoriesTest : public SubscriptionsTest {
  protected:
    std::string Names() { return Rows("SELECT msgType FROM msgType WHERE corpID=10001 ORDER BY rowid"); }
};

TEST_F(CategoriesTest, AddStoresTheTrimmedNameCutTo20BytesOncePerAccount) {
    Insert("msgType (corpID,msgType)", {"10002,'天气'"});
    // Typed, and the notice ("": added). Names of 24, 25 and 21 bytes keep the first ten characters, the
    // first 20 bytes, and not the character that does not fit.
    using Add = std::pair<std::string, std::string>;
    for (const auto& [typed, notice] :
         {Add{"  天气 ", ""}, Add{"天气", "该订阅类别已经存在了!"}, Add{"  ", "请输入要新增的订阅类别名称!"},
          Add{"it's NULL", ""}, Add{"IT'S null", "该订阅类别已经存在了!"}, Add{"100%_", ""},
          Add{"一二三四五六七八九十壹贰", ""}, Add{"abcdefghijklmnopqrstuvwxy", ""},
          Add{"abcdefghijklmnopqrs天", ""}}) {
        const std::size_t before = recorded.notices().size();
        EXPECT_EQ(btnNewMsgTypeClick(*this, typed), notice.empty()) << typed;
        const auto notices = recorded.notices();
        EXPECT_EQ(notices.size() == before ? "" : notices.back(), notice) << typed;
    }
    EXPECT_THAT(pMsgType(*this),  // newest first, within one second too
                ElementsAre("abcdefghijklmnopqrs", "abcdefghijklmnopqrst", "一二三四五六七八九十", "100%_",
                            "it's NULL", "天气"));
}

TEST_F(CategoriesTest, RenameMovesTheSubscriptionsOfTheAccountAndKeepsTheHistory) {
    for (const char* name : {"A", "B"}) btnNewMsgTypeClick(*this, name);
    Insert("msgType (corpID,msgType)", {"10002,'A'"});
    Insert("mobOrder (corpID,mob,msgType)", {"10001,'1','A'", "10002,'1','A'"});
    Insert("histMsgType (corpID,msgID,msgType)", {"10001,1,'A'"});

    EXPECT_FALSE(btnEditMsgTypeClick(*this, std::nullopt, "C") || btnEditMsgTypeClick(*this, "A", " "));
    EXPECT_FALSE(btnEditMsgTypeClick(*this, "A", "b") || btnEditMsgTypeClick(*this, "A", "A"));
    EXPECT_THAT(recorded.notices(), ElementsAre("请选择要修改的订阅类别!", "请输入要修改的订阅类别名称!",
                                                "订阅类别已经存在了!", "订阅类别已经存在了!"));
    EXPECT_TRUE(btnEditMsgTypeClick(*this, "A", "C'"));
    EXPECT_EQ(Names(), "C'|B");
    EXPECT_EQ(Rows("SELECT corpID || msgType FROM mobOrder ORDER BY rowid"), "10001C'|10002A");
    EXPECT_EQ(Rows("SELECT msgType FROM msgType WHERE corpID=10002"), "A");
    EXPECT_EQ(Rows("SELECT msgType FROM histMsgType"), "A");
    Insert("mobOrder (corpID,mob,msgType)", {"10001,'2','A'"});
    btnEditMsgTypeClick(*this, "A", "E");  // A is gone: nothing is renamed
    EXPECT_EQ(Rows("SELECT msgType FROM mobOrder WHERE mob='2'") + Names(), "AC'|B");

    FailOn("UPDATE ON mobOrder");
    EXPECT_TRUE(btnEditMsgTypeClick(*this, "C'", "D"));
    EXPECT_EQ(Names(), "C'|B");  // both or neither
}

TEST_F(CategoriesTest, DeleteCountsEveryStatusAndTakesEverySubscription) {
    for (const char* name : {"A", "B", "C"}) btnNewMsgTypeClick(*this, name);
    Insert("mobOrder (corpID,mob,msgType,dgStatus)",
           {"10001,'1','A',1", "10001,'1','B',1", "10001,'2','B',1", "10001,'3','B',0", "10001,'4','C',1",
            "10002,'5','A',1"});
    Insert("histMsgType (corpID,msgID,msgType)", {"10001,1,'A'"});

    EXPECT_FALSE(btnDelMsgTypeClick(*this, {}));
    recorded.SetAnswer(false);
    EXPECT_FALSE(btnDelMsgTypeClick(*this, {"A", "B"}));
    EXPECT_EQ(Names(), "A|B|C");
    recorded.SetAnswer(true);
    FailOn("DELETE ON mobOrder", "OLD.mob='3'");
    EXPECT_TRUE(btnDelMsgTypeClick(*this, {"A", "B"}));
    EXPECT_EQ(Names(), "A|B|C");  // nothing goes when the second statement fails
    Exec("DROP TRIGGER fail");
    EXPECT_TRUE(btnDelMsgTypeClick(*this, {"A", "B"}));
    EXPECT_EQ(Names(), "C");
    EXPECT_EQ(Rows("SELECT corpID || mob || msgType FROM mobOrder ORDER BY rowid"), "100014C|100025A");
    EXPECT_EQ(Rows("SELECT msgType FROM histMsgType"), "A");
    Insert("mobOrder (corpID,mob,msgType)", {"10001,'6','A'"});
    btnDelMsgTypeClick(*this, {"A"});  // gone meanwhile: nothing is deleted
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobOrder WHERE mob='6'"), "1");
    Exec("DELETE FROM mobOrder");
    EXPECT_TRUE(btnDelMsgTypeClick(*this, {"C"}));
    EXPECT_EQ(Names(), "");

    const std::string severe =
        "严重警告  你将要删除的订阅类别中有3个手机号码,你如果删除,这些订阅关系也将删除!你要继续吗?";
    EXPECT_THAT(recorded.confirms(),
                ElementsAre(severe, severe, severe, ::testing::HasSubstr("有1个手机号码"),
                            "选中的订阅类别没有任何手机订阅,将删除!你要继续吗?"));
    EXPECT_EQ(recorded.notices().front(), "请选择要删除的订阅类别!");
}

}  // namespace
}  // namespace xunda::test
