// Broadcasting one message to the current subscribers of chosen categories, and the history of
// such broadcasts "历史订阅内容短信查看" (tables histMsg and histMsgType).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/account_host.h"
#include "store/row_pager.h"

namespace xunda {

class Database;

// The numbers a statement selects (its first column, NULL left out), in its order.
std::vector<std::string> ReadMobs(Database& db, std::string_view sql);
// The numbers of every row `grid` lists (not only those read so far), each once, sorted.
std::vector<std::string> ListedMobs(Database& db, const RowPager& grid);

// btnSendDgClick: the distinct numbers, sorted, of the account's subscriptions to the ticked
// categories that send normally and expire on `today` ("YYYY-MM-DD") or later, once the user
// confirmed their count. Nullopt after a notice (nothing ticked, no number) or No.
std::optional<std::vector<std::string>> btnSendDgClick(AccountHost& host,
                                                       const std::vector<std::string>& ticked,
                                                       std::string_view today);

class BroadcastHistory {
  public:
    explicit BroadcastHistory(AccountHost& host);

    // histMsgQuery: the broadcasts listed, read lazily.
    RowPager& grid() { return grid_; }
    // "历史订阅短信(<the account's broadcasts>)".
    std::string Caption();

    // The page's opening: the account's broadcasts, newest first, unless some are listed already.
    void Open();
    // "搜索": the broadcasts whose time or text holds `key` (all of them for ""), newest first;
    // true when some were found.
    bool btnSearchHistClick(const std::string& key);
    // The categories of the broadcast in `row`, "[A] [B] "; "" without a row.
    std::string histMsgGridCellClick(std::optional<std::size_t> row);
    // "删除": the broadcast in `row` with its categories, after a question.
    void btnDelHistMsgClick(std::optional<std::size_t> row);
    // "删除全部": after a question lists every broadcast of the account ("没有相应记录!" for none),
    // exports them through `save`, asks again and deletes the listed ones with their categories.
    void BitBtn9Click(const std::function<void(const RowPager&)>& save);

  private:
    std::string Account();

    AccountHost& host_;
    RowPager grid_;
};

}  // namespace xunda
