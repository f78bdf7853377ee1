// The inbox page "收信箱" (page revBox).
#pragma once

#include "mailbox/inbox_list.h"
#include "ui/mailbox/list_page.h"

class QComboBox;
class QRadioButton;

namespace xunda {

class InboxPage : public ListPage {
    Q_OBJECT
  public:
    explicit InboxPage(Shell& shell);

    InboxList& list() { return list_; }
    QComboBox* edRevSearch() const { return edRevSearch_; }
    void btnRevSearchClick();

  private:
    void OpenList() override;
    MoFilter Filter() const;

    InboxList list_;
    QComboBox* edRevSearch_;
    QRadioButton* revCheckAll_;
    QRadioButton* revCheckNo_;
    QRadioButton* revCheckYes_;
};

}  // namespace xunda
