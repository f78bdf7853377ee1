#include "ui/send/send_sms_page.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/workers.h"
#include "ui/shell_fixture.h"
#include "ui/subscriptions/check_list.h"
#include "ui/subscriptions/hist_msg_page.h"
#include "ui/subscriptions/mob_order_page.h"
#include "ui/subscriptions/mob_page.h"
#include "ui/subscriptions/subscriber_page.h"
#include "ui/subscriptions/subscription_dialogs.h"

namespace xunda::test {
namespace {

using SubscriptionPagesTest = LoggedInTest;

// Ticks a row of a check list as a user does with the keys: the row made current, then Space.
void Tick(QAbstractItemView* list, int row) {
    list->setCurrentIndex(list->model()->index(row, 0));
    QTest::keyClick(list, Qt::Key_Space);
}

// The changes a list's model announces: each one makes the view work over every row it shows.
class ListChanges {
  public:
    explicit ListChanges(QAbstractItemModel* model)
        : model_(model),
          reset_(model_, &QAbstractItemModel::modelReset),
          inserted_(model_, &QAbstractItemModel::rowsInserted),
          changed_(model_, &QAbstractItemModel::dataChanged) {}
    // The changes since the last call.
    int Take() {
        const int n = static_cast<int>(reset_.count() + inserted_.count() + changed_.count());
        reset_.clear(), inserted_.clear(), changed_.clear();
        return n;
    }
    // The rows ticked, as "0 2".
    QString Ticked() const {
        QStringList rows;
        for (int row = 0; row < model_->rowCount(); ++row)
            if (model_->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked)
                rows << QString::number(row);
        return rows.join(u' ');
    }

  private:
    QAbstractItemModel* model_;
    QSignalSpy reset_, inserted_, changed_;
};

TEST_F(SubscriptionPagesTest, UserPageListsEverySubscriberSearchesOnEnterAndStoresEdits) {
    Exec(
        "INSERT INTO mobs (corpID,mob,userName) VALUES (10001,'15000000001','王'),"
        " (10001,'13900000002',NULL), (10001,'15000000003',NULL), (10002,'15000000004',NULL)");
    Exec("INSERT INTO mobOrder (corpID,mob,msgType) VALUES (10001,'15000000003','A')");
    auto* page = Open<SubscriberPage>("订阅用户的资料管理", "user");
    ASSERT_NE(page, nullptr);
    main->show();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    QTableView* grid = page->Grid();
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(page->Group()->title(), QStringLiteral("手机资料(3)"));
    EXPECT_EQ(page->edUserSearch()->currentText(), QStringLiteral("13"));

    page->edUserSearch()->setFocus();
    page->edUserSearch()->setEditText(QStringLiteral(" 150 "));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(page->edUserSearch()->itemText(0), QStringLiteral("150"));
    // Moving with the keys keeps the subscriptions shown; a click shows the row's.
    // The busy window gives the focus back to the box typed in.
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    EXPECT_TRUE(page->edUserSearch()->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == page->edUserSearch());
    grid->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(page->mobDgGroup()->title(), QStringLiteral("订阅类别(0)"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 0)).center());
    EXPECT_EQ(page->edUserSearch()->currentText(), QStringLiteral("15000000003"));
    EXPECT_EQ(page->mobDgGroup()->title(), QStringLiteral("订阅类别(1)"));

    grid->model()->setData(grid->model()->index(1, 1), QStringLiteral("李四"));
    grid->model()->setData(grid->model()->index(0, 1), QString());  // emptied: NULL
    QStyledItemDelegate* bir = qobject_cast<QStyledItemDelegate*>(grid->itemDelegateForColumn(3));
    QLineEdit editor;
    for (const char* typed : {"1990-05-07", "1990-13-01", "5月7日"}) {
        editor.setText(QString::fromUtf8(typed));
        bir->setModelData(&editor, grid->model(), grid->model()->index(0, 3));
    }
    EXPECT_EQ(Rows("SELECT mob || ' ' || ifnull(userName,'') || ' ' || ifnull(bir,'') FROM mobs WHERE mob "
                   "LIKE '150%'"),
              "15000000001  1990-05-07 00:00:00|15000000003 李四 |15000000004  ");
    EXPECT_EQ(Rows("SELECT quote(userName) FROM mobs WHERE mob='15000000001'"), "NULL");

