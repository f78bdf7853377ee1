// The outbox page "发信箱" (page sendBoxPage).
#pragma once

#include "mailbox/outbox_list.h"
#include "ui/mailbox/list_page.h"

namespace xunda {

class OutboxPage : public ListPage {
    Q_OBJECT
  public:
    explicit OutboxPage(Shell& shell);

    OutboxList& list() { return list_; }
    // After a run of the send engine (while an account is logged in).
    void ListAfterRun();

  private:
    void OpenList() override;
    OutboxList list_;
};

}  // namespace xunda
