// The broadcast history page "历史订阅内容短信查看" (page histMsg): the broadcasts, newest first,
// with the categories of the current one below them.
#pragma once

#include "subscriptions/broadcast.h"
#include "ui/mailbox/list_page.h"

class QComboBox;
class QLabel;

namespace xunda {

class HistMsgPage : public ListPage {
    Q_OBJECT
  public:
    explicit HistMsgPage(Shell& shell);

    BroadcastHistory& history() { return history_; }
    QComboBox* edSearchHistMsg() const { return edSearchHistMsg_; }
    QLabel* inMsgType() const { return inMsgType_; }

    void btnSearchHistClick();
    // The label of the current broadcast's categories.
    void histMsgGridCellClick();

  private:
    void OpenList() override;

    BroadcastHistory history_;
    QComboBox* edSearchHistMsg_;
    QLabel* inMsgType_;
};

}  // namespace xunda
