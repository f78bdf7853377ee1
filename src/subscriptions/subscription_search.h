// The subscription search "手机订阅内容查询" (page mob): the account's subscriptions by any
// combination of five filters, deleting one, and their numbers for the send page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "store/account_host.h"
#include "store/row_pager.h"

namespace xunda {

// Two days "YYYY-MM-DD", both included; a range that ends before it starts finds nothing.
struct DayRange {
    std::string from;
    std::string to;
};

// The ticked filters.
struct SubscriptionFilters {
    std::optional<std::string> mob;  // a part of the number
    std::optional<bool> normal;      // true: "正常发送(True)", false: "关闭发送(False)"
    std::optional<std::string> msgType;
    std::optional<DayRange> dgTime;
    std::optional<DayRange> dgTimeOut;
};

class SubscriptionSearch {
  public:
    explicit SubscriptionSearch(AccountHost& host);

    // mobQuery: the subscriptions found, read lazily.
    RowPager& grid() { return grid_; }
    // "查询结果(<rows listed>)".
    std::string Caption() const;

    // btnMobOrderSearchClick (pMob): the subscriptions the filters let through, by number, then
    // category; true when some were found.
    bool btnMobOrderSearchClick(const SubscriptionFilters& filters);
    // btnMobDelClick: the subscription in `row`, after a question.
    void btnMobDelClick(std::optional<std::size_t> row);
    // btnMobSendAllClick: the distinct numbers of everything found, sorted.
    std::vector<std::string> btnMobSendAllClick();

  private:
    AccountHost& host_;
    RowPager grid_;
};

}  // namespace xunda
