// The bulk-subscribe page "手机订阅关系处理" (page mobOrder): the category list with its changes,
// the numbers to subscribe, the expiry date and a single number's personal data.
#pragma once

#include <string>
#include <vector>

#include "subscriptions/bulk_subscribe.h"
#include "ui/mailbox/list_page.h"
#include "ui/shell/page.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;

namespace xunda {

class CheckList;
class MobsMemo;

class MobOrderPage : public Page {
    Q_OBJECT
  public:
    explicit MobOrderPage(Shell& shell);

    // The ticked categories, in list order (a broadcast to their subscribers).
    std::vector<std::string> TickedMsgTypes() const;

    CheckList* msgTypeSelect() const { return msgTypeSelect_; }
    QCheckBox* msgTypeCheck() const { return msgTypeCheck_; }
    QComboBox* edNewMsgType() const { return edNewMsgType_; }
    QPlainTextEdit* edMobs() const { return edMobs_; }
    QGroupBox* mobOrderGroup() const { return mobOrderGroup_; }
    QLineEdit* edUserName() const { return edUserName_; }
    QLineEdit* edNickName() const { return edNickName_; }
    QDateEdit* edBir() const { return edBir_; }
    QDateEdit* edDgTimeOut() const { return edDgTimeOut_; }

    void Open(const QString& caption, const QString& param) override;
    void DatabaseReopened() override;

    void pMsgType();
    void btnNewMsgTypeClick();
    void btnEditMsgTypeClick();
    void btnDelMsgTypeClick();
    void msgTypeCheckClick();
    void btnDgClick();
    // "发送短信给订阅手机": the current subscribers of the ticked categories on the send page, the
    // next batch queued there marked as a broadcast to those categories.
    void btnSendDgClick();
    void btnClearMobsClick();

  private:
    // The inputs of a run, read from the page when it starts.
    BulkSubscribeInput Inputs() const;
    void BulkSubscribeThread(BulkSubscribeInput input);
    // After a change of the list: the name box is emptied and the list refilled.
    void CategoriesChanged(const std::string& name);

    Shell& shell_;
    ShellMailboxHost host_;
    CheckList* msgTypeSelect_;
    QCheckBox* msgTypeCheck_;
    QComboBox* edNewMsgType_;
    QDateEdit* edDgTimeOut_;
    QGroupBox* mobOrderGroup_;
    QPlainTextEdit* edMobs_;
    MobsMemo* mobs_;
    QLineEdit* edUserName_;
    QDateEdit* edBir_;
    QLineEdit* edNickName_;
};

}  // namespace xunda
