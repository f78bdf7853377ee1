// The subscription search page "手机订阅内容查询" (page mob): five filters, each ticked by a change
// of its value, the subscriptions found, and their numbers for the send page.
#pragma once

#include "subscriptions/subscription_search.h"
#include "ui/mailbox/list_page.h"

class QCheckBox;
class QComboBox;
class QDateEdit;

namespace xunda {

class MobPage : public ListPage {
    Q_OBJECT
  public:
    explicit MobPage(Shell& shell);

    SubscriptionSearch& search() { return search_; }
    QCheckBox* cSearchMob() const { return cSearchMob_; }
    QComboBox* edSearchMob() const { return edSearchMob_; }
    QCheckBox* cSearchStatus() const { return cSearchStatus_; }
    QComboBox* edSearchStatus() const { return edSearchStatus_; }
    QCheckBox* cSearchMsgType() const { return cSearchMsgType_; }
    QComboBox* edSearchMsgType() const { return edSearchMsgType_; }
    QCheckBox* cSearchDgtime() const { return cSearchDgtime_; }
    QCheckBox* cSearchDgtimeOut() const { return cSearchDgtimeOut_; }
    QDateEdit* edSearchDgtimeF() const { return edSearchDgtimeF_; }
    QDateEdit* edSearchDgtimeE() const { return edSearchDgtimeE_; }

    void btnMobOrderSearchClick();
    void btnMobSendSingleClick();
    void btnMobSendAllClick();
    // "查资料": the subscriber page searching the current row's number.
    void btnMobSearchClick();
    void DatabaseReopened() override;

  private:
    // The opening: the date ranges around today and the account's categories, no filter ticked by it.
    void OpenList() override;
    DayRange Range(const QDateEdit* from, const QDateEdit* to) const;

    Shell& shell_;
    SubscriptionSearch search_;
    QComboBox* edSearchMob_;
    QComboBox* edSearchStatus_;
    QComboBox* edSearchMsgType_;
    QDateEdit* edSearchDgtimeF_;
    QDateEdit* edSearchDgtimeE_;
    QDateEdit* edSearchDgtimeOutF_;
    QDateEdit* edSearchDgtimeOutE_;
    QCheckBox* cSearchMob_;
    QCheckBox* cSearchStatus_;
    QCheckBox* cSearchMsgType_;
    QCheckBox* cSearchDgtime_;
    QCheckBox* cSearchDgtimeOut_;
};

}  // namespace xunda
