// The two dialogs of the subscriber page's subscription grid, made once and refilled before each
// showing: "修改订阅内容" (TformMobOrderChange) and "增加订阅内容" (TformAddMsgType). "确定" stores
// through the function the page gives and closes the dialog only when the store took the change;
// "取消" and the close box change nothing.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "subscriptions/subscription_edit.h"

class QCheckBox;
class QDateEdit;
class QLabel;

namespace xunda {

class CheckList;

class MobOrderChangeDialog : public QDialog {
    Q_OBJECT
  public:
    using Store = std::function<bool(const SubscriptionChange&)>;
    MobOrderChangeDialog(Store store, QWidget* parent);

    // Shows a subscription: its number and category, "关闭短信正常发送", the dates, and
    // "操作该手机全部的订阅内容" unticked.
    void Fill(const SubscriptionChange& change);
    void btnMobOrderOKClick();

    QCheckBox* mobCheck() const { return mobCheck_; }
    QCheckBox* dgStatusCheck() const { return dgStatusCheck_; }
    QDateEdit* edDgTime() const { return edDgTime_; }
    QDateEdit* edDgTimeOut() const { return edDgTimeOut_; }

  private:
    Store store_;
    SubscriptionChange change_;
    QLabel* mobTitle_;
    QLabel* msgTypeTitle_;
    QCheckBox* mobCheck_;
    QDateEdit* edDgTime_;
    QDateEdit* edDgTimeOut_;
    QCheckBox* dgStatusCheck_;
};

class AddMsgTypeDialog : public QDialog {
    Q_OBJECT
  public:
    // The number, the ticked categories, the expiry ("YYYY-MM-DD").
    using Store =
        std::function<bool(const std::string&, const std::vector<std::string>&, const std::string&)>;
    AddMsgTypeDialog(Store store, QWidget* parent);

    // Offers the categories, unticked, with "全部选择" unticked and the expiry a year from today.
    void Fill(const std::string& mob, std::vector<std::string> categories);
    void btnMobOrderOKClick();
    void msgTypeCheckClick();

    QCheckBox* msgTypeCheck() const { return msgTypeCheck_; }
    CheckList* msgTypeSelect() const { return msgTypeSelect_; }
    QDateEdit* edDgTimeOut() const { return edDgTimeOut_; }

  private:
    Store store_;
    std::string mob_;
    QLabel* mobTitle_;
    QCheckBox* msgTypeCheck_;
    CheckList* msgTypeSelect_;
    QDateEdit* edDgTimeOut_;
};

}  // namespace xunda
