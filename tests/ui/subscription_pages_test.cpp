#include <gmock/gmock.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>

#include "ui/msg_form.h"
#include "ui/shell_fixture.h"
#include "ui/subscriptions/mob_order_page.h"
#include "ui/subscriptions/subscriber_page.h"
#include "ui/workers.h"

namespace xunda::test {
namespace {

class SubscriptionPagesTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Login());
    }
    template <typename P>
    P* Open(const char* caption, const char* name) {
        return main->SelectTreeNodeByText(QString::fromUtf8(caption)) ? qobject_cast<P*>(main->FindPage(name))
                                                                      : nullptr;
    }
    std::string Rows(const std::string& sql) {
        std::string out;
        for (ResultSet rs = main->db().pAdoQuery(sql); !rs.Eof(); rs.Next())
            (out += out.empty() ? "" : "|") += rs.At(rs.Position(), 0).value_or("NULL");
        return out;
    }
};

TEST_F(SubscriptionPagesTest, UserPageListsEverySubscriberSearchesOnEnterAndStoresEdits) {
    ASSERT_TRUE(main->db().pAdoCom(
        "INSERT INTO mobs (corpID,mob,userName) VALUES (10001,'15000000001','王'),"
        " (10001,'13900000002',NULL), (10001,'15000000003',NULL), (10002,'15000000004',NULL)"));
    auto* page = Open<SubscriberPage>("订阅用户的资料管理", "user");
    ASSERT_NE(page, nullptr);
    QTableView* grid = page->Grid();
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(page->Group()->title(), QStringLiteral("手机资料(3)"));
    EXPECT_EQ(page->edUserSearch()->currentText(), QStringLiteral("13"));

    page->edUserSearch()->setEditText(QStringLiteral(" 150 "));
    QTest::keyClick(page->edUserSearch()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(page->edUserSearch()->itemText(0), QStringLiteral("150"));

    grid->model()->setData(grid->model()->index(1, 1), QStringLiteral("李四"));
    QStyledItemDelegate* bir = qobject_cast<QStyledItemDelegate*>(grid->itemDelegateForColumn(3));
    QLineEdit editor;
    for (const char* typed : {"1990-05-07", "1990-13-01", "5月7日"}) {
        editor.setText(QString::fromUtf8(typed));
        bir->setModelData(&editor, grid->model(), grid->model()->index(0, 3));
    }
    EXPECT_EQ(Rows("SELECT mob || ' ' || ifnull(userName,'') || ' ' || ifnull(bir,'') FROM mobs WHERE mob "
                   "LIKE '150%'"),
              "15000000001 王 1990-05-07 00:00:00|15000000003 李四 |15000000004  ");
}

TEST_F(SubscriptionPagesTest, BulkPageSubscribesTheTidiedNumbersToTheTickedCategory) {
    auto* page = Open<MobOrderPage>("手机订阅关系处理", "mobOrder");
    ASSERT_NE(page, nullptr);
    page->edNewMsgType()->setEditText(QStringLiteral("天气"));
    page->findChild<QPushButton*>(QStringLiteral("btnNewMsgType"))->click();
    ASSERT_EQ(page->msgTypeSelect()->count(), 1);
    page->msgTypeCheck()->click();  // ticks all
    page->edMobs()->setPlainText(QStringLiteral("13800000003\n13800000001 x 13800000002\n13800000001"));

    page->findChild<QPushButton*>(QStringLiteral("btnDg"))->click();
    QDeadlineTimer deadline(20000);
    while (!(page->edMobs()->toPlainText().isEmpty() && main->busy().Depth() == 0) &&
           !deadline.hasExpired()) {
        ASSERT_TRUE(main->workers().WaitAll(std::chrono::seconds(30)));
        QTest::qWait(10);
    }
    EXPECT_TRUE(page->edMobs()->toPlainText().isEmpty());
    EXPECT_EQ(main->busy().Depth(), 0);
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(Rows("SELECT mob FROM mobs WHERE corpID=10001 ORDER BY mob"),
              "13800000001|13800000002|13800000003");
    EXPECT_EQ(Rows("SELECT mob || msgType FROM mobOrder WHERE corpID=10001 ORDER BY mob"),
              "13800000001天气|13800000002天气|13800000003天气");
    EXPECT_THAT(prompts.Last(), ::testing::HasSubstr(": 将操作(3)个手机号码的订阅关系:"));
}

}  // namespace
}  // namespace xunda::test
