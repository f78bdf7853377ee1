// The send page "短信发送": the message with its counter and placeholders, the numbers with their
// tidy, import and line counter, the send identifier and extension histories, and the send button
// that queues one outbox row per number.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/send/mobs_memo.h"
#include "ui/shell/page.h"

class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace xunda {

class SendFavourites;
class Shell;
struct SmsBatch;

class SendSmsPage : public Page {
    Q_OBJECT
  public:
    explicit SendSmsPage(Shell& shell);

    // The categories ticked for a broadcast, read when the user confirms a send while the
    // broadcast mark is set (the subscription page provides them).
    void SetTickedCategoriesSource(std::function<std::vector<std::string>()> source);

    QPlainTextEdit* sMsg() const { return sMsg_; }
    QPlainTextEdit* sMobs() const { return sMobs_; }
    QGroupBox* sMsgGroup() const { return sMsgGroup_; }
    QGroupBox* sendSmsGroup() const { return sendSmsGroup_; }
    QComboBox* edLinkID() const { return edLinkID_; }
    QComboBox* edSubNumber() const { return edSubNumber_; }
    QComboBox* smsInsert() const { return smsInsert_; }
    SendFavourites* favourites() const { return favourites_; }

    void Open(const QString& caption, const QString& param) override;
    void DatabaseReopened() override;

    void btnSendSmsClick();
    void btnSmsInsertClick();
    void btnMobsActionClick();
    void BitBtn11Click();
    // The number memo's look, and the numbers (MobsDocument) put into it: the one way other pages
    // fill it.
    MemoLook MobsLook() const;
    void ShowMobs(std::unique_ptr<QTextDocument> mobs);

  private:
    void sMsgChange();
    void QueueSmsThread(const SmsBatch& batch, const std::string& corpID);

    Shell& shell_;
    std::function<std::vector<std::string>()> tickedCategories_;
    QGroupBox* sMsgGroup_;
    QPlainTextEdit* sMsg_;
    QComboBox* smsInsert_;
    QGroupBox* sendSmsGroup_;
    QPlainTextEdit* sMobs_;
    MobsMemo* mobs_;
    QComboBox* edLinkID_;
    QComboBox* edSubNumber_;
    SendFavourites* favourites_;
};

}  // namespace xunda
