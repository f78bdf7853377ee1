// The sent-history page "历史短信查看" (page histSendPage).
#pragma once

#include "mailbox/history_list.h"
#include "ui/mailbox/list_page.h"

class QComboBox;

namespace xunda {

class HistoryPage : public ListPage {
    Q_OBJECT
  public:
    explicit HistoryPage(Shell& shell);

    HistoryList& list() { return list_; }
    QComboBox* histSearch() const { return histSearch_; }
    void btnhistSearchClick();

  private:
    void OpenList() override;
    HistoryList list_;
    QComboBox* histSearch_;
};

}  // namespace xunda
