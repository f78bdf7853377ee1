// The sent-history list "历史短信查看" (table mt_bak): search and clearing with an export first.
#pragma once

#include <functional>
#include <string>

#include "mailbox/mailbox_host.h"
#include "store/row_pager.h"

namespace xunda {

class HistoryList {
  public:
    explicit HistoryList(MailboxHost& host);

    RowPager& grid() { return grid_; }
    // "历史短信(<the account's rows>)".
    std::string Caption();

    // The listing of the tree menu: the account's rows, newest first.
    void Open();
    // "搜索" for the trimmed text: the account's rows whose number, time, text or report holds it,
    // newest first; an empty text lists all of them, oldest first. False (after "没有找到相关数据!")
    // when nothing was found.
    bool btnhistSearchClick(const std::string& text);
    // "清空全部" and "清空本月前"; the latter ends with the page's search (`search`).
    void btnHistDropClick();
    void btnHistDelClick(const std::function<void()>& search);
    // "导出数据文件".
    void btnHistExportClick();

  private:
    MailboxHost& host_;
    RowPager grid_;
};

}  // namespace xunda
