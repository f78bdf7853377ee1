// What the mailbox lists (outbox, sent history, inbox) ask of the program around them, and the
// steps the lists share: count captions and clearing with an export first.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/account_host.h"
#include "store/row_pager.h"

namespace xunda {

class MailboxHost : public AccountHost {
  public:
    // Asks for a file and exports a list's rows to it (pSaveDbGrid).
    virtual void SaveGrid(const RowPager& grid) = 0;
    // Puts the numbers on the send page, one per line, and shows that page.
    virtual void ReplyTo(const std::vector<std::string>& mobs) = 0;
    virtual std::chrono::year_month_day Today() = 0;
};

// "<title>(<n>)" with n the count of the account's rows in `table`.
std::string CountCaption(MailboxHost& host, std::string_view title, std::string_view table);

// "corpID=<the account>", the condition every listing starts with.
std::string AccountIs(MailboxHost& host);

// The first day of the current month as SQL text ('YYYY-MM-01').
std::string FirstOfMonth(MailboxHost& host);

// Lists a search's rows behind the busy window showing `searching`; false (after "没有找到相关数据!")
// when it finds none.
bool ShowFound(MailboxHost& host, RowPager& grid, const char* searching, ListQuery query);

// The clearing of a list: asks `first`; lists the rows `where` selects (only those the table holds
// now, so that rows arriving meanwhile are neither exported nor deleted); with no row says
// "没有相应记录!"; exports the list; asks `second`; deletes exactly the listed rows behind the busy
// window showing `clearing`; `refresh`.
void ClearWithExport(MailboxHost& host, RowPager& grid, const char* first, const char* second,
                     const char* clearing, const std::string& table, const std::string& where,
                     const std::function<void()>& refresh);

}  // namespace xunda