    // "群发短信" sends to every listed subscriber, sorted; "发短信" to the current one.
    auto* send = qobject_cast<SendSmsPage*>(main->FindPage("sendSmsPage"));
    grid->setCurrentIndex(grid->model()->index(1, 0));
    Click(page, "btnUserGroupSendSms");
    EXPECT_EQ(send->sMobs()->toPlainText(), QStringLiteral("15000000001\n15000000003\n"));
    EXPECT_EQ(Shown(), QStringLiteral("sendSmsPage"));
    Click(page, "btnUserSingleSendSms");
    EXPECT_EQ(send->sMobs()->toPlainText(), QStringLiteral("15000000003\n"));
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

TEST_F(SubscriptionPagesTest, BroadcastRecordsTheCategoriesConfirmedOnTheBulkPage) {
    Exec("INSERT INTO msgType (corpID,msgType) VALUES (10001,'A'), (10001,'B'), (10001,'C')");
    Exec(
        "INSERT INTO mobOrder (corpID,mob,msgType,dgTimeOut) SELECT 10001, column1, column2, '2999-01-01' "
        "FROM (VALUES ('13900000009','A'), ('13800000008','B'), ('13900000009','B'), ('13700000007','C'))");
    auto* page = Open<MobOrderPage>("手机订阅关系处理", "mobOrder");
    auto* send = qobject_cast<SendSmsPage*>(main->FindPage(QStringLiteral("sendSmsPage")));
    ASSERT_TRUE(page && send);
    send->sMobs()->setPlainText(QStringLiteral("kept"));
    for (int row : {1, 2}) Tick(page->msgTypeSelect(), row);  // B and A
    prompts.answer = false;
    Click(page, "btnSendDg");
    EXPECT_FALSE(main->subscriptionSendFlag.load());
    EXPECT_EQ(send->sMobs()->toPlainText(), QStringLiteral("kept"));
    prompts.answer = true;
    Click(page, "btnSendDg");
    EXPECT_TRUE(main->subscriptionSendFlag.load());
    EXPECT_EQ(send->sMobs()->toPlainText(), QStringLiteral("13800000008\n13900000009\n"));
    EXPECT_EQ(main->PageArea()->currentWidget(), send);

    Open<MobOrderPage>("手机订阅关系处理", "mobOrder");  // unticks every category
    main->SelectTreeNodeByText(QStringLiteral("短信发送"));
    send->sMsg()->setPlainText(QStringLiteral("明天有雨"));
    Click(send, "btnSendSms");
    ASSERT_TRUE(main->workers().WaitAll(std::chrono::seconds(30)));
    EXPECT_FALSE(main->subscriptionSendFlag.load());
    auto* history = Open<HistMsgPage>("历史订阅内容短信查看", "histMsg");
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(history->Grid()->model()->rowCount(), 1);
    EXPECT_EQ(history->Group()->title(), QStringLiteral("历史订阅短信(1)"));
    EXPECT_EQ(history->inMsgType()->text(), QStringLiteral("[B] [A] "));
}

TEST_F(SubscriptionPagesTest, EditDialogOpensTheClosedSubscriptionAndStoresItOpen) {
    Exec("INSERT INTO mobs (corpID,mob) VALUES (10001,'139')");
    Exec(
        "INSERT INTO mobOrder (corpID,mob,msgType,dgStatus,dgTime,dgTimeOut) VALUES"
        " (10001,'139','A',0,'2026-05-01 10:00:00','2027-05-01 00:00:00'), (10001,'139','B',0,NULL,NULL)");
    auto* page = Open<SubscriberPage>("订阅用户的资料管理", "user");
    ASSERT_NE(page, nullptr);
    page->userMsgTypeGrid()->setCurrentIndex(page->userMsgTypeGrid()->model()->index(0, 0));
    MobOrderChangeDialog* dialog = page->formMobOrderChange();
    bool shownClosed = false;
    QTimer::singleShot(0, dialog, [&] {
        shownClosed = dialog->dgStatusCheck()->isChecked();
        dialog->dgStatusCheck()->setChecked(false);
        dialog->findChild<QPushButton*>(QStringLiteral("btnMobOrderOK"))->click();
    });
    Click(page, "btnUserEdit");
    EXPECT_TRUE(shownClosed);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Rows("SELECT msgType || dgStatus || ifnull(dgTime, '') FROM mobOrder ORDER BY msgType"),
              "A12026-05-01 00:00:00|B0");
    EXPECT_EQ(page->userMsgTypeGrid()->model()->index(0, 2).data().toString(), QStringLiteral("True"));
}

// After each listing the first subscription is current: the buttons act without a click on a row.
TEST_F(SubscriptionPagesTest, SubscriptionButtonsActOnTheFirstRowWithoutAClick) {
    Exec("INSERT INTO mobs (corpID,mob) VALUES (10001,'139')");
    Exec(
        "INSERT INTO mobOrder (corpID,mob,msgType) VALUES (10001,'139','A'), (10001,'139','B'), "
        "(10001,'139','C')");
    auto* page = Open<SubscriberPage>("订阅用户的资料管理", "user");
    ASSERT_NE(page, nullptr);
    Click(page, "btnUserCancelSingle");
    EXPECT_EQ(prompts.Last(), "警告: 139的订阅类别:A 将被删除!要继续吗?");
    EXPECT_EQ(page->mobDgGroup()->title(), QStringLiteral("订阅类别(2)"));

    MobOrderChangeDialog* dialog = page->formMobOrderChange();
    QString edited;
    QTimer::singleShot(0, dialog, [&] {
        edited = dialog->findChild<QLabel*>(QStringLiteral("msgTypeTitle"))->text();
        dialog->reject();
    });
    Click(page, "btnUserEdit");
    EXPECT_EQ(edited, QStringLiteral("B"));

    page->edUserSearch()->setEditText(QStringLiteral("139"));
    Click(page, "btnUserSearch");
    Click(page, "btnUserCancelAll");
    EXPECT_EQ(prompts.Last(), "警告: 139的订阅内容将全部被删除!要继续吗?");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobOrder"), "0");
    EXPECT_EQ(page->mobDgGroup()->title(), QStringLiteral("订阅类别(0)"));
}

// A single subscription is current as well.
TEST_F(SubscriptionPagesTest, TheOnlySubscriptionIsCurrentWithoutAClick) {
    Exec("INSERT INTO mobs (corpID,mob) VALUES (10001,'139')");
    Exec("INSERT INTO mobOrder (corpID,mob,msgType) VALUES (10001,'139','A')");
    auto* page = Open<SubscriberPage>("订阅用户的资料管理", "user");
    ASSERT_NE(page, nullptr);
    Click(page, "btnUserCancelSingle");
    EXPECT_EQ(prompts.Last(), "警告: 139的订阅类别:A 将被删除!要继续吗?");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mobOrder"), "0");
}

TEST_F(SubscriptionPagesTest, SearchPageTicksTheFiltersTheUserChangesAndSendsEachNumberOnce) {
    Exec("INSERT INTO msgType (corpID,msgType) VALUES (10001,'A'), (10001,'B')");
    Exec(
        "INSERT INTO mobOrder (corpID,mob,msgType) VALUES (10001,'13900000009','A'), "
        "(10001,'13900000009','B'), (10001,'13900000009','C'), (10001,'13800000008','A')");
    auto* page = Open<MobPage>("手机订阅内容查询", "mob");
    ASSERT_NE(page, nullptr);
    for (QCheckBox* box : {page->cSearchMob(), page->cSearchStatus(), page->cSearchMsgType(),
                           page->cSearchDgtime(), page->cSearchDgtimeOut()})
        EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(page->edSearchMsgType()->itemText(0) + page->edSearchMsgType()->currentText(),
              "AA");  // oldest first
    page->edSearchMob()->lineEdit()->setText(QStringLiteral("137"));
    EXPECT_TRUE(page->cSearchMob()->isChecked());
    Click(page, "btnMobOrderSearch");
    EXPECT_EQ(page->edSearchMob()->count(), 0);  // nothing found: no history
    page->edSearchMob()->lineEdit()->setText(QStringLiteral("139"));
    Click(page, "btnMobOrderSearch");
    EXPECT_EQ(page->Group()->title(), QStringLiteral("查询结果(3)"));
    EXPECT_EQ(page->edSearchMob()->itemText(0), QStringLiteral("139"));

    Click(page, "btnMobSendAll");
    auto* send = qobject_cast<SendSmsPage*>(main->FindPage(QStringLiteral("sendSmsPage")));
    EXPECT_EQ(send->sMobs()->toPlainText(), QStringLiteral("13900000009\n"));
    EXPECT_EQ(main->PageArea()->currentWidget(), send);
    EXPECT_FALSE(main->subscriptionSendFlag.load());
}

// A million categories fill the list in the time of a first screen only when the list changes in
// one step, and ticking all of them likewise.
TEST_F(SubscriptionPagesTest, CategoryListsAreFilledAndTickedInOneStep) {
    Exec("INSERT INTO msgType (corpID,msgType) VALUES (10001,'A'), (10001,'B'), (10001,'C')");
    Exec("INSERT INTO mobs (corpID,mob) VALUES (10001,'139')");
    Exec("INSERT INTO mobOrder (corpID,mob,msgType) VALUES (10001,'139','B')");
    auto* bulk = qobject_cast<MobOrderPage*>(main->FindPage(QStringLiteral("mobOrder")));
    ASSERT_NE(bulk, nullptr);
    ListChanges changes(bulk->msgTypeSelect()->model());
    Open<MobOrderPage>("手机订阅关系处理", "mobOrder");
    EXPECT_EQ(bulk->msgTypeSelect()->model()->rowCount(), 3);
    EXPECT_EQ(changes.Take(), 1);
    bulk->msgTypeCheck()->click();
    EXPECT_EQ(changes.Take(), 1);
    EXPECT_EQ(changes.Ticked(), QStringLiteral("0 1 2"));
    Tick(bulk->msgTypeSelect(), 1);
    EXPECT_EQ(changes.Ticked(), QStringLiteral("0 2"));

    auto* users = Open<SubscriberPage>("订阅用户的资料管理", "user");
    AddMsgTypeDialog* dialog = users->formAddMsgType();
    ListChanges offered(dialog->msgTypeSelect()->model());
    int filling = 0, ticking = 0;
    QTimer::singleShot(0, dialog, [&] {
        filling = offered.Take();
        dialog->findChild<QCheckBox*>(QStringLiteral("msgTypeCheck"))->click();
        ticking = offered.Take();
        dialog->findChild<QPushButton*>(QStringLiteral("btnMobOrderOK"))->click();
    });
    Click(users, "btnUserAddMsgType");
    EXPECT_EQ(filling, 1);
    EXPECT_EQ(ticking, 1);
    EXPECT_EQ(Rows("SELECT msgType FROM mobOrder ORDER BY msgType"), "A|B|C");

    auto* search = qobject_cast<MobPage*>(main->FindPage(QStringLiteral("mob")));
    ListChanges listed(search->edSearchMsgType()->model());
    Open<MobPage>("手机订阅内容查询", "mob");
    EXPECT_EQ(search->edSearchMsgType()->count(), 3);
    EXPECT_EQ(listed.Take(), 1);
}

TEST_F(SubscriptionPagesTest, ANulInACategoryNameIsDropped) {
    auto* page = Open<MobOrderPage>("手机订阅关系处理", "mobOrder");
    page->edNewMsgType()->setEditText(QStringLiteral("天") + QChar(u'\0') + QStringLiteral("气"));
    Click(page, "btnNewMsgType");
    EXPECT_TRUE(prompts.Boxes().empty());
    EXPECT_EQ(Rows("SELECT hex(msgType) FROM msgType"),
              QStringLiteral("天气").toUtf8().toHex().toUpper().toStdString());
    EXPECT_EQ(page->msgTypeSelect()->model()->index(0, 0).data().toString(), QStringLiteral("天气"));
}

}  // namespace
}  // namespace xunda::test
