// The subscriber page "订阅用户的资料管理" (page user): the account's subscribers, editable in place,
// with search, today's birthdays, delete and export, and below them the subscriptions of the
// current subscriber.
#pragma once

#include "subscriptions/subscribers.h"
#include "ui/mailbox/list_page.h"

class QComboBox;
class QGroupBox;
class QTableView;

namespace xunda {

class AddMsgTypeDialog;
class MobOrderChangeDialog;
class ResultGridModel;

class SubscriberPage : public ListPage {
    Q_OBJECT
  public:
    explicit SubscriberPage(Shell& shell);

    SubscriberList& list() { return list_; }
    QComboBox* edUserSearch() const { return edUserSearch_; }
    QGroupBox* mobDgGroup() const { return mobDgGroup_; }
    QTableView* userMsgTypeGrid() const { return userMsgTypeGrid_; }
    MobOrderChangeDialog* formMobOrderChange() const { return formMobOrderChange_; }
    AddMsgTypeDialog* formAddMsgType() const { return formAddMsgType_; }

    void btnUserSearchClick();
    void btnUserBirClick();
    void btnUserDelClick();
    void userGridCellClick(int row);
    // The subscription grid's "修改订阅类别" and "增加订阅类别" (the current subscriber's number).
    void btnUserEditClick();
    void btnUserAddMsgTypeClick();
    void DatabaseReopened() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OpenList() override;
    // userMobQueryAfterOpen: the subscription grid and its count caption follow the rows held;
    // the first row, if any, is current.
    void OrdersShown();
    // The current row of the subscription grid.
    std::optional<std::size_t> OrderRow() const;

    SubscriberList list_;
    QComboBox* edUserSearch_;
    QGroupBox* mobDgGroup_;
    QTableView* userMsgTypeGrid_;
    ResultGridModel* ordersModel_;
    MobOrderChangeDialog* formMobOrderChange_;
    AddMsgTypeDialog* formAddMsgType_;
};

}  // namespace xunda
