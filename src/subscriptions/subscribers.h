// The subscriber list "手机资料" (table mobs) with the subscriptions of its current subscriber
// "订阅类别" (table mobOrder): searching, birthdays of the day, deleting a subscriber with its
// subscriptions.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/account_host.h"
#include "store/result_set.h"
#include "store/row_pager.h"

namespace xunda {

class SubscriberList {
  public:
    explicit SubscriberList(AccountHost& host);

    // userQuery: the subscribers, read lazily.
    RowPager& grid() { return grid_; }
    // userMobQuery: the subscriptions of one number (with their rowids).
    const ResultSet& orders() const { return orders_; }
    static const std::vector<GridColumn>& OrderColumns();
    // "手机资料(<rows listed>)" and "订阅类别(<rows held>)".
    std::string Caption() const;
    std::string OrdersCaption() const;

    // The subscribers with `searchText` in one of their five fields, then the first one's
    // subscriptions; "没有找到相关手机用户资料!" when there is none. True when rows were found.
    bool pUser(const std::string& searchText);
    // The subscribers born on the day and month of `today`, then the first one's subscriptions
    // (none found: the notice, and no subscriptions shown).
    void btnUserBirClick(std::chrono::year_month_day today);
    // A row became current: when its number differs from `shownMob` (the search box), the number's
    // subscriptions are shown and the number returned (for the search box); else nothing.
    std::optional<std::string> userGridCellClick(std::size_t row, const std::string& shownMob);
    // Deletes the subscriber of `row` with all of its subscriptions, after a question chosen by
    // whether it has any; then shows the subscriptions of the row that becomes current (returned).
    std::optional<std::size_t> btnUserDelClick(std::optional<std::size_t> row);
    // An edit in the grid: stores a text (or NULL) in a field of the subscriber in `row`. A new
    // number takes the subscriber's subscriptions with it, all in one transaction; where the new
    // number is subscribed to a category already, its own subscription stays and the moved one
    // goes. Subscriptions shown of the old number are then shown of the new. False when refused.
    bool EditField(std::size_t row, const std::string& field, const std::optional<std::string_view>& text);
    // The subscriptions shown, read again by their last statement (after a dialog changed them).
    void RefreshOrders();
    // No subscriptions shown (the database was closed).
    void CloseOrders() { orders_ = ResultSet{}; }

  private:
    std::string OrdersSql(const std::string& mob);
    void ShowOrders(const std::string& mob);
    void ShowFirstOrders();
    std::string Account();

    AccountHost& host_;
    RowPager grid_;
    ResultSet orders_;
};

}  // namespace xunda
